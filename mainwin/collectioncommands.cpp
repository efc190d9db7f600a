// Connections of the category list, marking, search, import/export and maintenance commands,
// and the mouse handling of the four lists (category pick on release, drags that begin once
// the mouse moves and that nothing accepts).
#include "form1.h"

#include "datacontrols.h"
#include "gradienttoolbutton.h"
#include "litcheckbox.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

namespace {

const char* const kDragFrom = "dragFrom";
const char* const kDragFormat = "application/x-reelkeeper-list-line";

// Takes the engine's progress keys sent to the window (FormKeyDown); keys typed by the user
// come from the window system and pass untouched.
class ProgressKeys : public QObject {
public:
    explicit ProgressKeys(TForm1* form) : QObject(form), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != form_ || event->type() != QEvent::KeyPress || event->spontaneous())
            return false;
        int key = static_cast<QKeyEvent*>(event)->key();
        form_->FormKeyDown(key);
        return key == 0;
    }

private:
    TForm1* form_;
};

// The Edit menu's "Add New Category..." key (Ctrl+A) adds a category only from the category
// list; anywhere else in the window the key goes to the control (a list or field selects
// all), as the window's other keys do.
class CategoryKey : public QObject {
public:
    CategoryKey(QWidget* form, QAction* add, QWidget* categoryList)
        : QObject(form), form_(form), add_(add), list_(categoryList) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != form_ || event->type() != QEvent::ShortcutOverride) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (QKeySequence(key->keyCombination()) != add_->shortcut()) return false;
        QWidget* focus = QApplication::focusWidget();
        if (focus && (focus == list_ || list_->isAncestorOf(focus))) return false;
        key->accept(); // the control takes the key; the menu's shortcut does not run
        return true;
    }

private:
    QWidget* form_;
    QAction* add_;
    QWidget* list_;
};

} // namespace

class TForm1::ListMouse : public QObject {
public:
    explicit ListMouse(TForm1* form) : QObject(form), form_(form) {
        for (rk::fw::DBLookupList* list : {form->DBLookupListBox1, form->DBLookupListBox2,
                                           form->DBLookupListBox3, form->DBLookupListBox4})
            list->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* view = qobject_cast<QWidget*>(watched);
        auto* list = view ? qobject_cast<QAbstractItemView*>(view->parentWidget()) : nullptr;
        if (!list) return false;
        const bool categories = list == form_->DBLookupListBox1;
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* m = static_cast<QMouseEvent*>(event);
            dragged_ = nullptr;
            form_->DBLookupListBox1MouseDown(list, m->button(), m->position().toPoint());
            // The right button does not change the current category.
            return categories && m->button() == Qt::RightButton;
        }
        case QEvent::MouseMove: {
            auto* m = static_cast<QMouseEvent*>(event);
            // Moves that follow a drag with the button still held belong to the drag.
            if (dragged_ == list) return m->buttons() & Qt::LeftButton;
            const QVariant from = list->property(kDragFrom);
            if (!from.isValid() || !(m->buttons() & Qt::LeftButton)) return false;
            if ((m->position().toPoint() - from.toPoint()).manhattanLength() <
                QApplication::startDragDistance())
                return false;
            list->setProperty(kDragFrom, QVariant());
            drag(list, from.toPoint(), m->globalPosition() - m->position() + from.toPoint());
            return true;
        }
        case QEvent::MouseButtonRelease: {
            list->setProperty(kDragFrom, QVariant());
            if (!ending_) dragged_ = nullptr;
            if (!categories || ending_) return false;
            auto* m = static_cast<QMouseEvent*>(event);
            form_->DBLookupListBox1MouseUp(m->button());
            if (m->button() == Qt::RightButton)
                form_->PopupMenu1->popup(m->globalPosition().toPoint());
            return false;
        }
        case QEvent::ContextMenu:
            // The pop-up follows the right button's release (above).
            return categories &&
                   static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Mouse;
        default:
            return false;
        }
    }

private:
    // A drag that no control of the window accepts: the cursor shows that nothing can be
    // dropped, and its end changes nothing. The list never sees the release that ended it,
    // so it is given one where the press was, which selects nothing else and must not count
    // as a category pick.
    void drag(QAbstractItemView* list, const QPoint& pressedAt, const QPointF& pressedGlobal) {
        auto* d = new QDrag(list);
        auto* mime = new QMimeData;
        mime->setData(QString::fromLatin1(kDragFormat), QByteArray());
        d->setMimeData(mime);
        d->exec(Qt::MoveAction);
        d->deleteLater();
        dragged_ = list;
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(pressedAt), pressedGlobal,
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        ending_ = true;
        QCoreApplication::sendEvent(list->viewport(), &release);
        ending_ = false;
    }

    TForm1* form_;
    bool ending_ = false;
    QAbstractItemView* dragged_ = nullptr; // the list whose drag the held button made
};

void TForm1::connectCollectionCommands() {
    auto on = [this](QAction* a, void (TForm1::*handler)()) {
        connect(a, &QAction::triggered, this, handler);
    };
    auto click = [this](QAbstractButton* b, void (TForm1::*handler)()) {
        connect(b, &QAbstractButton::clicked, this, handler);
    };

    // Category list
    listMouse_ = new ListMouse(this);
    connect(DBLookupListBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->popup(DBLookupListBox1->mapToGlobal(pos)); });
    on(AddNewCategory1, &TForm1::AddNewCategory1Click);
    on(AddNewCategory2, &TForm1::AddNewCategory2Click);
    installEventFilter(new CategoryKey(this, AddNewCategory2, DBLookupListBox1));
    // "Modify Categories...": listcommands.cpp.

    // Marking and value
    click(MarkBut, &TForm1::MarkButClick);
    on(MarkUnMarkCurrentEntry1, &TForm1::MarkButClick);
    connect(DBLookupListBox3, &QAbstractItemView::doubleClicked, this, &TForm1::MarkButClick);
    connect(DBCheckBox1, &QCheckBox::toggled, this, &TForm1::DBCheckBox1Click);
    connect(Table1, &rk::fw::Dataset::recordMoved, this, &TForm1::DBCheckBox1Click);
    connect(BitCheck, &QCheckBox::clicked, this, &TForm1::BitCheckClick);
    DBCheckBox1Click();
    on(UnMarkMarkedEntries1, &TForm1::UnMarkMarkedEntries1Click);
    on(CalculateCosts1, &TForm1::CalcClick);

    // Search
    click(FindBut, &TForm1::FindButClick);
    on(Find1, &TForm1::FindButClick);

    // Import and export
    on(ImportExport1, &TForm1::ImportClick);
    on(ImportForeign1, &TForm1::ImportForeign1Click);

    // Maintenance
    on(PackDatabase1, &TForm1::PackDatabase1Click);
    on(ReIndexDatabase1, &TForm1::ReIndexDatabase1Click);
    installEventFilter(new ProgressKeys(this));
}
