// Reports to PDF: the standard report (one block per title, growing summaries) and a
// 5-column custom report, over 10,000 and 100,000 synthetic titles.
//   BM_StandardReportPages:    laid out into the engine's recorded pages, then printed to PDF
//   BM_StandardReportStreamed: printed straight onto the PDF file, a page at a time
//   BM_CustomReport:           the builder's column report printed to PDF as it is laid out
//   BM_CustomReportRecorded:   the same, recorded first and then printed
// Counters: pages, bytes held for recorded pages, and the peak resident memory of the run
// (the process's high-water mark is reset before each run through /proc/self/clear_refs;
// for exact figures run one benchmark per process with --benchmark_filter).
#include "columnreport.h"
#include "pdfdevice.h"
#include "standardreport.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <fstream>
#include <malloc.h>
#include <string>

namespace {

using namespace rk::print;

const char* const kWords[] = {"night",  "return", "summer", "lost",   "river",  "star",
                              "garden", "empire", "secret", "island", "winter", "harbour",
                              "storm",  "letter", "mirror", "valley", "ghost",  "station"};
const char* const kCategories[] = {"Drama",  "Comedy",      "Science Fiction",
                                   "Family", "Documentary", "Home Movies"};

QString words(int seed, int count) {
    QString s;
    for (int w = 0; w < count; ++w) {
        if (w) s += QLatin1Char(' ');
        s += QLatin1String(kWords[(seed * 7 + w * 13) % 18]);
    }
    return s;
}

class SyntheticTitles : public BandRows {
public:
    explicit SyntheticTitles(int n) : n_(n) {}
    bool first() override { return (at_ = 0) < n_; }
    bool next() override { return ++at_ < n_; }
    QString value(const QString& field) override {
        if (field == QLatin1String("TITLE"))
            return QStringLiteral("Title %1 ").arg(at_) + words(at_, 1 + at_ % 5);
        if (field == QLatin1String("CATEGORY")) return QLatin1String(kCategories[at_ % 6]);
        if (field == QLatin1String("SUMMARY")) return words(at_, 5 + (at_ * 37) % 90);
        if (field == QLatin1String("USER3") || field == QLatin1String("USER4"))
            return at_ % 9 ? QString() : words(at_ + 3, 12);
        if (field == QLatin1String("PRICE"))
            return QStringLiteral("%1.%2")
                .arg(5 + at_ % 40)
                .arg(at_ % 100, 2, 10, QLatin1Char('0'));
        return field.toLower() + QString::number(at_ % 1000);
    }

private:
    int n_, at_ = 0;
};

class SyntheticRows : public ReportRows {
public:
    explicit SyntheticRows(int n) : n_(n) {}
    int count() override { return n_; }
    void first() override { at_ = 0; }
    QStringList row() override {
        return {QStringLiteral("Title %1 ").arg(at_) + words(at_, at_ % 7),
                QLatin1String(kCategories[at_ % 6]), QStringLiteral("Director %1").arg(at_ % 997),
                QString::number(1930 + at_ % 70),
                QStringLiteral("%1.%2").arg(5 + at_ % 40).arg(at_ % 100, 2, 10, QLatin1Char('0'))};
    }
    void next() override { ++at_; }

private:
    int n_, at_ = 0;
};

// Resets the process's peak resident memory (Linux) and reads it back, in megabytes. Memory
// that an earlier run freed is given back first, so that it does not count again.
void resetPeak() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}
double peakMb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

QString pdfPath() {
    return QDir::temp().filePath(QStringLiteral("rk-report-bench.pdf"));
}

StandardReportOptions standardOptions() {
    StandardReportOptions o;
    o.request = requestLabel(PrintScope::AllEntries);
    o.border = ReportBorderOption::Box;
    return o;
}

void finish(benchmark::State& state, int rows, int pages, double peak, qint64 pageBytes = 0) {
    state.counters["pages"] = pages;
    state.counters["peak_MB"] = peak;
    state.counters["pdf_MB"] = QFile(pdfPath()).size() / 1048576.0;
    if (pageBytes) state.counters["page_MB"] = pageBytes / 1048576.0;
    state.SetItemsProcessed(state.iterations() * rows);
}

void BM_StandardReportPages(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    int pages = 0;
    qint64 bytes = 0;
    double peak = 0;
    for (auto _ : state) {
        resetPeak();
        PageEngine engine(std::make_shared<PdfDevice>(pdfPath()));
        engine.SetShowProgress(false);
        SyntheticTitles source(rows);
        pages = buildStandardReport(engine, standardOptions(), source);
        bytes = engine.Pages().byteSize();
        if (!engine.Print()) state.SkipWithError("print cancelled");
        peak = peakMb();
    }
    finish(state, rows, pages, peak, bytes);
}

void BM_StandardReportStreamed(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    int pages = 0;
    double peak = 0;
    for (auto _ : state) {
        resetPeak();
        PdfDevice pdf(pdfPath());
        SyntheticTitles source(rows);
        pages = printStandardReport(pdf, standardOptions(), source, QDateTime::currentDateTime());
        peak = peakMb();
    }
    finish(state, rows, pages, peak);
}

void customReport(benchmark::State& state, bool record) {
    const int rows = static_cast<int>(state.range(0));
    ColumnReportLayout layout;
    layout.fields = {QStringLiteral("Title"), QStringLiteral("Category"),
                     QStringLiteral("Director"), QStringLiteral("Year"), QStringLiteral("Price")};
    layout.widths = {2.2, 1.3, 1.6, 0.6, 0.8};
    layout.priceTotal = 12345.5;
    int pages = 0;
    qint64 bytes = 0;
    double peak = 0;
    for (auto _ : state) {
        resetPeak();
        PageEngine engine(std::make_shared<PdfDevice>(pdfPath()));
        setupReportEngine(engine);
        engine.SetShowProgress(false);
        engine.SetPrintAsLaidOut(!record);
        SyntheticRows source(rows);
        buildColumnReport(engine, layout, source);
        pages = engine.PageCount();
        bytes = engine.Pages().byteSize();
        if (!engine.Print()) state.SkipWithError("print cancelled");
        peak = peakMb();
    }
    finish(state, rows, pages, peak, bytes);
}

void BM_CustomReport(benchmark::State& state) {
    customReport(state, false);
}
void BM_CustomReportRecorded(benchmark::State& state) {
    customReport(state, true);
}

BENCHMARK(BM_StandardReportPages)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_StandardReportStreamed)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_CustomReport)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_CustomReportRecorded)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    QFile::remove(pdfPath());
    return 0;
}
