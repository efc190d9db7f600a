#include "columnlist.h"

#include "datacontrols.h"

#include <QApplication>
#include <QHash>
#include <QHeaderView>
#include <QPainter>
#include <QStaticText>
#include <QStyle>
#include <QStyledItemDelegate>

#include <vector>

namespace rk::fw {

namespace {

// Draws a cell's text on one line, as the list's own delegate would, without its text layout
// per cell: a text is laid out (and elided to the column's width) once, then drawn from that
// layout each time it is shown. Most columns hold few distinct values (years, formats,
// categories), so nearly every cell of a scroll is drawn from a text already laid out.
class CellTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QPalette::ColorGroup group =
            !(option.state & QStyle::State_Enabled)  ? QPalette::Disabled
            : !(option.state & QStyle::State_Active) ? QPalette::Inactive
                                                     : QPalette::Normal;
        const bool selected = option.state & QStyle::State_Selected;
        if (selected)
            painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
        if (option.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(option);
            focus.backgroundColor =
                option.palette.color(group, selected ? QPalette::Highlight : QPalette::Window);
            const QWidget* view = option.widget;
            (view ? view->style() : QApplication::style())
                ->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, view);
        }
        const QString text = index.data(Qt::DisplayRole).toString();
        if (text.isEmpty()) return;
        const QRect box = option.rect.adjusted(kMargin, 0, -kMargin, 0);
        if (box.width() <= 0) return;
        const QStaticText& laid = laidOut(size_t(index.column()), text, box.width(), option);
        painter->save();
        painter->setFont(option.font);
        painter->setPen(
            option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        const qreal y = box.top() + (box.height() - option.fontMetrics.height()) / 2.0;
        const qreal x = option.direction == Qt::RightToLeft ? box.right() + 1 - laid.size().width()
                                                            : box.left();
        painter->drawStaticText(QPointF(x, y), laid);
        painter->restore();
    }

private:
    static constexpr int kMargin = 3;
    static constexpr int kLimit = 4096; // texts kept per column

    struct Column {
        int width = -1;
        QFont font;
        QHash<QString, QStaticText> texts;
    };

    const QStaticText& laidOut(size_t column, const QString& text, int width,
                               const QStyleOptionViewItem& option) const {
        if (columns_.size() <= column) columns_.resize(column + 1);
        Column& c = columns_[column];
        if (c.width != width || c.font != option.font) {
            c.texts.clear();
            c.width = width;
            c.font = option.font;
        }
        if (auto it = c.texts.constFind(text); it != c.texts.cend()) return *it;
        if (c.texts.size() >= kLimit) c.texts.clear();
        QStaticText laid(option.fontMetrics.horizontalAdvance(text) > width
                             ? option.fontMetrics.elidedText(text, Qt::ElideRight, width)
                             : text);
        laid.setTextFormat(Qt::PlainText);
        laid.prepare(QTransform(), option.font);
        return *c.texts.insert(text, laid);
    }

    mutable std::vector<Column> columns_;
};

} // namespace

DBColumnList::DBColumnList(QWidget* parent) : QTableView(parent) {
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    // One height for every row, never measured from the rows.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    sizeRows();
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Sizes are given, never measured from the rows: that would read every record.
    header()->setSectionResizeMode(QHeaderView::Interactive);
    header()->setStretchLastSection(false);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setSortIndicatorShown(true);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header()->setHighlightSections(false);
    header()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header(), &QHeaderView::sectionClicked, this, &DBColumnList::headerClicked);
    setItemDelegate(new CellTextDelegate(this));
}

void DBColumnList::bind(RecordColumnModel* model) {
    model_ = model;
    connect(model, &QAbstractItemModel::modelReset, this, &DBColumnList::followDataset);
    Dataset* ds = model->rows()->dataset();
    connect(ds, &Dataset::recordMoved, this, &DBColumnList::followDataset);
    connect(ds, &Dataset::afterPost, this, [this] { viewport()->update(); });
    attach();
}

void DBColumnList::attach() {
    if (!model_ || model() == model_) return;
    setModel(model_);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!following_ && current.isValid()) rowChosen(current);
            });
    sizeColumns();
    followDataset();
}

void DBColumnList::setVisible(bool visible) {
    if (visible) attach();
    QTableView::setVisible(visible);
    if (!visible && isHidden() && model()) setModel(nullptr);
}

void DBColumnList::sizeRows() {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay;
    option.text = QStringLiteral("Xg");
    const QSize size = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(size.height());
}

void DBColumnList::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) sizeRows();
}

// Home and End go to the first and the last title, as in the single-column list (a table's
// own go to the first and the last column of the row).
QModelIndex DBColumnList::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if ((action == MoveHome || action == MoveEnd) && model_ && model_->rowCount() > 0)
        return model_->index(action == MoveHome ? 0 : model_->rowCount() - 1,
                             qMax(0, currentIndex().column()));
    return QTableView::moveCursor(action, modifiers);
}

void DBColumnList::sizeColumns() {
    if (!model_ || model() != model_) return;
    for (size_t i = 0; i < model_->columns().size(); ++i)
        header()->resizeSection(int(i), model_->columns()[i].width);
}

void DBColumnList::rowChosen(const QModelIndex& index) {
    const uint32_t recno = model_->rows()->recNoAt(index.row());
    Dataset* ds = model_->rows()->dataset();
    if (recno == 0 || recno == ds->recNo()) return;
    if (!ds->goTo(recno).isOk()) followDataset();
}

void DBColumnList::followDataset() {
    if (!model_ || model() != model_) return;
    following_ = true;
    const int row = model_->rows()->rowOf(model_->rows()->dataset()->recNo());
    if (row < 0) {
        selectionModel()->clear();
    } else {
        const QModelIndex index = model_->index(row, 0);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
        scrollPending_ = !isVisible();
        if (!scrollPending_) scrollTo(index);
    }
    following_ = false;
}

void DBColumnList::showEvent(QShowEvent* event) {
    QTableView::showEvent(event);
    scrollWhenShown(this, &scrollPending_);
}

} // namespace rk::fw
