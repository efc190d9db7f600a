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

// Titles.ia beside a titles table (VIDEO.DBF) when it exists; "" for any other table or when
// there is none.
std::string titlesIndexOf(const std::string& tablePath);
// Carries a change of the titles table into Titles.ia when it exists: the current record's
// entry is put, or the entry of the deleted record `deleted` is removed. kOk, or kProblem
// after a note (the change of the table stays made).
int keepTitlesIndexCurrent(rk::store::Table& t, uint32_t deleted = 0);
// Builds Titles.ia anew from the table; kOk or the exit code after a message.
int buildTitlesIndex(rk::store::Table& t, const std::string& indexPath);

// Text of a table for the terminal: UTF-8, with control characters written as \xNN so
// that no stored byte can move the cursor, change colours or start a line of its own.
std::string terminalText(std::string_view cp1252);
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
