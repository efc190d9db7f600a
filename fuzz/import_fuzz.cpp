// The data file of the earlier versions: arbitrary bytes as the file. Counting and importing it
// into a titles table must end in a Status, never a crash; and every line's columns keep the
// import's rules (no double quote survives, no field is overfilled, the record stays a record).
#include "catalogue.h"
#include "mem_env.h"
#include "oldimport.h"
#include "record.h"
#include "table.h"

#include <cstdint>
#include <cstdlib>

using namespace rk;

namespace {

void checkLine(std::string_view line, const std::vector<dbf::FieldDef>& fields,
               const std::string& blank) {
    const auto parsed = store::oldfile::parseLine(line);
    for (const auto& t : parsed.text)
        if (t.find('"') != std::string::npos) std::abort();
    if (store::oldfile::fieldCount(line) < 0) std::abort();
    std::string image = blank;
    if (store::oldfile::fillRecord(parsed, fields, &image) && image.size() != blank.size())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto& fields = catalogue::titleFields();
    size_t length = 1;
    for (const auto& f : fields)
        length += f.length;
    const std::string blank(length, ' ');
    size_t start = 0;
    for (size_t i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes[i] != '\n' && bytes[i] != '\r') continue;
        checkLine(std::string_view(bytes).substr(start, i - start), fields, blank);
        start = i + 1;
    }

    MemEnv env;
    env.setFile("old.dat", bytes);
    if (!dbf::DbfFile::create("VIDEO.DBF", fields, {}, &env)) return 0;
    store::Table titles("VIDEO.DBF", {}, &env);
    if (!titles.open()) return 0;
    auto counts = store::countOldDataFile("old.dat", titles.fields(), &env);
    if (!counts) return 0;
    store::OldImportReport report;
    if (counts->shape.looksOld() != counts->shape.problem().empty()) std::abort();
    if (counts->skipped.size() > store::OldFileCounts::kListedSkips ||
        counts->preview.size() > store::OldFileCounts::kPreviewRecords)
        std::abort();
    const Status s = store::importOldDataFile(titles, "old.dat", *counts, {}, &report, &env);
    // Every line is a record or a line left out, as the count said.
    const uint32_t stored = counts->records - counts->skippedLines;
    if (s && (report.added != stored || report.skipped != counts->skippedLines ||
              titles.recCount() != stored))
        std::abort();
    return 0;
}
