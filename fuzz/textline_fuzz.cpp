// Lines of text read back as records (rkdb append --from): every line of the input through
// the FIELD=VALUE reader and the comma and space layout readers must end in a Status, never
// a crash, and a record that is read has the table's record length.
#include "dbf.h"
#include "table.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

const std::vector<rk::dbf::FieldDef>& fields() {
    static const std::vector<rk::dbf::FieldDef> f = [] {
        std::vector<rk::dbf::FieldDef> v = {{"TITLE", 'C', 20, 0, 0},
                                            {"PRICE", 'N', 8, 2, 0},
                                            {"BORN", 'D', 8, 0, 0},
                                            {"OK", 'L', 1, 0, 0},
                                            {"RATE", 'F', 6, 1, 0}};
        uint32_t offset = 1;
        for (auto& x : v) {
            x.offset = offset;
            offset += x.length;
        }
        return v;
    }();
    return f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const size_t length = 1 + 20 + 8 + 8 + 1 + 6;
    size_t at = 0;
    while (at <= text.size()) {
        size_t nl = text.find('\n', at);
        std::string_view line =
            text.substr(at, nl == std::string_view::npos ? std::string_view::npos : nl - at);
        at = nl == std::string_view::npos ? text.size() + 1 : nl + 1;
        for (int layout = 0; layout < 3; ++layout) {
            std::string image(length, ' ');
            rk::Status s = layout == 0 ? rk::store::recordFromAssignments(fields(), line, &image)
                                       : rk::store::recordFromTextLine(
                                             fields(), line,
                                             layout == 1 ? rk::store::TextFormat::CommaDelimited
                                                         : rk::store::TextFormat::SpaceDelimited,
                                             &image);
            if (s && image.size() != length) std::abort();
        }
    }
    return 0;
}
