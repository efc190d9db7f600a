#include "query_plan.h"

#include "cdx.h"
#include "cp1252.h"

#include <algorithm>
#include <optional>

namespace rk::store {

namespace {

// A set of candidate records: every record (no restriction) or those marked. Exact: the
// marked records are exactly those for which the condition holds (else a superset).
struct Set {
    bool all = true;
    bool exact = false;
    std::vector<uint8_t> bits;
};

// A range of one tag for one comparison.
struct Range {
    int tag = -1;
    std::string prefix;
    bool exact = false;
};

class Planner {
public:
    Planner(IndexFile& index, const std::vector<dbf::FieldDef>& fields, uint32_t recCount,
            uint64_t maxKeys, QueryPlan* plan)
        : index_(index), recCount_(recCount), maxKeys_(maxKeys), plan_(plan) {
        // The tags that hold every record, with the parts of their keys.
        for (int i = 0; i < index.tagCount(); ++i) {
            const TagInfo& t = index.tag(i);
            std::vector<xbase::TextPart> parts;
            if (t.keyType != cdx::KeyType::Char || t.unique ||
                t.forExpr.find_first_not_of(" \t") != std::string::npos)
                continue;
            auto e = xbase::Expr::parse(t.keyExpr, fields);
            if (!e || !e->textParts(&parts)) continue;
            tags_.push_back({i, std::move(parts)});
        }
    }

    bool anyTag() const { return !tags_.empty(); }

    Result<Set> plan(const xbase::Condition& c) {
        using Kind = xbase::Condition::Kind;
        switch (c.kind) {
        case Kind::Compare:
            return compare(c);
        case Kind::And:
        case Kind::Or: {
            auto a = plan(c.args[0]);
            if (!a) return a;
            auto b = plan(c.args[1]);
            if (!b) return b;
            return c.kind == Kind::And ? both(std::move(*a), std::move(*b))
                                       : either(std::move(*a), std::move(*b));
        }
        case Kind::Not: {
            auto a = plan(c.args[0]);
            if (!a) return a;
            // Only an exact set has an exact complement.
            if (a->all || !a->exact) return Set{};
            for (size_t r = 1; r < a->bits.size(); ++r)
                a->bits[r] ^= 1;
            a->exact = true;
            return a;
        }
        case Kind::Other:
            break;
        }
        return Set{};
    }

private:
    struct TagParts {
        int tag;
        std::vector<xbase::TextPart> parts;
    };

    Set none() const {
        Set s;
        s.all = false;
        s.exact = true;
        s.bits.assign(size_t(recCount_) + 1, 0);
        return s;
    }

    static Set both(Set a, Set b) {
        if (a.all) {
            b.exact = b.exact && a.exact;
            return b;
        }
        if (b.all) {
            a.exact = a.exact && b.exact;
            return a;
        }
        for (size_t r = 0; r < a.bits.size(); ++r)
            a.bits[r] &= b.bits[r];
        a.exact = a.exact && b.exact;
        return a;
    }

    static Set either(Set a, Set b) {
        if (a.all || b.all) return Set{};
        for (size_t r = 0; r < a.bits.size(); ++r)
            a.bits[r] |= b.bits[r];
        a.exact = a.exact && b.exact;
        return a;
    }

    // The range of tag t for "left = right" (or ==), if the left side is the key's first
    // parts: the keys that begin with the right side, upper-cased where the key has UPPER
    // and the left side not (right is no longer than the left side's text).
    std::optional<Range> rangeIn(const TagParts& t, const xbase::Condition& c) const {
        if (c.left.size() > t.parts.size()) return std::nullopt;
        Range r;
        r.tag = t.tag;
        r.exact = true;
        r.prefix = c.right;
        size_t at = 0; // where the part begins in the left side's text
        for (size_t i = 0; i < c.left.size(); ++i) {
            const xbase::TextPart& q = c.left[i];
            const xbase::TextPart& k = t.parts[i];
            if (q.isField != k.isField) return std::nullopt;
            if (!q.isField && q.literal != k.literal) return std::nullopt;
            if (q.isField) {
                if (q.field.name != k.field.name || (q.upper && !k.upper)) return std::nullopt;
                if (k.upper && !q.upper && at < r.prefix.size()) {
                    // Every case of the text: a superset (the records are tested anyway).
                    const size_t n = std::min(q.width(), r.prefix.size() - at);
                    r.prefix.replace(at, n, cp1252::upper(r.prefix.substr(at, n)));
                    r.exact = false;
                }
            }
            at += q.width();
        }
        const uint16_t keyLength = index_.tag(t.tag).keyLength;
        if (r.prefix.size() > keyLength) {
            r.prefix.resize(keyLength);
            r.exact = false;
        }
        return r;
    }

    Result<Set> compare(const xbase::Condition& c) {
        size_t width = 0;
        for (const auto& p : c.left)
            width += p.width();
        // What no record can satisfy, and what every record does.
        if (c.exact ? c.right.size() != width : c.right.size() > width) return none();
        if (!c.exact && c.right.empty()) return Set{};
        std::optional<Range> best;
        for (const TagParts& t : tags_) {
            auto r = rangeIn(t, c);
            if (r && (!best || (r->exact && !best->exact) ||
                      (r->exact == best->exact && r->prefix.size() > best->prefix.size())))
                best = std::move(r);
        }
        if (!best || best->prefix.empty()) return Set{};
        return collect(*best);
    }

    Result<Set> collect(const Range& r) {
        Set s = none();
        s.exact = r.exact;
        auto cursor = index_.cursor(r.tag);
        const auto* p = reinterpret_cast<const uint8_t*>(r.prefix.data());
        RK_RETURN_IF_ERROR(cursor->seekPrefix(p, r.prefix.size()));
        uint64_t keys = 0;
        while (cursor->valid() && cursor->key().compare(0, r.prefix.size(), r.prefix) == 0) {
            if (++keys > maxKeys_) {
                plan_->keys += keys;
                return Set{};
            }
            const uint32_t recno = cursor->recno();
            if (recno >= 1 && recno <= recCount_) s.bits[recno] = 1;
            RK_RETURN_IF_ERROR(cursor->next());
        }
        plan_->keys += keys;
        const std::string& name = index_.tag(r.tag).name;
        if (std::find(plan_->tags.begin(), plan_->tags.end(), name) == plan_->tags.end())
            plan_->tags.push_back(name);
        return s;
    }

    IndexFile& index_;
    uint32_t recCount_;
    uint64_t maxKeys_;
    QueryPlan* plan_;
    std::vector<TagParts> tags_;
};

std::string grouped(uint64_t n) {
    std::string s = std::to_string(n);
    for (int i = int(s.size()) - 3; i > 0; i -= 3)
        s.insert(size_t(i), ",");
    return s;
}

} // namespace

std::string QueryPlan::describe() const {
    if (kept) return "the answer of the same query before, kept current: no record read";
    if (!fromTags)
        return "every record read (" + grouped(candidates) + ")" +
               (why.empty() ? std::string() : ": " + why);
    std::string names;
    for (const auto& t : tags)
        names += (names.empty() ? "" : ", ") + t;
    return "tags " + (names.empty() ? std::string("(none: no record can match)") : names) + ": " +
           grouped(keys) + " index entries, " + grouped(candidates) + " records read";
}

Result<bool> tagCandidates(IndexFile& index, const std::vector<dbf::FieldDef>& fields,
                           const xbase::Expr& query, uint32_t recCount, uint64_t maxKeys,
                           std::vector<uint8_t>* bits, QueryPlan* plan) {
    *plan = QueryPlan{};
    // A broken index (records appended for a later re-index, a change that failed) lacks
    // records: its ranges would too.
    if (!index.usable() || index.broken()) {
        plan->why = "the index cannot be used";
        return false;
    }
    if (query.mayFault()) {
        plan->why = "the query has date arithmetic, tried on every record";
        return false;
    }
    Planner p(index, fields, recCount, maxKeys, plan);
    if (!p.anyTag()) {
        plan->why = "no tag holds every record under a text key";
        return false;
    }
    RK_RETURN_IF_ERROR(index.applyPending());
    auto s = p.plan(query.condition());
    if (!s) return s.status();
    if (s->all) {
        plan->tags.clear();
        plan->why = "no tag answers the query";
        return false;
    }
    *bits = std::move(s->bits);
    plan->fromTags = true;
    plan->exact = s->exact;
    return true;
}

} // namespace rk::store
