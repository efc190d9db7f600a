// The hourglass mouse cursor for the length of a long run in the one thread.
#pragma once

#include <QApplication>

namespace rk::mainwin {

class Hourglass {
public:
    Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { QApplication::restoreOverrideCursor(); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
};

} // namespace rk::mainwin
