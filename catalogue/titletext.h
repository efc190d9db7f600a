// The full-text index Titles.ia as the catalogue keeps it beside the titles table: entry n
// holds the text of record n (search/titleindex.h). Only the catalogue engine writes it.
#pragma once

#include "ftsindex.h"
#include "status.h"
#include "table.h"
#include "titleindex.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace rk::catalogue {

// Builds a new index at indexPath from every physical record of the open titles table, in
// record order, deleted records included, whatever order, query or filter is set. The new
// file replaces indexPath only when it is complete; when the build fails or is stopped,
// indexPath is left as it was.
Result<search::BuildReport> buildTitleText(store::Table& titles, const std::string& indexPath,
                                           const search::BuildStep& step = {});

// The open index while a change of the titles is carried into it. Every step returns a
// Status: a failure leaves the table's change made and the index marked stale where it can
// still be written, so that the next search rebuilds it rather than trusting it.
class TitleText {
public:
    // Opens the index at indexPath when the file exists (nothing to keep otherwise: active()
    // is false) and checks that it belongs to the table as it holds `entries` records.
    Status open(const std::string& indexPath, const store::Table& titles, uint32_t entries);
    bool active() const { return ix_ != nullptr; }
    // The file is there but is no usable index (open() failed before any check).
    bool unusable() const { return unusable_; }

    // Entry `recno` takes the text of `image` (added or replaced).
    Status put(uint32_t recno, std::string_view image);
    // Entry `recno` is removed.
    Status remove(uint32_t recno);

    // Many steps in one transaction.
    Status begin();
    Status commit();
    void rollback();

    // Marks the index as having missed a change: it is rebuilt before the next search.
    void markStale();
    void close();

private:
    Status failed(Status why);
    std::unique_ptr<search::FtsIndex> ix_;
    const std::vector<dbf::FieldDef>* fields_ = nullptr;
    std::string text_;
    bool unusable_ = false;
};

} // namespace rk::catalogue
