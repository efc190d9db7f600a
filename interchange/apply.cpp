#include "apply.h"

#include "catalogue.h"
#include "catalogue_engine.h"
#include "env.h"
#include "readers.h"

namespace rk::interchange {

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
    if (!plan.appends.empty()) {
        auto first = catalogue.appendMany(plan.appends);
        if (!first) return first.status();
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
    return done;
}

} // namespace rk::interchange
