// The marks of a horizontal ruler, as plain numbers: where each tick goes, how long it
// is, and which ticks carry a unit number.
#pragma once

#include <QtGlobal>

#include <vector>

namespace rk::print {

enum TRulerUnits { ruCentims, ruInches, ruDecInches, ruPixels };
enum TRulerToward { rpUp, rpDown };

struct RulerTick {
    enum Level { Unit, Half, Quarter, Minor };
    qreal pos = 0; // pixels from the ruler's left edge
    Level level = Minor;
    int number = -1; // the unit number written at unit ticks, else -1
};

// Pixels per unit: an inch (ruInches, ruDecInches), a centimetre, or 50 pixels.
qreal rulerUnitLength(TRulerUnits units, int dpi);
// Ticks per unit: 16 for inches, 10 otherwise.
int rulerTicksPerUnit(TRulerUnits units);

// Every tick from 0 at `start` pixels up to `width` pixels. Empty for a resolution that is
// not positive.
std::vector<RulerTick> rulerTicks(TRulerUnits units, int dpi, int start, int width);

} // namespace rk::print
