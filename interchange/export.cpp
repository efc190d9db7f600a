#include "export.h"

#include "cp1252.h"
#include "csv.h"
#include "mapping.h"
#include "record.h"
#include "sidedata.h"
#include "table.h"

#include <zip.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace rk::interchange {

namespace {

void escaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            // XML 1.0 holds no C0 control but tab and line ends.
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r')
                out += c;
        }
    }
}

void element(std::string& out, const char* indent, const char* name, std::string_view text) {
    if (text.empty()) return;
    out += indent;
    out += '<';
    out += name;
    out += '>';
    escaped(out, text);
    out += "</";
    out += name;
    out += ">\n";
}

void list(std::string& out, const char* outer, const char* inner,
          const std::vector<std::string>& items) {
    if (items.empty()) return;
    out += "   <";
    out += outer;
    out += ">\n";
    for (const auto& i : items)
        element(out, "    ", inner, i);
    out += "   </";
    out += outer;
    out += ">\n";
}

// The fields of a Tellico video collection that the entries use.
constexpr const char* kFields =
    "  <fields>\n"
    "   <field name=\"title\" title=\"Title\" category=\"General\" type=\"1\" flags=\"8\" "
    "format=\"1\"/>\n"
    "   <field name=\"medium\" title=\"Medium\" category=\"General\" type=\"1\" flags=\"2\" "
    "format=\"0\"/>\n"
    "   <field name=\"year\" title=\"Production Year\" category=\"General\" type=\"6\" "
    "flags=\"2\" format=\"4\"/>\n"
    "   <field name=\"certification\" title=\"Certification\" category=\"General\" type=\"1\" "
    "flags=\"2\" format=\"4\"/>\n"
    "   <field name=\"genre\" title=\"Genre\" category=\"General\" type=\"1\" flags=\"7\" "
    "format=\"0\"/>\n"
    "   <field name=\"cast\" title=\"Cast\" category=\"Cast\" type=\"8\" flags=\"7\" "
    "format=\"2\">\n"
    "    <prop name=\"columns\">2</prop>\n"
    "    <prop name=\"column1\">Actor/Actress</prop>\n"
    "    <prop name=\"column2\">Role</prop>\n"
    "   </field>\n"
    "   <field name=\"director\" title=\"Director\" category=\"General\" type=\"1\" flags=\"7\" "
    "format=\"2\"/>\n"
    "   <field name=\"producer\" title=\"Producer\" category=\"General\" type=\"1\" flags=\"7\" "
    "format=\"2\"/>\n"
    "   <field name=\"running-time\" title=\"Running Time\" category=\"Features\" type=\"6\" "
    "flags=\"0\" format=\"4\"/>\n"
    "   <field name=\"plot\" title=\"Plot Summary\" category=\"Plot Summary\" type=\"2\" "
    "flags=\"0\" format=\"4\"/>\n"
    "   <field name=\"rating\" title=\"Personal Rating\" category=\"Personal\" type=\"14\" "
    "flags=\"2\" format=\"4\">\n"
    "    <prop name=\"minimum\">1</prop>\n"
    "    <prop name=\"maximum\">5</prop>\n"
    "   </field>\n"
    "   <field name=\"pur_price\" title=\"Purchase Price\" category=\"Personal\" type=\"1\" "
    "flags=\"0\" format=\"4\"/>\n"
    "   <field name=\"cover\" title=\"Cover\" category=\"Cover\" type=\"10\" flags=\"0\" "
    "format=\"4\"/>\n"
    "   <field name=\"loaned\" title=\"Loaned\" category=\"Personal\" type=\"4\" flags=\"64\" "
    "format=\"4\"/>\n"
    "  </fields>\n";

// Writes `bytes` to path through a temporary file renamed into place.
Status writeReplacing(const std::string& path, const std::string& bytes) {
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), std::streamsize(bytes.size()));
        out.flush();
        if (!out) {
            std::remove(tmp.c_str());
            return Status::ioError("cannot write " + tmp);
        }
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec) {
        std::remove(tmp.c_str());
        return Status::ioError("cannot write " + path + ": " + ec.message());
    }
    return Status::ok();
}

template <class Fn> Status eachTitle(store::Table& titles, Fn&& fn) {
    return titles.walk([&](uint32_t recno, std::string_view image) {
        if (!dbf::isDeleted(image)) fn(recno, image);
        return true;
    });
}

void attribute(std::string& out, const char* name, std::string_view value) {
    out += ' ';
    out += name;
    out += "=\"";
    escaped(out, value);
    out += '"';
}

// The loans still out, one borrower element per person with its name and uid, as Tellico
// writes and reads them (its DTD declares no attributes on borrower).
void borrowers(std::string& out, const std::vector<ForeignTitle>& titles) {
    std::map<std::string, std::vector<size_t>> byPerson;
    for (size_t i = 0; i < titles.size(); ++i)
        if (!titles[i].borrower.empty()) byPerson[titles[i].borrower].push_back(i);
    if (byPerson.empty()) return;
    out += "  <borrowers>\n";
    size_t person = 0, loan = 0;
    for (const auto& [name, entries] : byPerson) {
        out += "   <borrower";
        attribute(out, "name", name);
        attribute(out, "uid", "b" + std::to_string(++person));
        out += ">\n";
        for (size_t i : entries) {
            out += "    <loan";
            attribute(out, "uid", "l" + std::to_string(++loan));
            attribute(out, "entryRef", std::to_string(i + 1));
            attribute(out, "loanDate", titles[i].loanDate);
            if (!titles[i].dueDate.empty()) attribute(out, "dueDate", titles[i].dueDate);
            out += "/>\n";
        }
        out += "   </borrower>\n";
    }
    out += "  </borrowers>\n";
}

std::string isoDate(const dbf::Date& d) {
    if (d.year == 0) return "";
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

// The title's front cover and current loan into `t`.
Status addSide(catalogue::SideData& side, uint32_t recno, ForeignTitle& t) {
    auto cover = side.cover(recno);
    if (!cover) return cover.status();
    if (!cover->empty()) {
        std::ifstream in(*cover, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        if (!in) return Status::ioError("cannot read the cover " + *cover);
        t.coverBytes = bytes.str();
        t.coverName = std::to_string(recno) + std::filesystem::path(*cover).extension().string();
    }
    auto loan = side.currentLoan(recno);
    if (!loan) return loan.status();
    if (*loan) {
        t.borrower = cp1252::toUtf8((*loan)->person);
        t.loanDate = isoDate((*loan)->lent);
        t.dueDate = isoDate((*loan)->due);
    }
    return Status::ok();
}

} // namespace

std::string tellicoXml(const std::vector<ForeignTitle>& titles) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE tellico PUBLIC \"-//Robby Stephenson/DTD Tellico V11.0//EN\" "
                      "\"http://periapsis.org/tellico/dtd/v11/tellico.dtd\">\n"
                      "<tellico xmlns=\"http://periapsis.org/tellico/\" syntaxVersion=\"11\">\n"
                      " <collection title=\"Reelkeeper\" type=\"3\">\n";
    out += kFields;
    size_t id = 0;
    for (const ForeignTitle& t : titles) {
        out += "  <entry id=\"" + std::to_string(++id) + "\">\n";
        element(out, "   ", "title", t.title);
        element(out, "   ", "year", t.year);
        list(out, "genres", "genre", t.genres);
        list(out, "directors", "director", t.directors);
        list(out, "producers", "producer", t.producers);
        if (!t.cast.empty()) {
            out += "   <casts>\n";
            for (const auto& actor : t.cast) {
                out += "    <cast>\n";
                element(out, "     ", "column", actor);
                out += "    </cast>\n";
            }
            out += "   </casts>\n";
        }
        element(out, "   ", "medium", t.medium);
        element(out, "   ", "certification", t.certification);
        element(out, "   ", "running-time", t.minutes);
        element(out, "   ", "plot", t.plot);
        if (t.ratingMax > 0 && t.rating > 0)
            element(out, "   ", "rating", std::to_string(int(t.rating)));
        element(out, "   ", "pur_price", t.purchasePrice);
        element(out, "   ", "cover", t.coverName);
        if (!t.borrower.empty()) element(out, "   ", "loaned", "true");
        // An entry needs one field at least.
        if (t.title.empty()) element(out, "   ", "title", "?");
        out += "  </entry>\n";
    }
    borrowers(out, titles);
    out += " </collection>\n</tellico>\n";
    return out;
}

Result<uint32_t> exportTellico(store::Table& titles, const std::string& path,
                               const std::vector<std::string>& ratings, catalogue::SideData* side) {
    std::vector<ForeignTitle> foreign;
    Status sideStatus;
    RK_RETURN_IF_ERROR(eachTitle(titles, [&](uint32_t recno, std::string_view image) {
        foreign.push_back(fromRecord(image, titles, ratings));
        if (side && sideStatus) sideStatus = addSide(*side, recno, foreign.back());
    }));
    RK_RETURN_IF_ERROR(sideStatus);
    const std::string xml = tellicoXml(foreign);

    const std::string tmp = path + ".tmp";
    std::remove(tmp.c_str());
    int error = 0;
    zip_t* z = zip_open(tmp.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z) return Status::ioError("cannot create " + tmp);
    // The buffers stay alive until zip_close, which reads them.
    auto add = [&](const std::string& name, const std::string& bytes) {
        zip_source_t* source = zip_source_buffer(z, bytes.data(), bytes.size(), 0);
        if (source && zip_file_add(z, name.c_str(), source, ZIP_FL_ENC_UTF_8) >= 0) return true;
        if (source) zip_source_free(source);
        return false;
    };
    bool added = add("tellico.xml", xml);
    for (const ForeignTitle& t : foreign)
        if (added && !t.coverBytes.empty()) added = add("images/" + t.coverName, t.coverBytes);
    if (!added) {
        zip_discard(z);
        std::remove(tmp.c_str());
        return Status::ioError("cannot write " + tmp);
    }
    if (zip_close(z) != 0) {
        const std::string why = zip_strerror(z);
        zip_discard(z);
        std::remove(tmp.c_str());
        return Status::ioError("cannot write " + path + ": " + why);
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec) {
        std::remove(tmp.c_str());
        return Status::ioError("cannot write " + path + ": " + ec.message());
    }
    return uint32_t(foreign.size());
}

Result<uint32_t> exportCsv(store::Table& titles, const std::string& path) {
    const auto& fields = titles.fields();
    std::string out;
    for (size_t i = 0; i < fields.size(); ++i)
        out += (i ? "," : "") + std::string(fields[i].name);
    out += "\r\n";
    uint32_t written = 0;
    RK_RETURN_IF_ERROR(eachTitle(titles, [&](uint32_t, std::string_view image) {
        for (size_t i = 0; i < fields.size(); ++i) {
            if (i) out += ',';
            out += csvField(cp1252::toUtf8(dbf::displayText(image, fields[i])));
        }
        out += "\r\n";
        ++written;
    }));
    RK_RETURN_IF_ERROR(writeReplacing(path, out));
    return written;
}

} // namespace rk::interchange
