// The field panel: one labelled edit per field in field order, laid out in one right-aligned
// label column, edits as wide as their fields up to the cap, scrolling both ways, and rebuilt
// whenever the dataset behind its source opens, closes or is exchanged.
#include "catalogue.h"
#include "dbpaneledit.h"
#include "testcatalogue.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>

using namespace rk::fw;

namespace {

QStringList labels(const TDBPanelEdit& panel) {
    QStringList out;
    for (int i = 0; i < panel.controls().count(); ++i)
        out << panel.controls().item(i)->label()->text();
    return out;
}

QWidget* control(const TDBPanelEdit& panel, const char* field) {
    TDBPanelEditControl* item = panel.itemOf(QString::fromLatin1(field));
    return item ? item->control() : nullptr;
}

} // namespace

class DBPanelEditTest : public QObject {
    Q_OBJECT

private slots:
    void everyFieldInOrderInOneRightAlignedColumn() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        DataSource source;
        source.setDataset(&ds);
        TDBPanelEdit panel;
        panel.resize(600, 400);
        panel.setDataSource(&source);

        QStringList names;
        for (const auto& f : rk::catalogue::titleFields())
            names << QString::fromStdString(f.name);
        QCOMPARE(labels(panel), names);
        const auto& items = panel.controls();
        const int rightEdge = items.item(0)->label()->geometry().right();
        for (int i = 0; i < items.count(); ++i) {
            const QLabel* label = items.item(i)->label();
            const QWidget* edit = items.item(i)->control();
            QCOMPARE(label->geometry().right(), rightEdge);
            QCOMPARE(edit->y(), label->y());
            QCOMPARE(edit->x(), items.item(0)->control()->x());
            QVERIFY(edit->x() > rightEdge);
            if (i > 0)
                QCOMPARE(edit->y(), items.item(i - 1)->control()->geometry().bottom() + 1 +
                                        panel.borderWidth() + panel.bevelWidth());
        }
        auto* title = qobject_cast<QLineEdit*>(control(panel, "TITLE"));
        QCOMPARE(title->text(), ds.text("TITLE"));

        // Widths follow the fields: YEAR holds four digits, SUMMARY is cut to the cap, inside
        // the panel.
        QWidget* year = control(panel, "YEAR");
        const int digits = QFontMetrics(year->font()).horizontalAdvance(QStringLiteral("0000"));
        QVERIFY(year->width() >= digits);
        QVERIFY(year->width() < digits + 20);
        QWidget* summary = control(panel, "SUMMARY");
        QVERIFY(summary->width() < 255 * QFontMetrics(summary->font()).horizontalAdvance('0'));
        panel.show();
        QVERIFY(summary->geometry().right() < panel.scrollBox()->viewport()->width());
        QCOMPARE(panel.scrollBox()->horizontalScrollBar()->maximum(), 0);
        QVERIFY(panel.scrollBox()->verticalScrollBar()->maximum() > 0);
    }

    void rebuiltWhenTheDatasetOpensClosesOrIsExchanged() {
        TestCatalogue cat;
        Dataset titles(cat.titles.get());
        rk::store::Table catsTable(rk::findFileNoCase(cat.dir.path().toStdString(), "Cats.dbf"));
        QVERIFY(catsTable.open().isOk());
        Dataset categories(&catsTable);
        DataSource source;
        source.setDataset(&titles);
        TDBPanelEdit panel;
        panel.resize(500, 300);
        panel.setDataSource(&source);
        QCOMPARE(panel.controls().count(), 33);
        QPointer<QWidget> before = control(panel, "TITLE");

        cat.titles->close();
        titles.setActive(false);
        QCOMPARE(panel.controls().count(), 0);
        QVERIFY(before.isNull()); // the panel freed its parts
        QVERIFY(cat.titles->open().isOk());
        titles.setActive(true);
        QCOMPARE(panel.controls().count(), 33);

        source.setDataset(&categories);
        QCOMPARE(labels(panel), (QStringList{"CATEGORY", "CATID"}));
        QCOMPARE(qobject_cast<QLineEdit*>(control(panel, "CATEGORY"))->text(),
                 categories.text("CATEGORY"));

        panel.resize(1600, 400); // room for the field's whole width at either font
        const int narrow = control(panel, "CATEGORY")->width();
        QFont big = panel.controlFont();
        big.setPixelSize(24);
        panel.setControlFont(big);
        QVERIFY(control(panel, "CATEGORY")->width() > narrow);

        panel.setDataSource(nullptr);
        QCOMPARE(panel.controls().count(), 0);
    }

    void anEmptyTableStillShowsEveryField() {
        TestCatalogue cat(false);
        Dataset ds(cat.titles.get());
        DataSource source;
        source.setDataset(&ds);
        TDBPanelEdit panel;
        panel.setDataSource(&source);
        QCOMPARE(panel.controls().count(), 33);
        for (int i = 0; i < panel.controls().count(); ++i) {
            QWidget* c = panel.controls().item(i)->control();
            if (auto* box = qobject_cast<QCheckBox*>(c)) // a yes/no field
                QVERIFY(!box->isChecked());
            else
                QCOMPARE(qobject_cast<QLineEdit*>(c)->text(), QString());
        }
    }
};

QTEST_MAIN(DBPanelEditTest)
#include "dbpaneledit_test.moc"
