// A chooser of entries between two lists: the available entries ("&Source") on the left and
// the chosen ones ("&Destination") on the right. Entries move with the buttons ">" (the
// selected ones), ">>" (all), "<" and "<<", by double-click and by dragging between the
// lists. Moved entries arrive at the end of the other list, or where they are dropped; no
// list is ever sorted. Up and down move the selected chosen entries within their list.
// Cancel puts both lists back as they were when the dialog was shown.
#pragma once

#include <QDialog>
#include <QListWidget>

class QLabel;
class QPushButton;

namespace rk {

// A list that takes entries dragged from its partner list (and reorders its own).
class DualListBox : public QListWidget {
    Q_OBJECT

public:
    explicit DualListBox(QWidget* parent = nullptr);
    void setPartner(DualListBox* partner) { partner_ = partner; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool accepts(const QObject* source) const;

    DualListBox* partner_ = nullptr;
};

class DualListDialog : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString sourceLabel READ sourceLabel WRITE setSourceLabel)
    Q_PROPERTY(QString destinationLabel READ destinationLabel WRITE setDestinationLabel)

public:
    explicit DualListDialog(QWidget* parent = nullptr);

    QStringList sourceItems() const;
    void setSourceItems(const QStringList& items);
    QStringList destinationItems() const;
    void setDestinationItems(const QStringList& items);

    QString sourceLabel() const;
    void setSourceLabel(const QString& text);
    QString destinationLabel() const;
    void setDestinationLabel(const QString& text);

    // Shows the dialog modally; true when closed with OK.
    bool execute();

    DualListBox* sourceList() const { return source_; }
    DualListBox* destinationList() const { return destination_; }

public slots:
    void moveSelectedRight();
    void moveAllRight();
    void moveSelectedLeft();
    void moveAllLeft();
    void moveUp();
    void moveDown();
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    static void transfer(QListWidget* from, QListWidget* to, bool all);
    void moveWithin(int direction);
    void updateButtons();

    DualListBox* source_;
    DualListBox* destination_;
    QLabel* sourceCaption_;
    QLabel* destinationCaption_;
    QPushButton* right_;
    QPushButton* allRight_;
    QPushButton* left_;
    QPushButton* allLeft_;
    QPushButton* up_;
    QPushButton* down_;
    QStringList savedSource_;
    QStringList savedDestination_;
};

} // namespace rk
