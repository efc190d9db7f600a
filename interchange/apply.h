// The import's one write: the mapped titles through the catalogue engine.
#pragma once

#include "mapping.h"

#include <string_view>

#include <string>

namespace rk::catalogue {
class Catalogue;
}

namespace rk::interchange {

// The rating and media format lists of the catalogue folder (its Rats.dat and Formats.dat,
// or the built-in lists).
Result<MapOptions> catalogueLists(const std::string& dir);

// Reads a file's bytes as `format` (Unknown: found from the content) and plans its import
// into `titles`. CSV rows are mapped as they are read, so that a large file is never held
// as titles as well as text.
Result<ImportPlan> planBytes(std::string_view bytes, Format format, store::Table& titles,
                             const MapOptions& options, size_t previewCount = 10);

struct Applied {
    uint32_t added = 0, merged = 0;
    uint32_t covers = 0, loans = 0;       // stored
    std::vector<std::string> sideRefused; // "cover of \"Heat\": why", one per cover or loan
};
// Appends the plan's new titles in one batch (all or nothing, Titles.ia kept by the engine),
// then writes the merges in a second batch. A failure of the first writes nothing; a failure
// of the second says how many merges were written. Then each title's cover (only when the
// title has none) and loan go in one by one; one that cannot be stored is listed in
// sideRefused and changes nothing else. A loan without a date is dated today.
Result<Applied> applyPlan(catalogue::Catalogue& catalogue, const ImportPlan& plan);

} // namespace rk::interchange
