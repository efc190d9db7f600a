// rkdb, the command-line face of the engines. Each engine adds its commands in a file of
// its own (rkdb_store.cpp, rkdb_index.cpp, rkdb_search.cpp, report/rkdb_report.cpp) with
// RKDB_COMMAND; rkdb.cpp dispatches on the first argument. The report command is a module
// (rkdb-report.so) that rkdb loads only for a report, so that the other commands run
// without Qt.
//
// Text on the command line and on standard output is UTF-8; the tables hold
// Windows-1252. Exit codes, one rule for every command (the README lists it too):
//   0 done;
//   1 the command ran and found or refused something: check found problems, a value was
//     refused (a character Windows-1252 cannot hold, a control character, a number too wide,
//     a bad date), or the full-text index could not be kept current (the change is made);
//   2 the command line is wrong: unknown command or option, missing or extra arguments, no
//     such field, tag or record, a query that is not an expression;
//   3 a file cannot be used: missing, locked by another program, damaged (the table, its
//     index or Titles.ia), not a regular file, or a write failed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace rk {
class Status;
namespace dbf {
struct FieldDef;
} // namespace dbf
namespace store {
class Table;
struct TableOptions;
} // namespace store
namespace catalogue {
class Catalogue;
} // namespace catalogue
} // namespace rk

namespace rkdb {

struct Args {
    std::vector<std::string> positional;                      // after the command name
    std::vector<std::pair<std::string, std::string>> options; // --name value or --flag ""

    bool has(const std::string& name) const;
    // The value of --name, or `def` when absent.
    std::string get(const std::string& name, const std::string& def = "") const;
};

enum Exit { kOk = 0, kProblem = 1, kUsage = 2, kFileError = 3 };

using CommandFn = int (*)(const Args&);

struct Command {
    const char* name;
    const char* usage;
    // Options that take a value (the rest are flags).
    std::vector<std::string> valueOptions;
    CommandFn run;
};

bool registerCommand(const Command& c);

// Prints "rkdb: message" to standard error and returns the code.
int fail(int code, const std::string& message);

// The exit code for an engine error: a refused value is a problem, the rest are file errors.
int exitFor(const rk::Status& s);
// Options for reading a table alongside other readers.
rk::store::TableOptions readOptions();
// Opens the table, printing what the open repaired as notes on standard error; kOk or the
// exit code after a message.
int openTable(rk::store::Table& t);

// Makes the tag named `tag` the table's order ("" is record order). kOk, kUsage for a tag the
// index does not have, or kFileError when the table's index is missing or unusable.
int setOrderByName(rk::store::Table& t, const std::string& tag);

// A table opened for changes through the catalogue engine (rkdb_catalogue.cpp), which keeps
// Titles.ia beside a titles table current. A change that Titles.ia could not follow is noted on
// standard error, and the command then ends with kProblem (the change itself is made).
class OpenCatalogue {
public:
    OpenCatalogue();
    ~OpenCatalogue();
    // Opens TABLE.dbf, or the titles table of a data folder, printing what the open repaired
    // as notes; kOk or the exit code after a message.
    int open(const std::string& path, const rk::store::TableOptions& options);
    int open(const std::string& path);
    rk::catalogue::Catalogue& catalogue() { return *catalogue_; }
    rk::store::Table& table();
    // `rc`, or kProblem when rc is kOk and Titles.ia missed a change.
    int done(int rc = kOk) const;

private:
    std::unique_ptr<rk::catalogue::Catalogue> catalogue_;
    bool missed_ = false;
};
// TABLE.dbf, or a data folder holding VIDEO.DBF.
std::string tablePath(const std::string& arg);
// Builds Titles.ia anew from the catalogue's titles; kOk or the exit code after a message.
int buildTextIndex(rk::catalogue::Catalogue& c);

// Reads FILE line by line for the --from options: a regular file only (not a FIFO or a
// device), lines of at most 1 MiB. fn gets each line (without its ending) and its number
// and returns kOk to go on. kOk, or the exit code after a message.
int forEachLine(const std::string& file,
                const std::function<int(size_t number, const std::string& line)>& fn);

// Text of a table for the terminal: UTF-8, with control characters written as \xNN so
// that no stored byte can move the cursor, change colours or start a line of its own.
std::string terminalText(std::string_view cp1252);
void appendTerminalText(std::string* out, std::string_view cp1252);
// The same for messages that are UTF-8 already: only the ASCII control characters.
std::string escapeControls(std::string_view text);

// "a,b,c" into its items; empty items are dropped unless asked for.
std::vector<std::string> splitList(const std::string& s, bool keepEmpty = false);
// The table's fields named in a comma-separated list; kOk or kUsage after a message.
int fieldList(const rk::store::Table& t, const std::string& names,
              std::vector<const rk::dbf::FieldDef*>* out);
// Prints the visible records in the active order, one a line: the record number, then the
// fields tab-separated (UTF-8, trailing blanks trimmed), then "*" for a deleted record when
// `markDeleted`. kOk or the exit code after a message.
int printRecords(rk::store::Table& t, const std::vector<const rk::dbf::FieldDef*>& fields,
                 bool markDeleted = false);

} // namespace rkdb

#define RKDB_CONCAT2(a, b) a##b
#define RKDB_CONCAT(a, b) RKDB_CONCAT2(a, b)
// RKDB_COMMAND("list", "list TABLE.dbf [--order TAG]", {"order"}, runList);
#define RKDB_COMMAND(name, usage, valueOptions, fn)                                                \
    static const bool RKDB_CONCAT(rkdb_registered_, __LINE__) =                                    \
        ::rkdb::registerCommand(::rkdb::Command{name, usage, valueOptions, fn})
