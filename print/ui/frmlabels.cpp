#include "frmlabels.h"

#include "dataset.h"
#include "labelpreview.h"
#include "labelprint.h"
#include "labeltext.h"
#include "mnemonics.h"
#include "modal.h"
#include "pdfdevice.h"
#include "previewcommands.h"
#include "printersetup.h"
#include "prompt.h"
#include "spinedit.h"
#include "tpageprinter.h"
#include "transparentpicture.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFontComboBox>
#include <QFontInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

using rk::print::LabelMargins;
using rk::print::LabelSheet;

namespace {

const QString kCaption = QStringLiteral("Reelkeeper Label Printer");

// The editor's text starts in this face and size, black.
const char* const kEditorFace = "MS Sans Serif";
constexpr int kEditorPoints = 8;
constexpr int kMinPoints = 6, kMaxPoints = 100;

// The colours of the colour list.
struct NamedColor {
    const char* name;
    QRgb rgb;
};
constexpr NamedColor kColors[] = {
    {"Black", 0x000000},  {"Maroon", 0x800000},  {"Green", 0x008000}, {"Olive", 0x808000},
    {"Navy", 0x000080},   {"Purple", 0x800080},  {"Teal", 0x008080},  {"Gray", 0x808080},
    {"Silver", 0xc0c0c0}, {"Red", 0xff0000},     {"Lime", 0x00ff00},  {"Yellow", 0xffff00},
    {"Blue", 0x0000ff},   {"Fuchsia", 0xff00ff}, {"Aqua", 0x00ffff},  {"White", 0xffffff},
};

// The custom position's values, inches.
constexpr double kCustomMax = 14.0;

// The editor's room around the label's text inside the outline, pixels.
constexpr int kLabelPad = 6;
// The narrowest label the editor is made for, inches (a custom position may leave less).
constexpr double kMinLabelWidth = 0.5;

QPixmap swatch(const QColor& color) {
    QPixmap pm(16, 12);
    pm.fill(color);
    QPainter p(&pm);
    p.setPen(Qt::darkGray);
    p.drawRect(0, 0, 15, 11);
    return pm;
}

// Four lines of text aligned left, centred or right.
QIcon alignIcon(Qt::Alignment align) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QPen(QColor(40, 40, 40), 1.6));
    const int widths[] = {12, 8, 12, 6};
    for (int i = 0; i < 4; ++i) {
        const int w = widths[i];
        const int x = align == Qt::AlignLeft ? 2 : align == Qt::AlignRight ? 14 - w : 8 - w / 2;
        p.drawLine(x, 3 + i * 3, x + w, 3 + i * 3);
    }
    return QIcon(pm);
}

// The marker that shows the chosen label on a sheet picture.
QPixmap markerPicture(QSize size) {
    QPixmap pm(size * 2);
    pm.setDevicePixelRatio(2);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(QColor(0xd0, 0x20, 0x20));
    const QRectF r(1, 1, size.width() - 2, size.height() - 2);
    if (size.width() == size.height())
        p.drawEllipse(r);
    else
        p.drawRoundedRect(r, 3, 3);
    return pm;
}

QToolButton* toggle(QWidget* parent, const char* name, const QString& hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setCheckable(true);
    b->setToolTip(hint);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRaise(false);
    b->setFixedSize(26, 24);
    return b;
}

QLineEdit* shownNumber(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(QStringLiteral("1"), parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    e->setFixedWidth(32);
    e->setAlignment(Qt::AlignCenter);
    return e;
}

} // namespace

TfrmLabels::TfrmLabels(rk::fw::Dataset* titles, QWidget* parent)
    : QDialog(parent), titles_(titles) {
    setObjectName(QStringLiteral("frmLabels"));
    rk::fw::keepMnemonics(this); // every shown caption gets a letter of its own
    rk::fw::helpOnF1(this, QStringLiteral("Print_Labels"));
    setWindowTitle(kCaption);
    setModal(true);

    prn = new rk::print::TPagePrinter(rk::print::PrinterSetup::shared().device(), this);
    prn->setObjectName(QStringLiteral("prn"));
    prn->hide();
    rk::print::setUpLabelEngine(*prn);

    buildPicker();
    buildEditor();
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    auto* attributes = new QWidget(PageControl1);
    attributes->setObjectName(QStringLiteral("TabSheet3"));
    auto* fields = new QWidget(PageControl1);
    fields->setObjectName(QStringLiteral("TabSheet4"));
    auto* custom = new QWidget(PageControl1);
    custom->setObjectName(QStringLiteral("TabSheet5"));
    buildAttributesPage(attributes);
    buildFieldsPage(fields);
    buildCustomPage(custom);
    PageControl1->addTab(attributes, QStringLiteral("Font Attributes"));
    PageControl1->addTab(fields, QStringLiteral("Fields to Include"));
    PageControl1->addTab(custom, QStringLiteral("Custom Settings"));

    auto button = [this](const char* name, const QString& caption, const QString& hint = {}) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        if (!hint.isEmpty()) b->setToolTip(hint);
        return b;
    };
    BitBtn2 = button("BitBtn2", QStringLiteral("Prev"), QStringLiteral("Previous title"));
    BitBtn1 = button("BitBtn1", QStringLiteral("Next"), QStringLiteral("Next title"));
    butPreview = button("butPreview", QStringLiteral("Preview..."),
                        QStringLiteral("Show the label on its sheet"));
    butSavePdf = button("butSavePdf", QStringLiteral("Save as PDF..."),
                        QStringLiteral("Save the label's page as a PDF file"));
    BitBtn5 = button("BitBtn5", QStringLiteral("Setup"), QStringLiteral("Printer setup"));
    BitBtn4 = button("BitBtn4", QStringLiteral("Print"), QStringLiteral("Print the label"));
    BitBtn3 = button("BitBtn3", QStringLiteral("Help"));
    butClose = button("butClose", QStringLiteral("Close"));

    auto* left = new QVBoxLayout;
    left->addWidget(labLabel->parentWidget(), 1);
    left->addWidget(PageControl1);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addWidget(PageCtrl, 0, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn2);
    buttons->addWidget(BitBtn1);
    buttons->addStretch(1);
    for (QPushButton* b : {butPreview, butSavePdf, BitBtn5, BitBtn4, BitBtn3, butClose})
        buttons->addWidget(b);
    auto* column = new QVBoxLayout(this);
    column->addLayout(top, 1);
    column->addLayout(buttons);

    connectHandlers();
    fitEditorToLabel();
}

TfrmLabels::~TfrmLabels() = default;

// --- Construction

void TfrmLabels::buildPicker() {
    using namespace rk::print;
    PageCtrl = new QTabWidget(this);
    PageCtrl->setObjectName(QStringLiteral("PageCtrl"));
    // The window keeps its shape while the custom position hides the picker.
    QSizePolicy keep = PageCtrl->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    PageCtrl->setSizePolicy(keep);

    const qreal ratio = std::max<qreal>(2.0, devicePixelRatioF());
    auto sheetPage = [&](LabelSheet sheet, const char* name, const QString& heading,
                         const char* pictureName, const char* markerName) {
        auto* page = new QWidget(PageCtrl);
        page->setObjectName(QString::fromLatin1(name));
        page->setFixedSize(kSheetPictureSize.width() + 24, kSheetPictureSize.height() + 64);
        auto* title = new QLabel(heading, page);
        title->setGeometry(4, 2, page->width() - 8, 16);
        auto* picture = new rk::TransparentPicture(page);
        picture->setObjectName(QString::fromLatin1(pictureName));
        QPixmap pm = QPixmap::fromImage(paintSheetPicture(sheet, ratio));
        pm.setDevicePixelRatio(ratio);
        picture->setPicture(pm);
        picture->setGeometry(QRect(sheetPictureOrigin(sheet), kSheetPictureSize));
        picture->setCursor(Qt::PointingHandCursor);
        auto* marker = new QLabel(page);
        marker->setObjectName(QString::fromLatin1(markerName));
        marker->setPixmap(markerPicture(positionMarkerSize(sheet)));
        marker->resize(positionMarkerSize(sheet));
        // A click on the marker is a click on the label under it.
        marker->setAttribute(Qt::WA_TransparentForMouseEvents);
        marker->raise();
        return std::make_tuple(page, picture, marker);
    };

    std::tie(TabSheet1, LrsBmp1, butPos) = sheetPage(
        LabelSheet::Face, "TabSheet1", QStringLiteral("Avery Video Face"), "LrsBmp1", "butPos");
    butPos->move(faceMarkerPosition({1, 1}));
    const int below = sheetPictureOrigin(LabelSheet::Face).y() + kSheetPictureSize.height() + 8;
    auto* colLabel = new QLabel(QStringLiteral("Column:"), TabSheet1);
    EditCol = shownNumber(TabSheet1, "EditCol");
    auto* rowLabel = new QLabel(QStringLiteral("Row:"), TabSheet1);
    EditRow = shownNumber(TabSheet1, "EditRow");
    colLabel->setGeometry(4, below + 3, 54, 18);
    EditCol->move(60, below);
    rowLabel->setGeometry(100, below + 3, 30, 18);
    EditRow->move(130, below);

    std::tie(TabSheet2, LrsBmp2, butPos2) = sheetPage(
        LabelSheet::Spine, "TabSheet2", QStringLiteral("Avery Video Spine"), "LrsBmp2", "butPos2");
    butPos2->move(spineMarkerPosition(1));
    const int belowSpine =
        sheetPictureOrigin(LabelSheet::Spine).y() + kSheetPictureSize.height() + 4;
    auto* spineLabel = new QLabel(QStringLiteral("Row:"), TabSheet2);
    SpineRow = shownNumber(TabSheet2, "SpineRow");
    spineLabel->setGeometry(6, belowSpine + 3, 30, 18);
    SpineRow->move(40, belowSpine);

    PageCtrl->addTab(TabSheet1, QStringLiteral("5199-F"));
    PageCtrl->addTab(TabSheet2, QStringLiteral("5199-S"));
}

void TfrmLabels::buildEditor() {
    // The label outline sits in a white-grey area as tall as a face label; the editor fills
    // the outline.
    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("LabelArea"));
    area->setMinimumHeight(190);
    labLabel = new QFrame(area);
    labLabel->setObjectName(QStringLiteral("labLabel"));
    labLabel->setStyleSheet(QStringLiteral(
        "#labLabel { background: white; border: 1px solid #7a8ca8; border-radius: 6px; }"));
    RichEdit1 = new QTextEdit(labLabel);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setFrameShape(QFrame::NoFrame);
    RichEdit1->setAcceptRichText(true);
    RichEdit1->setTabChangesFocus(false);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RichEdit1->setLineWrapMode(QTextEdit::FixedPixelWidth);
    RichEdit1->document()->setDocumentMargin(0);
    RichEdit1->document()->setDefaultFont(QFont(QString::fromLatin1(kEditorFace), kEditorPoints));
    auto* inside = new QVBoxLayout(labLabel);
    inside->setContentsMargins(kLabelPad, kLabelPad, kLabelPad, kLabelPad);
    inside->addWidget(RichEdit1);
    auto* centre = new QGridLayout(area);
    centre->setContentsMargins(0, 0, 0, 0);
    centre->addWidget(labLabel, 0, 0, Qt::AlignCenter);
}

void TfrmLabels::buildAttributesPage(QWidget* page) {
    FontName = new QFontComboBox(page);
    FontName->setObjectName(QStringLiteral("FontName"));
    FontName->setCurrentFont(QFont(QStringLiteral("Arial")));
    FontName->setToolTip(QStringLiteral("Font face"));
    FontSize = new QSpinBox(page);
    FontSize->setObjectName(QStringLiteral("FontSize"));
    FontSize->setRange(kMinPoints, kMaxPoints);
    FontSize->setValue(10);
    FontSize->setToolTip(QStringLiteral("Font size"));
    FontColor = new QComboBox(page);
    FontColor->setObjectName(QStringLiteral("FontColor"));
    FontColor->setToolTip(QStringLiteral("Font colour"));
    for (const NamedColor& c : kColors)
        FontColor->addItem(QIcon(swatch(QColor(c.rgb))), QString::fromLatin1(c.name),
                           QColor(c.rgb));
    FontColor->setCurrentIndex(0);

    BoldButton = toggle(page, "BoldButton", QStringLiteral("Bold"));
    BoldButton->setText(QStringLiteral("B"));
    QFont bold = BoldButton->font();
    bold.setBold(true);
    BoldButton->setFont(bold);
    ItalicButton = toggle(page, "ItalicButton", QStringLiteral("Italic"));
    ItalicButton->setText(QStringLiteral("I"));
    QFont italic = ItalicButton->font();
    italic.setItalic(true);
    ItalicButton->setFont(italic);
    UnderlineButton = toggle(page, "UnderlineButton", QStringLiteral("Underline"));
    UnderlineButton->setText(QStringLiteral("U"));
    QFont underline = UnderlineButton->font();
    underline.setUnderline(true);
    UnderlineButton->setFont(underline);

    LeftAlign = toggle(page, "LeftAlign", QStringLiteral("Align Left"));
    LeftAlign->setIcon(alignIcon(Qt::AlignLeft));
    CenterAlign = toggle(page, "CenterAlign", QStringLiteral("Center"));
    CenterAlign->setIcon(alignIcon(Qt::AlignHCenter));
    RightAlign = toggle(page, "RightAlign", QStringLiteral("Align Right"));
    RightAlign->setIcon(alignIcon(Qt::AlignRight));
    // Their values follow the order of the paragraph alignments: left, right, centre.
    auto* alignments = new QButtonGroup(page);
    alignments->setExclusive(true);
    alignments->addButton(LeftAlign, 0);
    alignments->addButton(RightAlign, 1);
    alignments->addButton(CenterAlign, 2);
    LeftAlign->setChecked(true);

    auto* grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("Font:"), page), 0, 0);
    grid->addWidget(FontName, 0, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Size:"), page), 1, 0);
    grid->addWidget(FontSize, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Color:"), page), 1, 2, Qt::AlignRight);
    grid->addWidget(FontColor, 1, 3);
    auto* styles = new QHBoxLayout;
    for (QToolButton* b : {BoldButton, ItalicButton, UnderlineButton})
        styles->addWidget(b);
    styles->addSpacing(16);
    for (QToolButton* b : {LeftAlign, CenterAlign, RightAlign})
        styles->addWidget(b);
    styles->addStretch(1);
    grid->addLayout(styles, 2, 0, 1, 4);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(3, 1);
}

void TfrmLabels::buildFieldsPage(QWidget* page) {
    ListBox1 = new QListWidget(page);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    // Two columns, filled top to bottom.
    ListBox1->setFlow(QListView::TopToBottom);
    ListBox1->setWrapping(true);
    ListBox1->setResizeMode(QListView::Adjust);
    ListBox1->setUniformItemSizes(true);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    for (const rk::print::LabelFieldItem& field : rk::print::labelFieldItems()) {
        auto* item = new QListWidgetItem(QString::fromLatin1(field.caption), ListBox1);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    const int rows = (rk::print::kLabelFieldCount + 1) / 2;
    ListBox1->setGridSize(QSize(190, ListBox1->sizeHintForRow(0) + 1));
    ListBox1->setMinimumHeight(rows * (ListBox1->sizeHintForRow(0) + 1) + 6);
    auto* column = new QVBoxLayout(page);
    column->addWidget(ListBox1);
}

void TfrmLabels::buildCustomPage(QWidget* page) {
    chkCustom = new QCheckBox(QStringLiteral("Use Custom Position"), page);
    chkCustom->setObjectName(QStringLiteral("chkCustom"));
    butFace = toggle(page, "butFace", QStringLiteral("Face Label"));
    butFace->setText(QStringLiteral("Face"));
    butFace->setFixedSize(56, 24);
    butSpine = toggle(page, "butSpine", QStringLiteral("Spine Label"));
    butSpine->setText(QStringLiteral("Spine"));
    butSpine->setFixedSize(56, 24);
    auto* types = new QButtonGroup(page);
    types->setExclusive(true);
    types->addButton(butFace);
    types->addButton(butSpine);
    butFace->setChecked(true);
    using rk::print::kCustomInitial;
    using rk::print::kCustomStep;
    SpinHor = rk::SpinEdit::decimal(0, kCustomMax, kCustomStep, 2, page);
    SpinHor->setObjectName(QStringLiteral("SpinHor"));
    SpinHor->setValue(kCustomInitial);
    SpinHor->setSuffix(QStringLiteral(" in"));
    SpinVer = rk::SpinEdit::decimal(0, kCustomMax, kCustomStep, 2, page);
    SpinVer->setObjectName(QStringLiteral("SpinVer"));
    SpinVer->setValue(kCustomInitial);
    SpinVer->setSuffix(QStringLiteral(" in"));
    for (QWidget* w : std::initializer_list<QWidget*>{butFace, butSpine, SpinHor, SpinVer})
        w->setEnabled(false);

    auto* grid = new QGridLayout(page);
    grid->addWidget(chkCustom, 0, 0, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("Label Type:"), page), 1, 0);
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(butFace);
    typeRow->addWidget(butSpine);
    typeRow->addStretch(1);
    grid->addLayout(typeRow, 1, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Horizontal"), page), 2, 0);
    grid->addWidget(SpinHor, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Vertical"), page), 2, 2, Qt::AlignRight);
    grid->addWidget(SpinVer, 2, 3);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(3, 1);
}

void TfrmLabels::connectHandlers() {
    auto click = [this](QAbstractButton* b, void (TfrmLabels::*handler)()) {
        connect(b, &QAbstractButton::clicked, this, handler);
    };
    click(BitBtn1, &TfrmLabels::BitBtn1Click);
    click(BitBtn2, &TfrmLabels::BitBtn2Click);
    click(BitBtn3, &TfrmLabels::BitBtn3Click);
    click(BitBtn4, &TfrmLabels::BitBtn4Click);
    click(BitBtn5, &TfrmLabels::BitBtn5Click);
    click(butPreview, &TfrmLabels::butPreviewClick);
    click(butSavePdf, &TfrmLabels::butSavePdfClick);
    connect(butClose, &QPushButton::clicked, this, &QDialog::close);
    connect(LrsBmp1, &rk::TransparentPicture::mouseDown, this, &TfrmLabels::LrsBmp1MouseDown);
    connect(LrsBmp2, &rk::TransparentPicture::mouseDown, this, &TfrmLabels::LrsBmp2MouseDown);
    connect(PageCtrl, &QTabWidget::currentChanged, this, &TfrmLabels::PageCtrlChange);
    click(chkCustom, &TfrmLabels::chkCustomClick);
    click(butFace, &TfrmLabels::butFaceClick);
    click(butSpine, &TfrmLabels::butSpineClick);
    connect(SpinHor, &QDoubleSpinBox::valueChanged, this, &TfrmLabels::fitEditorToLabel);
    connect(SpinVer, &QDoubleSpinBox::valueChanged, this, &TfrmLabels::fitEditorToLabel);
    connect(ListBox1, &QListWidget::itemChanged, this, &TfrmLabels::ListBox1ClickCheck);
    connect(RichEdit1, &QTextEdit::cursorPositionChanged, this,
            &TfrmLabels::RichEdit1SelectionChange);
    connect(RichEdit1, &QTextEdit::selectionChanged, this, &TfrmLabels::RichEdit1SelectionChange);
    connect(RichEdit1, &QTextEdit::currentCharFormatChanged, this,
            &TfrmLabels::RichEdit1SelectionChange);
    connect(FontName, &QFontComboBox::currentFontChanged, this, &TfrmLabels::FontNameChange);
    connect(FontSize, &QSpinBox::valueChanged, this, &TfrmLabels::FontSizeChange);
    connect(FontColor, &QComboBox::currentIndexChanged, this, &TfrmLabels::FontColorChange);
    click(BoldButton, &TfrmLabels::BoldButtonClick);
    click(ItalicButton, &TfrmLabels::ItalicButtonClick);
    click(UnderlineButton, &TfrmLabels::UnderlineButtonClick);
    for (QToolButton* b : {LeftAlign, CenterAlign, RightAlign})
        click(b, &TfrmLabels::LeftAlignClick);
}

// --- Showing and closing

void TfrmLabels::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TfrmLabels::closeEvent(QCloseEvent* event) {
    FormClose();
    QDialog::closeEvent(event);
}

void TfrmLabels::FormShow() {
    RichEdit1->setPlainText(titles_->text("TITLE"));
    RichEdit1->setFocus();
    RichEdit1SelectionChange();
}

void TfrmLabels::FormClose() {
    // The field lines write logical fields as Yes or No themselves; the titles' own display
    // is never changed, so there is nothing to restore. A preview still open goes with us.
    if (preview_) preview_->close();
}

// --- Moving through the titles

void TfrmLabels::BitBtn1Click() {
    // A failed post was told through the dataset; a failed move leaves the title as it was.
    if (!titles_->next().isOk()) return;
    RichEdit1->setPlainText(titles_->text("TITLE"));
}

void TfrmLabels::BitBtn2Click() {
    if (!titles_->prior().isOk()) return;
    RichEdit1->setPlainText(titles_->text("TITLE"));
}

// --- Picking a position

void TfrmLabels::LrsBmp1MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, const QPoint& position) {
    const std::optional<rk::print::FacePosition> at =
        rk::print::facePositionAt(LrsBmp1->toPicture(position));
    if (!at) return; // between or beside the labels
    positions_.faceColumn = at->column;
    positions_.faceRow = at->row;
    butPos->move(rk::print::faceMarkerPosition(*at));
    EditCol->setText(QString::number(at->column));
    EditRow->setText(QString::number(at->row));
    fitEditorToLabel();
}

void TfrmLabels::LrsBmp2MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, const QPoint& position) {
    const std::optional<int> row = rk::print::spineRowAt(LrsBmp2->toPicture(position).y());
    if (!row) return; // between the bands
    positions_.spineRow = *row;
    butPos2->move(rk::print::spineMarkerPosition(*row));
    SpineRow->setText(QString::number(*row));
    fitEditorToLabel();
}

// --- Layouts

void TfrmLabels::PageCtrlChange() {
    switchLayout(PageCtrl->currentWidget() == TabSheet1 ? LabelSheet::Face : LabelSheet::Spine);
}

void TfrmLabels::chkCustomClick() {
    const bool on = chkCustom->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{butFace, butSpine, SpinHor, SpinVer})
        w->setEnabled(on);
    PageCtrl->setVisible(!on);
    fitEditorToLabel();
}

void TfrmLabels::butFaceClick() {
    switchLayout(LabelSheet::Face);
}

void TfrmLabels::butSpineClick() {
    switchLayout(LabelSheet::Spine);
}

void TfrmLabels::switchLayout(LabelSheet layout) {
    // Switching to the layout already shown would save the spine text as the face text, or
    // throw away the face text typed: it does nothing.
    if (layout == layout_) return;
    layout_ = layout;
    if (layout == LabelSheet::Spine) {
        // The face text's document itself is put aside, so that it comes back exactly (its
        // formats, its default attributes, its undo steps); the spine gets a new one.
        faceText_ = RichEdit1->document();
        faceText_->setParent(this); // the editor deletes the document it replaces if it owns it
        faceTextColor_ = textColor_;
        auto* spine = new QTextDocument(RichEdit1);
        spine->setDefaultFont(faceText_->defaultFont());
        spine->setDocumentMargin(faceText_->documentMargin());
        // The two lines in the default attributes, whatever the attributes at the caret.
        QTextCursor(spine).insertText(rk::print::spineLabelLines([this](std::string_view field) {
                                          return titles_->text(field);
                                      }).join(QLatin1Char('\n')));
        RichEdit1->setDocument(spine);
        for (int i = 0; i < ListBox1->count(); ++i)
            ListBox1->item(i)->setCheckState(Qt::Unchecked);
    } else if (faceText_) {
        QPointer<QTextDocument> spine = RichEdit1->document();
        faceText_->setParent(RichEdit1);
        RichEdit1->setDocument(faceText_);
        faceText_ = nullptr;
        delete spine.data();
        setTextColor(faceTextColor_);
    }
    butFace->setChecked(layout == LabelSheet::Face);
    butSpine->setChecked(layout == LabelSheet::Spine);
    fitEditorToLabel();
    RichEdit1SelectionChange();
}

void TfrmLabels::fitEditorToLabel() {
    const LabelMargins m = chosenMargins();
    const QSizeF paper = rk::print::PrinterSetup::shared().paper().size(QPageSize::Inch);
    const double width = std::max(kMinLabelWidth, paper.width() - m.left - m.right);
    const double height = rk::print::labelTextHeight(labelSheet());
    const int dpiX = logicalDpiX(), dpiY = logicalDpiY();
    const int textWidth = int(std::lround(width * dpiX));
    RichEdit1->setLineWrapColumnOrWidth(textWidth);
    const int frame = 2 * kLabelPad + 2;
    const int scroll = RichEdit1->verticalScrollBar()->sizeHint().width();
    labLabel->setFixedSize(textWidth + frame + scroll, int(std::lround(height * dpiY)) + frame);
}

// --- Field lines

void TfrmLabels::ListBox1ClickCheck(QListWidgetItem* item) {
    // Only a tick adds a line; removing one leaves the text as the user edited it.
    if (!item || item->checkState() != Qt::Checked) return;
    const rk::print::LabelFieldLine line = rk::print::labelFieldLine(
        ListBox1->row(item), [this](std::string_view field) { return titles_->text(field); });
    if (!line.added()) {
        rk::fw::inform(this, line.refusal, kCaption);
        item->setCheckState(Qt::Unchecked);
        return;
    }
    appendLine(line.line);
}

void TfrmLabels::appendLine(const QString& line) {
    QTextCursor c(RichEdit1->document());
    c.movePosition(QTextCursor::End);
    // A last line that is empty takes the text; otherwise a new line begins.
    if (!c.block().text().isEmpty()) c.insertBlock();
    c.insertText(line);
}

// --- Attributes

void TfrmLabels::RichEdit1SelectionChange() {
    FUpdating = true;
    const QTextCharFormat f = RichEdit1->currentCharFormat();
    const QFont font = f.font().resolve(RichEdit1->document()->defaultFont());
    FontName->setCurrentFont(QFont(QFontInfo(font).family()));
    FontSize->setValue(std::clamp(int(std::lround(font.pointSizeF())), kMinPoints, kMaxPoints));
    const QBrush brush = f.foreground();
    showTextColor(brush.style() == Qt::NoBrush ? textColor_ : brush.color());
    BoldButton->setChecked(font.bold());
    ItalicButton->setChecked(font.italic());
    UnderlineButton->setChecked(font.underline());
    const Qt::Alignment a = RichEdit1->alignment();
    (a & Qt::AlignHCenter ? CenterAlign
     : a & Qt::AlignRight ? RightAlign
                          : LeftAlign)
        ->setChecked(true);
    FUpdating = false;
}

void TfrmLabels::showTextColor(const QColor& color) {
    int index = FontColor->findData(color);
    if (index < 0) {
        FontColor->addItem(QIcon(swatch(color)), color.name(), color);
        index = FontColor->count() - 1;
    }
    const bool guard = FUpdating;
    FUpdating = true;
    FontColor->setCurrentIndex(index);
    FUpdating = guard;
}

void TfrmLabels::setTextColor(const QColor& color) {
    textColor_ = color;
    QPalette palette = RichEdit1->palette();
    palette.setColor(QPalette::Text, color);
    RichEdit1->setPalette(palette);
}

void TfrmLabels::applyCharFormat(const QTextCharFormat& format) {
    QTextCursor c = RichEdit1->textCursor();
    if (c.hasSelection()) {
        c.mergeCharFormat(format);
    } else {
        QTextDocument* doc = RichEdit1->document();
        QFont font = doc->defaultFont();
        if (format.hasProperty(QTextFormat::FontFamilies))
            font.setFamilies(format.fontFamilies().toStringList());
        if (format.hasProperty(QTextFormat::FontPointSize))
            font.setPointSizeF(format.fontPointSize());
        if (format.hasProperty(QTextFormat::FontWeight))
            font.setWeight(QFont::Weight(format.fontWeight()));
        if (format.hasProperty(QTextFormat::FontItalic)) font.setItalic(format.fontItalic());
        if (format.hasProperty(QTextFormat::TextUnderlineStyle))
            font.setUnderline(format.fontUnderline());
        doc->setDefaultFont(font);
        if (format.hasProperty(QTextFormat::ForegroundBrush))
            setTextColor(format.foreground().color());
    }
    RichEdit1->setFocus();
    // Text at the caret with an attribute of its own keeps it: the controls show what is.
    RichEdit1SelectionChange();
}

void TfrmLabels::FontNameChange() {
    if (FUpdating) return;
    QTextCharFormat f;
    f.setFontFamilies(QStringList{FontName->currentFont().family()});
    applyCharFormat(f);
}

void TfrmLabels::FontSizeChange() {
    if (FUpdating) return;
    QTextCharFormat f;
    f.setFontPointSize(FontSize->value());
    applyCharFormat(f);
}

void TfrmLabels::FontColorChange() {
    if (FUpdating) return;
    QTextCharFormat f;
    f.setForeground(FontColor->currentData().value<QColor>());
    applyCharFormat(f);
}

void TfrmLabels::BoldButtonClick() {
    if (FUpdating) return;
    QTextCharFormat f;
    f.setFontWeight(BoldButton->isChecked() ? QFont::Bold : QFont::Normal);
    applyCharFormat(f);
}

void TfrmLabels::ItalicButtonClick() {
    if (FUpdating) return;
    QTextCharFormat f;
    f.setFontItalic(ItalicButton->isChecked());
    applyCharFormat(f);
}

void TfrmLabels::UnderlineButtonClick() {
    if (FUpdating) return;
    QTextCharFormat f;
    f.setFontUnderline(UnderlineButton->isChecked());
    applyCharFormat(f);
}

void TfrmLabels::LeftAlignClick() {
    if (FUpdating) return;
    RichEdit1->setAlignment(CenterAlign->isChecked()  ? Qt::AlignHCenter
                            : RightAlign->isChecked() ? Qt::AlignRight
                                                      : Qt::AlignLeft);
    RichEdit1->setFocus();
}

// --- Printing

LabelMargins TfrmLabels::chosenMargins() const {
    rk::print::CustomPosition custom;
    custom.on = chkCustom->isChecked();
    custom.horizontal = SpinHor->value();
    custom.vertical = SpinVer->value();
    // The sheet follows the picker's tab even while the picker is hidden.
    const LabelSheet tab =
        PageCtrl->currentWidget() == TabSheet1 ? LabelSheet::Face : LabelSheet::Spine;
    return rk::print::labelMargins(tab, positions_, custom);
}

LabelSheet TfrmLabels::labelSheet() const {
    if (chkCustom->isChecked()) return layout_;
    return PageCtrl->currentWidget() == TabSheet1 ? LabelSheet::Face : LabelSheet::Spine;
}

bool TfrmLabels::confirmTextFits(const LabelMargins& margins) {
    const double over = rk::print::labelOverflow(*RichEdit1->document(), margins, labelSheet(),
                                                 rk::print::PrinterSetup::shared().device());
    if (over <= 0) return true;
    const QString text =
        QStringLiteral("The text is taller than the label: it runs %1 inch past the label's "
                       "bottom edge and would print over what lies below it.")
            .arg(over, 0, 'f', 2);
    return rk::fw::prompt().choose(this, text, kCaption, rk::fw::Icon::Warning,
                                   {QStringLiteral("Print Anyway"), QStringLiteral("Go Back")}) ==
           0;
}

void TfrmLabels::showPrintError(const QString& message) {
    rk::fw::prompt().message(this, message, kCaption, rk::fw::Icon::Error, rk::fw::Buttons::Ok);
}

namespace {

// The shared printer on the sheets' paper while a label prints: the print dialog offers it,
// and the printer's own paper comes back afterwards for the other printouts.
class SheetPaper {
public:
    SheetPaper() : printer_(rk::print::PrinterSetup::shared().printer()) {
        before_ = printer_.pageLayout().pageSize();
        printer_.setPageSize(rk::print::labelSheetPaper());
    }
    ~SheetPaper() { printer_.setPageSize(before_); }
    SheetPaper(const SheetPaper&) = delete;
    SheetPaper& operator=(const SheetPaper&) = delete;

private:
    QPrinter& printer_;
    QPageSize before_;
};

// A device with the sheets' paper for what is only laid out or saved, never sent to the
// printer: the preview and the PDF file.
std::shared_ptr<rk::print::PdfDevice> sheetDevice(const QString& file) {
    return std::make_shared<rk::print::PdfDevice>(file, rk::print::labelSheetPaper(),
                                                  rk::print::PrinterSetup::shared().offsetInches());
}

} // namespace

void TfrmLabels::BitBtn4Click() {
    const LabelMargins margins = chosenMargins();
    try {
        if (!confirmTextFits(margins)) return;
        const SheetPaper paper;
        if (!rk::print::choosePrinter(*prn, this)) return;
        rk::print::layOutLabel(*prn, margins, *RichEdit1->document(), textColor_);
        prn->Print(); // false when the user cancelled: nothing to tell
    } catch (const rk::print::EPagePrinter& e) {
        if (prn->Printing()) prn->EndDoc();
        showPrintError(e.message());
    }
}

void TfrmLabels::butSavePdfClick() {
    QString file = rk::fw::prompt().saveFileName(this, QStringLiteral("Save Label as PDF"),
                                                 pdfFolder_, QStringLiteral("PDF files (*.pdf)"));
    if (file.isEmpty()) return;
    if (!file.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) file += QStringLiteral(".pdf");
    pdfFolder_ = QFileInfo(file).absolutePath();
    const LabelMargins margins = chosenMargins();
    try {
        if (!confirmTextFits(margins)) return;
        rk::print::PageEngine engine(sheetDevice(file));
        rk::print::setUpLabelEngine(engine);
        engine.SetShowProgress(false);
        rk::print::layOutLabel(engine, margins, *RichEdit1->document(), textColor_);
        engine.Print();
    } catch (const rk::print::EPagePrinter& e) {
        showPrintError(e.message());
    }
}

void TfrmLabels::butPreviewClick() {
    if (preview_) preview_->close();
    auto* preview = new rk::print::LabelPreview(sheetDevice(QString()), this);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    try {
        preview->showLabel(*RichEdit1->document(), textColor_, labelSheet(), chosenMargins());
    } catch (const rk::print::EPagePrinter& e) {
        delete preview;
        showPrintError(e.message());
        return;
    }
    preview->setPrintAction([this] { BitBtn4Click(); });
    preview_ = preview;
    preview->open();
}

void TfrmLabels::BitBtn5Click() {
    if (rk::print::PrinterSetup::shared().runSetup(this)) fitEditorToLabel();
}

void TfrmLabels::BitBtn3Click() {
    rk::fw::prompt().showHelp(this, QStringLiteral("Print_Labels"));
}
