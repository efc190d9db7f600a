// The statistics page: the collection's figures, section by section, as tables whose middle
// column holds a bar in the section's colour with white around it, as the window draws them,
// so that the page printer previews, prints and saves them as PDF like any report.
#pragma once

#include <QColor>
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

// The colour of a section's bars, by the section's place; the window uses the same.
QColor statsColour(size_t section);

// Sets the engine up for the page (inches, margins, the title in the header and page
// numbers in the footer), then writes the title, the subtitle and every section.
void layOutStatistics(PageEngine& engine, const QString& title, const QString& subtitle,
                      const std::vector<StatsSection>& sections);

} // namespace rk::print
