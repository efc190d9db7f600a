#include "cdx_verify.h"

#include "cdx_tree.h"

#include <cstring>

namespace rk::cdx {

namespace {

constexpr size_t kMaxProblemsPerTree = 50;

struct Item {
    uint32_t offset;
    std::string expectKey; // empty: no parent entry to compare with
    uint32_t expectRecno;
};

struct Link {
    uint32_t offset, left, right;
};

class TreeChecker {
public:
    TreeChecker(Pager* pager, const std::string& label, uint16_t keyLength, bool unique,
                std::vector<std::string>* problems)
        : pager_(pager), label_(label), keyLength_(keyLength), unique_(unique),
          problems_(problems) {}

    void problem(const std::string& text) {
        ++count_;
        if (count_ <= kMaxProblemsPerTree)
            problems_->push_back(label_ + ": " + text);
        else if (count_ == kMaxProblemsPerTree + 1)
            problems_->push_back(label_ + ": more problems not listed");
    }
    void leafEntries(const Node& n, const std::function<void(const uint8_t*, uint32_t)>& onEntry,
                     TreeReport* report) {
        // Decoding checked the order within the page: its first entry is compared with the
        // page before, and the others (in a unique tag) with their neighbour for a repeat.
        for (size_t i = 0; i < n.count(); ++i) {
            const uint8_t* key = n.key(i);
            uint32_t recno = n.recnos[i];
            if (recno == 0) problem("page " + hexOffset(n.offset) + ": record number 0");
            const uint8_t* prev = i > 0 ? n.key(i - 1) : havePrev_ ? prevKey_.data() : nullptr;
            if (i == 0 && prev && compareEntry(prev, prevRecno_, key, recno, keyLength_) >= 0)
                problem("page " + hexOffset(n.offset) + ": key of record " + std::to_string(recno) +
                        " out of order");
            else if (unique_ && prev && std::memcmp(prev, key, keyLength_) == 0)
                problem("page " + hexOffset(n.offset) + ": key of record " + std::to_string(recno) +
                        " repeated in a unique tag");
            ++report->keys;
            if (onEntry) onEntry(key, recno);
        }
        if (n.count() > 0) {
            prevKey_.assign(n.lastKey(), n.lastKey() + keyLength_);
            prevRecno_ = n.lastRecno();
            havePrev_ = true;
        }
    }

    Pager* pager_;
    std::string label_;
    uint16_t keyLength_;
    bool unique_;
    std::vector<std::string>* problems_;
    size_t count_ = 0;
    std::vector<uint8_t> prevKey_;
    uint32_t prevRecno_ = 0;
    bool havePrev_ = false;
};

} // namespace

void verifyTree(Pager* pager, const std::string& label, uint32_t root, uint16_t keyLength,
                uint8_t fill, bool unique, PageSet* used, std::vector<std::string>* problems,
                const std::function<void(const uint8_t* key, uint32_t recno)>& onEntry,
                TreeReport* report) {
    TreeChecker c(pager, label, keyLength, unique, problems);
    *report = TreeReport();
    std::vector<Item> level{{root, std::string(), 0}};
    for (int depth = 0; !level.empty(); ++depth) {
        if (depth >= kMaxDepth) {
            c.problem("tree deeper than " + std::to_string(kMaxDepth) + " levels");
            return;
        }
        report->depth = depth + 1;
        std::vector<Item> below;
        std::vector<Link> chain;
        int kind = -1; // 1 leaf, 0 interior
        Node n;
        for (const Item& item : level) {
            const std::string where = "page " + hexOffset(item.offset);
            if (!used->insert(item.offset)) {
                c.problem(where + " is reached twice (a loop or a page shared with another tree)");
                continue;
            }
            Status read = pager->loadSequential(item.offset, keyLength, fill, false, &n);
            if (!read.isOk()) {
                c.problem(read.message());
                continue;
            }
            ++report->pages;
            if (n.root() != (depth == 0))
                c.problem(where + (depth == 0 ? " is the root but not marked so"
                                              : " is marked as a root below the root"));
            if (kind == -1)
                kind = n.leaf() ? 1 : 0;
            else if (kind != (n.leaf() ? 1 : 0))
                c.problem(where + ": leaves and interior pages on the same level");
            if (n.count() == 0 && !(n.leaf() && depth == 0)) c.problem(where + " has no keys");
            if (!item.expectKey.empty() && n.count() > 0 &&
                compareEntry(reinterpret_cast<const uint8_t*>(item.expectKey.data()),
                             item.expectRecno, n.lastKey(), n.lastRecno(), keyLength) != 0)
                c.problem("the parent's entry for " + where + " is not its last key");
            chain.push_back({n.offset, n.left, n.right});
            if (n.leaf()) {
                c.leafEntries(n, onEntry, report);
            } else {
                for (size_t i = 0; i < n.count(); ++i)
                    below.push_back(
                        {n.children[i],
                         std::string(reinterpret_cast<const char*>(n.key(i)), keyLength),
                         n.recnos[i]});
            }
        }
        for (size_t i = 0; i < chain.size(); ++i) {
            uint32_t wantLeft = i > 0 ? chain[i - 1].offset : kNone;
            uint32_t wantRight = i + 1 < chain.size() ? chain[i + 1].offset : kNone;
            if (chain[i].left != wantLeft || chain[i].right != wantRight)
                c.problem("page " + hexOffset(chain[i].offset) + ": sibling links wrong on level " +
                          std::to_string(depth));
        }
        if (kind == 1 && !below.empty()) c.problem("pages below a leaf level");
        level = std::move(below);
    }
}

void verifyFreeList(Pager* pager, uint32_t head, const PageSet& used,
                    std::vector<std::string>* problems) {
    PageSet seen;
    uint32_t at = head;
    while (at != 0) {
        std::string where = "free list: page " + hexOffset(at);
        if (!validPageOffset(at) || at < kHeaderSize || at + uint64_t{kPageSize} > pager->size()) {
            problems->push_back(where + " is not a page of the file");
            return;
        }
        if (!seen.insert(at)) {
            problems->push_back(where + " is reached twice (a loop)");
            return;
        }
        if (used.contains(at)) problems->push_back(where + " is in use");
        uint8_t next[4];
        Status s = pager->readBytes(at, next, 4);
        if (!s.isOk()) {
            problems->push_back(s.message());
            return;
        }
        at = get32(next);
    }
}

} // namespace rk::cdx
