// Data-aware controls: each shows one field of a dataset's current record and writes what
// the user changes back into the dataset's edit buffer (which starts an edit). A change
// made by the program itself (showing another record) never edits the record.
#pragma once

#include "dataset.h"
#include "recordlistmodel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>

#include <functional>
#include <string>

namespace rk::fw {

// A list shown while its current row moved unseen (*pending) scrolls to it once what shows
// the list has run: a view page is shown before its set is applied, and the rows of the set
// it leaves need no layout.
void scrollWhenShown(QAbstractItemView* view, bool* pending);

// The tie between one control and one field.
class FieldLink : public QObject {
    Q_OBJECT

public:
    // `show` puts the field's value into the control; it runs whenever the dataset shows
    // another record or the field changes, except while the control itself is writing.
    FieldLink(QObject* control, Dataset* dataset, std::string fieldName,
              std::function<void()> show);

    Dataset* dataset() const { return dataset_; }
    const std::string& fieldName() const { return fieldName_; }
    int fieldIndex() const { return dataset_->fieldIndex(fieldName_); }
    // Width in characters (0 when the field is missing).
    int width() const;
    QString text() const { return dataset_->text(fieldIndex()); }
    bool logical() const { return dataset_->logical(fieldIndex()); }
    void writeText(const QString& text);
    void writeLogical(bool value);
    bool writing() const { return writing_; }

private:
    Dataset* dataset_;
    std::string fieldName_;
    std::function<void()> show_;
    bool writing_ = false;
};

// A one-line edit that accepts at most the field's width in characters.
class DBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DBEdit(QWidget* parent = nullptr);
    void bind(Dataset* dataset, const std::string& fieldName);
    FieldLink* link() const { return link_; }

private:
    void show();
    FieldLink* link_ = nullptr;
};

// An editable combo: the list offers choices, any typed text is kept. No length limit of
// its own; the table layer cuts the text to the field's width.
class DBComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DBComboBox(QWidget* parent = nullptr);
    void bind(Dataset* dataset, const std::string& fieldName);
    // Replaces the choices; the field's value stays shown.
    void setItems(const QStringList& items);
    FieldLink* link() const { return link_; }

private:
    void show();
    FieldLink* link_ = nullptr;
};

// A check box on a logical field: ticked is true. A click writes the field before the box
// reports its new state, so that handlers of the state change find the record in edit.
class DBCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit DBCheckBox(const QString& caption = QString(), QWidget* parent = nullptr);
    void bind(Dataset* dataset, const std::string& fieldName);
    FieldLink* link() const { return link_; }

protected:
    void nextCheckState() override;

private:
    void show();
    FieldLink* link_ = nullptr;
};

// A group of radio buttons that stores the item text of the chosen button in its field and
// shows the button whose item text equals the field's text (none when no item does).
// Item texts use '&' as the buttons do: "B&&W" shows as B&W and is stored as "B&&W".
class DBRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    DBRadioGroup(const QString& caption, const QStringList& items, int columns = 1,
                 QWidget* parent = nullptr);
    void bind(Dataset* dataset, const std::string& fieldName);
    FieldLink* link() const { return link_; }
    const QStringList& items() const { return items_; }
    int itemIndex() const; // -1 when no button is chosen
    QAbstractButton* button(int index) const;

private:
    void show();
    QStringList items_;
    QButtonGroup* group_;
    FieldLink* link_ = nullptr;
};

// A multi-line editor of a character field.
class DBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit DBMemo(QWidget* parent = nullptr);
    void bind(Dataset* dataset, const std::string& fieldName);
    FieldLink* link() const { return link_; }

private:
    void show();
    FieldLink* link_ = nullptr;
    bool showing_ = false;
};

// A list of one field of every visible record (a RecordListModel). Choosing a line makes
// its record the dataset's current record; moving the current record otherwise moves the
// selection. A list view lays out every row before it can scroll to one, so a hidden list
// (another view page, the list with columns shown instead) scrolls only when it is shown.
class DBLookupList : public QListView {
    Q_OBJECT
public:
    explicit DBLookupList(QWidget* parent = nullptr);
    void bind(RecordListModel* model);
    RecordListModel* recordModel() const { return model_; }
    // The row of the dataset's current record is made the current row.
    void followDataset();
    // Lays the rows out, except while the list is being shown: then after what shows it has
    // run (a view page is shown before its set is applied).
    void doItemsLayout() override;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void rowChosen(const QModelIndex& index);
    RecordListModel* model_ = nullptr;
    bool following_ = false;
    bool scrollPending_ = false; // the current row moved while hidden
    bool showing_ = false;       // in the show event
};

// A drop-down of the values of one field of another dataset (a list source), writing the
// chosen text into a field of the bound dataset.
class DBLookupCombo : public QComboBox {
    Q_OBJECT
public:
    explicit DBLookupCombo(QWidget* parent = nullptr);
    void bind(Dataset* dataset, const std::string& fieldName, RecordListModel* source);
    FieldLink* link() const { return link_; }
    // Shows only the drop-down arrow, for a combo that sits beside an edit of the same field.
    void setArrowOnly(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void show();
    FieldLink* link_ = nullptr;
    bool arrowOnly_ = false;
};

} // namespace rk::fw
