// The preferences: what Save writes and changes at once, what waits for the next run, the
// stored tool bar look that Cancel brings back, and the tip file's first byte.
#include "dialoghelpers.h"

#include "colorpickerbutton.h"
#include "gradienttoolbutton.h"
#include "prefform.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolBar>

namespace {

bool openPrefs(TForm1* f, const std::function<void(TPrefForm&)>& work) {
    return dialogs::run<TPrefForm>([f] { ctl<QAction>(f, "Preferences")->trigger(); }, work);
}

// The look of every button of the main window's tool bar, when they all agree.
std::optional<rk::GradientLook> toolBarLook(TForm1* f) {
    const auto buttons = ctl<QToolBar>(f, "TB97")->findChildren<rk::GradientToolButton*>();
    for (auto* b : buttons)
        if (b->look() != buttons.first()->look()) return std::nullopt;
    return buttons.first()->look();
}

QString stored(GuiFixture& app, const char* name) {
    return app.readSetting(rk::fw::kKeySection, QString::fromLatin1(name));
}

} // namespace

class PrefsTest : public QObject {
    Q_OBJECT

private slots:
    void categoryLockIsAppliedAtOnceAndReadByTheNextRun() {
        GuiFixture app;
        QVERIFY(app.start());
        for (const bool lock : {true, false}) {
            QVERIFY(openPrefs(app.form, [lock](TPrefForm& d) {
                d.CheckBox4->setChecked(lock);
                d.BitBtn1->click();
            }));
            QCOMPARE(app.readSetting("Settings", "CategoryLock"), QString(lock ? "1" : "0"));
            QCOMPARE(ctl<QCheckBox>(app.form, "LockCheck")->isChecked(), lock);
            app.restart();
            QCOMPARE(ctl<QCheckBox>(app.form, "LockCheck")->isChecked(), lock);
        }
    }

    void theOrientationReachesTheToolBarOnlyAtSave() {
        GuiFixture app;
        QVERIFY(app.start());
        QVERIFY(toolBarLook(app.form) && toolBarLook(app.form)->vertical);
        QVERIFY(openPrefs(app.form, [&](TPrefForm& d) {
            ctl<QRadioButton>(&d, "radGrpGrad1")->click();
            QVERIFY(!d.gradSample->isVertical());
            QVERIFY(toolBarLook(app.form)->vertical);
            d.BitBtn1->click();
        }));
        QVERIFY(toolBarLook(app.form));
        QVERIFY(!toolBarLook(app.form)->vertical);
        QCOMPARE(stored(app, "gradSample_Vertical"), QString("0"));
        // The next run starts with the Save button's look; the dialog shows the stored one.
        app.restart();
        QVERIFY(toolBarLook(app.form)->vertical);
        QVERIFY(openPrefs(app.form, [](TPrefForm& d) {
            QVERIFY(!d.gradSample->isVertical());
            QCOMPARE(d.radGrpGradIndex(), 1);
            d.BitBtn2->click();
        }));
    }

    void defaultsThenCancelKeepsTheStoredLookAndDefaultsThenSaveStoresIt() {
        GuiFixture app;
        QVERIFY(app.start());
        const QColor red(200, 0, 0);
        app.prompt.answer(red);
        QVERIFY(openPrefs(app.form, [](TPrefForm& d) {
            d.butGrad1->click();
            d.chkFlatbuts->click();
            d.BitBtn1->click();
        }));
        const QString redText = QString::number(200);
        QCOMPARE(stored(app, "butGrad1_Color"), redText);
        QCOMPARE(stored(app, "gradSample_LightColor"), redText);
        QCOMPARE(toolBarLook(app.form)->lightColor, red);
        QVERIFY(toolBarLook(app.form)->flat);

        QVERIFY(openPrefs(app.form, [&](TPrefForm& d) {
            d.butDefaults->click();
            QCOMPARE(d.gradSample->lightColor(), rk::GradientToolButton::defaultLightColor());
            QVERIFY(!d.gradSample->isFlat());
            d.BitBtn2->click();
            QCOMPARE(d.gradSample->lightColor(), red);
            QCOMPARE(d.butGrad1->color(), red);
            QVERIFY(d.chkFlatbuts->isChecked());
        }));
        QCOMPARE(stored(app, "butGrad1_Color"), redText);
        QCOMPARE(toolBarLook(app.form)->lightColor, red);

        QVERIFY(openPrefs(app.form, [](TPrefForm& d) {
            d.butDefaults->click();
            d.BitBtn1->click();
        }));
        const QColor light = rk::GradientToolButton::defaultLightColor();
        QCOMPARE(stored(app, "butGrad1_Color"),
                 QString::number(light.red() | light.green() << 8 | light.blue() << 16));
        QCOMPARE(stored(app, "chkFlatbuts_Checked"), QString("0"));
        QCOMPARE(toolBarLook(app.form)->lightColor, light);
        QVERIFY(!toolBarLook(app.form)->flat);
    }

    void theNavigatorAndTheStartTabWaitForTheNextRun() {
        GuiFixture app;
        QVERIFY(app.start());
        QVERIFY(!ctl<QAction>(app.form, "Navigator1")->isChecked());
        QVERIFY(openPrefs(app.form, [](TPrefForm& d) {
            QVERIFY(d.CheckBox1->isChecked()); // read with its own default
            d.RadioButton2->click();
            d.PageControl1->setCurrentIndex(2);
            d.BitBtn1->click();
        }));
        QCOMPARE(app.readSetting("Settings", "Navigator"), QString("1"));
        QVERIFY(!ctl<QAction>(app.form, "Navigator1")->isChecked());
        QVERIFY(!appWindows().navForm->isVisible());
        // The dialog opens on the page it was closed on.
        QVERIFY(openPrefs(app.form, [](TPrefForm& d) {
            QCOMPARE(d.PageControl1->currentIndex(), 2);
            d.BitBtn2->click();
        }));
        app.restart();
        QVERIFY(ctl<QAction>(app.form, "Navigator1")->isChecked());
        QTRY_VERIFY(appWindows().navForm->isVisible());
        QCOMPARE(ctl<QTabWidget>(app.form, "ExtPageControl1")->currentIndex(), 1);
    }

    void emptyLabelsAreStoredAndTheTipFileIsMadeOrChangesOnlyItsFirstByte() {
        GuiFixture app;
        QVERIFY(app.start());
        QVERIFY(openPrefs(app.form, [](TPrefForm& d) {
            QVERIFY(!d.CheckTip->isChecked()); // no tip file
            d.CheckTip->setChecked(true);
            d.Edit1->clear();
            d.Edit4->setText(QStringLiteral("Shelf"));
            d.BitBtn1->click();
        }));
        // A new catalogue has no tip file: ticking the box makes one, with the tips on.
        QVERIFY(dialogs::fileBytes(app.data + "tod.dat").startsWith("1\r\n"));
        QCOMPARE(ctl<QLabel>(app.form, "lblUser1")->text(), QString());
        QCOMPARE(ctl<QLabel>(app.form, "lblUser4")->text(), QString("Shelf"));
        QCOMPARE(app.readSetting("Custom", "Custom1"), QString());
        app.restart();
        QCOMPARE(ctl<QLabel>(app.form, "lblUser1")->text(), QString());
        QCOMPARE(ctl<QLabel>(app.form, "lblUser2")->text(), QString("Custom-2"));
        QTRY_VERIFY(app.form->findChild<QDialog*>("TipWindow"));

        QFile tod(app.data + "tod.dat");
        QVERIFY(tod.open(QIODevice::WriteOnly));
        tod.write("1\r\nFirst tip\r\n");
        tod.close();
        app.stop();
        QVERIFY(app.start(false)); // the dialog reads the tip file at its creation
        QVERIFY(openPrefs(app.form, [](TPrefForm& d) {
            QVERIFY(d.CheckTip->isChecked());
            d.CheckTip->setChecked(false);
            d.BitBtn1->click();
        }));
        QCOMPARE(dialogs::fileBytes(app.data + "tod.dat"), QByteArray("0\r\nFirst tip\r\n"));
    }
};

QTEST_MAIN(PrefsTest)
#include "prefs_test.moc"
