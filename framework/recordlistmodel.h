// One field of every visible record of a dataset, in the table's active order, as a list
// model. Virtual: it knows the number of rows from the table's count and holds the record
// numbers of the rows asked for so far (the first rows, read from the start of the order, and
// the last, from its end: from the nearer end, twice as far each time more are asked), and
// reads a record's text when a view asks for its row, so that a million titles show without a
// walk of the whole order. An order that may not list every record (a FOR tag) is read whole.
#pragma once

#include "dataset.h"

#include <QAbstractListModel>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace rk::fw {

class RecordListModel : public QAbstractListModel {
    Q_OBJECT

public:
    // Follows the dataset: reloads whenever its visible set or order changes.
    RecordListModel(Dataset* dataset, std::string fieldName, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    Dataset* dataset() const { return dataset_; }
    uint32_t recNoAt(int row) const;
    int rowOf(uint32_t recno) const; // -1 when the record is not in the list
    QString textAt(int row) const;

    // Counts the rows again and forgets the record numbers.
    void reload();

private:
    store::Table* table() const;
    bool readHead(size_t rows) const; // the first rows; false when nothing more came
    void readTail(size_t rows) const; // the last rows
    void noteRows(size_t from, size_t to, bool tail) const;

    Dataset* dataset_;
    std::string fieldName_;
    uint32_t count_ = 0;
    mutable std::vector<uint32_t> head_; // rows 0, 1, ...
    mutable std::vector<uint32_t> tail_; // rows count_ - 1, count_ - 2, ...
    mutable bool whole_ = false;         // head_ holds every row
    mutable std::vector<int32_t> rows_;  // record number -> row, for those read; built when asked
    mutable std::unordered_map<uint32_t, QString> cache_;
    mutable std::string image_;
};

} // namespace rk::fw
