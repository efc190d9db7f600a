// The list with columns: over a large table it reads only the records of the rows it shows,
// one read per row whatever the number of columns, and a post or a change of columns shows in
// its rows at once.
#include "columnlist.h"
#include "record.h"
#include "testcatalogue.h"

using namespace rk::fw;

class ColumnListTest : public QObject {
    Q_OBJECT

private slots:
    void aLargeListReadsOnlyTheRowsItShows() {
        QTemporaryDir dir;
        const std::string path = dir.path().toStdString();
        QVERIFY(rk::dbf::DbfFile::create(path + "/VIDEO.DBF", rk::catalogue::titleFields()).isOk());
        rk::store::TableOptions options;
        options.sync = false;
        rk::store::Table t(path + "/VIDEO.DBF", options);
        QVERIFY(t.open().isOk());
        const uint32_t n = 50000;
        const std::string blank = t.dbf()->blankRecord();
        std::string images;
        for (uint32_t i = 1; i <= n; ++i) {
            std::string image = blank;
            rk::dbf::setString(image, *t.field("TITLE"), "Title " + std::to_string(i));
            rk::dbf::setString(image, *t.field("YEAR"), std::to_string(1900 + i % 100));
            images += image;
        }
        QVERIFY(t.appendRecords(images, n).isOk());
        QVERIFY(t.goTop().isOk());

        Dataset ds(&t);
        RecordListModel rows(&ds, "TITLE");
        RecordColumnModel model(&rows);
        model.setColumns({{"Title", "TITLE", {}, 150},
                          {"Year", "YEAR", {}, 50},
                          {"Format", "FORMAT", {}, 60},
                          {"Price", "PRICE", {}, 60}});
        DBColumnList list;
        list.resize(400, 400);
        list.bind(&model);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QVERIFY(ds.last().isOk());
        QCoreApplication::processEvents();
        QCOMPARE(model.rowCount(), int(n));
        QCOMPARE(rows.recNoAt(list.currentIndex().row()), n);
        QCOMPARE(model.textAt(list.currentIndex().row(), 1), QString("1900"));
        QVERIFY2(model.recordsRead() < 200, qPrintable(QString::number(model.recordsRead())));
        // Home and End go to the first and the last title.
        QTest::keyClick(&list, Qt::Key_Home);
        QCOMPARE(ds.recNo(), rows.recNoAt(0));
        QTest::keyClick(&list, Qt::Key_End);
        QCOMPARE(ds.recNo(), n);

        const uint64_t before = model.recordsRead();
        QVERIFY(ds.setText("YEAR", "1999").isOk());
        QVERIFY(ds.post().isOk());
        QCOMPARE(model.textAt(list.currentIndex().row(), 1), QString("1999"));
        // Back at the top: the rows that come into view are read, not the table.
        QVERIFY(ds.first().isOk());
        QCoreApplication::processEvents();
        QVERIFY2(model.recordsRead() - before < 200,
                 qPrintable(QString::number(model.recordsRead() - before)));

        // Rows not shown yet: one read each for all four columns.
        const uint64_t far = model.recordsRead();
        for (int row = 20000; row < 20010; ++row)
            for (int column = 0; column < 4; ++column)
                model.textAt(row, column);
        QCOMPARE(model.recordsRead() - far, uint64_t(10));
        // Other columns over rows already read: each cell is its new column's field.
        model.setColumns({{"Year", "YEAR", {}, 50}, {"Title", "TITLE", {}, 150}});
        QCOMPARE(model.textAt(20000, 1), rows.textAt(20000));
        QCOMPARE(model.textAt(20000, 0), QString::number(1900 + rows.recNoAt(20000) % 100));
        QCOMPARE(model.textAt(20000, 3), QString());
    }
};

QTEST_MAIN(ColumnListTest)
#include "columnlist_test.moc"
