// One field of every visible record of a dataset, in the table's active order, as a list
// model. Virtual: it holds only the record numbers, and reads a record's text when a view
// asks for its row, so that a million titles load and scroll without delay.
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

    // Reads the record numbers again.
    void reload();

private:
    Dataset* dataset_;
    std::string fieldName_;
    std::vector<uint32_t> recnos_;
    mutable std::vector<int32_t> rows_; // record number -> row, built when first asked
    mutable std::unordered_map<uint32_t, QString> cache_;
    mutable std::string image_;
};

} // namespace rk::fw
