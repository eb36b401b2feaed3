#pragma once
// An enhanced metafile as a picture: the bytes of a complete EMF, its pixel
// size (the frame measured on its reference device) and a way to play it on
// any canvas. Windows metafiles (WMF) are refused with a clear error.

#include <cstdint>
#include <span>

#include "kmGraphic.h"

namespace km {

class TMetafile : public TGraphic {
 public:
  TMetafile() = default;

  // Pixel size: the frame of the loaded or recorded metafile, or the size set
  // for the next recording.
  int GetWidth() const override { return width_; }
  int GetHeight() const override { return height_; }
  // The size a recording canvas gives the frame; set before recording.
  void SetWidth(int w) { width_ = w < 0 ? 0 : w; }
  void SetHeight(int h) { height_ = h < 0 ? 0 : h; }
  // Frame size in 0.01 mm.
  int GetMMWidth() const { return mm_width_; }
  int GetMMHeight() const { return mm_height_; }
  bool GetEnhanced() const { return true; }

  bool Empty() const override { return data_.empty(); }
  std::unique_ptr<TGraphic> Clone() const override;
  // The EMF bytes as they are.
  void SaveToBytes(TBytes& out) const override { out = data_; }
  using TGraphic::SaveToBytes;
  // Accepts an enhanced metafile; throws EInvalidGraphic for a Windows
  // metafile ("Windows metafiles (WMF) are not supported: ...") or any other data.
  void LoadFromBytes(std::span<const std::uint8_t> bytes) override;
  // Plays the records into dest.
  void DrawOn(TCanvas& canvas, const TRect& dest) const override;

  const TBytes& Data() const { return data_; }
  void Clear();

  // Used by the recording canvas when it closes.
  void SetRecorded(TBytes bytes, int width, int height, int mm_width, int mm_height);

 private:
  TBytes data_;
  int width_ = 0;
  int height_ = 0;
  int mm_width_ = 0;
  int mm_height_ = 0;
};

// True for the two Windows metafile forms: a placeable file (key 0x9AC6CDD7)
// or a plain one (header of 9 words, type 1 or 2).
bool LooksLikeWmf(std::span<const std::uint8_t> bytes);

}  // namespace km
