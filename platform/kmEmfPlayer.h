#pragma once
// Replays the records of an enhanced metafile onto any canvas, mapped so that
// the metafile's frame fills a destination rectangle (in the canvas's logical
// units). Playing onto a TMetafileCanvas copies a metafile into another one;
// playing onto a bitmap's canvas rasterises it. The metafile's own mapping
// (map mode, window, viewport, world transform) is folded into the canvas's
// world transform, so shapes, pen widths and text scale with it.
//
// Damaged input stops the replay at the damaged record (everything before it
// is drawn); records that cannot be decoded are skipped. The canvas's state
// is saved before and restored after the replay.

#include <cstdint>
#include <span>

#include "kmCanvas.h"

namespace km {

struct TEmfPlayResult {
  std::size_t RecordsPlayed = 0;   // records handled or skipped, header and EOF included
  std::size_t RecordsSkipped = 0;  // records whose fields could not be read
  bool Complete = false;           // reached EMR_EOF
};

TEmfPlayResult PlayEnhMetaFile(TCanvas& canvas, std::span<const std::uint8_t> emf, const TRect& dest);

}  // namespace km
