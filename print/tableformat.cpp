#include "tableformat.h"

#include "units.h"

#include <cmath>

namespace rk::print {

namespace {

QChar alignChar(TAlignment a) {
    switch (a) {
    case taRightJustify:
        return QLatin1Char('>');
    case taCenter:
        return QLatin1Char('^');
    case taLeftJustify:
        break;
    }
    return QLatin1Char('<');
}

// Splits off the alignment character; returns the width text.
QString splitAlign(QString spec, TAlignment* align) {
    spec = spec.trimmed();
    *align = taLeftJustify;
    if (!spec.isEmpty()) {
        const QChar c = spec.at(0);
        if (c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('^')) {
            *align = c == QLatin1Char('>')   ? taRightJustify
                     : c == QLatin1Char('^') ? taCenter
                                             : taLeftJustify;
            spec.remove(0, 1);
        }
    }
    return spec.trimmed();
}

} // namespace

std::vector<ColumnSpec> parseTableFormat(const QString& format, QChar separator,
                                         double defaultWidth, TMeasureUnit unit) {
    std::vector<ColumnSpec> cols;
    const QStringList specs = format.split(separator);
    cols.reserve(specs.size());
    for (const QString& spec : specs) {
        ColumnSpec col;
        const QString width = splitAlign(spec, &col.align);
        if (width.isEmpty()) {
            col.width = defaultWidth;
        } else {
            bool ok = false;
            col.width = width.toDouble(&ok);
            if (!ok || !isSaneLength(col.width, unit))
                throw EPagePrinter(
                    QStringLiteral("Invalid column width \"%1\" in the table format").arg(spec));
        }
        cols.push_back(col);
    }
    return cols;
}

QString convertTableFormat(const QString& format, QChar separator, TMeasureUnit from,
                           TMeasureUnit to) {
    if (format.isEmpty() || from == to) return format;
    QStringList out;
    for (const QString& spec : format.split(separator)) {
        TAlignment align;
        const QString width = splitAlign(spec, &align);
        bool ok = false;
        const double w = width.toDouble(&ok);
        if (width.isEmpty() || !ok) {
            out << spec; // no width to convert, or one that parsing will refuse later
        } else {
            const QString trimmed = spec.trimmed();
            const bool marked = trimmed.startsWith(alignChar(align));
            out << (marked ? trimmed.left(1) : QString()) + formatWidth(convertLength(w, from, to));
        }
    }
    return out.join(separator);
}

QStringList splitCells(const QString& row, QChar separator, int columnCount) {
    QStringList cells = row.split(separator);
    while (cells.size() < columnCount)
        cells << QString();
    if (cells.size() > columnCount) cells.erase(cells.begin() + columnCount, cells.end());
    return cells;
}

QString replacePlaceholders(const QString& cell, const PlaceholderValues& v) {
    if (!cell.contains(QLatin1String("{$"))) return cell;
    QString s = cell;
    s.replace(QLatin1String("{$LINE}"), QString::number(v.line));
    s.replace(QLatin1String("{$PAGE}"), QString::number(v.page));
    s.replace(QLatin1String("{$DATE}"), v.date);
    s.replace(QLatin1String("{$TIME}"), v.time);
    s.replace(QLatin1String("{$TITLE}"), v.title);
    return s;
}

qreal cellTextX(TAlignment align, qreal columnLeft, qreal columnWidth, qreal textWidth,
                qreal innerGap) {
    const bool gapFits = textWidth < columnWidth - innerGap;
    switch (align) {
    case taRightJustify:
        return columnLeft + columnWidth - textWidth - (gapFits ? innerGap : 0);
    case taCenter:
        return columnLeft + (columnWidth - textWidth) / 2;
    case taLeftJustify:
        break;
    }
    return columnLeft + (gapFits ? innerGap : 0);
}

QString formatWidth(double width) {
    return QString::number(width, 'f', 2);
}

CompiledHeader compileFriendly(const QString& code, QChar separator, double areaWidth,
                               const FriendlyValues& values) {
    struct Section {
        TAlignment align;
        QString text;
    };
    std::vector<Section> sections;
    auto current = [&]() -> QString& {
        if (sections.empty()) sections.push_back({taLeftJustify, QString()});
        return sections.back().text;
    };
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c != QLatin1Char('&') || i + 1 >= code.size()) {
            current().append(c);
            continue;
        }
        const QChar k = code.at(++i);
        switch (k.unicode()) {
        case 'l':
            sections.push_back({taLeftJustify, QString()});
            break;
        case 'c':
            sections.push_back({taCenter, QString()});
            break;
        case 'r':
            sections.push_back({taRightJustify, QString()});
            break;
        case 'd':
            current().append(values.shortDate);
            break;
        case 'D':
            current().append(values.longDate);
            break;
        case 't':
            current().append(values.shortTime);
            break;
        case 'T':
            current().append(values.longTime);
            break;
        case 'f':
            current().append(values.fileName);
            break;
        case 'F':
            current().append(values.filePath);
            break;
        case 'i':
            current().append(QLatin1String("{$TITLE}"));
            break;
        case 'p':
            current().append(QLatin1String("{$PAGE}"));
            break;
        case '&':
            current().append(QLatin1Char('&'));
            break;
        default:
            current().append(QLatin1Char(' '));
            break;
        }
    }
    CompiledHeader out;
    if (sections.empty()) return out;
    const QString width = formatWidth(areaWidth / static_cast<double>(sections.size()));
    QStringList texts, formats;
    for (const Section& s : sections) {
        texts << s.text;
        formats << alignChar(s.align) + width;
    }
    out.text = texts.join(separator);
    out.format = formats.join(separator);
    return out;
}

} // namespace rk::print
