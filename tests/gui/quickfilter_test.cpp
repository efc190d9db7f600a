// The quick filter: typing narrows the titles in view to those with a word that begins with
// each word typed (accents and case folded), Esc and the clear button bring them back, it
// holds within a category and the marked view, the status bar counts what passes, and a
// changed title is found by its new words.
#include "collectionhelpers.h"

#include <QRegularExpression>
#include <QToolButton>

namespace {

using collection::listed;
using collection::stored;
using collection::storedDeleted;

// Whether every word of `typed` begins a word of the title, read plainly.
bool passes(const QString& title, const QString& typed) {
    auto words = [](const QString& s) {
        return s.normalized(QString::NormalizationForm_D)
            .remove(QRegularExpression(QStringLiteral("\\p{Mn}")))
            .toLower()
            .split(QRegularExpression(QStringLiteral("[^\\p{L}\\p{N}]+")), Qt::SkipEmptyParts);
    };
    const QStringList have = words(title);
    for (const QString& w : words(typed))
        if (std::none_of(have.begin(), have.end(),
                         [&](const QString& h) { return h.startsWith(w); }))
            return false;
    return true;
}

// The live titles whose field equals the value (any when the field is empty) and that pass.
std::vector<uint32_t> expected(rk::store::Table& t, const QString& typed, const char* field = "",
                               const QString& value = QString()) {
    std::vector<uint32_t> out;
    for (uint32_t r = 1; r <= t.recCount(); ++r)
        if (!storedDeleted(t, r) && (!*field || stored(t, r, field) == value) &&
            passes(stored(t, r, "TITLE"), typed))
            out.push_back(r);
    return out;
}

// Types the text a key at a time (QTest types ASCII keys only: the rest is inserted as an
// input method would).
void type(QLineEdit* box, const QString& text) {
    box->setFocus();
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(box, c.toLatin1());
        else
            box->insert(QString(c));
    }
}

std::vector<uint32_t> sorted(std::vector<uint32_t> v) {
    std::sort(v.begin(), v.end());
    return v;
}

} // namespace

class QuickFilterTest : public QObject {
    Q_OBJECT

private slots:
    void typingNarrowsAndEscAndTheClearButtonBringBack() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        f->ViewAll1Click();
        auto* box = ctl<QLineEdit>(f, "QuickFilter");
        auto* list = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2");
        const size_t all = listed(list).size();
        const QString lastModified = f->statusPanelText(1);
        for (const char* typed : {"the", "THE GOD", "amel", "écl", "zzz"}) {
            box->clear();
            type(box, QString::fromUtf8(typed));
            const auto want = expected(f->titles(), QString::fromUtf8(typed));
            QCOMPARE(sorted(listed(list)), want);
            QCOMPARE(f->statusPanelText(1),
                     want.size() == 1 ? QString("Quick filter: 1 title passes")
                                      : QString("Quick filter: %1 titles pass").arg(want.size()));
            if (QByteArray(typed) == "amel") QCOMPARE(want.size(), size_t(1)); // Amélie
        }
        QTest::keyClick(box, Qt::Key_Escape);
        QCOMPARE(box->text(), QString());
        QCOMPARE(listed(list).size(), all);
        QCOMPARE(f->statusPanelText(1), lastModified);
        QTest::keyClicks(box, QStringLiteral("star"));
        QVERIFY(listed(list).size() < all);
        auto* clear = box->findChild<QToolButton*>();
        QVERIFY(clear);
        clear->click();
        QCOMPARE(listed(list).size(), all);
        QCOMPARE(app.prompt.asked.size(), 0);
    }

    void itHoldsWithinACategoryAndTheMarkedView() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        auto* box = ctl<QLineEdit>(f, "QuickFilter");
        QTest::keyClicks(box, QStringLiteral("the"));
        auto* cats = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1");
        collection::clickRow(cats, collection::rowOfText(cats, QStringLiteral("Drama")));
        const auto drama = expected(f->titles(), QStringLiteral("the"), "CATEGORY", "Drama");
        QVERIFY(!drama.empty());
        QCOMPARE(sorted(listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3"))), drama);
        QCOMPARE(f->statusPanelText(0), QString("Category Entries: %1").arg(drama.size()));
        f->Marked1Click();
        const auto marked = expected(f->titles(), QStringLiteral("the"), "MARKED", "T");
        QCOMPARE(sorted(listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox4"))), marked);
        // Another word typed narrows the marked view further.
        QTest::keyClicks(box, QStringLiteral(" of"));
        QCOMPARE(sorted(listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox4"))),
                 expected(f->titles(), QStringLiteral("the of"), "MARKED", "T"));
    }

    void aChangedTitleIsFoundByItsNewWords() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        f->ViewAll1Click();
        auto* box = ctl<QLineEdit>(f, "QuickFilter");
        QTest::keyClicks(box, QStringLiteral("casa"));
        auto* list = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2");
        QCOMPARE(listed(list).size(), size_t(1));
        const uint32_t recno = listed(list)[0];
        QVERIFY(f->titlesData()->goTo(recno).isOk());
        QVERIFY(f->titlesData()->setText("TITLE", QStringLiteral("Xylophone Nights")).isOk());
        QVERIFY(f->titlesData()->post().isOk());
        box->clear();
        QTest::keyClicks(box, QStringLiteral("xylo"));
        QCOMPARE(listed(list), std::vector<uint32_t>({recno}));
        box->clear();
        QTest::keyClicks(box, QStringLiteral("casa"));
        QCOMPARE(listed(list).size(), size_t(0));
        // A title added now is found too.
        box->clear();
        const uint32_t added =
            collection::addTitle(f, QStringLiteral("Zebra Crossing"), QStringLiteral("Drama"));
        QVERIFY(added > 0);
        QTest::keyClicks(box, QStringLiteral("zeb"));
        QCOMPARE(listed(list), std::vector<uint32_t>({added}));
    }
};

QTEST_MAIN(QuickFilterTest)
#include "quickfilter_test.moc"
