#include "csv.h"

#include "catalogue.h"
#include "cp1252.h"
#include "text.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace rk::interchange {

namespace {

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The usual column names of other programs' CSV exports (Tellico's field titles among them),
// lower case, and the slot each fills.
struct Alias {
    const char* name;
    const char* slot;
};
constexpr Alias kAliases[] = {
    {"title", "title"},
    {"name", "title"},
    {"year", "year"},
    {"production year", "year"},
    {"release year", "year"},
    {"genre", "genres"},
    {"genres", "genres"},
    {"category", "genres"},
    {"director", "directors"},
    {"directors", "directors"},
    {"director(s)", "directors"},
    {"producer", "producers"},
    {"producers", "producers"},
    {"cast", "cast"},
    {"actors", "cast"},
    {"stars", "cast"},
    {"medium", "medium"},
    {"media", "medium"},
    {"media format", "medium"},
    {"certification", "certification"},
    {"rated", "certification"},
    {"classification", "certification"},
    {"running time", "minutes"},
    {"runtime", "minutes"},
    {"length", "minutes"},
    {"plot", "plot"},
    {"plot summary", "plot"},
    {"summary", "plot"},
    {"synopsis", "plot"},
    {"description", "plot"},
    {"personal rating", "rating"},
    {"rating", "rating"},
    {"price", "price"},
    {"purchase price", "purchase-price"},
    {"loaned to", "borrower"},
    {"borrower", "borrower"},
};

std::vector<std::string> splitValues(std::string_view cell) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t i = 0; i <= cell.size(); ++i) {
        if (i < cell.size() && cell[i] != ';') continue;
        std::string_view item = trimmed(cell.substr(start, i - start));
        if (!item.empty()) out.emplace_back(item);
        start = i + 1;
    }
    return out;
}

void setSlot(ForeignTitle& t, const std::string& slot, const std::string& cell) {
    const std::string value(trimmed(cell));
    if (slot == "title")
        t.title = value;
    else if (slot == "year")
        t.year = value;
    else if (slot == "genres")
        t.genres = splitValues(value);
    else if (slot == "directors")
        t.directors = splitValues(value);
    else if (slot == "producers")
        t.producers = splitValues(value);
    else if (slot == "cast") {
        for (std::string& actor : splitValues(value)) {
            const size_t role = actor.find("::");
            if (role != std::string::npos) actor = std::string(trimmed(actor.substr(0, role)));
            t.cast.push_back(actor);
        }
    } else if (slot == "medium")
        t.medium = value;
    else if (slot == "certification")
        t.certification = value;
    else if (slot == "minutes")
        t.minutes = value;
    else if (slot == "plot")
        t.plot = value;
    else if (slot == "rating") {
        char* end = nullptr;
        const double n = std::strtod(value.c_str(), &end);
        if (!value.empty() && end && *end == '\0') {
            t.rating = n;
            t.ratingMax = n > 5 ? 10 : 5;
        } else {
            t.ratingText = value;
        }
    } else if (slot == "price")
        t.price = value;
    else if (slot == "purchase-price")
        t.purchasePrice = value;
    else if (slot == "borrower")
        t.borrower = value;
    else if (!slot.empty())
        t.direct.emplace_back(slot, value);
}

// A first row of exactly as many cells as our fields, none of them a column name we know:
// the comma export of our own Export Database, which writes no header.
bool headerless(const std::vector<std::string>& first) {
    if (first.size() != catalogue::titleFields().size()) return false;
    const CsvMapping guessed = guessMapping(first);
    return std::all_of(guessed.begin(), guessed.end(),
                       [](const std::string& target) { return target.empty(); });
}

} // namespace

const std::vector<std::string>& csvTargets() {
    static const std::vector<std::string> targets = [] {
        std::vector<std::string> out = {"title",          "year",    "genres", "directors",
                                        "producers",      "cast",    "medium", "certification",
                                        "minutes",        "plot",    "rating", "price",
                                        "purchase-price", "borrower"};
        for (const auto& f : catalogue::titleFields())
            out.push_back(f.name);
        return out;
    }();
    return targets;
}

CsvMapping guessMapping(const std::vector<std::string>& header) {
    CsvMapping mapping;
    for (const std::string& name : header) {
        std::string target;
        for (const auto& f : catalogue::titleFields())
            if (name == f.name) target = f.name;
        if (target.empty()) {
            const std::string lower = lowerAscii(trimmed(name));
            for (const Alias& a : kAliases)
                if (lower == a.name) {
                    target = a.slot;
                    break;
                }
        }
        // One column per slot: a second "Title" column is not taken for the title.
        if (!target.empty() && std::find(mapping.begin(), mapping.end(), target) != mapping.end())
            target.clear();
        mapping.push_back(target);
    }
    return mapping;
}

Result<CsvTable> parseCsv(std::string_view bytes) {
    return parseCsv(bytes, nullptr);
}

Result<CsvTable> parseCsv(std::string_view bytes, const CsvRowFn& onRow) {
    CsvTable table;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    std::string converted;
    if (!isUtf8(bytes)) {
        converted = cp1252::toUtf8(bytes);
        bytes = converted;
        table.windows1252 = true;
    }
    const size_t firstEnd = std::min(bytes.find('\n'), bytes.size());
    const std::string_view firstLine = bytes.substr(0, firstEnd);
    if (std::count(firstLine.begin(), firstLine.end(), '\t') >
        std::count(firstLine.begin(), firstLine.end(), ','))
        table.separator = '\t';
    const char sep = table.separator;

    std::vector<std::string> row;
    std::string field;
    size_t line = 1, rowLine = 1;
    bool quoted = false, wasQuoted = false, any = false;
    auto endRow = [&]() -> Status {
        row.push_back(std::move(field));
        field.clear();
        const bool blank = row.size() == 1 && row[0].empty() && !wasQuoted;
        wasQuoted = false;
        if (!blank) {
            if (table.header.empty() && !headerless(row)) {
                table.header = std::move(row);
            } else {
                if (table.header.empty()) {
                    // Our own comma export: the columns are our fields in table order.
                    table.noHeader = true;
                    for (const auto& f : catalogue::titleFields())
                        table.header.push_back(f.name);
                }
                if (row.size() > table.header.size())
                    return Status::invalid("line " + std::to_string(rowLine) + " has " +
                                           std::to_string(row.size()) + " fields, the header " +
                                           std::to_string(table.header.size()));
                row.resize(table.header.size());
                if (onRow)
                    RK_RETURN_IF_ERROR(onRow(table.header, std::move(row)));
                else
                    table.rows.push_back(std::move(row));
            }
        }
        row.clear();
        rowLine = line;
        return Status::ok();
    };
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        any = true;
        if (field.size() >= kMaxCsvField)
            return Status::invalid("line " + std::to_string(rowLine) +
                                   " has a field longer than 1 MiB, which no title holds");
        if (quoted) {
            if (c == '"') {
                if (i + 1 < bytes.size() && bytes[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == '\n') ++line;
                field += c;
            }
            continue;
        }
        if (c == '"' && field.empty()) {
            quoted = wasQuoted = true;
        } else if (c == sep) {
            row.push_back(std::move(field));
            field.clear();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            ++line;
            RK_RETURN_IF_ERROR(endRow());
            any = false;
        } else {
            field += c;
        }
    }
    if (quoted)
        return Status::invalid("a quoted field that begins on line " + std::to_string(rowLine) +
                               " is never closed");
    if (any || !field.empty()) RK_RETURN_IF_ERROR(endRow());
    if (table.header.empty()) return Status::invalid("the file is empty: no header row");
    return table;
}

ForeignTitle csvTitle(const std::vector<std::string>& header, const std::vector<std::string>& row,
                      const CsvMapping& mapping) {
    ForeignTitle t;
    for (size_t c = 0; c < row.size(); ++c) {
        const std::string& target = c < mapping.size() ? mapping[c] : std::string();
        if (!target.empty())
            setSlot(t, target, row[c]);
        else if (!trimmed(row[c]).empty() && c < header.size())
            t.other.emplace_back(header[c], row[c]);
    }
    return t;
}

std::vector<ForeignTitle> csvTitles(const CsvTable& table, const CsvMapping& mapping) {
    std::vector<ForeignTitle> out;
    out.reserve(table.rows.size());
    for (const auto& row : table.rows)
        out.push_back(csvTitle(table.header, row, mapping));
    return out;
}

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\t\"\r\n") == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

} // namespace rk::interchange
