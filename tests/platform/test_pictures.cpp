// Pictures: BMP, JPEG and PNG load and save, copies, deterministic bytes,
// files of an independent producer, damaged data.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <typeinfo>

#include "kmBitmap.h"
#include "kmException.h"
#include "kmFileBytes.h"
#include "kmJpegImage.h"
#include "kmMetafile.h"
#include "kmMetafileCanvas.h"
#include "kmPngImage.h"

namespace km {
namespace {

std::string Fixture(const std::string& name) { return std::string(KM_SOURCE_DIR) + "/tests/data/pictures/" + name; }

// A 24-bit picture with gradients and blocks of 8 x 8 pixels.
TBitmap Pattern(int w, int h) {
  TBitmap b(w, h, TPixelFormat::pf24bit);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixel(x, y, RGB((x * 255) / std::max(1, w - 1), (y * 255) / std::max(1, h - 1), (x / 8 + y / 8) % 2 ? 90 : 160));
  return b;
}

double Psnr(const TBitmap& a, const TBitmap& b) {
  double se = 0;
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x) {
      TColor p = a.GetPixel(x, y), q = b.GetPixel(x, y);
      for (int s : {0, 8, 16}) {
        double d = static_cast<int>((p >> s) & 0xFF) - static_cast<int>((q >> s) & 0xFF);
        se += d * d;
      }
    }
  double mse = se / (3.0 * a.GetWidth() * a.GetHeight());
  return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

bool Near(TColor a, TColor b, int tol) {
  for (int s : {0, 8, 16})
    if (std::abs(static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF)) > tol) return false;
  return true;
}

// ---- BMP

TEST(Pictures, BitmapRoundTripsAtEveryDepth) {
  for (TPixelFormat pf : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf24bit,
                          TPixelFormat::pf32bit}) {
    SCOPED_TRACE(BitsPerPixel(pf));
    TBitmap src = Pattern(13, 5);  // 13: rows need padding at every depth
    src.SetPixelFormat(pf);
    TBytes bytes = src.SaveToBytes();
    TBitmap back;
    back.LoadFromBytes(bytes);
    EXPECT_EQ(back.GetWidth(), 13);
    EXPECT_EQ(back.GetHeight(), 5);
    EXPECT_EQ(back.GetPixelFormat(), src.GetPixelFormat());
    EXPECT_TRUE(back == src);
    EXPECT_EQ(back.SaveToBytes(), bytes);
  }
}

// ---- JPEG

TEST(Pictures, JpegEncodesAtItsQualityAndRoundTrips) {
  TBitmap src = Pattern(40, 24);
  TJPEGImage lo, hi;
  lo.SetCompressionQuality(30);
  lo.Assign(src);
  hi.SetCompressionQuality(95);
  hi.Assign(src);
  EXPECT_EQ(hi.GetWidth(), 40);
  EXPECT_EQ(hi.GetHeight(), 24);
  EXPECT_LT(lo.SaveToBytes().size(), hi.SaveToBytes().size());
  EXPECT_GT(Psnr(hi.ToBitmap(), src), Psnr(lo.ToBitmap(), src));
  EXPECT_GT(Psnr(hi.ToBitmap(), src), 30.0);

  // Saved bytes load back unchanged and save again byte for byte.
  TBytes bytes = hi.SaveToBytes();
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xD8);
  TJPEGImage back;
  back.LoadFromBytes(bytes);
  EXPECT_EQ(back.SaveToBytes(), bytes);
  EXPECT_EQ(back.GetWidth(), 40);
  EXPECT_EQ(back.Info().ColorSpace, TJPEGColorSpace::jcsRGB);
}

TEST(Pictures, JpegQualityIsClampedAndGreyWritesOneComponent) {
  TJPEGImage j;
  j.SetCompressionQuality(0);
  EXPECT_EQ(j.GetCompressionQuality(), 1);
  j.SetCompressionQuality(250);
  EXPECT_EQ(j.GetCompressionQuality(), 100);
  j.SetGrayscale(true);
  j.Assign(Pattern(8, 8));
  EXPECT_EQ(j.Info().Components, 1);
  EXPECT_TRUE(j.GetGrayscale());
}

TEST(Pictures, JpegFilesOfAnIndependentProducer) {
  struct Case {
    const char* file;
    TJPEGColorSpace cs;
    int components;
    bool inverted;
    TColor left, right;
  };
  const Case cases[] = {
      {"rgb.jpg", TJPEGColorSpace::jcsRGB, 3, false, clRed, clBlue},
      {"grey.jpg", TJPEGColorSpace::jcsGray, 1, false, clBlack, clWhite},
      // Adobe CMYK: inverted samples; red and blue must come out as such.
      {"cmyk_adobe.jpg", TJPEGColorSpace::jcsCMYK, 4, true, clRed, clBlue},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    TJPEGImage j;
    j.LoadFromFile(Fixture(c.file));
    EXPECT_EQ(j.GetWidth(), 16);
    EXPECT_EQ(j.GetHeight(), 8);
    EXPECT_EQ(j.Info().ColorSpace, c.cs);
    EXPECT_EQ(j.Info().Components, c.components);
    EXPECT_EQ(j.Info().AdobeInverted, c.inverted);
    TBitmap b = j.ToBitmap();
    EXPECT_TRUE(Near(b.GetPixel(2, 3), c.left, 12)) << std::hex << b.GetPixel(2, 3);
    EXPECT_TRUE(Near(b.GetPixel(13, 3), c.right, 12)) << std::hex << b.GetPixel(13, 3);
    EXPECT_EQ(j.SaveToBytes(), ReadFileBytes(Fixture(c.file)));
  }
}

// ---- PNG

TEST(Pictures, PngFilesOfAnIndependentProducer) {
  struct Case {
    const char* file;
    bool alpha;
    TColor left, right;
    int left_alpha, right_alpha;
  };
  const Case cases[] = {
      {"rgb.png", false, clRed, clBlue, 255, 255},
      {"rgba.png", true, clRed, clBlue, 255, 128},
      {"grey_alpha.png", true, clBlack, clWhite, 255, 0},
      {"palette_trns.png", true, clRed, clBlue, 255, 0},  // a tRNS chunk counts as alpha
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    TPngImage p;
    p.LoadFromFile(Fixture(c.file));
    EXPECT_EQ(p.GetWidth(), 16);
    EXPECT_EQ(p.GetHeight(), 8);
    EXPECT_EQ(p.HasAlpha(), c.alpha);
    EXPECT_EQ(p.GetTransparent(), c.alpha);
    EXPECT_EQ(p.GetPixel(2, 3), c.left);
    EXPECT_EQ(p.GetPixel(13, 3), c.right);
    EXPECT_EQ(p.GetAlpha(2, 3), c.left_alpha);
    EXPECT_EQ(p.GetAlpha(13, 3), c.right_alpha);
  }
  TPngImage p;
  p.LoadFromFile(Fixture("rgba.png"));
  EXPECT_EQ(p.GetAlpha(0, 0), 0);
}

TEST(Pictures, PngRoundTripsThroughItsOwnBytes) {
  for (const char* file : {"rgb.png", "rgba.png", "grey_alpha.png", "palette_trns.png"}) {
    SCOPED_TRACE(file);
    TPngImage p;
    p.LoadFromFile(Fixture(file));
    TBytes bytes = p.SaveToBytes();
    TPngImage back;
    back.LoadFromBytes(bytes);
    EXPECT_EQ(back.HasAlpha(), p.HasAlpha());
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 16; ++x) {
        ASSERT_EQ(back.GetPixel(x, y), p.GetPixel(x, y)) << x << "," << y;
        ASSERT_EQ(back.GetAlpha(x, y), p.GetAlpha(x, y)) << x << "," << y;
      }
    EXPECT_EQ(back.SaveToBytes(), bytes);
  }
}

TEST(Pictures, PngAssignedFromABitmapHasNoAlpha) {
  TBitmap src = Pattern(9, 4);
  TPngImage p;
  p.Assign(src);
  EXPECT_FALSE(p.HasAlpha());
  EXPECT_FALSE(p.GetTransparent());
  EXPECT_TRUE(p.ToBitmap() == src);
}

TEST(Pictures, PngWithAlphaBlendsOverABitmap) {
  TPngImage p;
  p.LoadFromFile(Fixture("rgba.png"));
  TBitmap dest(16, 8, TPixelFormat::pf24bit);
  dest.Fill(clWhite);
  dest.Canvas().StretchDraw(TRect{0, 0, 16, 8}, p);
  EXPECT_EQ(dest.GetPixel(0, 0), clWhite);               // fully transparent
  EXPECT_EQ(dest.GetPixel(3, 3), clRed);                 // opaque
  EXPECT_TRUE(Near(dest.GetPixel(12, 3), RGB(127, 127, 255), 1)) << std::hex << dest.GetPixel(12, 3);
}

// ---- Every picture class

using Factory = std::function<std::unique_ptr<TGraphic>()>;

TMetafile SmallMetafile() {
  TMetafile mf;
  mf.SetWidth(20);
  mf.SetHeight(10);
  {
    TMetafileCanvas c(mf);
    c.Rectangle(1, 1, 15, 8);
  }
  return mf;
}

TEST(Pictures, EqualPicturesSaveToEqualBytesAndCopiesAreFaithful) {
  const std::pair<const char*, Factory> makers[] = {
      {"bitmap", [] { return std::make_unique<TBitmap>(Pattern(11, 7)); }},
      {"jpeg",
       [] {
         auto j = std::make_unique<TJPEGImage>();
         j->SetCompressionQuality(80);
         j->Assign(Pattern(11, 7));
         return j;
       }},
      {"png",
       [] {
         auto p = std::make_unique<TPngImage>();
         p->Assign(Pattern(11, 7));
         return p;
       }},
      {"metafile", [] { return std::make_unique<TMetafile>(SmallMetafile()); }},
  };
  for (const auto& [name, make] : makers) {
    SCOPED_TRACE(name);
    std::unique_ptr<TGraphic> a = make(), b = make();
    const TBytes bytes = a->SaveToBytes();
    EXPECT_FALSE(bytes.empty());
    EXPECT_EQ(b->SaveToBytes(), bytes);
    std::unique_ptr<TGraphic> copy = a->Clone();
    ASSERT_NE(copy, nullptr);
    const TGraphic& copied = *copy;
    const TGraphic& original = *a;
    EXPECT_EQ(typeid(copied), typeid(original));
    EXPECT_EQ(copy->SaveToBytes(), bytes);
    EXPECT_EQ(copy->GetWidth(), a->GetWidth());
    EXPECT_EQ(copy->GetHeight(), a->GetHeight());
  }
}

// A picture class that cannot copy itself: the base reports it with an
// empty pointer, which callers turn into "Unknown Graphics format".
class TUncopyablePicture : public TGraphic {
 public:
  int GetWidth() const override { return 1; }
  int GetHeight() const override { return 1; }
  bool Empty() const override { return false; }
  void SaveToBytes(TBytes& out) const override { out = {1}; }
  void LoadFromBytes(std::span<const std::uint8_t>) override {}
  void DrawOn(TCanvas&, const TRect&) const override {}
};

TEST(Pictures, APictureThatCannotBeCopiedSaysSo) {
  TUncopyablePicture p;
  EXPECT_EQ(p.Clone(), nullptr);
}

TEST(Pictures, DamagedDataIsRefusedWithAnError) {
  TBytes jpeg = EncodeJPEG(Pattern(16, 16), 90);
  TPngImage png;
  png.Assign(Pattern(16, 16));
  TBytes png_bytes = png.SaveToBytes();
  struct Case {
    const char* name;
    TBytes bytes;
  };
  std::vector<Case> cases = {
      {"empty", {}},
      {"garbage", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {"jpeg signature only", {0xFF, 0xD8, 0xFF}},
      {"png signature only", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}},
      {"jpeg cut inside its headers", TBytes(jpeg.begin(), jpeg.begin() + 40)},
      {"png cut inside its header", TBytes(png_bytes.begin(), png_bytes.begin() + 20)},
      {"png cut inside its data", TBytes(png_bytes.begin(), png_bytes.end() - 20)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TJPEGImage j;
    TPngImage p;
    bool jpeg_ok = true, png_ok = true;
    try {
      j.LoadFromBytes(c.bytes);
      (void)j.ToBitmap();
    } catch (const EInvalidGraphic&) {
      jpeg_ok = false;
    }
    try {
      p.LoadFromBytes(c.bytes);
    } catch (const EInvalidGraphic&) {
      png_ok = false;
    }
    EXPECT_FALSE(png_ok);
    if (std::string(c.name).find("png") == std::string::npos) {
      EXPECT_FALSE(jpeg_ok);
    }
  }
  // A JPEG cut inside its entropy-coded data still decodes (libjpeg pads it).
  TJPEGImage cut;
  cut.LoadFromBytes(TBytes(jpeg.begin(), jpeg.end() - 30));
  EXPECT_EQ(cut.ToBitmap().GetWidth(), 16);
  // A failed load keeps the previous picture.
  TJPEGImage keep;
  keep.Assign(Pattern(5, 5));
  EXPECT_THROW(keep.LoadFromBytes(TBytes{0, 1, 2}), EInvalidGraphic);
  EXPECT_EQ(keep.GetWidth(), 5);
}

}  // namespace
}  // namespace km
