#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>

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

// The file of each family the samples fall back to.
std::string FontFileOf(const std::u16string& family) {
  static const std::map<std::u16string, std::string> files = {
      {u"Arial", "LiberationSans-Regular.ttf"},
      {u"DejaVu Sans", "DejaVuSans.ttf"},
      {u"Noto Sans Devanagari", "NotoSansDevanagari-Regular.ttf"},
      {u"Noto Sans Thai", "NotoSansThai-Regular.ttf"},
      {u"WenQuanYi Zen Hei", "wqy-zenhei.ttc"},
  };
  auto it = files.find(family);
  return it == files.end() ? std::string() : test::TestFontDir::File(it->second);
}

// The glyph names of glyph indices, read by fontTools from the font file.
std::vector<std::string> GlyphNames(const std::string& file, const std::vector<std::uint16_t>& glyphs) {
  std::string ids;
  for (std::uint16_t g : glyphs) ids += std::to_string(g) + ",";
  std::string out = test::RunPython(
      "from fontTools.ttLib import TTFont\n"
      "f=TTFont('" + file + "', fontNumber=0)\n"
      "o=f.getGlyphOrder()\n"
      "print(' '.join(o[g] for g in [" + ids + "]))\n");
  std::istringstream words(out);
  std::vector<std::string> names;
  for (std::string w; words >> w;) names.push_back(w);
  return names;
}

TEST_F(GlyphAnalysis, ScriptSamplesGiveTheirRunsGlyphsFallbackFontsAndClusters) {
  struct Case {
    const char* label;
    std::u16string text;
    std::u16string font;           // asked
    std::u16string expected_font;  // the face that shows every character
    std::vector<std::string> names;  // glyph names in visual order, as fontTools reads them
    TkmWordArray clusters;
    bool complex;
    bool rtl;
  };
  const std::vector<Case> cases = {
      {"Latin, right-to-left mode", u"Hello", u"Arial", u"Arial", {"H", "e", "l", "l", "o"}, {0, 1, 2, 3, 4},
       false, false},
      {"Greek", u"\u0394\u03b5\u03bb\u03c4\u03b1", u"DejaVu Sans", u"DejaVu Sans",
       {"uni0394", "epsilon", "lambda", "tau", "alpha"}, {0, 1, 2, 3, 4}, false, false},
      {"Cyrillic", u"\u0416\u0438\u0437\u043d\u044c", u"Arial", u"Arial",
       {"uni0416", "uni0438", "uni0437", "uni043D", "uni044C"}, {0, 1, 2, 3, 4}, false, false},
      // Right to left: glyphs come in visual order, so the first letter is the last glyph.
      {"Hebrew", u"\u05e9\u05dc\u05d5\u05dd", u"Arial", u"Arial", {"finalmem", "vav", "lamed", "shin"},
       {3, 2, 1, 0}, true, true},
      // Contextual forms: initial seen, final lam-alef ligature, isolated meem.
      {"Arabic", u"\u0633\u0644\u0627\u0645", u"Arial", u"DejaVu Sans", {"uni0645", "uniFEFC", "uniFEB3"},
       {2, 1, 1, 0}, true, true},
      // The virama makes a half form of sa; the vowel sign e is a mark on ta.
      {"Devanagari", u"\u0928\u092e\u0938\u094d\u0924\u0947", u"Arial", u"Noto Sans Devanagari",
       {"nadeva", "madeva", "saprehalfdeva", "tadeva", "evowelsigndeva"}, {0, 1, 2, 2, 3, 3}, true, false},
      {"Thai", u"\u0e2a\u0e27\u0e31\u0e2a\u0e14\u0e35", u"Arial", u"Noto Sans Thai",
       {"uni0E2A", "uni0E27", "uni0E31", "uni0E2A", "uni0E14", "uni0E35"}, {0, 1, 1, 3, 4, 4}, true, false},
      {"CJK", u"\u4e2d\u6587\u5b57", u"Arial", u"WenQuanYi Zen Hei", {"uni4E2D", "uni6587", "uni5B57"}, {0, 1, 2},
       false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::vector<RunResult> runs =
        Analyze(c.text, c.font, c.label[0] == 'L' ? TBiDiMode::bdRightToLeft : TBiDiMode::bdLeftToRight);
    ASSERT_EQ(runs.size(), 1u);
    const RunResult& r = runs[0];
    EXPECT_TRUE(r.info.ScriptProcessingRequired);
    EXPECT_EQ(WideToUtf8(r.info.MappedFontName), WideToUtf8(c.expected_font));
    EXPECT_EQ(r.info.IsFontMapped, c.expected_font != c.font);
    EXPECT_EQ(r.info.GlyphType.Contains(TkmGlyphType::gdComplex), c.complex);
    EXPECT_EQ(r.info.GlyphType.Contains(TkmGlyphType::gdRTL), c.rtl);
    EXPECT_EQ(GlyphNames(FontFileOf(c.expected_font), r.glyphs), c.names);
    EXPECT_EQ(r.clusters, c.clusters);
    for (const std::u16string& f : r.glyph_fonts) EXPECT_EQ(WideToUtf8(f), WideToUtf8(c.expected_font));
    EXPECT_NE(std::find(map_.GetAllUsedFonts().begin(), map_.GetAllUsedFonts().end(), c.expected_font),
              map_.GetAllUsedFonts().end());
  }
}

TEST_F(GlyphAnalysis, AFamilyWithoutTrueTypeOutlinesIsAnalysedInItsStandIn) {
  // KmTest Cff has PostScript outlines; its glyph indices would not fit the
  // TrueType face that is embedded, so the analysis uses that face.
  std::vector<RunResult> runs = Analyze(u"Hello", u"KmTest Cff", TBiDiMode::bdRightToLeft);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(WideToUtf8(runs[0].info.MappedFontName), "Arial");
  EXPECT_EQ(GlyphNames(FontFileOf(u"Arial"), runs[0].glyphs), (std::vector<std::string>{"H", "e", "l", "l", "o"}));
  // A vertical family shapes with the face of its name.
  runs = Analyze(u"\u4e2d\u6587", u"@WenQuanYi Zen Hei");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(WideToUtf8(runs[0].info.MappedFontName), "@WenQuanYi Zen Hei");
  EXPECT_FALSE(runs[0].info.IsFontMapped);
  EXPECT_EQ(GlyphNames(FontFileOf(u"WenQuanYi Zen Hei"), runs[0].glyphs),
            (std::vector<std::string>{"uni4E2D", "uni6587"}));
}

TEST_F(GlyphAnalysis, MarksAreDiacriticsOfZeroWidthAndStartNoCluster) {
  // Thai: the vowel marks above (U+0E31, U+0E35) sit on the consonant before them.
  std::vector<RunResult> runs = Analyze(u"\u0e2a\u0e27\u0e31\u0e2a\u0e14\u0e35", u"Noto Sans Thai");
  ASSERT_EQ(runs.size(), 1u);
  const std::vector<TkmScriptVisAttrs>& vis = runs[0].info.VisAttr;
  ASSERT_EQ(vis.size(), 6u);
  for (int j : {2, 5}) {
    EXPECT_TRUE(vis[j].Contains(TkmScriptVisAttr::svDiacritic)) << j;
    EXPECT_TRUE(vis[j].Contains(TkmScriptVisAttr::svZeroWidth)) << j;
  }
  for (int j : {0, 1, 3, 4}) {
    EXPECT_FALSE(vis[j].Contains(TkmScriptVisAttr::svDiacritic)) << j;
    EXPECT_TRUE(vis[j].Contains(TkmScriptVisAttr::svClusterStart)) << j;
  }
}

TEST(Itemising, RunsSplitAtScriptAndDirectionAndNeutralsJoinTheirLevel) {
  struct Case {
    std::u16string text;
    bool rtl;
    std::vector<std::pair<int, int>> runs;  // [start, end) in logical order
    std::vector<int> visual;                // logical index of each visual run
  };
  for (const Case& c : std::vector<Case>{
           {u"Hello, World", false, {{0, 12}}, {0}},
           {u"\u0394\u03b5\u03bb\u03c4\u03b1 \u0416\u0438\u0437\u043d\u044c", false, {{0, 6}, {6, 11}}, {0, 1}},
           {u"abc \u05d0\u05d1 def", false, {{0, 4}, {4, 6}, {6, 10}}, {0, 1, 2}},
           {u"abc \u05d0\u05d1", true, {{0, 3}, {3, 6}}, {1, 0}},
           {u"a\U0010FFFDb", false, {{0, 4}}, {0}},
           {u"12 \u0627\u0628", false, {{0, 3}, {3, 5}}, {0, 1}},
       }) {
    std::vector<TScriptItem> items = ScriptItemize(c.text, c.rtl);
    std::vector<std::pair<int, int>> got;
    std::vector<std::uint8_t> levels;
    for (const TScriptItem& it : items) {
      got.emplace_back(it.StartPos, it.EndPos);
      levels.push_back(it.Level);
    }
    EXPECT_EQ(got, c.runs) << WideToUtf8(c.text);
    EXPECT_EQ(ScriptLayout(levels), c.visual) << WideToUtf8(c.text);
  }
}

TEST(Itemising, ComplexTextIsRightToLeftOrContextuallyShaped) {
  // The rule: a run is complex when it holds a right-to-left character or a
  // character of a script that is shaped in context or reordered; digits,
  // Latin, Greek, Cyrillic and CJK are not.
  struct Case { std::u16string text; bool complex; };
  for (const Case& c : std::vector<Case>{{u"Hello 123", false},
                                          {u"\u0394\u0416", false},
                                          {u"\u4e2d\u6587", false},
                                          {u"\u05d0", true},
                                          {u"\u0627", true},
                                          {u"\u0928", true},
                                          {u"\u0e2a", true},
                                          {u"\u0661\u0662", true}}) {
    EXPECT_EQ(ScriptIsComplex(c.text), c.complex) << WideToUtf8(c.text);
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
