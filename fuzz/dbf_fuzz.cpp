// A table file of arbitrary bytes: the open, every record read, a query over it, and a
// write must end in a Status, never a crash.
#include "mem_env.h"
#include "record.h"
#include "table.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    rk::fuzz::MemEnv env;
    env.files["T.DBF"] = std::string(reinterpret_cast<const char*>(data), size);
    rk::store::Table t("T.DBF", {}, &env);
    if (!t.open()) return 0;
    uint32_t n = 0;
    for (t.goTop(); !t.eof() && n < 10000; t.skip(1), ++n) {
        const std::string& img = t.record();
        for (const auto& f : t.fields()) {
            (void)rk::dbf::displayText(img, f);
            (void)rk::dbf::getNumber(img, f);
            (void)rk::dbf::getDate(img, f);
        }
    }
    (void)t.count();
    const auto& f = t.fields().front();
    std::string q = f.type == 'C' ? f.name + " = \"A\"" : f.type == 'L' ? f.name : "RECNO() > 1";
    (void)t.query(q);
    (void)t.count();
    if (t.recCount() > 0 && t.go(1)) {
        std::string img = t.record();
        rk::dbf::setBlank(img, f);
        (void)t.putRecord(img);
    }
    (void)t.appendBlank();
    return 0;
}
