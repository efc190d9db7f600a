// Database maintenance: the pack with its question, the index rebuilt after it and the
// messages of both, the records renumbered and found again; the re-index with its progress
// keys, Titles.ia left alone; failures told as failures.
#include "collectionhelpers.h"

#include "progresskeys.h"
#include "titleindex.h"

#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QProgressBar>

#include <optional>

using collection::FindAnswer;
using collection::listed;
using collection::stored;
using rk::fw::Button;

Q_DECLARE_METATYPE(std::optional<int>)

namespace {

const QString kQuestion = QStringLiteral(
    "Packing the Database only needs to be done if you have deleted several entries. Proceed?");
const QString kCreating =
    QStringLiteral("Need to create a Titles Index for the Database. This only needs to be done "
                   "for new database files or Packing the database.");
const QString kPacked = QStringLiteral("Database Packed successfully!");
const QString kReindexQuestion =
    QStringLiteral("You are about to Re-Index the database. Continue?");
const QString kReindexed = QStringLiteral("Re-Index completed successfully.");

QByteArray bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString titlesFile(TForm1* f) {
    return QString::fromStdString(f->titles().path());
}

void buildIndex(GuiFixture& app) {
    FindAnswer answer("anything");
    app.form->FindButClick();
    app.prompt.clear();
}

// The words of a title as a phrase of the search language.
QString phrase(const QString& title) {
    QString words;
    for (QChar c : title)
        words += c.isLetterOrNumber() ? c : QChar(' ');
    return '"' + words.simplified() + '"';
}

} // namespace

class MaintenanceTest : public QObject {
    Q_OBJECT

private slots:
    void theProgressKeyRule_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<std::optional<int>>("position");
        QTest::newRow("50 percent") << 0xFFCE << std::optional<int>(50);
        QTest::newRow("100 percent") << 0xFF9C << std::optional<int>(100);
        QTest::newRow("1 percent") << 0xFFFF << std::optional<int>(1);
        QTest::newRow("A") << 0x41 << std::optional<int>();
        QTest::newRow("F12") << 0x7B << std::optional<int>();
        QTest::newRow("no 0x7000 bit") << 0x8F00 << std::optional<int>();
        QTest::newRow("one bit") << 0x1000 << std::optional<int>(-0x1000);
    }
    void theProgressKeyRule() {
        QFETCH(int, key);
        QFETCH(std::optional<int>, position);
        QCOMPARE(rk::store::progressFromKeyCode(key), position);
        for (int percent : {1, 37, 50, 100})
            QCOMPARE(rk::store::progressFromKeyCode(rk::store::progressKeyCode(percent)),
                     std::optional<int>(percent));
    }

    void theWindowTakesProgressKeysAndPassesOtherKeys() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        ctl<QProgressBar>(f, "ProgressBar1")->setRange(0, 100);
        ctl<QProgressBar>(f, "ProgressBar1")->setValue(10);
        QKeyEvent progress(QEvent::KeyPress, 0xFFCE, Qt::NoModifier);
        QCoreApplication::sendEvent(f, &progress);
        QCOMPARE(ctl<QProgressBar>(f, "ProgressBar1")->value(), 50);
        QKeyEvent letter(QEvent::KeyPress, 0x41, Qt::NoModifier, QStringLiteral("A"));
        QCoreApplication::sendEvent(f, &letter);
        QCOMPARE(ctl<QProgressBar>(f, "ProgressBar1")->value(), 50);
        int key = 0x41;
        f->FormKeyDown(key);
        QCOMPARE(key, 0x41); // passed on untouched
        key = 0xFF9C;
        f->FormKeyDown(key);
        QCOMPARE(key, 0); // swallowed
        QCOMPARE(ctl<QProgressBar>(f, "ProgressBar1")->value(), 100);
    }

    void answeringNoChangesNothing() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        buildIndex(app);
        app.prompt.answer(Button::Yes);
        f->ViewAll1Click();
        QVERIFY(f->titlesData()->goTo(3).isOk());
        f->TrashButClick();
        app.prompt.clear();
        const QByteArray titles = bytes(titlesFile(f));
        const QByteArray index = bytes(f->ftsPath());
        QVERIFY(!index.isEmpty());

        app.prompt.answer(Button::No);
        ctl<QAction>(f, "PackDatabase1")->trigger();
        QCOMPARE(app.prompt.messages(), QStringList{kQuestion});
        QCOMPARE(app.prompt.asked[0].caption, QString("Packing the Database Files"));
        QCOMPARE(app.prompt.asked[0].icon, rk::fw::Icon::Question);
        QCOMPARE(app.prompt.asked[0].buttons, rk::fw::Buttons::YesNo);
        QCOMPARE(bytes(titlesFile(f)), titles);
        QCOMPARE(bytes(f->ftsPath()), index);
        QVERIFY(collection::storedDeleted(f->titles(), 3));
    }

    void packingWithNothingDeletedStillRebuildsTheIndex() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        buildIndex(app);
        const uint32_t count = f->titles().recCount();
        // A stale file in its place shows that it was removed and built again.
        QFile::remove(f->ftsPath());
        QFile stale(f->ftsPath());
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("stale");
        stale.close();

        app.prompt.answer(Button::Yes);
        f->PackDatabase1Click();
        // One summary: the full-text index is rebuilt within the pack.
        QCOMPARE(app.prompt.messages(), (QStringList{kQuestion, kPacked}));
        QCOMPARE(app.prompt.asked.last().caption, QString("Information"));
        QCOMPARE(app.prompt.asked.last().icon, rk::fw::Icon::Information);
        QCOMPARE(f->titles().recCount(), count);
        QVERIFY(bytes(f->ftsPath()) != "stale");
        QVERIFY(f->titles().hidesDeleted());
        QVERIFY(ctl<QProgressBar>(f, "ProgressBar1")->isHidden());

        app.prompt.clear();
        FindAnswer answer("Casablanca", 1);
        f->FindButClick();
        QCOMPARE(app.prompt.messages(), QStringList{"1 Match Found."});
    }

    void afterAPackTheDeletedAreGoneAndEveryTitleIsFoundUnderItsNewNumber() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        buildIndex(app);
        f->ViewAll1Click();
        QStringList deleted;
        for (const char* title : {"Jaws", "Casablanca", "Die Hard"}) {
            const auto at = collection::recordsWhere(f->titles(), "TITLE", title);
            QCOMPARE(at.size(), size_t(1));
            QVERIFY(f->titlesData()->goTo(at[0]).isOk());
            app.prompt.answer(Button::Yes);
            f->TrashButClick();
            deleted << title;
        }
        // The titles that stay, in their physical order.
        QStringList staying;
        for (uint32_t r = 1; r <= f->titles().recCount(); ++r)
            if (!collection::storedDeleted(f->titles(), r))
                staying << stored(f->titles(), r, "TITLE");
        // A category's record deleted as well: the categories table is packed too.
        const uint32_t cats = f->categories().recCount();
        QVERIFY(f->categories().go(cats).isOk());
        QVERIFY(f->categories().deleteRecord().isOk());
        f->categoriesData()->refresh();
        app.prompt.clear();

        app.prompt.answer(Button::Yes);
        f->PackDatabase1Click();
        QCOMPARE(app.prompt.messages(), (QStringList{kQuestion, kPacked}));
        QCOMPARE(f->titles().recCount(), uint32_t(staying.size()));
        QCOMPARE(f->categories().recCount(), cats - 1);
        for (uint32_t r = 1; r <= f->titles().recCount(); ++r) {
            QVERIFY(!collection::storedDeleted(f->titles(), r));
            QCOMPARE(stored(f->titles(), r, "TITLE"), staying[int(r - 1)]);
        }
        for (const QString& title : deleted)
            QVERIFY(collection::recordsWhere(f->titles(), "TITLE", title).empty());

        // Every remaining title is found, under its new record number.
        for (uint32_t r = 1; r <= f->titles().recCount(); ++r) {
            app.prompt.clear();
            FindAnswer answer(phrase(staying[int(r - 1)]), 1);
            f->FindButClick();
            QVERIFY2(app.prompt.messages().size() == 1 &&
                         app.prompt.messages()[0].endsWith(" Found."),
                     qPrintable(staying[int(r - 1)]));
            const auto found = listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2"));
            QVERIFY2(std::find(found.begin(), found.end(), r) != found.end(),
                     qPrintable(staying[int(r - 1)]));
        }
    }

    void aPackKeepsTheViewAndTheOrder() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        buildIndex(app);
        collection::clickRow(
            ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1"),
            collection::rowOfText(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1"), "Drama"));
        f->Year1Click();
        const QString query = QString::fromStdString(f->titles().queryText());
        QStringList before;
        for (uint32_t r : listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3")))
            before << stored(f->titles(), r, "TITLE");
        QVERIFY(before.size() > 2);
        QVERIFY(f->titlesData()->first().isOk());
        app.prompt.answer(Button::Yes);
        f->TrashButClick();
        before.removeFirst();
        app.prompt.clear();

        app.prompt.answer(Button::Yes);
        f->PackDatabase1Click();
        QCOMPARE(app.prompt.messages().last(), kPacked);
        QCOMPARE(QString::fromStdString(f->titles().queryText()), query);
        QCOMPARE(QString::fromStdString(f->titles().orderName()), QString("YR"));
        QStringList after;
        for (uint32_t r : listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3")))
            after << stored(f->titles(), r, "TITLE");
        QCOMPARE(after, before);
    }

    void aFailedPackIsToldAndTheIndexIsKept() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        buildIndex(app);
        const QByteArray index = bytes(f->ftsPath());
        const QByteArray titles = bytes(titlesFile(f));
        // The pack's new file cannot be made where a folder holds its name.
        QVERIFY(QDir().mkpath(titlesFile(f) + ".pack"));
        app.prompt.answer(Button::Yes);
        f->PackDatabase1Click();
        QCOMPARE(app.prompt.messages().size(), 2);
        QVERIFY(app.prompt.messages()[1].startsWith("The database could not be packed."));
        QCOMPARE(app.prompt.asked[1].icon, rk::fw::Icon::Warning);
        QVERIFY(!app.prompt.messages().contains(kPacked));
        QCOMPARE(bytes(f->ftsPath()), index);
        QCOMPARE(bytes(titlesFile(f)), titles);
        QVERIFY(ctl<QProgressBar>(f, "ProgressBar1")->isHidden());
        QCOMPARE(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1")->model()->rowCount(),
                 int(f->categories().recCount()));
    }

    void aBuildThatFailsIsToldAndLeavesTheWindowWhole() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        f->Marked1Click();
        const auto marked = listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox4"));
        // The new index cannot be written where a folder holds its name.
        QVERIFY(QDir().mkpath(f->ftsPath() + ".new/held"));

        app.prompt.answer(Button::Yes);
        f->PackDatabase1Click();
        QCOMPARE(app.prompt.messages().size(), 3);
        QVERIFY(app.prompt.messages()[1].startsWith("Index file not created yet."));
        QCOMPARE(app.prompt.messages().last(), kPacked);
        QVERIFY(!QFile::exists(f->ftsPath()));
        QVERIFY(f->titles().hidesDeleted());
        QVERIFY(ctl<QProgressBar>(f, "ProgressBar1")->isHidden());
        QCOMPARE(f->statusPanelText(1), QString("Ready..."));
        QCOMPARE(listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox4")),
                 marked); // the table is open again, same view

        // A search then offers to build again, and tells of the failure the same way.
        app.prompt.clear();
        FindAnswer answer("Casablanca");
        f->FindButClick();
        QCOMPARE(app.prompt.messages().size(), 3);
        QCOMPARE(app.prompt.messages().mid(0, 2),
                 (QStringList{"Need to build the search index. Your search runs when it is "
                              "complete.",
                              kCreating}));
        QVERIFY(app.prompt.messages()[2].startsWith("Index file not created yet."));
        QVERIFY(f->titles().hidesDeleted());
        QCOMPARE(listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox4")), marked);
    }

    void reIndexingLeavesTheFullTextIndexAlone() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        buildIndex(app);
        const QByteArray index = bytes(f->ftsPath());
        QList<int> positions;
        connect(ctl<QProgressBar>(f, "ProgressBar1"), &QProgressBar::valueChanged, f,
                [&](int v) { positions << v; });
        bool shown = false;
        connect(ctl<QProgressBar>(f, "ProgressBar1"), &QProgressBar::valueChanged, f,
                [&] { shown |= ctl<QProgressBar>(f, "ProgressBar1")->isVisible(); });

        app.prompt.answer(Button::No);
        ctl<QAction>(f, "ReIndexDatabase1")->trigger();
        QCOMPARE(app.prompt.messages(), QStringList{kReindexQuestion});
        QVERIFY(positions.isEmpty());

        app.prompt.clear();
        app.prompt.answer(Button::Yes);
        QCOMPARE(ctl<QAction>(f, "ReIndexDatabase1")->shortcut(), QKeySequence("Ctrl+I"));
        ctl<QAction>(f, "ReIndexDatabase1")->trigger();
        QCOMPARE(app.prompt.messages(), (QStringList{kReindexQuestion, kReindexed}));
        QCOMPARE(app.prompt.asked[0].caption, QString("Re-Index Database"));
        QCOMPARE(app.prompt.asked[0].icon, rk::fw::Icon::Warning);
        QCOMPARE(app.prompt.asked[1].caption, QString("Reelkeeper98 Database"));
        QCOMPARE(app.prompt.asked[1].icon, rk::fw::Icon::Information);
        QCOMPARE(bytes(f->ftsPath()), index);
        // The engine's progress reached the bar through the window's keys.
        QVERIFY(shown);
        QVERIFY(positions.contains(100));
        QList<int> during = positions;
        during.removeAll(0);
        QVERIFY(std::is_sorted(during.begin(), during.end()));
        QVERIFY(ctl<QProgressBar>(f, "ProgressBar1")->isHidden());
        QCOMPARE(ctl<QProgressBar>(f, "ProgressBar1")->value(), 0);
        QVERIFY(f->titles().index() != nullptr);

        app.prompt.clear();
        FindAnswer answer("Hitchcock", 4);
        f->FindButClick();
        const auto hitchcock =
            collection::recordsWhere(f->titles(), "DIRECTOR", "Alfred Hitchcock");
        QCOMPARE(app.prompt.messages(),
                 QStringList{QString("%1 Matches Found.").arg(hitchcock.size())});
    }
};

QTEST_MAIN(MaintenanceTest)
#include "maintenance_test.moc"
