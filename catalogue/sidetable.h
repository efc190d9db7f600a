// One side table of the catalogue (sidedata.h): its file, fields and the RECNO tag, and the
// record number and fingerprint every row starts with. Shared by the covers and the loans.
#pragma once

#include "record.h"
#include "table.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rk::catalogue {

class SideTable {
public:
    // `name` is the file name; `fields` follow RECNO and FPRINT.
    SideTable(const char* name, std::vector<dbf::FieldDef> fields, Env* env);

    const char* name() const { return name_; }
    // What a row is called in messages: "cover", "loan".
    std::string what;
    store::Table table;
    bool checked = false; // every row compared with its title since the open

    const dbf::FieldDef& field(std::string_view n) const { return *table.field(n); }
    // The fields are looked up at each use: a pack or a repair of the table reads its header
    // anew.
    uint32_t recnoOf(std::string_view image) const {
        return uint32_t(dbf::getNumber(image, field("RECNO")));
    }
    std::string fingerprintOf(std::string_view image) const {
        return std::string(dbf::trimmedField(image, field("FPRINT")));
    }
    // A blank row for a title.
    std::string row(uint32_t recno, const std::string& fingerprint);
    Status setRecno(std::string& image, uint32_t recno) const {
        return dbf::setNumber(image, field("RECNO"), recno);
    }
    void setFingerprint(std::string& image, const std::string& fp) const {
        dbf::setString(image, field("FPRINT"), fp);
    }

    // The fields in record order, RECNO and FPRINT first, and the tag's key.
    const std::vector<dbf::FieldDef>& fields() const { return fields_; }
    static std::string key(uint32_t recno);

private:
    const char* name_;
    std::vector<dbf::FieldDef> fields_;
};

} // namespace rk::catalogue
