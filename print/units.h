// Lengths and page geometry of the page printer, as plain functions of numbers.
//
// Lengths live in the measure unit (inches or millimetres); the layout works in the
// printer's dots. A length becomes dots by way of inches times the dots per inch of its
// axis, rounded.
#pragma once

#include "pagetypes.h"

namespace rk::print {

inline constexpr double kMillimetresPerInch = 25.4;
// Resolution assumed when no printer answers.
inline constexpr int kFallbackDpi = 300;
// Lengths beyond this many inches are refused as absurd (column widths, offsets).
inline constexpr double kMaxLengthInches = 1000.0;

double toInches(double length, TMeasureUnit unit);
double fromInches(double inches, TMeasureUnit unit);
double convertLength(double length, TMeasureUnit from, TMeasureUnit to);
// Rounded to the nearest dot; saturates far outside any page instead of overflowing.
int toDots(double length, TMeasureUnit unit, int dpi);
double fromDots(double dots, TMeasureUnit unit, int dpi);

// A finite length between 0 and kMaxLengthInches (in the unit given).
bool isSaneLength(double length, TMeasureUnit unit);

// The page used when no printer answers: 8.5 x 11 inches with 0.25 inch offsets, or
// 210 x 297 mm with 6 mm offsets when the engine measures in millimetres.
PrinterMetrics fallbackMetrics(TMeasureUnit unit);

// A margin kept between the unprintable offset of its side and the paper size less the
// opposite offset (all in one unit).
double clampMargin(double margin, double offset, double paper, double oppositeOffset);

// Height of the text font in dots times 1/2, 1, 1 1/2 or 2; halves rounded down.
int spacedLength(int length, TLineSpacing spacing);
// Another line of `advance` dots fits when it ends within the text area's height.
inline bool lineFits(int y, int advance, int areaHeight) {
    return y + advance <= areaHeight;
}

// Width of ruling lines: 2 dots per 300 dpi (rounded down to whole 300s); 0 is a hairline.
int rulePenWidth(int dpi);
// Inner gap of table cells: 6 dots per 300 dpi (rounded down to whole 300s).
int cellInnerGap(int dpi);

} // namespace rk::print
