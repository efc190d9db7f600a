// Table rows of the page printer: column formats, cells, placeholders, where a
// cell's text goes, and the friendly header and footer codes.
//
// A table format is a list of column formats joined by the token separator. Each
// column format is an optional alignment character ('<' left, '>' right, '^' centre)
// followed by the column width in the measure unit: "<1.56|>0.75|^2". A column format
// without a width takes the default column width; an empty one is '<' with that width.
#pragma once

#include "pagetypes.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace rk::print {

struct ColumnSpec {
    TAlignment align = taLeftJustify;
    double width = 0; // in the measure unit
    bool operator==(const ColumnSpec& o) const { return align == o.align && width == o.width; }
};

// Parses a whole table format. Throws EPagePrinter naming the column format when a width
// is not a number, is negative or is absurdly large.
std::vector<ColumnSpec> parseTableFormat(const QString& format, QChar separator,
                                         double defaultWidth, TMeasureUnit unit);

// The same format with every width converted to another unit (two decimals); used when
// the measure unit changes.
QString convertTableFormat(const QString& format, QChar separator, TMeasureUnit from,
                           TMeasureUnit to);

// Cell i of the row goes to column i; missing cells are empty, extra cells are dropped.
QStringList splitCells(const QString& row, QChar separator, int columnCount);

struct PlaceholderValues {
    int line = 0; // line number on the page, from 0
    int page = 1;
    QString date; // short date
    QString time; // long time
    QString title;
};
// Replaces {$LINE}, {$PAGE}, {$DATE}, {$TIME} and {$TITLE} (the title last, so that a
// title holding a placeholder's text stays as it is).
QString replacePlaceholders(const QString& cell, const PlaceholderValues& values);

// Left edge of a cell's text: at the column's left or right edge or centred; text
// narrower than the column less the inner gap moves that gap away from the edge.
qreal cellTextX(TAlignment align, qreal columnLeft, qreal columnWidth, qreal textWidth,
                qreal innerGap);

// Two decimals, as header and table formats write widths ("1.56").
QString formatWidth(double width);

// What the friendly codes insert; fixed when a code text is compiled.
struct FriendlyValues {
    QString shortDate, longDate, shortTime, longTime;
    QString fileName; // without its folder
    QString filePath; // with its folder
};

struct CompiledHeader {
    QString text;   // the sections joined by the separator
    QString format; // one column per section, each areaWidth / sections wide
};

// Compiles a friendly header or footer: "&l", "&c", "&r" start a section aligned left,
// centre or right (text before any of them is a left section); "&d" "&D" dates, "&t" "&T"
// times, "&f" "&F" the file name, "&i" the title placeholder, "&p" the page placeholder,
// "&&" an ampersand; any other code inserts a space.
CompiledHeader compileFriendly(const QString& code, QChar separator, double areaWidth,
                               const FriendlyValues& values);

} // namespace rk::print
