// The index and FtsVerify must agree: for random texts and random queries, the entries that
// FtsSet and FtsNextRec propose are exactly the texts that FtsVerify accepts. In particular
// every text that verifies is a candidate, which is what the search relies on.
#include "tfts.h"

#include "testdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

using namespace rk::search;
using rk::search::test::TestDir;

namespace {

// Pieces chosen to collide under folding: é É e, ß ss, œ oe, æ Æ ae, digits, and the
// letters the code page adds (š, ÿ, Ÿ).
const std::vector<std::string> kPieces = {
    "a",  "an",   "ab",   "e", "\xE9", "\xC9", "t", "\xDF", "ss",   "s",  "o",  "\x9C", "oe",
    "ae", "\xC6", "\xE6", "1", "2",    "\x9A", "y", "\xFF", "\x9F", "OR", "or", "n"};
const std::vector<std::string> kBreaks = {" ",    " ",  " ", "  ",   "-", ",", std::string(1, '\0'),
                                          "\x1F", "\"", "'", "\xA0", "."};

class Generator {
public:
    explicit Generator(unsigned seed) : rng_(seed) {}

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    std::string word() {
        std::string w;
        for (int k = 1 + pick(3); k > 0; --k)
            w += kPieces[pick(int(kPieces.size()))];
        return w;
    }

    std::string text() {
        std::string t;
        for (int k = pick(12); k > 0; --k)
            t += word() + kBreaks[pick(int(kBreaks.size()))];
        if (pick(4) == 0) t += std::string(size_t(pick(300)), 'z'); // a word past the limit
        return t;
    }

    // A query word: often the beginning of a word that the texts can hold.
    std::string queryWord() {
        std::string w = word();
        if (pick(2)) w = w.substr(0, 1 + size_t(pick(int(w.size()))));
        return w;
    }

    std::string query() {
        std::string q;
        for (int k = 1 + pick(4); k > 0; --k) {
            switch (pick(9)) {
            case 0:
                q += "OR ";
                break;
            case 1:
                q += "-" + queryWord() + " ";
                break;
            case 2:
                q += "\"" + queryWord() + " " + queryWord() + "\" ";
                break;
            case 3:
                q += "-\"" + queryWord() + " " + queryWord() + "\" ";
                break;
            case 4:
                q += "\"" + queryWord() + " ";
                break; // unclosed
            case 5:
                q += queryWord() + "-" + queryWord() + " ";
                break;
            case 6:
                q += kBreaks[pick(int(kBreaks.size()))];
                break;
            default:
                q += queryWord() + " ";
                break;
            }
        }
        return q;
    }

private:
    std::mt19937 rng_;
};

unsigned seed() {
    const char* s = std::getenv("RK_PROPERTY_SEED");
    return s ? unsigned(std::strtoul(s, nullptr, 10)) : 20240611u;
}

} // namespace

TEST(Consistency, CandidatesAreExactlyTheTextsThatVerify) {
    const unsigned base = seed();
    TestDir d;
    int nonEmptyResults = 0, emptyResults = 0;
    for (int round = 0; round < 60; ++round) {
        Generator g(base + unsigned(round));
        std::vector<std::string> texts;
        for (int i = 0; i < 40; ++i)
            texts.push_back(g.text());

        const std::string path = d.file("round" + std::to_string(round) + ".ia");
        TFts fts;
        ASSERT_GT(fts.FtsCreate(path, 20, 2, 1, 1), 0);
        for (size_t i = 0; i < texts.size(); ++i)
            ASSERT_EQ(fts.FtsAdd(texts[i]), int32_t(i + 1));
        ASSERT_EQ(fts.FtsClose(), 0);
        ASSERT_GT(fts.FtsOpen(path, 20, 1), 0);

        for (int k = 0; k < 40; ++k) {
            const std::string q = g.query();
            std::set<int32_t> verified, candidates;
            for (size_t i = 0; i < texts.size(); ++i)
                if (fts.FtsVerify(texts[i], q, 4) == 1) verified.insert(int32_t(i + 1));
            const int32_t set = fts.FtsSet(q);
            ASSERT_NE(set, kFtsNotUsable) << fts.lastStatus().message();
            if (set != 0)
                for (int32_t n; (n = fts.FtsNextRec()) > 0;)
                    candidates.insert(n);
            ASSERT_EQ(candidates, verified) << "seed " << base + unsigned(round) << " query [" << q
                                            << "] parsed as [" << describe(parseQuery(q)) << "]";
            (verified.empty() ? emptyResults : nonEmptyResults)++;
        }
        fts.FtsClose();
    }
    // The generator must produce both kinds, or the property says little.
    EXPECT_GT(nonEmptyResults, 300);
    EXPECT_GT(emptyResults, 100);
}
