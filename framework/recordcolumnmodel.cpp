#include "recordcolumnmodel.h"

#include "record.h"
#include "text.h"

namespace rk::fw {

namespace {
constexpr size_t kCacheLimit = 2048; // records: a few screens of rows
}

RecordColumnModel::RecordColumnModel(RecordListModel* rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows) {
    connect(rows_, &QAbstractItemModel::modelAboutToBeReset, this,
            &RecordColumnModel::beginResetModel);
    connect(rows_, &QAbstractItemModel::modelReset, this, [this] {
        texts_.clear();
        endResetModel();
    });
    // A post rewrites a row even when the order keeps it in place.
    connect(rows_->dataset(), &Dataset::afterPost, this, [this] {
        texts_.clear();
        if (rowCount() > 0 && columnCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    });
}

void RecordColumnModel::setColumns(std::vector<RecordColumn> columns) {
    beginResetModel();
    texts_.clear();
    columns_ = std::move(columns);
    endResetModel();
}

int RecordColumnModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_->rowCount();
}

int RecordColumnModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

const std::vector<QString>* RecordColumnModel::textsOf(uint32_t recno) const {
    if (auto it = texts_.find(recno); it != texts_.end()) return &it->second;
    store::Table* t = rows_->dataset()->table();
    if (!t || !t->isOpen() || !t->dbf()->readRecord(recno, &image_).isOk()) return nullptr;
    ++reads_;
    std::vector<QString> texts(columns_.size());
    const Dataset* ds = rows_->dataset();
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i].text) continue;
        // Found by name: the columns are chosen before the table is opened.
        const int field = ds->fieldIndex(columns_[i].field);
        // Numbers are stored right-aligned: their leading blanks go too.
        if (field >= 0)
            texts[i] = fromCp1252(dbf::trimmedField(image_, *ds->field(field))).trimmed();
    }
    if (texts_.size() >= kCacheLimit) texts_.clear();
    return &texts_.emplace(recno, std::move(texts)).first->second;
}

QString RecordColumnModel::textAt(int row, int column) const {
    if (column < 0 || size_t(column) >= columns_.size()) return QString();
    const uint32_t recno = rows_->recNoAt(row);
    if (recno == 0) return QString();
    const RecordColumn& c = columns_[size_t(column)];
    if (c.text) return c.text(recno);
    const std::vector<QString>* texts = textsOf(recno);
    return texts ? (*texts)[size_t(column)] : QString();
}

QVariant RecordColumnModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return QVariant();
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return textAt(index.row(), index.column());
    return QVariant();
}

QVariant RecordColumnModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        size_t(section) >= columns_.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    return columns_[size_t(section)].caption;
}

} // namespace rk::fw
