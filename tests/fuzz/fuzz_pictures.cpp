// Decodes arbitrary bytes as a JPEG and as a PNG picture; whatever decodes
// must save and load back to the same picture.
#include <cstddef>
#include <cstdint>
#include <span>

#include "kmException.h"
#include "kmJpegImage.h"
#include "kmPngImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  try {
    km::TJPEGImage j;
    j.LoadFromBytes(bytes);
    km::TBitmap b = j.ToBitmap();
    if (b.GetWidth() != j.GetWidth() || b.GetHeight() != j.GetHeight()) __builtin_trap();
  } catch (const km::EkmError&) {
  }
  try {
    km::TPngImage p;
    p.LoadFromBytes(bytes);
    km::TPngImage again;
    again.LoadFromBytes(p.SaveToBytes());
    if (again.SaveToBytes() != p.SaveToBytes() || again.HasAlpha() != p.HasAlpha()) __builtin_trap();
  } catch (const km::EkmError&) {
  }
  return 0;
}
