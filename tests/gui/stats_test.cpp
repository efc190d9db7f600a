// The statistics window: View, "Statistics..." shows the figures of the titles in view,
// sections that add up to them, and saves the page as PDF.
#include "collectionhelpers.h"

#include "statschart.h"
#include "statsform.h"

#include <QLabel>

class StatsTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheTitlesInViewAndSavesThePage() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        f->Marked1Click();
        const int marked = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox4")->model()->rowCount();
        ctl<QAction>(f, "Statistics1")->trigger();
        auto* form = appWindows().statsForm.data();
        QVERIFY(form && form->isVisible());
        QVERIFY(
            ctl<QLabel>(form, "lblSummary")->text().contains(QString(": %1 titles").arg(marked)));
        const auto& sections = ctl<StatsChart>(form, "StatsChart1")->sections();
        QCOMPARE(sections.size(), size_t(5));
        for (size_t s = 0; s < 4; ++s) { // the counts add up to the titles in view
            double sum = 0;
            for (const auto& line : sections[s].lines)
                sum += line.amount;
            QCOMPARE(int(sum), marked);
        }

        const QString pdf = app.root.filePath(QStringLiteral("stats.pdf"));
        app.prompt.answer(pdf);
        ctl<QPushButton>(form, "butSavePdf")->click();
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");
        QCOMPARE(app.prompt.messages().size(), 0);
    }
};

QTEST_MAIN(StatsTest)
#include "stats_test.moc"
