#include "colprtform.h"

#include "dataset.h"
#include "duallistdialog.h"
#include "helpviewer.h"
#include "hruler.h"
#include "modal.h"
#include "placement.h"
#include "previewcommands.h"
#include "printersetup.h"
#include "prompt.h"
#include "settings.h"
#include "text.h"
#include "titlerows.h"
#include "tpageprinter.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace rk::print {

namespace {

const QString kCaption = QStringLiteral("Custom Report Builder");
const QString kSettings = QStringLiteral("CustReport");
const QString kLayoutFilter = QStringLiteral("Reelkeeper98 Report File (*.rkr)");
// Header sections are screen pixels; the ruler and the strip are laid out at 96 per inch.
constexpr double kScreenDpi = 96;
constexpr int kHelpContext = 22;

template <class T> T* named(T* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption,
                    const QString& hint = QString()) {
    auto* b = named(new QPushButton(caption, parent), name);
    b->setAutoDefault(false);
    if (!hint.isEmpty()) b->setToolTip(hint);
    return b;
}

QDoubleSpinBox* marginBox(QWidget* parent, const char* name, double max, double value) {
    auto* s = named(new QDoubleSpinBox(parent), name);
    s->setDecimals(2);
    s->setSingleStep(0.05);
    s->setRange(kMinMargin, max);
    s->setValue(value);
    return s;
}

QCheckBox* check(QWidget* parent, const char* name, const QString& caption, bool on,
                 const QString& hint = QString()) {
    auto* c = named(new QCheckBox(caption, parent), name);
    c->setChecked(on);
    if (!hint.isEmpty()) c->setToolTip(hint);
    return c;
}

// Shows the hourglass for as long as it lives.
struct Hourglass {
    Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { QApplication::restoreOverrideCursor(); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
};

void error(QWidget* owner, const QString& text) {
    fw::prompt().message(owner, text, QString(), fw::Icon::Error, fw::Buttons::Ok);
}

} // namespace

TColPrtForm::TColPrtForm(Context context, QWidget* parent)
    : QDialog(parent), context_(std::move(context)) {
    setObjectName(QStringLiteral("ColPrtForm"));
    rk::fw::helpOnF1(this, QStringLiteral("Custom_Reports"));
    setWindowTitle(kCaption);
    setModal(true);
    resize(900, 700);

    const ReportLayout design;
    headFont_ = design.headFont.toReportFont();
    dataHeadFont_ = design.dataHeadFont.toReportFont();
    detailsFont_ = design.detailsFont.toReportFont();

    Prn = named(new TPagePrinter(this), "Prn");
    setupReportEngine(*Prn);
    Prn->SetHeaderFont(headFont_.font);

    panRuler = named(new QFrame(this), "panRuler");
    ruler = named(new THRuler(panRuler), "ruler");
    sectionModel_ = new QStandardItemModel(0, 0, this);
    HC1 = named(new QHeaderView(Qt::Horizontal, panRuler), "HC1");
    HC1->setModel(sectionModel_);
    HC1->setSectionsClickable(false);
    HC1->setStretchLastSection(false);
    HC1->setMinimumSectionSize(2);
    HC1->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    HC1->setFixedHeight(HC1->fontMetrics().height() + 8);
    HC1->setSectionResizeMode(QHeaderView::Interactive);
    HC1->viewport()->installEventFilter(this);
    auto* rulerLayout = new QVBoxLayout(panRuler);
    rulerLayout->setContentsMargins(0, 0, 0, 0);
    rulerLayout->setSpacing(0);
    rulerLayout->addWidget(ruler);
    rulerLayout->addWidget(HC1);
    setStripWidth(kPortraitStripWidth);

    DualListDialog1 = named(new rk::DualListDialog(this), "DualListDialog1");
    DualListDialog1->setSourceItems(fieldCaptions(design.available, shown_));
    DualListDialog1->setDestinationItems(fieldCaptions(design.chosen, shown_));

    buildMenu();
    auto* bar = new QWidget(this);
    buildBar(bar);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(bar);
    rulerIndent_ = new QWidget(this);
    rulerIndent_->setFixedWidth(0);
    auto* rulerRow = new QHBoxLayout;
    rulerRow->setSpacing(0);
    rulerRow->addWidget(rulerIndent_);
    rulerRow->addWidget(panRuler);
    rulerRow->addStretch(1);
    layout->addLayout(rulerRow);
    layout->addWidget(Prn, 1);
    Prn->viewport()->installEventFilter(this); // the ruler follows the page

    buildToolWindow();
    setSections(design.sections);
    connectControls();

    storage_ =
        new fw::FormStorage(this, kSettings, fw::FormStorage::Keep::PositionSizeState, false);
    auto number = [](QDoubleSpinBox* s) {
        return std::make_pair([s] { return layoutNumber(s->value()); },
                              [s](const QString& v) {
                                  if (auto n = readLayoutNumber(v)) s->setValue(*n);
                              });
    };
    for (QDoubleSpinBox* s : {spinBottom, spinLeft, spinRight, spinTop}) {
        auto [get, set] = number(s);
        storage_->addProperty(s->objectName() + QStringLiteral("_Value"), get, set);
    }
    for (QCheckBox* c : {chkBottom, chkGridlines, chkLeft, chkRight, chkTop, chkEntryCount,
                         chkPriceTotal, chkAutoPrev})
        storage_->addProperty(
            c->objectName() + QStringLiteral("_Checked"),
            [c] { return layoutBool(c->isChecked()); },
            [c](const QString& v) {
                if (auto b = readLayoutBool(v)) c->setChecked(*b);
            });
    storage_->addProperty(
        QStringLiteral("cmbSpace_Text"), [this] { return cmbSpace->currentText(); },
        [this](const QString& v) {
            if (spacingFromText(v)) cmbSpace->setCurrentText(v);
        });
    storage_->addProperty(
        QStringLiteral("toolWin_Left"), [this] { return QString::number(toolWin->x()); },
        [this](const QString& v) {
            if (auto n = fw::parseSettingNumber(v)) toolWin->move(*n, toolWin->y());
        });
    storage_->addProperty(
        QStringLiteral("toolWin_Top"), [this] { return QString::number(toolWin->y()); },
        [this](const QString& v) {
            if (auto n = fw::parseSettingNumber(v)) toolWin->move(toolWin->x(), *n);
        });
}

TColPrtForm::~TColPrtForm() = default;

void TColPrtForm::buildMenu() {
    MainMenu1 = named(new QMenuBar(this), "MainMenu1");
    QMenu* file = MainMenu1->addMenu(QStringLiteral("&File"));
    Open1 = file->addAction(QStringLiteral("&Open..."));
    Open1->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    Save1 = file->addAction(QStringLiteral("&Save"));
    Save1->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    PrinterSettings1 = file->addAction(QStringLiteral("Pri&nter Settings..."));
    Print1 = file->addAction(QStringLiteral("&Print Report"));
    Print1->setShortcut(QKeySequence(QStringLiteral("Ctrl+P")));
    SaveAsPdf1 = file->addAction(QStringLiteral("Save as P&DF..."));
    SaveAsPdf1->setObjectName(QStringLiteral("SaveAsPdf1"));
    file->addSeparator();
    Exit1 = file->addAction(QStringLiteral("E&xit Report Builder"));
    Exit1->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    QMenu* view = MainMenu1->addMenu(QStringLiteral("&View"));
    ReportSettings1 = view->addAction(QStringLiteral("&Report Settings"));
    ReportSettings1->setShortcut(QKeySequence(QStringLiteral("Ctrl+R")));
    ReportSettings1->setCheckable(true);
    ReportSettings1->setChecked(true);
    QMenu* help = MainMenu1->addMenu(QStringLiteral("&Help"));
    HelpwithReportBuilder1 = help->addAction(QStringLiteral("Help with Report Builder"));
    for (auto [a, name] : {std::pair{Open1, "Open1"},
                           {Save1, "Save1"},
                           {PrinterSettings1, "PrinterSettings1"},
                           {Print1, "Print1"},
                           {Exit1, "Exit1"},
                           {ReportSettings1, "ReportSettings1"},
                           {HelpwithReportBuilder1, "HelpwithReportBuilder1"}})
        a->setObjectName(QString::fromLatin1(name));
}

void TColPrtForm::buildBar(QWidget* bar) {
    butPreview = button(bar, "butPreview", QStringLiteral("Preview"));
    butPrint = button(bar, "butPrint", QStringLiteral("Print"));
    butSavePdf = button(bar, "butSavePdf", QStringLiteral("Save as PDF..."));
    butHelp = button(bar, "butHelp", QStringLiteral("Help"));
    lblPage = named(new QLabel(bar), "lblPage");
    btnPrevPage = button(bar, "btnPrevPage", QStringLiteral("<"));
    btnNextPage = button(bar, "btnNextPage", QStringLiteral(">"));
    ZoomList = named(new QComboBox(bar), "ZoomList");
    ZoomList->setEditable(true);
    ZoomList->setInsertPolicy(QComboBox::NoInsert);
    ZoomList->addItems(zoomChoices());
    ZoomList->setEditText(QStringLiteral("100%"));
    ZoomList->lineEdit()->installEventFilter(this);
    ZoomTimer = named(new QTimer(this), "ZoomTimer");
    ZoomTimer->setSingleShot(true);
    ZoomTimer->setInterval(50);

    auto* l = new QHBoxLayout(bar);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(butPreview);
    l->addWidget(butPrint);
    l->addWidget(butSavePdf);
    l->addWidget(butHelp);
    l->addSpacing(12);
    l->addWidget(new QLabel(QStringLiteral("Page:"), bar));
    l->addWidget(lblPage);
    l->addWidget(btnPrevPage);
    l->addWidget(btnNextPage);
    l->addSpacing(12);
    l->addWidget(new QLabel(QStringLiteral("Preview:"), bar));
    l->addWidget(ZoomList);
    l->addStretch(1);
}

void TColPrtForm::buildToolWindow() {
    toolWin = named(new QWidget(this, Qt::Tool), "toolWin");
    toolWin->setWindowTitle(QStringLiteral("Report Settings"));
    toolWin->installEventFilter(this);
    butSelect = button(toolWin, "butSelect", QStringLiteral("Select Fields..."),
                       QStringLiteral("Select the Fields to include"));
    butDrop = named(new QToolButton(toolWin), "butDrop");
    butDrop->setCheckable(true);
    butDrop->setArrowType(Qt::DownArrow);
    butDrop->setToolTip(QStringLiteral("Advanced Options"));
    tabs = named(new QTabWidget(toolWin), "tabs");

    auto* title = new QWidget(tabs);
    editTitle = named(new QLineEdit(QStringLiteral("Reelkeeper98 Report"), title), "editTitle");
    auto* titleLayout = new QVBoxLayout(title);
    titleLayout->addWidget(
        new QLabel(QStringLiteral("Report Title (Appears on top of page)"), title));
    titleLayout->addWidget(editTitle);
    titleLayout->addStretch(1);
    tabs->addTab(title, QStringLiteral("Title"));

    auto* margins = new QWidget(tabs);
    spinLeft = marginBox(margins, "spinLeft", kMaxSideMargin, 0.5);
    spinRight = marginBox(margins, "spinRight", kMaxSideMargin, 0.25);
    spinTop = marginBox(margins, "spinTop", kMaxTopBottomMargin, 0.25);
    spinBottom = marginBox(margins, "spinBottom", kMaxTopBottomMargin, 0.25);
    cmbSpace = named(new QComboBox(margins), "cmbSpace");
    cmbSpace->addItems(
        {QStringLiteral("Single"), QStringLiteral("Single and 1/2"), QStringLiteral("Double")});
    cmbSpace->setToolTip(QStringLiteral("Space between each line"));
    auto* marginLayout = new QGridLayout(margins);
    const std::pair<const char*, QDoubleSpinBox*> boxes[] = {
        {"Left:", spinLeft}, {"Right:", spinRight}, {"Top:", spinTop}, {"Bottom:", spinBottom}};
    int row = 0;
    for (const auto& [caption, box] : boxes) {
        marginLayout->addWidget(new QLabel(QString::fromLatin1(caption), margins), row / 2,
                                (row % 2) * 2);
        marginLayout->addWidget(box, row / 2, (row % 2) * 2 + 1);
        ++row;
    }
    marginLayout->addWidget(new QLabel(QStringLiteral("Line Spacing:"), margins), 2, 0);
    marginLayout->addWidget(cmbSpace, 2, 1, 1, 3);
    tabs->addTab(margins, QStringLiteral("Margins"));

    auto* orientation = new QWidget(tabs);
    butPortrait = named(new QToolButton(orientation), "butPortrait");
    butPortrait->setText(QStringLiteral("Portrait"));
    butLandscape = named(new QToolButton(orientation), "butLandscape");
    butLandscape->setText(QStringLiteral("Landscape"));
    auto* oneOfTwo = new QButtonGroup(orientation);
    for (QToolButton* b : {butPortrait, butLandscape}) {
        b->setCheckable(true);
        oneOfTwo->addButton(b);
    }
    butPortrait->setChecked(true);
    auto* orientationLayout = new QHBoxLayout(orientation);
    orientationLayout->addWidget(butPortrait);
    orientationLayout->addWidget(butLandscape);
    orientationLayout->addStretch(1);
    tabs->addTab(orientation, QStringLiteral("Orientation"));

    auto* fonts = new QWidget(tabs);
    auto sample = [fonts](const char* name) {
        auto* l = named(new QLabel(QStringLiteral("Sample"), fonts), name);
        l->setMinimumWidth(120);
        return l;
    };
    labHeadFont = sample("labHeadFont");
    labDataHead = sample("labDataHead");
    labDetailsFont = sample("labDetailsFont");
    butHeadFont = button(fonts, "butHeadFont", QStringLiteral("Header..."),
                         QStringLiteral("Set font for the report Title"));
    BitBtn4 = button(fonts, "BitBtn4", QStringLiteral("Titles..."),
                     QStringLiteral("Set font for the Column Titles"));
    BitBtn3 = button(fonts, "BitBtn3", QStringLiteral("Details..."),
                     QStringLiteral("Set font for the Details area"));
    auto* fontLayout = new QGridLayout(fonts);
    fontLayout->addWidget(butHeadFont, 0, 0);
    fontLayout->addWidget(labHeadFont, 0, 1);
    fontLayout->addWidget(BitBtn4, 1, 0);
    fontLayout->addWidget(labDataHead, 1, 1);
    fontLayout->addWidget(BitBtn3, 2, 0);
    fontLayout->addWidget(labDetailsFont, 2, 1);
    tabs->addTab(fonts, QStringLiteral("Fonts"));
    setSampleFont(labHeadFont, headFont_, headFont_);
    setSampleFont(labDataHead, dataHeadFont_, dataHeadFont_);
    setSampleFont(labDetailsFont, detailsFont_, detailsFont_);

    auto* borders = new QWidget(tabs);
    chkGridlines = check(borders, "chkGridlines", QStringLiteral("Include Gridlines"), true,
                         QStringLiteral("Prints lines between records"));
    auto* pageBorders = new QGroupBox(QStringLiteral("Page Borders"), borders);
    chkTop = check(pageBorders, "chkTop", QStringLiteral("Top"), true);
    chkBottom = check(pageBorders, "chkBottom", QStringLiteral("Bottom"), true);
    chkLeft = check(pageBorders, "chkLeft", QStringLiteral("Left"), false);
    chkRight = check(pageBorders, "chkRight", QStringLiteral("Right"), false);
    auto* sides = new QGridLayout(pageBorders);
    sides->addWidget(chkTop, 0, 0);
    sides->addWidget(chkBottom, 0, 1);
    sides->addWidget(chkLeft, 1, 0);
    sides->addWidget(chkRight, 1, 1);
    auto* borderLayout = new QVBoxLayout(borders);
    borderLayout->addWidget(chkGridlines);
    borderLayout->addWidget(pageBorders);
    tabs->addTab(borders, QStringLiteral("Borders"));

    auto* other = new QWidget(tabs);
    auto* printable = new QGroupBox(QStringLiteral("Other Printable Items"), other);
    chkPriceTotal =
        check(printable, "chkPriceTotal", QStringLiteral("Include Price Totals (Value)"), false);
    chkEntryCount = check(printable, "chkEntryCount",
                          QStringLiteral("Include Entry Count (Total Printed)"), true);
    auto* printableLayout = new QVBoxLayout(printable);
    printableLayout->addWidget(chkPriceTotal);
    printableLayout->addWidget(chkEntryCount);
    chkAutoPrev =
        check(other, "chkAutoPrev", QStringLiteral("Auto Preview after column resizing"), false);
    auto* otherLayout = new QVBoxLayout(other);
    otherLayout->addWidget(printable);
    otherLayout->addWidget(chkAutoPrev);
    tabs->addTab(other, QStringLiteral("Other"));

    auto* top = new QHBoxLayout;
    top->addWidget(butSelect);
    top->addWidget(butDrop);
    top->addStretch(1);
    auto* layout = new QVBoxLayout(toolWin);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addWidget(tabs, 1);
    tabs->hide();
    toolWin->resize(155, 55);
}

void TColPrtForm::connectControls() {
    connect(butPreview, &QPushButton::clicked, this, &TColPrtForm::butPreviewClick);
    connect(butPrint, &QPushButton::clicked, this, &TColPrtForm::butPrintClick);
    connect(Print1, &QAction::triggered, this, &TColPrtForm::butPrintClick);
    connect(butSavePdf, &QPushButton::clicked, this, &TColPrtForm::butSavePdfClick);
    connect(SaveAsPdf1, &QAction::triggered, this, &TColPrtForm::butSavePdfClick);
    connect(butHelp, &QPushButton::clicked, this,
            [this] { fw::prompt().showHelp(this, fw::helpTopicForContext(kHelpContext)); });
    connect(HelpwithReportBuilder1, &QAction::triggered, this, &TColPrtForm::butHelpClick);
    connect(btnPrevPage, &QPushButton::clicked, this, &TColPrtForm::btnPrevPageClick);
    connect(btnNextPage, &QPushButton::clicked, this, &TColPrtForm::btnNextPageClick);
    connect(ZoomList, &QComboBox::activated, this, &TColPrtForm::ZoomListClick);
    connect(ZoomTimer, &QTimer::timeout, this, [this] {
        ZoomList->setEditText(QString::number(Prn->ZoomPercent()) + QLatin1Char('%'));
    });
    connect(butSelect, &QPushButton::clicked, this, &TColPrtForm::butSelectClick);
    connect(butDrop, &QToolButton::clicked, this, &TColPrtForm::butDropClick);
    connect(HC1, &QHeaderView::sectionResized, this, &TColPrtForm::HC1SectionResize);
    connect(spinLeft, &QDoubleSpinBox::valueChanged, this, &TColPrtForm::spinLeftChange);
    connect(spinRight, &QDoubleSpinBox::valueChanged, this, &TColPrtForm::spinRightChange);
    connect(spinTop, &QDoubleSpinBox::valueChanged, this, &TColPrtForm::spinTopChange);
    connect(spinBottom, &QDoubleSpinBox::valueChanged, this, &TColPrtForm::spinBottomChange);
    connect(cmbSpace, &QComboBox::activated, this, &TColPrtForm::cmbSpaceChange);
    connect(butPortrait, &QToolButton::clicked, this, &TColPrtForm::butPortraitClick);
    connect(butLandscape, &QToolButton::clicked, this, &TColPrtForm::butLandscapeClick);
    connect(butHeadFont, &QPushButton::clicked, this, &TColPrtForm::butHeadFontClick);
    connect(BitBtn4, &QPushButton::clicked, this, &TColPrtForm::BitBtn4Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TColPrtForm::BitBtn3Click);
    connect(chkGridlines, &QCheckBox::clicked, this, &TColPrtForm::chkGridlinesClick);
    connect(editTitle, &QLineEdit::textChanged, this, &TColPrtForm::editTitleChange);
    connect(ReportSettings1, &QAction::triggered, this, &TColPrtForm::ReportSettings1Click);
    connect(PrinterSettings1, &QAction::triggered, this, &TColPrtForm::PrinterSettings1Click);
    connect(Open1, &QAction::triggered, this, &TColPrtForm::Open1Click);
    connect(Save1, &QAction::triggered, this, &TColPrtForm::Save1Click);
    connect(Exit1, &QAction::triggered, this, &TColPrtForm::Exit1Click);
}

// ---- The layout in the controls

void TColPrtForm::setSections(const std::vector<HeaderSection>& list) {
    settingSections_ = true;
    sectionModel_->setColumnCount(static_cast<int>(list.size()));
    for (int i = 0; i < static_cast<int>(list.size()); ++i) {
        const QString& field = list[size_t(i)].text;
        sectionModel_->setHeaderData(i, Qt::Horizontal,
                                     i == 0 ? field : fieldCaption(field, shown_));
        sectionModel_->setHeaderData(i, Qt::Horizontal, field, Qt::UserRole);
        HC1->resizeSection(i, list[size_t(i)].width);
    }
    settingSections_ = false;
    if (!list.empty()) Prn->SetMarginLeft(list[0].width / kScreenDpi);
}

std::vector<HeaderSection> TColPrtForm::sections() const {
    std::vector<HeaderSection> out;
    for (int i = 0; i < sectionModel_->columnCount(); ++i)
        out.push_back({sectionModel_->headerData(i, Qt::Horizontal, Qt::UserRole).toString(),
                       HC1->sectionSize(i)});
    return out;
}

ReportLayout TColPrtForm::layout() const {
    ReportLayout l;
    const QRect g = geometry();
    l.placement.normal = {g.left(), g.top(), g.right() + 1, g.bottom() + 1};
    if (const QScreen* s = screen()) {
        l.placement.screenWidth = s->geometry().width();
        l.placement.screenHeight = s->geometry().height();
    }
    l.headerWidth = HC1->width();
    l.available = fieldsOfCaptions(DualListDialog1->sourceItems(), shown_);
    l.chosen = fieldsOfCaptions(DualListDialog1->destinationItems(), shown_);
    l.title = editTitle->text();
    l.headFont = LayoutFont::from(headFont_);
    l.dataHeadFont = LayoutFont::from(dataHeadFont_);
    l.detailsFont = LayoutFont::from(detailsFont_);
    l.bottom = chkBottom->isChecked();
    l.entryCount = chkEntryCount->isChecked();
    l.gridlines = chkGridlines->isChecked();
    l.left = chkLeft->isChecked();
    l.priceTotal = chkPriceTotal->isChecked();
    l.right = chkRight->isChecked();
    l.top = chkTop->isChecked();
    l.spacing = cmbSpace->currentText();
    l.orientation = butLandscape->isChecked() ? poLandscape : poPortrait;
    l.rulerWidth = ruler->width();
    l.marginBottom = spinBottom->value();
    l.marginLeft = spinLeft->value();
    l.marginRight = spinRight->value();
    l.marginTop = spinTop->value();
    l.landscapeDown = butLandscape->isChecked();
    l.portraitDown = butPortrait->isChecked();
    l.prnTitle = Prn->Title();
    l.prnHeaderFont = LayoutFont::from({Prn->HeaderFont(), Prn->HeaderFontColor()});
    l.sections = sections();
    return l;
}

void TColPrtForm::applyLayout(const ReportLayout& l) {
    DualListDialog1->setSourceItems(fieldCaptions(l.available, shown_));
    DualListDialog1->setDestinationItems(fieldCaptions(l.chosen, shown_));
    editTitle->setText(l.title);
    setSampleFont(labHeadFont, headFont_, l.headFont.toReportFont());
    setSampleFont(labDataHead, dataHeadFont_, l.dataHeadFont.toReportFont());
    setSampleFont(labDetailsFont, detailsFont_, l.detailsFont.toReportFont());
    chkBottom->setChecked(l.bottom);
    chkEntryCount->setChecked(l.entryCount);
    chkGridlines->setChecked(l.gridlines);
    chkLeft->setChecked(l.left);
    chkPriceTotal->setChecked(l.priceTotal);
    chkRight->setChecked(l.right);
    chkTop->setChecked(l.top);
    cmbSpace->setCurrentText(l.spacing);
    spinBottom->setValue(l.marginBottom);
    spinLeft->setValue(l.marginLeft);
    spinRight->setValue(l.marginRight);
    spinTop->setValue(l.marginTop);
    // The two buttons are one of two: the orientation decides.
    setOrientation(l.orientation);
    Prn->SetTitle(l.prnTitle);
    const ReportFont header = l.prnHeaderFont.toReportFont();
    Prn->SetHeaderFont(header.font);
    Prn->SetHeaderFontColor(header.color);
    setSections(l.sections);
}

void TColPrtForm::setStripWidth(int width) {
    ruler->setFixedWidth(width);
    HC1->setFixedWidth(width);
    panRuler->setFixedWidth(width);
}

void TColPrtForm::setOrientation(TPrinterOrientation o) {
    (o == poLandscape ? butLandscape : butPortrait)->setChecked(true);
    Prn->SetOrientation(o);
    setStripWidth(o == poLandscape ? kLandscapeStripWidth : kPortraitStripWidth);
}

void TColPrtForm::setSampleFont(QLabel* sample, ReportFont& font, const ReportFont& chosen) {
    font = chosen;
    QFont shown = chosen.font;
    shown.setPointSizeF(std::clamp<double>(shown.pointSizeF(), kMinFontSize, kMaxFontSize));
    font.font = shown;
    sample->setFont(shown);
    QPalette p = sample->palette();
    p.setColor(QPalette::WindowText, chosen.color);
    sample->setPalette(p);
}

// ---- Showing and closing

int TColPrtForm::execute() {
    return fw::execModal(this);
}

void TColPrtForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    FormShow();
    FormActivate();
    toolWin->show();
    ReportSettings1->setChecked(true);
}

void TColPrtForm::done(int result) {
    toolWin->hide();
    FormClose();
    QDialog::done(result);
}

void TColPrtForm::FormShow() {
    closed_ = false;
    storage_->restore();
    // The user fields' captions as the detail pages show them now.
    if (context_.userCaptions && context_.userCaptions() != shown_) {
        const ReportLayout before = layout();
        shown_ = context_.userCaptions();
        DualListDialog1->setSourceItems(fieldCaptions(before.available, shown_));
        DualListDialog1->setDestinationItems(fieldCaptions(before.chosen, shown_));
        setSections(before.sections);
    }
    {
        fw::SettingsKey key;
        if (key.readInteger(kSettings, QStringLiteral("StartHelp"), 1) == 1)
            fw::prompt().showHelp(this, fw::helpTopicForContext(kHelpContext));
        key.writeInteger(kSettings, QStringLiteral("StartHelp"), 0);
    }
    butPreviewClick();
    // The box shows "Single"; the engine keeps its spacing until the user picks one.
    cmbSpace->setCurrentText(QStringLiteral("Single"));
    showPageLabel();
    savedText_ = layoutText();
}

// The report prints closed captions, multi-sets and surround as Yes and No, and the other
// logical fields as True and False (reports::titleFieldText), whichever window builds it.
void TColPrtForm::FormActivate() {}

void TColPrtForm::FormClose() {
    if (closed_) return;
    closed_ = true;
    Prn->Clear();
    storage_->save();
}

void TColPrtForm::Exit1Click() {
    reject();
}

bool TColPrtForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Prn->viewport() && event->type() == QEvent::Paint) {
        alignRuler();
    } else if (watched == HC1->viewport() && event->type() == QEvent::MouseButtonRelease) {
        HC1EndDrag();
    } else if (watched == toolWin && event->type() == QEvent::Close) {
        toolWinClose();
    } else if (watched == ZoomList->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ZoomListKeyPress();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---- Building and printing

double TColPrtForm::priceTotal() {
    return reports::priceTotal(*context_.titles->table(), fw::decimalSeparator());
}

void TColPrtForm::butPreviewClick() {
    fw::Dataset* titles = context_.titles;
    if (!titles || !titles->checkBrowseMode().isOk()) return;
    const uint32_t current = titles->recNo();
    ColumnReportLayout report = columnReportLayout(layout(), kScreenDpi);
    reports::TitleColumnRows rows(*titles->table(), report.fields);
    if (!rows.missingField().isEmpty()) {
        error(this, QStringLiteral("Field '%1' not found").arg(rows.missingField()));
        return;
    }
    report.fields = fieldCaptions(report.fields, shown_); // the columns' titles
    {
        Hourglass wait;
        if (chkPriceTotal->isChecked()) report.priceTotal = priceTotal();
        try {
            buildColumnReport(*Prn, report, rows);
        } catch (const EPagePrinter& e) {
            error(this, e.message());
        }
    }
    if (!rows.status())
        fw::showStatus(this, QStringLiteral("The titles could not be read for the report."),
                       rows.status());
    // The walk moved the table: the title that was current is current again.
    if (current == 0 || !titles->goTo(current).isOk()) titles->refresh();
    showPageLabel();
}

void TColPrtForm::butPrintClick() {
    if (Prn->PageCount() == 0) {
        fw::inform(this, QStringLiteral("There is nothing to print.  Click Preview first."));
        return;
    }
    try {
        if (!choosePrinter(*Prn, this)) return;
        if (!Prn->Print()) fw::inform(this, QStringLiteral("You cancelled printing."));
    } catch (const EPagePrinter& e) {
        error(this, e.message());
    }
}

void TColPrtForm::butSavePdfClick() {
    if (Prn->PageCount() == 0) {
        fw::inform(this, QStringLiteral("There is nothing to save.  Click Preview first."));
        return;
    }
    savePagesAsPdf(*Prn, this, context_.dataFolder);
}

void TColPrtForm::butSelectClick() {
    const QStringList available = DualListDialog1->sourceItems();
    const QStringList chosen = DualListDialog1->destinationItems();
    if (!DualListDialog1->execute()) return;
    const QStringList now = DualListDialog1->destinationItems();
    if (now.isEmpty()) {
        // No column to print: the choice before stays, lists and strip alike.
        DualListDialog1->setSourceItems(available);
        DualListDialog1->setDestinationItems(chosen);
        return;
    }
    setSections(rebuildSections(sections(), fieldsOfCaptions(now, shown_)));
    butPreviewClick();
}

void TColPrtForm::HC1SectionResize(int section, int, int newWidth) {
    if (settingSections_) return;
    if (section == 0 && newWidth > kMaxMarginSection) {
        HC1->resizeSection(0, kMaxMarginSection);
        return;
    }
    resized_ = true;
    Prn->SetMarginLeft(HC1->sectionSize(0) / kScreenDpi);
}

void TColPrtForm::HC1EndDrag() {
    if (!resized_) return;
    resized_ = false;
    if (chkAutoPrev->isChecked()) butPreviewClick();
}

void TColPrtForm::spinLeftChange() {
    Prn->SetMarginLeft(spinLeft->value());
}
void TColPrtForm::spinRightChange() {
    Prn->SetMarginRight(spinRight->value());
}
void TColPrtForm::spinTopChange() {
    Prn->SetMarginTop(spinTop->value());
}
void TColPrtForm::spinBottomChange() {
    Prn->SetMarginBottom(spinBottom->value());
}

void TColPrtForm::cmbSpaceChange() {
    if (auto s = spacingFromText(cmbSpace->currentText())) Prn->SetLineSpacing(*s);
}

void TColPrtForm::butPortraitClick() {
    Hourglass wait;
    setOrientation(poPortrait);
    butPreviewClick();
}

void TColPrtForm::butLandscapeClick() {
    Hourglass wait;
    setOrientation(poLandscape);
    butPreviewClick();
}

bool TColPrtForm::chooseFont(QLabel* sample, ReportFont& font) {
    fw::FontOptions options;
    options.maxPointSize = kMaxFontSize;
    QColor color = font.color;
    options.color = &color;
    const std::optional<QFont> chosen =
        fw::prompt().chooseFont(this, font.font, QStringLiteral("Font"), options);
    if (!chosen) return false;
    setSampleFont(sample, font, {*chosen, color});
    return true;
}

void TColPrtForm::butHeadFontClick() {
    if (!chooseFont(labHeadFont, headFont_)) return;
    Prn->SetHeaderFont(headFont_.font);
    Prn->SetHeaderFontColor(headFont_.color);
    butPreviewClick();
}

void TColPrtForm::BitBtn4Click() {
    if (chooseFont(labDataHead, dataHeadFont_)) butPreviewClick();
}

void TColPrtForm::BitBtn3Click() {
    if (chooseFont(labDetailsFont, detailsFont_)) butPreviewClick();
}

void TColPrtForm::chkGridlinesClick() {
    Prn->SetTableGrid(chkGridlines->isChecked());
}

void TColPrtForm::editTitleChange() {
    Prn->SetTitle(editTitle->text());
}

void TColPrtForm::ZoomListClick() {
    try {
        applyZoomChoice(*Prn, ZoomList->currentText());
    } catch (const EPagePrinter& e) {
        error(this, e.message());
    }
    ZoomTimer->start();
}

void TColPrtForm::ZoomListKeyPress() {
    const QString typed = ZoomList->currentText();
    bool ok = false;
    const int percent = typed.trimmed().toInt(&ok);
    if (!ok) {
        error(this, QStringLiteral("'%1' is not a valid integer value").arg(typed));
        return;
    }
    try {
        Prn->SetZoomPercent(percent);
    } catch (const EPagePrinter& e) {
        error(this, e.message());
    }
}

void TColPrtForm::btnNextPageClick() {
    if (Prn->CurrentPage() < Prn->PageCount()) Prn->SetCurrentPage(Prn->CurrentPage() + 1);
    showPageLabel();
}

void TColPrtForm::btnPrevPageClick() {
    if (Prn->CurrentPage() > 1) Prn->SetCurrentPage(Prn->CurrentPage() - 1);
    showPageLabel();
}

void TColPrtForm::showPageLabel() {
    lblPage->setText(pageLabelText(*Prn));
}

void TColPrtForm::butDropClick() {
    if (butDrop->isChecked()) {
        tabs->show();
        toolWin->resize(333, 244);
    } else {
        tabs->hide();
        toolWin->resize(155, 55);
    }
}

void TColPrtForm::ReportSettings1Click() {
    toolWin->setVisible(ReportSettings1->isChecked());
}

void TColPrtForm::toolWinClose() {
    ReportSettings1->setChecked(false);
}

void TColPrtForm::PrinterSettings1Click() {
    PrinterSetup::shared().runSetup(this);
    try {
        Prn->RefreshPrinter();
    } catch (const EPagePrinter& e) {
        error(this, e.message());
    }
}

void TColPrtForm::butHelpClick() {
    fw::prompt().showHelp(this, QStringLiteral("Custom_Reports"));
}

void TColPrtForm::alignRuler() {
    const QRectF page = Prn->pageInViewport();
    const int pageLeft = Prn->viewport()->mapTo(this, QPoint(qRound(page.left()), 0)).x();
    const int rowLeft = rulerIndent_->mapTo(this, QPoint(0, 0)).x();
    const int indent = std::max(0, pageLeft - rowLeft);
    if (rulerIndent_->width() != indent) rulerIndent_->setFixedWidth(indent);
}

// ---- Layout files

void TColPrtForm::Save1Click() {
    saveLayout();
}

bool TColPrtForm::saveLayout() {
    QDir::setCurrent(context_.dataFolder);
    QString path = fw::prompt().saveFileName(this, QStringLiteral("Save Report Layout"),
                                             context_.dataFolder, kLayoutFilter);
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".rkr");
    QString why;
    const bool saved = saveReportLayout(path, layout(), &why);
    if (!saved) {
        error(this, why);
    } else {
        setWindowTitle(kCaption + QStringLiteral(" - ") + QFileInfo(path).fileName());
        savedText_ = layoutText();
    }
    QDir::setCurrent(context_.dataFolder);
    return saved;
}

QString TColPrtForm::layoutText() const {
    ReportLayout l = layout();
    l.placement = {};
    return writeReportLayout(l);
}

bool TColPrtForm::changesDealtWith() {
    if (layoutText() == savedText_) return true;
    switch (fw::prompt().message(this,
                                 QStringLiteral("The report layout has changes that are not "
                                                "saved. Save them first?"),
                                 kCaption, fw::Icon::Question, fw::Buttons::YesNoCancel)) {
    case fw::Button::Yes:
        return saveLayout();
    case fw::Button::No:
        return true;
    default:
        return false;
    }
}

void TColPrtForm::Open1Click() {
    if (!changesDealtWith()) return;
    QDir::setCurrent(context_.dataFolder);
    const QString path = fw::prompt().openFileName(this, QStringLiteral("Open Report Layout"),
                                                   context_.dataFolder, kLayoutFilter);
    if (path.isEmpty()) return;
    ReportLayout l = layout();
    LayoutReadResult read;
    QString why;
    if (!loadReportLayout(path, l, &read, &why)) {
        error(this, why);
        return;
    }
    if (!read.isLayout) {
        // A file of some other kind changes nothing.
        error(this,
              QStringLiteral("%1 is not a report layout file.").arg(QFileInfo(path).fileName()));
        return;
    }
    applyLayout(l);
    setWindowTitle(kCaption + QStringLiteral(" - ") + QFileInfo(path).fileName());
    QDir::setCurrent(context_.dataFolder);
    if (read.chosenRead) butPreviewClick();
    savedText_ = layoutText();
}

} // namespace rk::print
