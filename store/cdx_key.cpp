#include "cdx_key.h"

#include "cdx_format.h"
#include "record.h"

#include <cstdlib>
#include <cstring>

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
        break;
    }
    }
    return t;
}

bool TagKey::make(std::string_view image, uint32_t recno, std::string* key) const {
    if (forExpr_.valid() && !forExpr_.test(image, recno)) return false;
    *key = valueKey(keyExpr_.eval(image, recno), type_, length_);
    return true;
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
