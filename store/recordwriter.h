// How a change of one record reaches its table. A window's dataset edits a record buffer and
// hands the change to a writer; the writer decides what else the change carries with it. The
// catalogue engine is the writer of the catalogue's tables (it keeps the full-text index beside
// the titles current); DirectWriter writes to the table and nothing else.
#pragma once

#include "status.h"
#include "table.h"

#include <cstdint>
#include <string_view>

namespace rk::store {

class RecordWriter {
public:
    virtual ~RecordWriter() = default;
    // Writes `image` over the table's current record.
    virtual Status update(Table& table, std::string_view image) = 0;
    // Appends `image`; the new record becomes current. Returns its number.
    virtual Result<uint32_t> append(Table& table, std::string_view image) = 0;
    // Marks the table's current record deleted.
    virtual Status remove(Table& table) = 0;
    // Takes the deleted mark off the table's current record.
    virtual Status recall(Table& table) = 0;
};

class DirectWriter final : public RecordWriter {
public:
    Status update(Table& table, std::string_view image) override { return table.putRecord(image); }
    Result<uint32_t> append(Table& table, std::string_view image) override {
        return table.appendRecord(image);
    }
    Status remove(Table& table) override { return table.deleteRecord(); }
    Status recall(Table& table) override { return table.recall(); }

    // One for every table that has no writer of its own.
    static DirectWriter* instance() {
        static DirectWriter writer;
        return &writer;
    }
};

} // namespace rk::store
