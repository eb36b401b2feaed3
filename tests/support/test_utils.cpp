#include <gtest/gtest.h>

#include <numbers>
#include <string>

#include "kmColors.h"
#include "kmScreen.h"
#include "kmUtils3.h"

namespace km {
namespace {

TEST(Hex, ByteStringsTwoDigitsPerByte) {
  EXPECT_EQ(GetHexOfStr(std::string("\x00\x7F\xFF", 3)), "007FFF");
  EXPECT_EQ(GetHexOfStr(""), "");
  EXPECT_EQ(GetHexOfStr("\x0a\xab"), "0AAB");
}

TEST(Hex, WideStringsFourDigitsPerCodeUnit) {
  EXPECT_EQ(GetHexOfStrw(u"A\u20AC"), "004120AC");
  EXPECT_EQ(GetHexOfStrw(u""), "");
  EXPECT_EQ(GetHexOfStrw(u"\U0001F600"), "D83DDE00");  // each code unit of a pair
  EXPECT_EQ(GetHexOfStrw(u"\uFEFF\u00ff"), "FEFF00FF");
}

TEST(Colors, ColorToPDFColor) {
  struct Case {
    TColor color;
    const char* text;
  };
  for (auto c : {Case{RGB(255, 0, 0), "1.0000 0.0000 0.0000"}, Case{RGB(255, 0, 128), "1.0000 0.0000 0.5020"},
                 Case{RGB(0, 0, 0), "0.0000 0.0000 0.0000"}, Case{RGB(1, 2, 254), "0.0039 0.0078 0.9961"},
                 Case{clBtnFace, "0.9412 0.9412 0.9412"},  // a system colour resolves first
                 Case{clWindowText, "0.0000 0.0000 0.0000"}}) {
    EXPECT_EQ(ColorToPDFColor(c.color), c.text) << std::hex << c.color;
  }
}

TEST(Colors, ColorBGRToRGBAndCheckSysColor) {
  EXPECT_EQ(ColorBGRToRGB(RGB(255, 0, 0)), "FF0000");
  EXPECT_EQ(ColorBGRToRGB(RGB(0x12, 0x34, 0x56)), "123456");
  EXPECT_EQ(ColorBGRToRGB(clBtnFace), "F0F0F0");
  EXPECT_EQ(ColorBGRToRGB(clHighlight), ColorBGRToRGB(GetSysColor(COLOR_HIGHLIGHT)));
  EXPECT_NE(GetSysColor(COLOR_HIGHLIGHT), 0u);

  TColor c = clBtnFace;
  CheckSysColor(c);
  EXPECT_EQ(c, 0xF0F0F0u);
  c = RGB(1, 2, 3);
  CheckSysColor(c);
  EXPECT_EQ(c, RGB(1, 2, 3));
  c = 0x7F000000u | RGB(1, 2, 3);  // only 0xFF marks a system colour
  CheckSysColor(c);
  EXPECT_EQ(c, 0x7F030201u);
}

TEST(Escape, PdfLiteralStrings) {
  struct Case {
    std::u16string in, out;
  };
  const Case cases[] = {
      {u"ab\tc", u"ab      c"},  // six spaces to column 8
      {u"\t", u"        "},
      {u"(x)", u"\\(x\\)"},
      {u"a\\b", u"a\\\\b"},
      {u"\bx\t", u"\\bx       "},   // a backspace does not move the column
      {u"\fx\t", u"\\fx       "},   // nor does a form feed
      {u"a\nb\tc", u"a\\nb     c"},  // a line break counts as a column
      {u"a\rb", u"a\\rb"},
      {u"((((((()\t", u"\\(\\(\\(\\(\\(\\(\\(\\)        "},  // eight escaped characters fill a tab stop
      {u"\u20AC\t", u"\u20AC       "},
      {u"12345678\t", u"12345678        "},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(StringToEscapeString(c.in), c.out);
  EXPECT_EQ(StringToEscapeString(std::string("a(\t\xE4)")), std::string("a\\(      \xE4\\)"));
}

TEST(Replace, IgnoresCaseAndKeepsTheRest) {
  struct Case {
    std::u16string s, old_pattern, new_pattern, out;
  };
  const Case cases[] = {
      {u"Page 1 of PAGE", u"page", u"x", u"x 1 of x"},
      {u"Page 1 of PAGE", u"", u"x", u"Page 1 of PAGE"},
      {u"", u"a", u"b", u""},
      {u"aaa", u"a", u"aa", u"aaaaaa"},  // inserted text is not searched again
      {u"abcABC", u"BC", u"", u"aA"},
      {u"<%PgCnt%> pages", u"<%pgcnt%>", u"12", u"12 pages"},
      {u"\u00E4rger \u00C4RGER", u"\u00C4rger", u"x", u"x x"},  // beyond ASCII
      {u"nothing here", u"xyz", u"q", u"nothing here"},
      {u"ab", u"abc", u"q", u"ab"},
  };
  for (const auto& c : cases) EXPECT_EQ(ReplaceString(c.s, c.old_pattern, c.new_pattern), c.out);
}

TEST(Search, PosEx) {
  struct Case {
    std::u16string sub, s;
    int offset, pos;
  };
  for (const auto& c : {Case{u"ab", u"abab", 2, 3}, Case{u"ab", u"abab", 4, 0}, Case{u"ab", u"abab", 1, 1},
                        Case{u"ab", u"abab", 3, 3}, Case{u"", u"abab", 1, 0}, Case{u"x", u"abab", 1, 0},
                        Case{u"b", u"abab", 5, 0}, Case{u"abab", u"ab", 1, 0},
                        Case{u"ab", u"abab", 0, 0}, Case{u"ab", u"abab", -3, 0}}) {
    EXPECT_EQ(PosEx(c.sub, c.s, c.offset), c.pos) << c.offset;
  }
}

TEST(Substrings, RightStrAndMidStr) {
  EXPECT_EQ(RightStr(u"abcdef", 2), u"ef");
  EXPECT_EQ(RightStr(u"abc", 10), u"abc");
  EXPECT_EQ(RightStr(u"abc", 0), u"");
  EXPECT_EQ(RightStr(u"abc", -1), u"");
  EXPECT_EQ(MidStr(u"abcdef", 2, 3), u"bcd");
  EXPECT_EQ(MidStr(u"abcdef", 5, 10), u"ef");
  EXPECT_EQ(MidStr(u"abcdef", 7, 1), u"");
  EXPECT_EQ(MidStr(u"abcdef", 0, 2), u"ab");
  EXPECT_EQ(MidStr(u"abcdef", 2, 0), u"");
  EXPECT_EQ(IfThen(true, 1, 2), 1);
  EXPECT_EQ(IfThen(false, 1, 2), 2);
}

TEST(Conversions, AnglesAndPoints) {
  EXPECT_DOUBLE_EQ(DegreesToRadians(180), std::numbers::pi);
  EXPECT_DOUBLE_EQ(DegreesToRadians(-90), -std::numbers::pi / 2);
  EXPECT_DOUBLE_EQ(RadiansToDegrees(std::numbers::pi / 4), 45);
  ScopedScreenResolution screen(96, 96);
  EXPECT_DOUBLE_EQ(PixelsToPoints(96), 72);
  EXPECT_DOUBLE_EQ(PointsToPixels(72), 96);
  ScopedScreenResolution hi(300, 120);  // the vertical resolution counts
  EXPECT_DOUBLE_EQ(PixelsToPoints(120), 72);
  EXPECT_DOUBLE_EQ(PointsToPixels(36), 60);
}

}  // namespace
}  // namespace km
