// Full-text index build over 100,000 and 1,000,000 titles: time, and the index's size
// against the table's. Run: build-bench/bin/fts_build_bench --benchmark_repetitions=3
#include "fts_bench_data.h"

#include "titleindex.h"
#include "titletext.h"

#include <benchmark/benchmark.h>

#include <filesystem>

using namespace rk;

namespace {

void BM_FtsBuild(benchmark::State& state) {
    const auto n = uint32_t(state.range(0));
    const std::string table = bench::fts::titlesTable(n);
    store::TableOptions o;
    o.readOnly = true;
    o.exclusive = false;
    store::Table t(table, o);
    if (!t.open()) {
        state.SkipWithError("cannot open the table");
        return;
    }
    const std::string index =
        search::titlesIndexPath(std::filesystem::path(table).parent_path().string());
    for (auto _ : state) {
        auto r = catalogue::buildTitleText(t, index);
        if (!r || r->failed) state.SkipWithError("the build failed");
    }
    const double tableMB = double(std::filesystem::file_size(table)) / 1e6;
    const double indexMB = double(std::filesystem::file_size(index)) / 1e6;
    state.counters["table_MB"] = tableMB;
    state.counters["index_MB"] = indexMB;
    state.counters["index_per_table"] = indexMB / tableMB;
    state.SetItemsProcessed(int64_t(state.iterations()) * n);
}

BENCHMARK(BM_FtsBuild)->Arg(100000)->Arg(1000000)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
