// Walks the records of arbitrary bytes, then replays them onto a small bitmap:
// neither may read out of bounds or crash.
#include <cstddef>
#include <cstdint>
#include <span>

#include "kmBitmap.h"
#include "kmEmfPlayer.h"
#include "kmEmfReader.h"
#include "kmException.h"
#include "kmMetafile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  km::TEmfReadResult r = km::ReadEmfRecords(bytes);
  std::size_t end = 0;
  for (const auto& rec : r.Records) {
    if (rec.Offset != end || rec.Size < 8 || rec.Size % 4 != 0) __builtin_trap();
    end = rec.Offset + rec.Size;
  }
  if (end > size) __builtin_trap();
  if (!r.Records.empty()) {
    try {
      km::TMetafile mf;
      mf.LoadFromBytes(bytes);
      km::TBitmap target(48, 32);
      target.Canvas().StretchDraw(km::TRect{0, 0, 48, 32}, mf);
      (void)target.GetPixel(0, 0);
    } catch (const km::EkmError&) {
    }
  }
  return 0;
}
