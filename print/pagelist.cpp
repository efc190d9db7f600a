#include "pagelist.h"

#include <utility>

namespace rk::print {

void TPageList::append(const QPicture& page) {
    Page kept;
    if (bytes_ + page.size() <= kPlainBytes) {
        kept.picture = page;
        bytes_ += page.size();
    } else {
        kept.packed = qCompress(QByteArray(page.data(), page.size()), 1);
        kept.packed.squeeze(); // qCompress leaves room for the worst case
        bytes_ += kept.packed.size();
    }
    ++generation_;
    pages_.push_back(std::move(kept));
}

QPicture TPageList::page(int index) const {
    if (index < 0 || index >= count()) return QPicture();
    const Page& p = pages_[static_cast<size_t>(index)];
    if (p.packed.isEmpty()) return p.picture;
    QPicture pic;
    const QByteArray data = qUncompress(p.packed);
    pic.setData(data.constData(), static_cast<uint>(data.size()));
    return pic;
}

void TPageList::clear() {
    pages_.clear();
    bytes_ = 0;
    ++generation_;
}

void TPageList::adopt(TPageList&& other) {
    pages_ = std::move(other.pages_);
    bytes_ = other.bytes_;
    other.pages_.clear();
    other.bytes_ = 0;
    ++generation_;
}

} // namespace rk::print
