// Building whole index files: one pass over the table that gathers every tag's keys, a sort
// of each tag's keys, then bottom-up trees written in sequence. Keys beyond the memory
// budget go to a temporary file in sorted runs, merged when the tag's tree is built, so that
// memory stays bounded whatever the size of the table. The index is written under a
// temporary name by the caller and renamed into place.
#include "cdx.h"

#include "cdx_build.h"
#include "record.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <numeric>
#include <system_error>
#include <thread>

namespace rk::store {

using namespace cdx;

namespace {

// Leaves of rebuilt tags keep some room: a title added later then seldom splits a page.
constexpr unsigned kLeafFillPercent = 85;

// Below this many bytes of keys and runs, the trees are built on one thread: a second one
// would cost more than it saves.
constexpr uint64_t kApartFrom = uint64_t(4) << 20;

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
    // Empty again; the memory stays for the next keys.
    void clear() {
        bytes_.clear();
        refs_.clear();
    }
    void release() {
        bytes_ = {};
        refs_ = {};
    }
    // Bytes the keys take (the vectors keep their room after clear(), for the next keys).
    size_t memory() const { return bytes_.size() + refs_.size() * sizeof(Ref); }

    size_t size() const { return refs_.size(); }
    // Key i without its trailing fill.
    const uint8_t* raw(size_t i, size_t* length) const {
        const uint8_t* p = bytes_.data() + refs_[i].offset;
        *length = p[0];
        return p + 1;
    }
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

    // The key's bytes [depth, depth + 16) as two big-endian numbers: the fill after the
    // stored bytes, zero past the key length.
    void setDigits(Ref& r, size_t depth) const {
        const uint8_t* p = bytes_.data() + r.offset;
        const size_t len = p[0];
        uint8_t b[16];
        if (depth + 16 <= len) {
            std::memcpy(b, p + 1 + depth, 16);
        } else {
            for (size_t i = 0; i < 16; ++i) {
                const size_t at = depth + i;
                b[i] = at < len ? p[1 + at] : at < k_ ? fill_ : 0;
            }
        }
        uint64_t hi = 0, lo = 0;
        for (int i = 0; i < 8; ++i) {
            hi = (hi << 8) | b[i];
            lo = (lo << 8) | b[8 + i];
        }
        r.digit[0] = hi;
        r.digit[1] = lo;
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
        bool same = true;
        for (auto it = first; it != last; ++it) {
            prefetch(size_t(it - refs_.begin()) + 8);
            setDigits(*it, depth);
            same = same && it->digit[0] == first->digit[0] && it->digit[1] == first->digit[1];
        }
        // Keys alike over these 16 bytes (a blank field first): nothing to order here.
        if (same) return sortRun(begin, end, depth + 16);
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

// Sorts every arena, on two threads when `share` and the machine has them: the arenas are
// independent, and the larger ones are shared out first so that both threads get about as
// many keys.
void sortArenas(std::vector<KeyArena>& arenas, bool share) {
    std::vector<size_t> order(arenas.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return arenas[a].size() > arenas[b].size(); });
    std::vector<size_t> here, there;
    size_t hereKeys = 0, thereKeys = 0;
    for (size_t i : order) {
        if (hereKeys <= thereKeys || !share) {
            here.push_back(i);
            hereKeys += arenas[i].size();
        } else {
            there.push_back(i);
            thereKeys += arenas[i].size();
        }
    }
    std::thread helper;
    if (thereKeys > 0) {
        try {
            helper = std::thread([&arenas, &there] {
                for (size_t i : there)
                    arenas[i].sort();
            });
        } catch (const std::system_error&) {
            // No thread to be had: this one sorts them all.
        }
    }
    if (!helper.joinable()) here.insert(here.end(), there.begin(), there.end());
    for (size_t i : here)
        arenas[i].sort();
    if (helper.joinable()) helper.join();
}

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
    IndexProgress fn_;
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

// Holds `io` (when there is one) for a call into the file layer: the threads of a build share
// it, and a file layer need not be safe for threads.
std::unique_lock<std::mutex> hold(std::mutex* io) {
    return io ? std::unique_lock<std::mutex>(*io) : std::unique_lock<std::mutex>();
}

// Sorted runs of one or more tags' keys in a temporary file: per entry the length of the
// prefix shared with the entry before (u8), the length of the rest (u8), the rest of the key
// without its trailing fill, and the record number (u32). The file is removed when the runs
// are done with.
class RunFile {
public:
    struct Run {
        uint64_t offset = 0, bytes = 0;
    };

    RunFile(Env* env, std::string path, std::mutex* io)
        : env_(env), path_(std::move(path)), io_(io) {}
    ~RunFile() {
        if (file_) {
            auto lock = hold(io_);
            file_.reset();
            ignore(env_->remove(path_), "a temporary file; nothing depends on it");
        }
    }

    // Writes the arena's keys, which are sorted, as one run.
    Result<Run> write(const KeyArena& keys) {
        if (!file_) {
            auto lock = hold(io_);
            auto f = env_->open(path_, OpenMode::Create, LockMode::Exclusive);
            if (!f) return f.status();
            file_ = std::move(*f);
        }
        Run run{end_, 0};
        // Room for a block and one more entry (its lengths fit a byte each).
        std::vector<uint8_t> buf(kBlock + 2 + 255 + 4);
        size_t used = 0;
        const uint8_t* prev = nullptr;
        size_t prevLen = 0;
        for (size_t i = 0; i < keys.size(); ++i) {
            keys.prefetch(i + 8); // sorted keys lie all over the arena
            size_t len = 0;
            const uint8_t* key = keys.raw(i, &len);
            const size_t dup = commonPrefix(prev, key, std::min(len, prevLen));
            uint8_t* out = buf.data() + used;
            out[0] = static_cast<uint8_t>(dup);
            out[1] = static_cast<uint8_t>(len - dup);
            std::memcpy(out + 2, key + dup, len - dup);
            put32(out + 2 + (len - dup), keys.recno(i));
            used += 2 + (len - dup) + 4;
            prev = key;
            prevLen = len;
            if (used >= kBlock) {
                RK_RETURN_IF_ERROR(flush(buf.data(), used));
                used = 0;
            }
        }
        RK_RETURN_IF_ERROR(flush(buf.data(), used));
        run.bytes = end_ - run.offset;
        return run;
    }

    File* file() { return file_.get(); }

private:
    // The length of the prefix that a and b share, looked at eight bytes at a time.
    static size_t commonPrefix(const uint8_t* a, const uint8_t* b, size_t most) {
        size_t i = 0;
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        for (; i + 8 <= most; i += 8) {
            uint64_t x, y;
            std::memcpy(&x, a + i, 8);
            std::memcpy(&y, b + i, 8);
            if (x != y) return i + size_t(__builtin_ctzll(x ^ y)) / 8;
        }
#endif
        while (i < most && a[i] == b[i])
            ++i;
        return i;
    }

    Status flush(const uint8_t* bytes, size_t used) {
        if (used == 0) return Status::ok();
        {
            auto lock = hold(io_);
            RK_RETURN_IF_ERROR(file_->write(end_, bytes, used));
        }
        end_ += used;
        return Status::ok();
    }

    static constexpr size_t kBlock = size_t(1) << 20;
    Env* env_;
    std::string path_;
    std::mutex* io_;
    std::unique_ptr<File> file_;
    uint64_t end_ = 0;
};

// One run of a tag's keys and the file that holds it.
struct RunSource {
    File* file;
    RunFile::Run run;
};

// The entries of a tag in order, from its runs on disk and the sorted keys left in memory:
// a tournament of the sources (each step replays one path of the tree), where entries are
// told apart by their first 16 key bytes held as two numbers, and by the rest only on a tie.
class Merge {
public:
    Merge(const std::vector<RunSource>& runs, const std::vector<const KeyArena*>& rests, uint16_t k,
          uint8_t fill, size_t buffer, std::mutex* io)
        : k_(k), fill_(fill), bufferSize_(std::max<size_t>(buffer, 4096)), io_(io) {
        for (const RunSource& r : runs) {
            Source src;
            src.file = r.file;
            src.at = r.run.offset;
            src.end = r.run.offset + r.run.bytes;
            sources_.push_back(std::move(src));
        }
        for (const KeyArena* rest : rests) {
            Source src;
            src.arena = rest;
            sources_.push_back(std::move(src));
        }
        if (sources_.empty()) sources_.emplace_back(); // nothing at all: done at once
        for (Source& src : sources_)
            src.key.assign(size_t(k) + 16, fill); // room for the 16 bytes read as numbers
    }

    // The next entry in (key, record number) order, or null at the end. The key stays valid
    // until the next call.
    Result<const uint8_t*> next(uint32_t* recno) {
        if (!started_) {
            for (size_t i = 0; i < sources_.size(); ++i)
                RK_RETURN_IF_ERROR(advance(i));
            build();
            started_ = true;
        } else {
            RK_RETURN_IF_ERROR(advance(tree_[0]));
            replay(tree_[0]);
        }
        const Source& top = sources_[tree_[0]];
        if (top.done) return static_cast<const uint8_t*>(nullptr);
        *recno = top.recno;
        return static_cast<const uint8_t*>(top.key.data());
    }

private:
    struct Source {
        File* file = nullptr;            // a run on disk, or
        const KeyArena* arena = nullptr; // keys in memory (neither: no keys)
        uint64_t at = 0, end = 0;        // the run's bytes not yet read, or the next key
        std::vector<uint8_t> buf;
        size_t pos = 0;
        std::vector<uint8_t> key; // the current key, padded
        size_t length = 0;        // ... and its length without the padding
        uint64_t high = 0, low = 0;
        uint32_t recno = 0;
        bool done = false;
    };

    static uint64_t bigEndian(const uint8_t* p) {
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i)
            v = (v << 8) | p[i];
        return v;
    }

    bool less(size_t a, size_t b) const {
        const Source& x = sources_[a];
        const Source& y = sources_[b];
        if (x.done || y.done) return !x.done;
        if (x.high != y.high) return x.high < y.high;
        if (x.low != y.low) return x.low < y.low;
        if (k_ > 16) {
            int c = std::memcmp(x.key.data() + 16, y.key.data() + 16, k_ - 16);
            if (c != 0) return c < 0;
        }
        return x.recno < y.recno;
    }

    void build() {
        const size_t n = sources_.size();
        tree_.assign(n, 0);
        std::vector<size_t> win(2 * n);
        for (size_t i = 0; i < n; ++i)
            win[n + i] = i;
        for (size_t node = n - 1; node > 0; --node) {
            size_t a = win[2 * node], b = win[2 * node + 1];
            win[node] = less(b, a) ? b : a;
            tree_[node] = win[node] == a ? b : a;
        }
        tree_[0] = n > 1 ? win[1] : 0;
    }

    // After source s moved on: the matches on its path to the top again.
    void replay(size_t s) {
        const size_t n = sources_.size();
        size_t winner = s;
        for (size_t node = (s + n) / 2; node > 0; node /= 2)
            if (less(tree_[node], winner)) std::swap(tree_[node], winner);
        tree_[0] = winner;
    }

    // Sets the key's bytes from `dup` on; the padding follows.
    void setKey(Source& src, size_t dup, const uint8_t* rest, size_t restLength) {
        uint8_t* key = src.key.data();
        std::memcpy(key + dup, rest, restLength);
        const size_t length = dup + restLength;
        if (length < src.length) std::memset(key + length, fill_, src.length - length);
        src.length = length;
        src.high = bigEndian(key);
        src.low = bigEndian(key + 8);
    }

    // Makes sure `n` bytes of the source are in its buffer.
    Status fill(Source& src, size_t n) {
        if (src.pos + n <= src.buf.size()) return Status::ok();
        src.buf.erase(src.buf.begin(), src.buf.begin() + static_cast<ptrdiff_t>(src.pos));
        src.pos = 0;
        size_t want = std::max(bufferSize_, n) - src.buf.size();
        want = static_cast<size_t>(std::min<uint64_t>(want, src.end - src.at));
        size_t have = src.buf.size();
        src.buf.resize(have + want);
        size_t got = 0;
        {
            auto lock = hold(io_);
            RK_RETURN_IF_ERROR(src.file->read(src.at, src.buf.data() + have, want, &got));
        }
        src.buf.resize(have + got);
        src.at += got;
        if (src.buf.size() < n)
            return Status::corruption("a temporary file of the index build is cut short");
        return Status::ok();
    }

    Status advance(size_t s) {
        Source& src = sources_[s];
        if (src.done) return Status::ok();
        if (!src.file) {
            if (!src.arena || src.at >= src.arena->size()) {
                src.done = true;
                return Status::ok();
            }
            const size_t i = static_cast<size_t>(src.at++);
            src.arena->prefetch(i + 8); // sorted keys lie all over the arena
            size_t length = 0;
            const uint8_t* key = src.arena->raw(i, &length);
            setKey(src, 0, key, length);
            src.recno = src.arena->recno(i);
            return Status::ok();
        }
        if (src.pos == src.buf.size() && src.at == src.end) {
            src.done = true;
            return Status::ok();
        }
        RK_RETURN_IF_ERROR(fill(src, 2));
        const size_t dup = src.buf[src.pos], restLength = src.buf[src.pos + 1];
        if (dup + restLength > k_ || dup > src.length)
            return Status::corruption("a temporary file of the index build is damaged");
        RK_RETURN_IF_ERROR(fill(src, 2 + restLength + 4));
        const uint8_t* p = src.buf.data() + src.pos + 2;
        setKey(src, dup, p, restLength);
        src.recno = get32(p + restLength);
        src.pos += 2 + restLength + 4;
        return Status::ok();
    }

    std::vector<Source> sources_;
    std::vector<size_t> tree_; // tree_[0] the winner, the others the losers of their match
    uint16_t k_;
    uint8_t fill_;
    size_t bufferSize_;
    std::mutex* io_;
    bool started_ = false;
};

// One thread's share of the gathering: a key arena per tag, and the runs written when the
// arenas filled its part of the budget.
struct Gatherer {
    Gatherer(Env* env, std::string runPath, const std::vector<BuildTag>& tags, std::mutex* io)
        : runFile(env, std::move(runPath), io), runs(tags.size()) {
        for (const BuildTag& tag : tags)
            arenas.emplace_back(tag.key.length(), tag.key.fill());
    }

    // The keys of records first to first + count - 1, `length` bytes each.
    void gather(const std::vector<BuildTag>& tags, uint32_t first, uint32_t count,
                const char* images, uint16_t length) {
        for (uint32_t i = 0; i < count; ++i) {
            std::string_view image(images + size_t(i) * length, length);
            for (size_t t = 0; t < tags.size(); ++t)
                if (tags[t].key.make(image, first + i, &key)) arenas[t].add(key, first + i);
            if (dbf::isDeleted(image)) ++deleted;
        }
    }

    size_t held() const {
        size_t n = 0;
        for (const KeyArena& a : arenas)
            n += a.memory();
        return n;
    }

    // Each tag's keys sorted (on two threads when `share`) and written to the run file; the
    // gathering goes on.
    Status spill(bool share) {
        sortArenas(arenas, share);
        for (size_t t = 0; t < arenas.size(); ++t) {
            if (arenas[t].size() == 0) continue;
            auto run = runFile.write(arenas[t]);
            if (!run) return run.status();
            runs[t].push_back(*run);
            arenas[t].clear();
        }
        return Status::ok();
    }

    std::vector<KeyArena> arenas;
    RunFile runFile;
    std::vector<std::vector<RunFile::Run>> runs;
    std::string key;
    uint32_t deleted = 0;
};

// A helper thread of the gathering: the caller hands it blocks of records (copied into
// buffers of its own, a few at a time), and it makes their keys into a gatherer of its own,
// spilling that gatherer's runs itself. After the last block it sorts its arenas.
class Helper {
public:
    Helper(const std::vector<BuildTag>& tags, Gatherer* g, size_t budget)
        : tags_(tags), g_(g), budget_(budget) {}
    ~Helper() { ignore(stop(), "a build dropped unfinished; its files are removed"); }

    bool start() {
        try {
            thread_ = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            return false;
        }
        return true;
    }

    // True while fewer than kAhead blocks wait for it.
    bool wantsMore() {
        std::lock_guard<std::mutex> lock(m_);
        return queue_.size() < kAhead && status_.isOk();
    }
    // Blocks handed over and not yet done with.
    size_t pending() {
        std::lock_guard<std::mutex> lock(m_);
        return blocks_.size() - free_.size();
    }

    void give(uint32_t first, uint32_t count, const char* images, uint16_t length) {
        Block* b = nullptr;
        {
            std::unique_lock<std::mutex> lock(m_);
            freed_.wait(lock, [&] { return !free_.empty() || blocks_.size() < kAhead + 1; });
            if (free_.empty()) {
                blocks_.push_back(std::make_unique<Block>());
                b = blocks_.back().get();
            } else {
                b = free_.back();
                free_.pop_back();
            }
        }
        b->first = first;
        b->count = count;
        b->length = length;
        b->images.assign(images, images + size_t(count) * length);
        {
            std::lock_guard<std::mutex> lock(m_);
            queue_.push_back(b);
            ++given_;
        }
        work_.notify_one();
    }

    // Its first failure so far.
    Status status() {
        std::lock_guard<std::mutex> lock(m_);
        return status_;
    }

    // No more blocks: the thread sorts its arenas once it is through those it has.
    void close() {
        {
            std::lock_guard<std::mutex> lock(m_);
            closing_ = true;
        }
        work_.notify_one();
    }

    // Waits for the blocks handed over and the sort of the arenas.
    Status stop() {
        if (!thread_.joinable()) return status();
        close();
        thread_.join();
        return status();
    }

    uint64_t blocksGiven() const { return given_; }

private:
    struct Block {
        uint32_t first = 0, count = 0;
        uint16_t length = 0;
        std::vector<char> images;
    };
    static constexpr size_t kAhead = 2;

    void run() {
        Status s;
        for (;;) {
            Block* b = nullptr;
            {
                std::unique_lock<std::mutex> lock(m_);
                work_.wait(lock, [&] { return !queue_.empty() || closing_; });
                if (queue_.empty()) break;
                b = queue_.front();
                queue_.pop_front();
            }
            if (s) {
                g_->gather(tags_, b->first, b->count, b->images.data(), b->length);
                if (g_->held() >= budget_) s = g_->spill(false);
            }
            {
                std::lock_guard<std::mutex> lock(m_);
                free_.push_back(b);
                if (!s && status_.isOk()) status_ = s;
            }
            freed_.notify_one();
        }
        if (s) sortArenas(g_->arenas, false);
    }

    const std::vector<BuildTag>& tags_;
    Gatherer* g_;
    size_t budget_;
    std::thread thread_;
    std::mutex m_;
    std::condition_variable work_, freed_;
    std::deque<Block*> queue_;
    std::vector<std::unique_ptr<Block>> blocks_;
    std::vector<Block*> free_;
    bool closing_ = false;
    Status status_;
    uint64_t given_ = 0; // the caller's count
};

// Writes one tag's tree from every gatherer's runs and keys in memory, and lets go of its
// keys. Keys of a unique tag that repeat keep their first record.
Status buildTag(const BuildTag& tag, size_t t, std::vector<std::unique_ptr<Gatherer>>& gatherers,
                Pager* pager, std::mutex* io, size_t mergeBuffer, uint32_t* root) {
    TreeBuilder builder(pager, tag.key.length(), tag.key.fill(), kLeafFillPercent, io);
    const bool unique = tag.header.unique();
    std::vector<RunSource> runs;
    std::vector<const KeyArena*> rests;
    for (auto& g : gatherers) {
        for (const RunFile::Run& r : g->runs[t])
            runs.push_back({g->runFile.file(), r});
        if (g->arenas[t].size()) rests.push_back(&g->arenas[t]);
    }
    if (runs.empty() && rests.size() == 1) {
        const KeyArena& arena = *rests[0];
        std::vector<uint8_t> k(tag.key.length());
        for (size_t i = 0; i < arena.size(); ++i) {
            arena.prefetch(i + 8);
            if (unique && i > 0 && arena.sameKey(i - 1, i)) continue;
            arena.key(i, k.data());
            RK_RETURN_IF_ERROR(builder.add(k.data(), arena.recno(i)));
        }
    } else {
        Merge merge(runs, rests, tag.key.length(), tag.key.fill(),
                    std::min<size_t>(size_t(256) << 10, mergeBuffer / (runs.size() + 1)), io);
        std::vector<uint8_t> last;
        for (;;) {
            uint32_t recno = 0;
            auto k = merge.next(&recno);
            if (!k) return k.status();
            if (!*k) break;
            if (unique && !last.empty() && std::memcmp(last.data(), *k, tag.key.length()) == 0)
                continue;
            if (unique) last.assign(*k, *k + tag.key.length());
            RK_RETURN_IF_ERROR(builder.add(*k, recno));
        }
    }
    auto built = builder.finish();
    if (!built) return built.status();
    *root = *built;
    for (auto& g : gatherers)
        g->arenas[t].release(); // its memory goes before the next tag's tree
    return Status::ok();
}

// The pages of tags built apart (their links counted from the start of `from`, each tag's
// pages from starts[i] on) put at `base` in `to`: every link moved by `base`.
Status moveTrees(Pager* from, Pager* to, uint64_t base, const std::vector<uint64_t>& starts,
                 const std::vector<uint16_t>& keyLengths) {
    const uint64_t total = from->size();
    std::vector<uint8_t> buf;
    const auto moved = [&](uint32_t link) {
        return link == kNone ? link : static_cast<uint32_t>(link + base);
    };
    for (uint64_t at = 0; at < total;) {
        const uint64_t n = std::min<uint64_t>(total - at, uint64_t(1) << 20);
        buf.resize(static_cast<size_t>(n));
        RK_RETURN_IF_ERROR(from->readBytes(at, buf.data(), buf.size()));
        for (size_t p = 0; p < buf.size(); p += kPageSize) {
            uint8_t* page = buf.data() + p;
            const uint64_t offset = at + p;
            const size_t tag = static_cast<size_t>(
                std::upper_bound(starts.begin(), starts.end(), offset) - starts.begin() - 1);
            put32(page + kNodeLeft, moved(get32(page + kNodeLeft)));
            put32(page + kNodeRight, moved(get32(page + kNodeRight)));
            if (get16(page + kNodeAttr) & kAttrLeaf) continue;
            const size_t k = keyLengths[tag], count = get16(page + kNodeCount);
            if (kNodeHeaderSize + count * (k + 8) > kPageSize)
                return Status::corruption("a temporary file of the index build is damaged");
            for (size_t i = 0; i < count; ++i) {
                uint8_t* child = page + kNodeHeaderSize + i * (k + 8) + k + 4;
                put32be(child, moved(get32be(child)));
            }
        }
        RK_RETURN_IF_ERROR(to->writeBytes(base + at, buf.data(), buf.size()));
        at += n;
    }
    return Status::ok();
}

} // namespace

// The state of a build between start() and finish(): the file being written, the keys
// gathered so far (by the caller's thread and the helper's, each in a gatherer of its own)
// and the runs of the keys beyond the budget.
struct IndexBuilder::State {
    State(const std::string& p, Env* e, const std::vector<BuildTag>& t, size_t memoryBudget,
          const IndexProgress& progress, uint32_t expected, unsigned threadCount)
        : path(p), env(e), tags(t), budget(std::max<size_t>(memoryBudget, 1)),
          meter(progress, uint64_t(expected) * (1 + t.size())),
          threads(threadCount                               ? threadCount
                  : std::thread::hardware_concurrency() > 1 ? 2
                                                            : 1),
          forced(threadCount != 0) {
        gatherers.push_back(std::make_unique<Gatherer>(e, p + ".sort", tags, &io));
    }
    ~State() { helpers.clear(); } // the helpers' threads end before what they use goes

    std::string path;
    Env* env;
    std::vector<BuildTag> tags;
    size_t budget;
    ProgressMeter meter;
    unsigned threads;
    bool forced;   // the caller chose the threads: no size makes it one
    std::mutex io; // every call into the file layer while a second thread runs
    std::unique_ptr<Pager> pager;
    std::vector<uint32_t> headerOffsets;
    std::vector<std::unique_ptr<Gatherer>> gatherers; // the caller's first
    std::vector<std::unique_ptr<Helper>> helpers;
    uint32_t count = 0;
    uint32_t sinceCheck = 0;
    uint32_t blocks = 0;
    BuildWork work;

    // Each gatherer's part of the budget. With helpers, each of them takes 7/16 of it (the
    // caller's own keys are one block's): the blocks in hand and the room the vectors of
    // several threads keep take the rest.
    size_t share() const { return threads > 1 ? budget / 16 * 7 : budget; }
    Gatherer& own() { return *gatherers[0]; }
};

IndexBuilder::IndexBuilder() = default;
IndexBuilder::~IndexBuilder() {
    if (!state_) return;
    state_->helpers.clear();
    if (state_->pager) {
        state_->pager.reset();
        ignore(state_->env->remove(state_->path), "an unfinished build; nothing depends on it");
    }
}

Result<std::unique_ptr<IndexBuilder>>
IndexBuilder::start(const std::string& path, Env* env, const std::vector<BuildTag>& tags,
                    size_t memoryBudget, const IndexProgress& progress, uint32_t expectedRecords,
                    unsigned threads) {
    std::unique_ptr<IndexBuilder> b(new IndexBuilder());
    b->state_ =
        std::make_unique<State>(path, env, tags, memoryBudget, progress, expectedRecords, threads);
    State& st = *b->state_;
    auto file = env->open(path, OpenMode::Create, LockMode::Exclusive);
    if (!file) return file.status();
    st.pager = std::make_unique<Pager>(std::move(*file), false);
    RK_RETURN_IF_ERROR(st.pager->open());
    std::vector<uint8_t> zero(kHeaderSize + kPageSize, 0);
    RK_RETURN_IF_ERROR(st.pager->writeBytes(0, zero.data(), zero.size())); // header + directory
    // Every tag's header comes first, so that a file cut short keeps the definitions.
    for (size_t t = 0; t < tags.size(); ++t)
        st.headerOffsets.push_back(st.pager->reserveAtEnd(2));
    return b;
}

Status IndexBuilder::add(uint32_t recno, std::string_view image) {
    State& st = *state_;
    st.own().gather(st.tags, recno, 1, image.data(), static_cast<uint16_t>(image.size()));
    ++st.count;
    st.meter.advance(1);
    // The arenas' memory is looked at now and then (a few hundred records are little). When
    // the keys fill the budget they go to the run file, and the gathering goes on.
    if (++st.sinceCheck < 256 && st.budget >= (size_t(1) << 20)) return Status::ok();
    st.sinceCheck = 0;
    if (st.own().held() < st.share()) return Status::ok();
    ++st.work.spills;
    return st.own().spill(st.helpers.empty());
}

Status IndexBuilder::addRecords(uint32_t first, uint32_t count, const char* images,
                                uint16_t length) {
    State& st = *state_;
    // From the second block on, two helper threads make the keys of the blocks handed to them
    // while this one reads (or copies) the next: a helper that sorts and writes its runs holds
    // up neither this thread nor the other helper.
    if (st.helpers.empty() && st.threads > 1 && ++st.blocks > 1) {
        for (int i = 0; i < 2; ++i) {
            st.gatherers.push_back(std::make_unique<Gatherer>(
                st.env, st.path + ".sort" + std::to_string(st.gatherers.size() + 1), st.tags,
                &st.io));
            auto helper = std::make_unique<Helper>(st.tags, st.gatherers.back().get(), st.share());
            if (!helper->start()) {
                st.gatherers.pop_back();
                break;
            }
            st.helpers.push_back(std::move(helper));
        }
        if (st.helpers.empty()) st.threads = 1; // no thread to be had: this one does it all
    }
    st.count += count;
    st.meter.advance(count);
    if (!st.helpers.empty()) {
        Helper* next = nullptr;
        for (auto& h : st.helpers) {
            RK_RETURN_IF_ERROR(h->status());
            if (!next || h->pending() < next->pending()) next = h.get();
        }
        // With one helper only, this thread makes keys too while the helper has enough.
        if (st.helpers.size() > 1 || next->wantsMore()) {
            next->give(first, count, images, length);
            return Status::ok();
        }
    }
    st.own().gather(st.tags, first, count, images, length);
    if (st.own().held() < st.share()) return Status::ok();
    ++st.work.spills;
    return st.own().spill(st.helpers.empty());
}

Result<std::unique_ptr<File>> IndexBuilder::finish(dbf::DbfFile* table, uint32_t counter) {
    State& st = *state_;
    Pager& pager = *st.pager;
    const std::vector<BuildTag>& tags = st.tags;
    // The keys left in memory sorted: each gatherer's on its own thread.
    if (!st.helpers.empty()) {
        for (auto& h : st.helpers)
            h->close();
        sortArenas(st.own().arenas, false);
        for (auto& h : st.helpers) {
            st.work.helperBlocks += h->blocksGiven();
            RK_RETURN_IF_ERROR(h->stop());
        }
    } else {
        sortArenas(st.own().arenas, st.threads > 1);
    }
    uint32_t deleted = 0;
    for (const auto& g : st.gatherers)
        deleted += g->deleted;

    // The trees: tags [0, apart) written here in turn, and with a second thread, tags
    // [apart, n) built at the same time into a file of their own, moved in behind the others
    // once both are done. The file is the one a single thread writes, byte for byte.
    const size_t n = tags.size();
    std::vector<uint64_t> weight(n, 0);
    uint64_t total = 0;
    for (size_t t = 0; t < n; ++t) {
        for (const auto& g : st.gatherers) {
            weight[t] += g->arenas[t].memory();
            for (const RunFile::Run& r : g->runs[t])
                weight[t] += r.bytes;
        }
        total += weight[t];
    }
    size_t apart = n;
    if (st.threads > 1 && n > 1 && (st.forced || total >= kApartFrom)) {
        uint64_t before = 0, best = total;
        for (size_t h = 1; h < n; ++h) {
            before += weight[h - 1];
            const uint64_t larger = std::max(before, total - before);
            if (larger < best) {
                best = larger;
                apart = h;
            }
        }
    }
    const size_t mergeBuffer = std::max<size_t>(1, st.budget / (apart < n ? 16 : 4));
    std::vector<uint32_t> roots(n);
    std::unique_ptr<Pager> part;
    if (apart < n) {
        auto lock = hold(&st.io);
        auto f = st.env->open(st.path + ".part", OpenMode::Create, LockMode::Exclusive);
        if (f) {
            part = std::make_unique<Pager>(std::move(*f), false);
            if (!part->open()) part.reset();
        }
        if (!part) apart = n; // this thread builds them all
    }
    const auto removePart = [&] {
        if (!part) return;
        part.reset();
        ignore(st.env->remove(st.path + ".part"), "a temporary file; nothing depends on it");
    };
    std::vector<uint64_t> starts;
    std::atomic<size_t> doneApart{0};
    Status apartStatus;
    std::thread second;
    if (apart < n) {
        try {
            second = std::thread([&] {
                for (size_t t = apart; t < n && apartStatus; ++t) {
                    starts.push_back(part->size());
                    apartStatus = buildTag(tags[t], t, st.gatherers, part.get(), &st.io,
                                           mergeBuffer, &roots[t]);
                    doneApart.fetch_add(1);
                }
            });
        } catch (const std::system_error&) {
            removePart();
            apart = n;
        }
    }
    std::mutex* io = second.joinable() ? &st.io : nullptr;
    Status s;
    size_t reported = 0;
    // The trees' pages go to stable storage while the rest is built: the final sync then has
    // little left to wait for.
    uint64_t hinted = 0;
    const auto writeBehind = [&](std::mutex* lockIo) {
        auto lock = hold(lockIo);
        pager.file()->startWriteBack(hinted, pager.size() - hinted);
        hinted = pager.size();
    };
    for (size_t t = 0; t < apart && s; ++t) {
        s = buildTag(tags[t], t, st.gatherers, &pager, io, mergeBuffer, &roots[t]);
        if (s) writeBehind(io);
        const size_t now = t + 1 + doneApart.load();
        st.meter.advance(uint64_t(st.count) * (now - reported));
        reported = now;
    }
    if (second.joinable()) second.join();
    if (s) s = apartStatus;
    if (s && apart < n) {
        // Where a single thread would have put them: after the tags built here.
        const uint64_t base = (pager.size() + kPageSize - 1) / kPageSize * kPageSize;
        std::vector<uint16_t> keyLengths;
        for (size_t t = apart; t < n; ++t)
            keyLengths.push_back(tags[t].key.length());
        s = moveTrees(part.get(), &pager, base, starts, keyLengths);
        if (s) writeBehind(nullptr);
        for (size_t t = apart; s && t < n; ++t)
            roots[t] = static_cast<uint32_t>(roots[t] + base);
        st.work.tagsApart = n - apart;
    }
    removePart();
    RK_RETURN_IF_ERROR(s);
    st.meter.advance(uint64_t(st.count) * (n - reported));
    for (const auto& g : st.gatherers)
        for (const auto& r : g->runs)
            st.work.runs += r.size();

    // The tag directory: names in byte order, each pointing at its tag's header.
    std::vector<std::pair<std::string, uint32_t>> names;
    for (size_t t = 0; t < tags.size(); ++t)
        names.emplace_back(paddedName(tags[t].name), st.headerOffsets[t]);
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
        RK_RETURN_IF_ERROR(pager.writeBytes(st.headerOffsets[t], hdr.data(), hdr.size()));
    }
    encodeHeader(compoundHeader(dirRoot, freeHead, counter), hdr.data());
    StateMark mark{true, true,   counter, st.count, static_cast<uint32_t>(pager.size() / kPageSize),
                   {},   deleted};
    RK_RETURN_IF_ERROR(table->stamp(&mark.table));
    writeMark(hdr.data(), mark);
    RK_RETURN_IF_ERROR(pager.writeBytes(0, hdr.data(), hdr.size()));
    RK_RETURN_IF_ERROR(pager.file()->sync());
    st.meter.finish();
    auto file = pager.releaseFile();
    st.pager.reset();
    return file;
}

const BuildWork& IndexBuilder::work() const {
    return state_->work;
}

Result<std::unique_ptr<File>> writeIndexFile(const std::string& path, Env* env, dbf::DbfFile* table,
                                             const std::vector<BuildTag>& tags, uint32_t counter,
                                             size_t memoryBudget, const IndexProgress& progress) {
    const uint32_t n = table->recordCount();
    const uint16_t recLen = table->recordLength();
    auto builder = IndexBuilder::start(path, env, tags, memoryBudget, progress, n);
    if (!builder) return builder.status();
    const uint32_t perRead =
        std::max<uint32_t>(1, std::min<uint32_t>(n, (1u << 20) / std::max<uint16_t>(recLen, 1)));
    std::vector<char> buf(size_t(perRead) * recLen);
    for (uint32_t r = 1; r <= n; r += perRead) {
        uint32_t count = std::min(perRead, n - r + 1);
        RK_RETURN_IF_ERROR(table->readRecords(r, count, buf.data()));
        RK_RETURN_IF_ERROR((*builder)->addRecords(r, count, buf.data(), recLen));
    }
    return (*builder)->finish(table, counter);
}

} // namespace rk::store
