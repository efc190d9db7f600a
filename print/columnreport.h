// The column report of the custom report builder: one column per chosen field, one row
// per visible title, column titles on the first page, the report title and page number
// above every page, date and time below, and closing lines with the number of entries
// printed and the total price. The builder window and `rkdb report` both build it here.
#pragma once

#include "pageengine.h"
#include "reportfont.h"

#include <QColor>
#include <QFont>
#include <QStringList>

#include <optional>
#include <vector>

namespace rk::print {

// The visible records of the titles table in their current order.
class ReportRows {
public:
    virtual ~ReportRows() = default;
    virtual int count() = 0; // visible records
    virtual void first() = 0;
    // Display text of each chosen field of the current record, in column order.
    virtual QStringList row() = 0;
    virtual void next() = 0;
};

struct ColumnReportLayout {
    QString title = QStringLiteral("Reelkeeper98 Report");
    QStringList fields;              // column titles (the chosen field names)
    std::vector<double> widths;      // inches, one per field
    double leftMargin = 50.0 / 96.0; // inches
    bool grid = true;
    TPageBorders borders = TPageBorders(pbTop) | pbBottom;
    ReportFont headerFont{reportFont(12, true, true)};
    ReportFont titlesFont{reportFont(8, true, false)};
    ReportFont detailsFont{reportFont(8, false, false)};
    bool entryCount = true;
    std::optional<double> priceTotal; // adds the total value line when set

    static QFont reportFont(int points, bool bold, bool italic);
};

// The engine settings the builder fixes at design: inches; margins left and right 0.5,
// top and bottom 1.0; borders 1/16 inch outside the text area; single-and-a-half spacing;
// word wrap; "|" between cells; grid; zoom 100 %; the title and page number above each
// page and the date and time below; Courier New 8 pt; a straight run printed as laid out.
void setupReportEngine(PageEngine& engine);

// "<1.56|<1.30": every column left-aligned, widths with two decimals.
QString reportTableFormat(const std::vector<double>& widthsInches);

// "Total Value is $1234.50".
QString priceTotalLine(double total);

// Builds the report into the engine's pages (or its text file) and returns the number of
// rows written. Throws EPagePrinter when the engine refuses. The header font is used on
// every page, and footers are in the details font (automatic header and footer fonts are
// turned off).
int buildColumnReport(PageEngine& engine, const ColumnReportLayout& layout, ReportRows& rows);

} // namespace rk::print
