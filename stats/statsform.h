// The collection's statistics (View, "Statistics..."): the titles in view counted by
// category, format, rating and decade, and their value by category, drawn as bars with the
// numbers beside them; printed and saved as PDF through the page printer engine.
//
// The figures come from one pass of the table engine (rk::store::collectionFigures); this
// window only names them and draws them.
#pragma once

#include "collection.h"
#include "statspage.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QScrollArea;
class StatsChart;

namespace rk::stats {
// The sections the window and the page show for these figures, amounts of money written
// with `decimalSeparator`.
std::vector<rk::print::StatsSection> statsSections(const rk::store::CollectionFigures& figures,
                                                   char decimalSeparator);
} // namespace rk::stats

class TStatsForm : public QDialog {
    Q_OBJECT

public:
    explicit TStatsForm(QWidget* parent = nullptr);

    // Shows the figures of the titles in `view` ("All titles", "Marked titles", ...).
    void showFigures(const rk::store::CollectionFigures& figures, const QString& view,
                     char decimalSeparator);

    void butPrintClick();
    void butSavePdfClick();

private:
    QString subtitle() const;

    QLabel* lblSummary = nullptr;
    QScrollArea* scroll_ = nullptr;
    StatsChart* StatsChart1 = nullptr;
    QPushButton *butPrint = nullptr, *butSavePdf = nullptr, *butClose = nullptr;
    QString summary_;
    QString pdfFolder_;
};
