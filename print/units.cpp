#include "units.h"

#include <algorithm>
#include <cmath>

namespace rk::print {

bool PrinterMetrics::isUsable() const {
    return dpiX > 0 && dpiY > 0 && dpiX <= 100000 && dpiY <= 100000 && paperWidth > 0 &&
           paperHeight > 0 && offsetLeft >= 0 && offsetTop >= 0 &&
           2 * static_cast<long long>(offsetLeft) < paperWidth &&
           2 * static_cast<long long>(offsetTop) < paperHeight;
}

double toInches(double length, TMeasureUnit unit) {
    return unit == muMillimeters ? length / kMillimetresPerInch : length;
}

double fromInches(double inches, TMeasureUnit unit) {
    return unit == muMillimeters ? inches * kMillimetresPerInch : inches;
}

double convertLength(double length, TMeasureUnit from, TMeasureUnit to) {
    return fromInches(toInches(length, from), to);
}

int toDots(double length, TMeasureUnit unit, int dpi) {
    const double dots = toInches(length, unit) * dpi;
    if (std::isnan(dots)) return 0;
    constexpr double kLimit = 1 << 28; // far outside any page, safe to add and subtract
    return static_cast<int>(std::lround(std::clamp(dots, -kLimit, kLimit)));
}

double fromDots(double dots, TMeasureUnit unit, int dpi) {
    return dpi > 0 ? fromInches(dots / dpi, unit) : 0.0;
}

bool isSaneLength(double length, TMeasureUnit unit) {
    return std::isfinite(length) && length >= 0 && toInches(length, unit) <= kMaxLengthInches;
}

PrinterMetrics fallbackMetrics(TMeasureUnit unit) {
    PrinterMetrics m;
    m.dpiX = m.dpiY = kFallbackDpi;
    const bool metric = unit == muMillimeters;
    m.paperWidth = toDots(metric ? 210.0 : 8.5, unit, kFallbackDpi);
    m.paperHeight = toDots(metric ? 297.0 : 11.0, unit, kFallbackDpi);
    m.offsetLeft = m.offsetTop = toDots(metric ? 6.0 : 0.25, unit, kFallbackDpi);
    return m;
}

double clampMargin(double margin, double offset, double paper, double oppositeOffset) {
    return std::max(offset, std::min(margin, paper - oppositeOffset));
}

int spacedLength(int length, TLineSpacing spacing) {
    switch (spacing) {
    case lsHalfSpace:
        return length / 2;
    case lsSingleSpace:
        return length;
    case lsSingleAndAHalf:
        return length + length / 2;
    case lsDoubleSpace:
        return 2 * length;
    }
    return length;
}

int rulePenWidth(int dpi) {
    return (dpi / 300) * 2;
}

int cellInnerGap(int dpi) {
    return (dpi / 300) * 6;
}

} // namespace rk::print
