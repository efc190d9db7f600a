// rkdb, the command-line face of the engines. Each engine adds its commands in a file of
// its own (rkdb_store.cpp, rkdb_index.cpp, rkdb_search.cpp, report/rkdb_report.cpp) with
// RKDB_COMMAND; rkdb.cpp dispatches on the first argument. The report command is a module
// (rkdb-report.so) that rkdb loads only for a report, so that the other commands run
// without Qt.
//
// Text on the command line and on standard output is UTF-8; the tables hold
// Windows-1252. Exit codes: 0 success, 1 the command ran and found a problem (check),
// 2 bad arguments, 3 a file could not be opened or written.
#pragma once

#include <string>
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
