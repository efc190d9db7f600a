// The title list with columns against the single-column list, over 200,000 and 1,000,000
// titles in title order: showing the list and going to the last title, scrolling forty pages,
// and two order changes (by year, then by title again) with the list following. Counters:
// the rows the list asked of its model and the records read for them. Offscreen.
// Run: build-bench/bin/columnlist_bench --benchmark_repetitions=5
//      --benchmark_report_aggregates_only=true   (medians in the *_median rows)
#include "bench_data.h"

#include "columnlist.h"
#include "datacontrols.h"
#include "dataset.h"
#include "recordcolumnmodel.h"
#include "recordlistmodel.h"
#include "table.h"

#include <QApplication>
#include <QScrollBar>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <set>

using namespace rk;

namespace {

// Counts the rows a view asks for (a record is read for each row not in the model's cache).
class CountingListModel : public fw::RecordListModel {
public:
    using RecordListModel::RecordListModel;
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole) rows.insert(index.row());
        return RecordListModel::data(index, role);
    }
    mutable std::set<int> rows;
};

class CountingColumnModel : public fw::RecordColumnModel {
public:
    using RecordColumnModel::RecordColumnModel;
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole) rows.insert(index.row());
        return RecordColumnModel::data(index, role);
    }
    mutable std::set<int> rows;
};

// One list of either kind over the titles, shown.
struct Shown {
    explicit Shown(store::Table& t, bool columns) : ds(&t), rows(&ds, "TITLE") {
        if (columns) {
            columnModel = std::make_unique<CountingColumnModel>(&rows);
            columnModel->setColumns({{"Title", "TITLE", {}, 190},
                                     {"Year", "YEAR", {}, 46},
                                     {"Format", "FORMAT", {}, 80},
                                     {"Category", "CATEGORY", {}, 110},
                                     {"Rating", "RATING", {}, 80},
                                     {"Price", "PRICE", {}, 60}});
            auto* l = new fw::DBColumnList;
            l->bind(columnModel.get());
            view.reset(l);
        } else {
            auto* l = new fw::DBLookupList;
            l->bind(&rows);
            view.reset(l);
        }
        view->resize(400, 600);
        view->show();
        QCoreApplication::processEvents();
    }
    size_t rowsAsked() const { return columnModel ? columnModel->rows.size() : rows.rows.size(); }

    fw::Dataset ds;
    CountingListModel rows;
    std::unique_ptr<CountingColumnModel> columnModel;
    std::unique_ptr<QAbstractItemView> view;
};

bool openTitles(store::Table& t, benchmark::State& state) {
    if (!t.open()) {
        state.SkipWithError("open failed");
        return false;
    }
    t.setOrder(t.tagArea("TITIT"));
    return true;
}

void BM_ShowAndGoLast(benchmark::State& state) {
    store::Table t(bench::indexedTitles(uint32_t(state.range(0))));
    if (!openTitles(t, state)) return;
    size_t asked = 0;
    for (auto _ : state) {
        if (!t.goTop()) return state.SkipWithError("goTop failed");
        Shown list(t, state.range(1) != 0);
        if (!list.ds.last()) return state.SkipWithError("last failed");
        QCoreApplication::processEvents();
        asked = list.rowsAsked();
    }
    state.counters["rows_asked"] = double(asked);
}

void BM_ScrollFortyPages(benchmark::State& state) {
    store::Table t(bench::indexedTitles(uint32_t(state.range(0))));
    if (!openTitles(t, state) || !t.goTop()) return;
    Shown list(t, state.range(1) != 0);
    QScrollBar* bar = list.view->verticalScrollBar();
    const size_t before = list.rowsAsked();
    for (auto _ : state) {
        for (int page = 0; page < 40; ++page) {
            bar->setValue(bar->value() + bar->pageStep());
            QCoreApplication::processEvents();
        }
    }
    state.counters["rows_asked"] = double(list.rowsAsked() - before);
}

void BM_OrderByYearAndBack(benchmark::State& state) {
    store::Table t(bench::indexedTitles(uint32_t(state.range(0))));
    if (!openTitles(t, state) || !t.goTop()) return;
    Shown list(t, state.range(1) != 0);
    const int year = t.tagArea("YR"), title = t.tagArea("TITIT");
    for (auto _ : state) {
        if (!list.ds.setOrder(year) || !list.ds.setOrder(title))
            return state.SkipWithError("order failed");
        QCoreApplication::processEvents();
    }
    state.counters["rows_asked"] = double(list.rowsAsked());
}

// Arguments: titles, then 0 for the single-column list or 1 for the column list.
void sizes(benchmark::internal::Benchmark* b) {
    const char* only = std::getenv("RK_BENCH_SIZES");
    for (int columns : {0, 1}) {
        if (only) {
            b->Args({std::atoi(only), columns});
        } else {
            b->Args({200000, columns})->Args({1000000, columns});
        }
    }
}

BENCHMARK(BM_ShowAndGoLast)->Apply(sizes)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ScrollFortyPages)->Apply(sizes)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OrderByYearAndBack)->Apply(sizes)->Unit(benchmark::kMillisecond)->Iterations(5);

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
