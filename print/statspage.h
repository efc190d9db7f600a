// The statistics page: the collection's figures, section by section, as tables whose middle
// column is a bar of block characters (from the eighth block to the full block) in the text
// font, so that the page printer previews, prints and saves them as PDF like any report.
#pragma once

#include <QString>

#include <vector>

namespace rk::print {

class PageEngine;

struct StatsLine {
    QString label;
    double amount = 0; // the bar's length, against the largest amount of its section
    QString figure;    // the number printed beside the bar
};

struct StatsSection {
    QString heading;
    std::vector<StatsLine> lines;
};

// A bar of `fraction` (0 to 1) of `cells` character cells: whole blocks, then the eighth
// block nearest to the rest. An amount above nothing shows at least an eighth.
QString barText(double fraction, int cells);

// Sets the engine up for the page (inches, margins, the title in the header and page
// numbers in the footer), then writes the title, the subtitle and every section.
void layOutStatistics(PageEngine& engine, const QString& title, const QString& subtitle,
                      const std::vector<StatsSection>& sections);

} // namespace rk::print
