#include "recordlistmodel.h"

#include "record.h"
#include "text.h"

#include <algorithm>

namespace rk::fw {

namespace {
constexpr size_t kCacheLimit = 4096;
}

RecordListModel::RecordListModel(Dataset* dataset, std::string fieldName, QObject* parent)
    : QAbstractListModel(parent), dataset_(dataset), fieldName_(std::move(fieldName)) {
    connect(dataset_, &Dataset::setChanged, this, &RecordListModel::reload);
    // A post rewrites the text of a row even when the order keeps it in place.
    connect(dataset_, &Dataset::afterPost, this, [this] { cache_.clear(); });
    reload();
}

void RecordListModel::reload() {
    beginResetModel();
    recnos_.clear();
    rows_.clear();
    cache_.clear();
    store::Table* t = dataset_->table();
    if (t && t->isOpen() && !t->visibleRecords(&recnos_).isOk()) recnos_.clear();
    endResetModel();
}

int RecordListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(recnos_.size());
}

uint32_t RecordListModel::recNoAt(int row) const {
    return row >= 0 && size_t(row) < recnos_.size() ? recnos_[size_t(row)] : 0;
}

int RecordListModel::rowOf(uint32_t recno) const {
    if (recno == 0) return -1;
    if (rows_.empty() && !recnos_.empty()) {
        const uint32_t top = *std::max_element(recnos_.begin(), recnos_.end());
        rows_.assign(size_t(top) + 1, -1);
        for (size_t i = 0; i < recnos_.size(); ++i)
            rows_[recnos_[i]] = int32_t(i);
    }
    return recno < rows_.size() ? rows_[recno] : -1;
}

QString RecordListModel::textAt(int row) const {
    const uint32_t recno = recNoAt(row);
    if (recno == 0) return QString();
    if (auto it = cache_.find(recno); it != cache_.end()) return it->second;
    store::Table* t = dataset_->table();
    const int index = dataset_->fieldIndex(fieldName_);
    if (!t || !t->isOpen() || index < 0 || !t->dbf()->readRecord(recno, &image_).isOk())
        return QString();
    QString text = fromCp1252(dbf::trimmedField(image_, *dataset_->field(index)));
    if (cache_.size() >= kCacheLimit) cache_.clear();
    cache_.emplace(recno, text);
    return text;
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() ||
        (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::AccessibleTextRole))
        return QVariant();
    return textAt(index.row());
}

} // namespace rk::fw
