// rkdb import: the data file of an earlier version appended to the titles table, with the
// full-text index Titles.ia kept current when it exists. A file whose lines do not look like
// that data file (a comma export, another program's list) is refused unless --force; lines
// that cannot be stored are left out and listed, and the command then ends with kProblem.
#include "rkdb.h"

#include "catalogue.h"
#include "catalogue_engine.h"
#include "env.h"
#include "oldimport.h"
#include "table.h"

#include <filesystem>
#include <iostream>

namespace rkdb {

namespace {

using rk::Status;

// The ratings column 1 may hold: the catalogue's own list beside the table, or the built-in.
std::vector<std::string> ratingsBeside(const std::string& table) {
    const std::string folder = std::filesystem::path(table).parent_path().string();
    const std::string file =
        rk::findFileNoCase(folder.empty() ? "." : folder, rk::catalogue::kRatingsFile);
    auto list = rk::catalogue::readChoiceList(file, rk::catalogue::builtinRatings());
    return list ? *list : rk::catalogue::builtinRatings();
}

int runImport(const Args& a) {
    if (a.positional.size() != 2)
        return fail(kUsage, "usage: rkdb import TABLE.dbf FILE [--force]");
    const std::string& file = a.positional[1];
    OpenCatalogue c;
    if (int rc = c.open(a.positional[0])) return rc;

    const std::vector<std::string> ratings = ratingsBeside(c.table().path());
    auto counts =
        rk::store::countOldDataFile(file, c.table().fields(), rk::Env::standard(), &ratings);
    if (!counts) return fail(exitFor(counts.status()), counts.status().message());
    if (!counts->shape.looksOld() && !a.has("force"))
        return fail(kProblem, counts->shape.problem() +
                                  " Nothing was imported; --force imports it all the same.");
    std::cout << counts->records << " Records\n" << counts->fields << " Fields in this File.\n";

    const bool indexed = c.catalogue().hasTextIndex();
    rk::store::OldImportReport report;
    Status s = c.catalogue().importOld(file, *counts, {}, &report);
    if (!s) return fail(exitFor(s), s.message());
    std::cout << report.added << " records imported"
              << (indexed ? ", search index kept current" : "") << "\n";
    if (report.skipped == 0) return c.done();
    std::cerr << "rkdb: " << report.skipped
              << (report.skipped == 1 ? " line was left out because it cannot be stored:\n"
                                      : " lines were left out because they cannot be stored:\n");
    for (const auto& line : counts->skipped)
        std::cerr << "line " << line.line << ": " << escapeControls(line.reason) << "\n";
    if (counts->skippedLines > counts->skipped.size())
        std::cerr << "... and " << counts->skippedLines - counts->skipped.size() << " more\n";
    return c.done(kProblem);
}

} // namespace

RKDB_COMMAND("import", "import TABLE.dbf FILE [--force]", {}, runImport);

} // namespace rkdb
