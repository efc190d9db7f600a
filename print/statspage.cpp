#include "statspage.h"

#include "pageengine.h"

#include <algorithm>
#include <cmath>

namespace rk::print {

namespace {

constexpr QChar kFull(0x2588);      // █
constexpr ushort kEighths = 0x2590; // U+2589 (7/8) down to U+258F (1/8): kEighths - n
constexpr QChar kSeparator(0x1F);   // between cells; no label holds it
constexpr double kLabelWidth = 2.2, kBarWidth = 3.3, kFigureWidth = 1.0; // inches

QFont sized(const QFont& base, int points, bool bold) {
    QFont f = base;
    f.setPointSize(points);
    f.setBold(bold);
    return f;
}

} // namespace

QString barText(double fraction, int cells) {
    if (!(fraction > 0) || cells <= 0) return QString();
    const int eighths = std::max(1, int(std::lround(std::min(fraction, 1.0) * cells * 8)));
    QString bar(eighths / 8, kFull);
    if (eighths % 8) bar += QChar(ushort(kEighths - eighths % 8));
    return bar;
}

void layOutStatistics(PageEngine& engine, const QString& title, const QString& subtitle,
                      const std::vector<StatsSection>& sections) {
    engine.SetMeasureUnit(muInches);
    engine.SetMarginTop(0.75);
    engine.SetMarginBottom(0.75);
    engine.SetMarginLeft(0.75);
    engine.SetMarginRight(0.75);
    engine.SetLineSpacing(lsSingleSpace);
    engine.SetWordWrap(true);
    engine.SetTitle(title);
    engine.SetFriendlyHeader(QStringLiteral("&l&i"));
    engine.SetFriendlyFooter(QStringLiteral("&lPrinted &d&rPage &p"));
    engine.SetTokenSeparator(kSeparator);
    engine.SetTableGrid(false);
    engine.SetTableFormat(QStringLiteral("<%1%4<%2%4>%3")
                              .arg(kLabelWidth)
                              .arg(kBarWidth)
                              .arg(kFigureWidth)
                              .arg(kSeparator));
    // A face that has the block characters itself, so that bars are not drawn from another.
    QFont base = engine.Font();
    base.setFamilies(
        {QStringLiteral("DejaVu Sans"), QStringLiteral("Segoe UI"), QStringLiteral("Helvetica")});
    base.setPointSize(10);
    engine.SetFont(base);

    engine.BeginDoc();
    engine.WriteRuns({TextRun{title, sized(base, 16, true), Qt::black}});
    if (!subtitle.isEmpty()) engine.WriteRuns({TextRun{subtitle, sized(base, 10, false)}});
    // The bar column holds as many blocks as fit in it, less one for the gap before the
    // figure.
    const double block = engine.TextFont().width(QString(kFull));
    const int cells =
        block > 0 ? std::max(1, int(kBarWidth * engine.Metrics().dpiX / block) - 1) : 1;
    for (const StatsSection& section : sections) {
        engine.NewLine();
        engine.WriteRuns({TextRun{section.heading, sized(base, 12, true), Qt::black}});
        double largest = 0;
        for (const StatsLine& line : section.lines)
            largest = std::max(largest, line.amount);
        for (const StatsLine& line : section.lines) {
            QString label = line.label;
            label.remove(kSeparator);
            engine.WriteTableLine(label + kSeparator +
                                  barText(largest > 0 ? line.amount / largest : 0, cells) +
                                  kSeparator + line.figure);
        }
    }
    engine.EndDoc();
}

} // namespace rk::print
