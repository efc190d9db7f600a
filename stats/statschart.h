// The statistics drawn by our own painter: for each section a heading, then one line per
// value with its label, a bar as long as its amount against the section's largest, and the
// figure beside the bar. As tall as its sections need; it sits in a scroll area.
#pragma once

#include "statspage.h"

#include <QWidget>

#include <vector>

class StatsChart : public QWidget {
    Q_OBJECT

public:
    explicit StatsChart(QWidget* parent = nullptr);

    void setSections(std::vector<rk::print::StatsSection> sections);
    const std::vector<rk::print::StatsSection>& sections() const { return sections_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int lineHeight() const;
    int headingHeight() const;
    std::vector<rk::print::StatsSection> sections_;
};
