// Our exports read back: CSV gives every field again, Tellico every field it can hold (valid
// against Tellico's DTD) with covers and loans; duplicates skipped or merged; and rkdb's import
// writes nothing when the file is refused or only previewed.
#include "apply.h"
#include "catalogue.h"
#include "catalogue_engine.h"
#include "export.h"
#include "readers.h"
#include "record.h"
#include "sidedata.h"
#include "table.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

using namespace rk;
using namespace rk::interchange;
using rk::catalogue::Catalogue;

namespace {

// The fields Tellico holds; the rest come back blank.
const std::vector<std::string> kTellicoFields = {
    "TITLE",    "CATEGORY", "FORMAT", "RATED", "RATING", "SUMMARY", "PRODUCER",
    "DIRECTOR", "STAR1",    "STAR2",  "STAR3", "STAR4",  "YEAR",    "PRICE"};

std::vector<std::string> records(Catalogue& c) {
    std::vector<std::string> out;
    EXPECT_TRUE(c.titles()
                    .walk([&](uint32_t, std::string_view image) {
                        out.emplace_back(image);
                        return true;
                    })
                    .isOk());
    return out;
}

std::string field(const std::string& image, const std::string& name) {
    for (const auto& f : catalogue::titleFields())
        if (f.name == name) return std::string(dbf::trimmedField(image, f));
    return "no such field";
}

class RoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(catalogue::createSample(dir.file("ours")).isOk());
        ASSERT_TRUE(ours.open(dir.file("ours")).isOk());
        // Text that needs quoting in CSV and escaping in XML, and a rating off the list.
        std::string image = records(ours).front();
        for (const auto& f : catalogue::titleFields()) {
            if (f.name == "TITLE") dbf::setString(image, f, "Tom & \"Jerry\", <b>caf\xE9</b>");
            if (f.name == "RATING") dbf::setString(image, f, "Cult");
        }
        ASSERT_TRUE(ours.appendMany({image}).isOk());
        // A cover on the first title, the second out on loan (the third's loan is over).
        auto& side = ours.sideData();
        ASSERT_TRUE(side.setCoverBytes(1, kPng, "front.png").isOk());
        ASSERT_TRUE(side.lend(2, "Ann J\xF6rg", {2026, 11, 2}, {2026, 12, 1}).isOk());
        ASSERT_TRUE(side.lend(3, "Bob", {2026, 1, 2}).isOk());
        ASSERT_TRUE(side.giveBack(3, {2026, 1, 9}).isOk());
    }

    // Our export of `format`, imported into a new catalogue; the new catalogue's records.
    std::vector<std::string> exportAndImport(const char* format) {
        const std::string file = dir.file(std::string("out.") + format);
        auto written =
            std::string(format) == "csv"
                ? exportCsv(ours.titles(), file)
                : exportTellico(ours.titles(), file, catalogue::builtinRatings(), &ours.sideData());
        EXPECT_TRUE(written.isOk()) << written.status().message();
        const std::string theirs = dir.file(std::string("theirs-") + format);
        EXPECT_TRUE(catalogue::createEmpty(theirs).isOk());
        Catalogue c;
        EXPECT_TRUE(c.open(theirs).isOk());
        auto lists = catalogueLists(theirs);
        auto plan = planBytes(test::readAll(file), Format::Unknown, c.titles(), *lists);
        EXPECT_TRUE(plan.isOk()) << plan.status().message();
        EXPECT_TRUE(plan->refused.empty());
        auto done = applyPlan(c, *plan);
        EXPECT_TRUE(done.isOk() && done->sideRefused.empty());
        const auto out = records(c);
        if (std::string(format) == "tc") {
            auto cover = c.sideData().cover(1);
            EXPECT_TRUE(cover.isOk() && !cover->empty() && test::readAll(*cover) == kPng);
            auto loan = c.sideData().currentLoan(2);
            EXPECT_TRUE(loan.isOk() && loan->has_value());
            if (loan.isOk() && loan->has_value()) {
                EXPECT_EQ((*loan)->person, "Ann J\xF6rg");
                EXPECT_EQ((*loan)->due.day, 1);
            }
            EXPECT_EQ(plan->covers + plan->loans, 2u); // the loan given back stays behind
        } else {
            EXPECT_EQ(plan->covers + plan->loans, 0u);
        }
        return out;
    }

    // The picture of the Tellico fixture.
    const std::string kPng = readFile(FIXTURES "/tellico.xml")->titles.at(0).coverBytes;
    test::TempDir dir;
    Catalogue ours;
};

} // namespace

TEST(Scales, RunTimeAndRatingSurviveTheWayOutAndBack) {
    for (int minutes : {0, 5, 60, 117, 600})
        EXPECT_EQ(minutesFromRunTime(runTimeFromMinutes(std::to_string(minutes))), minutes);
    EXPECT_EQ(minutesFromRunTime("1:42"), 102);
    EXPECT_EQ(minutesFromRunTime("1:75"), -1);
    EXPECT_EQ(minutesFromRunTime("long"), -1);
    EXPECT_EQ(runTimeFromMinutes("2 h"), "");
    for (size_t size : {1u, 2u, 4u, 5u})
        for (size_t i = 0; i < size; ++i)
            EXPECT_EQ(ratingIndex(ratingFromIndex(i, size, 5), 5, size), int(i)) << size;
    EXPECT_EQ(ratingIndex(0, 5, 4), -1);  // no rating
    EXPECT_EQ(ratingIndex(10, 10, 4), 0); // the best is the list's first
    EXPECT_EQ(ratingIndex(1, 10, 4), 3);
}

TEST_F(RoundTrip, CsvGivesEveryFieldBack) {
    const auto before = records(ours), after = exportAndImport("csv");
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(after[i], before[i]) << "title " << i + 1;
}

TEST_F(RoundTrip, TellicoGivesBackWhatItHolds) {
    const auto before = records(ours), after = exportAndImport("tc");
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        for (const auto& name : kTellicoFields) {
            if (name == "RATING" && field(before[i], name) == "Cult") continue;
            EXPECT_EQ(field(after[i], name), field(before[i], name)) << name << " of " << i + 1;
        }
        // The run time comes back as the same minutes, written hh:mm.
        EXPECT_EQ(minutesFromRunTime(field(after[i], "RUNTIME")),
                  minutesFromRunTime(field(before[i], "RUNTIME")));
        EXPECT_EQ(field(after[i], "USER1"), "");
    }
    EXPECT_EQ(field(after.back(), "RATING"), "");
}

TEST_F(RoundTrip, TellicoXmlIsValidAgainstTellicosDtd) {
    const char* dtd = "/usr/share/tellico/tellico.dtd";
    if (!std::filesystem::exists(dtd) || std::system("command -v xmllint >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xmllint or " << dtd << " is absent (Debian: libxml2-utils, tellico-data)";
    std::vector<ForeignTitle> titles;
    for (const auto& image : records(ours))
        titles.push_back(fromRecord(image, ours.titles(), catalogue::builtinRatings()));
    titles[0].coverName = "1.png";
    auto lint = [&](const std::vector<ForeignTitle>& t) {
        test::writeAll(dir.file("tellico.xml"), tellicoXml(t));
        const std::string cmd = std::string("xmllint --noout --nonet --dtdvalid ") + dtd + " " +
                                dir.file("tellico.xml") + " 2>" + dir.file("lint.txt");
        const int rc = std::system(cmd.c_str());
        return WIFEXITED(rc) && WEXITSTATUS(rc) == 0;
    };
    EXPECT_TRUE(lint(titles)) << test::readAll(dir.file("lint.txt"));
    // The DTD declares no attributes on borrower, though Tellico writes and reads its name and
    // uid: those two are the only differences a loan makes.
    titles[1].borrower = "Ann";
    titles[1].loanDate = "2026-11-02";
    EXPECT_FALSE(lint(titles));
    const std::string errors = test::readAll(dir.file("lint.txt"));
    size_t count = 0;
    for (size_t at = errors.find("validity error"); at != std::string::npos;
         at = errors.find("validity error", at + 1), ++count)
        EXPECT_NE(errors.substr(at, errors.find('\n', at) - at).find("of element borrower"),
                  std::string::npos)
            << errors;
    EXPECT_EQ(count, 2u) << errors;
}

TEST(Duplicates, SkippedOrMergedIntoTheBlankFields) {
    test::TempDir dir;
    ASSERT_TRUE(catalogue::createEmpty(dir.path()).isOk());
    Catalogue c;
    ASSERT_TRUE(c.open(dir.path()).isOk());
    std::string heat(c.titles().dbf()->recordLength(), ' ');
    for (const auto& f : catalogue::titleFields()) {
        if (f.name == "TITLE") dbf::setString(heat, f, "heat");
        if (f.name == "YEAR") dbf::setString(heat, f, "1995");
        if (f.name == "DIRECTOR") dbf::setString(heat, f, "M. Mann");
    }
    ASSERT_TRUE(c.appendMany({heat}).isOk());
    auto read = readFile(std::string(FIXTURES) + "/tellico-export.csv");
    ASSERT_TRUE(read.isOk());
    read->titles.push_back(read->titles.front()); // twice in the file too
    auto options = catalogueLists(dir.path());

    auto skip = planImport(*read, c.titles(), *options);
    EXPECT_TRUE(skip->appends.empty());
    EXPECT_EQ(skip->duplicatesSkipped, 2u);

    options->merge = true;
    auto merge = planImport(*read, c.titles(), *options);
    ASSERT_EQ(merge->merges.size(), 1u);
    ASSERT_TRUE(applyPlan(c, *merge).isOk());
    const auto after = records(c);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(field(after[0], "DIRECTOR"), "M. Mann"); // kept
    EXPECT_EQ(field(after[0], "CATEGORY"), "Crime");   // filled in
}

TEST(Duplicates, KeepTheirCoverAndLoanAndSayWhatWasNotStored) {
    test::TempDir dir;
    ASSERT_TRUE(catalogue::createEmpty(dir.path()).isOk());
    Catalogue c;
    ASSERT_TRUE(c.open(dir.path()).isOk());
    auto read = readFile(FIXTURES "/tellico.xml");
    ASSERT_TRUE(read.isOk());
    auto options = catalogueLists(dir.path());
    ASSERT_TRUE(applyPlan(c, *planImport(*read, c.titles(), *options)).isOk());
    const std::string cover = *c.sideData().cover(1);
    ASSERT_FALSE(cover.empty());

    // Again, merged: another picture, the loan again, and a third title whose loan has a date
    // that is no date.
    options->merge = true;
    const std::string other = read->titles[0].coverBytes + "another";
    read->titles[0].coverBytes = other;
    read->titles.push_back(read->titles[1]);
    read->titles.back().title = "Heat";
    read->titles.back().dueDate = "soon";
    auto plan = planImport(*read, c.titles(), *options);
    ASSERT_EQ(plan->appends.size(), 1u);
    auto done = applyPlan(c, *plan);
    ASSERT_TRUE(done.isOk());
    EXPECT_EQ(done->added, 1u);
    EXPECT_EQ(done->covers + done->loans, 0u);
    ASSERT_EQ(done->sideRefused.size(), 2u); // the title out already, and the date
    EXPECT_NE(done->sideRefused[0].find("\"Heat\""), std::string::npos);
    EXPECT_NE(done->sideRefused[0].find("soon"), std::string::npos);
    EXPECT_NE(done->sideRefused[1].find("already"), std::string::npos);
    EXPECT_EQ(*c.sideData().cover(1), cover);
    EXPECT_NE(test::readAll(cover), other);
    EXPECT_EQ(c.titles().recCount(), 3u);
}

TEST(Rkdb, RefusedOrPreviewedFilesWriteNothing) {
    test::TempDir dir;
    ASSERT_TRUE(catalogue::createEmpty(dir.path()).isOk());
    test::writeAll(dir.file("bomb.xml"),
                   "<?xml version=\"1.0\"?><!DOCTYPE root [<!ENTITY a \"aaaa\">]>"
                   "<root><movie><title>&a;</title></movie></root>");
    auto run = [&](const std::string& args) {
        const int rc = std::system(
            (std::string(RKDB_PATH) + " " + args + " >" + dir.file("out.txt") + " 2>&1").c_str());
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    };
    EXPECT_EQ(run("import-from " + dir.path() + " " + dir.file("bomb.xml")), 3);
    EXPECT_NE(test::readAll(dir.file("out.txt")).find("entities"), std::string::npos);
    EXPECT_EQ(run("import-from " + dir.path() + " " + FIXTURES "/gcstar.gcs --dry-run"), 0);
    EXPECT_NE(test::readAll(dir.file("out.txt")).find("Metropolis"), std::string::npos);
    Catalogue c;
    ASSERT_TRUE(c.open(dir.path()).isOk());
    EXPECT_EQ(c.titles().recCount(), 0u);
}

TEST_F(RoundTrip, DeletedTitlesAreNotExported) {
    const size_t all = records(ours).size();
    ASSERT_TRUE(ours.removeTitle(2).isOk());
    auto csv = exportCsv(ours.titles(), dir.file("out.csv"));
    auto tc = exportTellico(ours.titles(), dir.file("out.tc"), catalogue::builtinRatings());
    ASSERT_TRUE(csv.isOk() && tc.isOk());
    EXPECT_EQ(*csv, all - 1);
    EXPECT_EQ(*tc, all - 1);
    auto back = readFile(dir.file("out.tc"));
    ASSERT_TRUE(back.isOk());
    EXPECT_EQ(back->titles.size(), all - 1);
}

TEST_F(RoundTrip, OurOwnCommaExportNeedsNoHeader) {
    const std::string file = dir.file("export.txt");
    ASSERT_TRUE(ours.titles().copyFileText(file, store::TextFormat::CommaDelimited).isOk());
    ASSERT_TRUE(catalogue::createEmpty(dir.file("theirs")).isOk());
    Catalogue c;
    ASSERT_TRUE(c.open(dir.file("theirs")).isOk());
    auto plan = planBytes(test::readAll(file), Format::Unknown, c.titles(), MapOptions());
    ASSERT_TRUE(plan.isOk()) << plan.status().message();
    ASSERT_TRUE(applyPlan(c, *plan).isOk());
    EXPECT_EQ(records(c), records(ours));
}
