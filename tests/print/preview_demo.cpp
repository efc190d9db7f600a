// Shows a sample column report in the preview component, for looking at it by eye:
//   print_preview_demo [--zoom PERCENT|width|page] [--page N] [--grab FILE.png]
// With --grab the window is saved as an image and the program ends; otherwise it stays
// open (for screenshots under Xvfb).
#include "columnreport.h"
#include "pdfdevice.h"
#include "tpageprinter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

using namespace rk::print;

namespace {
class SampleRows : public ReportRows {
public:
    int count() override { return 60; }
    void first() override { at_ = 0; }
    QStringList row() override {
        static const char* const kTitles[] = {"Casablanca",
                                              "The Wizard of Oz",
                                              "Citizen Kane",
                                              "Close Encounters of the Third Kind",
                                              "Jaws",
                                              "Lawrence of Arabia",
                                              "Some Like It Hot",
                                              "Vertigo"};
        static const char* const kCategories[] = {"Drama",           "Family",   "Drama",
                                                  "Science Fiction", "Thriller", "Adventure",
                                                  "Comedy",          "Mystery"};
        const int k = at_ % 8;
        return {QString::fromLatin1(kTitles[k]), QString::fromLatin1(kCategories[k]),
                QString::number(1939 + (at_ * 7) % 50)};
    }
    void next() override { ++at_; }

private:
    int at_ = 0;
};
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser args;
    args.addOption({QStringLiteral("zoom"), QStringLiteral("Zoom"), QStringLiteral("zoom"),
                    QStringLiteral("100")});
    args.addOption({QStringLiteral("page"), QStringLiteral("Page"), QStringLiteral("page"),
                    QStringLiteral("1")});
    args.addOption({QStringLiteral("grab"), QStringLiteral("Image file"), QStringLiteral("file")});
    args.process(app);

    TPagePrinter view(std::make_shared<PdfDevice>(QString()));
    view.resize(900, 700);
    setupReportEngine(view);
    ColumnReportLayout layout;
    layout.fields = {QStringLiteral("Title"), QStringLiteral("Category"), QStringLiteral("Year")};
    layout.widths = {150 / 96.0, 125 / 96.0, 50 / 96.0};
    SampleRows rows;
    buildColumnReport(view, layout, rows);
    view.show();
    view.SetCurrentPage(args.value(QStringLiteral("page")).toInt());
    const QString zoom = args.value(QStringLiteral("zoom"));
    if (zoom == QLatin1String("page"))
        view.ZoomToPage();
    else if (zoom == QLatin1String("width"))
        view.ZoomToWidth();
    else
        view.SetZoomPercent(zoom.toInt());
    if (args.isSet(QStringLiteral("grab"))) {
        QTimer::singleShot(100, [&] {
            view.grab().save(args.value(QStringLiteral("grab")));
            app.quit();
        });
    }
    return app.exec();
}
