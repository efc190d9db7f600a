// The structural index on 100,000 and 1,000,000 titles: open, change of order and a walk of
// every visible record, seeks, 10,000 appends and 10,000 title changes with all twelve tags
// kept current (one by one, and in one batch), one post with its flush to stable storage, a
// re-index of all tags, and a pack with 10 % deleted. Changes run on a fresh
// copy of the catalogue each time (the copy is not timed). File sizes are in the counters.
// Run: build-bench/bin/cdx_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include "bench_data.h"

#include "catalogue.h"
#include "cdx.h"
#include "cp1252.h"
#include "env.h"
#include "record.h"
#include "table.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>

using namespace rk;
namespace fs = std::filesystem;

namespace {

// A copy of the catalogue's titles table and index to change.
std::string scratchCopy(uint32_t n) {
    std::string source = bench::indexedTitles(n);
    fs::path dir =
        fs::path(source).parent_path().parent_path() / ("cdx-scratch-" + std::to_string(n));
    fs::create_directories(dir);
    fs::copy_file(source, dir / "VIDEO.DBF", fs::copy_options::overwrite_existing);
    // The copy keeps the table's time of last write, so that its index is trusted as made for
    // it (a copy with a new time is checked once at its first open).
    fs::last_write_time(dir / "VIDEO.DBF", fs::last_write_time(source));
    fs::copy_file(store::structuralIndexPath(source, Env::standard()), dir / "VIDEO.CDX",
                  fs::copy_options::overwrite_existing);
    return (dir / "VIDEO.DBF").string();
}

void fileSizes(benchmark::State& state, const std::string& table) {
    state.counters["dbf_MB"] = double(fs::file_size(table)) / 1e6;
    state.counters["cdx_MB"] =
        double(fs::file_size(store::structuralIndexPath(table, Env::standard()))) / 1e6;
}

void BM_CdxOpen(benchmark::State& state) {
    std::string path = bench::indexedTitles(uint32_t(state.range(0)));
    for (auto _ : state) {
        store::Table t(path);
        if (!t.open()) state.SkipWithError("open failed");
        t.setOrder(t.tagArea("TITIT"));
        if (!t.goTop()) state.SkipWithError("goTop failed");
        benchmark::DoNotOptimize(t.recNo());
    }
    fileSizes(state, path);
}

// A change of order and the list of every visible record in it (as a title list needs).
void BM_CdxOrderWalk(benchmark::State& state) {
    std::string path = bench::indexedTitles(uint32_t(state.range(0)));
    store::Table t(path);
    if (!t.open()) state.SkipWithError("open failed");
    std::vector<uint32_t> recs;
    if (!t.visibleRecords(&recs)) state.SkipWithError("walk failed"); // the deleted bits
    int tag = 0;
    for (auto _ : state) {
        t.setOrder(1 + tag++ % 12);
        if (!t.visibleRecords(&recs)) state.SkipWithError("walk failed");
        benchmark::DoNotOptimize(recs.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}

// The cursor through a whole order: goTop and skip(1) to the end, no record read.
void BM_CdxOrderSkip(benchmark::State& state) {
    std::string path = bench::indexedTitles(uint32_t(state.range(0)));
    store::Table t(path);
    if (!t.open()) state.SkipWithError("open failed");
    t.setOrder(t.tagArea("CATEGORY"));
    for (auto _ : state) {
        uint64_t n = 0;
        Status s = t.goTop();
        for (; s && !t.eof(); s = t.skip(1))
            ++n;
        if (!s) state.SkipWithError("skip failed");
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}

// 1,000 seeks of title prefixes in TITIT.
void BM_CdxSeek(benchmark::State& state) {
    uint32_t n = uint32_t(state.range(0));
    std::string path = bench::indexedTitles(n);
    store::Table t(path);
    if (!t.open()) state.SkipWithError("open failed");
    t.setOrder(t.tagArea("TITIT"));
    std::mt19937 rng(1);
    std::vector<std::string> keys;
    const auto& title = catalogue::titleFields()[0];
    for (int i = 0; i < 1000; ++i) {
        std::string img = bench::titleImage(1 + rng() % n);
        std::string text = cp1252::upper(dbf::trimmedField(img, title));
        keys.push_back(text.substr(0, 8 + rng() % 12));
    }
    for (auto _ : state) {
        int found = 0;
        for (const auto& k : keys) {
            bool f = false;
            if (!t.seek(k, true, &f)) state.SkipWithError("seek failed");
            found += f;
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 1000);
}

// How the 10,000 changes are made: one by one (each marks, writes and marks the index sound
// again; not flushed to stable storage, as before batches existed), or in one batch (one
// mark, one write of the changed pages, the table and the index flushed at its end).
enum Mode { OneByOne, OneBatch };

void appendTitles(benchmark::State& state, Mode mode) {
    uint32_t n = uint32_t(state.range(0));
    std::vector<std::string> images;
    for (uint32_t i = 0; i < 10000; ++i)
        images.push_back(bench::titleImage(n + 1 + i));
    std::string path;
    for (auto _ : state) {
        state.PauseTiming();
        path = scratchCopy(n);
        {
            store::TableOptions o;
            o.sync = mode == OneBatch;
            store::Table t(path, o);
            if (!t.open()) state.SkipWithError("open failed");
            state.ResumeTiming();
            {
                std::unique_ptr<store::Batch> batch;
                if (mode == OneBatch) batch = std::make_unique<store::Batch>(t);
                for (const auto& img : images)
                    if (!t.appendRecord(img)) state.SkipWithError("append failed");
                if (batch && !batch->finish()) state.SkipWithError("batch failed");
            }
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    fileSizes(state, path);
    state.SetItemsProcessed(int64_t(state.iterations()) * 10000);
}

void updateTitles(benchmark::State& state, Mode mode) {
    uint32_t n = uint32_t(state.range(0));
    std::string path;
    for (auto _ : state) {
        state.PauseTiming();
        path = scratchCopy(n);
        {
            store::TableOptions o;
            o.sync = mode == OneBatch;
            store::Table t(path, o);
            if (!t.open()) state.SkipWithError("open failed");
            const auto& title = *t.field("TITLE");
            std::mt19937 rng(2);
            state.ResumeTiming();
            {
                std::unique_ptr<store::Batch> batch;
                if (mode == OneBatch) batch = std::make_unique<store::Batch>(t);
                for (uint32_t i = 0; i < 10000; ++i) {
                    if (!t.go(1 + rng() % n)) state.SkipWithError("go failed");
                    std::string img = t.record();
                    dbf::setString(img, title, "Changed title " + std::to_string(rng()));
                    if (!t.putRecord(img)) state.SkipWithError("update failed");
                }
                if (batch && !batch->finish()) state.SkipWithError("batch failed");
            }
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    fileSizes(state, path);
    state.SetItemsProcessed(int64_t(state.iterations()) * 10000);
}

void BM_CdxAppend10000(benchmark::State& state) {
    appendTitles(state, OneByOne);
}
void BM_CdxAppend10000Batch(benchmark::State& state) {
    appendTitles(state, OneBatch);
}
void BM_CdxUpdateTitle10000(benchmark::State& state) {
    updateTitles(state, OneByOne);
}
void BM_CdxUpdateTitle10000Batch(benchmark::State& state) {
    updateTitles(state, OneBatch);
}

// One title changed and posted as the program posts it: the table and the index flushed to
// stable storage at the end (the cost of durability per post).
void BM_CdxPostOneTitle(benchmark::State& state) {
    uint32_t n = uint32_t(state.range(0));
    std::string path = scratchCopy(n);
    store::Table t(path);
    if (!t.open()) state.SkipWithError("open failed");
    const auto& title = *t.field("TITLE");
    std::mt19937 rng(3);
    for (auto _ : state) {
        if (!t.go(1 + rng() % n)) state.SkipWithError("go failed");
        std::string img = t.record();
        dbf::setString(img, title, "Posted title " + std::to_string(rng()));
        if (!t.putRecord(img)) state.SkipWithError("post failed");
    }
}

void BM_CdxReindex(benchmark::State& state) {
    std::string path = bench::indexedTitles(uint32_t(state.range(0)));
    store::Table t(path);
    if (!t.open()) state.SkipWithError("open failed");
    for (auto _ : state)
        if (!t.reindex()) state.SkipWithError("reindex failed");
    fileSizes(state, path);
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}

void BM_CdxPack10PercentDeleted(benchmark::State& state) {
    uint32_t n = uint32_t(state.range(0));
    std::string path;
    for (auto _ : state) {
        state.PauseTiming();
        path = scratchCopy(n);
        {
            store::Table t(path);
            if (!t.open()) state.SkipWithError("open failed");
            for (uint32_t r = 1; r <= n; r += 10) {
                if (!t.go(r) || !t.deleteRecord()) state.SkipWithError("delete failed");
            }
            state.ResumeTiming();
            if (!t.pack()) state.SkipWithError("pack failed");
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    fileSizes(state, path);
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_CdxOpen)->Apply(sizes)->Iterations(5);
BENCHMARK(BM_CdxOrderWalk)->Apply(sizes)->Iterations(12);
BENCHMARK(BM_CdxOrderSkip)->Apply(sizes)->Iterations(3);
BENCHMARK(BM_CdxSeek)->Apply(sizes)->Iterations(5);
BENCHMARK(BM_CdxAppend10000)->Apply(sizes)->Iterations(1);
BENCHMARK(BM_CdxAppend10000Batch)->Apply(sizes)->Iterations(1);
BENCHMARK(BM_CdxUpdateTitle10000)->Apply(sizes)->Iterations(1);
BENCHMARK(BM_CdxUpdateTitle10000Batch)->Apply(sizes)->Iterations(1);
BENCHMARK(BM_CdxPostOneTitle)->Apply(sizes)->Iterations(50);
BENCHMARK(BM_CdxReindex)->Apply(sizes)->Iterations(1);
BENCHMARK(BM_CdxPack10PercentDeleted)->Apply(sizes)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
