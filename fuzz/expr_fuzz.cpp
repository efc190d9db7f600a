// Arbitrary expression text: parsing ends in a Status; a parsed expression evaluates against
// a title record, with a date field added, without a fault of the program (a date carried
// beyond the calendar is an expression error, never undefined behaviour).
#include "catalogue.h"
#include "expr.h"
#include "record.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<rk::dbf::FieldDef> fields = [] {
        auto all = rk::catalogue::titleFields();
        uint32_t offset = 1;
        for (auto& f : all) {
            f.offset = offset;
            offset += f.length;
        }
        all.push_back({"BORN", 'D', 8, 0, offset});
        return all;
    }();
    static const std::string record = [] {
        size_t len = 1;
        for (const auto& f : fields)
            len += f.length;
        std::string img(len, ' ');
        img.replace(1, 5, "Alien");
        rk::dbf::setDate(img, fields.back(), {1999, 12, 31});
        return img;
    }();
    auto e =
        rk::xbase::Expr::parse(std::string_view(reinterpret_cast<const char*>(data), size), fields);
    if (e) {
        rk::Status fault;
        (void)e->eval(record, 1, &fault);
        (void)e->test(record, 1);
    }
    return 0;
}
