#include "cdx_header.h"

#include "cdx_node.h"

#include <cstring>

namespace rk::cdx {

namespace {

constexpr char kMagic[4] = {'R', 'K', 'I', 'X'};
constexpr uint8_t kMarkVersion = 3;
// The count of deleted records, in the zeros before the mark (0xFFFFFFFF: not known).
constexpr size_t kHdrDeleted = kHdrMark - 8;

uint32_t checksum(const uint8_t* header) {
    uint32_t h = 2166136261u; // FNV-1a
    auto mix = [&](const uint8_t* p, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            h ^= p[i];
            h *= 16777619u;
        }
    };
    mix(header, 16);
    mix(header + kHdrDeleted, 4);
    mix(header + kHdrMark, kHdrMarkSize - 4);
    return h;
}

} // namespace

bool Header::machineCollation() const {
    for (uint8_t b : collation)
        if (b) return false;
    return true;
}

std::string Header::collationName() const {
    std::string s;
    for (uint8_t b : collation) {
        if (b == 0) break;
        s += (b >= 0x20 && b < 0x7f) ? static_cast<char>(b) : '?';
    }
    return s;
}

Status decodeHeader(const uint8_t* buf, Header* out) {
    out->root = get32(buf + kHdrRoot);
    out->freeList = get32(buf + kHdrFreeList);
    out->counter = get32be(buf + kHdrCounter);
    out->keyLength = get16(buf + kHdrKeyLength);
    out->options = buf[kHdrOptions];
    out->signature = buf[kHdrSignature];
    std::memcpy(out->collation.data(), buf + kHdrCollation, kHdrCollationSize);
    out->descending = get16(buf + kHdrDescending) != 0;
    if (out->keyLength == 0 || out->keyLength > kMaxKeyLength)
        return Status::corruption("bad key length " + std::to_string(out->keyLength));
    if ((out->options & kOptCompact) == 0)
        return Status::notSupported("not a compact index (options " + std::to_string(out->options) +
                                    ")");
    auto text = [&](size_t posField, size_t lenField, std::string* s) -> Status {
        size_t pos = get16(buf + posField), len = get16(buf + lenField);
        if (pos > kPoolSize || len > kPoolSize - pos)
            return Status::corruption("expression outside the header's pool");
        const char* p = reinterpret_cast<const char*>(buf + kHdrPool + pos);
        s->assign(p, strnlen(p, len));
        return Status::ok();
    };
    RK_RETURN_IF_ERROR(text(kHdrKeyPos, kHdrKeyLen, &out->keyExpr));
    RK_RETURN_IF_ERROR(text(kHdrForPos, kHdrForLen, &out->forExpr));
    if ((out->options & kOptFor) == 0) out->forExpr.clear();
    return Status::ok();
}

void encodeHeader(const Header& h, uint8_t* buf) {
    std::memset(buf, 0, kHeaderSize);
    put32(buf + kHdrRoot, h.root);
    put32(buf + kHdrFreeList, h.freeList);
    put32be(buf + kHdrCounter, h.counter);
    put16(buf + kHdrKeyLength, h.keyLength);
    buf[kHdrOptions] = h.options;
    buf[kHdrSignature] = h.signature;
    std::memcpy(buf + kHdrCollation, h.collation.data(), kHdrCollationSize);
    put16(buf + kHdrDescending, h.descending ? 1 : 0);
    size_t keyLen = std::min<size_t>(h.keyExpr.size(), kPoolSize - 2);
    size_t forLen = std::min<size_t>(h.forExpr.size(), kPoolSize - 2 - keyLen);
    std::memcpy(buf + kHdrPool, h.keyExpr.data(), keyLen);
    std::memcpy(buf + kHdrPool + keyLen + 1, h.forExpr.data(), forLen);
    put16(buf + kHdrKeyPos, 0);
    put16(buf + kHdrKeyLen, static_cast<uint16_t>(keyLen + 1));
    put16(buf + kHdrForPos, static_cast<uint16_t>(keyLen + 1));
    put16(buf + kHdrForLen, static_cast<uint16_t>(forLen + 1));
}

Header compoundHeader(uint32_t directoryRoot, uint32_t freeList, uint32_t counter) {
    Header h;
    h.root = directoryRoot;
    h.freeList = freeList;
    h.counter = counter;
    h.keyLength = kTagNameLength;
    h.options = kCompoundOptions;
    return h;
}

StateMark readMark(const uint8_t* header) {
    StateMark m;
    const uint8_t* p = header + kHdrMark;
    if (std::memcmp(p, kMagic, 4) != 0 || p[5] != kMarkVersion) return m;
    if (get32(p + 34) != checksum(header)) return m;
    m.present = true;
    m.sound = p[4] == 'C';
    m.counter = get32(p + 6);
    m.records = get32(p + 10);
    m.pages = get32(p + 14);
    m.table.size = uint64_t(get32(p + 18)) | uint64_t(get32(p + 22)) << 32;
    m.table.modified = int64_t(uint64_t(get32(p + 26)) | uint64_t(get32(p + 30)) << 32);
    const uint32_t deleted = get32(header + kHdrDeleted);
    m.deleted = deleted == 0xFFFFFFFFu ? -1 : int64_t(deleted);
    return m;
}

void writeMark(uint8_t* header, const StateMark& mark) {
    uint8_t* p = header + kHdrMark;
    std::memcpy(p, kMagic, 4);
    p[4] = mark.sound ? 'C' : 'D';
    p[5] = kMarkVersion;
    put32(p + 6, mark.counter);
    put32(p + 10, mark.records);
    put32(p + 14, mark.pages);
    put32(p + 18, static_cast<uint32_t>(mark.table.size));
    put32(p + 22, static_cast<uint32_t>(mark.table.size >> 32));
    put32(p + 26, static_cast<uint32_t>(uint64_t(mark.table.modified)));
    put32(p + 30, static_cast<uint32_t>(uint64_t(mark.table.modified) >> 32));
    put32(header + kHdrDeleted, mark.deleted < 0 || mark.deleted > 0xFFFFFFFEll
                                    ? 0xFFFFFFFFu
                                    : static_cast<uint32_t>(mark.deleted));
    put32(p + 34, checksum(header));
}

} // namespace rk::cdx
