// Table engine: open, full scan, queries with counts, appends, on 100,000 and 1,000,000
// titles. Run: build-bench/bin/store_bench --benchmark_repetitions=5
//   --benchmark_report_aggregates_only=true   (medians are in the *_median rows)
#include "bench_data.h"

#include "catalogue.h"
#include "dbf.h"
#include "env.h"
#include "record.h"
#include "table.h"

#include <benchmark/benchmark.h>

using namespace rk;

namespace {

std::string titlesOf(uint32_t n) {
    return findFileNoCase(bench::catalogueOf(n), "VIDEO.DBF");
}

void BM_Open(benchmark::State& state) {
    std::string path = titlesOf(uint32_t(state.range(0)));
    for (auto _ : state) {
        store::Table t(path);
        if (!t.open()) state.SkipWithError("open failed");
        benchmark::DoNotOptimize(t.recCount());
    }
}

void BM_FullScan(benchmark::State& state) {
    std::string path = titlesOf(uint32_t(state.range(0)));
    store::Table t(path);
    if (!t.open()) state.SkipWithError("open failed");
    const auto& title = *t.field("TITLE");
    for (auto _ : state) {
        size_t sum = 0;
        Status s = t.goTop();
        for (; s && !t.eof(); s = t.skip(1))
            sum += dbf::trimmedField(t.record(), title).size();
        if (!s) state.SkipWithError("skip failed");
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}

void BM_QueryCategoryCount(benchmark::State& state) {
    std::string path = titlesOf(uint32_t(state.range(0)));
    store::Table t(path);
    if (!t.open()) state.SkipWithError("open failed");
    uint32_t k = 0;
    for (auto _ : state) {
        std::string q = std::string("CATEGORY = \"") + bench::categoryName(k++) + "\"";
        if (!t.query(q)) state.SkipWithError("query failed");
        benchmark::DoNotOptimize(t.count());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}

// Answered exactly by the tag YR: only the deleted flags of about 1 % of the titles are read.
void BM_QueryYearCount(benchmark::State& state) {
    std::string path = titlesOf(uint32_t(state.range(0)));
    store::Table t(path);
    if (!t.open()) state.SkipWithError("open failed");
    uint32_t k = 0;
    for (auto _ : state) {
        if (!t.query("YEAR = \"" + std::to_string(1930 + k++ % 90) + "\""))
            state.SkipWithError("query failed");
        benchmark::DoNotOptimize(t.count());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}

// The titles in TITIT order as a listing reads them: the title field of each.
void BM_WalkTitlesInOrder(benchmark::State& state) {
    std::string path = titlesOf(uint32_t(state.range(0)));
    store::Table t(path);
    if (!t.open()) state.SkipWithError("open failed");
    t.setOrder(t.tagArea("TITIT"));
    const int title = t.fieldIndex("TITLE");
    for (auto _ : state) {
        size_t sum = 0;
        Status s = t.walk(
            [&](uint32_t, std::string_view img) {
                sum += dbf::trimmedField(img, t.fields()[size_t(title)]).size();
                return true;
            },
            {title});
        if (!s) state.SkipWithError("walk failed");
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}

void BM_QueryMarkedCount(benchmark::State& state) {
    std::string path = titlesOf(uint32_t(state.range(0)));
    store::Table t(path);
    if (!t.open()) state.SkipWithError("open failed");
    for (auto _ : state) {
        if (!t.query("MARKED")) state.SkipWithError("query failed");
        benchmark::DoNotOptimize(t.count());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}

// 10,000 appends through the table (each a record write and a header write, with every index
// kept current), then the table is cut back to its size.
void BM_Append10000(benchmark::State& state) {
    uint32_t n = uint32_t(state.range(0));
    std::string path = titlesOf(n);
    for (auto _ : state) {
        state.PauseTiming();
        store::TableOptions o;
        o.sync = false; // as before batches and flushes existed (see cdx_bench for both)
        auto t = std::make_unique<store::Table>(path, o);
        if (!t->open()) state.SkipWithError("open failed");
        std::vector<std::string> images;
        for (uint32_t i = 0; i < 10000; ++i)
            images.push_back(bench::titleImage(n + 1 + i));
        state.ResumeTiming();
        for (const auto& img : images)
            if (!t->appendRecord(img)) state.SkipWithError("append failed");
        state.PauseTiming();
        // Back to n titles: delete the new ones and pack them away would take long; instead
        // truncate the file and rebuild the indexes outside the timing.
        t->close();
        {
            auto d = dbf::DbfFile::open(path, dbf::OpenOptions{});
            if (!d || !(*d)->truncateRecords(n)) state.SkipWithError("truncate failed");
        }
        store::Table again(path);
        if (!again.open() || !again.reindex()) state.SkipWithError("reindex failed");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 10000);
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Open)->Apply(sizes);
BENCHMARK(BM_FullScan)->Apply(sizes)->Iterations(3);
BENCHMARK(BM_QueryCategoryCount)->Apply(sizes)->Iterations(5);
BENCHMARK(BM_QueryYearCount)->Apply(sizes)->Iterations(5);
BENCHMARK(BM_QueryMarkedCount)->Apply(sizes)->Iterations(5);
BENCHMARK(BM_WalkTitlesInOrder)->Apply(sizes)->Iterations(3);
BENCHMARK(BM_Append10000)->Apply(sizes)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
