#include "collection.h"

#include "record.h"
#include "table.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace rk::store {

namespace {

constexpr int kSignificantDigits = 15;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::optional<double> readPrice(std::string_view text, char decimalSeparator) {
    size_t b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    text = text.substr(b, e - b);

    // Checked by hand, then converted from a copy with '.' so that the conversion does not
    // depend on the process's locale.
    std::string plain;
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') plain += '-';
        ++i;
    }
    int digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        plain += text[i++];
        ++digits;
    }
    if (i < text.size() && text[i] == decimalSeparator) {
        plain += '.';
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            plain += text[i++];
            ++digits;
        }
    }
    if (digits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
        int expDigits = 0;
        while (i < text.size() && isDigit(text[i])) {
            plain += text[i++];
            ++expDigits;
        }
        if (expDigits == 0) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;

    double value = 0; // from_chars reads the minus itself (and takes no plus)
    const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (ec != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string formatTotal(double total, char decimalSeparator) {
    if (std::isnan(total)) return "NAN";
    if (std::isinf(total)) return total < 0 ? "-INF" : "INF";
    if (total == 0) return "0";

    // The significant digits and the decimal exponent, rounded to 15 digits.
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, total,
                                         std::chars_format::scientific, kSignificantDigits - 1);
    if (ec != std::errc()) return "0";
    std::string_view sci(buf, size_t(end - buf)); // [-]d.dddddddddddddde[+-]xx
    std::string out;
    if (sci.front() == '-') {
        out += '-';
        sci.remove_prefix(1);
    }
    const size_t ePos = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, ePos))
        if (isDigit(c)) digits += c;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int exponent = std::atoi(std::string(sci.substr(ePos + 1)).c_str());

    if (exponent >= kSignificantDigits || exponent < -5) {
        out += digits[0];
        if (digits.size() > 1) {
            out += decimalSeparator;
            out.append(digits, 1, std::string::npos);
        }
        out += 'E';
        out += std::to_string(exponent);
        return out;
    }
    if (exponent < 0) {
        out += '0';
        out += decimalSeparator;
        out.append(size_t(-exponent - 1), '0');
        out += digits;
        return out;
    }
    const size_t whole = size_t(exponent) + 1;
    if (digits.size() <= whole) {
        out += digits;
        out.append(whole - digits.size(), '0');
    } else {
        out.append(digits, 0, whole);
        out += decimalSeparator;
        out.append(digits, whole, std::string::npos);
    }
    return out;
}

Result<double> collectionValue(Table& titles, char decimalSeparator, const RecordStep& step) {
    const dbf::FieldDef* price = titles.field("PRICE");
    double total = 0;
    RK_RETURN_IF_ERROR(titles.goTop());
    while (!titles.eof()) {
        if (price) {
            const std::string& image = titles.record();
            if (auto value = readPrice(dbf::rawField(image, *price), decimalSeparator))
                total += *value;
        }
        if (step) step(titles.recNo());
        RK_RETURN_IF_ERROR(titles.skip(1));
    }
    return total;
}

Result<uint32_t> clearMarks(Table& titles, const RecordStep& step) {
    const dbf::FieldDef* marked = titles.field("MARKED");
    if (!marked) return Status::notFound("the table has no MARKED field");
    std::vector<uint32_t> records;
    RK_RETURN_IF_ERROR(titles.visibleRecords(&records));
    // One batch: the index is marked once and written once, however many titles change.
    Batch batch(titles);
    RK_RETURN_IF_ERROR(batch.status());
    uint32_t cleared = 0;
    for (uint32_t recno : records) {
        RK_RETURN_IF_ERROR(titles.go(recno));
        std::string image = titles.record();
        if (dbf::getLogical(image, *marked)) {
            dbf::setLogical(image, *marked, false);
            RK_RETURN_IF_ERROR(titles.putRecord(image));
            ++cleared;
        }
        if (step) step(recno);
    }
    RK_RETURN_IF_ERROR(batch.finish());
    return cleared;
}

} // namespace rk::store
