// Which recorded pages a print sends, in which order, and what the progress window says.
#pragma once

#include <QString>

#include <vector>

namespace rk::print {

// Pages first..last (from 1), inclusive; empty when first > last.
struct PageRange {
    int first = 1, last = 0;
    int count() const { return last >= first ? last - first + 1 : 0; }
    bool operator==(const PageRange& o) const { return first == o.first && last == o.last; }
};

// fromPage 0 means the first page, toPage 0 the last; both are limited to the page count.
PageRange printRange(int fromPage, int toPage, int pageCount);

// The pages to send: with collation every copy is a complete set (1 2 3 1 2 3), without
// it every page is repeated for all copies (1 1 2 2 3 3).
std::vector<int> printOrder(const PageRange& range, int copies, bool collate);

// "Page 2", or "Page 2 of 3" when the range starts at page 1, and
// "Page 2 of 3 x 2 Copies" with more than one copy.
QString progressPageLine(int page, const PageRange& range, int copies);

} // namespace rk::print
