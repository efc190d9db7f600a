#include "cdx_key.h"

#include "cdx_format.h"
#include "cp1252.h"
#include "record.h"

#include <array>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace rk::cdx {

std::string numberKey(double v) {
    if (v == 0) v = 0; // -0 sorts as 0
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    if (v >= 0 || v != v)
        bits ^= 0x8000000000000000ull;
    else
        bits = ~bits;
    std::string key(8, '\0');
    for (int i = 0; i < 8; ++i)
        key[i] = static_cast<char>(bits >> (8 * (7 - i)));
    return key;
}

double numberFromKey(std::string_view key) {
    uint64_t bits = 0;
    for (size_t i = 0; i < 8 && i < key.size(); ++i)
        bits = (bits << 8) | static_cast<unsigned char>(key[i]);
    if (bits & 0x8000000000000000ull)
        bits ^= 0x8000000000000000ull;
    else
        bits = ~bits;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

namespace {

std::string valueKey(const xbase::Value& v, KeyType type, uint16_t length) {
    switch (type) {
    case KeyType::Char: {
        std::string s = v.s.substr(0, length);
        s.resize(length, ' ');
        return s;
    }
    case KeyType::Num:
    case KeyType::Date:
        return numberKey(v.n);
    case KeyType::Logical:
        return v.b ? "T" : "F";
    }
    return std::string();
}

KeyType keyTypeOf(xbase::Type t) {
    switch (t) {
    case xbase::Type::Char:
        return KeyType::Char;
    case xbase::Type::Num:
        return KeyType::Num;
    case xbase::Type::Date:
        return KeyType::Date;
    case xbase::Type::Logical:
        return KeyType::Logical;
    }
    return KeyType::Char;
}

// A record with every character field filled, to see whether a key's length varies.
std::string filledRecord(const std::vector<dbf::FieldDef>& fields, std::string image) {
    for (const auto& f : fields) {
        if (f.type == 'C') dbf::setString(image, f, std::string(f.length, 'W'));
    }
    return image;
}

} // namespace

namespace {

const std::array<unsigned char, 256>& upperTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int c = 0; c < 256; ++c)
            t[c] = cp1252::upper(static_cast<unsigned char>(c));
        return t;
    }();
    return table;
}

// Tokens of a key expression: names, strings, and the characters ( ) + ,
struct Lexer {
    std::string_view s;
    size_t pos = 0;
    void skip() {
        while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t'))
            ++pos;
    }
    bool punct(char c) {
        skip();
        if (pos < s.size() && s[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    }
    bool name(std::string* out) {
        skip();
        size_t b = pos;
        while (pos < s.size() &&
               (std::isalnum(static_cast<unsigned char>(s[pos])) || s[pos] == '_'))
            ++pos;
        if (pos == b) return false;
        out->assign(s.substr(b, pos - b));
        for (char& c : *out)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return true;
    }
    bool string(std::string* out) {
        skip();
        if (pos >= s.size() || (s[pos] != '"' && s[pos] != '\'')) return false;
        char q = s[pos];
        size_t end = s.find(q, pos + 1);
        if (end == std::string_view::npos) return false;
        out->assign(s.substr(pos + 1, end - pos - 1));
        pos = end + 1;
        return true;
    }
    bool atEnd() {
        skip();
        return pos == s.size();
    }
};

const dbf::FieldDef* findField(const std::vector<dbf::FieldDef>& fields, const std::string& name) {
    for (const auto& f : fields)
        if (f.name.size() == name.size() &&
            std::equal(f.name.begin(), f.name.end(), name.begin(), [](char a, char b) {
                return std::toupper(static_cast<unsigned char>(a)) == b;
            }))
            return &f;
    return nullptr;
}

} // namespace

bool TagKey::compilePlan(std::string_view text, const std::vector<dbf::FieldDef>& fields,
                         const std::string& blankRecord) {
    Lexer lx{text};
    std::vector<Segment> plan;
    // sum := term { + term }; term := FIELD | "text" | UPPER(sum) | IIF(LFIELD, "a", "b")
    std::function<bool(bool)> sum;
    auto term = [&](bool upper) -> bool {
        std::string word;
        Segment seg;
        if (lx.string(&word)) {
            seg.kind = Segment::Literal;
            if (upper)
                for (char& c : word)
                    c = static_cast<char>(upperTable()[static_cast<unsigned char>(c)]);
            seg.ifTrue = word;
            plan.push_back(seg);
            return true;
        }
        if (!lx.name(&word)) return false;
        if (word == "UPPER" && lx.punct('(')) return sum(true) && lx.punct(')');
        if (word == "IIF" && lx.punct('(')) {
            std::string cond;
            if (!lx.name(&cond)) return false;
            const dbf::FieldDef* f = findField(fields, cond);
            if (!f || f->type != 'L' || !lx.punct(',') || !lx.string(&seg.ifTrue) ||
                !lx.punct(',') || !lx.string(&seg.ifFalse) || !lx.punct(')'))
                return false;
            seg.kind = Segment::Choice;
            seg.offset = f->offset;
            if (upper)
                for (std::string* t : {&seg.ifTrue, &seg.ifFalse})
                    for (char& c : *t)
                        c = static_cast<char>(upperTable()[static_cast<unsigned char>(c)]);
            plan.push_back(seg);
            return true;
        }
        const dbf::FieldDef* f = findField(fields, word);
        if (!f || f->type != 'C') return false;
        seg.kind = Segment::Field;
        seg.offset = f->offset;
        seg.length = f->length;
        seg.upper = upper;
        plan.push_back(seg);
        return true;
    };
    sum = [&](bool upper) -> bool {
        if (!term(upper)) return false;
        while (lx.punct('+'))
            if (!term(upper)) return false;
        return true;
    };
    if (!sum(false) || !lx.atEnd()) return false;
    for (const Segment& seg : plan)
        if (seg.kind != Segment::Literal &&
            uint64_t(seg.offset) + std::max<uint16_t>(seg.length, 1) > blankRecord.size())
            return false;
    // The grammar above is the evaluator's meaning of these forms, byte for byte (UPPER is
    // the same Windows-1252 table, IIF reads the logical field as getLogical does): the
    // tests check the plan against the evaluator for every catalogue key and others, so
    // that opening a table costs no check here.
    plan_ = std::move(plan);
    return true;
}

namespace {} // namespace

// Plain ASCII text (the most of it) in a loop the compiler can do many bytes at a time, other
// text through the Windows-1252 table.
void upperBytes(unsigned char* p, size_t n) {
    unsigned char high = 0;
    for (size_t i = 0; i < n; ++i)
        high |= p[i];
    if (high & 0x80) {
        const auto& up = upperTable();
        for (size_t i = 0; i < n; ++i)
            p[i] = up[p[i]];
        return;
    }
    for (size_t i = 0; i < n; ++i)
        p[i] = static_cast<unsigned char>(p[i] - (unsigned(p[i] - 'a') < 26u ? 32 : 0));
}

namespace {} // namespace

void TagKey::runPlan(std::string_view image, std::string* key) const {
    key->clear();
    for (const Segment& seg : plan_) {
        switch (seg.kind) {
        case Segment::Field: {
            size_t at = key->size();
            key->append(image.data() + seg.offset, seg.length);
            if (seg.upper)
                upperBytes(reinterpret_cast<unsigned char*>(key->data()) + at, seg.length);
            break;
        }
        case Segment::Literal:
            key->append(seg.ifTrue);
            break;
        case Segment::Choice: {
            char c = image[seg.offset];
            bool yes = c == 'T' || c == 't' || c == 'Y' || c == 'y';
            key->append(yes ? seg.ifTrue : seg.ifFalse);
            break;
        }
        }
    }
    key->resize(length_, ' ');
}

Result<TagKey> TagKey::compile(std::string_view keyExpr, std::string_view forExpr,
                               const std::vector<dbf::FieldDef>& fields,
                               const std::string& blankRecord) {
    TagKey t;
    auto k = xbase::Expr::parse(keyExpr, fields);
    if (!k)
        return Status::invalid("key expression \"" + std::string(keyExpr) +
                               "\": " + k.status().message());
    t.keyExpr_ = *k;
    t.type_ = keyTypeOf(t.keyExpr_.type());
    bool blankFor = forExpr.find_first_not_of(" \t") == std::string_view::npos;
    if (!blankFor) {
        auto f = xbase::Expr::parse(forExpr, fields);
        if (!f)
            return Status::invalid("FOR expression \"" + std::string(forExpr) +
                                   "\": " + f.status().message());
        if (f->type() != xbase::Type::Logical)
            return Status::invalid("FOR expression \"" + std::string(forExpr) +
                                   "\" is not a condition");
        t.forExpr_ = *f;
    }
    switch (t.type_) {
    case KeyType::Num:
    case KeyType::Date:
        t.length_ = 8;
        break;
    case KeyType::Logical:
        t.length_ = 1;
        break;
    case KeyType::Char: {
        size_t blank = t.keyExpr_.eval(blankRecord, 0).s.size();
        size_t filled = t.keyExpr_.eval(filledRecord(fields, blankRecord), 0).s.size();
        if (blank != filled || blank == 0)
            return Status::invalid("key expression \"" + std::string(keyExpr) +
                                   "\" has no fixed length");
        if (blank > kMaxKeyLength)
            return Status::invalid("key expression \"" + std::string(keyExpr) + "\" is " +
                                   std::to_string(blank) + " bytes long; at most " +
                                   std::to_string(kMaxKeyLength) + " are allowed");
        t.length_ = static_cast<uint16_t>(blank);
        t.compilePlan(keyExpr, fields, blankRecord);
        break;
    }
    }
    return t;
}

bool TagKey::make(std::string_view image, uint32_t recno, std::string* key) const {
    if (forExpr_.valid() && !forExpr_.test(image, recno)) return false;
    makeAlways(image, recno, key);
    return true;
}

std::vector<TagKey::Piece> TagKey::pieces() const {
    std::vector<Piece> out;
    if (plan_.empty()) return out;
    size_t at = 0;
    auto cut = [&](std::string text) { return text.substr(0, length_ - at); };
    for (const Segment& seg : plan_) {
        if (at >= length_) break;
        Piece p;
        switch (seg.kind) {
        case Segment::Field:
            p.kind = Piece::Field;
            p.offset = seg.offset;
            p.length = uint16_t(std::min<size_t>(seg.length, length_ - at));
            p.upper = seg.upper;
            at += p.length;
            break;
        case Segment::Literal:
            p.ifTrue = cut(seg.ifTrue);
            at += p.ifTrue.size();
            break;
        case Segment::Choice:
            // Both texts fill the same width only when they are of one length; otherwise the
            // pieces after it would move, and the key is hashed whole.
            if (seg.ifTrue.size() != seg.ifFalse.size()) return {};
            p.kind = Piece::Choice;
            p.offset = seg.offset;
            p.ifTrue = cut(seg.ifTrue);
            p.ifFalse = cut(seg.ifFalse);
            at += p.ifTrue.size();
            break;
        }
        out.push_back(std::move(p));
    }
    if (at < length_) {
        Piece pad;
        pad.ifTrue.assign(length_ - at, ' ');
        out.push_back(std::move(pad));
    }
    return out;
}

bool TagKey::includes(std::string_view image, uint32_t recno) const {
    return !forExpr_.valid() || forExpr_.test(image, recno);
}

void TagKey::makeAlways(std::string_view image, uint32_t recno, std::string* key) const {
    if (!plan_.empty())
        runPlan(image, key);
    else
        *key = valueKey(keyExpr_.eval(image, recno), type_, length_);
}

Result<std::string> TagKey::seekKey(std::string_view text) const {
    switch (type_) {
    case KeyType::Char:
        return std::string(text.substr(0, length_));
    case KeyType::Num: {
        std::string s(text);
        char* end = nullptr;
        double v = std::strtod(s.c_str(), &end);
        while (end && *end == ' ')
            ++end;
        if (s.empty() || !end || *end) return Status::invalid("\"" + s + "\" is not a number");
        return numberKey(v);
    }
    case KeyType::Date: {
        std::string digits;
        for (char c : text)
            if (c != '-') digits += c;
        if (digits.find_first_not_of(' ') == std::string::npos) return numberKey(0);
        if (digits.size() != 8 || digits.find_first_not_of("0123456789") != std::string::npos)
            return Status::invalid("\"" + std::string(text) + "\" is not a date (YYYYMMDD)");
        int y = std::atoi(digits.substr(0, 4).c_str()), m = std::atoi(digits.substr(4, 2).c_str()),
            d = std::atoi(digits.substr(6, 2).c_str());
        if (m < 1 || m > 12 || d < 1 || d > 31)
            return Status::invalid("\"" + std::string(text) + "\" is not a date");
        return numberKey(static_cast<double>(xbase::julianDay(y, m, d)));
    }
    case KeyType::Logical: {
        std::string s;
        for (char c : text)
            if (c != '.' && c != ' ')
                s += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (s == "T" || s == "Y" || s == "TRUE") return std::string("T");
        if (s == "F" || s == "N" || s == "FALSE") return std::string("F");
        return Status::invalid("\"" + std::string(text) + "\" is not a logical value");
    }
    }
    return Status::invalid("unknown key type");
}

} // namespace rk::cdx
