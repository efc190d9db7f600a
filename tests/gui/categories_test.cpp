// The category list: a pick on the release of any mouse button, its count, keyboard moves
// that apply nothing, new categories, names with quotes, drags that change nothing and the
// double-click that marks.
#include "collectionhelpers.h"

#include "litcheckbox.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

using collection::clickRow;
using collection::listed;
using collection::recordsWhere;
using collection::rowOfText;
using rk::fw::Button;

namespace {

// Picks a category with the left button and returns its row.
int pick(TForm1* f, const QString& category, int from = 0) {
    const int row = rowOfText(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1"), category, from);
    if (row < 0) return row;
    clickRow(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1"), row);
    return row;
}

QString entries(uint32_t n) {
    return QStringLiteral("Category Entries: %1").arg(n);
}

// The drags a list has begun and not yet disposed of (each is a QDrag made as its child).
qsizetype drags(QObject* list) {
    return list->findChildren<QDrag*>().size();
}

// A mouse move over a list with the left button held.
void moveHeld(QAbstractItemView* list, const QPoint& to) {
    QMouseEvent move(QEvent::MouseMove, to, list->viewport()->mapToGlobal(to), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &move);
}

} // namespace

class CategoriesTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    }

    void aPickShowsTheCategorysTitlesAndTheirCount() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        for (const QString& category :
             {QString("Science Fiction"), QString("Drama"), QString("Family")}) {
            const auto expected = recordsWhere(f->titles(), "CATEGORY", category);
            QVERIFY(!expected.empty());
            QVERIFY(pick(f, category) >= 0);
            QCOMPARE(f->categoriesData()->text("CATEGORY"), category);
            QCOMPARE(f->statusPanelText(0), entries(uint32_t(expected.size())));
            auto shown = listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3"));
            std::sort(shown.begin(), shown.end());
            QCOMPARE(shown, expected);
        }
        QCOMPARE(app.prompt.asked.size(), 0);
    }

    void aCategoryWithoutTitlesCountsZero() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        app.prompt.answer(QStringLiteral("Laser Disc Oddities"));
        ctl<QAction>(f, "AddNewCategory2")->trigger();
        QVERIFY(pick(f, "Laser Disc Oddities") >= 0);
        QCOMPARE(f->statusPanelText(0), entries(0));
        QCOMPARE(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3")->model()->rowCount(), 0);
        QVERIFY(f->titlesData()->isEmpty());
    }

    void pickingTheSameCategoryAgainRefreshesTheCount() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        const uint32_t dramas = uint32_t(recordsWhere(f->titles(), "CATEGORY", "Drama").size());
        pick(f, "Drama");
        QCOMPARE(f->statusPanelText(0), entries(dramas));
        QVERIFY(collection::addTitle(f, "Brief Encounter", "Drama") > 0);
        QCOMPARE(f->statusPanelText(0), entries(dramas + 1)); // the count follows the list
        pick(f, "Drama");
        QCOMPARE(f->statusPanelText(0), entries(dramas + 1));
        QVERIFY(rowOfText(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3"), "Brief Encounter") >=
                0);
    }

    void keyboardMovesApplyNoQueryAndTheRightButtonPicksWithoutMoving() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        const int drama = pick(f, "Drama");
        const auto dramas = listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3"));
        const QString count = f->statusPanelText(0);

        // Down moves the current category but applies nothing.
        ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1")->setFocus();
        QTest::keyClick(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1"), Qt::Key_Down);
        const QString next =
            ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1")->recordModel()->textAt(drama + 1);
        QCOMPARE(f->categoriesData()->text("CATEGORY"), next);
        QCOMPARE(f->statusPanelText(0), count);
        QCOMPARE(listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3")), dramas);

        // A right button released over another line applies the current category, which
        // the right button has not changed, and opens the list's menu.
        const int other = rowOfText(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1"), "Western");
        QVERIFY(other >= 0 && other != drama + 1);
        clickRow(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1"), other, Qt::RightButton);
        QCOMPARE(f->categoriesData()->text("CATEGORY"), next);
        QCOMPARE(f->statusPanelText(0),
                 entries(uint32_t(recordsWhere(f->titles(), "CATEGORY", next).size())));
        QCOMPARE(QApplication::activePopupWidget(), ctl<QMenu>(f, "PopupMenu1"));
        ctl<QMenu>(f, "PopupMenu1")->close();
    }

    void newCategoriesTakeTheirSortedPlaceAndADuplicateIsRefused() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        pick(f, "Comedy");
        const auto comedies = listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3"));
        const int before = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1")->model()->rowCount();

        app.prompt.answer(QStringLiteral("Drama"))
            .answer(Button::Ok)
            .answer(QStringLiteral("Cartoons"));
        ctl<QAction>(f, "AddNewCategory1")->trigger(); // from the list's menu
        ctl<QAction>(f, "AddNewCategory2")->trigger(); // from the Edit menu
        QCOMPARE(app.prompt.asked.size(), 3);
        QCOMPARE(app.prompt.asked[0].kind, QString("input"));
        QCOMPARE(app.prompt.asked[1].kind, QString("message"));
        QVERIFY(app.prompt.asked[1].text.contains("\"Drama\""));
        QCOMPARE(app.prompt.asked[2].kind, QString("input"));

        auto* cats = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1")->recordModel();
        QCOMPARE(cats->rowCount(), before + 1);
        const int first = rowOfText(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1"), "Drama");
        QCOMPARE(rowOfText(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1"), "Drama", first + 1),
                 -1);
        QStringList names;
        for (int row = 0; row < cats->rowCount(); ++row)
            names << cats->textAt(row);
        QStringList sorted = names;
        std::sort(sorted.begin(), sorted.end(),
                  [](const QString& a, const QString& b) { return a.toUpper() < b.toUpper(); });
        QCOMPARE(names, sorted);
        QVERIFY(names.contains("Cartoons"));
        // The titles and their view are untouched.
        QCOMPARE(listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3")), comedies);
    }

    void ctrlAAddsACategoryFromTheCategoryListAndSelectsTextInAField() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        const uint32_t before = f->categories().recCount();
        auto* title = ctl<rk::fw::DBEdit>(f, "DBEdit1");
        title->setFocus();
        title->deselect();
        QTest::keyClick(title, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(app.prompt.asked.size(), 0);
        QVERIFY(!title->text().isEmpty());
        QCOMPARE(title->selectedText(), title->text());
        auto* titles = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3");
        titles->setFocus();
        QTest::keyClick(titles, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(app.prompt.asked.size(), 0);

        auto* list = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1");
        list->setFocus();
        app.prompt.answer(QStringLiteral("Serials"));
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(app.prompt.asked.size(), 1);
        QCOMPARE(f->categories().recCount(), before + 1);
    }

    void aCancelledOrEmptyNameAddsNothing() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        const uint32_t before = f->categories().recCount();
        app.prompt.answer(QVariant()).answer(QString());
        f->AddNewCategory2Click();
        f->AddNewCategory2Click();
        QCOMPARE(f->categories().recCount(), before);
        QCOMPARE(app.prompt.asked.size(), 2);
    }

    void aNameHoldingQuotesStillSelectsItsTitles() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        for (const QString& name : {QString("The \"Best\" Of"), QString("Director's \"Cut\"")}) {
            app.prompt.answer(name);
            f->AddNewCategory2Click();
            const uint32_t recno = collection::addTitle(f, "Quoted " + name, name);
            QVERIFY(recno > 0);
            QVERIFY(pick(f, name) >= 0);
            QCOMPARE(f->statusPanelText(0), entries(1));
            QCOMPARE(listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3")),
                     std::vector<uint32_t>{recno});
        }
    }

    void dragsStartOnlyAfterAMoveAndNothingTakesADrop() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        // No control of the window takes what the lists drag, the tool buttons included
        // (edits take dropped text, which a list's drag does not carry).
        QMimeData line;
        line.setData("application/x-reelkeeper-list-line", QByteArray());
        QVERIFY(!f->acceptDrops());
        for (QWidget* w : f->findChildren<QWidget*>()) {
            if (!w->acceptDrops()) continue;
            QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction | Qt::MoveAction, &line,
                                  Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(w, &enter);
            QVERIFY2(!enter.isAccepted(), qPrintable(w->objectName()));
        }

        // A press and release without moving is a plain click: it picks the category.
        const int row = rowOfText(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1"), "Horror");
        auto* viewport = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1")->viewport();
        ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1")
            ->scrollTo(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1")->model()->index(row, 0));
        const QPoint at =
            ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1")
                ->visualRect(
                    ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1")->model()->index(row, 0))
                .center();
        QTest::mousePress(viewport, Qt::LeftButton, {}, at);
        QTest::mouseMove(viewport, at + QPoint(1, 0));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, at + QPoint(1, 0));
        QCOMPARE(f->statusPanelText(0),
                 entries(uint32_t(recordsWhere(f->titles(), "CATEGORY", "Horror").size())));

        // A drag from a title list: it begins only once the mouse has moved far enough, ends
        // wherever the button is released (here the test platform ends it at once) and
        // changes no data; the list takes clicks again afterwards.
        f->ViewAll1Click();
        const auto before = listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2"));
        const QByteArray file = collection::fileBytes(f->titles().path());
        auto* list = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2");
        const QPoint from = list->visualRect(list->model()->index(2, 0)).center();
        QTRY_VERIFY(list->isVisible() && list->viewport()->height() > from.y());
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, from);
        const uint32_t pressed = f->titlesData()->recNo();
        QCOMPARE(pressed, list->recordModel()->recNoAt(2));
        moveHeld(list, from + QPoint(1, 1));
        QCOMPARE(drags(list), 0);
        moveHeld(list, from + QPoint(0, 3 * QApplication::startDragDistance()));
        QCOMPARE(drags(list), 1);
        moveHeld(list, from + QPoint(0, 4 * QApplication::startDragDistance()));
        QCOMPARE(drags(list), 1); // one drag per press
        QTest::mouseRelease(ctl<rk::GradientToolButton>(f, "MarkBut"), Qt::LeftButton);
        QCOMPARE(listed(list), before);
        QCOMPARE(f->titlesData()->recNo(), pressed);
        QCOMPARE(f->titlesData()->state(), rk::fw::Dataset::State::Browse);
        QCOMPARE(collection::fileBytes(f->titles().path()), file);
        QCOMPARE(app.prompt.asked.size(), 0);
        collection::clickRow(list, 5);
        QCOMPARE(f->titlesData()->recNo(), list->recordModel()->recNoAt(5));
    }

    void doubleClickingATitleMarksIt() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        pick(f, "War");
        auto* list = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3");
        const QPoint at = list->visualRect(list->model()->index(0, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        const uint32_t recno = f->titlesData()->recNo();
        const bool was = f->titlesData()->logical("MARKED");
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(f->titlesData()->recNo(), recno);
        QCOMPARE(collection::stored(f->titles(), recno, "MARKED"), QString(was ? "F" : "T"));
        QCOMPARE(ctl<rk::LitCheckBox>(f, "BitCheck")->isChecked(), !was);
    }
};

QTEST_MAIN(CategoriesTest)
#include "categories_test.moc"
