// The pocket catalogue: the page holds every visible title once, its filter (run under node)
// finds what rkdb search finds, its folding is the tokenizer's, and nothing in a title can
// run as script.
#include "catalogue.h"
#include "cp1252.h"
#include "dbf.h"
#include "pocket.h"
#include "record.h"
#include "table.h"
#include "testdir.h"
#include "tokenizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <sys/wait.h>

using rk::search::test::readFile;
using rk::search::test::TestDir;
using rk::search::test::writeFile;

namespace {

std::string run(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
        out.append(buf.data(), n);
    const int rc = pclose(p);
    if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Lines "key\tvalue" grouped by key, each group sorted.
std::map<std::string, std::vector<std::string>> grouped(const std::string& text) {
    std::map<std::string, std::vector<std::string>> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        out[line.substr(0, tab)].push_back(line.substr(tab + 1));
    }
    for (auto& [key, values] : out)
        std::sort(values.begin(), values.end());
    return out;
}

// The titles of "recno\ttitle" lines, sorted.
std::vector<std::string> titlesOf(const std::string& rkdbOutput) {
    std::vector<std::string> out;
    for (auto& [recno, titles] : grouped(rkdbOutput))
        out.insert(out.end(), titles.begin(), titles.end());
    std::sort(out.begin(), out.end());
    return out;
}

const char* const kPayloads[] = {
    "</script><script>document.title='pwned'</script>",
    "<img src=x onerror=\"document.title='pwned'\">",
    "Tom & Jerry's \"Big\" Day <3 <!-- ",
};

class PocketCatalogue : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rk::catalogue::createSample(d_.dir()).isOk());
        rk::store::Table t(d_.file("VIDEO.DBF"));
        ASSERT_TRUE(t.open().isOk());
        auto add = [&](const std::vector<std::pair<const char*, std::string>>& values) {
            std::string image = t.dbf()->blankRecord();
            for (const auto& [field, utf8] : values)
                rk::dbf::setString(image, *t.field(field), rk::cp1252::fromUtf8(utf8).value());
            ASSERT_TRUE(t.appendRecord(image).isOk());
        };
        add({{"TITLE", "Été Éternel"}, {"DIRECTOR", "Jean Bœuf"}, {"YEAR", "1998"}});
        add({{"TITLE", "Die Straße der Cœurs"}, {"STAR1", "ÆSA Ørsted"}});
        add({{"TITLE", "AMÉLIE À PARIS"}, {"SUMMARY", "Spider-Man's day off in Montréal"}});
        for (const char* p : kPayloads)
            add({{"TITLE", p}, {"CATEGORY", "Script"}});
        // A deleted title is not visible, so not in the page.
        ASSERT_TRUE(t.goTop().isOk());
        ASSERT_TRUE(t.deleteRecord().isOk());
    }
    std::string table() const { return d_.file("VIDEO.DBF"); }
    TestDir d_;
};

TEST_F(PocketCatalogue, HoldsEveryVisibleTitleOnceAndFindsWhatRkdbSearchFinds) {
    const std::string page = d_.file("pocket.html");
    int status = -1;
    run(std::string(RKDB_PATH) + " pocket " + table() + " " + page + " 2>/dev/null", &status);
    ASSERT_EQ(status, 0);

    const std::vector<std::string> queries = {
        // Typed one after another: erasing back to "the" and to "amel" must widen again.
        "the",         "star",    "spielberg",  "the lost",      "the",           "Amélie",
        "amelie",      "amel",    "AMEL",       "été",           "eter",          "ETERNEL",
        "straße",      "strasse", "coeur",      "cœurs",         "aesa",          "ørsted",
        "milos",       "miloš",   "spider-man", "\"lost ark\"",  "alien OR jaws", "-the star",
        "schindler's", "script",  "pwned",      "\"tom jerry\"", "montreal",      "OR",
        "1998",
    };
    std::string list;
    for (const auto& q : queries)
        list += q + "\n";
    writeFile(d_.file("queries.txt"), list);
    const auto got = grouped(run(std::string(NODE_PATH) + " " + POCKET_FILTER_JS + " " + page +
                                     " " + d_.file("queries.txt"),
                                 &status));
    ASSERT_EQ(status, 0);

    // Every visible title exactly once: the page's titles are rkdb list's titles.
    const auto visible = titlesOf(run(std::string(RKDB_PATH) + " list " + table()));
    ASSERT_GT(visible.size(), 70u);
    EXPECT_EQ(got.count("title") ? got.at("title") : std::vector<std::string>{}, visible);

    for (size_t k = 0; k < queries.size(); ++k) {
        const auto expected = titlesOf(run(std::string(RKDB_PATH) + " search " + d_.dir() + " " +
                                           quoted(queries[k]) + " 2>/dev/null"));
        const std::string typed = "typed" + std::to_string(k), whole = "whole" + std::to_string(k);
        const auto none = std::vector<std::string>{};
        EXPECT_EQ(got.count(whole) ? got.at(whole) : none, expected) << queries[k];
        EXPECT_EQ(got.count(typed) ? got.at(typed) : none, expected) << queries[k] << " (typed)";
        const std::string sliced = "sliced" + std::to_string(k);
        EXPECT_EQ(got.count(sliced) ? got.at(sliced) : none, expected) << queries[k] << " (sliced)";
        if (k < 3) {
            EXPECT_FALSE(expected.empty()) << queries[k];
        }
    }
}

TEST_F(PocketCatalogue, NothingInATitleRunsAsScript) {
    rk::store::Table t(table());
    ASSERT_TRUE(t.open().isOk());
    auto titles = rk::search::pocketTitles(t);
    ASSERT_TRUE(titles.isOk());
    const std::string html = rk::search::pocketHtml(*titles, {"<b>My & \"Films\"</b>", "</p>"});
    std::string lower = html;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    auto count = [&](const std::string& what) {
        size_t n = 0;
        for (size_t at = lower.find(what); at != std::string::npos; at = lower.find(what, at + 1))
            ++n;
        return n;
    };
    // Only the page's own four script elements; no markup from a title or the heading.
    EXPECT_EQ(count("<script"), 4u);
    EXPECT_EQ(count("</script"), 4u);
    EXPECT_EQ(count("<img"), 0u);
    EXPECT_EQ(count("<!--"), 0u);
    EXPECT_EQ(count("<b>"), 0u);
    EXPECT_NE(html.find("<h1 dir=\"auto\">&lt;b&gt;My &amp; &quot;Films&quot;&lt;/b&gt;</h1>"),
              std::string::npos);
    EXPECT_NE(html.find(">&lt;/p&gt;</p>"), std::string::npos);
    // The page puts text on screen through textContent only.
    for (const char* sink : {"innerhtml", "outerhtml", "insertadjacenthtml", "document.write",
                             "eval(", "new function"})
        EXPECT_EQ(count(sink), 0u) << sink;
}

TEST(PocketJson, EscapesWhatCouldEndTheScriptAndKeepsTheRest) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\"b\\c", R"("a\"b\\c")"},
        {"</script>&", R"("\u003c/script\u003e\u0026")"},
        {"tab\there\x01", R"("tab\u0009here\u0001")"},
        {"\xC2\x85 \xE2\x80\xA8 \xE2\x80\xA9", R"("\u0085 \u2028 \u2029")"},
        {"Am\xC3\xA9lie \xD7\x90\xE2\x80\xAE",
         "\"Am\xC3\xA9lie \xD7\x90\xE2\x80\xAE\""},                     // é, alef, RLO
        {"bad \xFF \xC3 end", "\"bad \xEF\xBF\xBD \xEF\xBF\xBD end\""}, // not UTF-8: U+FFFD
        {"\xF0\x9F\x8E\xAC", "\"\xF0\x9F\x8E\xAC\""},
    };
    for (const auto& [in, want] : cases) {
        std::string out;
        rk::search::appendJsonString(out, in);
        EXPECT_EQ(out, want);
    }
}

TEST(PocketFolding, TheScriptSplitsAndFoldsEveryByteAsTheTokenizerDoes) {
    TestDir d;
    // Every byte of the code page between letters (a line of words of ordinary lengths, as
    // titles have), and on a line of its own a word longer than the cut.
    std::string text;
    for (int b = 1; b < 256; ++b)
        text += std::string("x") + char(b) + "Y ";
    text += "\xC6sop's Stra\xDF"
            "e \x8Cuvre\n" +
            std::string(300, 'W') + "\xC9 end";
    std::string words;
    rk::search::forEachWord(text, [&](std::string_view w, size_t, size_t) {
        words += "\t" + rk::cp1252::toUtf8(w) + "\n";
    });
    // Both ways of the script: word by word (queries) and the faster one (titles).
    std::string expected;
    for (const char* way : {"word", "joined"}) {
        std::istringstream in(words);
        for (std::string line; std::getline(in, line);)
            expected += way + line + "\n";
    }
    writeFile(d.file("words.txt"), rk::cp1252::toUtf8(text));
    writeFile(d.file("queries.txt"), "");
    writeFile(d.file("page.html"), rk::search::pocketHtml({}, {}));
    int status = -1;
    const std::string got =
        run(std::string(NODE_PATH) + " " + POCKET_FILTER_JS + " " + d.file("page.html") + " " +
                d.file("queries.txt") + " " + d.file("words.txt"),
            &status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(got, expected);
}

// Written a piece at a time, the page is the whole page of the titles in title order: the
// title tag's order (upper case, padded with blanks), then record number.
TEST(PocketWrite, ThePageWrittenInPiecesHoldsEveryTitleInTitleOrder) {
    TestDir d;
    ASSERT_TRUE(rk::catalogue::createSample(d.dir()).isOk());
    rk::store::Table t(d.file("VIDEO.DBF"));
    ASSERT_TRUE(t.open().isOk());
    const std::vector<std::string> tricky = {"abc", "ABC!", "Abc", "ABC\x01", "ab", "ABC"};
    std::string image = t.dbf()->blankRecord();
    ASSERT_TRUE(t.beginBatch().isOk());
    for (int i = 0; i < 1000; ++i) {
        const std::string title =
            i < int(tricky.size()) ? tricky[size_t(i)] : "Title " + std::to_string(i * 7919 % 1000);
        rk::dbf::setString(image, *t.field("TITLE"), title);
        rk::dbf::setString(image, *t.field("SUMMARY"), std::string(200, char('a' + i % 26)));
        ASSERT_TRUE(t.appendRecord(image).isOk());
    }
    ASSERT_TRUE(t.endBatch().isOk());
    ASSERT_TRUE(t.go(7).isOk());

    auto written = rk::search::writePocketCatalogue(t, d.file("p.html"), {"Films", "x"});
    ASSERT_TRUE(written.isOk());
    EXPECT_EQ(t.recNo(), 7u); // the cursor is where it was
    auto titles = rk::search::pocketTitles(t);
    ASSERT_TRUE(titles.isOk());
    ASSERT_EQ(titles->size(), *written);
    std::ifstream in(d.file("p.html"), std::ios::binary);
    const std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_GT(page.size(), 270u * 1024); // more than one piece
    EXPECT_TRUE(page == rk::search::pocketHtml(*titles, {"Films", "x"}));

    std::vector<std::pair<std::string, uint32_t>> expected;
    std::vector<uint32_t> recnos;
    ASSERT_TRUE(t.visibleRecords(&recnos).isOk());
    for (uint32_t r : recnos) {
        ASSERT_TRUE(t.go(r).isOk());
        expected.emplace_back(rk::cp1252::upper(rk::dbf::rawField(t.record(), *t.field("TITLE"))),
                              r);
    }
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(expected.size(), titles->size());
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_TRUE(t.go(expected[i].second).isOk());
        EXPECT_EQ((*titles)[i][rk::search::kPocketTitle],
                  rk::cp1252::toUtf8(rk::dbf::trimmedField(t.record(), *t.field("TITLE"))))
            << i;
    }
}

TEST(PocketWrite, AFailedWriteLeavesNoFile) {
    TestDir d;
    ASSERT_TRUE(rk::catalogue::createSample(d.dir()).isOk());
    rk::store::Table t(d.file("VIDEO.DBF"));
    ASSERT_TRUE(t.open().isOk());
    const auto written = rk::search::writePocketCatalogue(t, d.file("no/such/folder/p.html"), {});
    EXPECT_FALSE(written.isOk());
    EXPECT_FALSE(std::filesystem::exists(d.file("no/such/folder/p.html.tmp")));
}

} // namespace
