// The standard report: one card-like block per title with every descriptive field, under
// the report title, a page header naming the print request and the page number. Its
// bands and fields are data for the banded report (bandreport.h); the print request
// dialog gathers the choices and builds it here.
#pragma once

#include "bandreport.h"

#include <QString>

#include <array>

namespace rk::print {

class PageEngine;
class PrinterDevice;

// What "Printed at " is followed by.
enum class ReportDateOption { Date, DateAndTime, None };

// How the detail blocks are separated: a line under each, a box around each, nothing.
enum class ReportBorderOption { Border, Box, None };

// Which titles the request prints; each has its page-header label.
enum class PrintScope { SelectedTitle, SelectedCategory, MarkedEntries, AllEntries };
QString requestLabel(PrintScope scope);

struct StandardReportOptions {
    QString title = QStringLiteral("Reelkeeper98 Report"); // empty: no title is printed
    QString request = QStringLiteral("Print Request");
    // The names the main window shows for the four user fields.
    std::array<QString, 4> userCaptions{QStringLiteral("Custom1:"), QStringLiteral("Custom2:"),
                                        QStringLiteral("Custom3:"), QStringLiteral("Custom4:")};
    ReportDateOption date = ReportDateOption::Date;
    ReportBorderOption border = ReportBorderOption::Border;
    // Each title's front cover (the rows' picture), small, to the right of its block.
    bool covers = false;
};

// The report's bands and fields with the options applied.
BandReportLayout standardReportLayout(const StandardReportOptions& options);

// Records the report as the engine's pages (preview, Print, PDF); returns the page count.
int buildStandardReport(PageEngine& engine, const StandardReportOptions& options, BandRows& rows);

// Prints the report straight onto a printer or PDF file, a page at a time.
int printStandardReport(PrinterDevice& printer, const StandardReportOptions& options,
                        BandRows& rows, const QDateTime& now);

} // namespace rk::print
