// Full-text search over 100,000 and 1,000,000 titles, "ALL Fields": the whole search as the
// main window runs it (open the index, candidates, verify each candidate's record, set its
// query bit) against the floor of a plain full scan that verifies every record, for a single
// word (rare, middling, common), a prefix, a phrase and an OR query. The index alone
// (candidates only) is measured too. Counters: matches, candidates.
// Run: build-bench/bin/fts_search_bench --benchmark_repetitions=5
//      --benchmark_report_aggregates_only=true   (medians in the *_median rows)
// RK_BENCH_FTS_SIZES=100000 limits the sizes.
#include "fts_bench_data.h"

#include "record.h"
#include "titleindex.h"
#include "titletext.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>

using namespace rk;

namespace {

struct QueryCase {
    std::string name;
    std::string query; // Windows-1252
};

std::vector<QueryCase> queries() {
    const auto& c = bench::fts::corpus();
    return {
        {"word_rare", c.words.byRank(20000)},
        {"word", c.words.byRank(300)},
        {"word_common", c.words.byRank(3)},
        {"prefix", c.words.byRank(40).substr(0, 3)},
        {"phrase", "\"" + c.first.byRank(5) + " " + c.last.byRank(5) + "\""},
        {"or", c.words.byRank(400) + " OR " + c.words.byRank(500)},
        {"two_words", c.words.byRank(100) + " " + c.words.byRank(120)},
    };
}

store::TableOptions readOnly() {
    store::TableOptions o;
    o.readOnly = true;
    o.exclusive = false;
    return o;
}

// The table of n titles with its index, built once when missing.
std::string prepared(uint32_t n) {
    const std::string table = bench::fts::titlesTable(n);
    const std::string index =
        search::titlesIndexPath(std::filesystem::path(table).parent_path().string());
    if (!search::indexFileExists(index)) {
        store::Table t(table, readOnly());
        if (!t.open() || !catalogue::buildTitleText(t, index)) std::exit(1);
    }
    return table;
}

std::string indexOf(const std::string& table) {
    return search::titlesIndexPath(std::filesystem::path(table).parent_path().string());
}

void searchIndexed(benchmark::State& state, uint32_t n, std::string query) {
    const std::string table = prepared(n);
    store::Table t(table, readOnly());
    if (!t.open()) return state.SkipWithError("cannot open the table");
    search::MarkReport report;
    for (auto _ : state) {
        auto r = search::searchTitles(t, indexOf(table), query, 0);
        if (!r) return state.SkipWithError(r.status().message().c_str());
        report = r->report;
    }
    state.counters["matches"] = report.matches;
    state.counters["candidates"] = report.candidates;
}

void candidatesOnly(benchmark::State& state, uint32_t n, std::string query) {
    const std::string index = indexOf(prepared(n));
    uint32_t count = 0;
    for (auto _ : state) {
        search::TFts fts;
        fts.FtsOpen(index, 20, 1);
        count = 0;
        if (fts.FtsSet(query) > 0)
            while (fts.FtsNextRec() > 0)
                ++count;
        fts.FtsClose();
    }
    state.counters["candidates"] = count;
}

void fullScan(benchmark::State& state, uint32_t n, std::string query) {
    const std::string table = prepared(n);
    store::Table t(table, readOnly());
    if (!t.open()) return state.SkipWithError("cannot open the table");
    search::TFts fts;
    const auto& fields = t.fields();
    const size_t size = t.recSize();
    constexpr uint32_t kBatch = 512;
    std::string batch;
    uint32_t matches = 0;
    for (auto _ : state) {
        matches = 0;
        for (uint32_t first = 1; first <= n; first += kBatch) {
            const uint32_t k = std::min(kBatch, n - first + 1);
            batch.resize(size_t(k) * size);
            if (!t.dbf()->readRecords(first, k, batch.data()))
                return state.SkipWithError("read failed");
            for (uint32_t i = 0; i < k; ++i) {
                const std::string_view img(batch.data() + size_t(i) * size, size);
                if (!dbf::isDeleted(img) &&
                    fts.FtsVerify(search::entryText(img, fields), query, 4) == 1)
                    ++matches;
            }
        }
    }
    state.counters["matches"] = matches;
}

std::vector<uint32_t> sizes() {
    std::vector<uint32_t> out;
    const char* env = std::getenv("RK_BENCH_FTS_SIZES");
    std::stringstream ss(env ? env : "100000,1000000");
    std::string item;
    while (std::getline(ss, item, ','))
        if (!item.empty()) out.push_back(uint32_t(std::stoul(item)));
    return out;
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    for (uint32_t n : sizes()) {
        for (const auto& q : queries()) {
            const std::string suffix = q.name + "/" + std::to_string(n);
            benchmark::RegisterBenchmark(("BM_FtsSearch/" + suffix).c_str(), searchIndexed, n,
                                         q.query)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("BM_FtsCandidates/" + suffix).c_str(), candidatesOnly, n,
                                         q.query)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("BM_FullScanVerify/" + suffix).c_str(), fullScan, n,
                                         q.query)
                ->Unit(benchmark::kMillisecond)
                ->Iterations(n > 200000 ? 1 : 3);
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
