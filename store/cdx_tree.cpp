#include "cdx_tree.h"

#include <algorithm>
#include <cstring>

namespace rk::cdx {

namespace {

Status loopError(Pager* pager) {
    return Status::corruption(pager->file()->path() + ": index tree deeper than " +
                              std::to_string(kMaxDepth) + " levels (a page loop)");
}

} // namespace

Result<uint32_t> Tree::createEmpty(Pager* pager, uint16_t keyLength, uint8_t fill) {
    auto node = pager->allocate(keyLength, fill, kAttrLeaf | kAttrRoot);
    if (!node.isOk()) return node.status();
    return node.value()->offset;
}

Status Tree::checkChild(const Node& parent, size_t i, const Node& child) const {
    // What the parent says of the child must hold, or a change made down this path would
    // build on damage: not a root, its last entry the parent's entry, its siblings the
    // parent's neighbouring children (at the parent's ends, none where the parent has none).
    auto bad = [&](const char* what) {
        return Status::corruption(pager_->file()->path() + ": index page " +
                                  hexOffset(child.offset) + " under " + hexOffset(parent.offset) +
                                  ": " + what);
    };
    if (child.root()) return bad("marked as a root below the root");
    if (child.count() == 0) return bad("no keys");
    if (compareEntry(parent.key(i), parent.recnos[i], child.lastKey(), child.lastRecno(),
                     keyLength_) != 0)
        return bad("the parent's entry is not its last key");
    uint32_t left = i > 0 ? parent.children[i - 1] : parent.left == kNone ? kNone : child.left;
    uint32_t right = i + 1 < parent.count()  ? parent.children[i + 1]
                     : parent.right == kNone ? kNone
                                             : child.right;
    if (child.left != left || child.right != right) return bad("sibling links wrong");
    return Status::ok();
}

Status Tree::descend(const uint8_t* key, uint32_t recno, std::vector<Frame>* path, NodePtr* leaf) {
    path->clear();
    auto r = load(root_);
    if (!r.isOk()) return r.status();
    NodePtr n = r.value();
    if (!n->root())
        return Status::corruption(pager_->file()->path() + ": index page " + hexOffset(n->offset) +
                                  " is the root but not marked so");
    for (int depth = 0;; ++depth) {
        if (n->leaf()) {
            // Every leaf lies as deep as the first one found since the root last changed.
            if (leafDepth_ < 0 || leafRoot_ != root_) {
                leafDepth_ = depth;
                leafRoot_ = root_;
            } else if (depth != leafDepth_) {
                return Status::corruption(pager_->file()->path() + ": index leaf " +
                                          hexOffset(n->offset) + " is not as deep as the others");
            }
            *leaf = n;
            return Status::ok();
        }
        if (depth >= kMaxDepth) return loopError(pager_);
        if (n->count() == 0)
            return Status::corruption(pager_->file()->path() + ": empty interior index page " +
                                      hexOffset(n->offset));
        size_t i = lowerBound(*n, key, recno);
        if (i == n->count()) i = n->count() - 1;
        path->push_back({n, i});
        auto c = load(n->children[i]);
        if (!c.isOk()) return c.status();
        RK_RETURN_IF_ERROR(checkChild(*n, i, *c.value()));
        n = c.value();
    }
}

Status Tree::edgeLeaf(bool last, NodePtr* leaf) {
    auto r = load(root_);
    if (!r.isOk()) return r.status();
    NodePtr n = r.value();
    for (int depth = 0; !n->leaf(); ++depth) {
        if (depth >= kMaxDepth) return loopError(pager_);
        if (n->count() == 0)
            return Status::corruption(pager_->file()->path() + ": empty interior index page " +
                                      hexOffset(n->offset));
        auto c = load(last ? n->children.back() : n->children.front());
        if (!c.isOk()) return c.status();
        n = c.value();
    }
    *leaf = n;
    return Status::ok();
}

Status Tree::contains(const uint8_t* key, uint32_t recno, bool* found) {
    std::vector<Frame> path;
    NodePtr leaf;
    RK_RETURN_IF_ERROR(descend(key, recno, &path, &leaf));
    size_t i = lowerBound(*leaf, key, recno);
    *found = i < leaf->count() &&
             compareEntry(leaf->key(i), leaf->recnos[i], key, recno, keyLength_) == 0;
    return Status::ok();
}

Status Tree::insert(const uint8_t* key, uint32_t recno) {
    std::vector<Frame> path;
    NodePtr leaf;
    RK_RETURN_IF_ERROR(descend(key, recno, &path, &leaf));
    size_t i = lowerBound(*leaf, key, recno);
    if (i < leaf->count() &&
        compareEntry(leaf->key(i), leaf->recnos[i], key, recno, keyLength_) == 0)
        return Status::ok();
    bool atEnd = i == leaf->count() && leaf->right == kNone;
    leaf->insert(i, key, recno);
    return settleAfterInsert(path, leaf, atEnd);
}

Status Tree::remove(const uint8_t* key, uint32_t recno, bool* found) {
    std::vector<Frame> path;
    NodePtr leaf;
    *found = false;
    RK_RETURN_IF_ERROR(descend(key, recno, &path, &leaf));
    size_t i = lowerBound(*leaf, key, recno);
    if (i == leaf->count() ||
        compareEntry(leaf->key(i), leaf->recnos[i], key, recno, keyLength_) != 0)
        return Status::ok();
    *found = true;
    leaf->erase(i);
    return settleAfterRemove(path, leaf);
}

Status Tree::propagateLast(std::vector<Frame>& path, NodePtr child) {
    for (size_t level = path.size(); level-- > 0;) {
        Frame& f = path[level];
        if (compareEntry(f.node->key(f.index), f.node->recnos[f.index], child->lastKey(),
                         child->lastRecno(), keyLength_) == 0)
            break;
        f.node->set(f.index, child->lastKey(), child->lastRecno());
        pager_->markDirty(f.node);
        if (f.index + 1 != f.node->count()) break;
        child = f.node;
    }
    return Status::ok();
}

std::vector<size_t> splitPoints(const Node& n, bool atEnd) {
    std::vector<size_t> cuts;
    const size_t count = n.count();
    if (!n.leaf()) {
        size_t cap = interiorCapacity(n.keyLength);
        size_t pieces = (count + cap - 1) / cap;
        if (pieces < 2) return cuts;
        if (atEnd) {
            for (size_t at = cap; at < count; at += cap)
                cuts.push_back(at);
        } else {
            for (size_t j = 1; j < pieces; ++j)
                cuts.push_back(count * j / pieces);
        }
        return cuts;
    }
    LeafSizer sizer(n);
    if (sizer.fits(0, count)) return cuts;
    // Two pages: the left size grows and the right size shrinks with the cut.
    size_t best = 0, bestCost = SIZE_MAX;
    for (size_t m = 1; m < count; ++m) {
        size_t l = sizer.bytes(0, m), r = sizer.bytes(m, count);
        if (l > kLeafSpace) break;
        if (r > kLeafSpace) continue;
        size_t cost = atEnd ? (kLeafSpace - l) : (l > r ? l - r : r - l);
        if (cost <= bestCost) {
            best = m;
            bestCost = cost;
        }
    }
    if (best) {
        cuts.push_back(best);
        return cuts;
    }
    // Very long keys with wide entries: as many pages as it takes.
    size_t begin = 0;
    for (size_t m = 1; m <= count; ++m) {
        if (!sizer.fits(begin, m)) {
            cuts.push_back(m - 1);
            begin = m - 1;
        }
    }
    return cuts;
}

Status Tree::split(const NodePtr& node, bool atEnd, std::vector<NodePtr>* pieces) {
    std::vector<size_t> cuts = splitPoints(*node, atEnd);
    pieces->clear();
    node->attr &= static_cast<uint16_t>(~kAttrRoot);
    // Allocate first, then move entries from the back.
    std::vector<NodePtr> fresh;
    for (size_t j = 0; j < cuts.size(); ++j) {
        auto r = pager_->allocate(keyLength_, fill_, node->attr);
        if (!r.isOk()) return r.status();
        fresh.push_back(r.value());
    }
    for (size_t j = cuts.size(); j-- > 0;) {
        Node tail;
        tail.attr = node->attr;
        tail.keyLength = keyLength_;
        node->moveTail(cuts[j], tail);
        fresh[j]->keys.swap(tail.keys);
        fresh[j]->recnos.swap(tail.recnos);
        fresh[j]->children.swap(tail.children);
    }
    // Sibling links: node, fresh[0], fresh[1], ..., old right neighbour.
    uint32_t oldRight = node->right;
    NodePtr prev = node;
    for (const NodePtr& f : fresh) {
        prev->right = f->offset;
        f->left = prev->offset;
        prev = f;
    }
    prev->right = oldRight;
    if (oldRight != kNone) {
        auto r = load(oldRight);
        if (!r.isOk()) return r.status();
        if (r.value()->left != node->offset)
            return Status::corruption(pager_->file()->path() + ": index page " +
                                      hexOffset(oldRight) + " does not link back to " +
                                      hexOffset(node->offset));
        r.value()->left = prev->offset;
        pager_->markDirty(r.value());
    }
    pager_->markDirty(node);
    for (const NodePtr& f : fresh)
        pager_->markDirty(f);
    *pieces = std::move(fresh);
    return Status::ok();
}

Status Tree::settleAfterInsert(std::vector<Frame>& path, NodePtr node, bool atEnd) {
    for (;;) {
        if (fitsPage(*node)) {
            pager_->markDirty(node);
            return propagateLast(path, node);
        }
        std::vector<NodePtr> pieces;
        RK_RETURN_IF_ERROR(split(node, atEnd, &pieces));
        if (path.empty()) {
            auto r = pager_->allocate(keyLength_, fill_, kAttrRoot);
            if (!r.isOk()) return r.status();
            NodePtr top = r.value();
            top->insert(0, node->lastKey(), node->lastRecno(), node->offset);
            for (const NodePtr& p : pieces)
                top->insert(top->count(), p->lastKey(), p->lastRecno(), p->offset);
            root_ = top->offset;
            node = top; // a root above very long keys may itself need splitting
            continue;
        }
        Frame f = path.back();
        path.pop_back();
        f.node->set(f.index, node->lastKey(), node->lastRecno());
        for (size_t j = 0; j < pieces.size(); ++j)
            f.node->insert(f.index + 1 + j, pieces[j]->lastKey(), pieces[j]->lastRecno(),
                           pieces[j]->offset);
        atEnd = atEnd && f.index + pieces.size() + 1 == f.node->count() && f.node->right == kNone;
        node = f.node;
    }
}

bool Tree::underfull(const Node& n) const {
    if (n.leaf()) return n.leafBytes() * 3 < kLeafSpace;
    return n.count() * 3 < interiorCapacity(keyLength_);
}

bool Tree::canMerge(const Node& a, const Node& b) const {
    if (!a.leaf()) return a.count() + b.count() <= interiorCapacity(keyLength_);
    Node both;
    both.attr = a.attr;
    both.keyLength = keyLength_;
    both.fill = fill_;
    both.append(a);
    both.append(b);
    return both.leafBytes() <= kLeafSpace;
}

Status Tree::unlink(const NodePtr& node) {
    // Both neighbours are checked before either changes.
    NodePtr left, right;
    if (node->left != kNone) {
        auto r = load(node->left);
        if (!r.isOk()) return r.status();
        left = r.value();
    }
    if (node->right != kNone) {
        auto r = load(node->right);
        if (!r.isOk()) return r.status();
        right = r.value();
    }
    if ((left && left->right != node->offset) || (right && right->left != node->offset))
        return Status::corruption(pager_->file()->path() + ": the neighbours of index page " +
                                  hexOffset(node->offset) + " do not link back to it");
    if (left) {
        left->right = node->right;
        pager_->markDirty(left);
    }
    if (right) {
        right->left = node->left;
        pager_->markDirty(right);
    }
    return Status::ok();
}

Status Tree::settleAfterRemove(std::vector<Frame>& path, NodePtr node) {
    for (;;) {
        if (path.empty()) {
            // The root: an interior root with one child hands the root over to it.
            while (!node->leaf() && node->count() == 1) {
                auto r = load(node->children[0]);
                if (!r.isOk()) return r.status();
                NodePtr child = r.value();
                child->attr |= kAttrRoot;
                child->left = child->right = kNone;
                pager_->markDirty(child);
                pager_->release(node);
                root_ = child->offset;
                node = child;
            }
            if (!node->leaf() && node->count() == 0) {
                node->attr = kAttrLeaf | kAttrRoot;
                node->clear();
            }
            pager_->markDirty(node);
            return Status::ok();
        }
        Frame& f = path.back();
        if (node->count() == 0) {
            RK_RETURN_IF_ERROR(unlink(node));
            pager_->release(node);
            f.node->erase(f.index);
            node = f.node;
            path.pop_back();
            continue;
        }
        if (underfull(*node)) {
            bool merged = false;
            if (f.index + 1 < f.node->count()) {
                auto r = load(f.node->children[f.index + 1]);
                if (!r.isOk()) return r.status();
                NodePtr right = r.value();
                if (canMerge(*node, *right)) {
                    node->append(*right);
                    RK_RETURN_IF_ERROR(unlink(right));
                    pager_->release(right);
                    f.node->erase(f.index + 1);
                    merged = true;
                }
            }
            if (!merged && f.index > 0) {
                auto r = load(f.node->children[f.index - 1]);
                if (!r.isOk()) return r.status();
                NodePtr left = r.value();
                if (canMerge(*left, *node)) {
                    left->append(*node);
                    RK_RETURN_IF_ERROR(unlink(node));
                    pager_->release(node);
                    f.node->erase(f.index);
                    f.index -= 1;
                    node = left;
                    merged = true;
                }
            }
            if (merged) {
                pager_->markDirty(node);
                f.node->set(f.index, node->lastKey(), node->lastRecno());
                node = f.node;
                path.pop_back();
                continue;
            }
        }
        pager_->markDirty(node);
        return propagateLast(path, node);
    }
}

} // namespace rk::cdx
