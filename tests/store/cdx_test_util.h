// Helpers of the index tests: a file held in memory that counts its writes, and a plain
// model of a tag (a sorted set of entries).
#pragma once

#include "cdx_node.h"
#include "env.h"

#include <cstring>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace rk::test {

struct MemData {
    std::vector<uint8_t> bytes;
    long writes = 0;
    long bytesWritten = 0;
};

class MemFile : public File {
public:
    explicit MemFile(std::shared_ptr<MemData> data, std::string path = "mem.cdx")
        : File(std::move(path)), data_(std::move(data)) {}
    Status read(uint64_t o, void* b, size_t n, size_t* got) override {
        size_t avail = o < data_->bytes.size() ? data_->bytes.size() - o : 0;
        *got = std::min(n, avail);
        if (*got) std::memcpy(b, data_->bytes.data() + o, *got);
        return Status::ok();
    }
    Status write(uint64_t o, const void* b, size_t n) override {
        if (data_->bytes.size() < o + n) data_->bytes.resize(o + n, 0);
        std::memcpy(data_->bytes.data() + o, b, n);
        ++data_->writes;
        data_->bytesWritten += static_cast<long>(n);
        return Status::ok();
    }
    Status size(uint64_t* out) override {
        *out = data_->bytes.size();
        return Status::ok();
    }
    Status truncate(uint64_t len) override {
        data_->bytes.resize(len);
        return Status::ok();
    }
    Status sync() override { return Status::ok(); }

private:
    std::shared_ptr<MemData> data_;
};

// Entries of a tag as the model sees them: key bytes at full length, then record number.
using Entry = std::pair<std::string, uint32_t>;
using Model = std::set<Entry>;

// Random keys with shared prefixes, trailing fill and repeats, so that every leaf
// compression case shows up.
class KeyGen {
public:
    KeyGen(uint16_t keyLength, uint8_t fill, uint32_t seed)
        : k_(keyLength), fill_(fill), rng_(seed) {}
    std::string next() {
        std::string key(k_, static_cast<char>(fill_));
        int shape = pick(0, 9);
        if (shape == 0) return key; // blank key
        size_t len = static_cast<size_t>(pick(1, k_));
        if (shape < 4) len = std::min<size_t>(len, 3); // short: many equal keys
        static const char alphabet[] = "AAAABBBCCDEFGHIJKLMNOPQRSTUVWXYZ aeiou0123\x80\xe9\xff";
        for (size_t i = 0; i < len; ++i)
            key[i] = alphabet[pick(0, static_cast<int>(sizeof(alphabet)) - 2)];
        return key;
    }
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    std::mt19937& rng() { return rng_; }

private:
    uint16_t k_;
    uint8_t fill_;
    std::mt19937 rng_;
};

inline const uint8_t* bytes(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

} // namespace rk::test
