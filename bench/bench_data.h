// Synthetic catalogues for the benchmarks: N titles with varied text, made once and kept in
// a data folder ($RK_BENCH_DATA, default /tmp/rk-bench-data) so that later runs reuse them.
#pragma once

#include <cstdint>
#include <string>

namespace rk::bench {

// The folder holding the catalogue of n titles (VIDEO.DBF, Cats.dbf and their index files),
// made when missing. Aborts the program with a message when it cannot be made.
std::string catalogueOf(uint32_t n);

// The VIDEO.DBF of catalogueOf(n), its index made when it has none.
std::string indexedTitles(uint32_t n);

// A title record image for number i (deterministic); `marked` about one in ten.
std::string titleImage(uint32_t i);

// The categories the generator uses.
const char* categoryName(uint32_t k);
constexpr uint32_t kCategories = 16;

} // namespace rk::bench
