// The definition of an index tag, as given when an index file is created.
#pragma once

#include <string>

namespace rk::store {

struct TagSpec {
    std::string name; // at most 10 characters: letters, digits and _; stored upper case
    std::string key;  // xBase key expression
    std::string forExpr;
    bool descending = false;
    bool unique = false;
};

} // namespace rk::store
