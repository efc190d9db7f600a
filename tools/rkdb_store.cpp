// rkdb commands of the table engine: create, list, count, info, check, export, append,
// update, delete, recall.
#include "rkdb.h"

#include "catalogue.h"
#include "catalogue_engine.h"
#include "check.h"
#include "cp1252.h"
#include "env.h"
#include "record.h"
#include "sidedata.h"
#include "table.h"

#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>

namespace rkdb {

namespace {

using rk::Status;
using rk::store::Table;

bool toTable(const std::string& utf8, std::string* out) {
    auto r = rk::cp1252::fromUtf8(utf8);
    if (!r) {
        fail(kProblem, r.status().message());
        return false;
    }
    *out = *r;
    return true;
}

// Applies --order and --query; returns kOk or an exit code.
int applyView(Table& t, const Args& a) {
    if (a.has("order"))
        if (int rc = setOrderByName(t, a.get("order"))) return rc;
    if (a.has("query")) {
        std::string q;
        if (!toTable(a.get("query"), &q)) return kProblem;
        Status s = t.query(q);
        if (!s) return fail(kUsage, s.message());
    }
    return kOk;
}

int runCreate(const Args& a) {
    if (a.positional.size() != 1) return fail(kUsage, "usage: rkdb create DIR [--sample]");
    const std::string& dir = a.positional[0];
    Status s = a.has("sample") ? rk::catalogue::createSample(dir) : rk::catalogue::createEmpty(dir);
    if (!s) return fail(exitFor(s), s.message());
    std::cout << "created " << (a.has("sample") ? "the sample catalogue" : "an empty catalogue")
              << " in " << dir << "\n";
    return kOk;
}

int runList(const Args& a) {
    if (a.positional.size() != 1) return fail(kUsage, "usage: rkdb list TABLE.dbf [options]");
    rk::store::TableOptions options = readOptions();
    options.hideDeleted = !a.has("deleted");
    Table t(a.positional[0], options);
    if (int rc = openTable(t)) return rc;
    std::vector<const rk::dbf::FieldDef*> fields;
    if (int rc = fieldList(t, a.get("fields", t.fields().front().name), &fields)) return rc;
    if (int rc = applyView(t, a)) return rc;
    return printRecords(t, fields, a.has("deleted"));
}

int runCount(const Args& a) {
    if (a.positional.size() != 1) return fail(kUsage, "usage: rkdb count TABLE.dbf [--query EXPR]");
    Table t(a.positional[0], readOptions());
    if (int rc = openTable(t)) return rc;
    if (int rc = applyView(t, a)) return rc;
    std::cout << t.count() << "\n";
    if (a.has("explain") && a.has("query")) std::cerr << t.lastQueryPlan().describe() << "\n";
    return kOk;
}

int runInfo(const Args& a) {
    if (a.positional.size() != 1) return fail(kUsage, "usage: rkdb info TABLE.dbf");
    Table t(a.positional[0], readOptions());
    if (int rc = openTable(t)) return rc;
    std::cout << "table:        " << t.path() << "\n"
              << "records:      " << t.recCount() << "\n"
              << "record size:  " << t.recSize() << "\n"
              << "last update:  " << t.baseDate() << "\n"
              << "code page:    0x" << std::hex << int(t.dbf()->codePage()) << std::dec << "\n"
              << "fields:       " << t.fields().size() << "\n";
    for (const auto& f : t.fields()) {
        std::cout << "  " << f.name << std::string(11 - f.name.size(), ' ') << f.type << " "
                  << int(f.length);
        if (f.decimals) std::cout << "," << int(f.decimals);
        std::cout << "\n";
    }
    auto tags = t.tagNames();
    std::cout << "tags:         " << tags.size() << "\n";
    for (const auto& tag : tags)
        std::cout << "  " << tag << "\n";
    return kOk;
}

int runCheck(const Args& a) {
    if (a.positional.size() != 1) return fail(kUsage, "usage: rkdb check TABLE.dbf");
    auto r = rk::store::checkTable(a.positional[0]);
    if (!r) {
        // Not even opened: nothing was checked.
        std::cout << "unsound: " << escapeControls(r.status().message()) << "\n";
        return kFileError;
    }
    for (const auto& n : r->notes)
        std::cout << "ok: " << n << "\n";
    for (const auto& p : r->problems)
        std::cout << "problem: " << p << "\n";
    if (!r->sound()) {
        std::cout << r->problems.size() << " problem(s) found\n";
        return kProblem;
    }
    std::cout << "sound\n";
    return kOk;
}

int runExport(const Args& a) {
    if (a.positional.size() != 2 || a.has("comma") == a.has("space"))
        return fail(kUsage, "usage: rkdb export TABLE.dbf FILE --comma|--space");
    Table t(a.positional[0], readOptions());
    if (int rc = openTable(t)) return rc;
    if (int rc = applyView(t, a)) return rc;
    Status s =
        t.copyFileText(a.positional[1], a.has("comma") ? rk::store::TextFormat::CommaDelimited
                                                       : rk::store::TextFormat::SpaceDelimited);
    if (!s) return fail(exitFor(s), s.message());
    return kOk;
}

// FIELD=VALUE arguments into the image.
int assign(Table& t, std::string& img, const std::vector<std::string>& pairs, size_t from) {
    for (size_t i = from; i < pairs.size(); ++i) {
        auto eq = pairs[i].find('=');
        if (eq == std::string::npos || eq == 0)
            return fail(kUsage, "'" + pairs[i] + "' is not FIELD=VALUE");
        std::string name = pairs[i].substr(0, eq);
        const auto* f = t.field(name);
        if (!f) return fail(kUsage, "the table has no field '" + name + "'");
        std::string value;
        if (!toTable(pairs[i].substr(eq + 1), &value)) return kProblem;
        Status s = rk::dbf::setFromText(img, *f, value);
        if (!s) return fail(kProblem, s.message());
    }
    return kOk;
}

bool parseRecno(const std::string& s, uint32_t* out) {
    char* end = nullptr;
    unsigned long v = std::strtoul(s.c_str(), &end, 10);
    if (s.empty() || *end != '\0' || v == 0 || v > 0xFFFFFFFFul) return false;
    *out = static_cast<uint32_t>(v);
    return true;
}

// A --from file's line as a record image: tab-separated FIELD=VALUE items (UTF-8), or a
// line of the comma or space export layout (Windows-1252). `img` holds the record to change.
int lineToImage(const Table& t, const Args& a, const std::string& from, size_t n,
                const std::string& line, std::string* img) {
    const bool assignments = !a.has("comma") && !a.has("space");
    std::string text = line;
    if (assignments) {
        auto r = rk::cp1252::fromUtf8(line);
        if (!r)
            return fail(kProblem,
                        from + " line " + std::to_string(n) + ": " + r.status().message());
        text = *r;
    }
    Status s =
        assignments
            ? rk::store::recordFromAssignments(t.fields(), text, img)
            : rk::store::recordFromTextLine(t.fields(), text,
                                            a.has("comma") ? rk::store::TextFormat::CommaDelimited
                                                           : rk::store::TextFormat::SpaceDelimited,
                                            img);
    if (!s) return fail(kProblem, from + " line " + std::to_string(n) + ": " + s.message());
    return kOk;
}

// append --from FILE: every line of FILE a record, all appended in one batch, or none when a
// line is refused or a write fails.
int runAppendFrom(const Args& a) {
    if (a.positional.size() != 1 || (a.has("comma") && a.has("space")))
        return fail(kUsage, "usage: rkdb append TABLE.dbf --from FILE [--comma|--space]");
    const std::string from = a.get("from");
    OpenCatalogue c;
    if (int rc = c.open(a.positional[0])) return rc;
    Table& t = c.table();
    std::vector<std::string> images;
    int rc = forEachLine(from, [&](size_t n, const std::string& line) {
        std::string img = t.dbf()->blankRecord();
        if (int r = lineToImage(t, a, from, n, line, &img)) return r;
        images.push_back(std::move(img));
        return int(kOk);
    });
    if (rc) return rc;
    auto first = c.catalogue().appendMany(images);
    if (!first) return fail(exitFor(first.status()), first.status().message());
    std::cout << "appended " << images.size() << " records";
    if (!images.empty()) std::cout << ": " << *first << " to " << *first + images.size() - 1;
    std::cout << "\n";
    return c.done();
}

int runAppend(const Args& a) {
    if (a.has("from")) return runAppendFrom(a);
    if (a.positional.size() < 2) return fail(kUsage, "usage: rkdb append TABLE.dbf FIELD=VALUE...");
    OpenCatalogue c;
    if (int rc = c.open(a.positional[0])) return rc;
    Table& t = c.table();
    std::string img = t.dbf()->blankRecord();
    if (int rc = assign(t, img, a.positional, 1)) return rc;
    auto r = c.catalogue().append(t, img);
    if (!r) return fail(exitFor(r.status()), r.status().message());
    std::cout << *r << "\n";
    return c.done();
}

// The record number RECNO of the table, checked against its count.
int recordNumber(Table& t, const std::string& text, uint32_t* recno) {
    if (!parseRecno(text, recno)) return fail(kUsage, "'" + text + "' is not a record number");
    if (*recno > t.recCount())
        return fail(kUsage, "the table has no record " + text + " (it has " +
                                std::to_string(t.recCount()) + ")");
    return kOk;
}

// Opens the table and finds RECNO for update, delete and recall; `fixed` is the number of
// arguments the command takes (0: any number from 2 on).
int openAt(OpenCatalogue& c, const Args& a, const char* usage, size_t fixed, uint32_t* recno) {
    if (a.positional.size() < 2 || (fixed && a.positional.size() != fixed))
        return fail(kUsage, std::string("usage: rkdb ") + usage);
    if (int rc = c.open(a.positional[0])) return rc;
    return recordNumber(c.table(), a.positional[1], recno);
}

// update --from FILE: each line a record number, a tab, and tab-separated FIELD=VALUE items;
// every line is checked before anything is written, then all are written in one batch.
int runUpdateFrom(const Args& a) {
    if (a.positional.size() != 1) return fail(kUsage, "usage: rkdb update TABLE.dbf --from FILE");
    const std::string from = a.get("from");
    OpenCatalogue c;
    if (int rc = c.open(a.positional[0])) return rc;
    Table& t = c.table();
    std::vector<std::pair<uint32_t, std::string>> changes;
    std::map<uint32_t, size_t> at; // a record named twice takes both changes in turn
    int rc = forEachLine(from, [&](size_t n, const std::string& line) {
        if (line.empty()) return int(kOk);
        const size_t tab = line.find('\t');
        uint32_t recno = 0;
        if (!parseRecno(line.substr(0, tab), &recno) || recno > t.recCount())
            return fail(kProblem, from + " line " + std::to_string(n) +
                                      ": no record number of the table before the first tab");
        std::string img;
        if (auto seen = at.find(recno); seen != at.end()) {
            img = changes[seen->second].second;
        } else {
            if (Status s = t.go(recno); !s) return fail(exitFor(s), s.message());
            img = t.record();
        }
        if (int r = lineToImage(t, a, from, n, tab == std::string::npos ? "" : line.substr(tab + 1),
                                &img))
            return r;
        at[recno] = changes.size();
        changes.emplace_back(recno, std::move(img));
        return int(kOk);
    });
    if (rc) return rc;
    Status s = c.catalogue().updateMany(changes);
    if (!s) return fail(exitFor(s), s.message());
    std::cout << "updated " << changes.size() << " records\n";
    return c.done();
}

int runUpdate(const Args& a) {
    if (a.has("from")) return runUpdateFrom(a);
    OpenCatalogue c;
    uint32_t recno = 0;
    if (int rc = openAt(c, a, "update TABLE.dbf RECNO FIELD=VALUE...", 0, &recno)) return rc;
    if (a.positional.size() < 3)
        return fail(kUsage, "usage: rkdb update TABLE.dbf RECNO FIELD=VALUE...");
    Table& t = c.table();
    if (Status s = t.go(recno); !s) return fail(exitFor(s), s.message());
    std::string img = t.record();
    if (int rc = assign(t, img, a.positional, 2)) return rc;
    Status s = c.catalogue().updateTitle(recno, img);
    if (!s) return fail(exitFor(s), s.message());
    return c.done();
}

int runDelete(const Args& a) {
    OpenCatalogue c;
    uint32_t recno = 0;
    if (int rc = openAt(c, a, "delete TABLE.dbf RECNO", 2, &recno)) return rc;
    // A title out on loan is deleted all the same (a recall brings it back with its loan).
    if (auto loan = c.catalogue().sideData().currentLoan(recno); loan && *loan)
        std::cerr << "rkdb: note: record " << recno << " is out on loan to "
                  << terminalText((*loan)->person) << "\n";
    Status s = c.catalogue().removeTitle(recno);
    if (!s) return fail(exitFor(s), s.message());
    return c.done();
}

int runRecall(const Args& a) {
    OpenCatalogue c;
    uint32_t recno = 0;
    if (int rc = openAt(c, a, "recall TABLE.dbf RECNO", 2, &recno)) return rc;
    Status s = c.catalogue().recallTitle(recno);
    if (!s) return fail(exitFor(s), s.message());
    return c.done();
}

} // namespace

RKDB_COMMAND("create", "create DIR [--sample]", {}, runCreate);
RKDB_COMMAND("list", "list TABLE.dbf [--order TAG] [--query EXPR] [--deleted] [--fields F,G]",
             std::vector<std::string>({"order", "query", "fields"}), runList);
RKDB_COMMAND("count", "count TABLE.dbf [--order TAG] [--query EXPR] [--explain]",
             std::vector<std::string>({"order", "query"}), runCount);
RKDB_COMMAND("info", "info TABLE.dbf", {}, runInfo);
RKDB_COMMAND("check", "check TABLE.dbf", {}, runCheck);
RKDB_COMMAND("export", "export TABLE.dbf FILE --comma|--space [--order TAG] [--query EXPR]",
             std::vector<std::string>({"order", "query"}), runExport);
RKDB_COMMAND("append",
             "append TABLE.dbf FIELD=VALUE... | append TABLE.dbf --from FILE [--comma|--space]",
             std::vector<std::string>({"from"}), runAppend);
RKDB_COMMAND("update", "update TABLE.dbf RECNO FIELD=VALUE... | update TABLE.dbf --from FILE",
             std::vector<std::string>({"from"}), runUpdate);
RKDB_COMMAND("delete", "delete TABLE.dbf RECNO", {}, runDelete);
RKDB_COMMAND("recall", "recall TABLE.dbf RECNO", {}, runRecall);

} // namespace rkdb
