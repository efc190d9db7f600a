// Text lines read back as records: FIELD=VALUE assignments, and the two layouts that
// copyFileText writes.
#include "table.h"

#include "record.h"

#include <cctype>

namespace rk::store {

namespace {

std::string_view withoutCr(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

const dbf::FieldDef* findField(const std::vector<dbf::FieldDef>& fields, std::string_view name) {
    for (const auto& f : fields) {
        if (f.name.size() != name.size()) continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i)
            same = f.name[i] == std::toupper(static_cast<unsigned char>(name[i]));
        if (same) return &f;
    }
    return nullptr;
}

Status fieldError(const dbf::FieldDef& f, const Status& s) {
    return Status::invalid(f.name + ": " + s.message());
}

} // namespace

Status recordFromAssignments(const std::vector<dbf::FieldDef>& fields, std::string_view line,
                             std::string* image) {
    line = withoutCr(line);
    size_t at = 0;
    while (at <= line.size()) {
        size_t tab = line.find('\t', at);
        std::string_view item = line.substr(at, tab == std::string_view::npos ? tab : tab - at);
        at = tab == std::string_view::npos ? line.size() + 1 : tab + 1;
        if (item.empty()) continue;
        size_t eq = item.find('=');
        if (eq == std::string_view::npos || eq == 0)
            return Status::invalid("'" + std::string(item) + "' is not FIELD=VALUE");
        const dbf::FieldDef* f = findField(fields, item.substr(0, eq));
        if (!f)
            return Status::invalid("the table has no field '" + std::string(item.substr(0, eq)) +
                                   "'");
        RK_RETURN_IF_ERROR(dbf::setFromText(*image, *f, item.substr(eq + 1)));
    }
    return Status::ok();
}

namespace {

// One item of a comma line: a quoted text (quotes inside doubled) or plain text up to the
// next comma. *at moves past the item and its comma.
Status nextCommaItem(std::string_view line, size_t* at, bool quoted, std::string* out) {
    out->clear();
    size_t i = *at;
    if (quoted) {
        if (i >= line.size() || line[i] != '"') return Status::invalid("a text must be in quotes");
        for (++i;; ++i) {
            if (i >= line.size()) return Status::invalid("a text has no closing quote");
            if (line[i] == '"') {
                if (i + 1 < line.size() && line[i + 1] == '"') {
                    *out += '"';
                    ++i;
                    continue;
                }
                ++i;
                break;
            }
            *out += line[i];
        }
    } else {
        size_t comma = line.find(',', i);
        size_t end = comma == std::string_view::npos ? line.size() : comma;
        out->assign(line.substr(i, end - i));
        i = end;
    }
    if (i < line.size() && line[i] != ',') return Status::invalid("a comma must follow each field");
    *at = i + 1;
    return Status::ok();
}

} // namespace

Status recordFromTextLine(const std::vector<dbf::FieldDef>& fields, std::string_view line,
                          TextFormat format, std::string* image) {
    line = withoutCr(line);
    if (format == TextFormat::CommaDelimited) {
        size_t at = 0;
        std::string item;
        for (size_t i = 0; i < fields.size(); ++i) {
            const dbf::FieldDef& f = fields[i];
            if (at > line.size())
                return Status::invalid("the line has " + std::to_string(i) + " fields, not " +
                                       std::to_string(fields.size()));
            Status s = nextCommaItem(line, &at, f.type == 'C', &item);
            if (!s) return fieldError(f, s);
            RK_RETURN_IF_ERROR(dbf::setFromText(*image, f, item));
        }
        if (at <= line.size())
            return Status::invalid("the line has more than " + std::to_string(fields.size()) +
                                   " fields");
        return Status::ok();
    }
    // Every field at its full width, one space between.
    size_t at = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        const dbf::FieldDef& f = fields[i];
        if (i > 0) {
            if (at < line.size() && line[at] != ' ')
                return Status::invalid("fields must be one space apart (before " + f.name + ")");
            ++at;
        }
        std::string text(at < line.size() ? line.substr(at, f.length) : std::string_view());
        at += f.length;
        text.resize(f.length, ' ');
        Status s;
        if (f.type == 'C') {
            dbf::setString(*image, f, text);
        } else {
            size_t b = text.find_first_not_of(' ');
            size_t e = text.find_last_not_of(' ');
            s = dbf::setFromText(
                *image, f, b == std::string::npos ? std::string() : text.substr(b, e - b + 1));
        }
        RK_RETURN_IF_ERROR(s);
    }
    if (at < line.size() && line.find_first_not_of(' ', at) != std::string_view::npos)
        return Status::invalid("the line is longer than a record");
    return Status::ok();
}

} // namespace rk::store
