// The help pages compiled into the program: the topics the program opens exist, every link
// between pages leads somewhere, and the help window shows a topic by its name.
#include "helpviewer.h"
#include "prompt.h"

#include <QDialog>
#include <QDir>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

using namespace rk::fw;

class HelpTest : public QObject {
    Q_OBJECT

private slots:
    void theTopicsTheProgramOpensExist() {
        for (const char* topic : {"MainTopic", "Tutorial", "Print_Labels", "User_Lists",
                                  "Preferences", "Printing", "Custom_Reports"})
            QVERIFY2(!helpPagePath(topic).isEmpty(), topic);
        QVERIFY(helpPagePath("NoSuchTopic").isEmpty());
    }

    void everyLinkBetweenPagesLeadsToAPage() {
        const QStringList pages = QDir(":/help").entryList({"*.html"});
        QVERIFY(pages.size() >= 5);
        const QRegularExpression href(R"(href="([^"#]+)(#[^"]*)?")");
        for (const QString& page : pages) {
            QFile f(":/help/" + page);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QString html = QString::fromUtf8(f.readAll());
            QVERIFY2(html.contains("<title>"), qPrintable(page));
            for (auto it = href.globalMatch(html); it.hasNext();) {
                const QString target = it.next().captured(1);
                if (target.startsWith("http")) continue;
                QVERIFY2(pages.contains(target), qPrintable(page + " -> " + target));
            }
        }
    }

    void contextNumbersMapToTopics() {
        QCOMPARE(helpTopicForContext(15), QString("Preferences"));
        QCOMPARE(helpTopicForContext(160), QString("Preferences"));
        QCOMPARE(helpTopicForContext(14), QString("User_Lists"));
        QCOMPARE(helpTopicForContext(17), QString("Printing"));
        QCOMPARE(helpTopicForContext(22), QString("Custom_Reports"));
        QCOMPARE(helpTopicForContext(12345), QString("MainTopic"));
    }

    void theHelpWindowShowsATopicByName() {
        QtPrompt qt;
        qt.showHelp(nullptr, "Tutorial");
        HelpViewer* viewer = HelpViewer::instance();
        QVERIFY(viewer->isVisible());
        QCOMPARE(viewer->currentTopic(), QString("Tutorial"));
        QVERIFY(viewer->browser()->toPlainText().contains("first tour"));
        viewer->showTopic("NoSuchTopic");
        QCOMPARE(viewer->currentTopic(), QString("MainTopic"));
        viewer->close();
    }

    void theHelpWindowClosesFromTheKeyboardAndNamesItsButtons() {
        QtPrompt qt;
        for (const QKeySequence& keys :
             {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
            qt.showHelp(nullptr, "Tutorial");
            HelpViewer* viewer = HelpViewer::instance();
            QVERIFY(QTest::qWaitForWindowActive(viewer));
            QTest::keySequence(viewer->browser(), keys);
            QVERIFY2(!viewer->isVisible(), qPrintable(keys.toString()));
        }
        auto* viewer = HelpViewer::instance();
        for (const char* name : {"HelpBack", "HelpForward"})
            QVERIFY(!viewer->findChild<QWidget*>(name)->accessibleName().isEmpty());
    }

    // Help that a window opens while it is being shown (the report builder's first use)
    // keeps the keyboard when the window manager then activates that window.
    void helpOpenedByAWindowBeingShownKeepsTheKeyboard() {
        QtPrompt qt;
        QWidget owner, other;
        owner.show();
        other.show();
        other.activateWindow();
        QTRY_VERIFY(other.isActiveWindow());
        qt.showHelp(&owner, "Custom_Reports");
        owner.activateWindow();
        QTRY_VERIFY(HelpViewer::instance()->isActiveWindow());
        HelpViewer::instance()->close();
    }

    // Help asked for in a modal dialog is not blocked by it: it takes the keyboard, and Esc
    // closes the help while the dialog stays open. Its next use from the main window is not
    // tied to the dialog any more.
    void helpFromAModalDialogComesInFrontOfItAndEscClosesTheHelp() {
        QtPrompt qt;
        QWidget main;
        main.show();
        QDialog dialog(&main);
        bool active = false, helpClosed = false, dialogOpen = false;
        QTimer::singleShot(0, &dialog, [&] {
            qt.showHelp(&dialog, "Printing");
            HelpViewer* viewer = HelpViewer::instance();
            active = QTest::qWaitForWindowActive(viewer);
            QTest::keyClick(viewer->browser(), Qt::Key_Escape);
            helpClosed = !viewer->isVisible();
            dialogOpen = dialog.isVisible();
            dialog.reject();
        });
        dialog.exec();
        QVERIFY(active);
        QVERIFY(helpClosed);
        QVERIFY(dialogOpen);
        dialog.hide();
        qt.showHelp(&main, "Tutorial");
        QVERIFY(HelpViewer::instance()->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(HelpViewer::instance()));
        HelpViewer::instance()->close();
    }
};

QTEST_MAIN(HelpTest)
#include "help_test.moc"
