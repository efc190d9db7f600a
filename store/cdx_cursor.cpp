#include "cdx_cursor.h"

#include <cstring>

namespace rk::cdx {

namespace {

Status chainError(Tree* tree, uint32_t from, uint32_t to, const char* what) {
    return Status::corruption(tree->pager()->file()->path() + ": broken leaf chain from page " +
                              hexOffset(from) + " to " + hexOffset(to) + ": " + what);
}

uint64_t hopLimit(Tree* tree) {
    return tree->pager()->size() / kPageSize + 1;
}

// The leaf beside `leaf` (right when forward), checked against it: a leaf that points back,
// with keys after (or before) `boundary` when one is given. Empty leaves are passed over.
Status neighbour(Tree* tree, const NodePtr& leaf, bool forward, const std::string* boundary,
                 uint32_t boundaryRecno, bool sequential, NodePtr* out) {
    NodePtr cur = leaf;
    const uint16_t k = tree->keyLength();
    for (uint64_t hops = 0;; ++hops) {
        uint32_t next = forward ? cur->right : cur->left;
        if (next == kNone) {
            out->reset();
            return Status::ok();
        }
        if (hops > hopLimit(tree)) return chainError(tree, cur->offset, next, "a loop");
        auto r = sequential ? tree->pager()->loadSequential(next, k, tree->fill(), !forward)
                            : tree->load(next);
        if (!r.isOk()) return r.status();
        NodePtr n = r.value();
        if (!n->leaf() || n->root()) return chainError(tree, cur->offset, next, "not a leaf");
        if ((forward ? n->left : n->right) != cur->offset)
            return chainError(tree, cur->offset, next, "the link back differs");
        if (n->count() > 0) {
            if (boundary) {
                const uint8_t* b = reinterpret_cast<const uint8_t*>(boundary->data());
                int c = forward ? compareEntry(n->key(0), n->recnos[0], b, boundaryRecno, k)
                                : compareEntry(b, boundaryRecno, n->lastKey(), n->lastRecno(), k);
                if (c <= 0) return chainError(tree, cur->offset, next, "keys out of order");
            }
            *out = n;
            return Status::ok();
        }
        cur = n;
    }
}

} // namespace

void Cursor::capture() {
    key_.assign(reinterpret_cast<const char*>(leaf_->key(index_)), tree_->keyLength());
    recno_ = leaf_->recnos[index_];
    valid_ = true;
    generation_ = tree_->pager()->generation();
}

Status Cursor::seekGE(const uint8_t* key, uint32_t recno) {
    std::vector<Tree::Frame> path;
    NodePtr leaf;
    valid_ = false;
    RK_RETURN_IF_ERROR(tree_->descend(key, recno, &path, &leaf));
    size_t i = lowerBound(*leaf, key, recno);
    if (i < leaf->count()) {
        leaf_ = leaf;
        index_ = i;
        capture();
        return Status::ok();
    }
    NodePtr next;
    RK_RETURN_IF_ERROR(neighbour(tree_, leaf, true, nullptr, 0, false, &next));
    if (!next) return Status::ok();
    leaf_ = next;
    index_ = 0;
    capture();
    return Status::ok();
}

Status Cursor::edge(bool last) {
    valid_ = false;
    NodePtr leaf;
    RK_RETURN_IF_ERROR(tree_->edgeLeaf(last, &leaf));
    if (leaf->count() == 0) {
        if (leaf->root()) return Status::ok();
        RK_RETURN_IF_ERROR(neighbour(tree_, leaf, !last, nullptr, 0, false, &leaf));
        if (!leaf) return Status::ok();
    }
    leaf_ = leaf;
    index_ = last ? leaf->count() - 1 : 0;
    capture();
    return Status::ok();
}

Status Cursor::stepForward() {
    if (index_ + 1 < leaf_->count()) {
        ++index_;
        capture();
        return Status::ok();
    }
    NodePtr next;
    RK_RETURN_IF_ERROR(neighbour(tree_, leaf_, true, &key_, recno_, false, &next));
    if (!next) {
        valid_ = false;
        return Status::ok();
    }
    leaf_ = next;
    index_ = 0;
    capture();
    return Status::ok();
}

Status Cursor::stepBackward() {
    if (index_ > 0) {
        --index_;
        capture();
        return Status::ok();
    }
    NodePtr prev;
    RK_RETURN_IF_ERROR(neighbour(tree_, leaf_, false, &key_, recno_, false, &prev));
    if (!prev) {
        valid_ = false;
        return Status::ok();
    }
    leaf_ = prev;
    index_ = prev->count() - 1;
    capture();
    return Status::ok();
}

Status Cursor::first() {
    return edge(descending_);
}
Status Cursor::last() {
    return edge(!descending_);
}

Status Cursor::next() {
    if (!valid_) return Status::ok();
    if (generation_ != tree_->pager()->generation()) {
        std::string key = key_;
        uint32_t recno = recno_;
        bool exact = false;
        RK_RETURN_IF_ERROR(seekEntry(reinterpret_cast<const uint8_t*>(key.data()), recno, &exact));
        if (!descending_) return exact && valid_ ? stepForward() : Status::ok();
        if (!valid_) return edge(true);
        return stepBackward();
    }
    return descending_ ? stepBackward() : stepForward();
}

Status Cursor::prev() {
    if (!valid_) return Status::ok();
    if (generation_ != tree_->pager()->generation()) {
        std::string key = key_;
        uint32_t recno = recno_;
        bool exact = false;
        RK_RETURN_IF_ERROR(seekEntry(reinterpret_cast<const uint8_t*>(key.data()), recno, &exact));
        if (descending_) return exact && valid_ ? stepForward() : Status::ok();
        if (!valid_) return edge(true);
        return stepBackward();
    }
    return descending_ ? stepForward() : stepBackward();
}

Status Cursor::seekPrefix(const uint8_t* prefix, size_t length) {
    const uint16_t k = tree_->keyLength();
    if (length > k) length = k;
    std::string probe(reinterpret_cast<const char*>(prefix), length);
    if (!descending_) {
        probe.resize(k, '\0');
        return seekGE(reinterpret_cast<const uint8_t*>(probe.data()), 0);
    }
    // Descending: the last entry whose key, cut to the prefix length, is not above it.
    probe.resize(k, '\xff');
    const uint8_t* p = reinterpret_cast<const uint8_t*>(probe.data());
    RK_RETURN_IF_ERROR(seekGE(p, kNone));
    if (!valid_) return edge(true);
    if (compareEntry(reinterpret_cast<const uint8_t*>(key_.data()), recno_, p, kNone, k) == 0)
        return Status::ok();
    return stepBackward();
}

Status Cursor::seekEntry(const uint8_t* key, uint32_t recno, bool* exact) {
    RK_RETURN_IF_ERROR(seekGE(key, recno));
    *exact = valid_ && recno_ == recno && std::memcmp(key_.data(), key, tree_->keyLength()) == 0;
    return Status::ok();
}

Status Cursor::seekNeighbour(const uint8_t* key, uint32_t recno, bool forward) {
    RK_RETURN_IF_ERROR(seekGE(key, recno));
    bool ascending = forward != descending_;
    if (ascending) {
        bool same =
            valid_ && recno_ == recno && std::memcmp(key_.data(), key, tree_->keyLength()) == 0;
        return same ? stepForward() : Status::ok();
    }
    if (!valid_) return edge(true);
    return stepBackward();
}

Status walkTag(Tree* tree, bool descending,
               const std::function<bool(uint32_t recno, const uint8_t* key)>& fn) {
    NodePtr leaf;
    RK_RETURN_IF_ERROR(tree->edgeLeaf(descending, &leaf));
    std::string boundary;
    uint32_t boundaryRecno = 0;
    bool haveBoundary = false;
    const uint16_t k = tree->keyLength();
    while (leaf) {
        size_t n = leaf->count();
        for (size_t j = 0; j < n; ++j) {
            size_t i = descending ? n - 1 - j : j;
            if (!fn(leaf->recnos[i], leaf->key(i))) return Status::ok();
        }
        if (n > 0) {
            size_t edgeIndex = descending ? 0 : n - 1;
            boundary.assign(reinterpret_cast<const char*>(leaf->key(edgeIndex)), k);
            boundaryRecno = leaf->recnos[edgeIndex];
            haveBoundary = true;
        }
        NodePtr next;
        RK_RETURN_IF_ERROR(neighbour(tree, leaf, !descending, haveBoundary ? &boundary : nullptr,
                                     boundaryRecno, true, &next));
        leaf = next;
    }
    return Status::ok();
}

} // namespace rk::cdx
