#include "columnlist.h"

#include <QHeaderView>

namespace rk::fw {

DBColumnList::DBColumnList(QWidget* parent) : QTreeView(parent) {
    setUniformRowHeights(true); // no per-row size queries: a million rows stay instant
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Sizes are given, never measured from the rows: that would read every record.
    header()->setSectionResizeMode(QHeaderView::Interactive);
    header()->setStretchLastSection(false);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setSortIndicatorShown(true);
    header()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header(), &QHeaderView::sectionClicked, this, &DBColumnList::headerClicked);
}

void DBColumnList::bind(RecordColumnModel* model) {
    model_ = model;
    setModel(model);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!following_ && current.isValid()) rowChosen(current);
            });
    connect(model, &QAbstractItemModel::modelReset, this, &DBColumnList::followDataset);
    Dataset* ds = model->rows()->dataset();
    connect(ds, &Dataset::recordMoved, this, &DBColumnList::followDataset);
    connect(ds, &Dataset::afterPost, this, [this] { viewport()->update(); });
    sizeColumns();
    followDataset();
}

void DBColumnList::sizeColumns() {
    if (!model_) return;
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
    if (!model_) return;
    following_ = true;
    const int row = model_->rows()->rowOf(model_->rows()->dataset()->recNo());
    if (row < 0) {
        selectionModel()->clear();
    } else {
        const QModelIndex index = model_->index(row, 0);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
        scrollTo(index);
    }
    following_ = false;
}

} // namespace rk::fw
