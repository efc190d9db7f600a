// Fuzz target of the search language: any bytes are a query. Besides not crashing, every
// query must be accepted by a sound index (FtsSet never answers -13 because of what was
// typed), and the candidates must be exactly the texts that FtsVerify accepts.
#include "query.h"
#include "tfts.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace rk::search;

const std::vector<std::string> kTexts = {
    "Star Wars\x1F"
    "Lucas\x1F"
    "1977",
    "The Empire Strikes Back\x1F"
    "Kershner",
    "\xC9T\xC9 \xE0 Paris\x1F"
    "Fran\xE7ois Truffaut",
    "Stra\xDF"
    "e der Tr\xE4ume\x1F"
    "\x8C"
    "dipus",
    "Spider-Man 2\x1F"
    "R2D2's or OR",
    "",
    std::string("a\0b\0c d e f", 11),
    "Tom Hanks\x1FMeg Ryan\x1F"
    "SP - 120 Minut\x1F"
    "B&&W",
    std::string(300, 'z') + " zz",
    "one two three four five six seven eight nine ten",
};

class Fixture {
public:
    Fixture() {
        char dir[] = "/tmp/rk-query-fuzz-XXXXXX";
        if (!mkdtemp(dir)) std::abort();
        dir_ = dir;
        const std::string path = dir_ + "/Titles.ia";
        if (fts.FtsCreate(path, 20, 2, 1, 1) <= 0) std::abort();
        for (const auto& t : kTexts)
            if (fts.FtsAdd(t) <= 0) std::abort();
        if (fts.FtsClose() != 0 || fts.FtsOpen(path, 20, 1) <= 0) std::abort();
    }
    ~Fixture() {
        fts.FtsClose();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    TFts fts;

private:
    std::string dir_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Fixture f;
    const std::string query(reinterpret_cast<const char*>(data), size);

    const Query q = parseQuery(query);
    (void)describe(q);
    const std::string expr = fts5Expression(q);
    if (q.empty() != expr.empty()) std::abort();

    std::set<int32_t> verified, candidates;
    for (size_t i = 0; i < kTexts.size(); ++i)
        if (f.fts.FtsVerify(kTexts[i], query, 4) == 1) verified.insert(int32_t(i + 1));
    const int32_t set = f.fts.FtsSet(query);
    if (set == kFtsNotUsable) {
        std::fprintf(stderr, "the index refused [%s]: %s\n", expr.c_str(),
                     f.fts.lastStatus().message().c_str());
        std::abort();
    }
    if (set != 0)
        for (int32_t n; (n = f.fts.FtsNextRec()) > 0;)
            candidates.insert(n);
    if (candidates != verified) {
        std::fprintf(stderr, "candidates and verification differ for [%s]\n", expr.c_str());
        std::abort();
    }
    return 0;
}
