#pragma once
// Document helpers: the native-unit factor and small text helpers of the engine.

#include <string>
#include <string_view>

#include "kmTypes.h"

namespace km {

// Native units (screen pixels at CPixelsPerInch) per one unit: pixels 1,
// inches CPointsToPixels * 72, millimetres CPointsToPixels * 2.83464 (points
// per millimetre to five decimals), points CPointsToPixels, twips
// CPointsToPixels * 0.05. A value outside the unit type gives 1.
double CalculateNativeUnitFactor(TkmUnitType unit);

// The code units of s in reverse order (a surrogate pair is reversed like any
// two code units).
std::u16string ReverseString(std::u16string_view s);

// Without a final CR LF when the text has at least two code units and ends
// with one; otherwise the text unchanged.
std::u16string RemoveTerminalCRLF(std::u16string_view text);

}  // namespace km
