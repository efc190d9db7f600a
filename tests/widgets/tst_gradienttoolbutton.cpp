#include "gradienttoolbutton.h"

#include <QToolBar>
#include <QtTest>

using rk::GradientLook;
using rk::GradientToolButton;
using State = GradientToolButton::FaceState;

class TestGradientToolButton : public QObject {
    Q_OBJECT

private:
    static GradientLook redToBlue(bool vertical, bool flat = false) {
        return GradientLook{QColor(250, 40, 40), QColor(40, 40, 250), flat, vertical, QFont()};
    }
    // Colour of a pixel of a widget as its window shows it.
    static QColor pixel(QWidget& widget, int x, int y) {
        QWidget* top = widget.window();
        const QPoint at = widget.mapTo(top, QPoint(x, y));
        const QImage image = top->grab().toImage();
        return image.pixelColor(int(at.x() * image.devicePixelRatio()),
                                int(at.y() * image.devicePixelRatio()));
    }

private slots:
    void gradientRunsTopToBottomOrLeftToRight() {
        const QRectF rect(0, 0, 60, 40);
        auto vertical = GradientToolButton::faceGradient(redToBlue(true), State::Idle, rect);
        QVERIFY(vertical);
        QCOMPARE(vertical->start(), QPointF(0, 0));
        QCOMPARE(vertical->finalStop(), QPointF(0, 40));
        auto horizontal = GradientToolButton::faceGradient(redToBlue(false), State::Idle, rect);
        QVERIFY(horizontal);
        QCOMPARE(horizontal->finalStop(), QPointF(60, 0));
        QCOMPARE(horizontal->stops().first().second, QColor(250, 40, 40));
        QCOMPARE(horizontal->stops().last().second, QColor(40, 40, 250));
    }

    void pressedFaceReversesTheColours() {
        auto pressed =
            GradientToolButton::faceGradient(redToBlue(true), State::Pressed, QRectF(0, 0, 10, 10));
        QVERIFY(pressed);
        QCOMPARE(pressed->stops().first().second, QColor(40, 40, 250));
        QCOMPARE(pressed->stops().last().second, QColor(250, 40, 40));
    }

    void flatButtonHasAFaceOnlyWhenHoveredOrDown() {
        const QRectF rect(0, 0, 10, 10);
        QVERIFY(!GradientToolButton::faceGradient(redToBlue(true, true), State::Idle, rect));
        QVERIFY(GradientToolButton::faceGradient(redToBlue(true, true), State::Hover, rect));
        QVERIFY(GradientToolButton::faceGradient(redToBlue(true, true), State::Pressed, rect));
    }

    void paintedFaceFollowsDirectionAndDownState() {
        QWidget parent;
        parent.setAutoFillBackground(true);
        QPalette pal = parent.palette();
        pal.setColor(QPalette::Window, QColor(0, 200, 0));
        parent.setPalette(pal);
        auto* button = new GradientToolButton(&parent);
        button->setLook(redToBlue(true));
        button->setGeometry(0, 0, 60, 40);
        parent.resize(60, 40);

        QColor top = pixel(*button, 30, 3);
        QColor bottom = pixel(*button, 30, 36);
        QVERIFY2(top.red() > top.blue() + 100, qPrintable(top.name()));
        QVERIFY2(bottom.blue() > bottom.red() + 100, qPrintable(bottom.name()));

        button->setVertical(false);
        const QColor left = pixel(*button, 3, 20);
        const QColor right = pixel(*button, 56, 20);
        QVERIFY(left.red() > left.blue() + 100);
        QVERIFY(right.blue() > right.red() + 100);

        button->setVertical(true);
        button->setCheckable(true);
        button->setChecked(true);
        top = pixel(*button, 30, 3);
        QVERIFY2(top.blue() > top.red() + 100, qPrintable(top.name()));

        // A flat idle button lets its parent show through.
        button->setChecked(false);
        button->setFlat(true);
        const QColor through = pixel(*button, 30, 3);
        QVERIFY2(through.green() > 150 && through.red() < 80, qPrintable(through.name()));
    }

    void groupedButtonsAreDownOneAtATime() {
        QWidget panel;
        auto* face = new GradientToolButton(QStringLiteral("Face"), &panel);
        auto* spine = new GradientToolButton(QStringLiteral("Spine"), &panel);
        auto* other = new GradientToolButton(QStringLiteral("Other"), &panel);
        face->setGroupIndex(1);
        spine->setGroupIndex(1);
        other->setCheckable(true);
        QVERIFY(face->isCheckable());
        face->setChecked(true);
        other->setChecked(true);
        spine->click();
        QVERIFY(spine->isChecked());
        QVERIFY(!face->isChecked());
        QVERIFY(other->isChecked()); // not in the group

        // Clicking the down button keeps it down unless all may be up.
        spine->click();
        QVERIFY(spine->isChecked());
        spine->setAllowAllUp(true);
        spine->click();
        QVERIFY(!spine->isChecked());
        QVERIFY(!face->isChecked());
    }

    void sameGroupIndexUnderAnotherParentIsAnotherGroup() {
        QWidget a;
        QWidget b;
        auto* first = new GradientToolButton(&a);
        auto* second = new GradientToolButton(&b);
        first->setGroupIndex(3);
        second->setGroupIndex(3);
        first->setChecked(true);
        second->setChecked(true);
        QVERIFY(first->isChecked());
    }

    void toolBarTakesTheLookOfOneButton() {
        QToolBar bar;
        auto* save = new GradientToolButton(QStringLiteral("Save"));
        auto* print = new GradientToolButton(QStringLiteral("Print"));
        auto* find = new GradientToolButton(QStringLiteral("Find"));
        auto* plain = new QToolButton;
        bar.addWidget(save);
        bar.addWidget(print);
        bar.addWidget(plain);
        bar.addWidget(find);

        QFont font(QStringLiteral("DejaVu Sans"), 11);
        font.setItalic(true);
        const GradientLook look{QColor(Qt::yellow), QColor(Qt::darkGreen), true, false, font};
        save->setLook(look);
        const QFont plainFont = plain->font();

        QCOMPARE(rk::copyLookToAll(*save, &bar), 2);
        QCOMPARE(print->look(), look);
        QCOMPARE(find->look(), look);
        QCOMPARE(save->look(), look);
        QCOMPARE(plain->font(), plainFont);
        QCOMPARE(rk::applyLookToAll(nullptr, look), 0);
    }

    void defaultLookUsesTheSystemButtonColours() {
        GradientToolButton button;
        QCOMPARE(button.lightColor(), QApplication::palette().color(QPalette::Light));
        QCOMPARE(button.shadowColor(), QApplication::palette().color(QPalette::Dark));
        QVERIFY(button.isVertical());
        QVERIFY(!button.isFlat());
    }
};

QTEST_MAIN(TestGradientToolButton)
#include "tst_gradienttoolbutton.moc"
