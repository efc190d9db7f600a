// Import of an earlier version's data file into the sample catalogue (its 12 tags kept, and
// Titles.ia with them when it exists), 10,000 and 100,000 generated lines; the export of
// 100,000 titles as comma and space text, against copying the table file with cat.
//
// peak_RSS_MB is the process's peak, so it belongs to a case only when the case runs alone:
//   for f in 10000/0 10000/1 100000/0 100000/1; do
//     build-bench/bin/import_bench --benchmark_filter=BM_Import/$f/ --benchmark_repetitions=5
//       --benchmark_report_aggregates_only=true; done
#include "bench_data.h"
#include "fts_bench_data.h"

#include "catalogue.h"
#include "catalogue_engine.h"
#include "oldimport.h"
#include "table.h"
#include "titleindex.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>

using namespace rk;
namespace fs = std::filesystem;

namespace {

std::string dataDir() {
    const char* d = std::getenv("RK_BENCH_DATA");
    return d && *d ? d : "/tmp/rk-bench-data";
}

// n lines in the old layout, all 18 columns, made once and kept.
std::string oldFileOf(uint32_t n) {
    const fs::path path = fs::path(dataDir()) / ("import-" + std::to_string(n) + ".dat");
    if (fs::exists(path)) return path.string();
    fs::create_directories(path.parent_path());
    static const char* const kRatings[] = {"Excellent", "Good", "Fair", "Poor", "nodat"};
    static const char* const kFormats[] = {"VHS", "SVHS", "Laser Disc", "BETA", "nodat"};
    static const char* const kCats[] = {"Action", "Comedy", "Drama", "Family", "Western"};
    std::string text;
    for (uint32_t i = 1; i <= n; ++i) {
        bench::fts::Rng rng(0xA11CEull * i + 3);
        const std::string cols[] = {kRatings[rng.below(5)],
                                    kFormats[rng.below(5)],
                                    kCats[rng.below(5)],
                                    bench::fts::sentence(rng, 1 + rng.below(5)),
                                    "OLD-" + std::to_string(i),
                                    std::to_string(i % 10000),
                                    std::to_string(60 + rng.below(120)),
                                    "Shelf " + std::to_string(rng.below(40)),
                                    "",
                                    bench::fts::sentence(rng, 10 + rng.below(30)),
                                    "0",
                                    bench::fts::person(rng),
                                    bench::fts::person(rng),
                                    bench::fts::person(rng),
                                    bench::fts::person(rng),
                                    bench::fts::person(rng),
                                    "",
                                    ""};
        for (size_t c = 0; c < 18; ++c)
            text += (c ? "," : "") + cols[c];
        text += "\r\n";
    }
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

// The sample catalogue, with or without its full-text index, made once.
std::string sampleOf(bool withIndex) {
    const fs::path dir = fs::path(dataDir()) / (withIndex ? "sample-indexed" : "sample");
    if (fs::exists(dir / "VIDEO.DBF")) return dir.string();
    fs::create_directories(dir);
    if (!catalogue::createSample(dir.string())) std::abort();
    if (withIndex) {
        catalogue::Catalogue cat;
        if (!cat.open(dir.string()) || !cat.buildTextIndex()) std::abort();
    }
    return dir.string();
}

double peakMB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

void BM_Import(benchmark::State& state) {
    const auto n = uint32_t(state.range(0));
    const bool withIndex = state.range(1) != 0;
    const std::string file = oldFileOf(n);
    const std::string sample = sampleOf(withIndex);
    const fs::path work = fs::path(dataDir()) / "import-work";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(work);
        fs::copy(sample, work);
        state.ResumeTiming();
        catalogue::Catalogue cat;
        if (!cat.open(work.string())) state.SkipWithError("cannot open the sample");
        auto counts = store::countOldDataFile(file, cat.titles().fields());
        if (!counts) state.SkipWithError(counts.status().message().c_str());
        store::OldImportReport report;
        Status s = cat.importOld(file, *counts, {}, &report);
        if (!s || report.added != n) state.SkipWithError(s.message().c_str());
    }
    fs::remove_all(work);
    state.counters["peak_RSS_MB"] = peakMB();
    state.SetItemsProcessed(int64_t(state.iterations()) * n);
}

void BM_Export(benchmark::State& state) {
    store::Table t(findFileNoCase(bench::catalogueOf(100000), "VIDEO.DBF"));
    if (!t.open()) state.SkipWithError("cannot open the catalogue");
    const std::string out = (fs::path(dataDir()) / "export.txt").string();
    const auto format = state.range(0) == 21 ? store::TextFormat::CommaDelimited
                                             : store::TextFormat::SpaceDelimited;
    for (auto _ : state)
        if (!t.copyFileText(out, format)) state.SkipWithError("the export failed");
    state.counters["file_MB"] = double(fs::file_size(out)) / 1e6;
    fs::remove(out);
    state.SetItemsProcessed(int64_t(state.iterations()) * 100000);
}

// The floor: the table file copied by cat.
void BM_CatTable(benchmark::State& state) {
    const std::string table = findFileNoCase(bench::catalogueOf(100000), "VIDEO.DBF");
    const std::string out = (fs::path(dataDir()) / "cat.out").string();
    const std::string cmd = "cat '" + table + "' > '" + out + "'";
    for (auto _ : state)
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("cat failed");
    state.counters["file_MB"] = double(fs::file_size(out)) / 1e6;
    fs::remove(out);
}

BENCHMARK(BM_Import)
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Export)->Arg(21)->Arg(22)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CatTable)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
