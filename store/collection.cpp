#include "collection.h"

#include "record.h"
#include "table.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <map>
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

// A sum of many prices without the rounding error of plain addition piling up (Neumaier's
// compensated sum): 100,000 prices of two decimals add up to a total that prints with its two
// decimals, not 2498538.74000001.
class PriceSum {
public:
    void add(double x) {
        const double t = sum_ + x;
        compensation_ += std::fabs(sum_) >= std::fabs(x) ? (sum_ - t) + x : (x - t) + sum_;
        sum_ = t;
    }
    double value() const { return sum_ + compensation_; }

private:
    double sum_ = 0, compensation_ = 0;
};

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
    PriceSum total;
    RK_RETURN_IF_ERROR(titles.goTop());
    while (!titles.eof()) {
        if (price) {
            const std::string& image = titles.record();
            if (auto value = readPrice(dbf::rawField(image, *price), decimalSeparator))
                total.add(*value);
        }
        if (step) step(titles.recNo());
        RK_RETURN_IF_ERROR(titles.skip(1));
    }
    return total.value();
}

Status forEachVisibleRecord(Table& titles,
                            const std::function<void(uint32_t, std::string_view)>& fn) {
    std::vector<uint32_t> records;
    RK_RETURN_IF_ERROR(titles.visibleRecords(&records));
    std::sort(records.begin(), records.end());
    constexpr uint32_t kBatch = 256;
    const size_t length = titles.recSize();
    std::vector<char> buf(size_t(kBatch) * length);
    for (size_t i = 0; i < records.size();) {
        // A run of consecutive record numbers, read at once.
        size_t j = i + 1;
        while (j < records.size() && j - i < kBatch && records[j] == records[j - 1] + 1)
            ++j;
        const auto count = uint32_t(j - i);
        RK_RETURN_IF_ERROR(titles.dbf()->readRecords(records[i], count, buf.data()));
        for (uint32_t k = 0; k < count; ++k)
            fn(records[i + k], std::string_view(buf.data() + k * length, length));
        i = j;
    }
    return Status::ok();
}

namespace {

// Counts and sums by the stored value of one field.
class Tally {
public:
    explicit Tally(const dbf::FieldDef* field) : field_(field) {}
    void addRecord(std::string_view image, std::optional<double> price) {
        add(field_ ? dbf::trimmedField(image, *field_) : std::string_view(), price);
    }
    void add(std::string_view key, std::optional<double> price) {
        Entry& entry = rows_[std::string(key)];
        ++entry.titles;
        if (price) entry.value.add(*price);
    }
    // Most titles first, then by key.
    std::vector<FigureRow> byCount() const {
        std::vector<FigureRow> out = rows();
        std::stable_sort(out.begin(), out.end(), [](const FigureRow& a, const FigureRow& b) {
            return a.titles > b.titles;
        });
        return out;
    }
    // In key order, the empty key last.
    std::vector<FigureRow> byKey() const {
        std::vector<FigureRow> out = rows();
        if (!out.empty() && out.front().key.empty())
            std::rotate(out.begin(), out.begin() + 1, out.end());
        return out;
    }

private:
    std::vector<FigureRow> rows() const {
        std::vector<FigureRow> out;
        out.reserve(rows_.size());
        for (const auto& [key, entry] : rows_) {
            out.emplace_back();
            out.back().key = key;
            out.back().titles = entry.titles;
            out.back().value = entry.value.value();
        }
        return out;
    }
    struct Entry {
        decltype(FigureRow::titles) titles = 0;
        PriceSum value;
    };
    const dbf::FieldDef* field_;
    std::map<std::string, Entry> rows_;
};

// "1990" for a year of the nineties; empty for a year that is not four digits.
std::string decadeOf(std::string_view year) {
    while (!year.empty() && year.front() == ' ')
        year.remove_prefix(1);
    while (!year.empty() && (year.back() == ' ' || year.back() == '\0'))
        year.remove_suffix(1);
    if (year.size() != 4) return {};
    for (char c : year)
        if (!isDigit(c)) return {};
    return std::string(year.substr(0, 3)) + "0";
}

} // namespace

Result<CollectionFigures> collectionFigures(Table& titles, char decimalSeparator) {
    const dbf::FieldDef* price = titles.field("PRICE");
    const dbf::FieldDef* year = titles.field("YEAR");
    Tally category(titles.field("CATEGORY")), format(titles.field("FORMAT")),
        rating(titles.field("RATING")), decade(nullptr);
    CollectionFigures f;
    PriceSum total;
    RK_RETURN_IF_ERROR(forEachVisibleRecord(titles, [&](uint32_t, std::string_view image) {
        std::optional<double> value;
        if (price) value = readPrice(dbf::rawField(image, *price), decimalSeparator);
        ++f.titles;
        if (value) {
            ++f.priced;
            total.add(*value);
        }
        category.addRecord(image, value);
        format.addRecord(image, value);
        rating.addRecord(image, value);
        decade.add(year ? decadeOf(dbf::rawField(image, *year)) : std::string(), value);
    }));
    f.byCategory = category.byCount();
    f.byFormat = format.byCount();
    f.byRating = rating.byCount();
    f.byDecade = decade.byKey();
    f.value = total.value();
    return f;
}

Result<uint32_t> clearMarks(Table& titles, const RecordStep& step, const RecordChange& changed) {
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
            if (changed) RK_RETURN_IF_ERROR(changed(recno, image));
            ++cleared;
        }
        if (step) step(recno);
    }
    RK_RETURN_IF_ERROR(batch.finish());
    return cleared;
}

} // namespace rk::store
