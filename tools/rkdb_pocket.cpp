// rkdb pocket: the pocket catalogue, one HTML page of the visible titles for a browser or a
// phone.
#include "rkdb.h"

#include "cp1252.h"
#include "pocket.h"
#include "table.h"

#include <ctime>
#include <iostream>

namespace rkdb {

namespace {

int runPocket(const Args& a) {
    if (a.positional.size() != 2)
        return fail(kUsage, "usage: rkdb pocket TABLE.dbf FILE.html [--query EXPR] [--title TEXT]");
    rk::store::Table t(a.positional[0], readOptions());
    if (int rc = openTable(t)) return rc;
    if (a.has("query")) {
        auto q = rk::cp1252::fromUtf8(a.get("query"));
        if (!q) return fail(kUsage, q.status().message());
        if (rk::Status s = t.query(*q); !s) return fail(kUsage, s.message());
    }
    rk::search::PocketPage page;
    if (a.has("title")) page.heading = a.get("title");
    const std::time_t now = std::time(nullptr);
    char date[32];
    if (std::strftime(date, sizeof date, "%Y-%m-%d", std::localtime(&now)))
        page.footnote = std::string("Made by Reelkeeper on ") + date + ".";
    auto written = rk::search::writePocketCatalogue(t, a.positional[1], page);
    if (!written) return fail(exitFor(written.status()), written.status().message());
    std::cerr << "rkdb: " << *written << " titles written to " << a.positional[1] << "\n";
    return kOk;
}

} // namespace

RKDB_COMMAND("pocket",
             "pocket TABLE.dbf FILE.html [--query EXPR] [--title TEXT]   (the visible titles as "
             "one HTML page for a browser or a phone)",
             std::vector<std::string>({"query", "title"}), runPocket);

} // namespace rkdb
