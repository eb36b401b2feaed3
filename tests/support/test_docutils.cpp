#include <gtest/gtest.h>

#include <string>

#include "kmDocUtils.h"
#include "kmScreen.h"
#include "kmTypes.h"

namespace km {
namespace {

TEST(Geometry, PointAndRectHelpers) {
  EXPECT_EQ(kmPoint(1.5, -2), (TkmPoint{1.5, -2}));
  TkmRect r = kmRect(1, 2, 3.5, 4);
  EXPECT_EQ(r.Left, 1);
  EXPECT_EQ(r.Top, 2);
  EXPECT_EQ(r.Right, 3.5);
  EXPECT_EQ(r.Bottom, 4);
  EXPECT_EQ(kmRect(r, 2), kmRect(2, 4, 7, 8));
  EXPECT_EQ(kmRect(r, -0.5), kmRect(-0.5, -1, -1.75, -2));
}

TEST(NativeUnitFactor, At96PixelsPerInch) {
  ScopedScreenResolution screen(96, 96);
  struct Case {
    TkmUnitType unit;
    double factor;
  };
  for (auto c : {Case{TkmUnitType::muPixels, 1.0}, Case{TkmUnitType::muInches, 96.0},
                 Case{TkmUnitType::muMM, 3.77952}, Case{TkmUnitType::muPoints, 4.0 / 3.0},
                 Case{TkmUnitType::muTwips, 1.0 / 15.0}}) {
    EXPECT_NEAR(CalculateNativeUnitFactor(c.unit), c.factor, 1e-5) << static_cast<int>(c.unit);
  }
  // 2.83464 points per millimetre, not 72 / 25.4.
  EXPECT_DOUBLE_EQ(CalculateNativeUnitFactor(TkmUnitType::muMM), 96.0 / 72.0 * 2.83464);
  EXPECT_EQ(CalculateNativeUnitFactor(static_cast<TkmUnitType>(5)), 1.0);
  EXPECT_EQ(CalculateNativeUnitFactor(static_cast<TkmUnitType>(-1)), 1.0);
}

TEST(NativeUnitFactor, FollowsTheScreenResolution) {
  ScopedScreenResolution screen(144, 144);
  EXPECT_DOUBLE_EQ(CalculateNativeUnitFactor(TkmUnitType::muInches), 144.0);
  EXPECT_DOUBLE_EQ(CalculateNativeUnitFactor(TkmUnitType::muPoints), 2.0);
  EXPECT_DOUBLE_EQ(CalculateNativeUnitFactor(TkmUnitType::muTwips), 0.1);
  EXPECT_DOUBLE_EQ(CalculateNativeUnitFactor(TkmUnitType::muPixels), 1.0);
}

TEST(TextHelpers, ReverseString) {
  EXPECT_EQ(ReverseString(u"abc"), u"cba");
  EXPECT_EQ(ReverseString(u""), u"");
  EXPECT_EQ(ReverseString(u"\u05D0\u05D1 1"), u"1 \u05D1\u05D0");
  // A surrogate pair is reversed like any two code units.
  EXPECT_EQ(ReverseString(u"a\U0001F600"), std::u16string({0xDE00, 0xD83D, u'a'}));
}

TEST(TextHelpers, RemoveTerminalCRLF) {
  struct Case {
    std::u16string in, out;
  };
  for (const auto& c : {Case{u"ab\r\n", u"ab"}, Case{u"\r\n", u""}, Case{u"ab\n", u"ab\n"}, Case{u"ab\r", u"ab\r"},
                        Case{u"\n", u"\n"}, Case{u"", u""}, Case{u"a\r\n\r\n", u"a\r\n"}, Case{u"a\n\r", u"a\n\r"}}) {
    EXPECT_EQ(RemoveTerminalCRLF(c.in), c.out);
  }
}

TEST(TextHelpers, GetFilePathFromText) {
  struct Case {
    std::u16string in, out;
  };
  for (const auto& c : {Case{u"C:\\My Files\\report.pdf now", u"C:\\My Files\\report.pdf"},
                        Case{u"d:\\a.b\\c.txt|x", u"d:\\a.b\\c.txt"},
                        Case{u"C:\\dir.v2\\readme and more", u"C:\\dir.v2\\readme and more"},
                        Case{u"C:\\x.txt\"quoted\"", u"C:\\x.txt"}, Case{u"C:", u"C:"}, Case{u"", u""}}) {
    EXPECT_EQ(GetFilePathFromText(c.in), c.out);
  }
}

}  // namespace
}  // namespace km
