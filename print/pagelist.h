// TPageList: the recorded pages of a document, in order. Each page is a QPicture (a
// recorded drawing in the picture's own resolution, replayable on any device). Pages are
// kept compressed: a long report holds thousands of them.
#pragma once

#include <QByteArray>
#include <QPicture>

#include <vector>

namespace rk::print {

class TPageList {
public:
    int count() const { return static_cast<int>(pages_.size()); }
    bool isEmpty() const { return pages_.empty(); }
    void append(const QPicture& page);
    // Page `index` from 0; an empty picture outside the list.
    QPicture page(int index) const;
    void clear();
    // Takes the pages of another list; views see a new generation.
    void adopt(TPageList&& other);
    // Bytes held for all pages (compressed).
    qint64 byteSize() const { return bytes_; }
    // Changes whenever pages are added or dropped (for views that cache a page).
    qint64 generation() const { return generation_; }

private:
    std::vector<QByteArray> pages_;
    qint64 bytes_ = 0;
    qint64 generation_ = 0;
};

} // namespace rk::print
