#include "columnreport.h"

#include "tableformat.h"

namespace rk::print {

namespace {
// Joins cells with the separator; a separator inside a value would move the rest of the
// row into the wrong columns, so it is shown as a broken bar instead.
QString joinRow(const QStringList& cells, QChar separator) {
    QString row;
    for (QString cell : cells) {
        cell.replace(separator, QChar(0x00A6));
        row += cell;
        row += separator;
    }
    return row;
}
} // namespace

QFont ColumnReportLayout::reportFont(int points, bool bold, bool italic) {
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(points);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

void setupReportEngine(PageEngine& engine) {
    engine.SetMeasureUnit(muInches);
    engine.SetMarginLeft(0.5);
    engine.SetMarginRight(0.5);
    engine.SetMarginTop(1.0);
    engine.SetMarginBottom(1.0);
    engine.SetPageBorderOffset(1.0 / 16.0);
    engine.SetLineSpacing(lsSingleAndAHalf);
    engine.SetWordWrap(true);
    engine.SetTokenSeparator(QLatin1Char('|'));
    engine.SetTableGrid(true);
    engine.SetZoomPercent(100);
    engine.SetPrintAsLaidOut(true);
    engine.SetFriendlyHeader(QStringLiteral("&l&i&rPage &p"));
    engine.SetFriendlyFooter(QStringLiteral("&l&d&r&t"));
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::TypeWriter);
    courier.setPointSize(8);
    engine.SetFont(courier);
}

QString reportTableFormat(const std::vector<double>& widthsInches) {
    QStringList specs;
    for (double w : widthsInches)
        specs << QStringLiteral("<") + formatWidth(w);
    return specs.join(QLatin1Char('|'));
}

QString priceTotalLine(double total) {
    return QStringLiteral("Total Value is $") + QString::number(total, 'f', 2);
}

int buildColumnReport(PageEngine& engine, const ColumnReportLayout& layout, ReportRows& rows) {
    const QChar sep = engine.TokenSeparator();
    engine.Clear();
    engine.SetTitle(layout.title);
    engine.SetTableGrid(layout.grid);
    engine.SetMarginLeft(layout.leftMargin);
    engine.SetPageBorders(layout.borders);
    engine.SetTableFormat(reportTableFormat(layout.widths));

    engine.SetAutoHeaderFont(false);
    engine.SetAutoFooterFont(false);
    engine.SetHeaderFont(layout.headerFont.font);
    engine.SetHeaderFontColor(layout.headerFont.color);
    engine.SetFooterFont(layout.detailsFont.font);
    engine.SetFooterFontColor(layout.detailsFont.color);

    // The details font is the document's text font; the text file takes its columns from it.
    engine.SetFont(layout.detailsFont.font);
    engine.SetFontColor(layout.detailsFont.color);

    engine.BeginUpdate();
    struct EndUpdate {
        PageEngine& e;
        ~EndUpdate() { e.EndUpdate(); }
    } endUpdate{engine};

    engine.BeginDoc();
    try {
        engine.SetFont(layout.titlesFont.font);
        engine.SetFontColor(layout.titlesFont.color);
        engine.WriteTableLine(joinRow(layout.fields, sep));

        rows.first();
        const int n = rows.count();
        engine.SetFont(layout.detailsFont.font);
        engine.SetFontColor(layout.detailsFont.color);
        for (int i = 0; i < n; ++i) {
            engine.WriteTableLine(joinRow(rows.row(), sep));
            rows.next();
        }

        QFont closing = layout.detailsFont.font;
        closing.setPointSize(8);
        engine.SetFont(closing);
        engine.NewLine();
        engine.Lines().clear();
        if (layout.entryCount)
            engine.Lines() << (n == 1 ? QStringLiteral("1 Entry Printed")
                                      : QStringLiteral("%1 Entries Printed").arg(n));
        if (layout.priceTotal) engine.Lines() << priceTotalLine(*layout.priceTotal);
        engine.SetAlignment(taLeftJustify);
        engine.WriteLines(false);
        engine.EndDoc();
        return n;
    } catch (...) {
        // Leave the engine idle, so that it can be cleared and built again.
        try {
            engine.EndDoc();
        } catch (const EPagePrinter&) {
        }
        throw;
    }
}

} // namespace rk::print
