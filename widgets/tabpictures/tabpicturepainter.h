// The seven tab pictures, painted in a box of their own width by 21 pixels. Used only by the
// tool that writes them as the PNG resources TAB0 to TAB6 (at 1x and 2x).
#pragma once

#include <QImage>

namespace rk::tabart {

constexpr int kCount = 7;
constexpr int kHeight = 21;

int width(int index);
QImage paint(int index, int scale);

} // namespace rk::tabart
