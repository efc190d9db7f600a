#include "reportform.h"

#include "modal.h"
#include "previewcommands.h"
#include "printersetup.h"
#include "prompt.h"
#include "titlerows.h"
#include "tpageprinter.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace rk::print {

namespace {

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QLabel* field(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

} // namespace

// ---- TReportPreview

TReportPreview::TReportPreview(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(QStringLiteral("Report Preview"));
    setModal(true);
    resize(820, 720);

    Prn = new TPagePrinter(this);
    Prn->setObjectName(QStringLiteral("Prn"));
    Prn->SetZoomPercent(100);
    Prn->SetShowMargins(false);
    butPrint = button(this, "butPrint", QStringLiteral("Print..."));
    butSavePdf = button(this, "butSavePdf", QStringLiteral("Save as PDF..."));
    btnPrevPage = button(this, "btnPrevPage", QStringLiteral("<"));
    btnNextPage = button(this, "btnNextPage", QStringLiteral(">"));
    lblPage = field(this, "lblPage", QString());
    ZoomList = new QComboBox(this);
    ZoomList->setObjectName(QStringLiteral("ZoomList"));
    ZoomList->addItems(zoomChoices());
    ZoomList->setCurrentText(QStringLiteral("100%"));
    butClose = button(this, "butClose", QStringLiteral("Close"));

    auto* bar = new QHBoxLayout;
    bar->addWidget(butPrint);
    bar->addWidget(butSavePdf);
    bar->addSpacing(12);
    bar->addWidget(new QLabel(QStringLiteral("Page:"), this));
    bar->addWidget(lblPage);
    bar->addWidget(btnPrevPage);
    bar->addWidget(btnNextPage);
    bar->addSpacing(12);
    bar->addWidget(new QLabel(QStringLiteral("Preview:"), this));
    bar->addWidget(ZoomList);
    bar->addStretch(1);
    bar->addWidget(butClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(Prn, 1);

    connect(butPrint, &QPushButton::clicked, this, &TReportPreview::butPrintClick);
    connect(butSavePdf, &QPushButton::clicked, this, &TReportPreview::butSavePdfClick);
    connect(btnPrevPage, &QPushButton::clicked, this, &TReportPreview::btnPrevPageClick);
    connect(btnNextPage, &QPushButton::clicked, this, &TReportPreview::btnNextPageClick);
    connect(ZoomList, &QComboBox::activated, this, &TReportPreview::ZoomListClick);
    connect(butClose, &QPushButton::clicked, this, &QDialog::accept);
}

int TReportPreview::execute() {
    showPageLabel();
    return fw::execModal(this);
}

void TReportPreview::butPrintClick() {
    try {
        PrinterSetup& setup = PrinterSetup::shared();
        if (!fw::prompt().printDialog(this, &setup.printer())) return;
        Prn->SetPrinter(setup.device());
        if (!Prn->Print()) fw::inform(this, QStringLiteral("You cancelled printing."));
    } catch (const EPagePrinter& e) {
        fw::prompt().message(this, e.message(), QStringLiteral("Print"), fw::Icon::Error,
                             fw::Buttons::Ok);
    }
}

void TReportPreview::butSavePdfClick() {
    savePagesAsPdf(*Prn, this, folder_);
}

void TReportPreview::btnPrevPageClick() {
    if (Prn->CurrentPage() > 1) Prn->SetCurrentPage(Prn->CurrentPage() - 1);
    showPageLabel();
}

void TReportPreview::btnNextPageClick() {
    if (Prn->CurrentPage() < Prn->PageCount()) Prn->SetCurrentPage(Prn->CurrentPage() + 1);
    showPageLabel();
}

void TReportPreview::ZoomListClick() {
    applyZoomChoice(*Prn, ZoomList->currentText());
}

void TReportPreview::showPageLabel() {
    lblPage->setText(pageLabelText(*Prn));
}

// ---- TReportForm

TReportForm::TReportForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("ReportForm"));
    const StandardReportOptions design;
    QRLabel4 = field(this, "QRLabel4", design.title);
    QRDateTime = field(this, "QRDateTime", QStringLiteral("Printed at "));
    QRLabel1 = field(this, "QRLabel1", design.request);
    UserLab1 = field(this, "UserLab1", design.userCaptions[0]);
    UserLab2 = field(this, "UserLab2", design.userCaptions[1]);
    UserLab3 = field(this, "UserLab3", design.userCaptions[2]);
    UserLab4 = field(this, "UserLab4", design.userCaptions[3]);
    preview_ = new TReportPreview(parent);
}

StandardReportOptions TReportForm::options() const {
    StandardReportOptions o;
    o.title = QRLabel4->text();
    o.request = QRLabel1->text();
    o.userCaptions = {UserLab1->text(), UserLab2->text(), UserLab3->text(), UserLab4->text()};
    o.date = QRDateTime->isHidden() ? ReportDateOption::None : dateKind_;
    o.border = frame_;
    o.covers = covers_ && coverSource_;
    return o;
}

bool TReportForm::build(PageEngine& engine, store::Table& titles) {
    reports::StandardReportRows rows(titles);
    if (covers_) rows.setPictures(coverSource_);
    try {
        buildStandardReport(engine, options(), rows);
    } catch (const EPagePrinter& e) {
        fw::prompt().message(this, e.message(), QStringLiteral("Print"), fw::Icon::Error,
                             fw::Buttons::Ok);
        return false;
    }
    if (!rows.status()) {
        fw::prompt().message(this,
                             QStringLiteral("The titles could not be read: ") +
                                 QString::fromStdString(rows.status().message()),
                             QStringLiteral("Print"), fw::Icon::Error, fw::Buttons::Ok);
        return false;
    }
    return true;
}

void TReportForm::previewReport(store::Table& titles, const QString& folder) {
    preview_->Prn->SetPrinter(PrinterSetup::shared().device());
    if (!build(*preview_->Prn, titles)) return;
    preview_->setFolder(folder);
    preview_->execute();
    preview_->Prn->Clear();
}

bool TReportForm::saveReportAsPdf(store::Table& titles, const QString& folder) {
    TPagePrinter& engine = *preview_->Prn;
    engine.SetPrinter(PrinterSetup::shared().device());
    if (!build(engine, titles)) return false;
    const bool saved = savePagesAsPdf(engine, this, folder);
    engine.Clear();
    return saved;
}

bool TReportForm::printReport(store::Table& titles) {
    TPagePrinter& engine = *preview_->Prn;
    try {
        PrinterSetup& setup = PrinterSetup::shared();
        if (!fw::prompt().printDialog(this, &setup.printer())) return false;
        engine.SetPrinter(setup.device());
    } catch (const EPagePrinter& e) {
        fw::prompt().message(this, e.message(), QStringLiteral("Print"), fw::Icon::Error,
                             fw::Buttons::Ok);
        return false;
    }
    if (!build(engine, titles)) return false;
    bool printed = false;
    try {
        printed = engine.Print();
    } catch (const EPagePrinter& e) {
        fw::prompt().message(this, e.message(), QStringLiteral("Print"), fw::Icon::Error,
                             fw::Buttons::Ok);
    }
    engine.Clear();
    return printed;
}

} // namespace rk::print
