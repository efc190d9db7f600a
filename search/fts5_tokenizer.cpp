#include "fts5_tokenizer.h"

#include "tokenizer.h"

#include <sqlite3.h>

#include <string>

namespace rk::search {

namespace {

// The tokenizer keeps no state: one static object stands for every instance.
struct Instance {};
Instance gInstance;

int create(void*, const char**, int nArg, Fts5Tokenizer** out) {
    if (nArg != 0) return SQLITE_ERROR; // takes no options
    *out = reinterpret_cast<Fts5Tokenizer*>(&gInstance);
    return SQLITE_OK;
}

void destroy(Fts5Tokenizer*) {}

int tokenize(Fts5Tokenizer*, void* ctx, int, const char* text, int length,
             int (*emit)(void*, int, const char*, int, int, int)) {
    if (!text || length <= 0) return SQLITE_OK;
    char utf8[2 * kMaxWordBytes];
    int rc = SQLITE_OK;
    forEachWord(std::string_view(text, static_cast<size_t>(length)),
                [&](std::string_view word, size_t start, size_t end) {
                    if (rc != SQLITE_OK) return;
                    int n = 0;
                    for (char ch : word) {
                        const auto c = static_cast<unsigned char>(ch);
                        if (c < 0x80) {
                            utf8[n++] = ch;
                        } else {
                            utf8[n++] = static_cast<char>(0xC0 | (c >> 6));
                            utf8[n++] = static_cast<char>(0x80 | (c & 0x3F));
                        }
                    }
                    rc = emit(ctx, 0, utf8, n, static_cast<int>(start), static_cast<int>(end));
                });
    return rc;
}

fts5_api* fts5Api(sqlite3* db) {
    fts5_api* api = nullptr;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &stmt, nullptr) != SQLITE_OK) return nullptr;
    sqlite3_bind_pointer(stmt, 1, static_cast<void*>(&api), "fts5_api_ptr", nullptr);
    sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    return api;
}

} // namespace

Status registerTokenizer(sqlite3* db) {
    fts5_api* api = fts5Api(db);
    if (!api || api->iVersion < 2)
        return Status::notSupported("this SQLite library has no FTS5 full-text engine");
    fts5_tokenizer t{create, destroy, tokenize};
    if (api->xCreateTokenizer(api, kTokenizerName, nullptr, &t, nullptr) != SQLITE_OK)
        return Status::ioError(std::string("cannot register the full-text tokenizer: ") +
                               sqlite3_errmsg(db));
    return Status::ok();
}

} // namespace rk::search
