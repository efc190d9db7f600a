// A clip file's header: arbitrary bytes as the file. Reading its format must end, without a
// crash or a read outside the file, whatever the sizes of its boxes and chunks say.
#include "clipformat.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    int reads = 0;
    const auto read = [&](uint64_t offset, size_t n) {
        if (++reads > 100000) std::abort(); // a walk that does not end
        if (offset >= bytes.size()) return std::string();
        return bytes.substr(size_t(offset), n);
    };
    const rk::player::ClipFormat f = rk::player::readClipFormat(read, bytes.size());
    if (f.describe().size() > 1000) std::abort();
    return 0;
}
