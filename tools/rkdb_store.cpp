// rkdb commands of the table engine: create, list, count, info, check, export, append,
// update, delete, recall.
#include "rkdb.h"

#include "catalogue.h"
#include "check.h"
#include "cp1252.h"
#include "record.h"
#include "table.h"

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
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

// append --from FILE: every line of FILE a record, all appended in one batch, or none when a
// line is refused (the file is read twice: checked whole, then appended).
int runAppendFrom(const Args& a) {
    if (a.positional.size() != 1 || (a.has("comma") && a.has("space")))
        return fail(kUsage, "usage: rkdb append TABLE.dbf --from FILE [--comma|--space]");
    const std::string from = a.get("from");
    const bool assignments = !a.has("comma") && !a.has("space");
    Table t(a.positional[0]);
    if (int rc = openTable(t)) return rc;
    auto eachLine = [&](const std::function<int(size_t, const std::string&)>& fn) -> int {
        std::ifstream in(from, std::ios::binary);
        if (!in) return fail(kFileError, "cannot read " + from);
        std::string line;
        for (size_t n = 1; std::getline(in, line); ++n) {
            std::string text = line;
            if (assignments && !toTable(line, &text)) return kUsage;
            std::string img = t.dbf()->blankRecord();
            Status s = assignments ? rk::store::recordFromAssignments(t.fields(), text, &img)
                                   : rk::store::recordFromTextLine(
                                         t.fields(), text,
                                         a.has("comma") ? rk::store::TextFormat::CommaDelimited
                                                        : rk::store::TextFormat::SpaceDelimited,
                                         &img);
            if (!s) return fail(kProblem, from + " line " + std::to_string(n) + ": " + s.message());
            if (int rc = fn(n, img)) return rc;
        }
        if (in.bad()) return fail(kFileError, "cannot read " + from);
        return kOk;
    };
    if (int rc = eachLine([](size_t, const std::string&) { return int(kOk); })) return rc;
    rk::store::Batch batch(t);
    if (!batch.status()) return fail(exitFor(batch.status()), batch.status().message());
    uint32_t first = 0, count = 0;
    int rc = eachLine([&](size_t, const std::string& img) -> int {
        auto r = t.appendRecord(img);
        if (!r) return fail(exitFor(r.status()), r.status().message());
        if (!first) first = *r;
        ++count;
        return kOk;
    });
    Status s = batch.finish();
    if (rc) return rc;
    if (!s) return fail(exitFor(s), s.message());
    std::cout << "appended " << count << " records";
    if (count) std::cout << ": " << first << " to " << first + count - 1;
    std::cout << "\n";
    return kOk;
}

int runAppend(const Args& a) {
    if (a.has("from")) return runAppendFrom(a);
    if (a.positional.empty()) return fail(kUsage, "usage: rkdb append TABLE.dbf FIELD=VALUE...");
    Table t(a.positional[0]);
    if (int rc = openTable(t)) return rc;
    std::string img = t.dbf()->blankRecord();
    if (int rc = assign(t, img, a.positional, 1)) return rc;
    auto r = t.appendRecord(img);
    if (!r) return fail(exitFor(r.status()), r.status().message());
    std::cout << *r << "\n";
    return keepTitlesIndexCurrent(t);
}

// Positions on RECNO for update, delete and recall.
int openAt(Table& t, const Args& a, const char* usage) {
    uint32_t recno = 0;
    if (a.positional.size() < 2 || !parseRecno(a.positional[1], &recno))
        return fail(kUsage, std::string("usage: rkdb ") + usage);
    if (int rc = openTable(t)) return rc;
    if (recno > t.recCount())
        return fail(kUsage, "the table has no record " + a.positional[1] + " (it has " +
                                std::to_string(t.recCount()) + ")");
    Status s = t.go(recno);
    if (!s) return fail(exitFor(s), s.message());
    return kOk;
}

int runUpdate(const Args& a) {
    Table t(a.positional.empty() ? "" : a.positional[0]);
    if (int rc = openAt(t, a, "update TABLE.dbf RECNO FIELD=VALUE...")) return rc;
    std::string img = t.record();
    if (int rc = assign(t, img, a.positional, 2)) return rc;
    Status s = t.putRecord(img);
    if (!s) return fail(exitFor(s), s.message());
    return keepTitlesIndexCurrent(t);
}

int runDelete(const Args& a) {
    Table t(a.positional.empty() ? "" : a.positional[0]);
    if (int rc = openAt(t, a, "delete TABLE.dbf RECNO")) return rc;
    const uint32_t recno = t.recNo();
    Status s = t.deleteRecord();
    if (!s) return fail(exitFor(s), s.message());
    return keepTitlesIndexCurrent(t, recno);
}

int runRecall(const Args& a) {
    Table t(a.positional.empty() ? "" : a.positional[0]);
    if (int rc = openAt(t, a, "recall TABLE.dbf RECNO")) return rc;
    Status s = t.recall();
    if (!s) return fail(exitFor(s), s.message());
    return keepTitlesIndexCurrent(t);
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
RKDB_COMMAND("update", "update TABLE.dbf RECNO FIELD=VALUE...", {}, runUpdate);
RKDB_COMMAND("delete", "delete TABLE.dbf RECNO", {}, runDelete);
RKDB_COMMAND("recall", "recall TABLE.dbf RECNO", {}, runRecall);

} // namespace rkdb
