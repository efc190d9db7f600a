// The main window on a large catalogue: the program's start (all windows made and shown) and,
// on one started window, the steps a user takes there: View All, scrolling the list to its
// end, Last, sorting by year, the marked titles, a category picked in the category list,
// saving an edit and saving a new title; and the marked titles and a category pick as the first
// query of a program just started.
// Offscreen, on a copy of the benchmarks' catalogue of 200,000 titles (RK_BENCH_SIZES picks
// another size) or of the data folder named by RK_BIG_CATALOGUE; the steps edit the copy.
// Built with the windows (a build without RK_ENGINES_ONLY).
// Run: build/bin/mainwindow_bench --benchmark_repetitions=5
//      --benchmark_report_aggregates_only=true   (medians in the *_median rows)
#include "bench_data.h"
#include "guifixture.h"

#include "datacontrols.h"
#include "recordlistmodel.h"

#include <QScrollBar>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

uint32_t size() {
    const char* only = std::getenv("RK_BENCH_SIZES");
    return only ? uint32_t(std::atoi(only)) : 200000u;
}

const QString kPicked = QStringLiteral("Drama");

// The started program, made on first use and kept for every benchmark of the run.
std::unique_ptr<GuiFixture> started;

GuiFixture& program() {
    if (started) return *started;
    started = std::make_unique<GuiFixture>(GuiFixture::Catalogue::None);
    const QString big = qEnvironmentVariable("RK_BIG_CATALOGUE");
    const std::string from = big.isEmpty() ? rk::bench::catalogueOf(size()) : big.toStdString();
    std::filesystem::copy(from, started->data.toStdString(),
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
    started->writeSetting("Startup", "StartTut", "0");
    if (!started->start()) qFatal("the main window did not start on %s", from.c_str());
    // The category the pick step applies (the benchmarks' catalogues have none listed).
    rk::fw::Dataset* cats = started->form->categoriesData();
    if (!cats->insert().isOk() || !cats->setText("CATEGORY", kPicked).isOk() ||
        !cats->post().isOk())
        qFatal("the category could not be added");
    return *started;
}

void BM_Start(benchmark::State& state) {
    GuiFixture& app = program();
    for (auto _ : state) {
        app.stop();
        if (!app.start()) return state.SkipWithError("the main window did not start");
        QCoreApplication::processEvents();
    }
    state.counters["titles"] = app.form->titles().recCount();
}

// Makes the picked category the current one of the category list (as the press on its line).
bool pointAtPicked(TForm1* f) {
    rk::fw::Dataset* cats = f->categoriesData();
    if (!cats->first().isOk()) return false;
    while (!cats->eof() && cats->text("CATEGORY") != kPicked)
        if (!cats->next().isOk()) return false;
    return !cats->eof();
}

enum Step { ViewAll, ScrollToEnd, Last, SortByYear, Marked, Category, SaveEdit, SaveNew };

void BM_Step(benchmark::State& state) {
    TForm1* f = program().form;
    auto* list = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2");
    QScrollBar* bar = list->verticalScrollBar();
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f->ViewAll1Click();
        bar->setValue(0);
        if (Step(state.range(0)) == Category) {
            f->Category2Click();
            if (!pointAtPicked(f)) return state.SkipWithError("no category to pick");
        }
        QCoreApplication::processEvents();
        state.ResumeTiming();
        bool ok = true;
        switch (Step(state.range(0))) {
        case ViewAll:
            f->ViewAll1Click();
            break;
        case ScrollToEnd:
            bar->setValue(bar->maximum());
            break;
        case Last:
            ok = f->titlesData()->last().isOk();
            break;
        case SortByYear:
            f->Year1Click();
            break;
        case Marked:
            f->Marked1Click();
            break;
        case Category:
            f->DBLookupListBox1MouseUp(Qt::LeftButton);
            break;
        case SaveEdit:
            ok = f->titlesData()->setText("DIRECTOR", "Timed " + QString::number(++n)).isOk();
            f->SaveButClick();
            break;
        case SaveNew:
            f->NewButClick();
            ok = f->titlesData()->setText("TITLE", "A timed new title").isOk();
            f->SaveButClick();
            break;
        }
        QCoreApplication::processEvents();
        if (!ok) return state.SkipWithError("the step failed");
    }
    static const char* const names[] = {
        "View All", "scroll to the end", "Last",         "sort by year",
        "Marked",   "pick a category",   "save an edit", "save a new title"};
    state.SetLabel(names[state.range(0)]);
}

// The Marked view and a category pick as the first query of a session: the table keeps the
// answers of its last queries, so that BM_Step's later iterations show what asking again
// costs; here each is asked of a program just started.
void BM_FirstQuery(benchmark::State& state) {
    GuiFixture& app = program();
    for (auto _ : state) {
        state.PauseTiming();
        app.stop();
        if (!app.start()) return state.SkipWithError("the main window did not start");
        TForm1* f = app.form;
        f->ViewAll1Click();
        if (state.range(0) == Category) {
            f->Category2Click();
            if (!pointAtPicked(f)) return state.SkipWithError("no category to pick");
        }
        QCoreApplication::processEvents();
        state.ResumeTiming();
        if (state.range(0) == Category)
            f->DBLookupListBox1MouseUp(Qt::LeftButton);
        else
            f->Marked1Click();
        QCoreApplication::processEvents();
    }
    state.SetLabel(state.range(0) == Category ? "pick a category, first query"
                                              : "Marked, first query");
}

BENCHMARK(BM_Start)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Step)->DenseRange(ViewAll, SaveNew)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FirstQuery)->Arg(Marked)->Arg(Category)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    started.reset(); // the windows go before the application
    return 0;
}
