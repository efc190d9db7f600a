#include "recordlistmodel.h"

#include "record.h"
#include "text.h"

#include <algorithm>

namespace rk::fw {

namespace {
constexpr size_t kCacheLimit = 4096;
constexpr size_t kFirstRows = 256; // a few screens
} // namespace

RecordListModel::RecordListModel(Dataset* dataset, std::string fieldName, QObject* parent)
    : QAbstractListModel(parent), dataset_(dataset), fieldName_(std::move(fieldName)) {
    connect(dataset_, &Dataset::setChanged, this, &RecordListModel::reload);
    // A post rewrites the text of a row even when the order keeps it in place.
    connect(dataset_, &Dataset::afterPost, this, [this] { cache_.clear(); });
    reload();
}

store::Table* RecordListModel::table() const {
    store::Table* t = dataset_->table();
    return t && t->isOpen() ? t : nullptr;
}

void RecordListModel::reload() {
    beginResetModel();
    count_ = 0;
    head_.clear();
    tail_.clear();
    whole_ = false;
    rows_.clear();
    cache_.clear();
    if (store::Table* t = table()) {
        if (t->orderListsAll()) {
            count_ = t->count();
            readHead(kFirstRows);
        } else {
            if (!t->visibleRecords(&head_).isOk()) head_.clear();
            count_ = uint32_t(head_.size());
            whole_ = true;
        }
    }
    endResetModel();
}

bool RecordListModel::readHead(size_t rows) const {
    store::Table* t = table();
    const size_t had = head_.size();
    rows = std::min<size_t>(rows, count_);
    if (!t || whole_ || rows <= had) return false;
    std::vector<uint32_t> got;
    if (!t->visibleRecords(&got, uint32_t(rows), false).isOk() || got.size() <= had) {
        whole_ = true; // nothing more can be had: the rows beyond stay blank
        return false;
    }
    head_ = std::move(got);
    whole_ = head_.size() >= count_;
    noteRows(had, head_.size(), false);
    return true;
}

void RecordListModel::readTail(size_t rows) const {
    store::Table* t = table();
    const size_t had = tail_.size();
    rows = std::min<size_t>(rows, count_);
    if (!t || whole_ || rows <= had) return;
    std::vector<uint32_t> got;
    if (!t->visibleRecords(&got, uint32_t(rows), true).isOk()) return;
    tail_ = std::move(got);
    noteRows(had, tail_.size(), true);
}

// Enters rows [from, to) of the head (or the tail) into rows_, once that is built.
void RecordListModel::noteRows(size_t from, size_t to, bool tail) const {
    if (rows_.empty()) return;
    const std::vector<uint32_t>& v = tail ? tail_ : head_;
    for (size_t i = from; i < to && i < v.size(); ++i) {
        const uint32_t recno = v[i];
        if (recno >= rows_.size()) rows_.resize(size_t(recno) + 1, -1);
        rows_[recno] = int32_t(tail ? count_ - 1 - i : i);
    }
}

int RecordListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(count_);
}

uint32_t RecordListModel::recNoAt(int row) const {
    if (row < 0 || uint32_t(row) >= count_) return 0;
    const size_t r = size_t(row);
    const size_t fromEnd = count_ - 1 - r;
    if (r < head_.size()) return head_[r];
    if (fromEnd < tail_.size()) return tail_[fromEnd];
    // From whichever end is nearer, a few screens beyond the row or twice as far as before.
    if (fromEnd < r - head_.size()) {
        readTail(std::max(fromEnd + kFirstRows, tail_.size() * 2));
        if (fromEnd < tail_.size()) return tail_[fromEnd];
    }
    readHead(std::max(r + kFirstRows, head_.size() * 2));
    return r < head_.size() ? head_[r] : 0;
}

int RecordListModel::rowOf(uint32_t recno) const {
    if (recno == 0 || count_ == 0) return -1;
    if (rows_.empty()) {
        rows_.assign(size_t(std::max(recno, table() ? table()->recCount() : 0)) + 1, -1);
        noteRows(0, head_.size(), false);
        noteRows(0, tail_.size(), true);
    }
    auto known = [&] { return recno < rows_.size() ? rows_[recno] : -1; };
    if (known() >= 0 || whole_) return known();
    // The last rows (a move to the last record), then further from the top, twice as far
    // each time, until the record is found or every row is known.
    if (tail_.empty()) {
        readTail(kFirstRows);
        if (known() >= 0) return known();
    }
    while (known() < 0 && readHead(std::max(kFirstRows, head_.size() * 2))) {
    }
    return known();
}

QString RecordListModel::textAt(int row) const {
    const uint32_t recno = recNoAt(row);
    if (recno == 0) return QString();
    if (auto it = cache_.find(recno); it != cache_.end()) return it->second;
    store::Table* t = table();
    const int index = dataset_->fieldIndex(fieldName_);
    if (!t || index < 0 || !t->dbf()->readRecord(recno, &image_).isOk()) return QString();
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
