#include <gtest/gtest.h>

#include "kmCodePage.h"
#include "kmColors.h"
#include "kmGraphicsValues.h"
#include "kmMath.h"
#include "kmScreen.h"

namespace km {
namespace {

TEST(Rounding, HalvesGoToEven) {
  struct Case { double in; std::int64_t out; };
  for (auto c : {Case{0.5, 0}, Case{1.5, 2}, Case{2.5, 2}, Case{-0.5, 0}, Case{-1.5, -2},
                 Case{-2.5, -2}, Case{2.4999, 2}, Case{2.5001, 3}, Case{-7.6, -8}}) {
    EXPECT_EQ(Round(c.in), c.out) << c.in;
  }
}

TEST(Rounding, MulDivRoundsHalfAwayFromZero) {
  EXPECT_EQ(MulDiv(8, 96, 72), 11);    // 10.67
  EXPECT_EQ(MulDiv(-11, 72, 96), -8);  // -8.25
  EXPECT_EQ(MulDiv(3, 1, 2), 2);       // 1.5 -> 2
  EXPECT_EQ(MulDiv(-3, 1, 2), -2);
  EXPECT_EQ(MulDiv(5, 5, 0), -1);
  EXPECT_EQ(MulDiv(2000000000, 3, 4), 1500000000);  // no 32-bit overflow
}

TEST(Screen, DefaultsTo96AndIsInjectable) {
  RefreshScreenValues();
  EXPECT_EQ(Screen::PixelsPerInchY(), 96);
  EXPECT_DOUBLE_EQ(CPixelsPerInch, 96.0);
  EXPECT_DOUBLE_EQ(CPointsToPixels, 96.0 / 72.0);
  {
    ScopedScreenResolution hi(120, 144);
    EXPECT_EQ(Screen::PixelsPerInchX(), 120);
    EXPECT_DOUBLE_EQ(CPixelsPerInch, 144.0);
    EXPECT_DOUBLE_EQ(CPointsToPixels, 2.0);
  }
  EXPECT_DOUBLE_EQ(CPixelsPerInch, 96.0);
}

TEST(Colors, SystemColorsResolveThroughTheTable) {
  EXPECT_EQ(ColorToRGB(clBtnFace), 0xF0F0F0u);
  EXPECT_EQ(ColorToRGB(clWindowText), 0u);
  EXPECT_EQ(ColorToRGB(clWindow), 0xFFFFFFu);
  EXPECT_EQ(ColorToRGB(clSystemColor | 200u), 0u);  // unknown index
  EXPECT_EQ(ColorToRGB(RGB(1, 2, 3)), 0x030201u);
  EXPECT_EQ(ColorToRGB(clNone), clNone);
  EXPECT_EQ(GetRValue(RGB(10, 20, 30)), 10);
  EXPECT_EQ(GetGValue(RGB(10, 20, 30)), 20);
  EXPECT_EQ(GetBValue(RGB(10, 20, 30)), 30);
}

TEST(CodePage, Windows1252BothWays) {
  EXPECT_EQ(AnsiToWide("\x80\x9F\xE4\x41"), std::u16string(u"\u20AC\u0178\u00E4A"));
  EXPECT_EQ(WideToAnsi(u"\u20AC\u00E4\u00F6\u00FC\u00DF"), "\x80\xE4\xF6\xFC\xDF");
  // Outside the code page: a question mark, one per code unit.
  EXPECT_EQ(WideToAnsi(u"a\u4E2Db"), "a?b");
  EXPECT_EQ(WideToAnsi(u"\U0001F600"), "??");
  // Undefined bytes survive the round trip.
  for (unsigned b : {0x81u, 0x8Du, 0x8Fu, 0x90u, 0x9Du}) {
    std::string s(1, static_cast<char>(b));
    EXPECT_EQ(WideToAnsi(AnsiToWide(s)), s);
  }
  // Every byte round-trips.
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(WideToAnsi(AnsiToWide(all)), all);
}

TEST(CodePage, Utf8BothWaysAndMalformedInput) {
  std::u16string text = u"Gr\u00FC\u00DFe \u20AC \U0001F600";
  EXPECT_EQ(Utf8ToWide(WideToUtf8(text)), text);
  EXPECT_EQ(WideToUtf8(u"\u00E4"), "\xC3\xA4");
  EXPECT_EQ(Utf8ToWide("a\xC3"), std::u16string(u"a\uFFFD"));           // truncated
  EXPECT_EQ(Utf8ToWide("\xC0\x80"), std::u16string(u"\uFFFD\uFFFD"));   // overlong
  EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), std::u16string(u"\uFFFD\uFFFD\uFFFD"));  // surrogate
  EXPECT_EQ(WideToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

TEST(GraphicsValues, FontSizeAndHeightFollowTheScreen) {
  TFont f;
  EXPECT_EQ(f.GetName(), u"Tahoma");
  EXPECT_EQ(f.GetHeight(), -11);
  EXPECT_EQ(f.GetSize(), 8);
  f.SetSize(12);
  EXPECT_EQ(f.GetHeight(), -16);
  f.SetPixelsPerInch(384);
  f.SetSize(10);
  EXPECT_EQ(f.GetHeight(), -53);  // 53.33
  f.SetStyle({TFontStyle::fsBold, TFontStyle::fsUnderline});
  EXPECT_TRUE(f.IsBold());
  EXPECT_FALSE(f.IsItalic());
  TFont g;
  g.Assign(f);
  EXPECT_EQ(g, f);
}

TEST(GraphicsValues, PenAndBrushDefaults) {
  TPen p;
  EXPECT_EQ(p.GetColor(), clBlack);
  EXPECT_EQ(p.GetWidth(), 1);
  EXPECT_EQ(p.GetStyle(), TPenStyle::psSolid);
  EXPECT_EQ(p.GetMode(), TPenMode::pmCopy);
  TBrush b;
  EXPECT_EQ(b.GetColor(), clWhite);
  EXPECT_EQ(b.GetStyle(), TBrushStyle::bsSolid);
}

}  // namespace
}  // namespace km
