// How the progress of a re-index reaches the main window: the engine reports each
// percentage as a key-down whose 16-bit key code is the negated percentage, a code with some
// of the bits 0x7000 set, which no ordinary key has. The main window's key handler
// (FormKeyDown) turns those codes back into the progress bar's position.
#pragma once

#include <cstdint>
#include <optional>

namespace rk::store {

inline constexpr int kProgressKeyBits = 0x7000;

// The key code that carries `percent` (0 to 100).
inline int progressKeyCode(int percent) {
    return (-percent) & 0xFFFF;
}

// The progress bar position a key code carries: the negated 16-bit code, for a code with any
// of the bits 0x7000 set; nothing for any other key.
inline std::optional<int> progressFromKeyCode(int keyCode) {
    if ((keyCode & kProgressKeyBits) == 0) return std::nullopt;
    return -int(int16_t(uint16_t(keyCode & 0xFFFF)));
}

} // namespace rk::store
