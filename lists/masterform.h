// TMasterForm, "Reelkeeper Master Editor": every field of the current title at once, one
// labelled edit per field (MasterEdit1), with a navigator over the titles. It works on the
// main window's titles dataset itself, with its view and order: a move here moves the main
// window, a post here is a post of the table. The main window's editing rules do not run
// here; its handlers of the dataset's events (the new-title flag, a refused post) do.
//
// The panel and the navigator are bound while the window is shown and unbound by "Close"
// (also Esc). The window opens at the size and place it was left at, kept under
// "MasterEditor".
#pragma once

#include <QDialog>

class QPushButton;

namespace rk::fw {
class DataSource;
class Dataset;
class DBNavigator;
class FormStorage;
class TDBPanelEdit;
} // namespace rk::fw

class TMasterForm : public QDialog {
    Q_OBJECT

public:
    explicit TMasterForm(rk::fw::Dataset* titles, QWidget* parent = nullptr);
    ~TMasterForm() override;

    rk::fw::DBNavigator* DBNavigator1 = nullptr;
    rk::fw::TDBPanelEdit* MasterEdit1 = nullptr;
    QPushButton* BitBtn1 = nullptr; // "Close"

    void FormShow();
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    rk::fw::DataSource* DataSource1; // the main window's titles
    rk::fw::FormStorage* storage_ = nullptr;
};
