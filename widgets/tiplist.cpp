#include "tiplist.h"

namespace rk {

void TipList::nextTip() {
    if (lines_.size() < 2) return;
    lines_.append(lines_.takeAt(1));
}

void TipList::finish(bool keepShowing) {
    const QString flag = keepShowing ? QStringLiteral("1") : QStringLiteral("0");
    if (lines_.isEmpty())
        lines_.append(flag);
    else
        lines_[0] = flag;
    nextTip();
}

} // namespace rk
