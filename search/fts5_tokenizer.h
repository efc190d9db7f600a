// Registers the index's tokenizer (tokenizer.h) with FTS5 under the name "rk1252", on one
// database connection.
//
// FTS5 receives each word as UTF-8: the folded Windows-1252 bytes are written as the code
// points of the same value (Latin-1 order). FTS5 counts characters in UTF-8 when it builds and
// searches prefix indexes, so it must never see the bare high bytes; the mapping is one to
// one and keeps prefixes prefixes, which is all that matching needs.
#pragma once

#include "status.h"

struct sqlite3;

namespace rk::search {

inline constexpr const char* kTokenizerName = "rk1252";

Status registerTokenizer(sqlite3* db);

} // namespace rk::search
