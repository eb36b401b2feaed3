// Hostile bytes through the RTF reader, then a layout of whatever it read
// into a small rectangle (measuring every run with the font services).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "kmRichText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  km::TRichText doc;
  try {
    doc = km::TRichText::FromRtf(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const km::ERichTextError&) {
    return 0;
  }
  km::TRichFormatRange range;
  range.Rect = {0, 0, 200, 60};
  int next = km::FormatRange(doc, nullptr, range);
  if (next < 0 || next > doc.Length()) __builtin_trap();
  return 0;
}
