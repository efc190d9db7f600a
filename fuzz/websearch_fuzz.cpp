// Arbitrary bytes as the internet search's address file: reading never faults, every address
// it keeps is an http(s) address without spaces or control characters, and the table written
// back from what was read reads again the same, with nothing to report.
#include "webaddress.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

void check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace rk::search;
    const auto read =
        readSearchAddresses(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const std::string& address : read.addresses.address) {
        check(address.rfind("https://", 0) == 0 || address.rfind("http://", 0) == 0,
              "an address that is not http(s) was kept");
        for (const char c : address)
            check(static_cast<unsigned char>(c) > ' ' && c != 0x7F,
                  "an address with a space or a control character was kept");
        (void)searchAddress(read.addresses, SearchChoice::Writers, "a & b");
    }
    const auto again = readSearchAddresses(searchAddressesText(read.addresses));
    check(again.problems.empty(), "a written table has problems");
    check(again.addresses.address == read.addresses.address, "a written table reads otherwise");
    return 0;
}
