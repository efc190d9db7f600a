// The scripted prompt that tests answer boxes with: what it records, what it answers when
// the script runs out, and that it gives the prompt back when done.
#include "scriptedprompt.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QFontDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace rk::fw;

class PromptTest : public QObject {
    Q_OBJECT

private slots:
    void recordsAndAnswersInOrder() {
        ScriptedPrompt p;
        p.answer(Button::Yes).answer(QString("Westerns")).answer(2);
        QVERIFY(confirm(nullptr, "Delete the current Record?"));
        QCOMPARE(prompt()
                     .inputText(nullptr, "Add New Category", "Enter the New Category Name", "")
                     .value_or("-"),
                 QString("Westerns"));
        QCOMPARE(prompt().choose(nullptr, "Which?", "Pick", Icon::Question, {"a", "b", "c"}), 2);
        QCOMPARE(p.asked.size(), 3);
        QCOMPARE(p.asked[0].buttons, Buttons::YesNo);
        QCOMPARE(p.asked[1].caption, QString("Add New Category"));
        QCOMPARE(p.asked[2].choices, QStringList({"a", "b", "c"}));
        QCOMPARE(p.unanswered, 0);
    }

    void anUnscriptedQuestionGetsTheCautiousAnswer() {
        ScriptedPrompt p;
        QCOMPARE(prompt().message(nullptr, "t", "", Icon::Question, Buttons::YesNo), Button::No);
        QCOMPARE(prompt().message(nullptr, "t", "", Icon::Warning, Buttons::OkCancel),
                 Button::Cancel);
        QCOMPARE(prompt().message(nullptr, "t", "", Icon::Information, Buttons::Ok), Button::Ok);
        QVERIFY(!prompt().inputText(nullptr, "c", "l", "v").has_value());
        QVERIFY(prompt().openFileName(nullptr, "c", "", "*.dat").isEmpty());
        QCOMPARE(prompt().choose(nullptr, "t", "", Icon::None, {"x"}), -1);
        QCOMPARE(p.unanswered, 6);
    }

    void helpTopicsAndAddressesAreRecorded() {
        ScriptedPrompt p;
        prompt().showHelp(nullptr, "Tutorial");
        QVERIFY(prompt().openUrl(QUrl("https://example.org/")));
        QCOMPARE(p.helpTopics(), QStringList{"Tutorial"});
        QCOMPARE(p.urls().value(0), QUrl("https://example.org/"));
    }

    // The real boxes: opened (and answered) from the event loop, as the user would see them.
    // The title bar shows the caption with the program's name after it.
    void realBoxesShowTheirWholeCaptionAndNeverOpenUnderTheSplash() {
        QGuiApplication::setApplicationDisplayName(QStringLiteral("Reelkeeper"));
        const QString caption = QStringLiteral("Add New Category");
        QFont title = QApplication::font("QMdiSubWindowTitleBar");
        title.setBold(true);
        const int shown =
            QFontMetrics(title).horizontalAdvance(caption + QStringLiteral(" \u2014 Reelkeeper"));
        QtPrompt qt;
        const std::function<void()> boxes[] = {
            [&] { qt.message(nullptr, "Short.", caption, Icon::Information, Buttons::Ok); },
            [&] { qt.inputText(nullptr, caption, "Name", ""); },
        };
        for (const auto& open : boxes) {
            QWidget splash(nullptr, Qt::SplashScreen | Qt::WindowStaysOnTopHint);
            splash.show();
            int boxWidth = 0;
            bool splashShown = true;
            QTimer::singleShot(0, [&] {
                QWidget* box = QApplication::activeModalWidget();
                QVERIFY(box);
                boxWidth = box->width();
                splashShown = splash.isVisible();
                box->close();
            });
            open();
            // Room for the title and for the window manager's icon and buttons beside it.
            QVERIFY2(boxWidth >= shown + 80, qPrintable(QString::number(boxWidth)));
            QVERIFY(!splashShown);
        }
    }

    // The font dialog offers underline, strike-out and, when asked, the colour: chosen
    // through its own button, written back on OK, kept on Cancel.
    void theFontDialogOffersEffectsAndColour() {
        QtPrompt qt;
        for (const bool confirm : {true, false}) {
            QColor color(Qt::black);
            FontOptions options;
            options.color = &color;
            bool offered = false;
            QTimer::singleShot(0, [&] {
                auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                auto* colour = dialog->findChild<QPushButton*>("FontColour");
                offered = colour && dialog->findChildren<QCheckBox*>().size() == 2;
                QVERIFY(colour);
                QTimer::singleShot(0, [] {
                    auto* colours = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
                    QVERIFY(colours);
                    colours->setCurrentColor(QColor(200, 0, 0));
                    colours->accept();
                });
                colour->click();
                for (QCheckBox* c : dialog->findChildren<QCheckBox*>())
                    c->click(); // underline and strike-out on

                confirm ? dialog->accept() : dialog->reject();
            });
            const auto font = qt.chooseFont(nullptr, QFont(), "Font", options);
            QVERIFY(offered);
            QCOMPARE(font.has_value(), confirm);
            QCOMPARE(color, confirm ? QColor(200, 0, 0) : QColor(Qt::black));
            if (confirm) QVERIFY(font->underline() && font->strikeOut());
        }
    }

    void nestedPromptsGiveTheirPredecessorBack() {
        Prompt* qt = &prompt();
        {
            ScriptedPrompt outer;
            {
                ScriptedPrompt inner;
                QCOMPARE(&prompt(), static_cast<Prompt*>(&inner));
            }
            QCOMPARE(&prompt(), static_cast<Prompt*>(&outer));
        }
        QCOMPARE(&prompt(), qt);
    }
};

QTEST_MAIN(PromptTest)
#include "prompt_test.moc"
