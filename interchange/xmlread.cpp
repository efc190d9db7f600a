// The XML readers: Tellico, GCstar, Data Crow and Griffith. Each walks the file with
// libxml2's streaming reader and expands one record element at a time, so that a large
// collection never sits whole in memory as a tree.
#include "readers.h"
#include "text.h"

#include <libxml/hash.h>
#include <libxml/xmlreader.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>

namespace rk::interchange {

namespace {

// Reader options: no network, no DTD, entities left unexpanded, errors kept quiet (they end
// the read with our own message).
constexpr int kXmlOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

const char* name(const xmlNode* n) {
    return reinterpret_cast<const char*>(n->name);
}

bool is(const xmlNode* n, const char* wanted) {
    return n && n->type == XML_ELEMENT_NODE && std::strcmp(name(n), wanted) == 0;
}

// The node's text, trimmed.
std::string text(const xmlNode* n) {
    std::string out;
    for (const xmlNode* c = n->children; c; c = c->next) {
        if (c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) {
            if (c->content) out += reinterpret_cast<const char*>(c->content);
        } else if (c->type == XML_ELEMENT_NODE) {
            out += text(c);
        }
    }
    return std::string(trimmed(out));
}

std::string attribute(const xmlNode* n, const char* attr) {
    xmlChar* v = xmlGetProp(n, reinterpret_cast<const xmlChar*>(attr));
    if (!v) return {};
    std::string out(reinterpret_cast<const char*>(v));
    xmlFree(v);
    return out;
}

std::vector<const xmlNode*> elements(const xmlNode* n) {
    std::vector<const xmlNode*> out;
    for (const xmlNode* c = n ? n->children : nullptr; c; c = c->next)
        if (c->type == XML_ELEMENT_NODE) out.push_back(c);
    return out;
}

const xmlNode* child(const xmlNode* n, const char* wanted) {
    for (const xmlNode* c : elements(n))
        if (is(c, wanted)) return c;
    return nullptr;
}

// Values split at the separators a program uses inside one field ("Drama, Crime").
std::vector<std::string> split(std::string_view s, std::string_view separators) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i < s.size() && separators.find(s[i]) == std::string_view::npos) continue;
        const std::string_view item = trimmed(s.substr(start, i - start));
        if (!item.empty()) out.emplace_back(item);
        start = i + 1;
    }
    return out;
}

double number(const std::string& s) {
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    return end != s.c_str() && std::isfinite(v) ? v : 0;
}

// The digits of a text ("120 min" -> "120").
std::string digits(std::string_view s) {
    std::string out;
    for (char c : s)
        if (c >= '0' && c <= '9') out += c;
    return out;
}

using Reader = std::unique_ptr<xmlTextReader, void (*)(xmlTextReaderPtr)>;

bool declaresEntities(xmlDocPtr doc) {
    if (!doc || !doc->intSubset) return false;
    auto any = [](void* table) {
        return table && xmlHashSize(static_cast<xmlHashTablePtr>(table)) > 0;
    };
    return any(doc->intSubset->entities) || any(doc->intSubset->pentities);
}

// Walks a document: `open` sees each element above `recordDepth` (its name and attributes,
// not its content) and may refuse the file; each element at `recordDepth` is expanded and
// handed to `record`. A document that declares entities is refused before its root is looked
// at.
Status walk(std::string_view xml, int recordDepth,
            const std::function<Status(const xmlNode* element, int depth)>& open,
            const std::function<Status(const xmlNode* record)>& record) {
    if (xml.size() > size_t(INT32_MAX)) return Status::invalid("the file is too large");
    xmlResetLastError();
    Reader reader(xmlReaderForMemory(xml.data(), int(xml.size()), nullptr, nullptr, kXmlOptions),
                  xmlFreeTextReader);
    if (!reader) return Status::invalid("the file is not XML");
    xmlTextReaderPtr r = reader.get();
    bool rootSeen = false;
    int rc = xmlTextReaderRead(r);
    while (rc == 1) {
        const int type = xmlTextReaderNodeType(r);
        if (type == XML_READER_TYPE_ENTITY_REFERENCE)
            return Status::invalid("the file uses entities of its own, which are not read");
        if (type == XML_READER_TYPE_ELEMENT) {
            const int depth = xmlTextReaderDepth(r);
            if (!rootSeen) {
                // The node's document, not xmlTextReaderCurrentDoc(): that one would keep
                // every node read until the end.
                const xmlNode* root = xmlTextReaderCurrentNode(r);
                if (root && declaresEntities(root->doc))
                    return Status::invalid("the file declares entities, which are not read (an "
                                           "entity can grow into more text than any file holds)");
                rootSeen = true;
            }
            if (depth == recordDepth) {
                const xmlNode* node = xmlTextReaderExpand(r);
                if (!node) {
                    rc = -1;
                    break;
                }
                RK_RETURN_IF_ERROR(record(node));
                rc = xmlTextReaderNext(r);
                continue;
            }
            if (depth < recordDepth) RK_RETURN_IF_ERROR(open(xmlTextReaderCurrentNode(r), depth));
        }
        rc = xmlTextReaderRead(r);
    }
    if (rc < 0 || !rootSeen) {
        const xmlError* e = xmlGetLastError();
        const std::string why = e && e->message ? std::string(trimmed(e->message)) : "";
        return Status::invalid(
            "the file is not well-formed XML" +
            (e ? " (line " + std::to_string(e->line) + (why.empty() ? "" : ": " + why) + ")"
               : std::string()));
    }
    return Status::ok();
}

// A rating of `max` kept when it is a number above 0.
void setRating(ForeignTitle& t, const std::string& value, double max) {
    const double v = number(value);
    if (v > 0) {
        t.rating = std::min(v, max);
        t.ratingMax = max;
    }
}

} // namespace

namespace {

std::string base64Decode(std::string_view in) {
    static const std::string_view alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve(in.size() * 3 / 4);
    uint32_t acc = 0;
    int bits = 0;
    for (char c : in) {
        const size_t v = alphabet.find(c);
        if (v == std::string_view::npos) continue; // line ends, padding
        acc = (acc << 6) | uint32_t(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((acc >> bits) & 0xFF);
        }
    }
    return out;
}

// Texts of an element's children (each child's "name" child when it has one, as Data Crow
// writes references), or its own text split at the separators when it has none.
std::vector<std::string> values(const xmlNode* n, std::string_view separators) {
    std::vector<std::string> out;
    const auto kids = elements(n);
    if (kids.empty()) return split(text(n), separators);
    for (const xmlNode* k : kids) {
        const xmlNode* named = child(k, "name");
        std::string v = named ? text(named) : text(k);
        if (!v.empty()) out.push_back(std::move(v));
    }
    return out;
}

std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& i : items)
        out += (out.empty() ? "" : "; ") + i;
    return out;
}

void addOther(ForeignTitle& t, std::string key, std::string value) {
    if (!value.empty()) t.other.emplace_back(std::move(key), std::move(value));
}

// The first four-digit number of a date ("12/05/1979", "1979-05-12").
std::string yearOf(std::string_view s) {
    for (size_t i = 0; i + 4 <= s.size(); ++i) {
        bool four = true;
        for (size_t k = 0; k < 4; ++k)
            four = four && s[i + k] >= '0' && s[i + k] <= '9';
        const bool alone = (i == 0 || s[i - 1] < '0' || s[i - 1] > '9') &&
                           (i + 4 == s.size() || s[i + 4] < '0' || s[i + 4] > '9');
        if (four && alone) return std::string(s.substr(i, 4));
    }
    return {};
}

// Covers found for titles by name, checked to be images.
void attachCovers(ReadResult& out, const std::map<std::string, std::string>& images) {
    for (ForeignTitle& t : out.titles) {
        if (t.coverName.empty()) continue;
        const auto it = images.find(t.coverName);
        if (it == images.end()) continue;
        if (looksLikeImage(it->second))
            t.coverBytes = it->second;
        else
            out.notes.push_back("the cover " + t.coverName + " of \"" + t.title +
                                "\" is not an image; left out");
    }
}

} // namespace

// Tellico: tellico > collection > (fields | entry | images | borrowers)*.
Result<ReadResult> readTellico(std::string_view xml,
                               std::map<std::string, std::string>* zipImages) {
    ReadResult out;
    out.format = Format::Tellico;
    std::map<std::string, std::string> fieldTitles, images;
    std::map<std::string, size_t> byId;
    Status s = walk(
        xml, 2,
        [&](const xmlNode* e, int depth) -> Status {
            if (depth == 0) {
                if (!is(e, "tellico")) return Status::invalid("the file is not a Tellico file");
                const std::string version = attribute(e, "syntaxVersion");
                if (number(version) > 11)
                    out.notes.push_back("Tellico syntax version " + version +
                                        " is newer than 11; read as 11");
            } else if (depth == 1 && is(e, "collection")) {
                const std::string type = attribute(e, "type");
                if (type != "3")
                    return Status::invalid("the Tellico collection is of type " + type +
                                           ", not a video collection (type 3)");
            }
            return Status::ok();
        },
        [&](const xmlNode* r) -> Status {
            if (is(r, "fields")) {
                for (const xmlNode* f : elements(r))
                    fieldTitles[attribute(f, "name")] = attribute(f, "title");
            } else if (is(r, "images")) {
                for (const xmlNode* i : elements(r))
                    images[attribute(i, "id")] = base64Decode(text(i));
            } else if (is(r, "borrowers")) {
                for (const xmlNode* b : elements(r))
                    for (const xmlNode* loan : elements(b)) {
                        const auto it = byId.find(attribute(loan, "entryRef"));
                        if (it == byId.end()) continue;
                        ForeignTitle& t = out.titles[it->second];
                        t.borrower = attribute(b, "name");
                        t.loanDate = attribute(loan, "loanDate");
                        t.dueDate = attribute(loan, "dueDate");
                    }
            } else if (is(r, "entry")) {
                ForeignTitle t;
                for (const xmlNode* f : elements(r)) {
                    const std::string n = name(f);
                    if (n == "title")
                        t.title = text(f);
                    else if (n == "year")
                        t.year = text(f);
                    else if (n == "genres")
                        t.genres = values(f, ";");
                    else if (n == "directors")
                        t.directors = values(f, ";");
                    else if (n == "producers")
                        t.producers = values(f, ";");
                    else if (n == "casts") {
                        for (const xmlNode* c : elements(f))
                            if (const xmlNode* col = child(c, "column"))
                                if (std::string actor = text(col); !actor.empty())
                                    t.cast.push_back(std::move(actor));
                    } else if (n == "medium")
                        t.medium = text(f);
                    else if (n == "certification")
                        t.certification = text(f);
                    else if (n == "running-time")
                        t.minutes = digits(text(f));
                    else if (n == "plot")
                        t.plot = text(f);
                    else if (n == "rating")
                        setRating(t, text(f), 5);
                    else if (n == "pur_price")
                        t.purchasePrice = text(f);
                    else if (n == "cover")
                        t.coverName = text(f);
                    else if (n == "loaned" || n == "cdate" || n == "mdate" || n == "id")
                        continue;
                    else {
                        const auto title = fieldTitles.find(n);
                        addOther(t,
                                 title != fieldTitles.end() && !title->second.empty()
                                     ? title->second
                                     : n,
                                 joined(values(f, "")));
                    }
                }
                byId[attribute(r, "id")] = out.titles.size();
                out.titles.push_back(std::move(t));
            }
            return Status::ok();
        });
    if (!s) return s;
    // A .tc keeps its covers in images/; any the XML holds itself count too.
    if (zipImages)
        for (auto& [id, bytes] : *zipImages)
            images[id] = std::move(bytes);
    attachCovers(out, images);
    return out;
}

Result<ReadResult> readTellicoXml(std::string_view xml) {
    return readTellico(xml, nullptr);
}

// GCstar: collection type="GCfilms" > item*, each field an attribute (GCstar 1.2 and later)
// or a child element; lists are <line><col>..</col></line>.
Result<ReadResult> readGcstar(std::string_view xml) {
    ReadResult out;
    out.format = Format::GCstar;
    auto certification = [](const std::string& age) -> std::string {
        const double a = number(age);
        if (age.empty() || a <= 0) return {};
        if (a == 1) return "U";
        if (a == 2) return "G";
        if (a < 6) return "PG";
        if (a < 14) return "PG-13";
        if (a < 19) return "R";
        return {};
    };
    auto field = [&](ForeignTitle& t, const std::string& n, const xmlNode* node,
                     const std::string& v) {
        // List fields: the first column of each line.
        auto list = [&](std::string_view separators) {
            std::vector<std::string> items;
            if (node && child(node, "line")) {
                for (const xmlNode* line : elements(node))
                    if (const xmlNode* col = child(line, "col"))
                        for (auto& item : split(text(col), separators))
                            items.push_back(std::move(item));
            } else {
                items = split(v, separators);
            }
            return items;
        };
        if (n == "title")
            t.title = v;
        else if (n == "date")
            t.year = yearOf(v);
        else if (n == "time")
            t.minutes = digits(v);
        else if (n == "director")
            t.directors = list(",;/");
        else if (n == "genre")
            t.genres = list(",;/");
        else if (n == "actors")
            t.cast = list(node && child(node, "line") ? "" : ",;");
        else if (n == "synopsis")
            t.plot = v;
        else if (n == "format")
            t.medium = v;
        else if (n == "age")
            t.certification = certification(v);
        else if (n == "rating")
            setRating(t, v, 10);
        else if (n == "image")
            t.coverName = v;
        else if (n == "borrower")
            t.borrower = v == "none" ? "" : v;
        else if (n == "lendDate")
            t.loanDate = v;
        else if (n == "id" || n == "gcsautoid" || n == "backpic")
            return;
        else
            addOther(t, n, v);
    };
    Status s = walk(
        xml, 1,
        [&](const xmlNode* e, int) -> Status {
            if (!is(e, "collection")) return Status::invalid("the file is not a GCstar collection");
            const std::string type = attribute(e, "type");
            if (type != "GCfilms")
                return Status::invalid("the GCstar collection is of the model " + type +
                                       ", not films (GCfilms)");
            return Status::ok();
        },
        [&](const xmlNode* r) -> Status {
            if (!is(r, "item")) return Status::ok();
            ForeignTitle t;
            for (const xmlAttr* a = r->properties; a; a = a->next) {
                const std::string n = reinterpret_cast<const char*>(a->name);
                field(t, n, nullptr, attribute(r, n.c_str()));
            }
            for (const xmlNode* f : elements(r))
                field(t, name(f), f, child(f, "line") ? std::string() : text(f));
            out.titles.push_back(std::move(t));
            return Status::ok();
        });
    if (!s) return s;
    if (std::any_of(out.titles.begin(), out.titles.end(),
                    [](const ForeignTitle& t) { return !t.coverName.empty(); }))
        out.notes.push_back("GCstar keeps covers as files of their own; they are not read");
    return out;
}

// Data Crow's XML export: data-crow-objects > movie*, references as <genres><genre><name>.
Result<ReadResult> readDataCrow(std::string_view xml) {
    ReadResult out;
    out.format = Format::DataCrow;
    size_t others = 0;
    Status s = walk(
        xml, 1,
        [&](const xmlNode* e, int) -> Status {
            if (!is(e, "data-crow-objects"))
                return Status::invalid("the file is not a Data Crow export");
            return Status::ok();
        },
        [&](const xmlNode* r) -> Status {
            if (!is(r, "movie")) {
                ++others;
                return Status::ok();
            }
            ForeignTitle t;
            for (const xmlNode* f : elements(r)) {
                const std::string n = name(f);
                const std::string v = elements(f).empty() ? text(f) : std::string();
                if (n == "title")
                    t.title = v;
                else if (n == "year")
                    t.year = yearOf(v);
                else if (n == "description" || n == "plot")
                    t.plot = v;
                else if (n == "genres")
                    t.genres = values(f, ",;");
                else if (n == "directors")
                    t.directors = values(f, ",;");
                else if (n == "actors")
                    t.cast = values(f, ",;");
                else if (n == "storage-medium" || n == "storage-media")
                    t.medium = joined(values(f, ""));
                else if (n == "certification" || n == "age-rating")
                    t.certification = joined(values(f, ""));
                else if (n == "rating")
                    setRating(t, v, 10);
                else if (n == "playlength") {
                    // Seconds, or h:mm:ss.
                    const auto parts = split(v, ":");
                    double seconds = 0;
                    for (const auto& p : parts)
                        seconds = (parts.size() > 1 ? seconds * 60 : 0) + number(p);
                    if (seconds > 0) t.minutes = std::to_string(long(seconds / 60 + 0.5));
                } else if (n == "picture-front")
                    t.coverName = v;
                else if (n == "id" || n == "created" || n == "modified")
                    continue;
                else
                    addOther(t, n, v.empty() ? joined(values(f, "")) : v);
            }
            out.titles.push_back(std::move(t));
            return Status::ok();
        });
    if (!s) return s;
    if (out.titles.empty() && others > 0)
        return Status::invalid("the Data Crow export holds no movies (" + std::to_string(others) +
                               " items of other modules)");
    if (others > 0)
        out.notes.push_back(std::to_string(others) + " items that are not movies left out");
    return out;
}

// Griffith's XML export: root > movie*, lists in one text ("Drama / Crime", cast one
// "Actor as Role" a line).
Result<ReadResult> readGriffith(std::string_view xml) {
    ReadResult out;
    out.format = Format::Griffith;
    Status s = walk(
        xml, 1,
        [&](const xmlNode* e, int) -> Status {
            if (!is(e, "root")) return Status::invalid("the file is not a Griffith export");
            return Status::ok();
        },
        [&](const xmlNode* r) -> Status {
            if (!is(r, "movie")) return Status::ok();
            ForeignTitle t;
            for (const xmlNode* f : elements(r)) {
                const std::string n = name(f);
                const std::string v = text(f);
                if (n == "title")
                    t.title = v;
                else if (n == "year")
                    t.year = yearOf(v);
                else if (n == "classification")
                    t.certification = v;
                else if (n == "director")
                    t.directors = split(v, "/,");
                else if (n == "genre")
                    t.genres = split(v, "/,");
                else if (n == "rating")
                    setRating(t, v, 10);
                else if (n == "runtime")
                    t.minutes = digits(v);
                else if (n == "plot")
                    t.plot = v;
                else if (n == "media_name")
                    t.medium = v;
                else if (n == "cast") {
                    for (std::string line : split(v, "\n")) {
                        const size_t as = line.find(" as ");
                        if (as != std::string::npos)
                            line = std::string(trimmed(line.substr(0, as)));
                        if (!line.empty()) t.cast.push_back(line);
                    }
                } else if (n == "image")
                    t.coverName = v;
                else if (n == "loan_to" || n == "person")
                    t.borrower = v;
                else if (n == "number" || n == "movie_id")
                    continue;
                else if (n == "o_title")
                    addOther(t, "Original Title", v);
                else
                    addOther(t, n, v);
            }
            out.titles.push_back(std::move(t));
            return Status::ok();
        });
    if (!s) return s;
    return out;
}

} // namespace rk::interchange
