#include "dotmatrixbanner.h"
#include "dotmatrixfont.h"

#include <QSignalSpy>
#include <QtTest>

using rk::DotMatrixBanner;

class TestDotMatrixBanner : public QObject {
    Q_OBJECT

private slots:
    void scrollsEvery150Milliseconds() {
        DotMatrixBanner banner;
        QCOMPARE(banner.interval(), 150);
        QVERIFY(!banner.isScrolling());
        banner.startScrolling();
        QVERIFY(banner.isScrolling());
        banner.stopScrolling();
        QVERIFY(!banner.isScrolling());
    }

    void stepMovesByTheStepWidth() {
        DotMatrixBanner banner;
        banner.setText(QStringLiteral("NOW SHOWING"));
        QCOMPARE(banner.textWidth(), 110);
        QSignalSpy stepped(&banner, &DotMatrixBanner::stepped);
        banner.step();
        QCOMPARE(banner.offset(), banner.stepWidth());
        banner.setStepColumns(1);
        banner.step();
        QCOMPARE(banner.offset(), 4 + 2);
        QCOMPARE(stepped.count(), 2);
        QCOMPARE(stepped.last().first().toInt(), 6);
    }

    void stepWrapsAroundAtTheEndOfTheText() {
        DotMatrixBanner banner;
        banner.setText(QStringLiteral("AB")); // 20 pixels
        banner.setStepColumns(2);             // 4 pixels
        for (int i = 0; i < 4; ++i)
            banner.step();
        QCOMPARE(banner.offset(), 16);
        banner.step();
        QCOMPARE(banner.offset(), 0);

        banner.setStepColumns(3); // 6 pixels: 6, 12, 18, then 24 - 20
        for (int i = 0; i < 4; ++i)
            banner.step();
        QCOMPARE(banner.offset(), 4);
    }

    void characterUnderAPositionFollowsTheOffset() {
        DotMatrixBanner banner;
        banner.setText(QStringLiteral("ABC"));
        QCOMPARE(banner.characterIndexAt(0), 0);
        QCOMPARE(banner.characterIndexAt(9), 0);
        QCOMPARE(banner.characterIndexAt(10), 1);
        QCOMPARE(banner.characterIndexAt(29), 2);
        QCOMPARE(banner.characterIndexAt(30), 0); // the loop starts again
        banner.setOffset(10);
        QCOMPARE(banner.characterIndexAt(0), 1);
        QCOMPARE(banner.characterIndexAt(20), 0);
        banner.setOffset(-2);
        QCOMPARE(banner.offset(), 28);
        banner.setOffset(7); // kept on the dot grid
        QCOMPARE(banner.offset(), 6);
    }

    void newTextStartsAtItsBeginningSameTextKeepsItsPlace() {
        DotMatrixBanner banner;
        QSignalSpy changed(&banner, &DotMatrixBanner::textChanged);
        banner.setText(QStringLiteral("   NOW SHOWING...   Alien..."));
        banner.step();
        banner.step();
        const int offset = banner.offset();
        banner.setText(QStringLiteral("   NOW SHOWING...   Alien..."));
        QCOMPARE(banner.offset(), offset);
        QCOMPARE(changed.count(), 1);
        banner.setText(QStringLiteral("   NOW SHOWING...   Heat..."));
        QCOMPARE(banner.offset(), 0);
        QCOMPARE(changed.count(), 2);
    }

    void emptyTextDoesNotMove() {
        DotMatrixBanner banner;
        banner.step();
        QCOMPARE(banner.offset(), 0);
        QCOMPARE(banner.characterIndexAt(5), -1);
        banner.setText(QStringLiteral("X"));
        banner.step();
        banner.setText(QString());
        QCOMPARE(banner.offset(), 0);
    }

    void timerDrivesTheSteps() {
        DotMatrixBanner banner;
        banner.setText(QStringLiteral("TICK TOCK"));
        banner.setInterval(5);
        QSignalSpy stepped(&banner, &DotMatrixBanner::stepped);
        banner.startScrolling();
        QTRY_VERIFY(stepped.count() >= 3);
        banner.stopScrolling();
        const int count = int(stepped.count());
        QTest::qWait(30);
        QCOMPARE(stepped.count(), count);
    }

    void litDotsMoveWithTheText() {
        DotMatrixBanner banner;
        banner.setText(QStringLiteral(".    ")); // lights columns 0 and 1 of rows 5 and 6
        banner.resize(50, DotMatrixBanner::kMatrixHeight + 8);
        const int top = 4;
        auto red = [&](int column, int row) {
            const QImage image = banner.grab().toImage();
            const qreal r = image.devicePixelRatio();
            const QPointF centre(column * 2 + 1, top + row * 2 + 1);
            return image.pixelColor(int(centre.x() * r), int(centre.y() * r)).red();
        };
        QVERIFY(red(0, 5) > 120);
        QVERIFY(red(1, 6) > 120);
        QVERIFY(red(0, 2) < 60);
        QVERIFY(red(2, 5) < 60);
        // One dot column to the left: the period now lights only column 0 of the cell.
        banner.setStepColumns(1);
        banner.step();
        QVERIFY(red(0, 5) > 120);
        QVERIFY(red(1, 5) < 60);
        // It comes round again at the right end of the loop.
        QVERIFY(red(24, 5) > 120);
    }

    void fontKeepsItsGapColumnAndDescenders() {
        using namespace rk::dotmatrix;
        for (char16_t c = 32; c < 127; ++c) {
            QVERIFY2(hasGlyph(QChar(c)), qPrintable(QString(QChar(c))));
            const Glyph g = glyph(QChar(c));
            for (int row = 0; row < kRows; ++row)
                QVERIFY2((g[row] & 0x10) == 0, qPrintable(QString(QChar(c))));
            const bool descends = QStringLiteral(",;gjpqyQ").contains(QChar(c));
            if (!descends) QVERIFY2(g[7] == 0 && g[8] == 0, qPrintable(QString(QChar(c))));
        }
        QVERIFY(glyph(QChar(u'A')) != glyph(QChar(u'B')));
        QVERIFY(glyph(QChar(u' ')) == Glyph{});
    }

    void everyLetterOfTheCodePageShowsItsOwnMarks() {
        using namespace rk::dotmatrix;
        for (char16_t c = 0x00C0; c <= 0x00FF; ++c)
            if (QChar(c).isLetter()) QVERIFY2(hasGlyph(QChar(c)), qPrintable(QString(QChar(c))));
        for (char16_t c : {0x0160, 0x0161, 0x017D, 0x017E, 0x0178, 0x0152, 0x0153})
            QVERIFY2(hasGlyph(QChar(c)), qPrintable(QString(QChar(c))));
        // é is e beneath a mark; É is distinct from E and from é.
        const Glyph e = glyph(QChar(u'e')), eAcute = glyph(QChar(0x00E9));
        QVERIFY(eAcute != e);
        for (int row = 2; row < 7; ++row)
            QCOMPARE(eAcute[size_t(row)], e[size_t(row)]);
        QVERIFY(eAcute[0] || eAcute[1]);
        QVERIFY(glyph(QChar(0x00C9)) != glyph(QChar(u'E')));
        QVERIFY(glyph(QChar(0x00C9)) != eAcute);
        // The cedilla hangs below.
        const Glyph cCedilla = glyph(QChar(0x00E7));
        QVERIFY(cCedilla[7] || cCedilla[8]);
        QVERIFY(glyph(QChar(0x2014)) == glyph(QChar(u'-')));  // em dash
        QVERIFY(glyph(QChar(0x2019)) == glyph(QChar(u'\''))); // right single quote
        QVERIFY(hasGlyph(QChar(0x20AC)));                     // euro
        QVERIFY(!hasGlyph(QChar(0x4E2D)));                    // a character it lacks: the box
    }
};

QTEST_MAIN(TestDotMatrixBanner)
#include "tst_dotmatrixbanner.moc"
