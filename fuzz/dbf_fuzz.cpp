// A table file of arbitrary bytes: the open, every record read, a query over it, and a
// write must end in a Status, never a crash.
#include "mem_env.h"
#include "record.h"
#include "table.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    rk::MemEnv env;
    env.setFile("T.DBF", std::string(reinterpret_cast<const char*>(data), size));
    rk::store::Table t("T.DBF", {}, &env);
    if (!t.open()) return 0;
    rk::Status moved = t.goTop();
    for (uint32_t n = 0; moved.isOk() && !t.eof() && n < 10000; ++n) {
        const std::string& img = t.record();
        for (const auto& f : t.fields()) {
            (void)rk::dbf::displayText(img, f);
            (void)rk::dbf::getNumber(img, f);
            (void)rk::dbf::getDate(img, f);
        }
        moved = t.skip(1);
    }
    (void)t.count();
    const auto& f = t.fields().front();
    std::string q = f.type == 'C' ? f.name + " = \"A\"" : f.type == 'L' ? f.name : "RECNO() > 1";
    rk::ignore(t.query(q), "a query may be refused; only a crash is a fault here");
    (void)t.count();
    if (t.recCount() > 0 && t.go(1)) {
        std::string img = t.record();
        rk::dbf::setBlank(img, f);
        rk::ignore(t.putRecord(img), "a write may be refused; only a crash is a fault here");
    }
    rk::ignore(t.appendBlank(), "a write may be refused; only a crash is a fault here");
    return 0;
}
