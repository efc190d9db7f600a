// Marking and the collection's value: reading prices and writing totals, the Mark command
// with its indicator, un-marking every marked title, and "Calculate Costs...".
#include "collectionhelpers.h"

#include "collection.h"
#include "litcheckbox.h"

#include <QProgressBar>

using collection::addTitle;
using collection::listed;
using collection::stored;
using rk::store::formatTotal;
using rk::store::readPrice;

Q_DECLARE_METATYPE(std::optional<double>)

namespace {

int markedCount(rk::store::Table& t) {
    int n = 0;
    for (uint32_t r = 1; r <= t.recCount(); ++r)
        n += !collection::storedDeleted(t, r) && stored(t, r, "MARKED") == "T";
    return n;
}

// A category of its own holding titles with these prices, picked.
void pickPrices(GuiFixture& app, const QStringList& prices) {
    TForm1* f = app.form;
    app.prompt.answer(QStringLiteral("Priced"));
    f->AddNewCategory2Click();
    for (const QString& price : prices)
        addTitle(f, "Priced " + price, "Priced", price);
    const int row =
        collection::rowOfText(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1"), "Priced");
    collection::clickRow(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1"), row);
    app.prompt.clear();
}

} // namespace

class MarkingTest : public QObject {
    Q_OBJECT

private slots:
    void readingPrices_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<char>("separator");
        QTest::addColumn<std::optional<double>>("value");
        const std::optional<double> none;
        QTest::newRow("decimals") << "12.50" << '.' << std::optional<double>(12.5);
        QTest::newRow("blanks around") << " 7.5  " << '.' << std::optional<double>(7.5);
        QTest::newRow("whole") << "25" << '.' << std::optional<double>(25);
        QTest::newRow("minus") << "-3.25" << '.' << std::optional<double>(-3.25);
        QTest::newRow("plus") << "+4" << '.' << std::optional<double>(4);
        QTest::newRow("no whole part") << ".5" << '.' << std::optional<double>(0.5);
        QTest::newRow("no decimals") << "5." << '.' << std::optional<double>(5);
        QTest::newRow("exponent") << "1E2" << '.' << std::optional<double>(100);
        QTest::newRow("signed exponent") << "15e-1" << '.' << std::optional<double>(1.5);
        QTest::newRow("comma separator") << "12,50" << ',' << std::optional<double>(12.5);
        QTest::newRow("empty") << "" << '.' << none;
        QTest::newRow("blank") << "      " << '.' << none;
        QTest::newRow("currency sign") << "$5.00" << '.' << none;
        QTest::newRow("thousands") << "1,000" << '.' << none;
        QTest::newRow("other separator") << "12.50" << ',' << none;
        QTest::newRow("inner blank") << "1 2" << '.' << none;
        QTest::newRow("point alone") << "." << '.' << none;
        QTest::newRow("sign alone") << "-" << '.' << none;
        QTest::newRow("exponent without digits") << "1E" << '.' << none;
        QTest::newRow("letters") << "free" << '.' << none;
    }
    void readingPrices() {
        QFETCH(QString, text);
        QFETCH(char, separator);
        QFETCH(std::optional<double>, value);
        QCOMPARE(readPrice(text.toStdString(), separator), value);
    }

    void writingTotals_data() {
        QTest::addColumn<double>("total");
        QTest::addColumn<char>("separator");
        QTest::addColumn<QString>("shown");
        QTest::newRow("whole") << 25.0 << '.' << "25";
        QTest::newRow("12.50 + 7.5") << 12.50 + 7.5 << '.' << "20";
        QTest::newRow("9.99 + 0.01") << 9.99 + 0.01 << '.' << "10";
        QTest::newRow("0.1 + 0.2") << 0.1 + 0.2 << '.' << "0.3";
        QTest::newRow("zero") << 0.0 << '.' << "0";
        QTest::newRow("cents") << 1234567.25 << '.' << "1234567.25";
        QTest::newRow("no trailing zeros") << 19.90 << '.' << "19.9";
        QTest::newRow("negative") << -4.5 << '.' << "-4.5";
        QTest::newRow("small") << 0.00012 << '.' << "0.00012";
        QTest::newRow("comma") << 12.5 << ',' << "12,5";
        QTest::newRow("15 whole digits") << 123456789012345.0 << '.' << "123456789012345";
        QTest::newRow("16 whole digits") << 1234567890123456.0 << '.' << "1.23456789012346E15";
        QTest::newRow("large") << 1e20 << '.' << "1E20";
        QTest::newRow("tiny") << 1.5e-7 << '.' << "1.5E-7";
    }
    void writingTotals() {
        QFETCH(double, total);
        QFETCH(char, separator);
        QFETCH(QString, shown);
        QCOMPARE(QString::fromStdString(formatTotal(total, separator)), shown);
    }

    void markTwiceLeavesTheTitleUnmarkedAndEachPressStoresIt() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        f->ViewAll1Click();
        // An unmarked title.
        while (f->titlesData()->logical("MARKED"))
            QVERIFY(f->titlesData()->next().isOk());
        const uint32_t recno = f->titlesData()->recNo();
        const int marked = markedCount(f->titles());
        const QString count = f->statusPanelText(0);

        QTest::mouseClick(ctl<rk::GradientToolButton>(f, "MarkBut"), Qt::LeftButton);
        QCOMPARE(f->titlesData()->state(), rk::fw::Dataset::State::Browse);
        QCOMPARE(stored(f->titles(), recno, "MARKED"), QString("T"));
        QVERIFY(ctl<rk::fw::DBCheckBox>(f, "DBCheckBox1")->isChecked());
        QVERIFY(ctl<rk::LitCheckBox>(f, "BitCheck")->isChecked());
        QCOMPARE(ctl<rk::LitCheckBox>(f, "BitCheck")->shownPicture(),
                 rk::LitCheckBox::Picture::Ticked);
        QCOMPARE(markedCount(f->titles()), marked + 1);

        ctl<QAction>(f, "MarkUnMarkCurrentEntry1")->trigger();
        QCOMPARE(f->titlesData()->state(), rk::fw::Dataset::State::Browse);
        QCOMPARE(stored(f->titles(), recno, "MARKED"), QString("F"));
        QVERIFY(!ctl<rk::LitCheckBox>(f, "BitCheck")->isChecked());
        QCOMPARE(ctl<rk::LitCheckBox>(f, "BitCheck")->shownPicture(),
                 rk::LitCheckBox::Picture::Clear);
        QCOMPARE(f->titlesData()->recNo(), recno);
        QCOMPARE(f->statusPanelText(0), count); // marking changes no title's presence
    }

    void theIndicatorFollowsTheCurrentTitle() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        f->ViewAll1Click();
        for (int i = 0; i < 12; ++i) {
            QCOMPARE(ctl<rk::LitCheckBox>(f, "BitCheck")->isChecked(),
                     f->titlesData()->logical("MARKED"));
            QCOMPARE(ctl<rk::fw::DBCheckBox>(f, "DBCheckBox1")->isChecked(),
                     f->titlesData()->logical("MARKED"));
            QVERIFY(f->titlesData()->next().isOk());
        }
        // A click on the indicator works the hidden box: the title is marked once stored.
        QVERIFY(f->titlesData()->first().isOk());
        while (f->titlesData()->logical("MARKED"))
            QVERIFY(f->titlesData()->next().isOk());
        const uint32_t recno = f->titlesData()->recNo();
        QTest::mouseClick(ctl<rk::LitCheckBox>(f, "BitCheck"), Qt::LeftButton);
        QVERIFY(ctl<rk::LitCheckBox>(f, "BitCheck")->isChecked());
        QVERIFY(ctl<rk::fw::DBCheckBox>(f, "DBCheckBox1")->isChecked());
        QVERIFY(f->titlesData()->logical("MARKED"));
        f->SaveButClick();
        QCOMPARE(stored(f->titles(), recno, "MARKED"), QString("T"));
    }

    void markInAnEmptyViewMakesNoBlankTitle() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        pickPrices(app, {});
        QVERIFY(f->titlesData()->isEmpty());
        QCOMPARE(ctl<rk::LitCheckBox>(f, "BitCheck")->shownPicture(),
                 rk::LitCheckBox::Picture::Greyed);
        const uint32_t before = f->titles().recCount();
        f->MarkButClick();
        QTest::mouseClick(ctl<rk::LitCheckBox>(f, "BitCheck"), Qt::LeftButton);
        QCOMPARE(f->titles().recCount(), before);
        QCOMPARE(f->titlesData()->state(), rk::fw::Dataset::State::Browse);
        QCOMPARE(ctl<rk::LitCheckBox>(f, "BitCheck")->shownPicture(),
                 rk::LitCheckBox::Picture::Greyed);
        QCOMPARE(app.prompt.asked.size(), 0);
        // A title current again lights or darkens it, and a click flips it.
        f->ViewAll1Click();
        while (f->titlesData()->logical("MARKED"))
            QVERIFY(f->titlesData()->next().isOk());
        QCOMPARE(ctl<rk::LitCheckBox>(f, "BitCheck")->shownPicture(),
                 rk::LitCheckBox::Picture::Clear);
        QTest::mouseClick(ctl<rk::LitCheckBox>(f, "BitCheck"), Qt::LeftButton);
        QCOMPARE(ctl<rk::LitCheckBox>(f, "BitCheck")->shownPicture(),
                 rk::LitCheckBox::Picture::Ticked);
        QVERIFY(f->titlesData()->logical("MARKED"));
    }

    void unMarkingAllLeavesTheFormerlyMarkedTitlesInView() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        f->ViewAll1Click();
        const int marked = markedCount(f->titles());
        QVERIFY(marked > 1);
        const QString count = f->statusPanelText(0);
        app.prompt.clear();

        ctl<QAction>(f, "UnMarkMarkedEntries1")->trigger();
        QCOMPARE(app.prompt.messages(), QStringList{"UnMark Completed!"});
        QCOMPARE(app.prompt.asked[0].icon, rk::fw::Icon::Information);
        QCOMPARE(markedCount(f->titles()), 0);
        QCOMPARE(f->statusPanelText(1), QString("Ready..."));
        // The set in force is named for what it now is.
        QCOMPARE(f->statusPanelText(0), QString("Un-Marked Entries: %1").arg(marked));
        QVERIFY(count != f->statusPanelText(0));
        QCOMPARE(QString::fromStdString(f->titles().queryText()), QString("MARKED"));
        // The View All page still shows the titles that were marked, until a view is applied.
        QCOMPARE(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2")->model()->rowCount(), marked);
        for (uint32_t r : listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2")))
            QCOMPARE(stored(f->titles(), r, "MARKED"), QString("F"));
        f->Marked1Click();
        QCOMPARE(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox4")->model()->rowCount(), 0);
        f->ViewAll1Click();
        QCOMPARE(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2")->model()->rowCount(),
                 int(f->titles().recCount()));

        // Nothing marked: the message all the same, and an empty list.
        app.prompt.clear();
        f->UnMarkMarkedEntries1Click();
        QCOMPARE(app.prompt.messages(), QStringList{"UnMark Completed!"});
        QCOMPARE(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2")->model()->rowCount(), 0);
        QVERIFY(f->titlesData()->isEmpty());
        QCOMPARE(f->statusPanelText(1), QString("Ready..."));
    }

    void theValueAddsThePricesInView_data() {
        QTest::addColumn<QStringList>("prices");
        QTest::addColumn<QString>("message");
        QTest::newRow("12.50 and 7.5") << QStringList{"12.50", "7.5"} << "Total Value is $20";
        QTest::newRow("9.99 and 0.01") << QStringList{"9.99", "0.01"} << "Total Value is $10";
        QTest::newRow("empty prices") << QStringList{"", " "} << "Total Value is $0";
        QTest::newRow("unreadable adds 0")
            << QStringList{"$5", "1,000", "20", "5.25"} << "Total Value is $25.25";
        QTest::newRow("no titles") << QStringList{} << "Total Value is $0";
    }
    void theValueAddsThePricesInView() {
        QFETCH(QStringList, prices);
        QFETCH(QString, message);
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        pickPrices(app, prices);
        if (!prices.isEmpty()) QVERIFY(f->titlesData()->next().isOk());
        const uint32_t current = f->titlesData()->recNo();

        ctl<QAction>(f, "CalculateCosts1")->trigger();
        QCOMPARE(app.prompt.messages(), QStringList{message});
        QCOMPARE(app.prompt.asked[0].icon, rk::fw::Icon::Information);
        QCOMPARE(f->titlesData()->recNo(), current);
        QCOMPARE(f->statusPanelText(1), QString("Ready..."));
        QVERIFY(ctl<QProgressBar>(f, "ProgressBar1")->isHidden());
        QCOMPARE(ctl<QProgressBar>(f, "ProgressBar1")->value(), 0);
    }

    void theValueOfAViewFollowsItsTitlesAndTheBarFollowsRecordNumbers() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        f->Marked1Click();
        double expected = 0;
        for (uint32_t r : listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox4")))
            expected += readPrice(stored(f->titles(), r, "PRICE").toStdString(), '.').value_or(0);
        QVERIFY(expected > 0);
        QList<int> positions;
        connect(ctl<QProgressBar>(f, "ProgressBar1"), &QProgressBar::valueChanged, f,
                [&](int v) { positions << v; });
        app.prompt.clear();
        f->CalcClick();
        QCOMPARE(
            app.prompt.messages(),
            QStringList{"Total Value is $" + QString::fromStdString(formatTotal(expected, '.'))});
        QCOMPARE(ctl<QProgressBar>(f, "ProgressBar1")->maximum(), int(f->titles().recCount()));
        // In title order the record numbers, and so the bar, jump about.
        QList<int> walked = positions;
        walked.removeAll(0); // the bar's start and end
        QCOMPARE(walked.size(),
                 ctl<rk::fw::DBLookupList>(f, "DBLookupListBox4")->model()->rowCount());
        QList<int> byRecord;
        for (uint32_t r : listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox4")))
            byRecord << int(r);
        QCOMPARE(walked, byRecord);
    }
};

QTEST_MAIN(MarkingTest)
#include "marking_test.moc"
