// rkdb import-from and export-to: another catalogue program's file into the titles table, and
// the titles out as Tellico or CSV (interchange/). A module of its own (rkdb-interchange.so),
// so that libxml2 and libzip are loaded only for these two commands.
#include "rkdb.h"

#include "apply.h"
#include "catalogue_engine.h"
#include "export.h"
#include "readers.h"
#include "sidedata.h"
#include "table.h"

#include <filesystem>
#include <iostream>

namespace rkdb {

namespace {

using namespace rk::interchange;

std::string folderOf(const rk::store::Table& t) {
    const std::string dir = std::filesystem::path(t.path()).parent_path().string();
    return dir.empty() ? "." : dir;
}

void printCounts(const char* what, uint32_t titles, const std::map<std::string, uint32_t>& by) {
    if (titles == 0) return;
    std::cout << what << ": " << titles << " titles (";
    bool first = true;
    for (const auto& [name, count] : by) {
        std::cout << (first ? "" : ", ") << escapeControls(name) << " " << count;
        first = false;
    }
    std::cout << ")\n";
}

int runImportFrom(const Args& a) {
    const char* usage = "usage: rkdb import-from TABLE.dbf FILE [--format F] [--dry-run] "
                        "[--merge] [--user-fields]";
    if (a.positional.size() != 2) return fail(kUsage, usage);
    Format format = Format::Unknown;
    if (a.has("format")) {
        format = formatByName(a.get("format"));
        if (format == Format::Unknown)
            return fail(kUsage, "--format is one of tellico, gcstar, datacrow, griffith, csv");
    }
    const bool dryRun = a.has("dry-run");
    OpenCatalogue c;
    rk::store::TableOptions options;
    if (dryRun) options = readOptions();
    if (int rc = c.open(a.positional[0], options)) return rc;

    const std::string& file = a.positional[1];
    auto lists = catalogueLists(folderOf(c.table()));
    if (!lists) return fail(exitFor(lists.status()), lists.status().message());
    lists->merge = a.has("merge");
    lists->othersToUserFields = a.has("user-fields");
    auto bytes = loadFile(file);
    if (!bytes) return fail(kFileError, "cannot import " + file + ": " + bytes.status().message());
    if (format == Format::Unknown) format = detectFormat(*bytes);
    auto plan = planBytes(*bytes, format, c.table(), *lists);
    if (!plan) {
        // A failure of the table is told as such; anything else is the file's.
        const bool table = plan.status().code() != rk::Status::Code::InvalidArgument;
        return fail(table ? exitFor(plan.status()) : kFileError,
                    table ? plan.status().message()
                          : "cannot import " + file + ": " + plan.status().message());
    }
    std::string().swap(*bytes);

    for (const auto& note : plan->notes)
        std::cerr << "rkdb: note: " << escapeControls(note) << "\n";
    std::cout << "format: " << formatName(format) << "\n"
              << "read: " << plan->read << " titles\n"
              << "new: " << plan->appends.size() << " titles\n"
              << "duplicates (title and year): " << plan->duplicatesSkipped + plan->duplicatesMerged
              << (lists->merge ? " merged" : " skipped") << "\n"
              << "refused: " << plan->refused.size() << "\n";
    printCounts("cut", plan->titlesCut, plan->cut);
    printCounts("transliterated", plan->titlesTransliterated, plan->transliterated);
    printCounts("left out", plan->titlesWithLeftOut, plan->leftOut);
    std::cout << "covers: " << plan->covers << ", loans: " << plan->loans << "\n";
    for (const auto& r : plan->refused)
        std::cerr << "rkdb: refused: " << r << "\n";
    if (!plan->preview.empty()) std::cout << "first titles:\n";
    for (const auto& line : plan->preview)
        std::cout << "  " << escapeControls(line) << "\n";
    if (dryRun) return plan->refused.empty() ? kOk : kProblem;

    auto done = applyPlan(c.catalogue(), *plan);
    if (!done) return fail(exitFor(done.status()), done.status().message());
    std::cout << "added: " << done->added << " titles";
    if (done->merged) std::cout << ", merged into " << done->merged;
    std::cout << "\nstored: " << done->covers << " covers, " << done->loans << " loans\n";
    for (const auto& r : done->sideRefused)
        std::cerr << "rkdb: not stored: " << escapeControls(r) << "\n";
    return c.done(plan->refused.empty() && done->sideRefused.empty() ? kOk : kProblem);
}

int runExportTo(const Args& a) {
    const char* usage = "usage: rkdb export-to TABLE.dbf FILE --format tellico|csv";
    const std::string format = a.get("format");
    if (a.positional.size() != 2 || (format != "tellico" && format != "csv"))
        return fail(kUsage, usage);
    // The catalogue engine, for the covers and loans beside the titles.
    OpenCatalogue c;
    if (int rc = c.open(a.positional[0], readOptions())) return rc;
    rk::store::Table& t = c.table();
    const std::string& file = a.positional[1];
    rk::Result<uint32_t> written = uint32_t(0);
    if (format == "csv") {
        written = exportCsv(t, file);
    } else {
        auto lists = catalogueLists(folderOf(t));
        if (!lists) return fail(exitFor(lists.status()), lists.status().message());
        rk::catalogue::SideData& side = c.catalogue().sideData();
        written = exportTellico(t, file, lists->ratings, side.dir().empty() ? nullptr : &side);
    }
    if (!written) return fail(kFileError, written.status().message());
    std::cout << *written << " titles written to " << escapeControls(file) << "\n";
    return kOk;
}

} // namespace

RKDB_COMMAND("import-from",
             "import-from TABLE.dbf FILE [--format F] [--dry-run] [--merge] [--user-fields]",
             {"format"}, runImportFrom);
RKDB_COMMAND("export-to", "export-to TABLE.dbf FILE --format tellico|csv", {"format"}, runExportTo);

} // namespace rkdb
