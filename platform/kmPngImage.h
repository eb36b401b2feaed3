#pragma once
// PNG pictures on libpng. Any PNG (palette, grey, 16-bit, interlaced, with or
// without transparency) is decoded into 8-bit RGBA pixels; a picture has an
// alpha channel when the file carries alpha samples or a tRNS chunk. Saving
// encodes the pixels again with fixed settings, so equal pixels give equal
// bytes whatever file they came from.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "kmBitmap.h"
#include "kmGraphic.h"

namespace km {

class TPngImage : public TGraphic {
 public:
  TPngImage() = default;

  int GetWidth() const override { return width_; }
  int GetHeight() const override { return height_; }
  bool Empty() const override { return width_ == 0 || height_ == 0; }
  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TPngImage>(*this); }
  // A PNG file: RGBA when the picture has alpha, RGB otherwise, 8 bits per
  // sample, no ancillary chunks.
  void SaveToBytes(TBytes& out) const override;
  using TGraphic::SaveToBytes;
  // Accepts a PNG file; throws EInvalidGraphic for anything libpng refuses.
  // Transparent is set exactly when the picture has alpha.
  void LoadFromBytes(std::span<const std::uint8_t> bytes) override;
  // Blends the picture over the canvas by its alpha where the canvas can.
  void DrawOn(TCanvas& canvas, const TRect& dest) const override;

  bool HasAlpha() const { return has_alpha_; }
  // Colour of a pixel as 0x00BBGGRR and its alpha (255 = opaque); black and 0
  // outside the picture.
  TColor GetPixel(int x, int y) const;
  std::uint8_t GetAlpha(int x, int y) const;
  // Row y (0 = top) as width * 4 bytes R, G, B, A.
  const std::uint8_t* Scanline(int y) const;

  // Replaces the content by the bitmap's pixels, opaque and without alpha.
  void Assign(const TBitmap& bitmap);
  // Replaces the content by RGBA rows (width * height * 4 bytes); with
  // has_alpha false the alpha samples are forced to 255.
  void SetPixels(int width, int height, std::span<const std::uint8_t> rgba, bool has_alpha);
  // The colours as a 24-bit bitmap (alpha dropped).
  TBitmap ToBitmap() const;

 private:
  int width_ = 0;
  int height_ = 0;
  bool has_alpha_ = false;
  std::vector<std::uint8_t> rgba_;
};

}  // namespace km
