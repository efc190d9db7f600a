#include "catalogue.h"

#include "table.h"

#include <filesystem>

namespace rk::catalogue {

namespace {
dbf::FieldDef C(const char* name, int len) {
    return {name, 'C', uint8_t(len), 0, 0};
}
dbf::FieldDef N(const char* name, int len) {
    return {name, 'N', uint8_t(len), 0, 0};
}
dbf::FieldDef L(const char* name) {
    return {name, 'L', 1, 0, 0};
}

// Gives each field its place in the record image, after the deletion flag.
std::vector<dbf::FieldDef> laidOut(std::vector<dbf::FieldDef> fields) {
    uint32_t offset = 1;
    for (auto& f : fields) {
        f.offset = offset;
        offset += f.length;
    }
    return fields;
}

Status indexTable(const std::string& path, const std::vector<TagDef>& defs, Env* env) {
    store::Table t(path, {}, env);
    RK_RETURN_IF_ERROR(t.open());
    std::vector<store::TagSpec> tags;
    for (const auto& d : defs)
        tags.push_back({d.name, d.key, d.forExpr});
    return t.createIndex(tags);
}

std::string join(const std::string& dir, const char* name) {
    return (std::filesystem::path(dir) / name).string();
}
} // namespace

const std::vector<dbf::FieldDef>& titleFields() {
    static const std::vector<dbf::FieldDef> fields = laidOut({
        C("TITLE", 100),     C("CATEGORY", 50),  C("FORMAT", 25),   C("ID", 25),
        N("COUNTER", 4),     C("RUNTIME", 8),    C("USER1", 50),    C("USER2", 50),
        C("USER3", 50),      C("USER4", 50),     C("RATED", 15),    C("RATING", 25),
        C("SUMMARY", 255),   C("PRODUCER", 50),  C("DIRECTOR", 50), C("STAR1", 25),
        C("STAR2", 25),      C("STAR3", 25),     C("STAR4", 25),    C("YEAR", 4),
        C("SPEED", 15),      C("SOUND", 15),     L("CLOSE_CAPT"),   C("CONTENT", 15),
        C("PRICE", 6),       L("MARKED"),        L("MULTI_SET"),    N("TAPES", 4),
        L("AV_CLIP"),        C("CLIP_TYPE", 12), C("PICTURE", 5),   L("SURROUND"),
        C("CLIP_FILE", 100),
    });
    return fields;
}

const std::vector<dbf::FieldDef>& categoryFields() {
    static const std::vector<dbf::FieldDef> fields = laidOut({C("CATEGORY", 50), N("CATID", 5)});
    return fields;
}

// Character keys are upper-cased so that sorting ignores case; within one value of the
// ordering field the titles follow in title order.
const std::vector<TagDef>& titleTags() {
    static const std::vector<TagDef> tags = {
        {"TITIT", "UPPER(TITLE)", ""},
        {"CATEGORY", "UPPER(CATEGORY+TITLE)", ""},
        {"DIRECT", "UPPER(DIRECTOR+TITLE)", ""},
        {"IDS", "UPPER(ID)", ""},
        {"YR", "YEAR+UPPER(TITLE)", ""},
        {"FRMT", "UPPER(FORMAT+TITLE)", ""},
        {"RAT", "UPPER(RATING+TITLE)", ""},
        {"RATD", "UPPER(RATED+TITLE)", ""},
        {"CONT", "UPPER(CONTENT+TITLE)", ""},
        {"MULTI", "IIF(MULTI_SET,\"T\",\"F\")+UPPER(TITLE)", ""},
        {"USE1", "UPPER(USER1+TITLE)", ""},
        {"USE2", "UPPER(USER2+TITLE)", ""},
    };
    return tags;
}

const std::vector<TagDef>& categoryTags() {
    static const std::vector<TagDef> tags = {{"CAT", "UPPER(CATEGORY)", ""}};
    return tags;
}

const std::vector<std::string>& builtinRatings() {
    static const std::vector<std::string> r = {"Excellent", "Good", "Fair", "Poor"};
    return r;
}

const std::vector<std::string>& builtinFormats() {
    static const std::vector<std::string> f = {
        "VHS", "SVHS", "Laser Disc (CAV)", "Laser Disc (CLV)", "Laser Disc", "BETA", "Hi8", "8mm"};
    return f;
}

Result<std::vector<std::string>> readChoiceList(const std::string& path,
                                                const std::vector<std::string>& builtin, Env* env) {
    auto file = env->open(path, OpenMode::ReadOnly, LockMode::None);
    if (!file) {
        if (file.status().code() == Status::Code::NotFound) return builtin;
        return file.status();
    }
    uint64_t size = 0;
    RK_RETURN_IF_ERROR((*file)->size(&size));
    if (size > (64u << 20)) return Status::invalid(path + " is too large for a choice list");
    std::string text(size, '\0');
    size_t got = 0;
    RK_RETURN_IF_ERROR((*file)->read(0, text.data(), text.size(), &got));
    text.resize(got);
    std::vector<std::string> entries;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        entries.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) entries.push_back(text.substr(start));
    return entries;
}

Status writeChoiceList(const std::string& path, const std::vector<std::string>& entries, Env* env) {
    std::string text;
    for (const auto& e : entries) {
        text += e;
        text += "\r\n";
    }
    const std::string tmp = path + ".tmp";
    {
        auto file = env->open(tmp, OpenMode::Create, LockMode::Exclusive);
        if (!file) return file.status();
        Status s = (*file)->write(0, text.data(), text.size());
        if (s) s = (*file)->sync();
        if (!s) {
            file->reset();
            ignore(env->remove(tmp), "clean-up of a temporary file; the write error is reported");
            return s;
        }
    }
    return env->replace(tmp, path);
}

Status createEmpty(const std::string& dir, Env* env) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) return Status::ioError("cannot create the folder " + dir + ": " + ec.message());
    const std::string titles = findFileNoCase(dir, kTitlesFile);
    const std::string cats = findFileNoCase(dir, kCategoriesFile);
    if (env->exists(titles) || env->exists(cats))
        return Status::invalid("a catalogue already exists in " + dir);
    RK_RETURN_IF_ERROR(dbf::DbfFile::create(join(dir, kTitlesFile), titleFields(), {}, env));
    RK_RETURN_IF_ERROR(dbf::DbfFile::create(join(dir, kCategoriesFile), categoryFields(), {}, env));
    // Each table gets its structural index (VIDEO.CDX, Cats.CDX) with the tags above.
    RK_RETURN_IF_ERROR(indexTable(join(dir, kTitlesFile), titleTags(), env));
    RK_RETURN_IF_ERROR(indexTable(join(dir, kCategoriesFile), categoryTags(), env));
    return Status::ok();
}

} // namespace rk::catalogue

namespace rk::catalogue {

namespace {

// A text literal for `value`: delimited by ", ' or [ ] (the first it does not hold), or joined
// from pieces without double quotes when it holds all three.
std::string literal(std::string_view value) {
    auto has = [&](char c) { return value.find(c) != std::string_view::npos; };
    if (!has('"')) return "\"" + std::string(value) + "\"";
    if (!has('\'')) return "'" + std::string(value) + "'";
    if (!has(']')) return "[" + std::string(value) + "]";
    std::string expr;
    size_t start = 0;
    for (;;) {
        size_t quote = value.find('"', start);
        std::string_view piece = value.substr(start, quote - start);
        if (!expr.empty()) expr += " + ";
        expr += "\"" + std::string(piece) + "\"";
        if (quote == std::string_view::npos) break;
        expr += " + '\"'";
        start = quote + 1;
    }
    return "(" + expr + ")";
}

} // namespace

std::string exactQuery(std::string_view field, std::string_view value) {
    const size_t first = value.find_first_not_of(' ');
    value = first == std::string_view::npos ? std::string_view() : value.substr(first);
    value = value.substr(0, value.find_last_not_of(' ') + 1);
    return "ALLTRIM(" + std::string(field) + ") == " + literal(value);
}

std::string equalsQuery(std::string_view field, std::string_view value) {
    return std::string(field) + " = " + literal(value);
}

} // namespace rk::catalogue
