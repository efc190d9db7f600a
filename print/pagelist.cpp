#include "pagelist.h"

#include <utility>

namespace rk::print {

void TPageList::append(const QPicture& page) {
    QByteArray packed = qCompress(QByteArray(page.data(), page.size()), 1);
    packed.squeeze(); // qCompress leaves room for the worst case: ten times the bytes kept
    bytes_ += packed.size();
    ++generation_;
    pages_.push_back(std::move(packed));
}

QPicture TPageList::page(int index) const {
    QPicture pic;
    if (index < 0 || index >= count()) return pic;
    const QByteArray data = qUncompress(pages_[static_cast<size_t>(index)]);
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
