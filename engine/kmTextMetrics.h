#pragma once
// How the engine measures text. Layout (wrapping, alignment, justification,
// anchors) asks one metrics service for the extent of a UTF-16 text in a
// font; the default one is the platform's font services, and tests install
// one with fixed advances so that layout results are exact.

#include <memory>
#include <string>

#include "kmEngineTypes.h"
#include "kmGraphicsValues.h"

namespace km {

class IkmTextMetrics {
 public:
  virtual ~IkmTextMetrics() = default;
  // Extent of the text drawn in the font, in screen pixels: the advance of
  // the whole text and the font's cell height. An empty text has width 0.
  virtual TkmSize TextExtent(const std::u16string& Text, const TFont& Font) const = 0;
};

// The installed fonts, through the process-wide font catalogue.
class TkmFontServiceMetrics final : public IkmTextMetrics {
 public:
  TkmSize TextExtent(const std::u16string& Text, const TFont& Font) const override;
};

// The shared default service.
std::shared_ptr<const IkmTextMetrics> DefaultTextMetrics();

}  // namespace km
