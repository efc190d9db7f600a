// rkdb's commands for covers and loans, through the catalogue engine's side data.
#include "rkdb.h"

#include "catalogue_engine.h"
#include "cp1252.h"
#include "record.h"
#include "sidedata.h"
#include "table.h"

#include <cstdio>
#include <ctime>
#include <iostream>

namespace rkdb {

namespace {

using rk::catalogue::Face;
using rk::catalogue::Loan;

rk::dbf::Date today() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

// YYYY-MM-DD or YYYYMMDD, a day of the calendar.
bool parseDate(std::string text, rk::dbf::Date* d) {
    if (text.size() == 10 && text[4] == '-' && text[7] == '-')
        text = text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2);
    if (text.size() != 8 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    d->year = std::stoi(text.substr(0, 4));
    d->month = std::stoi(text.substr(4, 2));
    d->day = std::stoi(text.substr(6, 2));
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (d->year < 1 || d->month < 1 || d->month > 12 || d->day < 1 || d->day > days[d->month - 1])
        return false;
    const bool leap = (d->year % 4 == 0 && d->year % 100 != 0) || d->year % 400 == 0;
    return !(d->month == 2 && d->day == 29 && !leap);
}

std::string dateText(const rk::dbf::Date& d) {
    if (d.year == 0) return "-";
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

int dateOption(const Args& a, const char* name, rk::dbf::Date* d) {
    if (!a.has(name)) return kOk;
    if (!parseDate(a.get(name), d))
        return fail(kProblem, "--" + std::string(name) + " " + escapeControls(a.get(name)) +
                                  ": not a date (YYYY-MM-DD)");
    return kOk;
}

// Opens the catalogue and reads RECNO, which must name a record of it.
int openTitle(OpenCatalogue& c, const Args& a, size_t args, const char* usage, uint32_t* recno) {
    if (a.positional.size() != args) return fail(kUsage, std::string("usage: rkdb ") + usage);
    if (int rc = c.open(a.positional[0])) return rc;
    c.catalogue().setSideDataNotice([](const std::string& what) {
        std::cerr << "rkdb: note: " << escapeControls(what) << "\n";
    });
    const std::string& n = a.positional[1];
    if (n.empty() || n.size() > 9 || n.find_first_not_of("0123456789") != std::string::npos ||
        std::stoul(n) == 0 || std::stoul(n) > c.table().recCount())
        return fail(kUsage, "no record " + escapeControls(n) + " in " + c.table().path());
    *recno = uint32_t(std::stoul(n));
    return kOk;
}

int runCover(const Args& a) {
    const bool remove = a.has("remove"), show = a.has("show");
    const char* usage = "cover TABLE.dbf RECNO FILE | --remove | --show [--back]";
    if (remove && show) return fail(kUsage, std::string("usage: rkdb ") + usage);
    OpenCatalogue c;
    uint32_t recno = 0;
    if (int rc = openTitle(c, a, remove || show ? 2 : 3, usage, &recno)) return rc;
    const Face face = a.has("back") ? Face::Back : Face::Front;
    auto& side = c.catalogue().sideData();
    if (show) {
        auto path = side.cover(recno, face);
        if (!path) return fail(exitFor(path.status()), path.status().message());
        if (path->empty()) return fail(kProblem, "record " + a.positional[1] + " has no cover");
        std::cout << escapeControls(*path) << "\n";
        return kOk;
    }
    const rk::Status s =
        remove ? side.removeCover(recno, face) : side.setCover(recno, a.positional[2], face);
    if (!s) return fail(exitFor(s), s.message());
    return kOk;
}

int runLend(const Args& a) {
    OpenCatalogue c;
    uint32_t recno = 0;
    if (int rc = openTitle(c, a, 3, "lend TABLE.dbf RECNO PERSON [--due DATE] [--on DATE]", &recno))
        return rc;
    rk::dbf::Date lent = today(), due;
    if (int rc = dateOption(a, "on", &lent)) return rc;
    if (int rc = dateOption(a, "due", &due)) return rc;
    auto person = rk::cp1252::fromUtf8(a.positional[2]);
    if (!person) return fail(kProblem, person.status().message());
    const rk::Status s = c.catalogue().sideData().lend(recno, *person, lent, due);
    if (!s) return fail(exitFor(s), s.message());
    return kOk;
}

int runReturn(const Args& a) {
    OpenCatalogue c;
    uint32_t recno = 0;
    if (int rc = openTitle(c, a, 2, "return TABLE.dbf RECNO [--on DATE]", &recno)) return rc;
    rk::dbf::Date on = today();
    if (int rc = dateOption(a, "on", &on)) return rc;
    const rk::Status s = c.catalogue().sideData().giveBack(recno, on);
    if (!s) return fail(exitFor(s), s.message());
    return kOk;
}

// One line per loan out: record, title, person, date lent, date due ("-" for none), and
// "overdue" for those past due; the overdue ones first.
int runLoans(const Args& a) {
    if (a.positional.size() != 1) return fail(kUsage, "usage: rkdb loans TABLE.dbf [--today DATE]");
    OpenCatalogue c;
    if (int rc = c.open(a.positional[0])) return rc;
    c.catalogue().setSideDataNotice([](const std::string& what) {
        std::cerr << "rkdb: note: " << escapeControls(what) << "\n";
    });
    rk::dbf::Date now = today();
    if (int rc = dateOption(a, "today", &now)) return rc;
    auto loans = c.catalogue().sideData().loansOut(now);
    if (!loans) return fail(exitFor(loans.status()), loans.status().message());
    rk::store::Table& t = c.table();
    const rk::dbf::FieldDef* title = t.field("TITLE");
    for (const Loan& l : *loans) {
        std::string image;
        if (title && !t.dbf()->readRecord(l.recno, &image)) image.clear();
        const std::string name =
            title && !image.empty() ? terminalText(rk::dbf::trimmedField(image, *title)) : "";
        std::cout << l.recno << "\t" << name << "\t" << terminalText(l.person) << "\t"
                  << dateText(l.lent) << "\t" << dateText(l.due)
                  << (l.overdue(now) ? "\toverdue" : "") << "\n";
    }
    return kOk;
}

} // namespace

RKDB_COMMAND("cover",
             "cover TABLE.dbf RECNO FILE | cover TABLE.dbf RECNO --remove | --show [--back]", {},
             runCover);
RKDB_COMMAND("lend", "lend TABLE.dbf RECNO PERSON [--due DATE] [--on DATE]",
             std::vector<std::string>({"due", "on"}), runLend);
RKDB_COMMAND("return", "return TABLE.dbf RECNO [--on DATE]", std::vector<std::string>({"on"}),
             runReturn);
RKDB_COMMAND("loans", "loans TABLE.dbf [--today DATE]", std::vector<std::string>({"today"}),
             runLoans);

} // namespace rkdb
