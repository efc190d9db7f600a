// Leaf and interior page codecs: bit layouts, round trips, full pages, FoxPro's own bytes.
#include "cdx_node.h"
#include "cdx_test_util.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

using namespace rk;
using namespace rk::cdx;
using rk::test::bytes;

namespace {

Node makeLeaf(uint16_t k, uint8_t fill, std::vector<test::Entry> entries) {
    std::sort(entries.begin(), entries.end());
    Node n;
    n.keyLength = k;
    n.fill = fill;
    n.attr = kAttrLeaf;
    for (const auto& [key, rec] : entries)
        n.insert(n.count(), bytes(key), rec);
    return n;
}

void expectSameEntries(const Node& a, const Node& b) {
    ASSERT_EQ(a.count(), b.count());
    EXPECT_EQ(a.keys, b.keys);
    EXPECT_EQ(a.recnos, b.recnos);
    EXPECT_EQ(a.children, b.children);
}

std::string pad(std::string s, size_t k, char fill = ' ') {
    s.resize(k, fill);
    return s;
}

} // namespace

TEST(CdxLeafLayout, WidthsFollowKeyLengthAndRecordNumbers) {
    LeafLayout l = leafLayout(10, 42);
    EXPECT_EQ(l.recBits, 16);
    EXPECT_EQ(l.dupBits, 4);
    EXPECT_EQ(l.trailBits, 4);
    EXPECT_EQ(l.bytes, 3);
    l = leafLayout(40, 100);
    EXPECT_EQ(l.dupBits, 6);
    EXPECT_EQ(l.recBits, 12);
    // A record number beyond the mask makes the entries one byte wider.
    l = leafLayout(40, 4096);
    EXPECT_EQ(l.bytes, 4);
    EXPECT_EQ(l.recBits, 20);
    l = leafLayout(100, 1023);
    EXPECT_EQ(l.bytes, 3);
    EXPECT_EQ(l.recBits, 10);
    l = leafLayout(100, 1024);
    EXPECT_EQ(l.bytes, 4);
    // Record numbers never take more than 32 bits; the counts take the spare bits.
    for (uint16_t k : {1, 8, 10, 40, 100, 200, 240}) {
        for (uint32_t rec : {1u, 255u, 65535u, 1u << 24, 0xFFFFFFFFu}) {
            l = leafLayout(k, rec);
            EXPECT_EQ(l.recBits + l.dupBits + l.trailBits, 8 * l.bytes) << k << " " << rec;
            EXPECT_LE(l.recBits, 32);
            EXPECT_LE(l.dupBits, 8);
            EXPECT_LE(l.trailBits, 8);
            EXPECT_GE((1ull << l.dupBits) - 1, k);
            EXPECT_GE((1ull << l.trailBits) - 1, k);
            EXPECT_GE((1ull << l.recBits) - 1, rec);
        }
    }
}

TEST(CdxLeafCodec, DuplicateAndTrailingCountsAsFoxProWritesThem) {
    // Identical keys "Audio     ": dup 5, trail 5; a blank key: dup 0, trail 10.
    Node n = makeLeaf(10, ' ', {{pad("", 10), 1}, {pad("Audio", 10), 2}, {pad("Audio", 10), 3}});
    uint8_t page[kPageSize];
    encodeNode(n, page);
    LeafLayout l = leafLayout(10, 3);
    auto entry = [&](int i) {
        uint32_t v = page[24 + 3 * i] | (page[25 + 3 * i] << 8) | (page[26 + 3 * i] << 16);
        return std::make_tuple(v & 0xFFFF, (v >> l.recBits) & 15, (v >> (l.recBits + 4)) & 15);
    };
    EXPECT_EQ(entry(0), std::make_tuple(1u, 0u, 10u));
    EXPECT_EQ(entry(1), std::make_tuple(2u, 0u, 5u));
    EXPECT_EQ(entry(2), std::make_tuple(3u, 5u, 5u));
    // Stored bytes: "Audio" once; free = 488 - 3 * 3 - 5.
    EXPECT_EQ(get16(page + kLeafFree), 488 - 9 - 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(page + 507), 5), "Audio");
    Node back;
    ASSERT_TRUE(decodeNode(page, 0x1000, 10, ' ', &back).isOk());
    expectSameEntries(n, back);
}

TEST(CdxLeafCodec, RandomRoundTripsAtEveryKeyLength) {
    for (uint16_t k : {1, 2, 8, 10, 25, 50, 100, 239, 240}) {
        for (uint8_t fill : {uint8_t(' '), uint8_t(0)}) {
            test::KeyGen gen(k, fill, 1000u + k + fill);
            for (int round = 0; round < 60; ++round) {
                uint32_t maxRec = round % 3 == 0 ? 200 : (round % 3 == 1 ? 70000 : 0xFFFFFFF0u);
                Node n = makeLeaf(k, fill, {});
                // Fill until the page is full.
                for (int tries = 0; tries < 400; ++tries) {
                    std::string key = gen.next();
                    uint32_t rec = static_cast<uint32_t>(gen.pick(1, 1 << 30)) % maxRec + 1;
                    size_t at = lowerBound(n, bytes(key), rec);
                    if (at < n.count() &&
                        compareEntry(n.key(at), n.recnos[at], bytes(key), rec, k) == 0)
                        continue;
                    n.insert(at, bytes(key), rec);
                    if (!fitsPage(n)) {
                        n.erase(at);
                        break;
                    }
                }
                ASSERT_TRUE(fitsPage(n));
                // The size kept through the inserts and erases is the size worked out anew.
                EXPECT_EQ(n.leafBytes(), encodedBytes(n));
                uint8_t page[kPageSize];
                encodeNode(n, page);
                Node back;
                Status s = decodeNode(page, 0x800, k, fill, &back);
                ASSERT_TRUE(s.isOk()) << s.message() << " k=" << k;
                expectSameEntries(n, back);
                EXPECT_EQ(get16(page + kLeafFree), kLeafSpace - encodedBytes(n));
                // Re-encoding the decoded page gives the same bytes.
                uint8_t again[kPageSize];
                encodeNode(back, again);
                EXPECT_EQ(0, std::memcmp(page, again, kPageSize));
            }
        }
    }
}

TEST(CdxLeafCodec, FullPageOfEqualKeysAndWideRecordNumbers) {
    // Equal blank keys store no key bytes: 162 three-byte entries fill 486 of 488 bytes.
    Node n = makeLeaf(10, ' ', {});
    for (uint32_t r = 1; r <= 162; ++r)
        n.insert(n.count(), bytes(pad("", 10)), r);
    EXPECT_TRUE(fitsPage(n));
    EXPECT_EQ(encodedBytes(n), 486u);
    n.insert(n.count(), bytes(pad("", 10)), 163);
    EXPECT_FALSE(fitsPage(n));
    // A record number above 65535 widens every entry on the page.
    Node w = makeLeaf(10, ' ', {});
    for (uint32_t r = 1; r <= 100; ++r)
        w.insert(w.count(), bytes(pad("", 10)), r);
    EXPECT_EQ(encodedBytes(w), 300u);
    w.insert(w.count(), bytes(pad("", 10)), 70000);
    EXPECT_EQ(encodedBytes(w), 404u);
    uint8_t page[kPageSize];
    encodeNode(w, page);
    EXPECT_EQ(page[kLeafEntryBytes], 4);
    Node back;
    ASSERT_TRUE(decodeNode(page, 0x800, 10, ' ', &back).isOk());
    expectSameEntries(w, back);
}

TEST(CdxLeafSizer, RangeSizesMatchEncodingOfTheRange) {
    test::KeyGen gen(20, ' ', 7);
    std::set<test::Entry> entries;
    while (entries.size() < 60)
        entries.insert({gen.next(), static_cast<uint32_t>(gen.pick(1, 300000))});
    Node n = makeLeaf(20, ' ', {entries.begin(), entries.end()});
    LeafSizer sizer(n);
    for (size_t b = 0; b < n.count(); b += 7) {
        for (size_t e = b + 1; e <= n.count(); e += 5) {
            Node part = makeLeaf(20, ' ', {});
            for (size_t i = b; i < e; ++i)
                part.insert(part.count(), n.key(i), n.recnos[i]);
            EXPECT_EQ(sizer.bytes(b, e), encodedBytes(part)) << b << ".." << e;
        }
    }
}

TEST(CdxInteriorCodec, RoundTripAndCapacity) {
    for (uint16_t k : {1, 8, 10, 100, 240}) {
        size_t cap = interiorCapacity(k);
        EXPECT_EQ(cap, 500u / (k + 8u));
        Node n;
        n.keyLength = k;
        n.attr = kAttrRoot;
        for (size_t i = 0; i < cap; ++i) {
            std::string key(k, char('A' + i % 26));
            key[0] = static_cast<char>(i);
            n.insert(i, bytes(key), static_cast<uint32_t>(0x01020304u + i),
                     static_cast<uint32_t>(0x400 + 512 * i));
        }
        uint8_t page[kPageSize];
        encodeNode(n, page);
        EXPECT_EQ(get16(page + kNodeAttr), kAttrRoot);
        // Record numbers and child pointers are big-endian.
        EXPECT_EQ(page[kNodeHeaderSize + k], 0x01);
        EXPECT_EQ(get32be(page + kNodeHeaderSize + k + 4), 0x400u);
        Node back;
        ASSERT_TRUE(decodeNode(page, 0x600, k, 0, &back).isOk());
        expectSameEntries(n, back);
        EXPECT_EQ(back.attr, kAttrRoot);
    }
}

TEST(CdxNodeDecode, DamagedPagesGiveCorruptionNeverACrash) {
    test::KeyGen gen(12, ' ', 99);
    std::set<test::Entry> entries;
    while (entries.size() < 30)
        entries.insert({gen.next(), static_cast<uint32_t>(gen.pick(1, 5000))});
    Node n = makeLeaf(12, ' ', {entries.begin(), entries.end()});
    uint8_t good[kPageSize];
    encodeNode(n, good);
    std::mt19937 rng(5);
    int rejected = 0;
    for (int round = 0; round < 20000; ++round) {
        uint8_t page[kPageSize];
        std::memcpy(page, good, kPageSize);
        int flips = 1 + static_cast<int>(rng() % 4);
        for (int f = 0; f < flips; ++f)
            page[rng() % 64 + (rng() % 2 ? 0 : rng() % 448)] ^= uint8_t(1 + rng() % 255);
        Node out;
        if (!decodeNode(page, 0x800, 12, ' ', &out).isOk()) {
            ++rejected;
            continue;
        }
        // Whatever decodes is a well-formed, ordered node.
        for (size_t i = 1; i < out.count(); ++i)
            EXPECT_LT(
                compareEntry(out.key(i - 1), out.recnos[i - 1], out.key(i), out.recnos[i], 12), 0);
    }
    EXPECT_GT(rejected, 10000);
    // Specific faults.
    uint8_t page[kPageSize];
    Node out;
    std::memcpy(page, good, kPageSize);
    put16(page + kLeafFree, get16(page + kLeafFree) + 1);
    EXPECT_EQ(decodeNode(page, 0x800, 12, ' ', &out).code(), Status::Code::Corruption);
    std::memcpy(page, good, kPageSize);
    page[kLeafRecBits] += 1;
    EXPECT_EQ(decodeNode(page, 0x800, 12, ' ', &out).code(), Status::Code::Corruption);
    std::memcpy(page, good, kPageSize);
    put16(page + kNodeAttr, 7);
    EXPECT_EQ(decodeNode(page, 0x800, 12, ' ', &out).code(), Status::Code::Corruption);
    std::memcpy(page, good, kPageSize);
    put16(page + kNodeCount, 200);
    EXPECT_EQ(decodeNode(page, 0x800, 12, ' ', &out).code(), Status::Code::Corruption);
}

TEST(CdxNodeDecode, FoxProPagesDecodeAndReencodeByteForByte) {
    const std::string path = std::string(RK_SHARED_DIR) + "/fixtures/foxpro/rooms.cdx";
    std::string file = test::readAll(path);
    if (file.empty()) GTEST_SKIP() << "no FoxPro fixture at " << path;
    auto page = [&](uint32_t off) { return reinterpret_cast<const uint8_t*>(file.data() + off); };
    // The tag directory and the ROOMNAME tag's leaf.
    Node dir;
    ASSERT_TRUE(decodeNode(page(0x400), 0x400, 10, ' ', &dir).isOk());
    ASSERT_EQ(dir.count(), 5u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(dir.key(0)), 10), "AUDIO     ");
    EXPECT_EQ(dir.recnos[0], 0x1200u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(dir.key(4)), 10), "ROOMNAME  ");
    EXPECT_EQ(dir.recnos[4], 0x600u);
    uint8_t again[kPageSize];
    encodeNode(dir, again);
    EXPECT_EQ(0, std::memcmp(again, page(0x400), kPageSize));
    Node room;
    ASSERT_TRUE(decodeNode(page(0xa00), 0xa00, 10, ' ', &room).isOk());
    EXPECT_EQ(room.count(), 42u);
    encodeNode(room, again);
    EXPECT_EQ(0, std::memcmp(again, page(0xa00), kPageSize));
    // The AUDIO tag's leaf stores its trailing blanks (trailing count 0): still the same keys.
    Node audio;
    ASSERT_TRUE(decodeNode(page(0x1600), 0x1600, 10, ' ', &audio).isOk());
    EXPECT_EQ(audio.count(), 13u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(audio.key(0)), 10), "ADR-Foley ");
}
