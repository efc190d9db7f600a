// A check of a picture file before it is stored as a cover, without an image library: the
// file's signature says its kind (PNG, JPEG, GIF, WebP, BMP), and its header its size in
// pixels. What is not one of these kinds, is cut before its size is known, or is larger than
// the limits is refused with a message that says why.
#pragma once

#include "status.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace rk::catalogue {

inline constexpr uint64_t kMaxImageBytes = 20u << 20;
inline constexpr uint32_t kMaxImageSide = 10000;

struct ImageInfo {
    const char* kind = "";      // "PNG", "JPEG", ...
    const char* extension = ""; // ".png", ".jpg", ...
    uint32_t width = 0, height = 0;
};

// `bytes` is the whole file; `name` only names it in messages.
Result<ImageInfo> checkImage(std::string_view bytes, const std::string& name);

} // namespace rk::catalogue
