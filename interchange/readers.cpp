#include "readers.h"

#include "env.h"

#include <zip.h>

#include <cstring>
#include <map>
#include <memory>

namespace rk::interchange {

Result<ReadResult> readTellico(std::string_view xml, std::map<std::string, std::string>* zipImages);

namespace {

// The largest cover read from a .tc file.
constexpr uint64_t kMaxCoverBytes = uint64_t(16) << 20;

// The name of the root element, or "" when the text does not begin as XML.
std::string rootElement(std::string_view s) {
    if (s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
    s = s.substr(0, 1 << 16);
    size_t i = 0;
    for (;;) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n'))
            ++i;
        if (i >= s.size() || s[i] != '<') return {};
        if (s.compare(i, 2, "<?") == 0) {
            const size_t end = s.find("?>", i);
            if (end == std::string_view::npos) return {};
            i = end + 2;
        } else if (s.compare(i, 4, "<!--") == 0) {
            const size_t end = s.find("-->", i);
            if (end == std::string_view::npos) return {};
            i = end + 3;
        } else if (s.compare(i, 2, "<!") == 0) {
            // A document type, perhaps with an internal subset in [ ].
            int bracket = 0;
            for (++i; i < s.size(); ++i) {
                if (s[i] == '[') ++bracket;
                if (s[i] == ']') --bracket;
                if (s[i] == '>' && bracket <= 0) break;
            }
            ++i;
        } else {
            size_t end = i + 1;
            while (end < s.size() && !std::strchr(" \t\r\n/>", s[end]))
                ++end;
            std::string_view n = s.substr(i + 1, end - i - 1);
            if (const size_t colon = n.find(':'); colon != std::string_view::npos)
                n.remove_prefix(colon + 1); // tc:tellico
            return std::string(n);
        }
    }
}

bool unsafeMemberName(std::string_view n) {
    if (n.empty() || n[0] == '/' || n[0] == '\\' || n.find(':') != std::string_view::npos ||
        n.find('\\') != std::string_view::npos)
        return true;
    size_t start = 0;
    for (size_t i = 0; i <= n.size(); ++i) {
        if (i < n.size() && n[i] != '/') continue;
        if (n.substr(start, i - start) == "..") return true;
        start = i + 1;
    }
    return false;
}

using Archive = std::unique_ptr<zip_t, void (*)(zip_t*)>;

// A member's bytes, at most `limit`; a member that claims more is refused unread, and one
// whose bytes do not match its claim or checksum is refused as damaged.
Result<std::string> readMember(zip_t* z, zip_uint64_t index, uint64_t limit) {
    zip_stat_t st;
    if (zip_stat_index(z, index, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
        return Status::invalid("the zip archive is damaged");
    const std::string n = st.name ? st.name : "?";
    if (st.size > limit)
        return Status::invalid("the member " + n + " claims " + std::to_string(st.size) +
                               " bytes, more than " + std::to_string(limit) + " we read");
    std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> f(zip_fopen_index(z, index, 0), zip_fclose);
    if (!f) return Status::invalid("the member " + n + " cannot be read: " + zip_strerror(z));
    std::string out(size_t(st.size), '\0');
    size_t got = 0;
    while (got < out.size()) {
        const zip_int64_t r = zip_fread(f.get(), out.data() + got, out.size() - got);
        if (r <= 0) break;
        got += size_t(r);
    }
    char extra;
    if (got != out.size() || zip_fread(f.get(), &extra, 1) != 0)
        return Status::invalid("the member " + n +
                               " is damaged (its bytes do not match its size "
                               "or checksum)");
    return out;
}

} // namespace

Format formatByName(const std::string& n) {
    if (n == "tellico") return Format::Tellico;
    if (n == "gcstar") return Format::GCstar;
    if (n == "datacrow") return Format::DataCrow;
    if (n == "griffith") return Format::Griffith;
    if (n == "csv") return Format::Csv;
    return Format::Unknown;
}

const char* formatName(Format f) {
    switch (f) {
    case Format::Tellico:
        return "tellico";
    case Format::GCstar:
        return "gcstar";
    case Format::DataCrow:
        return "datacrow";
    case Format::Griffith:
        return "griffith";
    case Format::Csv:
        return "csv";
    case Format::Unknown:
        break;
    }
    return "unknown";
}

Format detectFormat(std::string_view bytes) {
    if (bytes.substr(0, 4) == std::string_view("PK\3\4", 4)) return Format::Tellico;
    const std::string root = rootElement(bytes);
    if (root == "tellico") return Format::Tellico;
    if (root == "collection") return Format::GCstar;
    if (root == "data-crow-objects") return Format::DataCrow;
    if (root == "root") return Format::Griffith;
    std::string_view start = bytes.substr(0, 64);
    if (start.substr(0, 3) == "\xEF\xBB\xBF") start.remove_prefix(3);
    if (!start.empty() && (start[0] == '<' || start.find('\0') != std::string_view::npos))
        return Format::Unknown;
    return Format::Csv;
}

bool looksLikeImage(std::string_view b) {
    auto starts = [&](std::string_view magic) { return b.substr(0, magic.size()) == magic; };
    return starts("\x89PNG\r\n\x1a\n") || starts("\xFF\xD8\xFF") || starts("GIF87a") ||
           starts("GIF89a") || (starts("BM") && b.size() > 26) ||
           (starts("RIFF") && b.substr(8, 4) == "WEBP");
}

Result<ReadResult> readTellicoZip(std::string_view bytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (!source) return Status::invalid("the zip archive cannot be read");
    Archive z(zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error), zip_discard);
    if (!z) {
        zip_source_free(source);
        const std::string why = zip_error_strerror(&error);
        zip_error_fini(&error);
        return Status::invalid("the file is not a readable zip archive: " + why);
    }
    zip_error_fini(&error);
    const zip_int64_t count = zip_get_num_entries(z.get(), 0);
    zip_int64_t xmlIndex = -1;
    std::vector<std::pair<std::string, zip_uint64_t>> images;
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* raw = zip_get_name(z.get(), zip_uint64_t(i), ZIP_FL_ENC_RAW);
        const std::string n = raw ? raw : "";
        if (unsafeMemberName(n))
            return Status::invalid("the archive holds a member named \"" + n +
                                   "\", outside the archive's own folder; refused");
        if (n == "tellico.xml")
            xmlIndex = i;
        else if (n.compare(0, 7, "images/") == 0 && n.size() > 7 && n.back() != '/')
            images.emplace_back(n.substr(7), zip_uint64_t(i));
    }
    if (xmlIndex < 0) return Status::invalid("the zip archive holds no tellico.xml");
    auto xml = readMember(z.get(), zip_uint64_t(xmlIndex), kMaxFileBytes);
    if (!xml) return xml.status();
    std::map<std::string, std::string> covers;
    std::vector<std::string> notes;
    for (const auto& [n, index] : images) {
        auto cover = readMember(z.get(), index, kMaxCoverBytes);
        if (!cover) {
            notes.push_back(cover.status().message() + "; that cover is left out");
            continue;
        }
        covers[n] = std::move(*cover);
    }
    auto read = readTellico(*xml, &covers);
    if (read) read->notes.insert(read->notes.begin(), notes.begin(), notes.end());
    return read;
}

Result<std::string> loadFile(const std::string& path) {
    auto file = Env::standard()->open(path, OpenMode::ReadOnly, LockMode::None);
    if (!file) return file.status();
    uint64_t size = 0;
    RK_RETURN_IF_ERROR((*file)->size(&size));
    if (size > kMaxFileBytes)
        return Status::invalid(path + " is larger than " + std::to_string(kMaxFileBytes >> 20) +
                               " MiB; no collection file is that large");
    std::string bytes(size_t(size), '\0');
    size_t got = 0;
    RK_RETURN_IF_ERROR((*file)->read(0, bytes.data(), bytes.size(), &got));
    bytes.resize(got);
    return bytes;
}

Result<ReadResult> readBytes(std::string_view bytes, Format format, const CsvMapping* mapping) {
    if (format == Format::Unknown) format = detectFormat(bytes);
    switch (format) {
    case Format::Tellico:
        return bytes.substr(0, 4) == std::string_view("PK\3\4", 4) ? readTellicoZip(bytes)
                                                                   : readTellicoXml(bytes);
    case Format::GCstar:
        return readGcstar(bytes);
    case Format::DataCrow:
        return readDataCrow(bytes);
    case Format::Griffith:
        return readGriffith(bytes);
    case Format::Csv: {
        auto table = parseCsv(bytes);
        if (!table) return table.status();
        ReadResult out;
        out.format = Format::Csv;
        out.titles = csvTitles(*table, mapping ? *mapping : guessMapping(table->header));
        if (table->windows1252) out.notes.push_back("the file is not UTF-8; read as Windows-1252");
        return out;
    }
    case Format::Unknown:
        break;
    }
    return Status::invalid("the file is none of the formats read here (Tellico, GCstar, Data "
                           "Crow, Griffith, CSV or tab-separated text)");
}

Result<ReadResult> readFile(const std::string& path, Format format, const CsvMapping* mapping) {
    auto bytes = loadFile(path);
    if (!bytes) return bytes.status();
    return readBytes(*bytes, format, mapping);
}

} // namespace rk::interchange
