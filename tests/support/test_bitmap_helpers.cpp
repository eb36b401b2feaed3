// The bitmap helpers that turn pictures into masks.
#include <gtest/gtest.h>

#include <vector>

#include "kmBitmap.h"
#include "kmDocUtils.h"
#include "kmPngImage.h"
#include "kmStreams.h"

namespace km {
namespace {

TEST(InvertBitmap, BlackBecomesWhiteAndEveryLitChannelZero) {
  struct Case {
    TPixelFormat format;
    TColor in, out;
  };
  const Case cases[] = {
      {TPixelFormat::pf24bit, clWhite, clBlack},
      {TPixelFormat::pf24bit, clBlack, clWhite},
      {TPixelFormat::pf24bit, RGB(1, 0, 200), RGB(0, 255, 0)},
      {TPixelFormat::pf32bit, RGB(255, 0, 0), RGB(0, 255, 255)},
      {TPixelFormat::pf8bit, clBlack, clWhite},  // palette bitmaps are widened first
      {TPixelFormat::pf1bit, clWhite, clBlack},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << BitsPerPixel(c.format) << " bits, " << std::hex << c.in);
    TBitmap b(5, 3, c.format);  // 5 pixels: the row has padding bytes that must stay out of it
    b.Fill(c.in);
    TBitmap& r = InvertBitmap(b);
    EXPECT_EQ(&r, &b);
    EXPECT_EQ(b.GetPixelFormat(), TPixelFormat::pf24bit);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) ASSERT_EQ(b.GetPixel(x, y), c.out) << x << "," << y;
  }
}

TPngImage PngWithAlpha(int w, int h, bool alpha, std::uint8_t a) {
  std::vector<std::uint8_t> rgba;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) rgba.insert(rgba.end(), {static_cast<std::uint8_t>(x * 40), 10, 200, a});
  TPngImage p;
  p.SetPixels(w, h, rgba, alpha);
  return p;
}

TBitmap LoadBmp(TMemoryStream& s) {
  TBitmap b;
  b.LoadFromBytes(std::span<const std::uint8_t>(s.Memory(), static_cast<std::size_t>(s.GetSize())));
  return b;
}

TEST(SourceAndMask, APictureWithoutAlphaLeavesBothStreamsAlone) {
  TMemoryStream src, mask;
  src.WriteString("keep");
  EXPECT_FALSE(GetSourceandMaskStreamfromPNGStream(PngWithAlpha(3, 2, false, 255), src, mask));
  EXPECT_EQ(src.ToString(), "keep");
  EXPECT_EQ(mask.GetSize(), 0);
}

TEST(SourceAndMask, OpaquePictureGivesAnAllZeroMaskToTheLastColumn) {
  TMemoryStream src, mask;
  src.WriteString(std::string(5000, 'x'));  // a longer stream is cut to the bitmap
  ASSERT_TRUE(GetSourceandMaskStreamfromPNGStream(PngWithAlpha(5, 3, true, 255), src, mask));
  TBitmap colour = LoadBmp(src), m = LoadBmp(mask);
  EXPECT_EQ(colour.GetPixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(m.GetPixelFormat(), TPixelFormat::pf8bit);
  ASSERT_EQ(m.GetWidth(), 5);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(m.ScanLine(y)[x], 0) << x << "," << y;
      EXPECT_EQ(colour.GetPixel(x, y), RGB(x * 40, 10, 200));
    }
  }
}

TEST(SourceAndMask, MaskValueIsTheInverseOfAlphaOnAGreyPalette) {
  for (std::uint8_t a : {0, 1, 127, 128, 254}) {
    SCOPED_TRACE(int(a));
    TMemoryStream src, mask;
    ASSERT_TRUE(GetSourceandMaskStreamfromPNGStream(PngWithAlpha(2, 2, true, a), src, mask));
    TBitmap m = LoadBmp(mask);
    EXPECT_EQ(m.ScanLine(1)[1], 255 - a);
    EXPECT_EQ(m.GetPixel(1, 1), RGB(255 - a, 255 - a, 255 - a));
  }
}

}  // namespace
}  // namespace km
