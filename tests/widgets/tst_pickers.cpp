#include "colorpickerbutton.h"
#include "fontpickerbutton.h"
#include "hyperlinklabel.h"

#include <QSignalSpy>
#include <QtTest>

using namespace rk;

class TestPickers : public QObject {
    Q_OBJECT

private slots:
    void colourButtonTakesTheChosenColour() {
        ColorPickerButton button(QStringLiteral("Gradient Color 1"));
        button.setColor(Qt::white);
        QColor offered;
        std::optional<QColor> answer = QColor(10, 20, 30);
        button.setChooser([&](const QColor& initial, QWidget*) {
            offered = initial;
            return answer;
        });
        QSignalSpy chosen(&button, &ColorPickerButton::colorChosen);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(offered, QColor(Qt::white));
        QCOMPARE(button.color(), QColor(10, 20, 30));
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.first().first().value<QColor>(), QColor(10, 20, 30));

        // Cancel: nothing changes, nothing is announced; the next dialog starts at the colour.
        answer = std::nullopt;
        button.choose();
        QCOMPARE(button.color(), QColor(10, 20, 30));
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(offered, QColor(10, 20, 30));
    }

    void colourSwatchShowsTheColour() {
        ColorPickerButton button;
        button.setColor(QColor(200, 0, 0));
        const QImage swatch = button.icon().pixmap(button.iconSize()).toImage();
        QCOMPARE(swatch.pixelColor(swatch.width() / 2, swatch.height() / 2), QColor(200, 0, 0));
        QSignalSpy changed(&button, &ColorPickerButton::colorChanged);
        button.setColor(QColor(200, 0, 0));
        QCOMPARE(changed.count(), 0);
        button.setColor(Qt::blue);
        QCOMPARE(changed.count(), 1);
    }

    void fontButtonKeepsTheChosenFont() {
        FontPickerButton button(QStringLiteral("Toolbar Font..."));
        QFont start(QStringLiteral("DejaVu Sans"), 9);
        button.setChosenFont(start);
        QFont offered;
        QFont bold(QStringLiteral("DejaVu Serif"), 12, QFont::Bold);
        bool cancel = false;
        button.setChooser([&](const QFont& initial, QWidget*) -> std::optional<QFont> {
            offered = initial;
            if (cancel) return std::nullopt;
            return bold;
        });
        QSignalSpy chosen(&button, &FontPickerButton::fontChosen);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(offered, start);
        QCOMPARE(button.chosenFont(), bold);
        QCOMPARE(chosen.count(), 1);
        cancel = true;
        button.choose();
        QCOMPARE(button.chosenFont(), bold);
        QCOMPARE(chosen.count(), 1);
    }

    void linkOpensItsAddressByMouseAndKeyboard() {
        HyperlinkLabel link(QStringLiteral("Reelkeeper98's Web site"),
                            QUrl(QStringLiteral("https://reelkeeper.example/")));
        QList<QUrl> opened;
        link.setOpener([&](const QUrl& url) { opened.append(url); });
        link.resize(link.sizeHint());
        QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.first(), QUrl(QStringLiteral("https://reelkeeper.example/")));
        QTest::keyClick(&link, Qt::Key_Return);
        QTest::keyClick(&link, Qt::Key_Space);
        QCOMPARE(opened.size(), 3);
        QTest::mouseClick(&link, Qt::RightButton, {}, QPoint(3, 3));
        QCOMPARE(opened.size(), 3);
        QCOMPARE(link.palette().color(QPalette::WindowText), link.palette().color(QPalette::Link));
    }

    void linkWithoutAddressDoesNothing() {
        HyperlinkLabel link;
        link.setText(QStringLiteral("nowhere"));
        int opened = 0;
        link.setOpener([&](const QUrl&) { ++opened; });
        QSignalSpy activated(&link, &HyperlinkLabel::activated);
        link.open();
        QCOMPARE(opened, 0);
        QCOMPARE(activated.count(), 0);
    }
};

QTEST_MAIN(TestPickers)
#include "tst_pickers.moc"
