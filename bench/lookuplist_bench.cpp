// The lookup list over 200,000 and 1,000,000 titles in title order: binding the list to a
// dataset (the model reads the record numbers of the order), showing it, and going to the last
// title (the list scrolls to it and asks for the rows it then shows). Offscreen.
// Run: build-bench/bin/lookuplist_bench --benchmark_repetitions=5
//      --benchmark_report_aggregates_only=true   (medians in the *_median rows)
#include "bench_data.h"

#include "datacontrols.h"
#include "dataset.h"
#include "recordlistmodel.h"
#include "table.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>

using namespace rk;

namespace {

void BM_LookupListShowAndGoLast(benchmark::State& state) {
    store::Table t(bench::indexedTitles(uint32_t(state.range(0))));
    if (!t.open()) return state.SkipWithError("open failed");
    t.setOrder(t.tagArea("TITIT"));
    int rows = 0;
    for (auto _ : state) {
        if (!t.goTop()) return state.SkipWithError("goTop failed");
        fw::Dataset ds(&t);
        fw::RecordListModel model(&ds, "TITLE");
        fw::DBLookupList list;
        list.resize(300, 400);
        list.bind(&model);
        list.show();
        QCoreApplication::processEvents();
        if (!ds.last()) return state.SkipWithError("last failed");
        QCoreApplication::processEvents();
        rows = model.rowCount();
    }
    state.counters["rows"] = rows;
}

void sizes(benchmark::internal::Benchmark* b) {
    const char* only = std::getenv("RK_BENCH_SIZES");
    if (only) {
        b->Arg(std::atoi(only));
    } else {
        b->Arg(200000)->Arg(1000000);
    }
}

BENCHMARK(BM_LookupListShowAndGoLast)->Apply(sizes)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
