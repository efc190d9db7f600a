// What the catalogue keeps about titles beside VIDEO.DBF, whose 33 fields stay as they are:
// covers and loans. Each is an xBase table of its own, made on first use in the catalogue
// folder, with a structural index whose tag RECNO orders its rows by title:
//
//   COVERS.DBF  RECNO N(7), FPRINT C(16), FRONT C(80), BACK C(80)
//               FRONT and BACK name picture files in the folder Covers/ (BACK may be empty)
//   LOANS.DBF   RECNO N(7), FPRINT C(16), PERSON C(50), LENT D, DUE D, RETURNED D
//               one row per loan; RETURNED is empty while the title is out, and the returned
//               rows are the title's history
//
// A row names its title by record number and by FPRINT, a fingerprint of the title's
// identifying fields (titleFingerprint). A row whose fingerprint is not the one of the title
// at its record number is stale (the table was packed, reordered or changed by another
// program, or a change was cut short) and is never shown on that title: it is moved to the
// one title with its fingerprint, or dropped when there is none or more than one, and the
// side-data notice says so. The rows are checked this way when a table is first opened, and
// again whenever a lookup meets a stale one.
//
// The catalogue engine keeps the rows in step: a post that changes a title's identifying
// fields gives its rows the new fingerprint; a delete and a recall leave them (a deleted title
// keeps its cover and loans until a pack); a pack renumbers them with the titles and drops
// the rows (and cover files) of the titles it removes.
//
// A cover is stored by copying its file into Covers/ under a name made from the title's
// fingerprint: written to a temporary file, flushed, renamed into place, and only then
// named by the row, so that a row never names a half-written file.
#pragma once

#include "dbf.h"
#include "env.h"
#include "status.h"
#include "table.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rk::catalogue {

inline constexpr const char* kCoversFile = "COVERS.DBF";
inline constexpr const char* kLoansFile = "LOANS.DBF";
inline constexpr const char* kCoversFolder = "Covers";

// 16 hexadecimal digits from the title's TITLE, ID, FORMAT, YEAR, DIRECTOR, PRODUCER and
// RUNTIME (trailing blanks ignored).
std::string titleFingerprint(const store::Table& titles, std::string_view image);

enum class Face { Front, Back };

struct Loan {
    uint32_t recno = 0;
    std::string person;
    dbf::Date lent, due, returned; // an empty returned date: still out
    bool out() const { return returned.year == 0; }
    bool overdue(const dbf::Date& today) const;
};

class SideTable;

class SideData {
public:
    // `titles` is the catalogue's titles table, read (never moved) to fingerprint titles.
    SideData(store::Table& titles, Env* env);
    ~SideData();
    SideData(const SideData&) = delete;
    SideData& operator=(const SideData&) = delete;

    // The catalogue folder (closes what was open); "" for none.
    void setDir(const std::string& dir);
    void close();
    const std::string& dir() const { return dir_; }

    // Told what was found stale and moved or dropped.
    using Notice = std::function<void(const std::string& what)>;
    void setNotice(Notice notice) { notice_ = std::move(notice); }

    // Covers. The path of a title's picture, "" when it has none.
    Result<std::string> cover(uint32_t recno, Face face = Face::Front);
    // Checks the file (imagecheck.h) and stores a copy as the title's picture, replacing any.
    Status setCover(uint32_t recno, const std::string& file, Face face = Face::Front);
    // The same from the picture's bytes (a paste); `name` names it in messages.
    Status setCoverBytes(uint32_t recno, std::string_view bytes, const std::string& name,
                         Face face = Face::Front);
    // Removes the picture (both with Face::Front and no back; a front alone otherwise).
    Status removeCover(uint32_t recno, Face face = Face::Front);
    // The picture's bytes, "" when the title has none.
    Result<std::string> coverBytes(uint32_t recno, Face face = Face::Front);
    // The folder of cached thumbnails (made by the windows).
    std::string thumbnailFolder() const;
    // Whether any title has a cover (or had one: rows not yet checked count).
    bool hasCovers();

    // Loans. The loan a title is out on, if any.
    Result<std::optional<Loan>> currentLoan(uint32_t recno);
    // Every loan of a title, the current one included, oldest first.
    Result<std::vector<Loan>> loanHistory(uint32_t recno);
    // Every title out on loan: overdue ones first (by due date), then by date lent.
    Result<std::vector<Loan>> loansOut(const dbf::Date& today);
    // Lends a title; refused when it is out already, or for an empty person or a due date
    // before the date lent.
    Status lend(uint32_t recno, const std::string& person, const dbf::Date& lent,
                const dbf::Date& due = {});
    // Takes a title back on `date`; refused when it is not out.
    Status giveBack(uint32_t recno, const dbf::Date& date);
    // Takes back a lend as if it was never made: the row of the loan that is out goes.
    Status withdrawLoan(uint32_t recno);
    // Takes back a return: the title's last loan is out again. Refused when one is out.
    Status reopenLoan(uint32_t recno);

    // The engine's hooks. A title's record was rewritten from `before` to `after`.
    Status titleChanged(uint32_t recno, std::string_view before, std::string_view after);
    // Before a pack of the titles: what each record becomes (0: packed away), when any side
    // table has rows; empty otherwise.
    Result<std::vector<uint32_t>> renumbering();
    // After the pack: the rows renumbered, those of packed-away titles dropped with their
    // cover files, and each side table packed.
    Status renumber(const std::vector<uint32_t>& newNumbers);
    // Checks every row against its title, moving or dropping the stale ones.
    Status verify();

private:
    Status open(SideTable& t, bool create);
    Status rowsOf(SideTable& t, uint32_t recno, std::vector<uint32_t>* rows);
    Result<std::string> titleImage(uint32_t recno);
    // The loans of title `recno` (stale rows moved or dropped first) and the row of each.
    Status loansAt(uint32_t recno, std::vector<Loan>* loans, std::vector<uint32_t>* at);
    Status repair(SideTable& t);
    Status storeCover(uint32_t recno, std::string_view bytes, const std::string& extension,
                      Face face);
    void removeFiles(const std::vector<std::string>& names);
    void tell(const std::string& what) {
        if (notice_) notice_(what);
    }

    store::Table& titles_;
    Env* env_;
    std::string dir_;
    std::unique_ptr<SideTable> covers_, loans_;
    Notice notice_;
};

} // namespace rk::catalogue
