// A dataset that writes through the catalogue engine: what the window posts and deletes is
// found, or no longer found, by a search at once, exactly as a scan of the titles finds it.
#include "catalogue_engine.h"
#include "dataset.h"
#include "tfts.h"

#include <QTemporaryDir>
#include <QTest>

using rk::fw::Dataset;

namespace {

// The visible titles whose text holds `word`: by the search, and by a scan of every record.
std::pair<std::vector<uint32_t>, std::vector<uint32_t>>
foundAndScanned(rk::catalogue::Catalogue& cat, const char* word) {
    std::vector<uint32_t> found, scanned;
    auto r = cat.find(word, 0);
    if (r.isOk() && r->outcome == rk::search::SearchOutcome::Found)
        rk::ignore(cat.titles().visibleRecords(&found), "an empty list fails the comparison");
    rk::ignore(cat.titles().query(""), "the scan below reads every record by number");
    rk::search::TFts verify;
    rk::store::Table& t = cat.titles();
    for (uint32_t rec = 1; rec <= t.recCount(); ++rec)
        if (t.go(rec).isOk() && !t.deleted() &&
            verify.FtsVerify(rk::search::entryText(t.record(), t.fields()), word) == 1)
            scanned.push_back(rec);
    return {found, scanned};
}

} // namespace

class DatasetWriterTest : public QObject {
    Q_OBJECT

private slots:
    void postsAndDeletesReachTheSearchIndex() {
        QTemporaryDir dir;
        const std::string folder = dir.path().toStdString() + "/";
        QVERIFY(rk::catalogue::createSample(folder).isOk());
        rk::catalogue::Catalogue cat;
        QVERIFY(cat.open(folder).isOk());
        int missed = 0;
        cat.setTextIndexNotice([&missed](const rk::Status&) { ++missed; });
        QVERIFY(cat.buildTextIndex().isOk());
        Dataset ds(&cat.titles());
        ds.setWriter(&cat);

        QVERIFY(ds.insert().isOk());
        QVERIFY(ds.setText("TITLE", QStringLiteral("Return of the Quokka")).isOk());
        QVERIFY(ds.post().isOk());
        const uint32_t added = ds.recNo();
        auto [found, scanned] = foundAndScanned(cat, "quokka");
        QCOMPARE(found, std::vector<uint32_t>{added});
        QCOMPARE(found, scanned);

        QVERIFY(ds.goTo(added).isOk());
        QVERIFY(ds.setText("TITLE", QStringLiteral("Return of the Wombat")).isOk());
        QVERIFY(ds.post().isOk());
        std::tie(found, scanned) = foundAndScanned(cat, "quokka");
        QVERIFY(found.empty());
        QCOMPARE(found, scanned);
        std::tie(found, scanned) = foundAndScanned(cat, "wombat");
        QCOMPARE(found, std::vector<uint32_t>{added});

        QVERIFY(ds.goTo(added).isOk());
        QVERIFY(ds.deleteCurrent().isOk());
        std::tie(found, scanned) = foundAndScanned(cat, "wombat");
        QVERIFY(found.empty());
        QCOMPARE(found, scanned);
        QCOMPARE(missed, 0);
    }
};

QTEST_GUILESS_MAIN(DatasetWriterTest)
#include "datasetwriter_test.moc"
