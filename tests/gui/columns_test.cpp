// The title lists with columns: chosen from the View menu and kept for the next start, the
// single-column list back when only the title is left, and a header click ordering the titles
// by the tag of its column (or saying that none does).
#include "guifixture.h"

#include "columnlist.h"
#include "datacontrols.h"

#include <QAction>
#include <QHeaderView>

namespace {

rk::fw::DBColumnList* columns(TForm1* f) {
    return ctl<rk::fw::DBColumnList>(f, "ColumnList2");
}

int columnOf(rk::fw::DBColumnList* list, const QString& caption) {
    for (int c = 0; c < list->model()->columnCount(); ++c)
        if (list->model()->headerData(c, Qt::Horizontal).toString() == caption) return c;
    return -1;
}

} // namespace

class ColumnsTest : public QObject {
    Q_OBJECT

private slots:
    void chosenColumnsShowTheRecordsFieldsAndAreKeptForTheNextStart() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        f->ViewAll1Click();
        QVERIFY(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2")->isVisible());
        QVERIFY(!columns(f)->isVisible());
        ctl<QAction>(f, "ColumnYEAR")->trigger();
        ctl<QAction>(f, "ColumnDIRECTOR")->trigger();
        QVERIFY(columns(f)->isVisible());
        QVERIFY(!ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2")->isVisible());
        auto* model = columns(f)->columnModel();
        QCOMPARE(model->columnCount(), 3);
        const int row = columns(f)->currentIndex().row();
        QCOMPARE(model->rows()->recNoAt(row), f->titlesData()->recNo());
        QCOMPARE(model->textAt(row, 0), f->titlesData()->text("TITLE"));
        QCOMPARE(model->textAt(row, columnOf(columns(f), "Year")),
                 f->titlesData()->text("YEAR").trimmed());
        QCOMPARE(model->textAt(row, columnOf(columns(f), "Director")),
                 f->titlesData()->text("DIRECTOR"));
        // A row chosen in the column list makes its title current.
        columns(f)->setCurrentIndex(model->index(row + 1, 1));
        QCOMPARE(f->titlesData()->recNo(), model->rows()->recNoAt(row + 1));

        app.restart();
        f = app.form;
        f->ViewAll1Click();
        QCOMPARE(columns(f)->model()->columnCount(), 3);
        QCOMPARE(columns(f)->columnModel()->textAt(columns(f)->currentIndex().row(), 0),
                 f->titlesData()->text("TITLE"));
        QVERIFY(ctl<QAction>(f, "ColumnDIRECTOR")->isChecked());
        ctl<QAction>(f, "ColumnYEAR")->trigger();
        ctl<QAction>(f, "ColumnDIRECTOR")->trigger();
        QVERIFY(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2")->isVisible());
        QVERIFY(!columns(f)->isVisible());
    }

    void aHeaderClickOrdersByItsColumnsTagOrSaysThatNoneDoes() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        f->ViewAll1Click();
        ctl<QAction>(f, "ColumnYEAR")->trigger();
        ctl<QAction>(f, "ColumnPRICE")->trigger();
        rk::fw::DBColumnList* list = columns(f);
        const int year = columnOf(list, "Year");
        emit list->header()->sectionClicked(year);
        QCOMPARE(f->titles().indexOrd(), f->titles().tagArea("YR"));
        QCOMPARE(list->header()->sortIndicatorSection(), year);
        auto* model = list->columnModel();
        QVERIFY(model->rowCount() > 10);
        for (int r = 1; r < model->rowCount(); ++r)
            QVERIFY2(model->textAt(r - 1, year) <= model->textAt(r, year),
                     qPrintable(QString::number(r)));

        const QString ready = f->statusPanelText(1);
        emit list->header()->sectionClicked(columnOf(list, "Price"));
        QCOMPARE(f->titles().indexOrd(), f->titles().tagArea("YR"));
        QCOMPARE(list->header()->sortIndicatorSection(), year);
        QVERIFY(f->statusPanelText(1) != ready);
        QVERIFY(f->statusPanelText(1).contains("Price"));

        // An order chosen from the Sort menu moves the header's mark too.
        ctl<QAction>(f, "SortTitle2")->trigger();
        QCOMPARE(list->header()->sortIndicatorSection(), columnOf(list, "Title"));
    }
};

QTEST_MAIN(ColumnsTest)
#include "columns_test.moc"
