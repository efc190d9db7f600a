// The four detail pages of the current title (Common, Details, AV, Stars), the title banner
// across their top and the run-time zoom panel: which control edits which field, its
// caption, hint, width and tab order.
#include "form1.h"

#include "catalogue.h"
#include "covers.h"
#include "datacontrols.h"
#include "dotmatrixbanner.h"
#include "picturetabbar.h"
#include "spinbutton.h"
#include "spinedit.h"

#include <QCheckBox>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QVBoxLayout>
#include <QtMath>

#include <algorithm>

namespace {

constexpr int kBannerGap = 8;
// The longest category of the sample catalogue.
const char* const kLongCategory = "Science Fiction";
// A run time as the run-time panel writes it.
const char* const kWidestRunTime = "00:00";

// A caption above its control; the caption names the control for screen readers too.
QLabel* captionFor(QWidget* control, const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(control);
    control->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    return label;
}

QWidget* withCaption(QLabel* label, QWidget* control, QWidget* extra = nullptr,
                     QWidget* extra2 = nullptr) {
    auto* box = new QWidget;
    auto* v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(2);
    v->addWidget(label);
    if (!extra) {
        v->addWidget(control);
    } else {
        auto* h = new QHBoxLayout;
        h->setSpacing(3);
        h->addWidget(control, 1);
        h->addWidget(extra);
        if (extra2) h->addWidget(extra2);
        v->addLayout(h);
    }
    return box;
}

// A width that shows about `chars` characters of the control's font.
int charsWide(const QWidget* w, int chars) {
    return w->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 16;
}

// The width of the widest of `texts` in the control's font.
int widestText(const QWidget* w, const QStringList& texts) {
    const QFontMetricsF metrics(w->font());
    qreal widest = 0;
    for (const QString& t : texts)
        widest = std::max(widest, metrics.horizontalAdvance(t));
    return qCeil(widest);
}

// What a line edit keeps beside its text: a margin of 2 on either side, its text margins,
// the cursor, and room for letters that reach beyond their advance.
int lineEditPadding(const QLineEdit* e) {
    const QFontMetrics metrics = e->fontMetrics();
    const QMargins m = e->textMargins();
    return 2 * 2 + 1 + m.left() + m.right() + std::max(0, -metrics.minLeftBearing()) +
           std::max(0, -metrics.minRightBearing());
}

// The edit is never narrower than it must be to show each of `texts` whole, at any window
// size; its frame is the style's.
void roomFor(QLineEdit* e, const QStringList& texts) {
    QStyleOptionFrame opt;
    opt.initFrom(e);
    opt.lineWidth =
        e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, e) : 0;
    const QSize contents(widestText(e, texts) + lineEditPadding(e), e->fontMetrics().height());
    e->setMinimumWidth(
        e->style()->sizeFromContents(QStyle::CT_LineEdit, &opt, contents, e).width());
}

// The same for a drop-down: the text, its edit's room when it is editable, the arrow.
void roomFor(QComboBox* c, const QStringList& texts) {
    QStyleOptionComboBox opt;
    opt.initFrom(c);
    opt.editable = c->isEditable();
    opt.frame = c->hasFrame();
    const int padding = c->lineEdit() ? lineEditPadding(c->lineEdit()) : 0;
    const QSize contents(widestText(c, texts) + padding, c->fontMetrics().height());
    c->setMinimumWidth(
        c->style()->sizeFromContents(QStyle::CT_ComboBox, &opt, contents, c).width());
}

// Text of the width of `chars` average characters, for fields of free text.
QString typicalText(int chars) {
    return QString(chars, QLatin1Char('n'));
}

// The items of a drop-down.
QStringList itemsOf(const QComboBox* c) {
    QStringList items;
    for (int i = 0; i < c->count(); ++i)
        items << c->itemText(i);
    return items;
}

QStringList toStrings(const std::vector<std::string>& list) {
    QStringList out;
    for (const auto& s : list)
        out << QString::fromStdString(s);
    return out;
}

void chain(std::initializer_list<QWidget*> order) {
    QWidget* previous = nullptr;
    for (QWidget* w : order) {
        if (previous) QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

} // namespace

void TForm1::buildDetailPages() {
    PageControl2 = new rk::PictureTabWidget(this);
    PageControl2->setObjectName(QStringLiteral("PageControl2"));
    PageControl2->setTabSize(QSize(75, 28));
    PageControl2->setUsesScrollButtons(false);
    PageControl2->addTab(buildCommonPage(), QStringLiteral("Common"));
    PageControl2->addTab(buildDetailsPage(), QStringLiteral("Details"));
    PageControl2->addTab(buildAvPage(), QStringLiteral("AV"));
    PageControl2->addTab(buildStarsPage(), QStringLiteral("Stars"));

    BannerLab = new rk::DotMatrixBanner(PageControl2);
    BannerLab->setObjectName(QStringLiteral("BannerLab"));
    BannerLab->setInterval(150);
    BannerLab->setAccessibleName(QStringLiteral("Now showing"));
    BannerLab->hide();
    // The banner follows the size of the page it is on.
    for (int i = 0; i < PageControl2->count(); ++i)
        PageControl2->widget(i)->installEventFilter(this);
}

void TForm1::placeBanner() {
    if (!BannerLab || !PageControl2->currentWidget()) return;
    QWidget* current = PageControl2->currentWidget();
    const QRect page(current->mapTo(PageControl2, QPoint(0, 0)), current->size());
    BannerLab->setGeometry(page.left() + kBannerGap, page.top() + kBannerGap,
                           page.width() - 2 * kBannerGap, BannerLab->sizeHint().height());
    BannerLab->raise();
}

QWidget* TForm1::buildCommonPage() {
    TabSheet4 = new QWidget;
    QWidget* page = TabSheet4;
    page->setObjectName(QStringLiteral("TabSheet4"));
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(8);

    DBEdit1 = new rk::fw::DBEdit(page);
    DBEdit1->setObjectName(QStringLiteral("DBEdit1"));
    roomFor(DBEdit1, {typicalText(30)});
    grid->addWidget(withCaption(captionFor(DBEdit1, QStringLiteral("Title"), page), DBEdit1), 0, 0,
                    1, 4);

    DBEdit3 = new rk::fw::DBEdit(page);
    DBEdit3->setObjectName(QStringLiteral("DBEdit3"));
    roomFor(DBEdit3, {typicalText(24)});
    grid->addWidget(withCaption(captionFor(DBEdit3, QStringLiteral("Director(s)"), page), DBEdit3),
                    1, 0, 1, 4);

    DBEdit13 = new rk::fw::DBEdit(page);
    DBEdit13->setObjectName(QStringLiteral("DBEdit13"));
    roomFor(DBEdit13, {QString::fromLatin1(kLongCategory)});
    DBLookupComboBox1 = new rk::fw::DBLookupCombo(page);
    DBLookupComboBox1->setObjectName(QStringLiteral("DBLookupComboBox1"));
    DBLookupComboBox1->setArrowOnly(true);
    DBLookupComboBox1->setFixedWidth(24);
    DBLookupComboBox1->view()->setMinimumWidth(220);
    DBLookupComboBox1->setToolTip(QStringLiteral("Choose a category"));
    DBLookupComboBox1->setAccessibleName(QStringLiteral("Category list"));
    LockCheck = new QCheckBox(QStringLiteral("Lock"), page);
    LockCheck->setObjectName(QStringLiteral("LockCheck"));
    LockCheck->setToolTip(QStringLiteral("Lock Category for New Entries"));
    grid->addWidget(withCaption(captionFor(DBEdit13, QStringLiteral("Category"), page), DBEdit13,
                                DBLookupComboBox1, LockCheck),
                    2, 0, 1, 2);

    DBComboBox1 = new rk::fw::DBComboBox(page);
    DBComboBox1->setObjectName(QStringLiteral("DBComboBox1"));
    roomFor(DBComboBox1, toStrings(rk::catalogue::builtinFormats()));
    grid->addWidget(
        withCaption(captionFor(DBComboBox1, QStringLiteral("Media Format"), page), DBComboBox1), 2,
        2, 1, 2);

    DBEditRunTime = new rk::fw::DBEdit(page);
    DBEditRunTime->setObjectName(QStringLiteral("DBEditRunTime"));
    DBEditRunTime->setAlignment(Qt::AlignRight);
    DBEditRunTime->setMaximumWidth(charsWide(DBEditRunTime, 9));
    roomFor(DBEditRunTime, {QString::fromLatin1(kWidestRunTime)});
    butZoom = new QPushButton(QStringLiteral("..."), page);
    butZoom->setObjectName(QStringLiteral("butZoom"));
    butZoom->setAccessibleName(QStringLiteral("Set the run time in hours and minutes"));
    butZoom->setFixedWidth(30);
    butZoom->setToolTip(QStringLiteral("Set the run time in hours and minutes"));
    auto* runTime = withCaption(captionFor(DBEditRunTime, QStringLiteral("Run Time"), page),
                                DBEditRunTime, butZoom);
    static_cast<QHBoxLayout*>(runTime->layout()->itemAt(1)->layout())->addStretch(1);
    grid->addWidget(runTime, 3, 0);

    DBComboBox3 = new rk::fw::DBComboBox(page);
    DBComboBox3->setObjectName(QStringLiteral("DBComboBox3"));
    DBComboBox3->addItems({QStringLiteral("G"), QStringLiteral("R"), QStringLiteral("PG"),
                           QStringLiteral("PG-13"), QStringLiteral("NC-17"), QStringLiteral("NR"),
                           QStringLiteral("N/A")});
    grid->addWidget(
        withCaption(captionFor(DBComboBox3, QStringLiteral("Rated (MPAA)"), page), DBComboBox3), 3,
        1);
    roomFor(DBComboBox3, itemsOf(DBComboBox3));

    DBComboBox2 = new rk::fw::DBComboBox(page);
    DBComboBox2->setObjectName(QStringLiteral("DBComboBox2"));
    roomFor(DBComboBox2, toStrings(rk::catalogue::builtinRatings()));
    grid->addWidget(
        withCaption(captionFor(DBComboBox2, QStringLiteral("Personal Rating"), page), DBComboBox2),
        3, 2, 1, 2);

    DBEdit7 = new rk::fw::DBEdit(page);
    DBEdit7->setObjectName(QStringLiteral("DBEdit7"));
    roomFor(DBEdit7, {typicalText(12)});
    lblUser1 = captionFor(DBEdit7, QStringLiteral("Custom-1"), page);
    lblUser1->setObjectName(QStringLiteral("lblUser1"));
    grid->addWidget(withCaption(lblUser1, DBEdit7), 4, 0, 1, 2);

    DBEdit11 = new rk::fw::DBEdit(page);
    DBEdit11->setObjectName(QStringLiteral("DBEdit11"));
    roomFor(DBEdit11, {typicalText(12)});
    DBEdit11->setToolTip(QStringLiteral("Press Enter for Details Tab"));
    lblUser2 = captionFor(DBEdit11, QStringLiteral("Custom-2"), page);
    lblUser2->setObjectName(QStringLiteral("lblUser2"));
    grid->addWidget(withCaption(lblUser2, DBEdit11), 4, 2, 1, 2);

    chkMultiSet = new rk::fw::DBCheckBox(QStringLiteral("Multi-Set"), page);
    chkMultiSet->setObjectName(QStringLiteral("chkMultiSet"));
    chkMultiSet->setAccessibleName(QStringLiteral("Multi-Set"));
    grid->addWidget(chkMultiSet, 5, 0, 1, 2, Qt::AlignBottom);

    DBEditTapes = new rk::fw::DBEdit(page);
    DBEditTapes->setObjectName(QStringLiteral("DBEditTapes"));
    DBEditTapes->setMaximumWidth(charsWide(DBEditTapes, 5));
    roomFor(DBEditTapes, {QStringLiteral("000")});
    UpDown1 = new rk::SpinButton(page);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setFocusPolicy(Qt::NoFocus);
    UpDown1->setToolTip(QStringLiteral("More or fewer tapes"));
    lblTapes = captionFor(DBEditTapes, QStringLiteral("Number of Tapes"), page);
    lblTapes->setObjectName(QStringLiteral("lblTapes"));
    auto* tapes = withCaption(lblTapes, DBEditTapes, UpDown1);
    static_cast<QHBoxLayout*>(tapes->layout()->itemAt(1)->layout())->addStretch(1);
    grid->addWidget(tapes, 5, 2, 1, 2);

    for (int c = 0; c < 4; ++c)
        grid->setColumnStretch(c, 1);
    grid->setRowStretch(6, 1);
    coverPanel_ = new rk::mainwin::CoverPanel(*catalogue_, page);
    grid->addWidget(coverPanel_, 0, 4, 7, 1, Qt::AlignTop);

    chain({DBEdit1, DBEdit3, DBEdit13, DBLookupComboBox1, LockCheck, DBComboBox1, DBEditRunTime,
           butZoom, DBComboBox3, DBComboBox2, DBEdit7, DBEdit11, chkMultiSet, DBEditTapes});
    enterTabControls_ << DBEdit1 << DBEdit3 << DBEdit13 << DBComboBox1 << DBEdit7 << DBEdit11
                      << DBComboBox2 << DBEditRunTime << DBComboBox3;
    enterPageControls_ << DBEditTapes;

    buildZoomPanel(page);
    return page;
}

void TForm1::buildZoomPanel(QWidget* page) {
    pnlZoom = new QFrame(page);
    pnlZoom->setObjectName(QStringLiteral("pnlZoom"));
    pnlZoom->setFrameShape(QFrame::StyledPanel);
    pnlZoom->setFrameShadow(QFrame::Raised);
    pnlZoom->setAutoFillBackground(true);
    auto* v = new QVBoxLayout(pnlZoom);
    v->setContentsMargins(10, 8, 10, 8);
    v->setSpacing(6);
    auto* title = new QLabel(QStringLiteral("Hours : Minutes"), pnlZoom);
    title->setAlignment(Qt::AlignCenter);
    v->addWidget(title);
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    auto spin = [this](const char* editName, const char* buttonName, const QString& hint,
                       rk::SpinEdit** edit, rk::SpinButton** button) {
        *edit = rk::SpinEdit::integer(0, 59, pnlZoom);
        (*edit)->setObjectName(QString::fromLatin1(editName));
        (*edit)->setDigits(2);
        (*edit)->setButtonSymbols(QAbstractSpinBox::NoButtons);
        (*edit)->setAlignment(Qt::AlignRight);
        (*edit)->setToolTip(hint);
        (*edit)->setAccessibleName(hint);
        (*edit)->setFixedWidth(charsWide(*edit, 3));
        *button = new rk::SpinButton(pnlZoom);
        (*button)->setObjectName(QString::fromLatin1(buttonName));
        (*button)->setToolTip(hint);
    };
    spin("RxSpinEdit1", "RxSpinButton1", QStringLiteral("Hours"), &RxSpinEdit1, &RxSpinButton1);
    spin("RxSpinEdit2", "RxSpinButton2", QStringLiteral("Minutes"), &RxSpinEdit2, &RxSpinButton2);
    row->addStretch(1);
    row->addWidget(RxSpinEdit1);
    row->addWidget(RxSpinButton1);
    row->addSpacing(6);
    row->addWidget(new QLabel(QStringLiteral(":"), pnlZoom));
    row->addSpacing(6);
    row->addWidget(RxSpinEdit2);
    row->addWidget(RxSpinButton2);
    row->addStretch(1);
    v->addLayout(row);
    auto* buttons = new QHBoxLayout;
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), pnlZoom);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setToolTip(QStringLiteral("Cancel"));
    BitBtn3 = new QPushButton(QStringLiteral("Go with it!"), pnlZoom);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn3->setToolTip(QStringLiteral("Go with it!"));
    buttons->addWidget(BitBtn2);
    buttons->addWidget(BitBtn3);
    v->addLayout(buttons);
    // Esc closes the panel as Cancel does.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), pnlZoom);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &TForm1::BitBtn2Click);
    pnlZoom->adjustSize();
    pnlZoom->hide();
}

void TForm1::placeZoomPanel() {
    // Just below the run time, its right edge at the "..." button's.
    const QPoint below = butZoom->mapTo(TabSheet4, QPoint(butZoom->width(), butZoom->height() + 4));
    const QSize size = pnlZoom->sizeHint();
    pnlZoom->setGeometry(std::max(4, below.x() - size.width()), below.y(), size.width(),
                         size.height());
    pnlZoom->raise();
}

QWidget* TForm1::buildDetailsPage() {
    TabSheet5 = new QWidget;
    QWidget* page = TabSheet5;
    page->setObjectName(QStringLiteral("TabSheet5"));
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(12, 12 + kBannerGap + rk::DotMatrixBanner::kMatrixHeight + 8, 12, 12);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(8);

    auto edit = [page](const char* name) {
        auto* e = new rk::fw::DBEdit(page);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    DBEdit6 = edit("DBEdit6");
    roomFor(DBEdit6, {typicalText(24)});
    grid->addWidget(withCaption(captionFor(DBEdit6, QStringLiteral("Produced by"), page), DBEdit6),
                    0, 0, 1, 3);
    DBEdit12 = edit("DBEdit12");
    DBEdit12->setMaximumWidth(charsWide(DBEdit12, 6));
    roomFor(DBEdit12, {QStringLiteral("0000")});
    grid->addWidget(
        withCaption(captionFor(DBEdit12, QStringLiteral("Release Year"), page), DBEdit12), 1, 0);
    DBEdit14 = edit("DBEdit14");
    roomFor(DBEdit14, {typicalText(8)});
    grid->addWidget(withCaption(captionFor(DBEdit14, QStringLiteral("ID"), page), DBEdit14), 1, 1);
    DBEdit5 = edit("DBEdit5");
    DBEdit5->setMaximumWidth(charsWide(DBEdit5, 8));
    roomFor(DBEdit5, {QStringLiteral("000.00")});
    grid->addWidget(withCaption(captionFor(DBEdit5, QStringLiteral("Price"), page), DBEdit5), 1, 2);

    RadioGroupContent = new rk::fw::DBRadioGroup(
        QStringLiteral("Content"),
        {QStringLiteral("Movie"), QStringLiteral("Television"), QStringLiteral("Home Video")}, 1,
        page);
    RadioGroupContent->setObjectName(QStringLiteral("RadioGroupContent"));
    RadioGroupSound = new rk::fw::DBRadioGroup(
        QStringLiteral("Audio"),
        {QStringLiteral("Stereo"), QStringLiteral("Mono"), QStringLiteral("Hi-Fi")}, 1, page);
    RadioGroupSound->setObjectName(QStringLiteral("RadioGroupSound"));
    RadioGroupPicture = new rk::fw::DBRadioGroup(
        QStringLiteral("Visual"), {QStringLiteral("Color"), QStringLiteral("B&&W")}, 1, page);
    RadioGroupPicture->setObjectName(QStringLiteral("RadioGroupPicture"));
    for (auto* g : {RadioGroupContent, RadioGroupSound, RadioGroupPicture})
        g->setAccessibleName(g->title());
    grid->addWidget(RadioGroupContent, 2, 0, Qt::AlignTop);
    grid->addWidget(RadioGroupSound, 2, 1, Qt::AlignTop);
    grid->addWidget(RadioGroupPicture, 2, 2, Qt::AlignTop);

    DBEdit8 = edit("DBEdit8");
    roomFor(DBEdit8, {typicalText(12)});
    lblUser3 = captionFor(DBEdit8, QStringLiteral("Custom-3"), page);
    lblUser3->setObjectName(QStringLiteral("lblUser3"));
    DBEdit9 = edit("DBEdit9");
    roomFor(DBEdit9, {typicalText(12)});
    lblUser4 = captionFor(DBEdit9, QStringLiteral("Custom-4"), page);
    lblUser4->setObjectName(QStringLiteral("lblUser4"));
    auto* users = new QHBoxLayout;
    users->setSpacing(14);
    users->addWidget(withCaption(lblUser3, DBEdit8));
    users->addWidget(withCaption(lblUser4, DBEdit9));
    grid->addLayout(users, 3, 0, 1, 3);

    DBMemo1 = new rk::fw::DBMemo(page);
    DBMemo1->setObjectName(QStringLiteral("DBMemo1"));
    DBMemo1->setToolTip(QStringLiteral("Press Enter for Tracks Tab"));
    DBMemo1->setMinimumHeight(60);
    auto* summary = withCaption(captionFor(DBMemo1, QStringLiteral("Summary"), page), DBMemo1);
    grid->addWidget(summary, 4, 0, 1, 3);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 1);

    chain({DBEdit6, DBEdit12, DBEdit14, DBEdit5, RadioGroupContent->button(0),
           RadioGroupContent->button(1), RadioGroupContent->button(2), RadioGroupSound->button(0),
           RadioGroupSound->button(1), RadioGroupSound->button(2), RadioGroupPicture->button(0),
           RadioGroupPicture->button(1), DBEdit8, DBEdit9, DBMemo1});
    enterTabControls_ << DBEdit6 << DBEdit5 << DBEdit14 << DBEdit12 << DBEdit8 << DBEdit9;
    enterPageControls_ << DBMemo1;
    return page;
}

QWidget* TForm1::buildAvPage() {
    TabSheet6 = new QWidget;
    QWidget* page = TabSheet6;
    page->setObjectName(QStringLiteral("TabSheet6"));
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(12, 12 + kBannerGap + rk::DotMatrixBanner::kMatrixHeight + 8, 12, 12);
    v->setSpacing(10);

    GroupBoxFeatures = new QGroupBox(QStringLiteral("Other Supported Features"), page);
    GroupBoxFeatures->setObjectName(QStringLiteral("GroupBoxFeatures"));
    auto* features = new QHBoxLayout(GroupBoxFeatures);
    DBCheckBoxSurround = new rk::fw::DBCheckBox(QStringLiteral("Surround Sound"), GroupBoxFeatures);
    DBCheckBoxSurround->setObjectName(QStringLiteral("DBCheckBoxSurround"));
    DBCheckBoxCaptions =
        new rk::fw::DBCheckBox(QStringLiteral("Close Captioned"), GroupBoxFeatures);
    DBCheckBoxCaptions->setObjectName(QStringLiteral("DBCheckBoxCaptions"));
    features->addWidget(DBCheckBoxSurround);
    features->addWidget(DBCheckBoxCaptions);
    features->addStretch(1);
    v->addWidget(GroupBoxFeatures);

    DBComboBox4 = new rk::fw::DBComboBox(page);
    DBComboBox4->setObjectName(QStringLiteral("DBComboBox4"));
    DBComboBox4->addItems({QStringLiteral("SP - 120 Minutes"), QStringLiteral("LP - 240 Minutes"),
                           QStringLiteral("SLP - 360 Minutes"), QStringLiteral("Not Sure"),
                           QStringLiteral("N/A")});
    roomFor(DBComboBox4, itemsOf(DBComboBox4));
    auto* speed = withCaption(
        captionFor(DBComboBox4, QStringLiteral("Record/Playback Speed"), page), DBComboBox4);
    speed->setMaximumWidth(320);
    v->addWidget(speed);

    chkClip = new rk::fw::DBCheckBox(QStringLiteral("Video or Audio Clip"), page);
    chkClip->setObjectName(QStringLiteral("chkClip"));
    v->addWidget(chkClip);

    avGroup = new QGroupBox(QStringLiteral("Clip"), page);
    avGroup->setObjectName(QStringLiteral("avGroup"));
    auto* clip = new QGridLayout(avGroup);
    clip->setHorizontalSpacing(8);
    DBEditClip = new rk::fw::DBEdit(avGroup);
    DBEditClip->setObjectName(QStringLiteral("DBEditClip"));
    roomFor(DBEditClip, {typicalText(20)});
    BitBtn5 = new QPushButton(QStringLiteral("..."), avGroup);
    BitBtn5->setObjectName(QStringLiteral("BitBtn5"));
    BitBtn5->setFixedWidth(30);
    BitBtn5->setToolTip(QStringLiteral("Browse for a video or audio clip"));
    BitBtn5->setAccessibleName(QStringLiteral("Browse for a video or audio clip"));
    clip->addWidget(withCaption(captionFor(DBEditClip, QStringLiteral("Clip File"), avGroup),
                                DBEditClip, BitBtn5),
                    0, 0, 1, 2);
    RadioGroupClip =
        new rk::fw::DBRadioGroup(QStringLiteral("Clip Type"),
                                 {QStringLiteral("Video"), QStringLiteral("Audio")}, 2, avGroup);
    RadioGroupClip->setObjectName(QStringLiteral("RadioGroupClip"));
    RadioGroupClip->setAccessibleName(QStringLiteral("Clip Type"));
    clip->addWidget(RadioGroupClip, 1, 0);
    butPlay = new QPushButton(QStringLiteral("Play"), avGroup);
    butPlay->setObjectName(QStringLiteral("butPlay"));
    butPlay->setEnabled(false);
    clip->addWidget(butPlay, 1, 1, Qt::AlignBottom | Qt::AlignRight);
    clip->setColumnStretch(0, 1);
    v->addWidget(avGroup);
    v->addStretch(1);

    chain({DBCheckBoxSurround, DBCheckBoxCaptions, DBComboBox4, chkClip, DBEditClip, BitBtn5,
           RadioGroupClip->button(0), RadioGroupClip->button(1), butPlay});
    enterTabControls_ << DBComboBox4;
    enterPageControls_ << DBEditClip;
    return page;
}

QWidget* TForm1::buildStarsPage() {
    TabSheet1 = new QWidget;
    QWidget* page = TabSheet1;
    page->setObjectName(QStringLiteral("TabSheet1"));
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(12, 12 + kBannerGap + rk::DotMatrixBanner::kMatrixHeight + 8, 12, 12);
    v->setSpacing(8);
    rk::fw::DBEdit** stars[] = {&DBEditStar1, &DBEditStar2, &DBEditStar3, &DBEditStar4};
    for (int i = 0; i < 4; ++i) {
        auto* e = new rk::fw::DBEdit(page);
        e->setObjectName(QStringLiteral("DBEditStar%1").arg(i + 1));
        e->setMaximumWidth(charsWide(e, 34));
        roomFor(e, {typicalText(20)});
        *stars[i] = e;
        v->addWidget(withCaption(captionFor(e, QStringLiteral("Star %1").arg(i + 1), page), e));
    }
    v->addStretch(1);
    chain({DBEditStar1, DBEditStar2, DBEditStar3, DBEditStar4});
    enterTabControls_ << DBEditStar1 << DBEditStar2 << DBEditStar3;
    enterPageControls_ << DBEditStar4;
    return page;
}
