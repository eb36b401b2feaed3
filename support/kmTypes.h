#pragma once
// Geometry values and the measurement unit shared by the engine and its
// output engines. Lengths are doubles; native lengths are screen pixels at
// CPixelsPerInch, x to the right and y downwards from the page's top-left.

#include <vector>

namespace km {

struct TkmPoint {
  double X = 0;
  double Y = 0;
  friend bool operator==(const TkmPoint&, const TkmPoint&) = default;
};

using TkmPointArray = std::vector<TkmPoint>;

struct TkmRect {
  double Left = 0;
  double Top = 0;
  double Right = 0;
  double Bottom = 0;
  friend bool operator==(const TkmRect&, const TkmRect&) = default;
};

constexpr TkmPoint kmPoint(double x, double y) { return TkmPoint{x, y}; }

constexpr TkmRect kmRect(double left, double top, double right, double bottom) {
  return TkmRect{left, top, right, bottom};
}

// The rectangle with all four members multiplied by factor.
constexpr TkmRect kmRect(const TkmRect& rect, double factor) {
  return TkmRect{rect.Left * factor, rect.Top * factor, rect.Right * factor, rect.Bottom * factor};
}

// The unit in which callers give lengths to the engine. The factor that turns
// one unit into native units is CalculateNativeUnitFactor (kmDocUtils.h).
enum class TkmUnitType { muPixels, muInches, muMM, muPoints, muTwips };

}  // namespace km
