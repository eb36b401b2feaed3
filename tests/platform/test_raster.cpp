// The bitmap canvas and metafile replay: shapes and their sampled pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "kmBitmap.h"
#include "kmEmfPlayer.h"
#include "kmMetafileCanvas.h"

namespace km {
namespace {

struct Sample {
  int x, y;
  TColor color;
};

struct ShapeCase {
  const char* name;
  std::function<void(TCanvas&)> draw;
  std::vector<Sample> samples;
};

void Solid(TCanvas& c, TColor pen, TColor brush, int width = 1) {
  c.GetPen().SetColor(pen);
  c.GetPen().SetWidth(width);
  c.GetBrush().SetColor(brush);
  c.GetBrush().SetStyle(TBrushStyle::bsSolid);
}

// Every case draws on a white 40 x 30 canvas.
std::vector<ShapeCase> Shapes() {
  return {
      {"rectangle: 1-pixel outline on the first and last rows and columns, brush inside",
       [](TCanvas& c) { Solid(c, clRed, clBlue); c.Rectangle(5, 5, 15, 12); },
       {{5, 5, clRed}, {14, 5, clRed}, {5, 11, clRed}, {14, 11, clRed}, {10, 8, clBlue}, {15, 8, clWhite},
        {10, 12, clWhite}, {4, 8, clWhite}}},
      {"rectangle with a clear pen fills one pixel less right and bottom",
       [](TCanvas& c) { Solid(c, clRed, clBlue); c.GetPen().SetStyle(TPenStyle::psClear); c.Rectangle(5, 5, 15, 12); },
       {{5, 5, clBlue}, {13, 10, clBlue}, {14, 10, clWhite}, {13, 11, clWhite}}},
      {"FillRect covers x1..x2-1",
       [](TCanvas& c) { Solid(c, clRed, clGreen); c.FillRect(TRect{2, 3, 6, 7}); },
       {{2, 3, clGreen}, {5, 6, clGreen}, {6, 6, clWhite}, {5, 7, clWhite}, {1, 3, clWhite}}},
      {"horizontal line leaves out its last pixel",
       [](TCanvas& c) { Solid(c, clBlack, clWhite); c.MoveTo(3, 4); c.LineTo(10, 4); },
       {{3, 4, clBlack}, {9, 4, clBlack}, {10, 4, clWhite}, {6, 3, clWhite}, {6, 5, clWhite}}},
      {"vertical line", [](TCanvas& c) { Solid(c, clBlack, clWhite); c.MoveTo(7, 2); c.LineTo(7, 20); },
       {{7, 2, clBlack}, {7, 19, clBlack}, {7, 20, clWhite}, {8, 10, clWhite}}},
      {"ellipse: filled centre, white corners",
       [](TCanvas& c) { Solid(c, clBlack, clYellow); c.Ellipse(0, 0, 40, 30); },
       {{20, 15, clYellow}, {1, 1, clWhite}, {38, 28, clWhite}, {20, 0, clBlack}, {0, 15, clBlack}}},
      {"polygon triangle",
       [](TCanvas& c) {
         Solid(c, clBlue, clBlue);
         TPoint pts[3] = {{0, 0}, {30, 0}, {0, 20}};
         c.Polygon(pts);
       },
       {{5, 5, clBlue}, {25, 15, clWhite}, {1, 1, clBlue}}},
      {"pie quarter: the upper right quarter of the box",
       [](TCanvas& c) { Solid(c, clGreen, clGreen); c.Pie(0, 0, 30, 30, 30, 15, 15, 0); },
       {{20, 8, clGreen}, {8, 20, clWhite}, {8, 8, clWhite}, {20, 20, clWhite}}},
      {"hatched brush in transparent mode keeps the background",
       [](TCanvas& c) {
         Solid(c, clBlack, clRed);
         c.GetPen().SetStyle(TPenStyle::psClear);
         c.GetBrush().SetStyle(TBrushStyle::bsHorizontal);
         c.SetBkMode(TRANSPARENT);
         c.Rectangle(0, 0, 16, 16);
       },
       {{3, 7, clRed}, {3, 6, clWhite}, {3, 15, clWhite}}},
      {"clip rectangle limits drawing",
       [](TCanvas& c) { Solid(c, clRed, clRed); c.IntersectClipRect(TRect{0, 0, 10, 10}); c.FillRect(TRect{0, 0, 20, 20}); },
       {{9, 9, clRed}, {10, 9, clWhite}, {9, 10, clWhite}}},
      {"saved clip comes back with RestoreDC",
       [](TCanvas& c) {
         Solid(c, clRed, clRed);
         c.SaveDC();
         c.IntersectClipRect(TRect{0, 0, 5, 5});
         c.RestoreDC(-1);
         c.FillRect(TRect{0, 0, 20, 20});
       },
       {{15, 15, clRed}}},
      {"world transform translates",
       [](TCanvas& c) {
         Solid(c, clBlue, clBlue);
         c.SetWorldTransform(TXForm{1, 0, 0, 1, 10, 5});
         c.FillRect(TRect{0, 0, 4, 4});
       },
       {{10, 5, clBlue}, {13, 8, clBlue}, {9, 5, clWhite}, {14, 8, clWhite}}},
      {"anisotropic mapping scales by viewport / window",
       [](TCanvas& c) {
         Solid(c, clBlue, clBlue);
         c.SetMapMode(MM_ANISOTROPIC);
         c.SetWindowExtEx(100, 100);
         c.SetViewportExtEx(50, 50);
         c.FillRect(TRect{20, 20, 40, 40});
       },
       {{10, 10, clBlue}, {19, 19, clBlue}, {20, 20, clWhite}, {9, 9, clWhite}}},
      {"path fill",
       [](TCanvas& c) {
         Solid(c, clRed, clGreen);
         c.BeginPath();
         c.MoveTo(0, 0);
         c.LineTo(20, 0);
         c.LineTo(20, 20);
         c.LineTo(0, 20);
         c.CloseFigure();
         c.EndPath();
         c.FillPath();
       },
       {{10, 10, clGreen}, {25, 10, clWhite}}},
      {"SetPixel", [](TCanvas& c) { c.SetPixel(3, 4, clPurple); }, {{3, 4, clPurple}, {4, 4, clWhite}}},
  };
}

TBitmap White(int w, int h) {
  TBitmap b(w, h);
  b.Fill(clWhite);
  return b;
}

void ExpectSamples(const TBitmap& b, const ShapeCase& cs, const std::string& how) {
  for (const Sample& s : cs.samples)
    EXPECT_EQ(b.GetPixel(s.x, s.y), s.color) << how << ": " << cs.name << " at (" << s.x << ", " << s.y << ")";
}

TEST(RasterCanvas, ShapesGiveTheExpectedPixels) {
  for (const ShapeCase& cs : Shapes()) {
    TBitmap b = White(40, 30);
    cs.draw(b.Canvas());
    ExpectSamples(b, cs, "drawn");
  }
}

TEST(RasterCanvas, ReplayedMetafileGivesTheSamePixels) {
  for (const ShapeCase& cs : Shapes()) {
    TMetafile mf;
    mf.SetWidth(40);
    mf.SetHeight(30);
    {
      TMetafileCanvas rec(mf);
      cs.draw(rec);
    }
    TBitmap b = White(40, 30);
    b.Canvas().StretchDraw(TRect{0, 0, 40, 30}, mf);
    ExpectSamples(b, cs, "replayed");
  }
}

TEST(RasterCanvas, MetafileStretchedIntoADestinationRectangle) {
  TMetafile mf;
  mf.SetWidth(20);
  mf.SetHeight(10);
  {
    TMetafileCanvas rec(mf);
    rec.GetBrush().SetColor(clRed);
    rec.FillRect(TRect{0, 0, 10, 10});  // left half red
  }
  TBitmap b = White(60, 40);
  b.Canvas().StretchDraw(TRect{10, 10, 50, 30}, mf);  // twice the size, moved by (10, 10)
  EXPECT_EQ(b.GetPixel(10, 10), clRed);
  EXPECT_EQ(b.GetPixel(29, 29), clRed);
  EXPECT_EQ(b.GetPixel(30, 20), clWhite);
  EXPECT_EQ(b.GetPixel(9, 10), clWhite);
  EXPECT_EQ(b.GetPixel(15, 30), clWhite);
}

TEST(RasterCanvas, MetafileIntoMetafileKeepsTheDrawing) {
  TMetafile inner;
  inner.SetWidth(20);
  inner.SetHeight(20);
  {
    TMetafileCanvas rec(inner);
    rec.GetBrush().SetColor(clBlue);
    rec.FillRect(TRect{0, 0, 10, 20});
  }
  TMetafile outer;
  outer.SetWidth(40);
  outer.SetHeight(40);
  {
    TMetafileCanvas rec(outer);
    rec.StretchDraw(TRect{0, 0, 40, 40}, inner);
  }
  TBitmap b = White(40, 40);
  b.Canvas().Draw(0, 0, outer);
  EXPECT_EQ(b.GetPixel(0, 0), clBlue);
  EXPECT_EQ(b.GetPixel(19, 39), clBlue);
  EXPECT_EQ(b.GetPixel(20, 10), clWhite);
}

TEST(RasterCanvas, TextPaintsInTheTextColour) {
  TBitmap b = White(120, 40);
  TCanvas& c = b.Canvas();
  c.GetFont().SetName(u"DejaVu Sans");
  c.GetFont().SetHeight(-24);
  c.GetFont().SetColor(clRed);
  c.SetBkMode(TRANSPARENT);
  c.TextOut(2, 2, u"HHHH");
  int red = 0, other = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 120; ++x) {
      TColor p = b.GetPixel(x, y);
      if (p == clRed) ++red;
      else if (p != clWhite) ++other;
    }
  EXPECT_GT(red, 100);
  EXPECT_EQ(other, 0) << "no anti-aliasing: only text colour and background";
  // Advances place the glyphs: the four H take about the sum of the advances.
  auto adv = c.TextAdvances(u"HHHH");
  int sum = 0;
  for (int a : adv) sum += a;
  int rightmost = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 120; ++x)
      if (b.GetPixel(x, y) == clRed) rightmost = std::max(rightmost, x);
  EXPECT_NEAR(rightmost, 2 + sum, 4);
}

TEST(RasterCanvas, BitmapRasterOperations) {
  struct Case {
    std::uint32_t rop;
    TColor src, dst, expected;
  };
  for (Case cs : {Case{SRCCOPY, 0x123456, 0xFFFFFF, 0x123456}, Case{SRCAND, 0x00FF0F, 0x0F0FFF, 0x000F0F},
                  Case{SRCPAINT, 0x00FF00, 0x0000FF, 0x00FFFF}, Case{SRCINVERT, 0xFFFFFF, 0x0F0F0F, 0xF0F0F0},
                  Case{NOTSRCCOPY, 0x00FF00, 0x000000, 0xFF00FF}, Case{BLACKNESS, 0x123456, 0x654321, 0x000000},
                  Case{WHITENESS, 0x123456, 0x654321, 0xFFFFFF}, Case{DSTINVERT, 0x123456, 0x0000FF, 0xFFFF00}}) {
    TBitmap src(2, 2);
    src.Fill(cs.src);
    TBitmap dst(4, 4);
    dst.Fill(cs.dst);
    dst.Canvas().StretchBitmap(TRect{1, 1, 3, 3}, src, TRect{0, 0, 2, 2}, cs.rop);
    EXPECT_EQ(dst.GetPixel(1, 1), cs.expected) << std::hex << cs.rop;
    EXPECT_EQ(dst.GetPixel(0, 0), cs.dst) << std::hex << cs.rop;
  }
}

}  // namespace
}  // namespace km
