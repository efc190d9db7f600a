#include "rulerticks.h"

#include <cmath>

namespace rk::print {

qreal rulerUnitLength(TRulerUnits units, int dpi) {
    switch (units) {
    case ruCentims:
        return dpi / 2.54;
    case ruPixels:
        return 50;
    case ruInches:
    case ruDecInches:
        break;
    }
    return dpi;
}

int rulerTicksPerUnit(TRulerUnits units) {
    return units == ruInches ? 16 : 10;
}

std::vector<RulerTick> rulerTicks(TRulerUnits units, int dpi, int start, int width) {
    std::vector<RulerTick> ticks;
    if (dpi <= 0 || width <= 0) return ticks;
    const int perUnit = rulerTicksPerUnit(units);
    const qreal step = rulerUnitLength(units, dpi) / perUnit;
    if (step <= 0) return ticks;
    // Start at the first tick at or right of the left edge.
    const long first = start >= 0 ? 0 : static_cast<long>(std::ceil(-start / step));
    for (long k = first;; ++k) {
        const qreal pos = start + k * step;
        if (pos > width) break;
        RulerTick t;
        t.pos = pos;
        if (k % perUnit == 0) {
            t.level = RulerTick::Unit;
            t.number = static_cast<int>(k / perUnit);
        } else if (k % (perUnit / 2) == 0) {
            t.level = RulerTick::Half;
        } else if (perUnit % 4 == 0 && k % (perUnit / 4) == 0) {
            t.level = RulerTick::Quarter;
        }
        ticks.push_back(t);
    }
    return ticks;
}

} // namespace rk::print
