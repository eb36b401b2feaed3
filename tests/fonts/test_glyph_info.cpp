#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "../platform/kmTestFonts.h"
#include "kmCodePage.h"
#include "kmFontCatalog.h"
#include "kmGlyphInfo.h"
#include "kmShaping.h"

namespace km {
namespace {

// What one callback received.
struct RunResult {
  std::u16string text;
  int index = 0;
  int count = 0;
  bool had_list = false;
  std::vector<std::uint16_t> glyphs;
  std::vector<int> positions;
  std::vector<std::u16string> glyph_fonts;
  TkmRunInfo info;
  TkmWordArray clusters;
};

class GlyphAnalysis : public ::testing::Test {
 protected:
  GlyphAnalysis() : map_(FontCatalog::Default()) {}

  std::vector<RunResult> Analyze(const std::u16string& text, const std::u16string& family,
                           TBiDiMode mode = TBiDiMode::bdLeftToRight) {
    TFont font;
    font.SetName(family);
    font.SetSize(1000);
    std::vector<RunResult> runs;
    TkmStringAnalyzer analyzer;
    analyzer.StringAnalyze(
        text, mode, font,
        [&](const std::u16string& t, int index, int count, std::unique_ptr<TkmGlyphInfoList>& list,
            const TkmRunInfo& info, const TkmWordArray& clusters) {
          RunResult r{t, index, count, list != nullptr, {}, {}, {}, info, clusters};
          if (info.ScriptProcessingRequired && list) {
            for (int j = 0; j < list->Count(); ++j) {
              r.glyphs.push_back(list->Items(j).GetID());
              r.positions.push_back(list->Items(j).GetPosition());
              r.glyph_fonts.push_back(list->Items(j).GetFontName());
            }
            list.reset();  // consumed
          }
          runs.push_back(std::move(r));
        },
        map_);
    return runs;
  }

  ScopedFontCatalog catalog_{FontCatalog::FromDirectory(test::TestFontDir::Path())};
  TkmMapFont map_;
};

TEST_F(GlyphAnalysis, LatinTextInALatinFontIsNotShaped) {
  std::vector<RunResult> runs = Analyze(u"Hello, World", u"Arial");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_FALSE(runs[0].info.ScriptProcessingRequired);
  EXPECT_FALSE(runs[0].had_list);
  EXPECT_EQ(runs[0].info.MappedFontName, u"Arial");
  EXPECT_EQ(runs[0].clusters, TkmWordArray(12, 0));
  EXPECT_EQ(runs[0].info.StartPos, 0);
  EXPECT_EQ(runs[0].info.EndPos, 12);
}

TEST_F(GlyphAnalysis, RightToLeftModeTabsAndCharactersAboveLatin1AreShaped) {
  for (const auto& [text, mode] : std::vector<std::pair<std::u16string, TBiDiMode>>{
           {u"Hello", TBiDiMode::bdRightToLeft},
           {u"Hello", TBiDiMode::bdRightToLeftReadingOnly},
           {u"a\tb", TBiDiMode::bdLeftToRight},
           {u"\u0100bc", TBiDiMode::bdLeftToRight},
       }) {
    std::vector<RunResult> runs = Analyze(text, u"Arial", mode);
    ASSERT_FALSE(runs.empty()) << WideToUtf8(text);
    for (const RunResult& r : runs) {
      EXPECT_TRUE(r.info.ScriptProcessingRequired) << WideToUtf8(text);
      EXPECT_EQ(r.glyphs.size(), r.text.size()) << WideToUtf8(text);
      EXPECT_EQ(r.info.VisAttr.size(), r.glyphs.size());
    }
  }
}

TEST_F(GlyphAnalysis, ScriptsFindTheirFontsAndClusters) {
  struct Case {
    std::u16string text;
    std::u16string font;
    std::u16string expected_font;
    bool complex;
    bool rtl;
  };
  for (const Case& c : std::vector<Case>{
           {u"\u05e9\u05dc\u05d5\u05dd", u"Arial", u"Arial", true, true},                     // Hebrew: Liberation has it
           {u"\u0633\u0644\u0627\u0645", u"Arial", u"DejaVu Sans", true, true},               // Arabic: fallback
           {u"\u4e2d\u6587\u5b57", u"Arial", u"WenQuanYi Zen Hei", false, false},             // CJK: fallback
           {u"\u0928\u092e\u0938\u094d\u0924\u0947", u"Arial", u"Noto Sans Devanagari", true, false},
           {u"\u0e2a\u0e27\u0e31\u0e2a\u0e14\u0e35", u"Arial", u"Noto Sans Thai", true, false},
           {u"\u0394\u03b5\u03bb\u03c4\u03b1", u"DejaVu Sans", u"DejaVu Sans", false, false},     // Greek
           {u"\u0416\u0438\u0437\u043d\u044c", u"Arial", u"Arial", false, false},             // Cyrillic
       }) {
    std::vector<RunResult> runs = Analyze(c.text, c.font);
    ASSERT_EQ(runs.size(), 1u) << WideToUtf8(c.text);
    const RunResult& r = runs[0];
    EXPECT_TRUE(r.info.ScriptProcessingRequired);
    EXPECT_EQ(r.info.MappedFontName, c.expected_font) << WideToUtf8(c.text);
    EXPECT_EQ(r.info.IsFontMapped, c.expected_font != c.font) << WideToUtf8(c.text);
    EXPECT_EQ(r.info.GlyphType.Contains(TkmGlyphType::gdComplex), c.complex) << WideToUtf8(c.text);
    EXPECT_EQ(r.info.GlyphType.Contains(TkmGlyphType::gdRTL), c.rtl) << WideToUtf8(c.text);
    EXPECT_EQ(std::count(r.glyphs.begin(), r.glyphs.end(), 0), 0) << WideToUtf8(c.text);
    ASSERT_EQ(r.clusters.size(), c.text.size());
    for (std::uint16_t k : r.clusters) EXPECT_LT(k, r.glyphs.size());
    for (const std::u16string& f : r.glyph_fonts) EXPECT_EQ(f, c.expected_font);
    EXPECT_NE(std::find(map_.GetAllUsedFonts().begin(), map_.GetAllUsedFonts().end(), c.expected_font),
              map_.GetAllUsedFonts().end());
  }
}

TEST_F(GlyphAnalysis, ClustersOfARightToLeftRunPointIntoVisualOrder) {
  // Hebrew letters with a point: the point joins its letter's cluster.
  std::vector<RunResult> runs = Analyze(u"\u05e9\u05c1\u05dc", u"DejaVu Sans");
  ASSERT_EQ(runs.size(), 1u);
  const RunResult& r = runs[0];
  ASSERT_EQ(r.clusters.size(), 3u);
  EXPECT_EQ(r.clusters[0], r.clusters[1]);  // shin and its dot: one cluster
  EXPECT_GT(r.clusters[0], r.clusters[2]);  // right to left: the first letter is drawn last
  EXPECT_TRUE(r.info.VisAttr[r.clusters[0]].Contains(TkmScriptVisAttr::svClusterStart));
}

TEST_F(GlyphAnalysis, OnceARunWasComplexLaterRunsAreShapedAndPositionsCountOn) {
  std::vector<RunResult> runs = Analyze(u"abc \u05d0\u05d1 def", u"Arial");
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_FALSE(runs[0].info.ScriptProcessingRequired);
  EXPECT_TRUE(runs[1].info.ScriptProcessingRequired);
  EXPECT_TRUE(runs[2].info.ScriptProcessingRequired);  // Latin, but after a complex run
  EXPECT_EQ(runs[1].positions, (std::vector<int>{0, 1}));
  EXPECT_EQ(runs[2].positions.front(), 2);
  for (const RunResult& r : runs) EXPECT_EQ(r.count, 3);
  EXPECT_EQ(runs[2].index, 2);
}

TEST_F(GlyphAnalysis, FallbackTriesFontsThatServedBeforeFirst) {
  Analyze(u"\u4e2d", u"Arial");
  ASSERT_EQ(map_.GetAllUsedFonts(), std::vector<std::u16string>{u"WenQuanYi Zen Hei"});
  // A second analysis starts its fallback with the font used last.
  TFont arial;
  arial.SetName(u"Arial");
  int used = 0;
  std::unique_ptr<TFont> next = map_.GetNextFontFromUsedList(arial, used);
  EXPECT_EQ(next->GetName(), u"WenQuanYi Zen Hei");
  EXPECT_EQ(used, 1);
  int installed = 0;
  std::unique_ptr<TFont> first = map_.GetNextInstalledFont(arial, installed);
  EXPECT_EQ(first->GetName(), u"DejaVu Sans");
  EXPECT_EQ(installed, 1);
  int last = static_cast<int>(map_.GetSysFontList().size()) - 1;  // WenQuanYi Zen Hei Sharp
  EXPECT_EQ(map_.GetNextInstalledFont(arial, last)->GetName(), u"WenQuanYi Zen Hei Sharp");
  int past = last;
  EXPECT_EQ(map_.GetNextInstalledFont(arial, past)->GetName(), u"Arial");  // outside the list: a copy
}

TEST_F(GlyphAnalysis, TextNoFontCanShowKeepsItsRunWithMissingGlyphs) {
  // U+10FFFD is a private-use character no installed font maps.
  std::vector<RunResult> runs = Analyze(u"a\U0010FFFDb", u"Arial");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_TRUE(runs[0].info.ScriptProcessingRequired);
  EXPECT_EQ(runs[0].text, u"a\U0010FFFDb");
  EXPECT_EQ(std::count(runs[0].glyphs.begin(), runs[0].glyphs.end(), 0), 1);
  EXPECT_EQ(runs[0].info.MappedFontName, u"Arial");
  EXPECT_TRUE(runs[0].info.GlyphType.Contains(TkmGlyphType::gdLigature));  // 3 glyphs for 4 code units
}

TEST_F(GlyphAnalysis, EmptyTextOrNoCallbackDoesNothing) {
  EXPECT_TRUE(Analyze(u"", u"Arial").empty());
  TkmStringAnalyzer analyzer;
  TFont font;
  analyzer.StringAnalyze(u"abc", TBiDiMode::bdLeftToRight, font, nullptr, map_);
  std::uint16_t glyphs[] = {3, 0, 5};
  EXPECT_TRUE(TkmStringAnalyzer::ZeroGlyphs(glyphs, 3));
  EXPECT_FALSE(TkmStringAnalyzer::ZeroGlyphs(glyphs, 1));
}

TEST_F(GlyphAnalysis, GlyphWidthsAreTheAbcSumInPixels) {
  std::vector<RunResult> runs = Analyze(u"A\u0100", u"Arial");
  ASSERT_EQ(runs.size(), 1u);
  TFont font;
  font.SetName(u"Arial");
  font.SetSize(1000);
  auto instance = FontCatalog::Default().CreateFont(font);
  ASSERT_EQ(runs[0].glyphs.size(), 2u);
  // 'A' of Liberation Sans: 1366 of 2048 units at a 1333-pixel em.
  EXPECT_EQ(instance->GlyphAdvance(runs[0].glyphs[0]), 889);
  TABC abc = instance->GetGlyphABC(runs[0].glyphs[0]);
  EXPECT_EQ(abc.abcA + abc.abcB + abc.abcC, 889);
  EXPECT_GT(abc.abcB, 0);
}

TEST(FontMapping, GetTrueTypeFontMapsAndRemembers) {
  ScopedFontCatalog catalog(FontCatalog::FromDirectory(test::TestFontDir::Path()));
  TkmMapFont map;
  struct Case { std::u16string asked; std::u16string drawn; };
  for (const Case& c : std::vector<Case>{
           {u"MS Sans Serif", u"Arial"},
           {u"Courier", u"Courier New"},
           {u"No Such Family", u"Arial"},
           {u"KmTest Cff", u"Arial"},  // installed, but not TrueType
           {u"DejaVu Sans", u"DejaVu Sans"},
           {u"Times New Roman", u"Times New Roman"},  // its twin is installed
           {u"no such family", u"Arial"},  // remembered, case-insensitively
       }) {
    TFont font;
    font.SetName(c.asked);
    EXPECT_EQ(map.GetTrueTypeFont(u"", font).GetName(), c.drawn) << WideToUtf8(c.asked);
  }
  TFont font;
  font.SetName(u"Arial");
  font.SetHeight(-16);
  auto instance = FontCatalog::Default().CreateFont(font);
  int expected = static_cast<int>(std::nearbyint((16 - instance->GetTextMetrics().tmInternalLeading) * 72.0 / 96.0));
  EXPECT_EQ(map.GetFontSize(font), expected);
  EXPECT_TRUE(map.IsLatinUnicodeRangePresent(font));
  TFont chinese;
  chinese.SetName(u"WenQuanYi Zen Hei");
  EXPECT_EQ(map.GetMappedFont(u"x", chinese)->GetName(), u"Arial");
}

}  // namespace
}  // namespace km
