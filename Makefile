# Reelkeeper: build, run, test and benchmark.
#   make run    install missing Debian packages, build, give the data folder a catalogue, start
#   make test   install, build (warnings are errors), run every test through ctest, then the
#               engine tests again under AddressSanitizer and UndefinedBehaviorSanitizer
#   make bench  build and run the benchmarks (release build)
#   make install build, then put reelkeeper, rkdb, the icon, the desktop file and the
#               AppStream description under PREFIX (default /usr/local; DESTDIR is honoured)

BUILD     ?= build
SANBUILD  ?= build-san
BENCHBUILD ?= build-bench
JOBS      ?= $(shell nproc 2>/dev/null || echo 2)
BIN        = $(BUILD)/bin
DATA      ?= $(BIN)
PREFIX    ?= /usr/local

.PHONY: all deps build run test test-main test-san bench install format format-check clean

all: build

deps:
	@sh scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRK_WERROR=ON

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ ! -f "$(DATA)/VIDEO.DBF" ] && [ ! -f "$(DATA)/video.dbf" ]; then \
	    echo "Creating the sample catalogue in $(DATA)"; \
	    $(BIN)/rkdb create "$(DATA)" --sample; \
	fi
	$(BIN)/reelkeeper --data "$(DATA)"

test: test-main test-san

test-main: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

$(SANBUILD)/CMakeCache.txt:
	cmake -S . -B $(SANBUILD) -DCMAKE_BUILD_TYPE=Debug -DRK_WERROR=ON -DRK_SANITIZE=ON -DRK_ENGINES_ONLY=ON

test-san: deps $(SANBUILD)/CMakeCache.txt
	cmake --build $(SANBUILD) -j $(JOBS)
	cd $(SANBUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) -LE nosan

$(BENCHBUILD)/CMakeCache.txt:
	cmake -S . -B $(BENCHBUILD) -DCMAKE_BUILD_TYPE=Release -DRK_BENCH=ON -DRK_ENGINES_ONLY=ON

bench: deps $(BENCHBUILD)/CMakeCache.txt
	cmake --build $(BENCHBUILD) -j $(JOBS)
	sh bench/run.sh $(BENCHBUILD)

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf $(BUILD) $(SANBUILD) $(BENCHBUILD)
