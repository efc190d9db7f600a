// TPageList: the recorded pages of a document, in order. Each page is a QPicture (a
// recorded drawing in the picture's own resolution, replayable on any device). Pages are
// kept as recorded, ready to play, until they hold kPlainBytes; the pages after that are
// kept compressed, so that a long report of thousands of pages stays within memory.
#pragma once

#include <QByteArray>
#include <QPicture>

#include <vector>

namespace rk::print {

class TPageList {
public:
    static constexpr qint64 kPlainBytes = 24 << 20;

    int count() const { return static_cast<int>(pages_.size()); }
    bool isEmpty() const { return pages_.empty(); }
    void append(const QPicture& page);
    // Page `index` from 0; an empty picture outside the list.
    QPicture page(int index) const;
    void clear();
    // Takes the pages of another list; views see a new generation.
    void adopt(TPageList&& other);
    // Bytes held for all pages.
    qint64 byteSize() const { return bytes_; }
    // Changes whenever pages are added or dropped (for views that cache a page).
    qint64 generation() const { return generation_; }

private:
    struct Page {
        QPicture picture;  // as recorded; empty when packed
        QByteArray packed; // the picture's data compressed
    };
    std::vector<Page> pages_;
    qint64 bytes_ = 0;
    qint64 generation_ = 0;
};

} // namespace rk::print
