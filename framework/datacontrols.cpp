#include "datacontrols.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QRadioButton>
#include <QStylePainter>

#include <algorithm>

namespace rk::fw {

FieldLink::FieldLink(QObject* control, Dataset* dataset, std::string fieldName,
                     std::function<void()> show)
    : QObject(control), dataset_(dataset), fieldName_(std::move(fieldName)),
      show_(std::move(show)) {
    connect(dataset_, &Dataset::dataChanged, this, [this](int field) {
        if (writing_) return;
        if (field < 0 || field == fieldIndex()) show_();
    });
}

int FieldLink::width() const {
    const dbf::FieldDef* f = dataset_->field(fieldIndex());
    return f ? f->length : 0;
}

void FieldLink::writeText(const QString& text) {
    writing_ = true;
    ignore(dataset_->setText(fieldIndex(), text),
           "a value the field cannot take stays in the buffer and fails the post, which says so");
    writing_ = false;
}

void FieldLink::writeLogical(bool value) {
    writing_ = true;
    ignore(dataset_->setLogical(fieldIndex(), value), "fails only without a current record");
    writing_ = false;
}

// --- DBEdit

DBEdit::DBEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (link_) link_->writeText(text);
    });
}

void DBEdit::bind(Dataset* dataset, const std::string& fieldName) {
    link_ = new FieldLink(this, dataset, fieldName, [this] { show(); });
    if (link_->width() > 0) setMaxLength(link_->width());
    show();
}

void DBEdit::show() {
    // The width is known once the table is open.
    if (link_->width() > 0 && maxLength() != link_->width()) setMaxLength(link_->width());
    const QString value = link_->text();
    if (text() != value) setText(value);
}

// --- DBComboBox

DBComboBox::DBComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
        if (link_) link_->writeText(text);
    });
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (link_) link_->writeText(itemText(index));
    });
}

void DBComboBox::bind(Dataset* dataset, const std::string& fieldName) {
    link_ = new FieldLink(this, dataset, fieldName, [this] { show(); });
    show();
}

void DBComboBox::setItems(const QStringList& items) {
    clear();
    addItems(items);
    if (link_) show(); // adding items made the first one current
}

void DBComboBox::show() {
    const QString value = link_->text();
    if (currentText() != value) setEditText(value);
}

// --- DBCheckBox

DBCheckBox::DBCheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {}

void DBCheckBox::nextCheckState() {
    if (link_) link_->writeLogical(!isChecked());
    QCheckBox::nextCheckState();
}

void DBCheckBox::bind(Dataset* dataset, const std::string& fieldName) {
    link_ = new FieldLink(this, dataset, fieldName, [this] { show(); });
    show();
}

void DBCheckBox::show() {
    const bool value = link_->logical();
    if (isChecked() != value) setChecked(value);
}

// --- DBRadioGroup

DBRadioGroup::DBRadioGroup(const QString& caption, const QStringList& items, int columns,
                           QWidget* parent)
    : QGroupBox(caption, parent), items_(items), group_(new QButtonGroup(this)) {
    auto* layout = new QGridLayout(this);
    layout->setSpacing(2);
    columns = std::max(1, columns);
    const int rows = int((items_.size() + columns - 1) / columns);
    for (int i = 0; i < items_.size(); ++i) {
        auto* b = new QRadioButton(items_[i], this);
        group_->addButton(b, i);
        layout->addWidget(b, i % rows, i / rows); // filled column by column
    }
    connect(group_, &QButtonGroup::idClicked, this, [this](int id) {
        if (link_) link_->writeText(items_.value(id));
    });
}

void DBRadioGroup::bind(Dataset* dataset, const std::string& fieldName) {
    link_ = new FieldLink(this, dataset, fieldName, [this] { show(); });
    show();
}

int DBRadioGroup::itemIndex() const {
    return group_->checkedId();
}

QAbstractButton* DBRadioGroup::button(int index) const {
    return group_->button(index);
}

void DBRadioGroup::show() {
    const int index = int(items_.indexOf(link_->text()));
    if (index == group_->checkedId()) return;
    if (index >= 0) {
        group_->button(index)->setChecked(true);
    } else {
        // An exclusive group keeps one button checked; let go of it to show none.
        group_->setExclusive(false);
        for (QAbstractButton* b : group_->buttons())
            b->setChecked(false);
        group_->setExclusive(true);
    }
}

// --- DBMemo

DBMemo::DBMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (link_ && !showing_) {
            QString text = toPlainText();
            text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
            link_->writeText(text);
        }
    });
}

void DBMemo::bind(Dataset* dataset, const std::string& fieldName) {
    link_ = new FieldLink(this, dataset, fieldName, [this] { show(); });
    show();
}

void DBMemo::show() {
    QString value = link_->text();
    value.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (toPlainText() == value) return;
    showing_ = true;
    setPlainText(value);
    showing_ = false;
}

// --- DBLookupList

DBLookupList::DBLookupList(QWidget* parent) : QListView(parent) {
    setUniformItemSizes(true); // no per-row size queries: a million rows stay instant
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void DBLookupList::bind(RecordListModel* model) {
    model_ = model;
    setModel(model);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!following_ && current.isValid()) rowChosen(current);
            });
    connect(model, &QAbstractItemModel::modelReset, this, &DBLookupList::followDataset);
    connect(model->dataset(), &Dataset::recordMoved, this, &DBLookupList::followDataset);
    connect(model->dataset(), &Dataset::afterPost, this, [this] { viewport()->update(); });
    followDataset();
}

void DBLookupList::rowChosen(const QModelIndex& index) {
    const uint32_t recno = model_->recNoAt(index.row());
    Dataset* ds = model_->dataset();
    if (recno == 0 || recno == ds->recNo()) return;
    if (!ds->goTo(recno).isOk()) followDataset();
}

void DBLookupList::followDataset() {
    if (!model_) return;
    following_ = true;
    const int row = model_->rowOf(model_->dataset()->recNo());
    if (row < 0) {
        selectionModel()->clear();
    } else {
        const QModelIndex index = model_->index(row);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        scrollPending_ = !isVisible();
        if (!scrollPending_) scrollTo(index);
    }
    following_ = false;
}

bool DBLookupList::event(QEvent* event) {
    if (event->type() != QEvent::Show) return QListView::event(event);
    showing_ = true;
    const bool done = QListView::event(event);
    showing_ = false;
    return done;
}

void DBLookupList::doItemsLayout() {
    if (showing_) {
        scheduleDelayedItemsLayout();
        return;
    }
    QListView::doItemsLayout();
}

void scrollWhenShown(QAbstractItemView* view, bool* pending) {
    if (!*pending) return;
    QMetaObject::invokeMethod(
        view,
        [view, pending] {
            if (!*pending || !view->isVisible()) return;
            *pending = false;
            if (view->currentIndex().isValid()) view->scrollTo(view->currentIndex());
        },
        Qt::QueuedConnection);
}

void DBLookupList::showEvent(QShowEvent* event) {
    QListView::showEvent(event);
    scrollWhenShown(this, &scrollPending_);
}

// --- DBLookupCombo

DBLookupCombo::DBLookupCombo(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (link_) link_->writeText(itemText(index));
    });
}

void DBLookupCombo::bind(Dataset* dataset, const std::string& fieldName, RecordListModel* source) {
    setModel(source);
    link_ = new FieldLink(this, dataset, fieldName, [this] { show(); });
    connect(source, &QAbstractItemModel::modelReset, this, &DBLookupCombo::show);
    show();
}

void DBLookupCombo::setArrowOnly(bool on) {
    arrowOnly_ = on;
    update();
}

void DBLookupCombo::paintEvent(QPaintEvent* event) {
    if (!arrowOnly_) {
        QComboBox::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText.clear();
    opt.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, opt);
}

void DBLookupCombo::show() {
    if (!link_) return;
    const QString value = link_->text();
    const int index = value.isEmpty() ? -1 : findText(value, Qt::MatchExactly);
    if (currentIndex() != index) setCurrentIndex(index);
}

} // namespace rk::fw
