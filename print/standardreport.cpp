#include "standardreport.h"

namespace rk::print {

namespace {

// Right edges of the captions and left edges of the values of the three columns.
struct Column {
    double captionEdge, valueLeft;
};
constexpr Column kLeft{89, 94}, kMiddle{385, 393}, kRight{647, 652};

ReportFont arial(double points, bool bold = false) {
    return ReportFont::make(QStringLiteral("Arial"), points, bold);
}
ReportFont times(double points, bool bold = false) {
    return ReportFont::make(QStringLiteral("Times New Roman"), points, bold);
}

BandField label(const QString& name, const QString& text, double left, double top,
                const ReportFont& font) {
    BandField f;
    f.name = name;
    f.text = text;
    f.left = left;
    f.top = top;
    f.width = 400;
    f.autoSize = true;
    f.font = font;
    return f;
}

// A caption ending at the column's caption edge; it sizes itself to its text.
BandField caption(const QString& name, const QString& text, Column c, double top) {
    BandField f = label(name, text, 0, top, arial(8, true));
    f.width = 100;
    f.left = c.captionEdge - f.width;
    f.align = taRightJustify;
    return f;
}

BandField value(const QString& field, Column c, double top, double width,
                const ReportFont& font = times(8), bool grows = false) {
    BandField f;
    f.name = field;
    f.kind = FieldKind::Data;
    f.dataField = field;
    f.left = c.valueLeft;
    f.top = top;
    f.width = width;
    f.grows = grows;
    f.font = font;
    return f;
}

// A system field right-aligned in the span [left, right].
BandField systemField(const QString& name, FieldKind kind, const QString& prefix, double left,
                      double right, double top, const ReportFont& font) {
    BandField f;
    f.name = name;
    f.kind = kind;
    f.text = prefix;
    f.left = left;
    f.width = right - left;
    f.top = top;
    f.align = taRightJustify;
    f.font = font;
    return f;
}

Band titleBand(const StandardReportOptions& o) {
    Band b;
    b.kind = BandKind::Title;
    b.name = QStringLiteral("Title");
    b.height = 53;
    b.frame.bottom = true;
    b.frame.width = 2;
    b.fields.push_back(
        label(QStringLiteral("QRLabel4"), o.title, 50, 17,
              ReportFont::make(QStringLiteral("Times New Roman"), 14, true, true, true)));
    const FieldKind kind =
        o.date == ReportDateOption::DateAndTime ? FieldKind::DateTime : FieldKind::Date;
    BandField printed = systemField(QStringLiteral("QRDateTime"), kind,
                                    QStringLiteral("Printed at "), 510, 756, 23, arial(9, true));
    printed.visible = o.date != ReportDateOption::None;
    b.fields.push_back(printed);
    return b;
}

Band pageHeaderBand(const StandardReportOptions& o) {
    Band b;
    b.kind = BandKind::PageHeader;
    b.name = QStringLiteral("PageHeader");
    b.height = 29;
    b.frame.bottom = true;
    b.fields.push_back(label(QStringLiteral("QRLabel1"), o.request, 16, 6, arial(8, true)));
    b.fields.push_back(systemField(QStringLiteral("PageNumber"), FieldKind::PageNumber,
                                   QStringLiteral("Page "), 673, 757, 6, arial(8, true)));
    return b;
}

Band detailBand(const StandardReportOptions& o) {
    Band b;
    b.kind = BandKind::Detail;
    b.name = QStringLiteral("Detail");
    b.height = 146;
    switch (o.border) {
    case ReportBorderOption::Border:
        b.frame.bottom = true;
        break;
    case ReportBorderOption::Box:
        b.frame.top = b.frame.bottom = b.frame.left = b.frame.right = true;
        break;
    case ReportBorderOption::None:
        break;
    }
    const auto& user = o.userCaptions;
    auto& f = b.fields;
    auto add = [&f](BandField c, BandField v) {
        f.push_back(std::move(c));
        f.push_back(std::move(v));
    };
    add(caption(QStringLiteral("capTitle"), QStringLiteral("Title:"), kLeft, 5),
        value(QStringLiteral("TITLE"), kLeft, 5, 213, times(8, true)));
    add(caption(QStringLiteral("capProducer"), QStringLiteral("Producer(s):"), kMiddle, 5),
        value(QStringLiteral("PRODUCER"), kMiddle, 5, 175));
    add(caption(QStringLiteral("capTapes"), QStringLiteral("Tapes:"), kRight, 5),
        value(QStringLiteral("TAPES"), kRight, 5, 65));

    add(caption(QStringLiteral("capDirector"), QStringLiteral("Director:"), kLeft, 22),
        value(QStringLiteral("DIRECTOR"), kLeft, 23, 214, arial(8)));
    add(caption(QStringLiteral("capYear"), QStringLiteral("Date:"), kMiddle, 22),
        value(QStringLiteral("YEAR"), kMiddle, 23, 65));
    add(caption(QStringLiteral("capRuntime"), QStringLiteral("RunTime:"), kRight, 22),
        value(QStringLiteral("RUNTIME"), kRight, 23, 65));

    add(caption(QStringLiteral("capCategory"), QStringLiteral("Category:"), kLeft, 40),
        value(QStringLiteral("CATEGORY"), kLeft, 40, 220));
    add(caption(QStringLiteral("capPrice"), QStringLiteral("Price:"), kMiddle, 40),
        value(QStringLiteral("PRICE"), kMiddle, 40, 65));
    add(caption(QStringLiteral("capId"), QStringLiteral("ID:"), kRight, 40),
        value(QStringLiteral("ID"), kRight, 40, 65));

    add(caption(QStringLiteral("capFormat"), QStringLiteral("Media:"), kLeft, 58),
        value(QStringLiteral("FORMAT"), kLeft, 58, 139));
    add(caption(QStringLiteral("capRating"), QStringLiteral("Personal Rating:"), kMiddle, 58),
        value(QStringLiteral("RATING"), kMiddle, 58, 65, arial(8)));

    add(caption(QStringLiteral("capRated"), QStringLiteral("Rated:"), kLeft, 75),
        value(QStringLiteral("RATED"), kLeft, 75, 181));
    add(caption(QStringLiteral("UserLab3"), user[2], kMiddle, 75),
        value(QStringLiteral("USER3"), kMiddle, 75, 322, times(8), true));

    add(caption(QStringLiteral("UserLab1"), user[0], kLeft, 91),
        value(QStringLiteral("USER1"), kLeft, 93, 213));
    add(caption(QStringLiteral("UserLab4"), user[3], kMiddle, 91),
        value(QStringLiteral("USER4"), kMiddle, 93, 319, times(8), true));

    add(caption(QStringLiteral("UserLab2"), user[1], kLeft, 109),
        value(QStringLiteral("USER2"), kLeft, 109, 213));

    add(caption(QStringLiteral("capSummary"), QStringLiteral("Summary:"), kLeft, 126),
        value(QStringLiteral("SUMMARY"), kLeft, 126, 490, times(8), true));
    if (o.covers) {
        BandField cover;
        cover.name = QStringLiteral("Cover");
        cover.kind = FieldKind::Picture;
        cover.left = 728;
        cover.top = 5;
        cover.width = 0.8 * kReportUnitsPerInch;
        f.push_back(cover);
    }
    return b;
}

Band pageFooterBand() {
    Band b;
    b.kind = BandKind::PageFooter;
    b.name = QStringLiteral("PageFooter");
    b.height = 28;
    return b;
}

} // namespace

QString requestLabel(PrintScope scope) {
    switch (scope) {
    case PrintScope::SelectedTitle:
        return QStringLiteral("Print Request: TITLE");
    case PrintScope::SelectedCategory:
        return QStringLiteral("Print Request: CATEGORY");
    case PrintScope::MarkedEntries:
        return QStringLiteral("Print Request: MARKED ENTRIES");
    case PrintScope::AllEntries:
        break;
    }
    return QStringLiteral("Print Request");
}

BandReportLayout standardReportLayout(const StandardReportOptions& options) {
    BandReportLayout l;
    // The print spooler shows the report title, or the design title when it is empty.
    l.title =
        options.title.trimmed().isEmpty() ? QStringLiteral("Reelkeeper98 Report") : options.title;
    l.bands = {titleBand(options), pageHeaderBand(options), detailBand(options), pageFooterBand()};
    return l;
}

int buildStandardReport(PageEngine& engine, const StandardReportOptions& options, BandRows& rows) {
    return buildBandReport(engine, standardReportLayout(options), rows);
}

int printStandardReport(PrinterDevice& printer, const StandardReportOptions& options,
                        BandRows& rows, const QDateTime& now) {
    return printBandReport(printer, standardReportLayout(options), rows, now);
}

} // namespace rk::print
