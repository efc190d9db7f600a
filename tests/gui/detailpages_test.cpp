// The main window at its smallest size: every field of the detail pages shows its whole text,
// for each title of the sample and for the widest values its lists and formats give. The same
// program runs again at scale factor 2, where the window is larger than the screen.
#include "guifixture.h"

#include "datacontrols.h"

#include <QComboBox>
#include <QScreen>
#include <QTabWidget>

namespace {

// True when the edit shows all of its text: once a paint has laid the text out with the
// cursor at its end, the start of the text is where it is with the cursor at the start,
// that is, nothing was scrolled out of sight.
bool showsWholeText(QLineEdit* e) {
    const auto cursorLeft = [e] {
        return e->inputMethodQuery(Qt::ImCursorRectangle).toRect().left();
    };
    e->setCursorPosition(0);
    e->grab();
    const int home = cursorLeft();
    e->setCursorPosition(int(e->text().size()));
    e->grab();
    e->setCursorPosition(0); // without a paint, so the scroll of the end stays
    return cursorLeft() == home;
}

QLineEdit* editOf(QWidget* w) {
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->lineEdit();
    return qobject_cast<QLineEdit*>(w);
}

QStringList toStrings(const std::vector<std::string>& list) {
    QStringList out;
    for (const auto& s : list)
        out << QString::fromStdString(s);
    return out;
}

} // namespace

class DetailPagesTest : public QObject {
    Q_OBJECT

    GuiFixture app;
    QTabWidget* pages = nullptr;

    // The one-line fields of each page.
    QList<QLineEdit*> fieldsOf(int page) const {
        QList<QLineEdit*> edits;
        for (QWidget* w : pages->widget(page)->findChildren<QWidget*>()) {
            if (qobject_cast<rk::fw::DBEdit*>(w) || qobject_cast<rk::fw::DBComboBox*>(w))
                edits << editOf(w);
        }
        return edits;
    }

    void showPage(int page) {
        pages->setCurrentIndex(page);
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase() {
        QVERIFY(app.start());
        pages = ctl<QTabWidget>(app.form, "PageControl2");
        // However small the screen (at scale factor 2 it is smaller than the window), the
        // first placement keeps the menu in reach.
        QVERIFY(app.form->screen()->availableGeometry().contains(app.form->pos()));
    }

    void theBannerStaysOnItsPageWhenTheWindowShrinks() {
        app.form->resize(app.form->minimumSize() + QSize(300, 100));
        showPage(1);
        app.form->resize(app.form->minimumSize());
        QCoreApplication::processEvents();
        QWidget* page = pages->currentWidget();
        const QRect onPage(page->mapTo(pages, QPoint(0, 0)), page->size());
        auto* banner = ctl<QWidget>(app.form, "BannerLab");
        QVERIFY(banner->isVisible());
        QVERIFY(onPage.contains(banner->geometry()));
    }

    void everyTitleOfTheSampleShowsWhole() {
        app.form->resize(app.form->minimumSize());
        QCoreApplication::processEvents();
        QCOMPARE(app.form->size(), app.form->minimumSize());
        rk::fw::Dataset* titles = app.form->titlesData();
        QVERIFY(titles->first().isOk());
        int shown = 0;
        while (!titles->eof()) {
            for (int page = 0; page < pages->count(); ++page) {
                showPage(page);
                for (QLineEdit* e : fieldsOf(page))
                    QVERIFY2(showsWholeText(e), qPrintable(QStringLiteral("%1 cuts \"%2\" of %3")
                                                               .arg(e->objectName(), e->text(),
                                                                    titles->text("TITLE"))));
            }
            ++shown;
            QVERIFY(titles->next().isOk());
        }
        QCOMPARE(shown, int(app.form->titles().count()));
    }

    void theWidestValuesShowWhole() {
        const struct {
            const char* field;
            QStringList values;
        } cases[] = {
            {"DBEdit13", {"Science Fiction"}},
            {"DBEditRunTime", {"00:00"}},
            {"DBComboBox1", toStrings(rk::catalogue::builtinFormats())},
            {"DBComboBox2", toStrings(rk::catalogue::builtinRatings())},
            {"DBComboBox3", {"PG-13", "NC-17"}},
            {"DBEditTapes", {"100"}},
            {"DBEdit12", {"1999"}},
            {"DBEdit5", {"999.99"}},
            {"DBComboBox4", {"SLP - 360 Minutes", "LP - 240 Minutes"}},
        };
        for (const auto& c : cases) {
            auto* w = ctl<QWidget>(app.form, c.field);
            for (int page = 0; page < pages->count(); ++page)
                if (pages->widget(page)->isAncestorOf(w)) showPage(page);
            QLineEdit* e = editOf(w);
            const QString before = e->text();
            for (const QString& value : c.values) {
                e->setText(value); // shown only: a text set by the program is not written
                QVERIFY2(showsWholeText(e),
                         qPrintable(QStringLiteral("%1 cuts \"%2\"").arg(QString(c.field), value)));
            }
            e->setText(before);
        }
        QVERIFY(!app.form->titlesData()->isModified());
    }
};

QTEST_MAIN(DetailPagesTest)
#include "detailpages_test.moc"
