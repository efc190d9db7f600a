// Arbitrary bytes as a cover picture: the check reads only what is there and ends in a size
// within the limits or a refusal, never a fault.
#include "imagecheck.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto info = rk::catalogue::checkImage(
        std::string_view(reinterpret_cast<const char*>(data), size), "fuzz");
    if (info &&
        (info->width == 0 || info->height == 0 || info->width > rk::catalogue::kMaxImageSide ||
         info->height > rk::catalogue::kMaxImageSide))
        std::abort();
    return 0;
}
