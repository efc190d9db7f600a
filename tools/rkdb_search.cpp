// rkdb commands of the full-text index: index-text (build Titles.ia) and search.
#include "rkdb.h"

#include "catalogue_engine.h"
#include "cp1252.h"
#include "table.h"
#include "titleindex.h"

#include <cstdlib>
#include <iostream>

namespace rkdb {

namespace {

using rk::Status;
using rk::store::Table;
namespace search = rk::search;

// --field: an item index 0..11 or a caption of the Find dialog's list ("Stars").
int fieldChoice(const Args& a, int* out) {
    const std::string v = a.get("field", "0");
    char* end = nullptr;
    const long n = std::strtol(v.c_str(), &end, 10);
    if (!v.empty() && end && *end == '\0') {
        if (n < 0 || n >= search::kFieldChoiceCount)
            return fail(kUsage, "--field takes 0 to 11, or a name such as Titles or Stars");
        *out = int(n);
        return kOk;
    }
    *out = search::fieldChoiceByCaption(v);
    if (*out < 0) {
        std::string names;
        for (int i = 0; i < search::kFieldChoiceCount; ++i)
            names += std::string(i ? ", " : "") + search::fieldChoiceCaption(i);
        return fail(kUsage, "no field choice '" + v + "'; choose 0 to 11 or one of: " + names);
    }
    return kOk;
}

int runIndexText(const Args& a) {
    if (a.positional.size() != 1) return fail(kUsage, "usage: rkdb index-text TABLE.dbf|DIR");
    OpenCatalogue c;
    if (int rc = c.open(a.positional[0], readOptions())) return rc;
    if (!c.catalogue().keepsTextIndex())
        return fail(kUsage, a.positional[0] + " is not a titles table (VIDEO.DBF)");
    return buildTextIndex(c.catalogue());
}

int runSearch(const Args& a) {
    if (a.positional.size() != 2)
        return fail(kUsage, "usage: rkdb search TABLE.dbf|DIR QUERY [--field N|NAME]");
    int choice = 0;
    if (int rc = fieldChoice(a, &choice)) return rc;
    auto query = rk::cp1252::fromUtf8(a.positional[1]);
    if (!query) return fail(kUsage, query.status().message());
    if (query->size() > search::kMaxQueryBytes)
        std::cerr << "rkdb: note: the query is cut after " << search::kMaxQueryBytes
                  << " characters\n";

    OpenCatalogue c;
    if (int rc = c.open(a.positional[0], readOptions())) return rc;
    if (!c.catalogue().keepsTextIndex())
        return fail(kUsage, a.positional[0] + " is not a titles table (VIDEO.DBF)");
    Table& t = c.table();
    std::vector<const rk::dbf::FieldDef*> fields;
    if (int rc = fieldList(t, a.get("fields", "TITLE"), &fields)) return rc;
    if (a.has("order"))
        if (int rc = setOrderByName(t, a.get("order"))) return rc;

    if (!c.catalogue().hasTextIndex()) {
        std::cerr << "rkdb: " << c.catalogue().textIndexPath()
                  << " does not exist yet: building it first\n";
        if (int rc = buildTextIndex(c.catalogue()); rc == kFileError) return rc;
    }
    auto result = c.catalogue().find(*query, choice);
    if (!result) return fail(exitFor(result.status()), result.status().message());
    if (result->outcome == search::SearchOutcome::NotUsable ||
        result->outcome == search::SearchOutcome::NeedsRebuild)
        return fail(kFileError, "no usable search index: " + result->detail.message() +
                                    "; rebuild it with: rkdb index-text " + a.positional[0]);
    if (result->outcome != search::SearchOutcome::Found) {
        std::cerr << "Text not found!\n";
        return kOk;
    }
    if (int rc = printRecords(t, fields)) return rc;
    std::cerr << search::matchesFoundText(result->report.matches) << "\n";
    return kOk;
}

} // namespace

RKDB_COMMAND("index-text", "index-text TABLE.dbf|DIR   (rebuild the full-text index Titles.ia)", {},
             runIndexText);
RKDB_COMMAND("search",
             "search TABLE.dbf|DIR QUERY [--field N|NAME] [--fields F,G] [--order TAG]   "
             "(full-text search; builds Titles.ia when missing)",
             std::vector<std::string>({"field", "fields", "order"}), runSearch);

} // namespace rkdb
