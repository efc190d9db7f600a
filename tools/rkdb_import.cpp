// rkdb import: the data file of an earlier version appended to the titles table, with the
// full-text index Titles.ia kept current when it exists.
#include "rkdb.h"

#include "catalogue_engine.h"
#include "oldimport.h"
#include "table.h"

#include <iostream>

namespace rkdb {

namespace {

using rk::Status;

int runImport(const Args& a) {
    if (a.positional.size() != 2) return fail(kUsage, "usage: rkdb import TABLE.dbf FILE");
    const std::string& file = a.positional[1];
    OpenCatalogue c;
    if (int rc = c.open(a.positional[0])) return rc;

    auto counts = rk::store::countOldDataFile(file, c.table().fields());
    if (!counts) return fail(exitFor(counts.status()), counts.status().message());
    std::cout << counts->records << " Records\n" << counts->fields << " Fields in this File.\n";

    const bool indexed = c.catalogue().hasTextIndex();
    rk::store::OldImportReport report;
    Status s = c.catalogue().importOld(file, *counts, {}, &report);
    if (!s) return fail(exitFor(s), s.message());
    std::cout << report.added << " records imported"
              << (indexed ? ", search index kept current" : "") << "\n";
    return c.done();
}

} // namespace

RKDB_COMMAND("import", "import TABLE.dbf FILE", {}, runImport);

} // namespace rkdb
