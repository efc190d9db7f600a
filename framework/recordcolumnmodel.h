// Several fields of every visible record of a dataset, one column each, as a table model. It
// takes its rows from a RecordListModel (the record numbers in the table's active order), so
// the visible set is found once for both, and reads a record only when a view asks for one of
// its cells: one read gives the texts of every field column of the row, kept for the rows
// recently shown.
#pragma once

#include "recordlistmodel.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace rk::fw {

struct RecordColumn {
    QString caption;
    std::string field; // the field shown; empty when `text` gives the cells
    // A column of data kept beside the table (a title's loan): its text by record number.
    std::function<QString(uint32_t recno)> text;
    int width = 80; // pixels, before the user drags the header
};

class RecordColumnModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // Follows `rows`: resets whenever it does.
    explicit RecordColumnModel(RecordListModel* rows, QObject* parent = nullptr);

    void setColumns(std::vector<RecordColumn> columns);
    const std::vector<RecordColumn>& columns() const { return columns_; }
    RecordListModel* rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    QString textAt(int row, int column) const;

    // Records read from the table so far.
    uint64_t recordsRead() const { return reads_; }

private:
    // The texts of a record's field columns (empty for the columns `text` gives), or null
    // when it cannot be read.
    const std::vector<QString>* textsOf(uint32_t recno) const;

    RecordListModel* rows_;
    std::vector<RecordColumn> columns_;
    mutable std::unordered_map<uint32_t, std::vector<QString>> texts_;
    mutable std::string image_;
    mutable uint64_t reads_ = 0;
};

} // namespace rk::fw
