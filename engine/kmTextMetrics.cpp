#include "kmTextMetrics.h"

#include "kmUtilsFonts.h"

namespace km {

TkmSize TkmFontServiceMetrics::TextExtent(const std::u16string& Text, const TFont& Font) const {
  const TSize size = km::TextSize(Text, Font);
  return TkmSize{size.cx, size.cy};
}

std::shared_ptr<const IkmTextMetrics> DefaultTextMetrics() {
  static const std::shared_ptr<const IkmTextMetrics> service = std::make_shared<TkmFontServiceMetrics>();
  return service;
}

}  // namespace km
