// Hostile bytes through the support library's byte readers: the Flate
// decoder and the big-endian stream reads that font parsing builds on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "kmClasses3.h"
#include "kmErrors.h"
#include "kmFilters3.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  km::TkmFlateFilter filter;
  km::TMemoryStream input;
  input.WriteBuffer(data, size);
  try {
    auto decoded = filter.Decode(input);
    // Whatever decodes must survive a round trip unchanged.
    auto again = filter.Decode(*filter.Encode(*decoded, km::TCompressionLevel::clFastest));
    if (again->ToString() != decoded->ToString()) std::abort();
  } catch (const km::EkmFilterError&) {
  }

  // A table directory walk: a count, then records of tag, offset and length,
  // each followed to its data.
  km::TkmExtMemStream font;
  font.WriteBuffer(data, size);
  font.SetPosition(0);
  try {
    std::uint16_t count = font.ReadUShort();
    for (std::uint16_t i = 0; i < count; ++i) {
      font.ReadString(4);
      std::uint32_t offset = font.ReadULong();
      std::uint32_t length = font.ReadULong();
      std::int64_t back = font.GetPosition();
      font.SetPosition(offset);
      font.ReadString(length % 4096);
      font.SkipBytes(-static_cast<std::int64_t>(length));
      font.ReadShort();
      font.SetPosition(back);
    }
  } catch (const km::EkmStreamError&) {
  }
  return 0;
}
