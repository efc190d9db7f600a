#include "ftsindex.h"

#include "env.h"
#include "fts5_tokenizer.h"
#include "tokenizer.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace rk::search {

namespace {

// A build that finds the lock taken tries again every 10 ms, for two seconds at most.
constexpr int kClaimAttempts = 200;
// Builds of one index at the same time, each with its own temporary file.
constexpr int kMaxBuilds = 64;

constexpr const char* kLastEntryKey = "last_entry";
constexpr const char* kTableStampKey = "table_stamp";
constexpr const char* kStaleKey = "stale";

const char* const kMetaSql =
    "CREATE TABLE meta(key TEXT PRIMARY KEY, value INTEGER NOT NULL) WITHOUT ROWID";
const char* const kEntriesSql = "CREATE VIRTUAL TABLE entries USING fts5(words, "
                                "tokenize='rk1252', detail=full, columnsize=0, prefix=1)";

Status statusOf(sqlite3* db, int rc, const std::string& what) {
    std::string msg = what + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    switch (rc & 0xFF) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT:
    case SQLITE_SCHEMA:
        return Status::corruption(msg);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Status::locked(msg);
    case SQLITE_NOMEM:
    case SQLITE_TOOBIG:
    case SQLITE_RANGE:
        return Status::invalid(msg);
    default:
        return Status::ioError(msg);
    }
}

void removeWithJournal(const std::string& path) {
    Env* env = Env::standard();
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        const std::string p = path + suffix;
        if (env->exists(p))
            ignore(env->remove(p), "a leftover of an earlier build; the build reports what fails");
    }
}

// Reads one integer from a statement that yields a single row.
Status queryInt(sqlite3* db, const char* sql, int64_t* out, bool* found) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    if (rc != SQLITE_OK) return statusOf(db, rc, "cannot read the index file");
    rc = sqlite3_step(stmt);
    *found = rc == SQLITE_ROW;
    if (*found) *out = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        return statusOf(db, rc, "cannot read the index file");
    return Status::ok();
}

Result<sqlite3*> openDb(const std::string& path, int flags) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        Status s = (rc & 0xFF) == SQLITE_CANTOPEN
                       ? Status::notFound("cannot open the index file " + path)
                       : statusOf(db, rc, "cannot open the index file " + path);
        sqlite3_close(db);
        return s;
    }
    // The file may come from anywhere: no schema code runs with side effects, and nothing
    // may write to the schema behind SQLite's back.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_busy_timeout(db, 2000);
    Status s = registerTokenizer(db);
    if (!s) {
        sqlite3_close(db);
        return s;
    }
    return db;
}

} // namespace

FtsIndex::~FtsIndex() {
    closeDb();
    if (!buildPath_.empty()) removeWithJournal(buildPath_);
    buildFile_.reset(); // the temporary name is free again
}

void FtsIndex::closeDb() {
    rollback();
    for (sqlite3_stmt** s : {&insert_, &delete_, &setMeta_, &query_}) {
        sqlite3_finalize(*s);
        *s = nullptr;
    }
    if (db_) sqlite3_close(db_);
    db_ = nullptr;
    inQuery_ = false;
}

Status FtsIndex::fail(const char* what) {
    return statusOf(db_, sqlite3_errcode(db_), std::string(what) + " (" + path_ + ")");
}

Status FtsIndex::exec(const char* sql) {
    int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? Status::ok() : statusOf(db_, rc, "index file " + path_);
}

Status FtsIndex::prepareStatements() {
    struct {
        const char* sql;
        sqlite3_stmt** stmt;
    } const list[] = {
        {"INSERT INTO entries(rowid, words) VALUES(?1, ?2)", &insert_},
        {"DELETE FROM entries WHERE rowid = ?1", &delete_},
        {"INSERT OR REPLACE INTO meta(key, value) VALUES(?1, ?2)", &setMeta_},
    };
    for (const auto& p : list) {
        int rc = sqlite3_prepare_v3(db_, p.sql, -1, SQLITE_PREPARE_PERSISTENT, p.stmt, nullptr);
        if (rc != SQLITE_OK) return statusOf(db_, rc, "the index file " + path_ + " is unusable");
    }
    return Status::ok();
}

Status FtsIndex::claimBuildPath() {
    Env* env = Env::standard();
    const std::string lockPath = path_ + ".lock";
    std::unique_ptr<File> lock;
    // The lock is held only while a name is chosen; another build waits that long at most.
    for (int attempt = 0; !lock; ++attempt) {
        auto f = env->open(lockPath, OpenMode::OpenOrCreate, LockMode::Exclusive);
        if (f) {
            lock = std::move(*f);
        } else if (f.status().code() != Status::Code::Locked || attempt >= kClaimAttempts) {
            return f.status();
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    for (int k = 1; k <= kMaxBuilds; ++k) {
        const std::string name = path_ + ".new" + (k > 1 ? std::to_string(k) : std::string());
        if (env->exists(name)) {
            auto held = env->open(name, OpenMode::ReadWrite, LockMode::Exclusive);
            if (!held && held.status().code() == Status::Code::Locked) continue; // being built
            if (!held) return held.status();
            // Left by a build that never finished: nobody holds it any more.
            removeWithJournal(name);
        }
        auto f = env->open(name, OpenMode::Create, LockMode::Exclusive);
        if (!f) return f.status();
        buildFile_ = std::move(*f);
        buildPath_ = name;
        return Status::ok();
    }
    return Status::locked("too many full-text index builds of " + path_ + " are running");
}

Result<std::unique_ptr<FtsIndex>> FtsIndex::create(const std::string& path) {
    std::unique_ptr<FtsIndex> ix(new FtsIndex);
    ix->path_ = path;
    RK_RETURN_IF_ERROR(ix->claimBuildPath());
    auto db = openDb(ix->buildPath_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (!db) return db.status();
    ix->db_ = *db;
    // Nothing is journalled or synced while filling: the file is not in place until finish().
    // Pages freed by the merges are given back to the file system when the build ends
    // (incremental vacuum, in finish()).
    const std::string setup = "PRAGMA auto_vacuum=INCREMENTAL;"
                              "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;"
                              "PRAGMA cache_size=-16384; PRAGMA locking_mode=EXCLUSIVE;"
                              "PRAGMA application_id=" +
                              std::to_string(kApplicationId) +
                              "; PRAGMA user_version=" + std::to_string(kFormatVersion) + ";";
    RK_RETURN_IF_ERROR(ix->exec(setup.c_str()));
    RK_RETURN_IF_ERROR(ix->exec("BEGIN"));
    RK_RETURN_IF_ERROR(ix->exec(kMetaSql));
    RK_RETURN_IF_ERROR(ix->exec(kEntriesSql));
    // While filling: large in-memory batches and no merging along the way; finish() merges
    // once and sets the defaults back for the changes that come later. The batch's nominal
    // size is about a third of what it takes in memory; with the page cache above the
    // build stays within 100 MB at a million titles.
    RK_RETURN_IF_ERROR(ix->exec("INSERT INTO entries(entries, rank) VALUES('hashsize', 25165824);"
                                "INSERT INTO entries(entries, rank) VALUES('automerge', 0);"));
    RK_RETURN_IF_ERROR(ix->prepareStatements());
    return ix;
}

Result<std::unique_ptr<FtsIndex>> FtsIndex::open(const std::string& path) {
    // SQLite would wait for ever on a named pipe: only a file is opened.
    std::error_code ec;
    const auto kind = std::filesystem::status(path, ec).type();
    if (!ec && kind != std::filesystem::file_type::regular &&
        kind != std::filesystem::file_type::not_found)
        return Status::ioError(path + " is not a regular file, so it is not a full-text index");
    std::unique_ptr<FtsIndex> ix(new FtsIndex);
    ix->path_ = path;
    auto db = openDb(path, SQLITE_OPEN_READWRITE);
    if (!db) return db.status();
    ix->db_ = *db;
    RK_RETURN_IF_ERROR(ix->validate());
    RK_RETURN_IF_ERROR(ix->prepareStatements());
    return ix;
}

Status FtsIndex::validate() {
    int64_t v = 0;
    bool found = false;
    int rc = sqlite3_exec(db_, "SELECT 1 FROM sqlite_schema LIMIT 1", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return Status::corruption(path_ + " is not a full-text index (" + sqlite3_errmsg(db_) +
                                  ")");
    Status s = queryInt(db_, "PRAGMA application_id", &v, &found);
    if (!s) return s;
    if (!found || v != kApplicationId)
        return Status::corruption(path_ + " is not a full-text index of this program");
    RK_RETURN_IF_ERROR(queryInt(db_, "PRAGMA user_version", &v, &found));
    if (v != kFormatVersion)
        return Status::notSupported(path_ + " is a full-text index of another version (layout " +
                                    std::to_string(v) + ")");

    // Exactly our tables: nothing that would run code, and the two tables as we made them.
    sqlite3_stmt* stmt = nullptr;
    rc = sqlite3_prepare_v2(db_, "SELECT type, name, sql FROM sqlite_schema", -1, &stmt, nullptr);
    if (rc != SQLITE_OK) return statusOf(db_, rc, path_ + " is not a usable full-text index");
    bool meta = false, entries = false, foreign = false;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        auto text = [&](int col) {
            const unsigned char* t = sqlite3_column_text(stmt, col);
            return t ? std::string(reinterpret_cast<const char*>(t)) : std::string();
        };
        const std::string type = text(0), name = text(1), sql = text(2);
        if (type == "trigger" || type == "view") foreign = true;
        if (name == "meta") meta = sql == kMetaSql;
        if (name == "entries") entries = sql == kEntriesSql;
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) return statusOf(db_, rc, path_ + " is not a usable full-text index");
    if (!meta || !entries || foreign)
        return Status::corruption(path_ + " does not hold the tables of a full-text index");

    s = queryInt(db_, "SELECT value FROM meta WHERE key = 'last_entry'", &v, &found);
    if (!s) return s;
    if (!found || v < 0 || v > kMaxEntry)
        return Status::corruption(path_ + ": the entry count of the index is damaged");
    lastEntry_ = static_cast<uint32_t>(v);
    RK_RETURN_IF_ERROR(
        queryInt(db_, "SELECT value FROM meta WHERE key = 'table_stamp'", &v, &found));
    tableStamp_ = found ? std::optional<int64_t>(v) : std::nullopt;
    RK_RETURN_IF_ERROR(queryInt(db_, "SELECT value FROM meta WHERE key = 'stale'", &v, &found));
    stale_ = found && v != 0;
    return Status::ok();
}

namespace {
// One change as its own transaction, except while a new file is being filled, which is one
// transaction from create() to finish().
class Change {
public:
    Change(sqlite3* db, bool own) : db_(db), own_(own) {}
    Status begin() {
        if (!own_) return Status::ok();
        int rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) return statusOf(db_, rc, "cannot change the index file");
        open_ = true;
        return Status::ok();
    }
    Status commit() {
        if (!open_) return Status::ok();
        int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) return statusOf(db_, rc, "cannot change the index file");
        open_ = false;
        return Status::ok();
    }
    ~Change() {
        if (open_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }

private:
    sqlite3* db_;
    bool own_;
    bool open_ = false;
};
} // namespace

Status FtsIndex::writeMeta(const char* key, int64_t value) {
    sqlite3_reset(setMeta_);
    sqlite3_bind_text(setMeta_, 1, key, -1, SQLITE_STATIC);
    sqlite3_bind_int64(setMeta_, 2, value);
    int rc = sqlite3_step(setMeta_);
    sqlite3_reset(setMeta_);
    sqlite3_clear_bindings(setMeta_);
    return rc == SQLITE_DONE ? Status::ok() : fail("cannot write the index file");
}

Status FtsIndex::writeLastEntry(uint32_t value) {
    return writeMeta(kLastEntryKey, value);
}

Status FtsIndex::setTableStamp(int64_t stamp) {
    if (!db_) return Status::invalid("the index is closed");
    Change change(db_, buildPath_.empty());
    RK_RETURN_IF_ERROR(change.begin());
    RK_RETURN_IF_ERROR(writeMeta(kTableStampKey, stamp));
    RK_RETURN_IF_ERROR(change.commit());
    tableStamp_ = stamp;
    return Status::ok();
}

Status FtsIndex::markStale() {
    if (!db_) return Status::invalid("the index is closed");
    if (stale_) return Status::ok();
    Change change(db_, buildPath_.empty());
    RK_RETURN_IF_ERROR(change.begin());
    RK_RETURN_IF_ERROR(writeMeta(kStaleKey, 1));
    RK_RETURN_IF_ERROR(change.commit());
    stale_ = true;
    return Status::ok();
}

Status FtsIndex::insertWords(uint32_t entry, std::string_view text) {
    const std::string words = joinedWords(text);
    sqlite3_reset(insert_);
    sqlite3_bind_int64(insert_, 1, entry);
    sqlite3_bind_text(insert_, 2, words.data(), static_cast<int>(words.size()), SQLITE_STATIC);
    int rc = sqlite3_step(insert_);
    sqlite3_reset(insert_);
    sqlite3_clear_bindings(insert_);
    return rc == SQLITE_DONE ? Status::ok() : fail("cannot add to the index file");
}

Result<uint32_t> FtsIndex::add(std::string_view text) {
    if (!db_) return Status::invalid("the index is closed");
    if (lastEntry_ >= kMaxEntry) return Status::invalid("the index holds its largest entry number");
    const uint32_t entry = lastEntry_ + 1;
    RK_RETURN_IF_ERROR(put(entry, text));
    return entry;
}

Status FtsIndex::put(uint32_t entry, std::string_view text) {
    if (!db_) return Status::invalid("the index is closed");
    if (entry == 0 || entry > kMaxEntry)
        return Status::invalid("entry number " + std::to_string(entry) + " is out of range");
    inQuery_ = false;
    const bool single = buildPath_.empty() && !batch_;
    Change change(db_, single);
    RK_RETURN_IF_ERROR(change.begin());
    if (entry <= lastEntry_) RK_RETURN_IF_ERROR(remove(entry));
    RK_RETURN_IF_ERROR(insertWords(entry, text));
    if (entry > lastEntry_ && single) RK_RETURN_IF_ERROR(writeLastEntry(entry));
    RK_RETURN_IF_ERROR(change.commit());
    if (entry > lastEntry_) lastEntry_ = entry;
    return Status::ok();
}

Status FtsIndex::remove(uint32_t entry, bool* removed) {
    if (removed) *removed = false;
    if (!db_) return Status::invalid("the index is closed");
    inQuery_ = false;
    sqlite3_reset(delete_);
    sqlite3_bind_int64(delete_, 1, entry);
    int rc = sqlite3_step(delete_);
    sqlite3_reset(delete_);
    if (rc != SQLITE_DONE) return fail("cannot remove from the index file");
    if (removed) *removed = sqlite3_changes(db_) > 0;
    return Status::ok();
}

Status FtsIndex::begin() {
    if (!db_) return Status::invalid("the index is closed");
    if (!buildPath_.empty() || batch_) return Status::ok();
    RK_RETURN_IF_ERROR(exec("BEGIN IMMEDIATE"));
    batch_ = true;
    batchLastEntry_ = lastEntry_;
    // Larger in-memory batches while the transaction lasts: fewer, larger segments to merge.
    Status s = exec("INSERT INTO entries(entries, rank) VALUES('hashsize', 16777216);");
    if (!s) rollback();
    return s;
}

Status FtsIndex::commit() {
    if (!batch_) return Status::ok();
    Status s = lastEntry_ != batchLastEntry_ ? writeLastEntry(lastEntry_) : Status::ok();
    // The default again for the single changes that come later (stored with the index).
    if (s) s = exec("INSERT INTO entries(entries, rank) VALUES('hashsize', 1048576);");
    if (s) s = exec("COMMIT");
    if (!s) {
        rollback();
        return s;
    }
    batch_ = false;
    return Status::ok();
}

void FtsIndex::rollback() {
    if (!batch_) return;
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    lastEntry_ = batchLastEntry_;
    batch_ = false;
}

Status FtsIndex::start(const Query& q, bool* any) {
    *any = false;
    inQuery_ = false;
    if (!db_) return Status::invalid("the index is closed");
    sqlite3_finalize(query_);
    query_ = nullptr;
    const std::string expr = fts5Expression(q);
    if (expr.empty()) return Status::ok();
    const char* sql = q.onlyExcluded()
                          ? "SELECT rowid FROM entries WHERE rowid NOT IN "
                            "(SELECT rowid FROM entries WHERE entries MATCH ?1) ORDER BY rowid"
                          : "SELECT rowid FROM entries WHERE entries MATCH ?1 ORDER BY rowid";
    int rc = sqlite3_prepare_v2(db_, sql, -1, &query_, nullptr);
    if (rc != SQLITE_OK) return fail("cannot search the index file");
    sqlite3_bind_text(query_, 1, expr.data(), static_cast<int>(expr.size()), SQLITE_TRANSIENT);
    inQuery_ = true;
    auto first = next();
    if (!first) return first.status();
    pending_ = *first;
    *any = pending_ != 0;
    return Status::ok();
}

Result<uint32_t> FtsIndex::next() {
    if (pending_) {
        const uint32_t n = pending_;
        pending_ = 0;
        return n;
    }
    if (!inQuery_ || !query_) return 0u;
    int rc = sqlite3_step(query_);
    if (rc == SQLITE_ROW) {
        const int64_t id = sqlite3_column_int64(query_, 0);
        if (id > 0 && id <= kMaxEntry) return static_cast<uint32_t>(id);
        inQuery_ = false;
        return Status::corruption("the index file " + path_ + " holds a bad entry number");
    }
    inQuery_ = false;
    if (rc == SQLITE_DONE) return 0u;
    return fail("cannot search the index file");
}

Status FtsIndex::finish() {
    if (buildPath_.empty()) return Status::invalid("only a new index file is finished");
    if (!db_) return Status::invalid("the index is closed");
    RK_RETURN_IF_ERROR(writeLastEntry(lastEntry_));
    // Merge the segments written while filling into one, which searches fastest.
    RK_RETURN_IF_ERROR(exec("INSERT INTO entries(entries) VALUES('optimize');"
                            "INSERT INTO entries(entries, rank) VALUES('hashsize', 1048576);"
                            "INSERT INTO entries(entries, rank) VALUES('automerge', 4);"));
    RK_RETURN_IF_ERROR(exec("COMMIT"));
    // The segments merged into one left their pages free: the file drops them.
    RK_RETURN_IF_ERROR(exec("PRAGMA incremental_vacuum;"));
    closeDb();
    // Filled without syncing: sync once now that it is complete, before it takes its place.
    Env* env = Env::standard();
    auto file = env->open(buildPath_, OpenMode::ReadWrite, LockMode::None);
    if (!file) return file.status();
    RK_RETURN_IF_ERROR((*file)->sync());
    file->reset();
    Status s = env->replace(buildPath_, path_);
    if (!s) return s; // the destructor removes the temporary file
    buildPath_.clear();
    buildFile_.reset();
    return Status::ok();
}

} // namespace rk::search
