// A thorough read of a table (and its indexes) that lists every problem it finds.
#pragma once

#include "env.h"
#include "status.h"

#include <string>
#include <vector>

namespace rk::store {

struct CheckReport {
    std::vector<std::string> problems; // anything unsound
    std::vector<std::string> notes;    // what was looked at
    bool sound() const { return problems.empty(); }
};

// Opens the table for reading only and checks its header, every record and its indexes.
// The Status is an error only when the table cannot be read at all, or its index cannot be
// opened (held by another program, not a file).
Result<CheckReport> checkTable(const std::string& path, Env* env = Env::standard());

} // namespace rk::store
