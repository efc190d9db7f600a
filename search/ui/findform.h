// TFindForm, the Find dialog: asks for the text of a full-text search and for the field in
// which a candidate must contain it. It searches nothing itself; the main window shows it
// modally and then reads its two controls.
//
// Created once and kept for the whole run, so the last search text and the last field
// choice are offered again. The choice is remembered in the list's "Tag" property.
#pragma once

#include <QDialog>

#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;

class TFindForm : public QDialog {
    Q_OBJECT

public:
    // The longest search text the full-text engine takes.
    static constexpr int kMaxSearchText = 255;

    explicit TFindForm(QWidget* parent = nullptr);

    QLineEdit* EditSearch = nullptr;  // "Search for:"
    QComboBox* ComboBox1 = nullptr;   // "Search in:", the twelve field choices
    QPushButton* butFindit = nullptr; // "Go", the default button
    QPushButton* butCancel = nullptr; // "Cancel", also Esc

    // What the main window reads after the dialog has closed.
    QString searchText() const;
    int fieldChoice() const; // 0 to 11, always one of the list's items

    // Shows the dialog modally (execModal) and returns when it closes.
    int execute();

    // Handlers.
    void FormActivate();
    void ComboBox1Change();
    void butCancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
