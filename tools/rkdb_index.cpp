// rkdb commands of the structural index: index (re-index) and pack.
#include "rkdb.h"

#include "catalogue.h"
#include "cdx.h"
#include "table.h"

#include <algorithm>
#include <cctype>
#include <iostream>

namespace rkdb {

namespace {

using rk::Status;
using rk::store::Table;

std::string baseName(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool sameName(std::string a, std::string b) {
    auto up = [](std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    };
    return up(std::move(a)) == up(std::move(b));
}

// The catalogue's tags for its two tables, to make an index that is missing or unreadable.
bool catalogueTags(const std::string& path, std::vector<rk::store::TagSpec>* tags) {
    const std::vector<rk::catalogue::TagDef>* defs = nullptr;
    if (sameName(baseName(path), rk::catalogue::kTitlesFile)) defs = &rk::catalogue::titleTags();
    if (sameName(baseName(path), rk::catalogue::kCategoriesFile))
        defs = &rk::catalogue::categoryTags();
    if (!defs) return false;
    for (const auto& d : *defs)
        tags->push_back({d.name, d.key, d.forExpr});
    return true;
}

// "re-indexing VIDEO.DBF  42%" on standard error, rewritten in place.
rk::store::Progress progressLine(const std::string& what) {
    return [what](int percent) {
        std::cerr << "\r" << what << " " << percent << "%" << std::flush;
        if (percent >= 100) std::cerr << "\n";
    };
}

int runIndex(const Args& a) {
    if (a.positional.size() != 1) return fail(kUsage, "usage: rkdb index TABLE.dbf");
    const std::string& path = a.positional[0];
    rk::store::TableOptions o;
    o.rebuildProgress = progressLine("rebuilding " + baseName(path));
    Table t(path, o);
    if (int rc = openTable(t)) return rc;
    Status s;
    if (t.index()) {
        s = t.reindex(progressLine("re-indexing " + baseName(path)));
    } else {
        std::vector<rk::store::TagSpec> tags;
        if (!catalogueTags(path, &tags))
            return fail(kProblem, baseName(path) + " has no structural index to rebuild");
        s = t.createIndex(tags, progressLine("indexing " + baseName(path)));
    }
    if (!s) {
        std::cerr << "\n"; // ends the progress line that the failure cut short
        return fail(exitFor(s), s.message());
    }
    std::cout << "re-indexed " << baseName(path) << ": " << t.tagNames().size() << " tags, "
              << t.recCount() << " records\n";
    return kOk;
}

int runPack(const Args& a) {
    if (a.positional.size() != 1) return fail(kUsage, "usage: rkdb pack TABLE.dbf");
    const std::string& path = a.positional[0];
    Table t(path);
    if (int rc = openTable(t)) return rc;
    uint32_t before = t.recCount();
    Status s = t.pack(progressLine("packing " + baseName(path)));
    if (!s) return fail(exitFor(s), s.message());
    std::cout << "packed " << baseName(path) << ": " << t.recCount() << " records kept, "
              << before - t.recCount() << " removed\n";
    // The records are numbered anew: the full-text index is made anew too.
    const std::string indexPath = titlesIndexOf(path);
    return indexPath.empty() ? kOk : buildTitlesIndex(t, indexPath);
}

} // namespace

RKDB_COMMAND("index", "index TABLE.dbf", {}, runIndex);
RKDB_COMMAND("pack", "pack TABLE.dbf", {}, runPack);

} // namespace rkdb
