#include <gtest/gtest.h>

#include "../platform/kmTestFonts.h"
#include "kmFontCatalog.h"
#include "kmUtilsFonts.h"

namespace km {
namespace {

class UtilsFonts : public ::testing::Test {
 protected:
  ScopedFontCatalog catalog_{FontCatalog::FromDirectory(test::TestFontDir::Path())};
};

TFont MakeFont(const std::u16string& name, int height, bool bold = false) {
  TFont f;
  f.SetName(name);
  f.SetHeight(height);
  if (bold) f.SetStyle(TFontStyles{TFontStyle::fsBold});
  return f;
}

TEST_F(UtilsFonts, TextSizeMeasuresUnicodeInTheSelectedFace) {
  TFont arial = MakeFont(u"Arial", -1000);
  // Liberation Sans advances (2048 units per em): 'A' 1366, the euro sign 1139,
  // Cyrillic Zhe 1891; at a 1000-pixel em each rounds to whole pixels.
  EXPECT_EQ(TextSize(u"A", arial).cx, 667);
  EXPECT_EQ(TextSize(u"\u20ac", arial).cx, 556);
  EXPECT_EQ(TextSize(u"A\u20ac", arial).cx, 667 + 556);
  // Outside Windows-1252 a character keeps its own width.
  EXPECT_EQ(TextSize(u"\u0416", arial).cx, 923);
  EXPECT_EQ(TextSize(u"", arial).cx, 0);
  EXPECT_EQ(TextSize(u"", arial).cy, TextSize(u"A", arial).cy);
  EXPECT_GT(TextSize(u"AAAA", MakeFont(u"Arial", -1000, true)).cx, TextSize(u"AAAA", arial).cx);
}

TEST_F(UtilsFonts, SupportedCharSetsAppendsRecognisedSetsOnce) {
  std::vector<int> sets;
  GetSupportedCharSets(u"KmTest Symbol", sets);
  EXPECT_EQ(sets, std::vector<int>{2});

  std::vector<int> kept = {204, 99};
  GetSupportedCharSets(u"Arial", kept);
  ASSERT_GE(kept.size(), 4u);
  EXPECT_EQ(kept[0], 204);
  EXPECT_EQ(kept[1], 99);
  EXPECT_EQ(kept[2], 0);  // ANSI first: bit 0 of the code page ranges
  EXPECT_EQ(std::count(kept.begin(), kept.end(), 204), 1);

  std::vector<int> none;
  GetSupportedCharSets(u"No Such Family", none);
  EXPECT_TRUE(none.empty());
  // A name longer than a face-name field is cut to 31 code units.
  std::vector<int> cut;
  GetSupportedCharSets(u"WenQuanYi Zen Hei Sharp and more text here", cut);
  EXPECT_TRUE(cut.empty());
  GetSupportedCharSets(u"WenQuanYi Zen Hei", cut);
  EXPECT_NE(std::find(cut.begin(), cut.end(), 134), cut.end());
}

}  // namespace
}  // namespace km
