// rkdb import: the data file of an earlier version appended to the titles table, with the
// full-text index Titles.ia kept current when it exists.
#include "rkdb.h"

#include "oldimport.h"
#include "table.h"
#include "titleindex.h"

#include <filesystem>
#include <iostream>

namespace rkdb {

namespace {

using rk::Status;

int runImport(const Args& a) {
    if (a.positional.size() != 2) return fail(kUsage, "usage: rkdb import TABLE.dbf FILE");
    const std::string& table = a.positional[0];
    const std::string& file = a.positional[1];
    rk::store::Table t(table);
    if (int rc = openTable(t)) return rc;

    auto counts = rk::store::countOldDataFile(file, t.fields());
    if (!counts) return fail(exitFor(counts.status()), counts.status().message());
    std::cout << counts->records << " Records\n" << counts->fields << " Fields in this File.\n";

    std::string dir = std::filesystem::path(table).parent_path().string();
    const std::string indexPath = rk::search::titlesIndexPath(dir.empty() ? "." : dir);
    const bool indexed = rk::search::indexFileExists(indexPath);
    rk::search::TFts fts;
    rk::store::OldImportReport report;
    Status s = rk::search::importOldTitles(fts, t, file, *counts, indexPath, {}, &report);
    if (!s) return fail(exitFor(s), s.message());
    std::cout << report.added << " records imported"
              << (indexed ? ", search index kept current" : "") << "\n";
    return kOk;
}

} // namespace

RKDB_COMMAND("import", "import TABLE.dbf FILE", {}, runImport);

} // namespace rkdb
