// The tip-of-the-day list: line 0 is the show-at-start flag ("1" or "0"), line 1 the current
// tip, the rest the tips to come. Showing the next tip moves the current one to the end.
#pragma once

#include <QStringList>

namespace rk {

class TipList {
public:
    TipList() = default;
    explicit TipList(QStringList lines) : lines_(std::move(lines)) {}

    const QStringList& lines() const { return lines_; }
    bool showAtStartup() const { return !lines_.isEmpty() && lines_.first() == u"1"; }
    QString currentTip() const { return lines_.size() > 1 ? lines_.at(1) : QString(); }
    int tipCount() const { return std::max<int>(0, int(lines_.size()) - 1); }

    // Moves the current tip (line 1) to the end; the next one becomes current.
    void nextTip();
    // Closing with Ok: the flag line from the box, then one more turn, so that the next
    // showing starts with a new tip.
    void finish(bool keepShowing);

private:
    QStringList lines_;
};

} // namespace rk
