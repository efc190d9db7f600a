#include "dbpaneledit.h"

#include "datacontrols.h"

#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QStyle>
#include <qdrawutil.h>

#include <algorithm>

namespace rk::fw {

namespace {
constexpr int kLabelLeft = 10;
constexpr int kMinCap = 100;
constexpr int kMinEditFrame = 4;
constexpr int kLineEditTextMargin = 2; // QLineEdit's own margin on each side of the text
} // namespace

// --- The link

TDataLinkDBPanelEdit::TDataLinkDBPanelEdit(TDBPanelEdit* panel) : DataLink(panel), panel_(panel) {}

void TDataLinkDBPanelEdit::activeChanged() {
    panel_->rebuild();
}

void TDataLinkDBPanelEdit::datasetChanged() {
    panel_->rebuild();
}

// --- The items

TDBPanelEditControl::TDBPanelEditControl(TDBPanelEditControls* owner, QLabel* label,
                                         QWidget* control, int naturalWidth)
    : owner_(owner), label_(label), control_(control), naturalWidth_(naturalWidth) {}

TDBPanelEditControl::~TDBPanelEditControl() {
    delete control_;
    delete label_;
}

TDBPanelEditControl* TDBPanelEditControls::add(QLabel* label, QWidget* control, int naturalWidth) {
    items_.push_back(std::make_unique<TDBPanelEditControl>(this, label, control, naturalWidth));
    return items_.back().get();
}

void TDBPanelEditControls::remove(TDBPanelEditControl* item) {
    auto it = std::find_if(items_.begin(), items_.end(),
                           [item](const auto& p) { return p.get() == item; });
    if (it != items_.end()) items_.erase(it);
}

void TDBPanelEditControls::clear() {
    // From the last, so that the list stays in order while it shrinks.
    while (!items_.empty())
        items_.pop_back();
}

// --- The panel

TDBPanelEdit::TDBPanelEdit(QWidget* parent)
    : QFrame(parent), link_(new TDataLinkDBPanelEdit(this)), internal_(new DataSource(this)),
      scrollBox_(new QScrollArea(this)), content_(new QWidget) {
    controlFont_ = font();
    labelFont_ = font();
    scrollBox_->setObjectName(QStringLiteral("ScrollBox"));
    scrollBox_->setFrameShape(QFrame::NoFrame);
    scrollBox_->setWidgetResizable(false);
    scrollBox_->setWidget(content_);
    updateMargins();
}

TDBPanelEdit::~TDBPanelEdit() {
    // The controls go before the datasets they show.
    items_.clear();
}

void TDBPanelEdit::setDataSource(DataSource* source) {
    // With no source the internal source shows no dataset; the link's notice rebuilds.
    if (!source) internal_->setDataset(nullptr);
    link_->setDataSource(source);
}

void TDBPanelEdit::setControlFont(const QFont& font) {
    controlFont_ = font;
    rebuild();
}

void TDBPanelEdit::setLabelFont(const QFont& font) {
    labelFont_ = font;
    rebuild();
}

void TDBPanelEdit::setRefreshed(bool refreshed) {
    if (refreshed) rebuild();
}

void TDBPanelEdit::setBorderWidth(int width) {
    borderWidth_ = std::max(0, width);
    updateMargins();
    place();
}

void TDBPanelEdit::setBevelInner(Bevel bevel) {
    bevelInner_ = bevel;
    updateMargins();
    update();
}

void TDBPanelEdit::setBevelOuter(Bevel bevel) {
    bevelOuter_ = bevel;
    updateMargins();
    update();
}

// Outer bevel at the edge, then the border, then the inner bevel; the scroll box fills what
// is left.
void TDBPanelEdit::updateMargins() {
    const int m = (bevelOuter_ != Bevel::None ? bevelWidth_ : 0) + borderWidth_ +
                  (bevelInner_ != Bevel::None ? bevelWidth_ : 0);
    setContentsMargins(m, m, m, m);
    scrollBox_->setGeometry(contentsRect());
}

void TDBPanelEdit::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter p(this);
    QRect r = rect();
    auto bevel = [&](Bevel b) {
        if (b == Bevel::None) return;
        qDrawShadePanel(&p, r, palette(), b == Bevel::Lowered, bevelWidth_);
    };
    bevel(bevelOuter_);
    if (bevelOuter_ != Bevel::None) r.adjust(bevelWidth_, bevelWidth_, -bevelWidth_, -bevelWidth_);
    r.adjust(borderWidth_, borderWidth_, -borderWidth_, -borderWidth_);
    bevel(bevelInner_);
}

void TDBPanelEdit::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    scrollBox_->setGeometry(contentsRect());
    place(); // the cap follows the panel's width
}

int TDBPanelEdit::editWidth(const QFont& font, int chars, const QWidget* edit) {
    const QFontMetrics fm(font);
    // Qt's advances already include what a synthesized bold or italic adds: no overhang.
    const int overhang = 0;
    const QStyle* style = edit ? edit->style() : nullptr;
    const int frame = style ? 2 * (style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit) +
                                   kLineEditTextMargin)
                            : 0;
    return (fm.horizontalAdvance(QLatin1Char('0')) - overhang) * std::max(0, chars) + overhang +
           std::max(kMinEditFrame, frame);
}

TDBPanelEditControl* TDBPanelEdit::itemOf(const QString& fieldName) const {
    for (int i = 0; i < items_.count(); ++i)
        if (items_.item(i)->label()->text() == fieldName) return items_.item(i);
    return nullptr;
}

void TDBPanelEdit::rebuild() {
    // 1. and 2.
    scrollBox_->hide();
    scrollBox_->setGeometry(contentsRect());
    items_.clear();
    internal_->setDataset(link_->dataset());
    // 3.
    if (!link_->active()) {
        content_->resize(0, 0);
        scrollBox_->show();
        return;
    }
    // 4. One label and one edit per field, in field order.
    Dataset* ds = internal_->dataset();
    for (const dbf::FieldDef& f : ds->fields()) {
        const QString name = QString::fromStdString(f.name);
        auto* label = new QLabel(name, content_);
        label->setFont(labelFont_);
        label->adjustSize();
        label->move(kLabelLeft, 0);
        QWidget* control = nullptr;
        int width = 0;
        if (f.type == 'L') { // a yes/no field is a check box
            auto* box = new DBCheckBox(QString(), content_);
            box->bind(ds, f.name);
            control = box;
            width = box->sizeHint().width();
        } else {
            auto* edit = new DBEdit(content_);
            edit->bind(ds, f.name);
            control = edit;
            width = editWidth(controlFont_, f.length, edit);
        }
        control->setObjectName(name);
        control->setFont(controlFont_);
        control->resize(width, control->sizeHint().height());
        label->setBuddy(control);
        items_.add(label, control, width);
        label->setVisible(true);
        control->setVisible(true);
    }
    // 5. to 7.
    place();
    // 8.
    scrollBox_->show();
}

void TDBPanelEdit::place() {
    if (items_.count() == 0) return;
    const int bw = borderWidth_;
    const int bevel = bevelWidth_;
    int widest = 0;
    for (int i = 0; i < items_.count(); ++i)
        widest = std::max(widest, items_.item(i)->label()->width());
    // No control reaches past the panel's right edge (less a vertical scroll bar).
    const int scrollBar = scrollBox_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int cap =
        std::max(kMinCap, contentsRect().width() - scrollBar - (2 * bw + bevel + widest) - bw);
    const int controlLeft = 2 * bw + bevel + widest;
    int top = bw + bevel;
    int right = 0;
    for (int i = 0; i < items_.count(); ++i) {
        TDBPanelEditControl* item = items_.item(i);
        QLabel* label = item->label();
        QWidget* control = item->control();
        label->move(bw + bevel + widest - label->width(), top);
        control->setGeometry(controlLeft, top, std::min(item->naturalWidth(), cap),
                             control->height());
        right = std::max(right, control->geometry().right() + 1);
        top = control->y() + control->height() + bw + bevel;
    }
    content_->resize(right + bw, top);
}

} // namespace rk::fw
