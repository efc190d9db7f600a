// FoxPro DBF tables without memo: the file layout and record-level access.
//
// Header, 32 bytes (all integers little-endian):
//   0      version: 0x03 (0xF5 FoxPro with memo and 0x30 Visual FoxPro are refused)
//   1..3   last update Y, M, D; Y read >= 100 as 1900 + Y, < 100 with a century pivot
//   4..7   record count (u32)
//   8..9   header length = offset of the first record (u16); always used, never computed, and
//          proven against the field list, which must end right there (see readHeader)
//   10..11 record length including the deletion flag (u16)
//   28     flags: 0x01 the table has a structural CDX
//   29     code page mark: 0x03 Windows-1252 (0 is read as Windows-1252 too)
// Field descriptors of 32 bytes from offset 32, ended by 0x0D:
//   0..10  name, NUL padded; 11 type (C N F L D); 12..15 displacement (not trusted);
//   16 length; 17 decimals
// Records: a flag byte (' ' live, '*' deleted) then the fields; 0x1A after the last.
#pragma once

#include "env.h"
#include "status.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace rk::dbf {

constexpr size_t kHeaderSize = 32;
constexpr size_t kFieldDescSize = 32;
constexpr uint8_t kVersionFoxBase = 0x03;
constexpr uint8_t kVersionFoxProMemo = 0xF5;
constexpr uint8_t kVersionVisualFoxPro = 0x30;
constexpr uint8_t kFlagStructuralCdx = 0x01;
constexpr uint8_t kCodePage1252 = 0x03;
constexpr uint8_t kFieldTerminator = 0x0D;
constexpr uint8_t kEofMark = 0x1A;
constexpr char kLiveFlag = ' ';
constexpr char kDeletedFlag = '*';
constexpr size_t kMaxFields = 255;
constexpr size_t kMaxRecordLength = 65535;

struct FieldDef {
    std::string name; // upper case ASCII, at most 10 characters
    char type = 'C';  // C, N, F, L or D
    uint8_t length = 0;
    uint8_t decimals = 0;
    uint32_t offset = 0; // from the start of the record image, after the deletion flag byte
};

struct Date {
    int year = 0, month = 0, day = 0; // 0/0/0 is "no date"
};

// "mm/dd/yy", the American date format without century.
std::string americanDate(const Date& d);

struct OpenOptions {
    bool readOnly = false;
    bool exclusive = true; // exclusive: an OS lock that no other open may share
};

struct CreateOptions {
    bool structuralIndex = false; // sets the header flag saying a same-named CDX exists
    Date lastUpdate{};            // today when left empty
    uint8_t codePage = kCodePage1252;
};

// One open table file. Record numbers start at 1. Every write goes straight to the file
// (no write-back cache), record first and header count after, so that a record whose
// write has returned survives the process being killed.
class DbfFile {
public:
    static Result<std::unique_ptr<DbfFile>> open(const std::string& path, const OpenOptions& opts,
                                                 Env* env = Env::standard());
    static Status create(const std::string& path, const std::vector<FieldDef>& fields,
                         const CreateOptions& opts = {}, Env* env = Env::standard());
    ~DbfFile();

    const std::string& path() const { return path_; }
    const std::vector<FieldDef>& fields() const { return fields_; }
    // Case-insensitive; -1 when the table has no such field.
    int fieldIndex(std::string_view name) const;
    uint32_t recordCount() const { return recordCount_; }
    uint16_t recordLength() const { return recordLength_; }
    uint16_t headerLength() const { return headerLength_; }
    uint8_t version() const { return version_; }
    uint8_t codePage() const { return codePage_; }
    bool hasStructuralIndex() const { return (flags_ & kFlagStructuralCdx) != 0; }
    bool readOnly() const { return readOnly_; }
    Date lastUpdate() const { return lastUpdate_; }
    // What the open found wrong and repaired or worked around (a cut file, a header count
    // that disagreed with the size). Empty for a sound file.
    const std::vector<std::string>& diagnostics() const { return diagnostics_; }
    // The record count the header held when the file was opened (before any repair).
    uint32_t countedAtOpen() const { return countedAtOpen_; }

    // A blank record image: live flag and every field blank (spaces).
    std::string blankRecord() const;
    Status readRecord(uint32_t recno, std::string* image);
    // Reads `count` consecutive records into buf (count * recordLength bytes).
    Status readRecords(uint32_t first, uint32_t count, char* buf);
    // Reads `length` bytes of a record from `offset` (some of its fields) into buf.
    Status readRecordPart(uint32_t recno, uint32_t offset, uint32_t length, char* buf);
    Status writeRecord(uint32_t recno, std::string_view image);
    // Appends the image as the last record and returns its number. With `countNow` false the
    // header's count is left for writeCount() (a batch of appends): the record is whole on
    // disk either way, and an open finds whole records after the counted ones and keeps them.
    Result<uint32_t> appendRecord(std::string_view image, bool countNow = true);
    // Writes the record count (and the date of the last update) to the header.
    Status writeCount() { return writeHeaderCount(); }
    // Appends `count` records from buf (count * recordLength bytes) with one write.
    Status appendRecords(const char* buf, uint32_t count);
    // From now on, appendRecords() starts the writing of what it wrote to stable storage
    // (a new file written whole, then flushed: its final sync() has less to wait for).
    void setWriteBehind(bool on) { writeBehind_ = on; }
    // Keeps the first `count` records and drops the rest (pack).
    Status truncateRecords(uint32_t count);
    Status setStructuralIndexFlag(bool on);
    Status sync();
    // The file's size and time of the last write (what an index records of the table it was
    // made for).
    Status stamp(FileStamp* out) { return file_->stamp(out); }
    // A view of the file for reading records in random order (NotSupported: read them).
    Result<std::unique_ptr<FileView>> view() { return file_->view(); }
    // Moves the file to `path`, replacing what is there (the handle and its lock stay).
    Status renameTo(const std::string& path);

private:
    DbfFile() = default;
    Status readHeader();
    Status writeHeaderCount();

    std::string path_;
    Env* env_ = nullptr;
    std::unique_ptr<File> file_;
    std::vector<FieldDef> fields_;
    uint32_t recordCount_ = 0;
    uint32_t countedAtOpen_ = 0;
    uint16_t recordLength_ = 0;
    uint16_t headerLength_ = 0;
    uint8_t version_ = 0;
    uint8_t flags_ = 0;
    uint8_t codePage_ = 0;
    bool readOnly_ = false;
    bool writeBehind_ = false;
    bool headerDateWritten_ = false;
    Date lastUpdate_;
    std::vector<std::string> diagnostics_;
};

} // namespace rk::dbf
