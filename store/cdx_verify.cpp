#include "cdx_verify.h"

#include "cdx_tree.h"

#include <algorithm>
#include <cstring>

namespace rk::cdx {

namespace {

constexpr size_t kMaxProblemsPerTree = 50;

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
    void leafEntries(const Node& n, const std::function<void(const Node&)>& onLeaf,
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
        }
        if (onLeaf) onLeaf(n);
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

// Depth first, children in order: every level is still met left to right (its sibling links
// and the order of the keys are checked as the level goes), and the pages come in about the
// order a build writes them (each parent after its children), so that the walk reads the file
// front to back once instead of once per level. A node waits on the stack for each level above
// the page in hand: memory is a page per level.
void verifyTree(Pager* pager, const std::string& label, uint32_t root, uint16_t keyLength,
                uint8_t fill, bool unique, PageSet* used, std::vector<std::string>* problems,
                const std::function<void(const Node& leaf)>& onLeaf, TreeReport* report) {
    TreeChecker c(pager, label, keyLength, unique, problems);
    *report = TreeReport();
    struct Frame {
        Node node;
        size_t next = 0; // the child to visit next
    };
    struct Level {
        int kind = -1; // 1 leaf, 0 interior
        uint32_t last = kNone, lastRight = kNone;
        bool lastReported = false;
    };
    std::vector<Frame> frames(kMaxDepth);
    std::vector<Level> levels;
    size_t top = 0; // frames[0, top) are the interior pages above the one in hand
    bool tooDeep = false, belowLeaf = false;
    auto where = [](uint32_t offset) { return "page " + hexOffset(offset); };
    auto siblingsWrong = [&](uint32_t offset, size_t depth) {
        c.problem(where(offset) + ": sibling links wrong on level " + std::to_string(depth));
    };
    // Loads the page at `depth` into frames[depth] and checks it; an interior page goes on
    // the stack.
    auto visit = [&](uint32_t offset, size_t depth, const uint8_t* expectKey,
                     uint32_t expectRecno) {
        if (depth >= size_t(kMaxDepth)) {
            if (!tooDeep) c.problem("tree deeper than " + std::to_string(kMaxDepth) + " levels");
            tooDeep = true;
            return;
        }
        if (!used->insert(offset)) {
            c.problem(where(offset) +
                      " is reached twice (a loop or a page shared with another tree)");
            return;
        }
        Node& n = frames[depth].node;
        Status read = pager->loadSequential(offset, keyLength, fill, false, &n);
        if (!read.isOk()) {
            c.problem(read.message());
            return;
        }
        ++report->pages;
        report->depth = std::max(report->depth, int(depth) + 1);
        if (levels.size() <= depth) levels.resize(depth + 1);
        Level& level = levels[depth];
        if (n.root() != (depth == 0))
            c.problem(where(offset) + (depth == 0 ? " is the root but not marked so"
                                                  : " is marked as a root below the root"));
        if (level.kind == -1)
            level.kind = n.leaf() ? 1 : 0;
        else if (level.kind != (n.leaf() ? 1 : 0))
            c.problem(where(offset) + ": leaves and interior pages on the same level");
        if (depth > 0 && levels[depth - 1].kind == 1 && !belowLeaf) {
            c.problem("pages below a leaf level");
            belowLeaf = true;
        }
        if (n.count() == 0 && !(n.leaf() && depth == 0)) c.problem(where(offset) + " has no keys");
        if (expectKey && n.count() > 0 &&
            compareEntry(expectKey, expectRecno, n.lastKey(), n.lastRecno(), keyLength) != 0)
            c.problem("the parent's entry for " + where(offset) + " is not its last key");
        // Each page's links against its neighbours on the level, each page told once.
        if (level.last != kNone && level.lastRight != offset && !level.lastReported)
            siblingsWrong(level.last, depth);
        level.lastReported = n.left != level.last;
        if (level.lastReported) siblingsWrong(offset, depth);
        level.last = offset;
        level.lastRight = n.right;
        if (n.leaf()) {
            c.leafEntries(n, onLeaf, report);
        } else {
            frames[depth].next = 0;
            top = depth + 1;
        }
    };
    visit(root, 0, nullptr, 0);
    while (top > 0) {
        Frame& f = frames[top - 1];
        if (f.next >= f.node.count()) {
            --top;
            continue;
        }
        const size_t i = f.next++;
        visit(f.node.children[i], top, f.node.key(i), f.node.recnos[i]);
    }
    for (size_t depth = 0; depth < levels.size(); ++depth)
        if (levels[depth].lastRight != kNone && !levels[depth].lastReported)
            siblingsWrong(levels[depth].last, depth);
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
