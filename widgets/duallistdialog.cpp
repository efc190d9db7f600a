#include "duallistdialog.h"

#include <QDialogButtonBox>
#include <QDropEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace rk {

namespace {

QStringList texts(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->item(i)->text());
    return items;
}

QPushButton* smallButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setFixedWidth(40);
    button->setAutoDefault(false);
    return button;
}

} // namespace

DualListBox::DualListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setDragDropOverwriteMode(false);
}

bool DualListBox::accepts(const QObject* source) const {
    return source == this || (partner_ && source == partner_);
}

void DualListBox::dragEnterEvent(QDragEnterEvent* event) {
    if (!accepts(event->source())) {
        event->ignore();
        return;
    }
    QListWidget::dragEnterEvent(event);
}

void DualListBox::dragMoveEvent(QDragMoveEvent* event) {
    if (!accepts(event->source())) {
        event->ignore();
        return;
    }
    QListWidget::dragMoveEvent(event);
}

void DualListBox::dropEvent(QDropEvent* event) {
    if (!accepts(event->source())) {
        event->ignore();
        return;
    }
    if (event->source() == this) {
        QListWidget::dropEvent(event);
        return;
    }
    // Entries from the partner: insert them at the drop point, in their order, and take them
    // out of the partner.
    QListWidgetItem* target = itemAt(event->position().toPoint());
    int row = target ? this->row(target) : count();
    if (target && dropIndicatorPosition() == QAbstractItemView::BelowItem) ++row;
    const QList<QListWidgetItem*> moving = partner_->selectedItems();
    QList<int> rows;
    for (QListWidgetItem* item : moving)
        rows.append(partner_->row(item));
    std::sort(rows.begin(), rows.end());
    clearSelection();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        QListWidgetItem* item = partner_->takeItem(*it);
        insertItem(row, item);
        item->setSelected(true);
    }
    event->setDropAction(Qt::CopyAction); // the partner has already given the entries up
    event->accept();
}

DualListDialog::DualListDialog(QWidget* parent) : QDialog(parent) {
    source_ = new DualListBox(this);
    destination_ = new DualListBox(this);
    source_->setPartner(destination_);
    destination_->setPartner(source_);
    source_->setObjectName(QStringLiteral("List1"));
    destination_->setObjectName(QStringLiteral("List2"));
    sourceCaption_ = new QLabel(QStringLiteral("&Source"), this);
    destinationCaption_ = new QLabel(QStringLiteral("&Destination"), this);
    sourceCaption_->setBuddy(source_);
    destinationCaption_->setBuddy(destination_);

    right_ = smallButton(QStringLiteral(">"), this);
    allRight_ = smallButton(QStringLiteral(">>"), this);
    left_ = smallButton(QStringLiteral("<"), this);
    allLeft_ = smallButton(QStringLiteral("<<"), this);
    up_ = smallButton(QString(QChar(0x25B2)), this);
    down_ = smallButton(QString(QChar(0x25BC)), this);
    up_->setToolTip(QStringLiteral("Move up"));
    down_->setToolTip(QStringLiteral("Move down"));

    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    for (QPushButton* button : {right_, allRight_, left_, allLeft_})
        middle->addWidget(button);
    middle->addStretch(1);
    auto* order = new QVBoxLayout;
    order->addStretch(1);
    order->addWidget(up_);
    order->addWidget(down_);
    order->addStretch(1);

    auto* grid = new QGridLayout;
    grid->addWidget(sourceCaption_, 0, 0);
    grid->addWidget(destinationCaption_, 0, 2);
    grid->addWidget(source_, 1, 0);
    grid->addLayout(middle, 1, 1);
    grid->addWidget(destination_, 1, 2);
    grid->addLayout(order, 1, 3);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DualListDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addWidget(buttons);
    resize(460, 340);

    connect(right_, &QPushButton::clicked, this, &DualListDialog::moveSelectedRight);
    connect(allRight_, &QPushButton::clicked, this, &DualListDialog::moveAllRight);
    connect(left_, &QPushButton::clicked, this, &DualListDialog::moveSelectedLeft);
    connect(allLeft_, &QPushButton::clicked, this, &DualListDialog::moveAllLeft);
    connect(up_, &QPushButton::clicked, this, &DualListDialog::moveUp);
    connect(down_, &QPushButton::clicked, this, &DualListDialog::moveDown);
    connect(source_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        source_->clearSelection();
        item->setSelected(true);
        moveSelectedRight();
    });
    connect(destination_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        destination_->clearSelection();
        item->setSelected(true);
        moveSelectedLeft();
    });
    for (QListWidget* list :
         {static_cast<QListWidget*>(source_), static_cast<QListWidget*>(destination_)}) {
        connect(list, &QListWidget::itemSelectionChanged, this, &DualListDialog::updateButtons);
        connect(list->model(), &QAbstractItemModel::rowsInserted, this,
                &DualListDialog::updateButtons);
        connect(list->model(), &QAbstractItemModel::rowsRemoved, this,
                &DualListDialog::updateButtons);
    }
    updateButtons();
}

QStringList DualListDialog::sourceItems() const {
    return texts(source_);
}

void DualListDialog::setSourceItems(const QStringList& items) {
    source_->clear();
    source_->addItems(items);
}

QStringList DualListDialog::destinationItems() const {
    return texts(destination_);
}

void DualListDialog::setDestinationItems(const QStringList& items) {
    destination_->clear();
    destination_->addItems(items);
}

QString DualListDialog::sourceLabel() const {
    return sourceCaption_->text();
}

void DualListDialog::setSourceLabel(const QString& text) {
    sourceCaption_->setText(text);
}

QString DualListDialog::destinationLabel() const {
    return destinationCaption_->text();
}

void DualListDialog::setDestinationLabel(const QString& text) {
    destinationCaption_->setText(text);
}

bool DualListDialog::execute() {
    return exec() == QDialog::Accepted;
}

void DualListDialog::showEvent(QShowEvent* event) {
    savedSource_ = sourceItems();
    savedDestination_ = destinationItems();
    QDialog::showEvent(event);
}

void DualListDialog::reject() {
    setSourceItems(savedSource_);
    setDestinationItems(savedDestination_);
    QDialog::reject();
}

void DualListDialog::transfer(QListWidget* from, QListWidget* to, bool all) {
    QList<int> rows;
    for (int i = 0; i < from->count(); ++i)
        if (all || from->item(i)->isSelected()) rows.append(i);
    if (rows.isEmpty()) return;
    to->clearSelection();
    for (int i = 0; i < rows.size(); ++i) {
        // Earlier rows are gone already: row r is now at r - i.
        QListWidgetItem* item = from->takeItem(rows.at(i) - i);
        to->addItem(item);
        item->setSelected(true);
    }
    // The entry that took the place of the first moved one becomes current in the list left.
    if (from->count() > 0) {
        const int next = std::min(rows.first(), from->count() - 1);
        from->setCurrentRow(next, QItemSelectionModel::ClearAndSelect);
    }
    to->setCurrentItem(to->item(to->count() - 1), QItemSelectionModel::NoUpdate);
}

void DualListDialog::moveSelectedRight() {
    transfer(source_, destination_, false);
}

void DualListDialog::moveAllRight() {
    transfer(source_, destination_, true);
}

void DualListDialog::moveSelectedLeft() {
    transfer(destination_, source_, false);
}

void DualListDialog::moveAllLeft() {
    transfer(destination_, source_, true);
}

void DualListDialog::moveUp() {
    moveWithin(-1);
}

void DualListDialog::moveDown() {
    moveWithin(+1);
}

void DualListDialog::moveWithin(int direction) {
    QList<int> rows;
    for (int i = 0; i < destination_->count(); ++i)
        if (destination_->item(i)->isSelected()) rows.append(i);
    if (rows.isEmpty()) return;
    // A block that already touches the end it moves toward stays where it is.
    if ((direction < 0 && rows.first() == 0) ||
        (direction > 0 && rows.last() == destination_->count() - 1))
        return;
    if (direction > 0) std::reverse(rows.begin(), rows.end());
    for (int row : rows) {
        QListWidgetItem* item = destination_->takeItem(row);
        destination_->insertItem(row + direction, item);
        item->setSelected(true);
    }
}

void DualListDialog::updateButtons() {
    right_->setEnabled(!source_->selectedItems().isEmpty());
    allRight_->setEnabled(source_->count() > 0);
    left_->setEnabled(!destination_->selectedItems().isEmpty());
    allLeft_->setEnabled(destination_->count() > 0);
    up_->setEnabled(!destination_->selectedItems().isEmpty());
    down_->setEnabled(!destination_->selectedItems().isEmpty());
}

} // namespace rk
