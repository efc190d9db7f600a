// A banded report: a title band once at the start, a page header on every page, one detail
// band per record and a page footer, drawn on the page printer's pages.
//
// Positions and sizes are report units of 1/96 inch from the top-left corner of the band;
// fonts are in points. A band's design width (1200 units) is wider than any paper: what
// lies beyond the page's printable width is cut off. When the fields reach further right
// than the printable width (A4 paper is narrower than letter), the whole report is shrunk,
// fonts included, until they fit.
//
// A detail band's data fields take their values from the rows adapter. A field that grows
// is word-wrapped within its width and printed on as many lines as it needs; every field
// below it moves down by the extra lines, and the band grows with them. All other fields
// print on one line, cut to their width (labels that size themselves to their text are
// never cut). A band that does not fit in what is left of the page above the page footer
// moves to the next page; a band taller than a whole page is split between pages at a line.
//
// Page (printable area):
//   +------------------------------+
//   | Title          (first page)  |
//   | PageHeader                   |
//   | Detail                       |
//   | Detail ...                   |
//   |                              |
//   | PageFooter     (at the foot) |
//   +------------------------------+
#pragma once

#include "pagecanvas.h"
#include "pagetypes.h"
#include "reportfont.h"

#include <QDateTime>
#include <QString>

#include <vector>

namespace rk::print {

class PageEngine;
class PrinterDevice;

inline constexpr double kReportUnitsPerInch = 96.0;

enum class BandKind { Title, PageHeader, Detail, PageFooter };

enum class FieldKind {
    Label,      // fixed text
    Data,       // the current record's value of `dataField`
    Date,       // `text` then today's date (short format)
    DateTime,   // `text` then today's date (short) and the time (long format)
    PageNumber, // `text` then the page number
    Picture,    // the current record's picture, `width` wide at its own proportions
};

struct BandField {
    QString name; // as the layout calls it, so that options can find it
    FieldKind kind = FieldKind::Label;
    QString text; // the label's text, or the prefix of a system field
    QString dataField;
    // The field's span across the band and its top, in report units.
    double left = 0, top = 0, width = 0;
    TAlignment align = taLeftJustify;
    // Sized to its text (never cut): left-aligned text starts at `left`, right-aligned text
    // ends at `left + width`.
    bool autoSize = false;
    bool grows = false;
    bool visible = true;
    ReportFont font;
};

// Lines along a band's edges, each switched on its own; `width` in report units.
struct BandFrame {
    bool top = false, bottom = false, left = false, right = false;
    double width = 1;
    bool any() const { return top || bottom || left || right; }
};

struct Band {
    BandKind kind = BandKind::Detail;
    QString name;
    double height = 0; // report units, before any field grows
    BandFrame frame;
    std::vector<BandField> fields;
};

struct BandReportLayout {
    QString title;           // the print job's name
    double bandWidth = 1200; // report units
    double marginLeft = 0;   // report units inside the printable area
    double marginTop = 0;
    double marginRight = 0;
    double marginBottom = 0;
    std::vector<Band> bands; // at most one of each kind is used: the first

    Band* band(BandKind kind);
    const Band* band(BandKind kind) const;
    // The field of that name in any band; nullptr when there is none.
    BandField* field(const QString& name);
};

// The records of a detail band, in the order the data source delivers them.
class BandRows {
public:
    virtual ~BandRows() = default;
    // To the first record; false when there is none.
    virtual bool first() = 0;
    // To the next record; false past the last.
    virtual bool next() = 0;
    // The display text of a field of the current record.
    virtual QString value(const QString& field) = 0;
    // The path of the current record's picture; empty when it has none.
    virtual QString picturePath() { return {}; }
};

// Lays out and draws the report on a canvas (recorded pages, or a printer straight away)
// for a printer's page. Returns the number of pages drawn. The canvas's origin is the
// top-left corner of the report's area (the printable area less the layout's margins).
int runBandReport(const BandReportLayout& layout, const PrinterMetrics& metrics,
                  const QDateTime& now, BandRows& rows, PageCanvas& canvas);

// Where the report's area lies on a recorded page, in printer dots from the printable
// area's top-left corner; and the scale in dots per report unit across and down.
struct BandGeometry {
    QRectF area;
    double scaleX = 1, scaleY = 1;
};
BandGeometry bandGeometry(const BandReportLayout& layout, const PrinterMetrics& metrics);

// Records the report as the engine's pages (for its preview, Print and PDF), on the page of
// the engine's printer and with its clock. Throws EPagePrinter while a document is open.
int buildBandReport(PageEngine& engine, const BandReportLayout& layout, BandRows& rows);

// Prints the report straight onto a printer (a PDF file), one page at a time, so that a
// long report needs no more memory than a page. Throws EPagePrinter when the printer
// refuses.
int printBandReport(PrinterDevice& printer, const BandReportLayout& layout, BandRows& rows,
                    const QDateTime& now);

} // namespace rk::print
