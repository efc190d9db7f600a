// rkdb report: the visible records of a table as a column report, written as PDF or as
// the page printer's plain text: the same rows (reports/) laid out by the same code
// (print/columnreport.h) as the report builder window.
#include "rkdb.h"

#include "columnreport.h"
#include "cp1252.h"
#include "pdfdevice.h"
#include "table.h"
#include "titlerows.h"

#include <QGuiApplication>

#include <cmath>
#include <iostream>
#include <memory>
#include <sstream>

namespace rkdb {

namespace {

using rk::print::ColumnReportLayout;
using rk::print::EPagePrinter;
using rk::print::PageEngine;
using rk::print::PdfDevice;
using rk::reports::TitleColumnRows;

// Fonts and painting need a Qt application; a console run without a display gets the
// offscreen platform.
void ensureGuiApplication() {
    if (QGuiApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "rkdb";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

int runReport(const Args& a) {
    const char* usage = "usage: rkdb report TABLE.dbf --fields F,G,... [--widths INCHES,...] "
                        "[--title TEXT] [--order TAG] [--query EXPR] [--grid] [--landscape] "
                        "(--pdf FILE | --text FILE)";
    if (a.positional.size() != 1 || !a.has("fields") || a.has("pdf") == a.has("text"))
        return fail(kUsage, usage);

    rk::store::TableOptions options;
    options.readOnly = true;
    options.exclusive = false;
    rk::store::Table table(a.positional[0], options);
    if (rk::Status s = table.open(); !s) return fail(kFileError, s.message());

    ColumnReportLayout layout;
    for (const std::string& name : splitList(a.get("fields"), true))
        layout.fields << QString::fromStdString(name);
    TitleColumnRows rows(table, layout.fields);
    if (!rows.missingField().isEmpty())
        return fail(kUsage, "the table has no field '" + rows.missingField().toStdString() + "'");
    if (a.has("widths")) {
        const std::vector<std::string> widths = splitList(a.get("widths"), true);
        if (widths.size() != static_cast<size_t>(layout.fields.size()))
            return fail(kUsage, "--widths needs one width per field");
        for (const std::string& w : widths) {
            char* end = nullptr;
            const double inches = std::strtod(w.c_str(), &end);
            if (w.empty() || *end || !std::isfinite(inches) || inches <= 0 || inches > 100)
                return fail(kUsage, "'" + w + "' is not a column width in inches");
            layout.widths.push_back(inches);
        }
    }
    if (a.has("title")) layout.title = QString::fromStdString(a.get("title"));
    layout.grid = a.has("grid");

    if (a.has("order")) {
        const int order = table.tagArea(a.get("order"));
        if (order == 0) return fail(kUsage, "the table has no tag '" + a.get("order") + "'");
        table.setOrder(order);
    }
    if (a.has("query")) {
        auto q = rk::cp1252::fromUtf8(a.get("query"));
        if (!q) return fail(kUsage, q.status().message());
        if (rk::Status s = table.query(*q); !s) return fail(kUsage, s.message());
    }

    const bool pdf = a.has("pdf");
    // The printer writes the file in place: a link or a device there is refused, not written.
    if (rk::Status s = rk::Env::standard()->replaceable(pdf ? a.get("pdf") : a.get("text")); !s)
        return fail(kFileError, s.message());
    ensureGuiApplication();
    const QString out = QString::fromStdString(pdf ? a.get("pdf") : a.get("text"));
    // The text output takes its page from the same PDF paper, so both break alike.
    auto device = std::make_shared<PdfDevice>(pdf ? out : QString());
    PageEngine engine(device);
    try {
        rk::print::setupReportEngine(engine);
        engine.SetShowProgress(false);
        if (a.has("landscape")) engine.SetOrientation(rk::print::poLandscape);
        if (layout.widths.empty()) {
            // One equal share of the text area for every column.
            engine.SetMarginLeft(layout.leftMargin);
            const double share =
                std::floor(engine.TextAreaWidth() / layout.fields.size() * 100) / 100;
            layout.widths.assign(static_cast<size_t>(layout.fields.size()), share);
        }
        if (!pdf) {
            engine.SetPrintToFile(true);
            engine.SetFileName(out);
        }
        const int n = rk::print::buildColumnReport(engine, layout, rows);
        if (!rows.status()) return fail(kFileError, rows.status().message());
        if (pdf) engine.Print();
        std::cout << "wrote " << n << (n == 1 ? " entry on " : " entries on ")
                  << (pdf ? engine.PageCount() : engine.PageNumber()) << " page(s) to "
                  << out.toStdString() << "\n";
    } catch (const EPagePrinter& e) {
        return fail(kFileError, e.what());
    }
    return kOk;
}

} // namespace

RKDB_COMMAND("report",
             "report TABLE.dbf --fields F,G,... [--widths INCHES,...] [--title TEXT] "
             "[--order TAG] [--query EXPR] [--grid] [--landscape] (--pdf FILE | --text FILE)",
             (std::vector<std::string>{"fields", "widths", "title", "order", "query", "pdf",
                                       "text"}),
             runReport);

} // namespace rkdb
