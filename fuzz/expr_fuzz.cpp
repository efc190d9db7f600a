// Arbitrary expression text: parsing ends in a Status; a parsed expression evaluates against
// a title record without a fault.
#include "catalogue.h"
#include "expr.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const auto& fields = rk::catalogue::titleFields();
    static const std::string blank = [] {
        size_t len = 1;
        for (const auto& f : rk::catalogue::titleFields())
            len += f.length;
        std::string img(len, ' ');
        img.replace(1, 5, "Alien");
        return img;
    }();
    auto e =
        rk::xbase::Expr::parse(std::string_view(reinterpret_cast<const char*>(data), size), fields);
    if (e) {
        (void)e->eval(blank, 1);
        (void)e->test(blank, 1);
    }
    return 0;
}
