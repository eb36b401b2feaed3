#pragma once
// Device-independent bitmaps: 1, 4, 8, 24 and 32 bits per pixel, rows top to
// bottom in the DIB byte layout (BGR, BGRA, packed palette indices with the
// leftmost pixel in the high bits), each row padded to 4 bytes. BMP files and
// packed DIBs load and save; a raster canvas paints on the bitmap.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "kmByteReader.h"
#include "kmColors.h"
#include "kmGraphic.h"

namespace km {

class TRasterCanvas;

// Pixel formats in the component library's order. pfDevice is stored as 24
// bits; 15 and 16 bits are decoded into 24 bits on load.
enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// How the fourth byte of a 32-bit pixel is read: ignored (the default), or as
// straight (not premultiplied) alpha that canvases blend with where they can.
enum class TAlphaFormat { afIgnored, afDefined };

// Bits per pixel of a stored format (1, 4, 8, 24 or 32).
int BitsPerPixel(TPixelFormat pf);

// Luminance of a colour, 0..255, with the weights 0.299, 0.587, 0.114.
int Luminance(TColor rgb);

class TBitmap : public TGraphic {
 public:
  TBitmap();
  TBitmap(int width, int height, TPixelFormat pf = TPixelFormat::pf24bit);
  ~TBitmap() override;
  TBitmap(const TBitmap& other);
  TBitmap& operator=(const TBitmap& other);

  int GetWidth() const override { return width_; }
  int GetHeight() const override { return height_; }
  bool Empty() const override { return width_ == 0 || height_ == 0; }
  std::unique_ptr<TGraphic> Clone() const override;
  // A BMP file: 14-byte file header, BITMAPINFOHEADER, palette for 1, 4 and 8
  // bits, bottom-up rows.
  void SaveToBytes(TBytes& out) const override;
  // BMP file; throws EInvalidGraphic when the data is not a BMP this class reads.
  void LoadFromBytes(std::span<const std::uint8_t> bytes) override;
  using TGraphic::SaveToBytes;
  void DrawOn(TCanvas& canvas, const TRect& dest) const override;

  // Resizes; the content is kept where it overlaps, new pixels are white.
  void SetSize(int width, int height);
  void SetWidth(int w) { SetSize(w, height_); }
  void SetHeight(int h) { SetSize(width_, h); }

  TPixelFormat GetPixelFormat() const { return format_; }
  // Converts the pixels. Reduction to 1 bit makes each pixel the nearer of
  // black and white by luminance (128 and up is white); to 4 and 8 bits the
  // nearest entry of the standard palette.
  void SetPixelFormat(TPixelFormat pf);
  int GetBitCount() const { return BitsPerPixel(format_); }

  // Row y (0 = top) in the DIB byte layout; the non-const form marks the
  // pixels as changed so that the canvas picks them up.
  std::uint8_t* ScanLine(int y);
  const std::uint8_t* ScanLine(int y) const;
  int GetStride() const { return stride_; }

  // A pixel as 0x00BBGGRR (palette formats resolve the index); black outside.
  TColor GetPixel(int x, int y) const;
  // Sets a pixel; palette formats take the nearest entry. Ignored outside.
  void SetPixel(int x, int y, TColor color);

  // Palette of the 1, 4 and 8-bit formats, as 0x00BBGGRR.
  const std::vector<TColor>& GetPalette() const { return palette_; }
  void SetPalette(std::vector<TColor> palette);

  // The raster operation with which this bitmap is meant to be drawn
  // (SRCCOPY unless set); kept with the bitmap, read by image writers.
  std::uint32_t GetCopyMode() const { return copy_mode_; }
  void SetCopyMode(std::uint32_t rop) { copy_mode_ = rop; }

  TAlphaFormat GetAlphaFormat() const { return alpha_format_; }
  void SetAlphaFormat(TAlphaFormat v) { alpha_format_ = v; }

  // Transparent colour used when GetTransparent() is set.
  TColor GetTransparentColor() const { return transparent_color_; }
  void SetTransparentColor(TColor c) { transparent_color_ = c; }

  // The canvas that paints on this bitmap (created on first use, owned by it).
  TCanvas& Canvas();

  // Fills every pixel with a colour.
  void Fill(TColor color);

  // Reads a packed DIB: a BITMAPINFOHEADER (or BITMAPCOREHEADER / V4 / V5
  // header) with its colour table in info, and the pixel rows in bits.
  // Throws EInvalidGraphic for sizes or formats it cannot decode.
  void LoadFromDib(std::span<const std::uint8_t> info, std::span<const std::uint8_t> bits);
  // Writes BITMAPINFOHEADER + colour table into info and the bottom-up rows
  // into bits.
  void SaveToDib(TBytes& info, TBytes& bits) const;

  friend bool operator==(const TBitmap& a, const TBitmap& b);

 private:
  friend class TRasterCanvas;
  void Allocate(int width, int height, TPixelFormat pf);
  void SyncFromCanvas() const;
  void DecodeDib(std::span<const std::uint8_t> info, std::span<const std::uint8_t> bits);
  void Touch() { ++change_count_; }
  std::uint32_t GetIndex(int x, int y) const;
  void SetIndex(int x, int y, std::uint32_t index);
  std::uint8_t NearestIndex(TColor rgb) const;

  int width_ = 0;
  int height_ = 0;
  TPixelFormat format_ = TPixelFormat::pf24bit;
  int stride_ = 0;
  mutable std::vector<std::uint8_t> pixels_;
  std::vector<TColor> palette_;
  std::uint32_t copy_mode_ = SRCCOPY;
  TAlphaFormat alpha_format_ = TAlphaFormat::afIgnored;
  TColor transparent_color_ = clWhite;
  std::unique_ptr<TRasterCanvas> canvas_;
  mutable bool canvas_dirty_ = false;
  std::uint64_t change_count_ = 0;
};

// The default palette of a bit depth: black and white; the 16 VGA colours;
// 16 VGA colours, a 6x6x6 colour cube and grays for 8 bits.
std::vector<TColor> DefaultPalette(int bits);

}  // namespace km
