#include "statspage.h"

#include "pageengine.h"

#include <algorithm>
#include <cmath>

namespace rk::print {

namespace {

constexpr QChar kSeparator(0x1F); // between cells; no label holds it
constexpr double kLabelWidth = 2.2, kBarWidth = 3.3, kFigureWidth = 1.0; // inches

QFont sized(const QFont& base, int points, bool bold) {
    QFont f = base;
    f.setPointSize(points);
    f.setBold(bold);
    return f;
}

} // namespace

QColor statsColour(size_t section) {
    // Dark enough for the white space around them to read well.
    static const QColor kColours[] = {QColor(0x3b, 0x6e, 0xa8), QColor(0x5b, 0x8c, 0x3e),
                                      QColor(0xb0, 0x6a, 0x1e), QColor(0x7a, 0x4e, 0x9c),
                                      QColor(0x9c, 0x2f, 0x3f)};
    return kColours[section % std::size(kColours)];
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
    QFont base = engine.Font();
    base.setFamilies(
        {QStringLiteral("DejaVu Sans"), QStringLiteral("Segoe UI"), QStringLiteral("Helvetica")});
    base.setPointSize(10);
    engine.SetFont(base);

    engine.BeginDoc();
    engine.WriteRuns({TextRun{title, sized(base, 16, true), Qt::black}});
    if (!subtitle.isEmpty()) engine.WriteRuns({TextRun{subtitle, sized(base, 10, false)}});
    for (size_t s = 0; s < sections.size(); ++s) {
        const StatsSection& section = sections[s];
        engine.NewLine();
        engine.WriteRuns({TextRun{section.heading, sized(base, 12, true), Qt::black}});
        double largest = 0;
        for (const StatsLine& line : section.lines)
            largest = std::max(largest, line.amount);
        for (const StatsLine& line : section.lines) {
            QString label = line.label;
            label.remove(kSeparator);
            // An amount above nothing shows at least a sliver, as on screen.
            const double fraction =
                largest > 0 && line.amount > 0 ? std::max(0.005, line.amount / largest) : 0;
            engine.WriteTableLine(label + kSeparator + kSeparator + line.figure,
                                  TableBar{1, fraction, statsColour(s)});
        }
    }
    engine.EndDoc();
}

} // namespace rk::print
