#include "kmDocUtils.h"

#include "kmScreen.h"

namespace km {

double CalculateNativeUnitFactor(TkmUnitType unit) {
  switch (unit) {
    case TkmUnitType::muPixels: return 1.0;
    case TkmUnitType::muInches: return CPointsToPixels * 72.0;
    case TkmUnitType::muMM: return CPointsToPixels * 2.83464;
    case TkmUnitType::muPoints: return CPointsToPixels;
    case TkmUnitType::muTwips: return CPointsToPixels * 0.05;
  }
  return 1.0;
}

std::u16string ReverseString(std::u16string_view s) { return std::u16string(s.rbegin(), s.rend()); }

std::u16string RemoveTerminalCRLF(std::u16string_view text) {
  if (text.size() >= 2 && text.ends_with(u"\r\n")) text.remove_suffix(2);
  return std::u16string(text);
}

}  // namespace km
