// Decodes arbitrary bytes as a BMP file and as a packed DIB split in two.
#include <cstddef>
#include <cstdint>
#include <span>

#include "kmBitmap.h"
#include "kmException.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  try {
    km::TBitmap b;
    b.LoadFromBytes(bytes);
    km::TBytes saved = b.SaveToBytes();
    km::TBitmap again;
    again.LoadFromBytes(saved);
    if (!(again == b)) __builtin_trap();
  } catch (const km::EkmError&) {
  }
  if (size >= 4) {
    std::size_t split = data[0] % size;
    try {
      km::TBitmap b;
      b.LoadFromDib(bytes.subspan(0, split), bytes.subspan(split));
    } catch (const km::EkmError&) {
    }
  }
  return 0;
}
