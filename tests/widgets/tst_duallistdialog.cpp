#include "duallistdialog.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using rk::DualListDialog;

class TestDualListDialog : public QObject {
    Q_OBJECT

private:
    static void select(QListWidget* list, std::initializer_list<int> rows) {
        list->clearSelection();
        for (int row : rows)
            list->item(row)->setSelected(true);
    }
    static QPushButton* button(DualListDialog& dialog, const QString& text) {
        for (QPushButton* b : dialog.findChildren<QPushButton*>())
            if (b->text() == text) return b;
        return nullptr;
    }
    static QStringList fields() {
        return {"Multi_set", "Tapes",     "Director", "Producer", "Format",     "ID",
                "Counter",   "Runtime",   "User1",    "User2",    "User3",      "User4",
                "Rated",     "Rating",    "Summary",  "Star1",    "Star2",      "Star3",
                "Star4",     "Year",      "Speed",    "Sound",    "Close_Capt", "Content",
                "Price",     "Multi_set", "Tapes",    "Picture",  "Surround"};
    }

private slots:
    void selectedEntriesArriveAtTheEndInTheirOrder() {
        DualListDialog dialog;
        dialog.setSourceItems({"a", "b", "c", "d", "e"});
        dialog.setDestinationItems({"Title", "Category"});
        select(dialog.sourceList(), {3, 1});
        dialog.moveSelectedRight();
        QCOMPARE(dialog.destinationItems(), QStringList({"Title", "Category", "b", "d"}));
        QCOMPARE(dialog.sourceItems(), QStringList({"a", "c", "e"}));
        // The moved entries stay selected on their new side and can go straight back.
        dialog.moveSelectedLeft();
        QCOMPARE(dialog.sourceItems(), QStringList({"a", "c", "e", "b", "d"}));
        QCOMPARE(dialog.destinationItems(), QStringList({"Title", "Category"}));
    }

    void moveAllBothWays() {
        DualListDialog dialog;
        dialog.setSourceItems(fields());
        dialog.setDestinationItems({"Title", "Category"});
        dialog.moveAllRight();
        QCOMPARE(dialog.sourceItems(), QStringList());
        QCOMPARE(dialog.destinationItems().size(), 31);
        QCOMPARE(dialog.destinationItems().mid(2), fields());
        dialog.moveAllLeft();
        QCOMPARE(dialog.destinationItems(), QStringList());
        QCOMPARE(dialog.sourceItems().mid(0, 2), QStringList({"Title", "Category"}));
        QCOMPARE(dialog.sourceItems().mid(2), fields());
        dialog.moveAllLeft(); // nothing left to move
        QCOMPARE(dialog.sourceItems().size(), 31);
    }

    void duplicateNamesMoveOneAtATime() {
        DualListDialog dialog;
        dialog.setSourceItems(fields());
        select(dialog.sourceList(), {25}); // the second "Multi_set"
        dialog.moveSelectedRight();
        QCOMPARE(dialog.destinationItems(), QStringList({"Multi_set"}));
        QCOMPARE(dialog.sourceItems().count("Multi_set"), 1);
        QCOMPARE(dialog.sourceItems().indexOf("Multi_set"), 0);
        QCOMPARE(dialog.sourceItems().size(), 28);
    }

    void nothingSelectedMovesNothing() {
        DualListDialog dialog;
        dialog.setSourceItems({"a", "b"});
        dialog.sourceList()->clearSelection();
        dialog.moveSelectedRight();
        QCOMPARE(dialog.sourceItems(), QStringList({"a", "b"}));
        QVERIFY(!button(dialog, ">")->isEnabled());
        QVERIFY(button(dialog, ">>")->isEnabled());
        QVERIFY(!button(dialog, "<<")->isEnabled());
        select(dialog.sourceList(), {0});
        QVERIFY(button(dialog, ">")->isEnabled());
        QTest::mouseClick(button(dialog, ">"), Qt::LeftButton);
        QCOMPARE(dialog.destinationItems(), QStringList({"a"}));
        QVERIFY(button(dialog, "<<")->isEnabled());
    }

    void upAndDownMoveTheSelectedBlock() {
        DualListDialog dialog;
        dialog.setDestinationItems({"a", "b", "c", "d", "e"});
        select(dialog.destinationList(), {2, 3});
        dialog.moveUp();
        QCOMPARE(dialog.destinationItems(), QStringList({"a", "c", "d", "b", "e"}));
        dialog.moveUp();
        QCOMPARE(dialog.destinationItems(), QStringList({"c", "d", "a", "b", "e"}));
        dialog.moveUp(); // already at the top
        QCOMPARE(dialog.destinationItems(), QStringList({"c", "d", "a", "b", "e"}));
        dialog.moveDown();
        dialog.moveDown();
        dialog.moveDown();
        QCOMPARE(dialog.destinationItems(), QStringList({"a", "b", "e", "c", "d"}));
        dialog.moveDown(); // already at the bottom
        QCOMPARE(dialog.destinationItems(), QStringList({"a", "b", "e", "c", "d"}));
        // Separate selections move together, keeping their order.
        select(dialog.destinationList(), {0, 2});
        dialog.moveDown();
        QCOMPARE(dialog.destinationItems(), QStringList({"b", "a", "c", "e", "d"}));
    }

    void doubleClickMovesThatEntry() {
        DualListDialog dialog;
        dialog.setSourceItems({"a", "b", "c"});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QListWidget* list = dialog.sourceList();
        QTRY_VERIFY(list->visualItemRect(list->item(1)).isValid());
        select(list, {0});
        // A real double click: press and release, then the double-click press.
        const QPoint b = list->visualItemRect(list->item(1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, b);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, b);
        QCOMPARE(dialog.destinationItems(), QStringList({"b"}));
        QCOMPARE(dialog.sourceItems(), QStringList({"a", "c"}));
        QListWidget* chosen = dialog.destinationList();
        QTRY_VERIFY(chosen->visualItemRect(chosen->item(0)).isValid());
        const QPoint first = chosen->visualItemRect(chosen->item(0)).center();
        QTest::mouseClick(chosen->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(chosen->viewport(), Qt::LeftButton, {}, first);
        QCOMPARE(dialog.sourceItems(), QStringList({"a", "c", "b"}));
    }

    void cancelPutsBothListsBack() {
        DualListDialog dialog;
        dialog.setSourceItems({"a", "b"});
        dialog.setDestinationItems({"Title"});
        dialog.show();
        dialog.moveAllRight();
        dialog.reject();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.sourceItems(), QStringList({"a", "b"}));
        QCOMPARE(dialog.destinationItems(), QStringList({"Title"}));

        dialog.show();
        dialog.moveAllRight();
        dialog.accept();
        QCOMPARE(dialog.destinationItems(), QStringList({"Title", "a", "b"}));
        // The next Cancel goes back to what OK left.
        dialog.show();
        dialog.moveAllLeft();
        dialog.reject();
        QCOMPARE(dialog.destinationItems(), QStringList({"Title", "a", "b"}));
    }

    void captions() {
        DualListDialog dialog;
        QCOMPARE(dialog.sourceLabel(), QStringLiteral("&Source"));
        QCOMPARE(dialog.destinationLabel(), QStringLiteral("&Destination"));
        QVERIFY(button(dialog, ">") && button(dialog, ">>") && button(dialog, "<") &&
                button(dialog, "<<"));
    }
};

QTEST_MAIN(TestDualListDialog)
#include "tst_duallistdialog.moc"
