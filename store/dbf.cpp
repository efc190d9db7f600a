#include "dbf.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace rk::dbf {

namespace {

uint16_t u16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t u32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void put16(unsigned char* p, uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
void put32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

Date today() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return Date{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

// Writers differ: most store year - 1900, some year % 100.
int yearFromByte(uint8_t y) {
    if (y >= 100) return 1900 + y;
    return y < 80 ? 2000 + y : 1900 + y;
}

std::string hex2(unsigned v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", v & 0xFF);
    return buf;
}

bool validFieldName(const std::string& name) {
    if (name.empty() || name.size() > 10) return false;
    for (char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
    return true;
}

} // namespace

std::string americanDate(const Date& d) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", d.month % 100, d.day % 100,
                  ((d.year % 100) + 100) % 100);
    return buf;
}

DbfFile::~DbfFile() = default;

Result<std::unique_ptr<DbfFile>> DbfFile::open(const std::string& path, const OpenOptions& opts,
                                               Env* env) {
    auto file = env->open(path, opts.readOnly ? OpenMode::ReadOnly : OpenMode::ReadWrite,
                          opts.exclusive ? LockMode::Exclusive : LockMode::Shared);
    if (!file) return file.status();
    std::unique_ptr<DbfFile> t(new DbfFile());
    t->path_ = path;
    t->env_ = env;
    t->file_ = std::move(*file);
    t->readOnly_ = opts.readOnly;
    RK_RETURN_IF_ERROR(t->readHeader());
    return t;
}

Status DbfFile::readHeader() {
    uint64_t fileSize = 0;
    RK_RETURN_IF_ERROR(file_->size(&fileSize));
    unsigned char h[kHeaderSize];
    size_t got = 0;
    RK_RETURN_IF_ERROR(file_->read(0, h, kHeaderSize, &got));
    if (got < kHeaderSize)
        return Status::corruption(path_ + " is not a table: it is too short for a table header (" +
                                  std::to_string(fileSize) + " bytes)");
    version_ = h[0];
    if (version_ == kVersionFoxProMemo || version_ == 0x83 || version_ == 0x8B ||
        version_ == 0xCB || version_ == 0xE5 || version_ == 0xFB)
        return Status::notSupported(path_ + " has memo fields, which this program does not handle");
    if (version_ == kVersionVisualFoxPro || version_ == 0x31 || version_ == 0x32)
        return Status::notSupported(
            path_ + " is a Visual FoxPro table, which this program does not handle");
    if (version_ != kVersionFoxBase)
        return Status::notSupported(path_ + " is not a FoxPro or dBase III table (version byte " +
                                    hex2(version_) + ")");
    lastUpdate_ = Date{yearFromByte(h[1]), h[2], h[3]};
    recordCount_ = countedAtOpen_ = u32(h + 4);
    headerLength_ = u16(h + 8);
    recordLength_ = u16(h + 10);
    flags_ = h[28];
    codePage_ = h[29];

    if (headerLength_ < kHeaderSize + kFieldDescSize + 1)
        return Status::corruption(path_ + ": header length " + std::to_string(headerLength_) +
                                  " is too small for a table with fields");
    if (headerLength_ > fileSize)
        return Status::corruption(path_ + ": header length " + std::to_string(headerLength_) +
                                  " is beyond the end of the file (" + std::to_string(fileSize) +
                                  " bytes)");
    if (recordLength_ < 2)
        return Status::corruption(path_ + ": record length " + std::to_string(recordLength_) +
                                  " is too small");

    std::vector<unsigned char> desc(headerLength_ - kHeaderSize);
    RK_RETURN_IF_ERROR(file_->read(kHeaderSize, desc.data(), desc.size(), &got));
    if (got < desc.size()) return Status::corruption(path_ + ": the header is cut short");

    uint32_t offset = 1;
    size_t pos = 0;
    bool terminated = false, marked = false;
    while (pos < desc.size()) {
        if (desc[pos] == kFieldTerminator) {
            terminated = marked = true;
            break;
        }
        if (pos + kFieldDescSize > desc.size()) {
            // No room for another descriptor: the header length ends the list even where the
            // writer put another byte than 0x0D there.
            terminated = true;
            break;
        }
        const unsigned char* d = desc.data() + pos;
        FieldDef f;
        size_t n = 0;
        while (n < 11 && d[n] != 0)
            ++n;
        f.name.assign(reinterpret_cast<const char*>(d), n);
        for (auto& c : f.name)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        f.type = static_cast<char>(std::toupper(d[11]));
        f.length = d[16];
        f.decimals = d[17];
        f.offset = offset;
        std::string which = "field " + std::to_string(fields_.size() + 1);
        if (!validFieldName(f.name))
            return Status::corruption(path_ + ": " + which + " has no valid name");
        which += " (" + f.name + ")";
        if (f.type == 'M' || f.type == 'G' || f.type == 'P')
            return Status::notSupported(path_ + " has memo fields (" + f.name +
                                        "), which this program does not handle");
        if (std::strchr("CNFLD", f.type) == nullptr || f.type == 0)
            return Status::notSupported(path_ + ": " + which + " has the field type '" +
                                        std::string(1, f.type ? f.type : '?') +
                                        "', which this program does not handle");
        if (f.length == 0) return Status::corruption(path_ + ": " + which + " has length 0");
        if (f.type == 'L' && f.length != 1)
            return Status::corruption(path_ + ": logical " + which + " is not 1 byte wide");
        if (f.type == 'D' && f.length != 8)
            return Status::corruption(path_ + ": date " + which + " is not 8 bytes wide");
        if ((f.type == 'N' || f.type == 'F') && f.length > 20)
            return Status::corruption(path_ + ": numeric " + which + " is wider than 20");
        for (const FieldDef& other : fields_)
            if (other.name == f.name)
                return Status::corruption(path_ + ": " + which +
                                          " has the name of an earlier field");
        offset += f.length;
        fields_.push_back(std::move(f));
        pos += kFieldDescSize;
    }
    if (!terminated)
        return Status::corruption(path_ + ": the field list has no end mark within the header");
    if (fields_.empty()) return Status::corruption(path_ + ": the table has no fields");
    // The records start at the header length, so the field list must end right there: with its
    // end mark in the last byte of the header (or followed only by zero bytes that a writer
    // reserved), or, without one, with a single byte left where the mark belongs. A header
    // length pointing anywhere else would place every record at a wrong offset.
    const size_t listEnd = kHeaderSize + pos + 1;
    const bool padded = marked && std::all_of(desc.begin() + long(pos) + 1, desc.end(),
                                              [](unsigned char c) { return c == 0; });
    if (marked ? !padded : pos + 1 != desc.size())
        return Status::corruption(
            path_ + ": the header is damaged: its field list ends at byte " +
            std::to_string(listEnd) + " but its header length says the records start at byte " +
            std::to_string(headerLength_) + "; the table is not opened, so nothing is changed");
    if (offset != recordLength_)
        return Status::corruption(path_ + ": the record length " + std::to_string(recordLength_) +
                                  " disagrees with the fields, which need " +
                                  std::to_string(offset));

    // Compare the header's count with what the file holds.
    uint64_t body = fileSize - headerLength_;
    uint64_t whole = body / recordLength_;
    if (recordCount_ > whole) {
        diagnostics_.push_back(
            path_ + " is cut short: its header counts " + std::to_string(recordCount_) +
            " records but the file holds " + std::to_string(whole) + " whole records" +
            (body % recordLength_ ? " and part of one more" : "") + "; the whole records are kept");
        recordCount_ = static_cast<uint32_t>(whole);
    } else if (recordCount_ < whole) {
        // Whole records after the counted ones: an append that was interrupted after its record
        // was written but before the header was. Keep every one that looks like a record.
        uint32_t extra = 0;
        std::string rec(recordLength_, '\0');
        while (recordCount_ + extra < whole) {
            uint64_t off = headerLength_ + uint64_t(recordCount_ + extra) * recordLength_;
            RK_RETURN_IF_ERROR(file_->read(off, rec.data(), 1, &got));
            if (got < 1 || (rec[0] != kLiveFlag && rec[0] != kDeletedFlag)) break;
            ++extra;
        }
        if (extra > 0) {
            diagnostics_.push_back(path_ + ": its header counts " + std::to_string(recordCount_) +
                                   " records but " + std::to_string(extra) +
                                   " more whole records follow them; they are kept");
            recordCount_ += extra;
        }
    }
    if (!diagnostics_.empty() && !readOnly_) RK_RETURN_IF_ERROR(writeHeaderCount());
    return Status::ok();
}

Status DbfFile::create(const std::string& path, const std::vector<FieldDef>& fields,
                       const CreateOptions& opts, Env* env) {
    if (fields.empty()) return Status::invalid("a table needs at least one field");
    if (fields.size() > kMaxFields) return Status::invalid("a table has at most 255 fields");
    size_t recLen = 1;
    for (const auto& f : fields) {
        if (!validFieldName(f.name))
            return Status::invalid("'" + f.name + "' is not a valid field name");
        if (std::strchr("CNFLD", f.type) == nullptr || f.type == 0)
            return Status::invalid("field " + f.name + " has an unknown type");
        if (f.length == 0) return Status::invalid("field " + f.name + " has length 0");
        recLen += f.length;
    }
    if (recLen > kMaxRecordLength) return Status::invalid("the record is longer than 65535 bytes");
    size_t headerLen = kHeaderSize + kFieldDescSize * fields.size() + 1;
    std::vector<unsigned char> h(headerLen + 1, 0);
    Date d = opts.lastUpdate.year ? opts.lastUpdate : today();
    h[0] = kVersionFoxBase;
    h[1] = static_cast<unsigned char>(d.year - 1900);
    h[2] = static_cast<unsigned char>(d.month);
    h[3] = static_cast<unsigned char>(d.day);
    put32(&h[4], 0);
    put16(&h[8], static_cast<uint16_t>(headerLen));
    put16(&h[10], static_cast<uint16_t>(recLen));
    h[28] = opts.structuralIndex ? kFlagStructuralCdx : 0;
    h[29] = opts.codePage;
    uint32_t offset = 1;
    for (size_t i = 0; i < fields.size(); ++i) {
        unsigned char* p = &h[kHeaderSize + i * kFieldDescSize];
        std::string name = fields[i].name;
        for (auto& c : name)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        std::memcpy(p, name.data(), name.size());
        p[11] = static_cast<unsigned char>(fields[i].type);
        put32(p + 12, offset);
        p[16] = fields[i].length;
        p[17] = fields[i].decimals;
        offset += fields[i].length;
    }
    h[headerLen - 1] = kFieldTerminator;
    h[headerLen] = kEofMark;
    std::string tmp = path + ".tmp";
    Status s;
    {
        auto file = env->open(tmp, OpenMode::Create, LockMode::Exclusive);
        if (!file) return file.status();
        s = (*file)->write(0, h.data(), h.size());
        if (s) s = (*file)->sync();
    }
    if (s) s = env->replace(tmp, path);
    if (!s) ignore(env->remove(tmp), "clean-up of the unfinished file; the error is reported");
    return s;
}

int DbfFile::fieldIndex(std::string_view name) const {
    for (size_t i = 0; i < fields_.size(); ++i) {
        const std::string& f = fields_[i].name;
        if (f.size() != name.size()) continue;
        bool same = true;
        for (size_t k = 0; k < f.size() && same; ++k)
            same = f[k] == std::toupper(static_cast<unsigned char>(name[k]));
        if (same) return static_cast<int>(i);
    }
    return -1;
}

std::string DbfFile::blankRecord() const {
    return std::string(recordLength_, ' ');
}

Status DbfFile::readRecord(uint32_t recno, std::string* image) {
    image->resize(recordLength_);
    return readRecords(recno, 1, image->data());
}

Status DbfFile::readRecords(uint32_t first, uint32_t count, char* buf) {
    if (first < 1 || count == 0 || first - 1 + uint64_t(count) > recordCount_)
        return Status::invalid(path_ + ": no record " + std::to_string(first));
    size_t n = size_t(count) * recordLength_;
    size_t got = 0;
    RK_RETURN_IF_ERROR(
        file_->read(headerLength_ + uint64_t(first - 1) * recordLength_, buf, n, &got));
    if (got < n)
        return Status::corruption(path_ + ": record " +
                                  std::to_string(first + got / recordLength_) + " is cut short");
    return Status::ok();
}

Status DbfFile::readRecordPart(uint32_t recno, uint32_t offset, uint32_t length, char* buf) {
    if (recno < 1 || recno > recordCount_ || uint64_t(offset) + length > recordLength_)
        return Status::invalid(path_ + ": no record " + std::to_string(recno));
    size_t got = 0;
    RK_RETURN_IF_ERROR(file_->read(headerLength_ + uint64_t(recno - 1) * recordLength_ + offset,
                                   buf, length, &got));
    if (got < length)
        return Status::corruption(path_ + ": record " + std::to_string(recno) + " is cut short");
    return Status::ok();
}

Status DbfFile::writeRecord(uint32_t recno, std::string_view image) {
    if (readOnly_) return Status::invalid(path_ + " is open for reading only");
    if (recno < 1 || recno > recordCount_)
        return Status::invalid(path_ + ": no record " + std::to_string(recno));
    if (image.size() != recordLength_)
        return Status::invalid("a record of " + path_ + " has " + std::to_string(recordLength_) +
                               " bytes, not " + std::to_string(image.size()));
    RK_RETURN_IF_ERROR(file_->write(headerLength_ + uint64_t(recno - 1) * recordLength_,
                                    image.data(), image.size()));
    if (!headerDateWritten_) RK_RETURN_IF_ERROR(writeHeaderCount());
    return Status::ok();
}

Result<uint32_t> DbfFile::appendRecord(std::string_view image, bool countNow) {
    if (readOnly_) return Status::invalid(path_ + " is open for reading only");
    if (image.size() != recordLength_)
        return Status::invalid("a record of " + path_ + " has " + std::to_string(recordLength_) +
                               " bytes, not " + std::to_string(image.size()));
    if (recordCount_ == UINT32_MAX) return Status::invalid(path_ + " is full");
    // Record and end mark first, then the count: a kill between the two leaves a whole record
    // after the counted ones, which the next open keeps.
    std::string buf(image);
    buf.push_back(static_cast<char>(kEofMark));
    RK_RETURN_IF_ERROR(file_->write(headerLength_ + uint64_t(recordCount_) * recordLength_,
                                    buf.data(), buf.size()));
    ++recordCount_;
    if (!countNow) return recordCount_;
    Status s = writeHeaderCount();
    if (!s) {
        --recordCount_;
        return s;
    }
    return recordCount_;
}

Status DbfFile::appendRecords(const char* buf, uint32_t count) {
    if (readOnly_) return Status::invalid(path_ + " is open for reading only");
    if (count == 0) return Status::ok();
    if (uint64_t(recordCount_) + count > UINT32_MAX) return Status::invalid(path_ + " is full");
    size_t n = size_t(count) * recordLength_;
    std::string data;
    data.reserve(n + 1);
    data.append(buf, n);
    data.push_back(static_cast<char>(kEofMark));
    const uint64_t at = headerLength_ + uint64_t(recordCount_) * recordLength_;
    RK_RETURN_IF_ERROR(file_->write(at, data.data(), data.size()));
    if (writeBehind_) file_->startWriteBack(at, n);
    recordCount_ += count;
    Status s = writeHeaderCount();
    if (!s) recordCount_ -= count;
    return s;
}

Status DbfFile::renameTo(const std::string& path) {
    RK_RETURN_IF_ERROR(env_->replace(path_, path));
    path_ = path;
    return Status::ok();
}

Status DbfFile::writeHeaderCount() {
    if (readOnly_) return Status::ok();
    if (!headerDateWritten_) lastUpdate_ = today();
    unsigned char h[7];
    h[0] = static_cast<unsigned char>(lastUpdate_.year - 1900);
    h[1] = static_cast<unsigned char>(lastUpdate_.month);
    h[2] = static_cast<unsigned char>(lastUpdate_.day);
    put32(h + 3, recordCount_);
    RK_RETURN_IF_ERROR(file_->write(1, h, sizeof h));
    headerDateWritten_ = true;
    return Status::ok();
}

Status DbfFile::truncateRecords(uint32_t count) {
    if (readOnly_) return Status::invalid(path_ + " is open for reading only");
    if (count > recordCount_) return Status::invalid("cannot grow a table by truncating it");
    uint32_t old = recordCount_;
    recordCount_ = count;
    Status s = writeHeaderCount();
    if (!s) {
        recordCount_ = old;
        return s;
    }
    uint64_t end = headerLength_ + uint64_t(count) * recordLength_;
    unsigned char eof = kEofMark;
    RK_RETURN_IF_ERROR(file_->write(end, &eof, 1));
    return file_->truncate(end + 1);
}

Status DbfFile::setStructuralIndexFlag(bool on) {
    if (readOnly_) return Status::invalid(path_ + " is open for reading only");
    uint8_t f = on ? (flags_ | kFlagStructuralCdx) : (flags_ & ~kFlagStructuralCdx);
    RK_RETURN_IF_ERROR(file_->write(28, &f, 1));
    flags_ = f;
    return Status::ok();
}

Status DbfFile::sync() {
    return readOnly_ ? Status::ok() : file_->sync();
}

} // namespace rk::dbf
