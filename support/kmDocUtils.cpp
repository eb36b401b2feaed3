#include "kmDocUtils.h"

#include "kmBitmap.h"
#include "kmPngImage.h"
#include "kmScreen.h"
#include "kmStreams.h"

namespace km {

double CalculateNativeUnitFactor(TkmUnitType unit) {
  switch (unit) {
    case TkmUnitType::muPixels: return 1.0;
    case TkmUnitType::muInches: return CPointsToPixels * 72.0;
    case TkmUnitType::muMM: return CPointsToPixels * 2.83464;
    case TkmUnitType::muPoints: return CPointsToPixels;
    case TkmUnitType::muTwips: return CPointsToPixels * 0.05;
  }
  return 1.0;
}

std::u16string ReverseString(std::u16string_view s) { return std::u16string(s.rbegin(), s.rend()); }

std::u16string RemoveTerminalCRLF(std::u16string_view text) {
  if (text.size() >= 2 && text.ends_with(u"\r\n")) text.remove_suffix(2);
  return std::u16string(text);
}

TBitmap& InvertBitmap(TBitmap& ABitmap) {
  ABitmap.SetPixelFormat(TPixelFormat::pf24bit);
  const int bytes = ABitmap.GetWidth() * 3;
  for (int y = 0; y < ABitmap.GetHeight(); ++y) {
    std::uint8_t* row = ABitmap.ScanLine(y);
    for (int i = 0; i < bytes; ++i) row[i] = row[i] == 0 ? 255 : 0;
  }
  return ABitmap;
}

namespace {

void WriteBitmapFrom0(const TBitmap& bmp, TStream& stream) {
  TBytes bytes = bmp.SaveToBytes();
  stream.SetPosition(0);
  stream.WriteBuffer(bytes.data(), bytes.size());
  // A longer stream would keep stale bytes after the file.
  stream.SetSize(stream.GetPosition());
}

}  // namespace

bool GetSourceandMaskStreamfromPNGStream(const TPngImage& APng, TStream& ASourceStream, TStream& AMaskStream) {
  if (!APng.HasAlpha()) return false;
  const int w = APng.GetWidth(), h = APng.GetHeight();
  TBitmap source(w, h, TPixelFormat::pf24bit);
  TBitmap mask(w, h, TPixelFormat::pf8bit);
  std::vector<TColor> greys(256);
  for (int i = 0; i < 256; ++i) greys[i] = RGB(i, i, i);
  mask.SetPalette(std::move(greys));
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* src = APng.Scanline(y);
    std::uint8_t* colour = source.ScanLine(y);
    std::uint8_t* alpha = mask.ScanLine(y);
    for (int x = 0; x < w; ++x, src += 4, colour += 3) {
      colour[0] = src[2];
      colour[1] = src[1];
      colour[2] = src[0];
      alpha[x] = static_cast<std::uint8_t>(255 - src[3]);
    }
  }
  WriteBitmapFrom0(source, ASourceStream);
  WriteBitmapFrom0(mask, AMaskStream);
  return true;
}

}  // namespace km
