#include "record.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace rk::dbf {

namespace {

std::string_view trimBoth(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\0'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.remove_suffix(1);
    return s;
}

bool parseDouble(std::string_view s, double* out) {
    s = trimBoth(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return false;
    auto r = std::from_chars(s.data(), s.data() + s.size(), *out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool validDate(int y, int m, int d) {
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > days[m - 1]) return false;
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return !(m == 2 && d == 29 && !leap);
}

} // namespace

std::string_view rawField(std::string_view image, const FieldDef& f) {
    if (f.offset + size_t(f.length) > image.size()) return {};
    return image.substr(f.offset, f.length);
}

std::string_view trimmedField(std::string_view image, const FieldDef& f) {
    std::string_view s = rawField(image, f);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.remove_suffix(1);
    return s;
}

bool isDeleted(std::string_view image) {
    return !image.empty() && image[0] == kDeletedFlag;
}

void setDeleted(std::string& image, bool deleted) {
    if (!image.empty()) image[0] = deleted ? kDeletedFlag : kLiveFlag;
}

bool getLogical(std::string_view image, const FieldDef& f) {
    std::string_view s = rawField(image, f);
    if (s.empty()) return false;
    char c = s[0];
    return c == 'T' || c == 't' || c == 'Y' || c == 'y';
}

double getNumber(std::string_view image, const FieldDef& f) {
    std::string_view s = trimBoth(rawField(image, f));
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    double v = 0;
    // Reads the longest leading part that is a number; blank or garbage reads 0.
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || !std::isfinite(v)) return 0;
    return v;
}

int16_t getInt16(std::string_view image, const FieldDef& f) {
    double v = getNumber(image, f);
    if (!(v > -2147483648.0 && v < 2147483648.0)) return 0;
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<int32_t>(v)));
}

Date getDate(std::string_view image, const FieldDef& f) {
    std::string_view s = rawField(image, f);
    if (s.size() != 8) return {};
    int v[8];
    for (int i = 0; i < 8; ++i) {
        if (s[i] < '0' || s[i] > '9') return {};
        v[i] = s[i] - '0';
    }
    Date d{v[0] * 1000 + v[1] * 100 + v[2] * 10 + v[3], v[4] * 10 + v[5], v[6] * 10 + v[7]};
    return validDate(d.year, d.month, d.day) ? d : Date{};
}

void setString(std::string& image, const FieldDef& f, std::string_view text) {
    if (f.offset + size_t(f.length) > image.size()) return;
    size_t n = std::min<size_t>(text.size(), f.length);
    std::memcpy(&image[f.offset], text.data(), n);
    std::memset(&image[f.offset + n], ' ', f.length - n);
}

void setLogical(std::string& image, const FieldDef& f, bool value) {
    if (f.offset + size_t(f.length) > image.size() || f.length == 0) return;
    image[f.offset] = value ? 'T' : 'F';
}

Status setNumber(std::string& image, const FieldDef& f, double value) {
    if (!std::isfinite(value)) return Status::invalid("field " + f.name + " needs a finite number");
    char buf[64];
    int n = std::snprintf(buf, sizeof buf, "%.*f", int(f.decimals), value);
    if (n < 0 || n > f.length) {
        std::snprintf(buf, sizeof buf, "%.*f", int(f.decimals), value);
        return Status::invalid("the number " + std::string(buf) + " is too wide for field " +
                               f.name + " (" + std::to_string(f.length) + " characters)");
    }
    std::string text(f.length - n, ' ');
    text.append(buf, n);
    setString(image, f, text);
    return Status::ok();
}

void setDate(std::string& image, const FieldDef& f, const Date& d) {
    if (d.year == 0) {
        setBlank(image, f);
        return;
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", d.year % 10000, d.month % 100, d.day % 100);
    setString(image, f, buf);
}

void setBlank(std::string& image, const FieldDef& f) {
    setString(image, f, "");
}

bool isControlByte(unsigned char c) {
    return c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

Status checkFieldText(const FieldDef& f, std::string_view text) {
    for (unsigned char c : text) {
        if (!isControlByte(c)) continue;
        static const char* const names[] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                            "BS",  "TAB", "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                            "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                            "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
        char code[8];
        std::snprintf(code, sizeof code, "0x%02X", c);
        const std::string name =
            c < 0x20 ? std::string(names[c]) + " (" + code + ")" : std::string(code);
        return Status::invalid("a field holds one line of text, so the control character " + name +
                               " cannot be stored in " + f.name);
    }
    return Status::ok();
}

Status setFromText(std::string& image, const FieldDef& f, std::string_view text) {
    RK_RETURN_IF_ERROR(checkFieldText(f, text));
    switch (f.type) {
    case 'C':
        setString(image, f, text);
        return Status::ok();
    case 'N':
    case 'F': {
        if (trimBoth(text).empty()) {
            setBlank(image, f);
            return Status::ok();
        }
        double v;
        if (!parseDouble(text, &v))
            return Status::invalid("'" + std::string(text) + "' is not a number (field " + f.name +
                                   ")");
        return setNumber(image, f, v);
    }
    case 'L': {
        std::string_view t = trimBoth(text);
        if (t.empty()) {
            setBlank(image, f);
            return Status::ok();
        }
        std::string u;
        for (char c : t)
            u += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (u == "T" || u == "Y" || u == "TRUE" || u == "YES" || u == ".T." || u == "1") {
            setLogical(image, f, true);
        } else if (u == "F" || u == "N" || u == "FALSE" || u == "NO" || u == ".F." || u == "0") {
            setLogical(image, f, false);
        } else {
            return Status::invalid("'" + std::string(text) + "' is not T or F (field " + f.name +
                                   ")");
        }
        return Status::ok();
    }
    case 'D': {
        std::string_view t = trimBoth(text);
        if (t.empty()) {
            setBlank(image, f);
            return Status::ok();
        }
        std::string digits;
        for (char c : t)
            if (c != '-') digits += c;
        int y = 0, m = 0, d = 0;
        if (digits.size() != 8 || std::sscanf(digits.c_str(), "%4d%2d%2d", &y, &m, &d) != 3 ||
            !validDate(y, m, d))
            return Status::invalid("'" + std::string(text) + "' is not a date YYYYMMDD (field " +
                                   f.name + ")");
        setDate(image, f, Date{y, m, d});
        return Status::ok();
    }
    default:
        return Status::invalid("field " + f.name + " has an unknown type");
    }
}

std::string displayText(std::string_view image, const FieldDef& f) {
    switch (f.type) {
    case 'L':
        return getLogical(image, f) ? "T" : "F";
    case 'N':
    case 'F':
        return std::string(trimBoth(rawField(image, f)));
    default:
        return std::string(trimmedField(image, f));
    }
}

} // namespace rk::dbf
