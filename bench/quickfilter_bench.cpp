// The quick filter on 100,000 and 1,000,000 titles: reading the titles' words once, and one
// keystroke on the engine path the window runs for it: the filter's answer, the table's
// filter, the first visible title (the dataset's move) and every visible title in title order
// (the rows of the list, whose number the status bar shows). Keystrokes: the first letter, a letter
// typed on, a whole word, a letter erased (every title tested again), a second word, and a word no
// title holds. Run: build-bench/bin/quickfilter_bench --benchmark_repetitions=5
//      --benchmark_report_aggregates_only=true   (medians in the *_median rows)
#include "bench_data.h"

#include "catalogue.h"
#include "quickfilter.h"
#include "table.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

using namespace rk;

namespace {

void BM_QuickFilterRead(benchmark::State& state) {
    store::Table t(bench::indexedTitles(uint32_t(state.range(0))));
    if (!t.open()) return state.SkipWithError("open failed");
    search::TitleWords words;
    for (auto _ : state) {
        words.clear();
        if (!words.readAll(t)) return state.SkipWithError("read failed");
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}

struct Keystroke {
    const char* before; // the text in the box before the key
    const char* after;
};
constexpr Keystroke kKeys[] = {
    {"", "s"},             // the first letter: every title is tested
    {"s", "st"},           // typed on: only what passed is tested
    {"sta", "star"},       // a whole word
    {"star", "sta"},       // erased: every title again
    {"star 1", "star 12"}, // a second word
    {"", "zzz"},           // nothing passes
};

void BM_QuickFilterKeystroke(benchmark::State& state) {
    store::Table t(bench::indexedTitles(uint32_t(state.range(0))));
    if (!t.open()) return state.SkipWithError("open failed");
    t.setOrder(t.tagArea("TITIT"));
    search::TitleWords words;
    if (!words.readAll(t)) return state.SkipWithError("read failed");
    search::QuickFilter filter(words);
    const Keystroke& key = kKeys[state.range(1)];
    // The list shows every title before the first key, as in the window (the order's walk).
    std::vector<uint32_t> rows;
    if (!t.visibleRecords(&rows)) return state.SkipWithError("walk failed");
    uint32_t count = 0;
    for (auto _ : state) {
        state.PauseTiming();
        filter.reset();
        filter.set(key.before);
        t.setFilter(filter.flags());
        state.ResumeTiming();
        filter.set(key.after);
        t.setFilter(filter.flags());
        if (!t.goTop()) return state.SkipWithError("goTop failed");
        if (!t.visibleRecords(&rows)) return state.SkipWithError("walk failed");
        count = uint32_t(rows.size());
    }
    state.SetLabel(std::string("'") + key.before + "' -> '" + key.after + "'");
    state.counters["titles"] = count;
}

void sizes(benchmark::internal::Benchmark* b) {
    const char* only = std::getenv("RK_BENCH_SIZES");
    if (only) {
        b->Arg(std::atoi(only));
    } else {
        b->Arg(100000)->Arg(1000000);
    }
}

void keystrokes(benchmark::internal::Benchmark* b) {
    const char* only = std::getenv("RK_BENCH_SIZES");
    for (int n : {100000, 1000000})
        if (!only || std::atoi(only) == n)
            for (int k = 0; k < int(std::size(kKeys)); ++k)
                b->Args({n, k});
}

BENCHMARK(BM_QuickFilterRead)->Apply(sizes)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_QuickFilterKeystroke)
    ->Apply(keystrokes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

} // namespace

BENCHMARK_MAIN();
