#include "apply.h"

#include "catalogue.h"
#include "catalogue_engine.h"
#include "env.h"
#include "readers.h"
#include "sidedata.h"

#include <cstdio>
#include <ctime>

namespace rk::interchange {

namespace {

dbf::Date today() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

// YYYY-MM-DD (Tellico) or DD/MM/YYYY (GCstar and others); false for anything else or a day
// not on the calendar.
bool parseDate(const std::string& text, dbf::Date* d) {
    int a = 0, b = 0, c = 0;
    char s1 = 0, s2 = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c%d%n", &a, &s1, &b, &s2, &c, &used) != 5 ||
        size_t(used) != text.size() || s1 != s2)
        return false;
    if (s1 == '-')
        *d = {a, b, c};
    else if (s1 == '/' || s1 == '.')
        *d = {c, b, a};
    else
        return false;
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (d->year < 1 || d->year > 9999 || d->month < 1 || d->month > 12 || d->day < 1 ||
        d->day > days[d->month - 1])
        return false;
    const bool leap = (d->year % 4 == 0 && d->year % 100 != 0) || d->year % 400 == 0;
    return !(d->month == 2 && d->day == 29 && !leap);
}

void storeSide(catalogue::SideData& side, uint32_t recno, const SideItems& s, Applied& done) {
    const std::string of = " of \"" + s.title + "\": ";
    if (!s.coverBytes.empty()) {
        auto existing = side.cover(recno);
        Status st = existing.status();
        if (existing && existing->empty())
            st = side.setCoverBytes(recno, s.coverBytes, s.coverName);
        if (!st)
            done.sideRefused.push_back("cover" + of + st.message());
        else if (existing && existing->empty())
            ++done.covers;
    }
    if (s.borrower.empty()) return;
    dbf::Date lent = today(), due;
    if (!s.loanDate.empty() && !parseDate(s.loanDate, &lent)) {
        done.sideRefused.push_back("loan" + of + "the date lent \"" + s.loanDate +
                                   "\" is not a date");
        return;
    }
    if (!s.dueDate.empty() && !parseDate(s.dueDate, &due)) {
        done.sideRefused.push_back("loan" + of + "the due date \"" + s.dueDate +
                                   "\" is not a date");
        return;
    }
    const Status st = side.lend(recno, s.borrower, lent, due);
    if (!st)
        done.sideRefused.push_back("loan" + of + st.message());
    else
        ++done.loans;
}

} // namespace

Result<MapOptions> catalogueLists(const std::string& dir) {
    MapOptions options;
    auto ratings = catalogue::readChoiceList(findFileNoCase(dir, catalogue::kRatingsFile),
                                             catalogue::builtinRatings());
    if (!ratings) return ratings.status();
    auto formats = catalogue::readChoiceList(findFileNoCase(dir, catalogue::kFormatsFile),
                                             catalogue::builtinFormats());
    if (!formats) return formats.status();
    for (auto& r : *ratings)
        if (!r.empty()) options.ratings.push_back(std::move(r));
    for (auto& f : *formats)
        if (!f.empty()) options.formats.push_back(std::move(f));
    return options;
}

Result<ImportPlan> planBytes(std::string_view bytes, Format format, store::Table& titles,
                             const MapOptions& options, size_t previewCount) {
    if (format == Format::Unknown) format = detectFormat(bytes);
    if (format != Format::Csv) {
        auto read = readBytes(bytes, format);
        if (!read) return read.status();
        return planImport(*read, titles, options, previewCount);
    }
    ImportPlanner planner(titles, options, previewCount);
    RK_RETURN_IF_ERROR(planner.start());
    CsvMapping mapping;
    auto table = parseCsv(
        bytes, [&](const std::vector<std::string>& header, std::vector<std::string>&& row) {
            if (mapping.empty()) mapping = guessMapping(header);
            planner.add(csvTitle(header, row, mapping));
            return Status::ok();
        });
    if (!table) return table.status();
    ImportPlan plan = planner.finish();
    if (table->windows1252) plan.notes.push_back("the file is not UTF-8; read as Windows-1252");
    return plan;
}

Result<Applied> applyPlan(catalogue::Catalogue& catalogue, const ImportPlan& plan) {
    Applied done;
    uint32_t first = 0;
    if (!plan.appends.empty()) {
        auto at = catalogue.appendMany(plan.appends);
        if (!at) return at.status();
        first = *at;
        done.added = uint32_t(plan.appends.size());
    }
    if (!plan.merges.empty()) {
        const Status s = catalogue.updateMany(plan.merges);
        if (!s)
            return s.withMessage(
                "the " + std::to_string(done.added) +
                " new titles are added, but the merge of duplicates failed: " + s.message());
        done.merged = uint32_t(plan.merges.size());
    }
    catalogue::SideData& side = catalogue.sideData();
    for (const auto& [index, items] : plan.appendSides)
        storeSide(side, first + uint32_t(index), items, done);
    for (const auto& [recno, items] : plan.mergeSides)
        storeSide(side, recno, items, done);
    return done;
}

} // namespace rk::interchange
