// rkdb commands of the full-text index: index-text (build Titles.ia) and search.
#include "rkdb.h"

#include "catalogue.h"
#include "cp1252.h"
#include "env.h"
#include "record.h"
#include "table.h"
#include "titleindex.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>

namespace rkdb {

namespace {

using rk::Status;
using rk::store::Table;
namespace search = rk::search;

// TABLE.dbf, or a data folder holding VIDEO.DBF.
std::string tablePath(const std::string& arg) {
    std::error_code ec;
    if (std::filesystem::is_directory(arg, ec))
        return rk::findFileNoCase(arg, rk::catalogue::kTitlesFile);
    return arg;
}

std::string dataDirOf(const std::string& table) {
    std::string dir = std::filesystem::path(table).parent_path().string();
    return dir.empty() ? "." : dir;
}

} // namespace

int buildTitlesIndex(Table& t, const std::string& indexPath) {
    search::TFts fts;
    uint32_t failed = 0;
    auto report = search::buildTitlesIndex(fts, t, indexPath, [&](int32_t r) {
        if (r < 0) {
            if (failed++ < 10)
                std::cerr << "rkdb: Error Adding Key: " << r << " (" << fts.lastStatus().message()
                          << ")\n";
        }
        return true;
    });
    if (!report) return fail(exitFor(report.status()), report.status().message());
    fts.FtsClose();
    std::cerr << "rkdb: indexed " << report->records << " records into " << indexPath;
    if (report->failed) std::cerr << " (" << report->failed << " could not be added)";
    std::cerr << "\n";
    return report->failed ? kProblem : kOk;
}

std::string titlesIndexOf(const std::string& table) {
    const std::string name = std::filesystem::path(table).filename().string();
    if (rk::cp1252::upper(name) != rk::catalogue::kTitlesFile) return "";
    const std::string path = search::titlesIndexPath(dataDirOf(table));
    return search::indexFileExists(path) ? path : "";
}

int keepTitlesIndexCurrent(Table& t, uint32_t deleted) {
    const std::string indexPath = titlesIndexOf(t.path());
    if (indexPath.empty()) return kOk;
    search::TFts fts;
    const int32_t r = deleted ? search::deleteTitleEntry(fts, indexPath, deleted)
                              : search::addTitleEntry(fts, indexPath, t);
    if (r >= 0) return kOk;
    std::cerr << "rkdb: note: the change is made, but " << indexPath
              << " could not be kept current: " << fts.lastStatus().message()
              << "; rebuild it with: rkdb index-text " << t.path() << "\n";
    return kProblem;
}

namespace {

// --field: an item index 0..11 or a caption of the Find dialog's list ("Stars").
int fieldChoice(const Args& a, int* out) {
    const std::string v = a.get("field", "0");
    char* end = nullptr;
    const long n = std::strtol(v.c_str(), &end, 10);
    if (!v.empty() && end && *end == '\0') {
        if (n < 0 || n >= search::kFieldChoiceCount)
            return fail(kUsage, "--field takes 0 to 11, or a name such as Titles or Stars");
        *out = int(n);
        return kOk;
    }
    *out = search::fieldChoiceByCaption(v);
    if (*out < 0) {
        std::string names;
        for (int i = 0; i < search::kFieldChoiceCount; ++i)
            names += std::string(i ? ", " : "") + search::fieldChoiceCaption(i);
        return fail(kUsage, "no field choice '" + v + "'; choose 0 to 11 or one of: " + names);
    }
    return kOk;
}

int runIndexText(const Args& a) {
    if (a.positional.size() != 1) return fail(kUsage, "usage: rkdb index-text TABLE.dbf|DIR");
    const std::string table = tablePath(a.positional[0]);
    Table t(table, readOptions());
    if (int rc = openTable(t)) return rc;
    return buildTitlesIndex(t, search::titlesIndexPath(dataDirOf(table)));
}

int runSearch(const Args& a) {
    if (a.positional.size() != 2)
        return fail(kUsage, "usage: rkdb search TABLE.dbf|DIR QUERY [--field N|NAME]");
    int choice = 0;
    if (int rc = fieldChoice(a, &choice)) return rc;
    auto query = rk::cp1252::fromUtf8(a.positional[1]);
    if (!query) return fail(kUsage, query.status().message());
    if (query->size() > search::kMaxQueryBytes)
        std::cerr << "rkdb: note: the query is cut after " << search::kMaxQueryBytes
                  << " characters\n";

    const std::string table = tablePath(a.positional[0]);
    Table t(table, readOptions());
    if (int rc = openTable(t)) return rc;
    std::vector<const rk::dbf::FieldDef*> fields;
    if (int rc = fieldList(t, a.get("fields", "TITLE"), &fields)) return rc;
    if (a.has("order"))
        if (int rc = setOrderByName(t, a.get("order"))) return rc;

    const std::string indexPath = search::titlesIndexPath(dataDirOf(table));
    if (!search::indexFileExists(indexPath)) {
        std::cerr << "rkdb: " << indexPath << " does not exist yet: building it first\n";
        if (int rc = buildTitlesIndex(t, indexPath); rc == kFileError) return rc;
    }
    auto result = search::searchTitles(t, indexPath, *query, choice);
    if (!result) return fail(exitFor(result.status()), result.status().message());
    if (result->outcome == search::SearchOutcome::NotUsable ||
        result->outcome == search::SearchOutcome::NeedsRebuild)
        return fail(kFileError, "no usable search index: " + result->detail.message() +
                                    "; rebuild it with: rkdb index-text " + a.positional[0]);
    if (result->outcome != search::SearchOutcome::Found) {
        std::cerr << "Text not found!\n";
        return kOk;
    }
    if (int rc = printRecords(t, fields)) return rc;
    std::cerr << result->report.matches << " Matches Found.\n";
    return kOk;
}

} // namespace

RKDB_COMMAND("index-text", "index-text TABLE.dbf|DIR   (rebuild the full-text index Titles.ia)", {},
             runIndexText);
RKDB_COMMAND("search",
             "search TABLE.dbf|DIR QUERY [--field N|NAME] [--fields F,G] [--order TAG]   "
             "(full-text search; builds Titles.ia when missing)",
             std::vector<std::string>({"field", "fields", "order"}), runSearch);

} // namespace rkdb
