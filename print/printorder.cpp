#include "printorder.h"

#include <algorithm>

namespace rk::print {

PageRange printRange(int fromPage, int toPage, int pageCount) {
    PageRange r;
    r.first = std::min(fromPage > 0 ? fromPage : 1, pageCount);
    r.last = std::min(toPage > 0 ? toPage : pageCount, pageCount);
    if (pageCount <= 0) r = PageRange{1, 0};
    return r;
}

std::vector<int> printOrder(const PageRange& range, int copies, bool collate) {
    std::vector<int> order;
    if (range.count() == 0 || copies < 1) return order;
    order.reserve(static_cast<size_t>(range.count()) * static_cast<size_t>(copies));
    if (collate) {
        for (int c = 0; c < copies; ++c)
            for (int p = range.first; p <= range.last; ++p)
                order.push_back(p);
    } else {
        for (int p = range.first; p <= range.last; ++p)
            for (int c = 0; c < copies; ++c)
                order.push_back(p);
    }
    return order;
}

QString progressPageLine(int page, const PageRange& range, int copies) {
    QString line = QStringLiteral("Page ") + QString::number(page);
    if (range.first == 1) {
        line += QStringLiteral(" of ") + QString::number(range.count());
        if (copies > 1)
            line += QStringLiteral(" x ") + QString::number(copies) + QStringLiteral(" Copies");
    }
    return line;
}

} // namespace rk::print
