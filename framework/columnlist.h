// The titles as a list with columns: a row per visible record, bound to the dataset as the
// single-column list is (a row chosen makes its record current; a record made current by any
// other means selects its row). Rows have one height, so a view of a million records asks
// only for the rows it shows; a table view keeps nothing per row but that height. A click on a
// column's header is handed on (headerClicked); what orders the rows is the window's to decide.
// A hidden list scrolls to its current row only when it is shown, and one hidden by hide()
// (the single-column list shown in its place) holds no model at all: a table view's row
// header makes an entry for every row at each reset of its model.
#pragma once

#include "recordcolumnmodel.h"

#include <QHeaderView>
#include <QTableView>

namespace rk::fw {

class DBColumnList : public QTableView {
    Q_OBJECT
public:
    explicit DBColumnList(QWidget* parent = nullptr);
    void bind(RecordColumnModel* model);
    RecordColumnModel* columnModel() const { return model_; }
    QHeaderView* header() const { return horizontalHeader(); }
    // The row of the dataset's current record is made the current row.
    void followDataset();
    // Gives each column its width (the model's columns have changed).
    void sizeColumns();
    void setVisible(bool visible) override;

signals:
    void headerClicked(int column);

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    void sizeRows();
    void attach(); // gives the view its model
    void rowChosen(const QModelIndex& index);
    RecordColumnModel* model_ = nullptr;
    bool following_ = false;
    bool scrollPending_ = false; // the current row moved while hidden
};

} // namespace rk::fw
