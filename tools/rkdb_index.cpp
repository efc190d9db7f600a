// rkdb commands of the structural index: index (re-index) and pack.
#include "rkdb.h"

#include "catalogue_engine.h"
#include "table.h"

#include <iostream>

namespace rkdb {

namespace {

using rk::Status;
using rk::store::Table;

std::string baseName(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
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
    OpenCatalogue c;
    if (int rc = c.open(path, o)) return rc;
    Table& t = c.table();
    if (!t.index() && !rk::catalogue::catalogueTagsFor(path))
        return fail(kProblem, baseName(path) + " has no structural index to rebuild");
    Status s = c.catalogue().reindex(
        progressLine((t.index() ? "re-indexing " : "indexing ") + baseName(path)));
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
    OpenCatalogue c;
    if (int rc = c.open(path)) return rc;
    rk::catalogue::Catalogue::PackSteps steps;
    steps.tables = progressLine("packing " + baseName(path));
    auto packed = c.catalogue().pack(steps);
    if (!packed) return fail(exitFor(packed.status()), packed.status().message());
    std::cout << "packed " << baseName(path) << ": " << packed->titlesKept << " records kept, "
              << packed->titlesBefore - packed->titlesKept << " removed\n";
    // The records are numbered anew: the full-text index was made anew too.
    if (!packed->textFailure.isOk()) {
        std::cerr << "rkdb: note: the table is packed, but " << c.catalogue().textIndexPath()
                  << " could not be built: " << packed->textFailure.message()
                  << "; build it with: rkdb index-text " << path << "\n";
        return kProblem;
    }
    if (packed->textIndexBuilt) {
        std::cerr << "rkdb: indexed " << packed->text.records << " records into "
                  << c.catalogue().textIndexPath() << "\n";
        if (packed->text.failed) return kProblem;
    }
    return kOk;
}

} // namespace

RKDB_COMMAND("index", "index TABLE.dbf", {}, runIndex);
RKDB_COMMAND("pack", "pack TABLE.dbf", {}, runPack);

} // namespace rkdb
