#include "statsform.h"

#include "modal.h"
#include "pageengine.h"
#include "pdfdevice.h"
#include "printersetup.h"
#include "prompt.h"
#include "statschart.h"
#include "text.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("Collection Statistics");

} // namespace

namespace rk::stats {

std::vector<print::StatsSection> statsSections(const store::CollectionFigures& f,
                                               char decimalSeparator) {
    auto counts = [](const QString& heading, const std::vector<store::FigureRow>& rows,
                     const QString& none, const QString& suffix = QString()) {
        print::StatsSection s{heading, {}};
        for (const auto& r : rows)
            s.lines.push_back({r.key.empty() ? none : fw::fromCp1252(r.key) + suffix,
                               double(r.titles), QString::number(r.titles)});
        return s;
    };
    std::vector<print::StatsSection> out = {
        counts(QStringLiteral("Titles by Category"), f.byCategory, QStringLiteral("(no category)")),
        counts(QStringLiteral("Titles by Format"), f.byFormat, QStringLiteral("(no format)")),
        counts(QStringLiteral("Titles by Rating"), f.byRating, QStringLiteral("(no rating)")),
        counts(QStringLiteral("Titles by Decade"), f.byDecade, QStringLiteral("(no year)"),
               QStringLiteral("s")),
    };
    std::vector<store::FigureRow> byValue;
    for (const auto& r : f.byCategory)
        if (r.value != 0) byValue.push_back(r);
    std::stable_sort(byValue.begin(), byValue.end(),
                     [](const auto& a, const auto& b) { return a.value > b.value; });
    print::StatsSection value{QStringLiteral("Value by Category"), {}};
    for (const auto& r : byValue)
        value.lines.push_back(
            {r.key.empty() ? QStringLiteral("(no category)") : fw::fromCp1252(r.key), r.value,
             QString::fromStdString(store::formatTotal(r.value, decimalSeparator))});
    out.push_back(std::move(value));
    return out;
}

} // namespace rk::stats

TStatsForm::TStatsForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("StatsForm"));
    rk::fw::helpOnF1(this, QStringLiteral("Collection_Tools"));
    setWindowTitle(kCaption);
    resize(640, 560);
    auto* layout = new QVBoxLayout(this);
    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);
    layout->addWidget(lblSummary);
    scroll_ = new QScrollArea(this);
    scroll_->setWidgetResizable(true);
    StatsChart1 = new StatsChart;
    StatsChart1->setObjectName(QStringLiteral("StatsChart1"));
    scroll_->setWidget(StatsChart1);
    layout->addWidget(scroll_, 1);
    auto* buttons = new QHBoxLayout;
    butPrint = new QPushButton(QStringLiteral("&Print..."), this);
    butPrint->setObjectName(QStringLiteral("butPrint"));
    butSavePdf = new QPushButton(QStringLiteral("Save as P&DF..."), this);
    butSavePdf->setObjectName(QStringLiteral("butSavePdf"));
    butClose = new QPushButton(QStringLiteral("Close"), this);
    butClose->setObjectName(QStringLiteral("butClose"));
    buttons->addWidget(butPrint);
    buttons->addWidget(butSavePdf);
    buttons->addStretch(1);
    buttons->addWidget(butClose);
    layout->addLayout(buttons);
    connect(butPrint, &QPushButton::clicked, this, &TStatsForm::butPrintClick);
    connect(butSavePdf, &QPushButton::clicked, this, &TStatsForm::butSavePdfClick);
    connect(butClose, &QPushButton::clicked, this, &QDialog::close);
    pdfFolder_ = QDir::homePath();
}

void TStatsForm::showFigures(const rk::store::CollectionFigures& figures, const QString& view,
                             char decimalSeparator) {
    summary_ =
        QStringLiteral("%1: %2 %3, %4 priced, worth $%5 in all.")
            .arg(view)
            .arg(figures.titles)
            .arg(figures.titles == 1 ? QStringLiteral("title") : QStringLiteral("titles"))
            .arg(figures.priced)
            .arg(QString::fromStdString(rk::store::formatTotal(figures.value, decimalSeparator)));
    lblSummary->setText(summary_);
    StatsChart1->setSections(rk::stats::statsSections(figures, decimalSeparator));
}

QString TStatsForm::subtitle() const {
    return summary_;
}

void TStatsForm::butPrintClick() {
    rk::print::PrinterSetup& setup = rk::print::PrinterSetup::shared();
    if (!rk::fw::prompt().printDialog(this, &setup.printer())) return;
    try {
        rk::print::PageEngine engine(setup.device());
        rk::print::layOutStatistics(engine, kCaption, subtitle(), StatsChart1->sections());
        engine.Print(); // false when the user cancelled: nothing to tell
    } catch (const rk::print::EPagePrinter& e) {
        rk::fw::prompt().message(this, e.message(), kCaption, rk::fw::Icon::Error,
                                 rk::fw::Buttons::Ok);
    }
}

void TStatsForm::butSavePdfClick() {
    QString file = rk::fw::prompt().saveFileName(this, QStringLiteral("Save Statistics as PDF"),
                                                 pdfFolder_, QStringLiteral("PDF files (*.pdf)"));
    if (file.isEmpty()) return;
    if (!file.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) file += QStringLiteral(".pdf");
    pdfFolder_ = QFileInfo(file).absolutePath();
    try {
        rk::print::PrinterSetup& setup = rk::print::PrinterSetup::shared();
        rk::print::PageEngine engine(
            std::make_shared<rk::print::PdfDevice>(file, setup.paper(), setup.offsetInches()));
        engine.SetShowProgress(false);
        rk::print::layOutStatistics(engine, kCaption, subtitle(), StatsChart1->sections());
        if (!engine.Print())
            rk::fw::prompt().message(this, QStringLiteral("%1 could not be written.").arg(file),
                                     kCaption, rk::fw::Icon::Error, rk::fw::Buttons::Ok);
    } catch (const rk::print::EPagePrinter& e) {
        rk::fw::prompt().message(this, e.message(), kCaption, rk::fw::Icon::Error,
                                 rk::fw::Buttons::Ok);
    }
}
