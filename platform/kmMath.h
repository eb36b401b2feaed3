#pragma once
// Rounding and integer scaling with the platform's rules.

#include <cmath>
#include <cstdint>

namespace km {

// Rounds to the nearest integer, halves to even (0.5 -> 0, 1.5 -> 2, -2.5 -> -2).
// Every "round" of the system uses this rule.
inline std::int64_t Round(double x) { return static_cast<std::int64_t>(std::nearbyint(x)); }

// a * b / c computed in 64 bits and rounded half away from zero, as the
// platform's MulDiv does; -1 when c is 0.
inline std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
  if (c == 0) return -1;
  std::int64_t p = static_cast<std::int64_t>(a) * b;
  bool negative = (p < 0) != (c < 0);
  std::int64_t ap = p < 0 ? -p : p;
  std::int64_t ac = c < 0 ? -static_cast<std::int64_t>(c) : c;
  std::int64_t q = (ap + ac / 2) / ac;
  return static_cast<std::int32_t>(negative ? -q : q);
}

}  // namespace km
