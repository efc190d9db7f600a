// Our titles out to other programs: Tellico's .tc (a zip holding tellico.xml, valid against
// Tellico's DTD, syntax version 11, a video collection) and CSV (UTF-8, a header row of our
// field names, RFC 4180 quoting, CR LF). Both write a temporary file beside the target and
// rename it into place, so that a failed export leaves no half file.
//
// What Tellico cannot hold: the fields that no Tellico video field stands for (ID, COUNTER,
// USER1..USER4, SPEED, SOUND, CLOSE_CAPT, CONTENT, MARKED, MULTI_SET, TAPES, AV_CLIP,
// CLIP_TYPE, PICTURE, SURROUND, CLIP_FILE), a run time that is not h:mm or minutes, and a
// rating that is not on the rating list (or a list longer than Tellico's five stars), a back
// cover, and the loans already given back (Tellico keeps only the loans still out). CSV holds
// every field of the record, and no covers or loans.
#pragma once

#include "foreign.h"
#include "status.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rk::store {
class Table;
}
namespace rk::catalogue {
class SideData;
}

namespace rk::interchange {

// The visible titles that are not deleted, in the table's active order; the number written.
Result<uint32_t> exportCsv(store::Table& titles, const std::string& path);
// With `side`, each title's front cover goes into the archive's images/ (named by the entry's
// cover field) and the loans still out into the collection's borrowers.
Result<uint32_t> exportTellico(store::Table& titles, const std::string& path,
                               const std::vector<std::string>& ratings,
                               catalogue::SideData* side = nullptr);

// tellico.xml for these titles (their covers named, their loans as borrowers).
std::string tellicoXml(const std::vector<ForeignTitle>& titles);

} // namespace rk::interchange
