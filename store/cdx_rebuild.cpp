// Building whole index files: one pass over the table per group of tags (as many tags as
// fit the memory budget), a sort of each tag's keys, then bottom-up trees written in
// sequence. The file is written under a temporary name by the caller and renamed into place.
#include "cdx.h"

#include "cdx_build.h"

#include <algorithm>
#include <cstring>

namespace rk::store {

using namespace cdx;

namespace {

// Leaves of rebuilt tags keep some room: a title added later then seldom splits a page.
constexpr unsigned kLeafFillPercent = 85;

// Keys of one tag without their trailing fill, sorted by (key, record number).
//
// The sort goes 16 key bytes at a time: the refs are ordered by the 16 bytes at some depth
// held in the refs themselves, and each run that ties is ordered by the next 16, and so on.
// Keys such as CATEGORY+TITLE tie over long stretches; this way each key's bytes are read
// once per depth instead of once per comparison.
class KeyArena {
public:
    KeyArena(uint16_t keyLength, uint8_t fill) : k_(keyLength), fill_(fill) {}

    void add(const std::string& key, uint32_t recno) {
        const uint8_t* p = reinterpret_cast<const uint8_t*>(key.data());
        size_t len = k_ - trailingCount(p, k_, fill_);
        Ref r;
        r.offset = static_cast<uint32_t>(bytes_.size());
        r.recno = recno;
        bytes_.push_back(static_cast<uint8_t>(len));
        bytes_.insert(bytes_.end(), p, p + len);
        refs_.push_back(r);
    }

    void sort() { sortRun(0, refs_.size(), 0); }

    size_t size() const { return refs_.size(); }
    uint32_t recno(size_t i) const { return refs_[i].recno; }
    void key(size_t i, uint8_t* out) const {
        const uint8_t* p = bytes_.data() + refs_[i].offset;
        std::memcpy(out, p + 1, p[0]);
        std::memset(out + p[0], fill_, k_ - p[0]);
    }
    bool sameKey(size_t i, size_t j) const { return compareKeys(refs_[i], refs_[j], 0) == 0; }
    // Asks for key i's bytes ahead of their use: sorted refs point all over the arena.
    void prefetch(size_t i) const {
#if defined(__GNUC__) || defined(__clang__)
        if (i < refs_.size()) __builtin_prefetch(bytes_.data() + refs_[i].offset);
#else
        (void)i;
#endif
    }

private:
    struct Ref {
        uint64_t digit[2]; // key bytes [depth, depth + 16) of the current sort level
        uint32_t offset, recno;
    };

    uint8_t byteAt(const Ref& r, size_t i) const {
        const uint8_t* p = bytes_.data() + r.offset;
        return i < p[0] ? p[1 + i] : fill_;
    }

    // Orders refs_[begin, end), whose keys agree on their first `depth` bytes.
    void sortRun(size_t begin, size_t end, size_t depth) {
        auto first = refs_.begin() + static_cast<ptrdiff_t>(begin);
        auto last = refs_.begin() + static_cast<ptrdiff_t>(end);
        if (end - begin < 2) return;
        if (depth >= k_) { // whole keys equal: record number order
            std::sort(first, last, [](const Ref& a, const Ref& b) { return a.recno < b.recno; });
            return;
        }
        if (end - begin <= 16) {
            std::sort(first, last, [&](const Ref& a, const Ref& b) {
                int c = compareKeys(a, b, depth);
                return c != 0 ? c < 0 : a.recno < b.recno;
            });
            return;
        }
        for (auto it = first; it != last; ++it) {
            prefetch(size_t(it - refs_.begin()) + 8);
            it->digit[0] = it->digit[1] = 0;
            for (size_t i = 0; i < 16; ++i) {
                uint8_t b = depth + i < k_ ? byteAt(*it, depth + i) : 0;
                it->digit[i / 8] = (it->digit[i / 8] << 8) | b;
            }
        }
        std::sort(first, last, [](const Ref& a, const Ref& b) {
            return a.digit[0] != b.digit[0] ? a.digit[0] < b.digit[0] : a.digit[1] < b.digit[1];
        });
        for (size_t i = begin; i < end;) {
            size_t j = i + 1;
            while (j < end && refs_[j].digit[0] == refs_[i].digit[0] &&
                   refs_[j].digit[1] == refs_[i].digit[1])
                ++j;
            sortRun(i, j, depth + 16);
            i = j;
        }
    }

    // Compares keys from byte `from` on (the bytes before are equal).
    int compareKeys(const Ref& a, const Ref& b, size_t from) const {
        const uint8_t* pa = bytes_.data() + a.offset;
        const uint8_t* pb = bytes_.data() + b.offset;
        size_t la = pa[0], lb = pb[0], m = std::min(la, lb);
        if (from < m) {
            int c = std::memcmp(pa + 1 + from, pb + 1 + from, m - from);
            if (c != 0) return c;
        }
        if (la == lb) return 0;
        // The shorter key continues with fill bytes.
        const uint8_t* rest = la > lb ? pa + 1 : pb + 1;
        for (size_t i = std::max(m, from); i < std::max(la, lb); ++i) {
            if (rest[i] != fill_) return (rest[i] < fill_) == (la > lb) ? -1 : 1;
        }
        return 0;
    }

    uint16_t k_;
    uint8_t fill_;
    std::vector<uint8_t> bytes_;
    std::vector<Ref> refs_;
};

class ProgressMeter {
public:
    ProgressMeter(const IndexProgress& fn, uint64_t total) : fn_(fn), total_(total ? total : 1) {}
    void advance(uint64_t n) {
        done_ += n;
        int p = static_cast<int>(std::min<uint64_t>(99, done_ * 100 / total_));
        if (fn_ && p != last_) fn_(last_ = p);
    }
    void finish() {
        if (fn_ && last_ != 100) fn_(last_ = 100);
    }

private:
    const IndexProgress& fn_;
    uint64_t total_, done_ = 0;
    int last_ = -1;
};

std::string paddedName(const std::string& name) {
    std::string s = name.substr(0, kTagNameLength);
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    s.resize(kTagNameLength, ' ');
    return s;
}

// Bytes each tag's keys take in memory per record: the unpadded key seen on up to 1,000
// records spread over the table, a quarter more for safety, and the sort entry.
std::vector<size_t> sampleKeyBytes(dbf::DbfFile* table, const std::vector<BuildTag>& tags) {
    const uint32_t n = table->recordCount();
    const uint32_t samples = std::min<uint32_t>(n, 1000);
    std::vector<size_t> total(tags.size(), 0);
    std::string image, key;
    for (uint32_t i = 0; i < samples; ++i) {
        uint32_t r = 1 + uint32_t(uint64_t(i) * n / samples);
        if (!table->readRecord(r, &image).isOk()) return std::vector<size_t>(tags.size(), 0);
        for (size_t t = 0; t < tags.size(); ++t) {
            if (!tags[t].key.make(image, r, &key)) continue;
            const uint8_t* p = reinterpret_cast<const uint8_t*>(key.data());
            total[t] += key.size() - trailingCount(p, tags[t].key.length(), tags[t].key.fill());
        }
    }
    std::vector<size_t> per(tags.size());
    for (size_t t = 0; t < tags.size(); ++t) {
        size_t keyBytes = samples ? total[t] * 5 / 4 / samples + 1 : tags[t].key.length();
        per[t] = std::min<size_t>(keyBytes, tags[t].key.length()) + 1 + sizeof(uint64_t) * 3;
    }
    return per;
}

} // namespace

Result<std::unique_ptr<File>> writeIndexFile(const std::string& path, Env* env, dbf::DbfFile* table,
                                             const std::vector<BuildTag>& tags, uint32_t counter,
                                             size_t memoryBudget, const IndexProgress& progress) {
    auto file = env->open(path, OpenMode::Create, LockMode::Exclusive);
    if (!file) return file.status();
    Pager pager(std::move(*file), false);
    RK_RETURN_IF_ERROR(pager.open());
    const uint32_t n = table->recordCount();
    const uint16_t recLen = table->recordLength();

    // Groups of consecutive tags whose keys fit the budget together, from the key lengths
    // seen on a sample of the records (keys are held without their padding).
    std::vector<size_t> perRecord = sampleKeyBytes(table, tags);
    std::vector<std::pair<size_t, size_t>> groups;
    for (size_t i = 0; i < tags.size();) {
        size_t j = i, bytes = 0;
        do {
            bytes += size_t(n) * perRecord[j];
            ++j;
        } while (j < tags.size() && bytes + size_t(n) * perRecord[j] <= memoryBudget);
        groups.emplace_back(i, j);
        i = j;
    }
    ProgressMeter meter(progress, uint64_t(n) * (groups.size() + tags.size()));

    std::vector<uint8_t> zero(kHeaderSize + kPageSize, 0);
    RK_RETURN_IF_ERROR(pager.writeBytes(0, zero.data(), zero.size())); // header + directory
    // Every tag's header comes first, so that a file cut short keeps the definitions.
    std::vector<uint32_t> headerOffsets(tags.size()), roots(tags.size());
    for (size_t t = 0; t < tags.size(); ++t)
        headerOffsets[t] = pager.reserveAtEnd(2);
    const uint32_t perRead = std::max<uint32_t>(1, (1u << 20) / std::max<uint16_t>(recLen, 1));
    std::vector<char> buf(size_t(perRead) * recLen);
    std::string key;
    for (const auto& [first, last] : groups) {
        std::vector<KeyArena> arenas;
        for (size_t t = first; t < last; ++t)
            arenas.emplace_back(tags[t].key.length(), tags[t].key.fill());
        for (uint32_t r = 1; r <= n; r += perRead) {
            uint32_t count = std::min(perRead, n - r + 1);
            RK_RETURN_IF_ERROR(table->readRecords(r, count, buf.data()));
            for (uint32_t i = 0; i < count; ++i) {
                std::string_view image(buf.data() + size_t(i) * recLen, recLen);
                for (size_t t = first; t < last; ++t)
                    if (tags[t].key.make(image, r + i, &key)) arenas[t - first].add(key, r + i);
            }
            meter.advance(count);
        }
        for (size_t t = first; t < last; ++t) {
            KeyArena& arena = arenas[t - first];
            arena.sort();
            TreeBuilder builder(&pager, tags[t].key.length(), tags[t].key.fill(), kLeafFillPercent);
            std::vector<uint8_t> k(tags[t].key.length());
            for (size_t i = 0; i < arena.size(); ++i) {
                arena.prefetch(i + 8);
                if (tags[t].header.unique() && i > 0 && arena.sameKey(i - 1, i)) continue;
                arena.key(i, k.data());
                RK_RETURN_IF_ERROR(builder.add(k.data(), arena.recno(i)));
            }
            auto root = builder.finish();
            if (!root) return root.status();
            roots[t] = *root;
            meter.advance(n);
            arena = KeyArena(1, 0); // free its memory before the next tag
        }
    }

    // The tag directory: names in byte order, each pointing at its tag's header.
    std::vector<std::pair<std::string, uint32_t>> names;
    for (size_t t = 0; t < tags.size(); ++t)
        names.emplace_back(paddedName(tags[t].name), headerOffsets[t]);
    std::sort(names.begin(), names.end());
    Node dir;
    dir.keyLength = kTagNameLength;
    dir.fill = ' ';
    dir.attr = kAttrLeaf | kAttrRoot;
    dir.offset = kHeaderSize;
    for (const auto& [name, off] : names)
        dir.insert(dir.count(), reinterpret_cast<const uint8_t*>(name.data()), off);
    uint32_t dirRoot = kHeaderSize, freeHead = 0;
    uint8_t page[kPageSize];
    if (fitsPage(dir)) {
        encodeNode(dir, page);
        RK_RETURN_IF_ERROR(pager.writeBytes(kHeaderSize, page, kPageSize));
    } else {
        TreeBuilder builder(&pager, kTagNameLength, ' ');
        for (size_t i = 0; i < dir.count(); ++i)
            RK_RETURN_IF_ERROR(builder.add(dir.key(i), dir.recnos[i]));
        auto root = builder.finish();
        if (!root) return root.status();
        dirRoot = *root;
        freeHead = kHeaderSize; // the reserved page is left free (its next pointer is 0)
    }

    std::vector<uint8_t> hdr(kHeaderSize);
    for (size_t t = 0; t < tags.size(); ++t) {
        Header h = tags[t].header;
        h.root = roots[t];
        h.freeList = 0;
        h.counter = 0;
        h.keyLength = tags[t].key.length();
        h.collation = {};
        h.options = static_cast<uint8_t>(kTagBaseOptions | (h.unique() ? kOptUnique : 0) |
                                         (h.forExpr.empty() ? 0 : kOptFor));
        encodeHeader(h, hdr.data());
        RK_RETURN_IF_ERROR(pager.writeBytes(headerOffsets[t], hdr.data(), hdr.size()));
    }
    encodeHeader(compoundHeader(dirRoot, freeHead, counter), hdr.data());
    StateMark mark{true, true, counter, n, static_cast<uint32_t>(pager.size() / kPageSize), {}};
    RK_RETURN_IF_ERROR(table->stamp(&mark.table));
    writeMark(hdr.data(), mark);
    RK_RETURN_IF_ERROR(pager.writeBytes(0, hdr.data(), hdr.size()));
    RK_RETURN_IF_ERROR(pager.file()->sync());
    meter.finish();
    return pager.releaseFile();
}

} // namespace rk::store
