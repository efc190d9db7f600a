// The page printer on a large report: 100,000 rows of 5 columns laid out into recorded pages
// (the builder's column report, with grid and page headers), and printed straight to a PDF
// file as they are laid out.
// Counters: pages, bytes held for the recorded pages, and the process's peak memory.
#include "columnreport.h"
#include "pdfdevice.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

using namespace rk::print;

class SyntheticRows : public ReportRows {
public:
    explicit SyntheticRows(int n) : n_(n) {}
    int count() override { return n_; }
    void first() override { at_ = 0; }
    QStringList row() override {
        static const char* const kCategories[] = {"Drama",  "Comedy",      "Science Fiction",
                                                  "Family", "Documentary", "Home Movies"};
        static const char* const kWords[] = {"Night",  "Return", "Summer", "Lost",
                                             "River",  "Star",   "Garden", "Empire",
                                             "Secret", "Island", "Winter"};
        QString title = QStringLiteral("Title %1").arg(at_);
        for (int w = 0; w < at_ % 7; ++w)
            title += QLatin1Char(' ') + QLatin1String(kWords[(at_ + w) % 11]);
        return {title, QLatin1String(kCategories[at_ % 6]),
                QStringLiteral("Director %1").arg(at_ % 997), QString::number(1930 + at_ % 70),
                QStringLiteral("%1.%2").arg(5 + at_ % 40).arg(at_ % 100, 2, 10, QLatin1Char('0'))};
    }
    void next() override { ++at_; }

private:
    int n_, at_ = 0;
};

ColumnReportLayout layoutFor() {
    ColumnReportLayout l;
    l.fields = {QStringLiteral("Title"), QStringLiteral("Category"), QStringLiteral("Director"),
                QStringLiteral("Year"), QStringLiteral("Price")};
    l.widths = {2.2, 1.3, 1.6, 0.6, 0.8};
    return l;
}

double peakRssMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

QString pdfPath() {
    return QDir::temp().filePath(QStringLiteral("rk-print-bench.pdf"));
}

void BM_LayoutPages(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    auto device = std::make_shared<PdfDevice>(pdfPath());
    int pages = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        PageEngine engine(device);
        setupReportEngine(engine);
        engine.SetPrintAsLaidOut(false); // the recorded pages are what is measured
        SyntheticRows source(rows);
        buildColumnReport(engine, layoutFor(), source);
        pages = engine.PageCount();
        bytes = engine.Pages().byteSize();
    }
    state.counters["pages"] = pages;
    state.counters["page_MB"] = bytes / 1048576.0;
    state.counters["peak_rss_MB"] = peakRssMb();
    state.SetItemsProcessed(state.iterations() * rows);
}

void BM_LayoutAndPdf(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    auto device = std::make_shared<PdfDevice>(pdfPath());
    int pages = 0;
    for (auto _ : state) {
        PageEngine engine(device);
        setupReportEngine(engine);
        engine.SetShowProgress(false);
        SyntheticRows source(rows);
        buildColumnReport(engine, layoutFor(), source);
        if (!engine.Print()) state.SkipWithError("print cancelled");
        pages = engine.PageCount();
    }
    state.counters["pages"] = pages;
    state.counters["pdf_MB"] = QFile(pdfPath()).size() / 1048576.0;
    state.counters["peak_rss_MB"] = peakRssMb();
    state.SetItemsProcessed(state.iterations() * rows);
}

// One row whose Title cell holds `n` characters of words, wrapped into its 2.2-inch column
// over many lines and pages: the cost must grow with the text, not with its square.
class LongCellRow : public ReportRows {
public:
    explicit LongCellRow(int chars) {
        static const char* const kWords[] = {"night", "return", "summer", "lost",  "river",
                                             "star",  "garden", "empire", "secret"};
        for (int w = 0; text_.size() < chars; ++w)
            text_ += QLatin1String(kWords[w % 9]) + QLatin1Char(' ');
        text_.truncate(chars);
    }
    int count() override { return 1; }
    void first() override {}
    QStringList row() override {
        return {text_, QStringLiteral("Drama"), QStringLiteral("Director"), QStringLiteral("1999"),
                QStringLiteral("9.99")};
    }
    void next() override {}

private:
    QString text_;
};

void BM_WrapLongCell(benchmark::State& state) {
    const int chars = static_cast<int>(state.range(0));
    auto device = std::make_shared<PdfDevice>(pdfPath());
    int pages = 0;
    for (auto _ : state) {
        PageEngine engine(device);
        setupReportEngine(engine);
        LongCellRow source(chars);
        buildColumnReport(engine, layoutFor(), source);
        pages = engine.PageCount();
    }
    state.counters["pages"] = pages;
    state.SetItemsProcessed(state.iterations() * chars);
}

BENCHMARK(BM_WrapLongCell)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayoutPages)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LayoutAndPdf)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

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
