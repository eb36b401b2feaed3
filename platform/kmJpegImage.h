#pragma once
// JPEG pictures on libjpeg-turbo. A TJPEGImage keeps the encoded bytes as they
// were loaded or produced (saving writes them back unchanged, so equal
// pictures save to equal bytes) and decodes them when it is drawn.

#include <cstdint>
#include <memory>
#include <span>

#include "kmBitmap.h"
#include "kmGraphic.h"

namespace km {

// The colour model of a JPEG's samples.
enum class TJPEGColorSpace { jcsGray, jcsRGB, jcsCMYK };

// What the frame header of a JPEG says.
struct TJPEGInfo {
  int Width = 0;
  int Height = 0;
  int Components = 0;
  TJPEGColorSpace ColorSpace = TJPEGColorSpace::jcsRGB;
  // CMYK samples stored inverted (0 = full ink), as an Adobe APP14 marker
  // declares; PDF readers need the decode array [1 0 1 0 1 0 1 0] for them.
  bool AdobeInverted = false;
};

// Reads the headers of a JPEG file; throws EInvalidGraphic when the bytes are
// not a JPEG libjpeg can decode.
TJPEGInfo ReadJPEGInfo(std::span<const std::uint8_t> bytes);

// Encodes a bitmap as a baseline JFIF file at quality 1..100 (clamped). The
// same bitmap and quality always give the same bytes.
TBytes EncodeJPEG(const TBitmap& bitmap, int quality, bool grayscale = false);

// Decodes a JPEG into a 24-bit bitmap (CMYK is converted to RGB); throws
// EInvalidGraphic for damaged data that libjpeg cannot decode at all.
TBitmap DecodeJPEG(std::span<const std::uint8_t> bytes);

class TJPEGImage : public TGraphic {
 public:
  TJPEGImage() = default;

  int GetWidth() const override { return info_.Width; }
  int GetHeight() const override { return info_.Height; }
  bool Empty() const override { return data_.empty(); }
  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TJPEGImage>(*this); }
  // The JPEG bytes as they are.
  void SaveToBytes(TBytes& out) const override { out = data_; }
  using TGraphic::SaveToBytes;
  // Accepts a JPEG file (headers checked); throws EInvalidGraphic otherwise.
  void LoadFromBytes(std::span<const std::uint8_t> bytes) override;
  void DrawOn(TCanvas& canvas, const TRect& dest) const override;

  // Quality used by the next Assign (1..100, 90 unless set).
  int GetCompressionQuality() const { return quality_; }
  void SetCompressionQuality(int q) { quality_ = q < 1 ? 1 : q > 100 ? 100 : q; }
  // Whether Assign writes one grey component.
  bool GetGrayscale() const { return info_.ColorSpace == TJPEGColorSpace::jcsGray && !data_.empty(); }
  void SetGrayscale(bool v) { grayscale_ = v; }

  // Replaces the content by the bitmap encoded at the current quality.
  void Assign(const TBitmap& bitmap);
  // The decoded pixels as a 24-bit bitmap.
  TBitmap ToBitmap() const;

  const TJPEGInfo& Info() const { return info_; }
  const TBytes& Data() const { return data_; }

 private:
  TBytes data_;
  TJPEGInfo info_;
  int quality_ = 90;
  bool grayscale_ = false;
};

}  // namespace km
