// Queries answered from the tags. A query's comparisons of a tag's key expression, or of its
// leading part, with a text become key ranges of that tag; the records of the ranges,
// combined as the query's .AND., .OR. and .NOT. combine the comparisons, are the candidates:
// every record for which the query holds is among them. Table::query then tests the whole
// query on the candidates alone, so its answer is the one a pass over every record gives.
//
// A comparison uses a tag when its left side is the key expression's first parts (fields and
// texts joined with +) with the same UPPER, or a field written without UPPER where the key
// has it (the range is then that of the upper-cased text: a superset). Tags that do not hold
// every record are never used: unique tags (one record per key) and tags with a FOR condition.
#pragma once

#include "dbf.h"
#include "expr.h"
#include "status.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rk::store {

class IndexFile;

// How the last query found its records.
struct QueryPlan {
    bool fromTags = false;         // false: every record was read and tested
    bool exact = false;            // the tags gave exactly the query's records: none tested
    bool kept = false;             // the answer an earlier pass gave, kept current: none read
    std::vector<std::string> tags; // the tags whose key ranges gave the candidates
    uint64_t keys = 0;             // index entries read
    uint32_t candidates = 0;       // records read and tested
    std::string why;               // why no tag was used, when none was
    std::string describe() const;
};

// Marks in *bits (one byte per record number, 1..recCount, cleared first) a superset of the
// records for which `query` holds; plan->exact when they are exactly those records (every
// comparison answered by a tag with the same UPPER and a text within the key). False when the tags
// narrow nothing (then *bits is unspecified); an error when the index could not be read. `maxKeys`:
// a range with more entries is abandoned (a pass in record order reads them faster).
Result<bool> tagCandidates(IndexFile& index, const std::vector<dbf::FieldDef>& fields,
                           const xbase::Expr& query, uint32_t recCount, uint64_t maxKeys,
                           std::vector<uint8_t>* bits, QueryPlan* plan);

} // namespace rk::store
