#include "apply.h"

#include "catalogue.h"
#include "catalogue_engine.h"
#include "env.h"

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
