// Font resources: the texts of their objects byte by byte, the pairing of
// glyphs with characters, and real files whose fonts poppler, qpdf, the audit,
// FreeType and fontTools read back.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../platform/kmTestFonts.h"
#include "kmCodePage.h"
#include "kmFontCatalog.h"
#include "kmFileBytes.h"
#include "kmFontHandles.h"
#include "kmGlyphInfo.h"
#include "kmPDFEng.h"
#include "kmPDFFont3.h"
#include "kmTrueType.h"
#include "pdf_tools.h"

namespace km {
namespace {

using namespace km::testing;

TFont Font(const std::u16string& family, bool bold = false, bool italic = false) {
  TFont f;
  f.SetName(family);
  f.SetSize(1000);
  TFontStyles style;
  if (bold) style.Include(TFontStyle::fsBold);
  if (italic) style.Include(TFontStyle::fsItalic);
  f.SetStyle(style);
  return f;
}

// A glyph list from (glyph, advance in pixels) pairs.
TkmGlyphInfoList Glyphs(const std::vector<std::pair<std::uint16_t, int>>& glyphs) {
  TkmGlyphInfoList list;
  int pos = 0;
  for (auto [id, adv] : glyphs) list.Add(std::make_unique<TkmGlyphInfo>(id, 0, TkmABC{0, adv, 0}, pos++, u"Arial"));
  return list;
}

class PDFFontResource : public ::testing::Test {
 protected:
  ScopedFontCatalog catalog_{FontCatalog::FromDirectory(test::TestFontDir::Path())};
};

TEST_F(PDFFontResource, BaseNamesTagsAndNameEscapes) {
  struct Case { std::u16string family; bool bold, italic; std::string base; };
  for (const Case& c : std::vector<Case>{{u"Times New Roman", true, true, "TimesNewRoman,BoldItalic"},
                                          {u"Arial", true, false, "Arial,Bold"},
                                          {u"Arial", false, true, "Arial,Italic"},
                                          {u"DejaVu Sans", false, false, "DejaVuSans"}}) {
    TkmPDFFont f(Font(c.family, c.bold, c.italic), 10, false, false, true);
    EXPECT_EQ(f.GetBaseFont(), c.base);
  }
  EXPECT_EQ(ConvertDelimiters(u"A(b)#c/d\u00e9"), "A#28b#29#23c#2Fd#C3#A9");
  EXPECT_EQ(SubsetTag(0), "WYOIAS");
  std::set<std::string> tags;
  for (int n = 0; n < 1000; ++n) {
    const std::string tag = SubsetTag(n);
    EXPECT_TRUE(std::regex_match(tag, std::regex("[A-Z]{6}"))) << tag;
    tags.insert(tag);
  }
  EXPECT_EQ(tags.size(), 1000u);
}

TEST_F(PDFFontResource, OneResourceServesEverySizeOfAFace) {
  TkmPDFFont f(Font(u"Arial"), 10, true, false, true);
  TFont small = Font(u"Arial");
  small.SetSize(10);
  EXPECT_TRUE(f.IsEqual(small, TkmFontEncoding::feCID, true));
  EXPECT_FALSE(f.IsEqual(small, TkmFontEncoding::feWinAnsi, true));
  EXPECT_FALSE(f.IsEqual(small, TkmFontEncoding::feCID, false));
  EXPECT_FALSE(f.IsEqual(Font(u"Arial", true)));
  EXPECT_FALSE(f.IsEqual(Font(u"arial")));  // family compared case-sensitively
  EXPECT_TRUE(f.IsEqual(small));
}

TEST_F(PDFFontResource, CompositeObjectsAreExact) {
  TkmPDFFont f(Font(u"Arial"), 7, true, false, true);
  // 371 and 889 pixels at the 1000-point size (1333.33 pixels per em).
  f.AddUsedGlyphs(u"A ", Glyphs({{36, 889}, {3, 371}}), false);
  f.AddUsedGlyphs(u"AA", Glyphs({{36, 889}, {36, 889}}), false);  // recorded once
  EXPECT_EQ(f.GetCID(), (std::vector<std::uint16_t>{36, 3}));
  EXPECT_EQ(f.GetWidths(), "36[667]3[278]");
  EXPECT_EQ(f.GetFirstGlyph(), 3u);
  EXPECT_EQ(f.GetLastGlyph(), 36u);
  EXPECT_EQ(f.GetType0FontDictionary(2, 11, 12, "WYOIAS"),
            "/Type/Font/Subtype/Type0/Name/F2/BaseFont/WYOIAS+Arial/Encoding/Identity-H/ToUnicode 11 0 R"
            "/DescendantFonts [12 0 R]\r\n");
  f.SetIsIdentityH(false);
  EXPECT_NE(f.GetType0FontDictionary(2, 11, 12, "").find("/BaseFont/Arial/Encoding/Identity-V"), std::string::npos);
  EXPECT_EQ(f.GetCIDFontDictionary(13, "Adobe", "Identity", ""),
            "<</Type/Font/Subtype/CIDFontType2/BaseFont/Arial/FontDescriptor 13 0 R/CIDSystemInfo<</Registry<41646F6265>"
            "/Ordering<4964656E74697479>/Supplement 0>>/W [36[667]3[278]]>>");
  const std::string d = f.GetFontDescriptor(14, "");
  EXPECT_EQ(d.rfind("/Type/FontDescriptor/FontName/Arial/Flags 32/FontBBox [-250 ", 0), 0u) << d;
  EXPECT_NE(d.find("/StemV 78/ItalicAngle 0/FontWeight 400/FontFile2 14 0 R\r\n"), std::string::npos) << d;
  EXPECT_EQ(f.GetFontDescriptor(0, "").find("/FontFile2"), std::string::npos);
}

TEST_F(PDFFontResource, SimpleObjectsCarryAllWinAnsiWidths) {
  TkmPDFFont f(Font(u"Arial", false, true), 7, false, false, true);
  const std::string dict = f.GetSimpleFontDictionary(0, 8, "");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(dict, m, std::regex("/Widths \\[([^\\]]*)\\]"))) << dict;
  std::istringstream widths(m[1].str());
  std::vector<double> values;
  for (double v; widths >> v;) values.push_back(v);
  ASSERT_EQ(values.size(), 224u);
  EXPECT_NEAR(values['A' - 32], 667, 1);  // Liberation Sans Italic 'A': 1366/2048
  EXPECT_NEAR(values[0], 278, 1);        // space
  EXPECT_EQ(dict.rfind("/Type /Font/Subtype /TrueType/Name /F0/BaseFont /Arial,Italic /Encoding /WinAnsiEncoding"
                       "/FirstChar 32/LastChar 255/Widths [",
                       0),
            0u);
  // Liberation Sans Italic reads an italic angle of -12 degrees; one reading 0
  // would also be written as -12.
  const std::string d = f.GetSimpleFontDescriptor(0, "");
  EXPECT_NE(d.find("/ItalicAngle -12"), std::string::npos) << d;
  EXPECT_NE(d.find("/Flags 96"), std::string::npos) << d;  // nonsymbolic + italic
}

TEST_F(PDFFontResource, GlyphsPairWithTheirCharactersThroughTheClusterMap) {
  struct Case {
    const char* label;
    std::u16string text;
    std::vector<std::uint16_t> glyphs;  // visual order
    bool rtl;
    std::optional<TkmWordArray> clusters;
    std::vector<std::u16string> expected;  // text of each glyph, in visual order
  };
  const std::vector<Case> cases = {
      {"ligature", u"ffi!", {10, 11}, false, TkmWordArray{0, 0, 0, 1}, {u"ffi", u"!"}},
      // Right to left with a two-letter ligature: visual glyphs meem, lam-alef, seen.
      {"rtl ligature", u"\u0633\u0644\u0627\u0645", {20, 21, 22}, true, TkmWordArray{2, 1, 1, 0},
       {u"\u0645", u"\u0644\u0627", u"\u0633"}},
      // A base and its mark: one cluster of two glyphs and two characters.
      {"mark", u"\u0e27\u0e31x", {30, 31, 32}, false, TkmWordArray{0, 0, 2}, {u"\u0e27", u"\u0e31", u"x"}},
      {"beyond the basic plane", u"a\U0001D400", {40, 41}, false, TkmWordArray{0, 1, 1}, {u"a", u"\U0001D400"}},
      // More glyphs than characters without a map: the extra glyph stands for nothing.
      {"no map", u"ab", {50, 51, 52}, false, std::nullopt, {u"a", u"b", u""}},
      {"no map rtl", u"ab", {60, 61}, true, std::nullopt, {u"b", u"a"}},
      // A map that does not fit the text is not used.
      {"bad map", u"ab", {70, 71}, false, TkmWordArray{0, 5}, {u"a", u"b"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TkmPDFFont f(Font(u"Arial"), 7, true, true, true);
    std::vector<std::pair<std::uint16_t, int>> g;
    for (std::uint16_t id : c.glyphs) g.emplace_back(id, 500);
    f.AddUsedGlyphs(c.text, Glyphs(g), c.rtl, c.clusters ? &*c.clusters : nullptr);
    EXPECT_EQ(f.GetCID(), c.glyphs);
    std::vector<std::string> got, want;
    for (const auto& t : f.GetCharCodes()) got.push_back(WideToUtf8(t));
    for (const auto& t : c.expected) want.push_back(WideToUtf8(t));
    EXPECT_EQ(got, want);
  }
}

TEST_F(PDFFontResource, AnyClusterMapPairsEachCharacterAtMostOnce) {
  // Cluster maps as a shaper might give them, and malformed ones: every
  // character is used at most once and nothing is read outside the text.
  std::uint32_t seed = 12345;
  auto next = [&](std::uint32_t bound) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % bound;
  };
  for (int round = 0; round < 300; ++round) {
    const std::size_t length = 1 + next(8);
    const int glyphs = 1 + static_cast<int>(next(10));
    std::u16string text;
    for (std::size_t i = 0; i < length; ++i) text += static_cast<char16_t>(u'a' + i);
    TkmWordArray clusters(length);
    for (auto& k : clusters) k = static_cast<std::uint16_t>(next(12));
    std::vector<std::pair<std::uint16_t, int>> g;
    for (int j = 0; j < glyphs; ++j) g.emplace_back(static_cast<std::uint16_t>(100 + j), 500);
    TkmPDFFont f(Font(u"Arial"), 7, true, false, true);
    f.AddUsedGlyphs(text, Glyphs(g), next(2) == 1, &clusters);
    std::u16string all;
    for (const auto& t : f.GetCharCodes()) all += t;
    std::u16string sorted = all;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << WideToUtf8(all);
    EXPECT_LE(all.size(), length);
    EXPECT_EQ(f.GetCID().size(), static_cast<std::size_t>(glyphs));
  }
}

TEST_F(PDFFontResource, ToUnicodeMapIsAValidCMapInBlocksOfAHundred) {
  TkmPDFFont f(Font(u"Arial"), 7, true, false, true);
  std::vector<std::pair<std::uint16_t, int>> g;
  std::u16string text;
  for (int k = 0; k < 250; ++k) {
    g.emplace_back(static_cast<std::uint16_t>(1000 + k), 500);
    text += static_cast<char16_t>(0x4E00 + k);
  }
  f.AddUsedGlyphs(text, Glyphs(g), false);
  const TkmWordArray pair{0, 0};
  f.AddUsedGlyphs(u"\U0001F600", Glyphs({{7, 500}}), false, &pair);
  const std::string cmap = f.GetCMap();
  EXPECT_EQ(cmap, f.GetPDFCMap());
  EXPECT_NE(cmap.find("1 begincodespacerange\r\n<0000><FFFF>\r\nendcodespacerange"), std::string::npos);
  std::vector<int> blocks;
  std::regex block("(\\d+) beginbfchar\r\n");
  for (auto it = std::sregex_iterator(cmap.begin(), cmap.end(), block); it != std::sregex_iterator(); ++it) {
    blocks.push_back(std::stoi((*it)[1]));
  }
  EXPECT_EQ(blocks, (std::vector<int>{100, 100, 51}));
  EXPECT_NE(cmap.find("<0007><D83DDE00>\r\n"), std::string::npos);  // a surrogate pair
  EXPECT_NE(cmap.find("<03E8><4E00>\r\n"), std::string::npos);
  EXPECT_EQ(std::count(cmap.begin(), cmap.end(), '\n'), 10 + 3 * 2 + 251 + 2);
}

TEST_F(PDFFontResource, SimpleSubsetRecordsTheGlyphsOfItsCharacters) {
  TkmPDFFont f(Font(u"Arial"), 7, false, true, true);
  f.AddUsedCharacters(u"Hello  World");
  EXPECT_EQ(WideToUtf8(f.GetIncludedCharCode()), "HeloWrd");
  // The glyphs of the face's character map for those characters.
  const std::vector<std::uint8_t> data = ReadFileBytes(test::TestFontDir::File("LiberationSans-Regular.ttf"));
  std::set<std::uint16_t> expected;
  for (const TkmCharGlyph& e : ReadUnicodeCharMap(data, 0)) {
    if (std::u16string(u"HeloWrd").find(static_cast<char16_t>(e.Char)) != std::u16string::npos) expected.insert(e.Glyph);
  }
  EXPECT_EQ(f.GetUsedGlyphs(), expected);
  EXPECT_EQ(expected.size(), 7u);
}

TEST_F(PDFFontResource, FaceWithoutTrueTypeOutlinesIsEmbeddedThroughItsTrueTypeStandIn) {
  TkmPDFFont f(Font(u"KmTest Cff"), 7, false, false, true);
  EXPECT_EQ(WideToUtf8(f.GetFaceFamily()), "Arial");
  const std::vector<std::uint8_t> file = f.GetFontFile2();
  ASSERT_GT(file.size(), 12u);
  EXPECT_EQ(file[0], 0);  // a TrueType file (version 1.0), never CFF ("OTTO")
  EXPECT_EQ(file[1], 1);
}

TEST_F(PDFFontResource, FaceOfACollectionIsFoundByItsIndexAndEmbeddedAlone) {
  const std::string dir = MakeScratchDir("pdf-font-collection");
  for (const std::u16string family : {u"WenQuanYi Zen Hei", u"WenQuanYi Zen Hei Sharp"}) {
    TkmPDFFont f(Font(family), 7, true, false, true);
    EXPECT_EQ(f.GetFontFile(), test::TestFontDir::File("wqy-zenhei.ttc"));
    const std::vector<std::uint8_t> file = f.GetFontFile2();
    ASSERT_GT(file.size(), 4u);
    EXPECT_FALSE(IsFontCollection(file));
    const std::string path = dir + "/face" + std::to_string(f.GetFaceIndex()) + ".ttf";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
    const std::string out = test::RunPython(
        "from fontTools.ttLib import TTFont\n"
        "print(TTFont('" + path + "')['name'].getDebugName(1))\n");
    EXPECT_EQ(out, WideToUtf8(family) + "\n");
  }
}

TEST_F(PDFFontResource, GlyphToCharacterTableOfTheFace) {
  TkmPDFFont f(Font(u"Arial"), 7, true, false, true);
  f.CreateTTFGlyphs();
  ASSERT_FALSE(f.GetGlyphCharTable().empty());
  const std::string out = test::RunPython(
      "from fontTools.ttLib import TTFont\n"
      "f=TTFont('" + test::TestFontDir::File("LiberationSans-Regular.ttf") + "')\n"
      "print(f.getGlyphID(f.getBestCmap()[0x41]), f.getGlyphID(f.getBestCmap()[0x416]))\n");
  std::istringstream ids(out);
  int a = 0, zhe = 0;
  ids >> a >> zhe;
  EXPECT_EQ(f.GetCharOfGlyph(static_cast<std::uint16_t>(a)), u'A');
  EXPECT_EQ(f.GetCharOfGlyph(static_cast<std::uint16_t>(zhe)), u'\u0416');
  EXPECT_EQ(f.GetCharOfGlyph(65535), 0);
}

// ---- Files --------------------------------------------------------------------

// A PDF engine whose pages get their content from the test: text operators and
// font runs written straight into the page, no text writer involved.
class FontPageEngine : public TkmPDFEngine {
 public:
  std::function<void(FontPageEngine&)> OnPage;
  void BeginPage() override {
    TkmPDFEngine::BeginPage();
    if (OnPage) OnPage(*this);
  }
};

std::string HexGlyphs(const TkmGlyphInfoList& list) {
  std::string s = "<";
  char buf[8];
  for (int j = 0; j < list.Count(); ++j) {
    std::snprintf(buf, sizeof buf, "%04X", list.Items(j).GetID());
    s += buf;
  }
  return s + ">";
}

// Shapes the text and writes every run on its own line; returns the glyphs
// per font resource written.
void WriteShapedLine(FontPageEngine& e, const std::u16string& text, const std::u16string& family, double y,
                     std::map<int, std::set<std::uint16_t>>& used) {
  TkmStringAnalyzer analyzer;
  TFont font = Font(family);
  double x = 40;
  analyzer.StringAnalyze(
      text, TBiDiMode::bdLeftToRight, font,
      [&](const std::u16string& run, int, int, std::unique_ptr<TkmGlyphInfoList>& list, const TkmRunInfo& info,
          const TkmWordArray& clusters) {
        const int index = e.AddFontRun(font, run, list.get(), info, &clusters);
        std::string shown = info.ScriptProcessingRequired && list ? HexGlyphs(*list) : "(" + WideToAnsi(run) + ")";
        if (list) {
          for (int j = 0; j < list->Count(); ++j) used[index].insert(list->Items(j).GetID());
        }
        e.AppendContent("BT /F" + std::to_string(index) + " 18 Tf " + std::to_string(x) + " " + std::to_string(y) +
                        " Td " + shown + " Tj ET\r\n");
        x += 200;
        list.reset();
      },
      e.GetMapFont());
}

struct PdfFontsRow {
  std::string name, type, encoding;
  bool emb = false, sub = false, uni = false;
};

std::vector<PdfFontsRow> PdfFonts(const std::string& path) {
  const CommandResult r = RunCommand("pdffonts " + ShellQuote(path));
  EXPECT_EQ(r.ExitCode, 0) << r.Output;
  std::vector<PdfFontsRow> rows;
  std::istringstream lines(r.Output);
  std::string line;
  std::getline(lines, line);
  std::getline(lines, line);
  while (std::getline(lines, line)) {
    std::istringstream w(line);
    PdfFontsRow row;
    std::string word;
    std::vector<std::string> words;
    while (w >> word) words.push_back(word);
    if (words.size() < 8) continue;
    // name type... encoding emb sub uni object ID
    const std::size_t n = words.size();
    row.name = words[0];
    row.emb = words[n - 5] == "yes";
    row.sub = words[n - 4] == "yes";
    row.uni = words[n - 3] == "yes";
    row.encoding = words[n - 6];
    for (std::size_t k = 1; k < n - 6; ++k) row.type += (row.type.empty() ? "" : " ") + words[k];
    rows.push_back(row);
  }
  return rows;
}

struct FileCase {
  const char* name;
  TkmTTFontEmbedding embedding;
  bool compress;
  std::vector<std::u16string> exclude;
};

class PDFFontFiles : public PDFFontResource {};

TEST_F(PDFFontFiles, FontResourcesAreEmbeddedSubsetAndMappedToUnicode) {
  ASSERT_TRUE(HaveProgram("pdffonts")) << "pdffonts (poppler-utils) is needed";
  ASSERT_TRUE(HaveProgram("pdftotext")) << "pdftotext (poppler-utils) is needed";
  const std::string dir = MakeScratchDir("pdf-fonts");
  const std::string audit = std::string(KM_TOOLS_DIR) + "/pdf-audit";
  const std::vector<FileCase> cases = {
      {"subset", TkmTTFontEmbedding::etfSubset, true, {}},
      {"full", TkmTTFontEmbedding::etfFull, false, {}},
      {"subset-plain", TkmTTFontEmbedding::etfSubset, false, {}},
      {"excluded", TkmTTFontEmbedding::etfSubset, true, {u"liberation sans", u"Arial"}},
  };
  for (const FileCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::map<int, std::set<std::uint16_t>> used;
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
    {
      FontPageEngine e;
      e.GetPreferences().SetShowSetupDialog(false);
      e.GetPreferences().SetOpenAfterCreate(false);
      e.GetPreferences().SetEmbedTrueTypeFonts(c.embedding);
      e.GetCompression().SetEnabled(c.compress);
      e.SetFontEmbedExcludeList(c.exclude);
      e.SetFileName(dir + "/" + c.name);
      e.OnPage = [&](FontPageEngine& engine) {
        WriteShapedLine(engine, u"Hello World", u"Arial", 750, used);
        WriteShapedLine(engine, u"\u0394\u03b5\u03bb\u03c4\u03b1 \u0416\u0438\u0437\u043d\u044c", u"Arial", 700, used);
        WriteShapedLine(engine, u"\u4e2d\u6587\u5b57", u"Arial", 650, used);
        WriteShapedLine(engine, u"\u0928\u092e\u0938\u094d\u0924\u0947", u"Arial", 600, used);
        WriteShapedLine(engine, u"\u05e9\u05dc\u05d5\u05dd", u"Arial", 550, used);
        // No installed font has U+10FFFD: the run keeps its text with the missing glyph.
        WriteShapedLine(engine, u"x\U0010FFFDy", u"Arial", 500, used);
        // A vertical family writes CJK text with its own, vertical resource.
        WriteShapedLine(engine, u"\u4e2d\u6587", u"@WenQuanYi Zen Hei", 450, used);
        for (int i = 0; i < engine.GetFontCount() && c.embedding == TkmTTFontEmbedding::etfSubset; ++i) {
          files.emplace_back(WideToUtf8(engine.GetFontResource(i).GetFaceFamily()),
                             engine.GetFontResource(i).GetFontFile2Subset());
        }
      };
      e.BeginDoc();
      e.EndDoc();
    }
    const std::string path = dir + "/" + c.name + ".pdf";
    const CommandResult audited = RunCommand(audit + (c.exclude.empty() ? " " : " --fonts-may-be-unembedded ") +
                                             ShellQuote(path));
    EXPECT_EQ(audited.ExitCode, 0) << audited.Output;
    const CommandResult check = RunCommand("qpdf --check " + ShellQuote(path));
    EXPECT_EQ(check.ExitCode, 0) << check.Output;

    // Uncompressed font files carry their length directly, equal to /Length1.
    const std::string bytes = ReadWholeFile(path);
    std::smatch lengths;
    const bool direct = std::regex_search(bytes, lengths, std::regex("/Length1 (\\d+)/Length (\\d+)\r\n"));
    EXPECT_EQ(direct, !c.compress && c.embedding != TkmTTFontEmbedding::etfNone);
    if (direct) {
      EXPECT_EQ(lengths[1].str(), lengths[2].str());
    }

    // A whole face is embedded once however many resources use it: Liberation
    // Sans, the CJK face and the Devanagari face.
    std::size_t font_files = 0;
    for (std::size_t at = bytes.find("/Length1 "); at != std::string::npos; at = bytes.find("/Length1 ", at + 1)) {
      ++font_files;
    }
    if (c.embedding == TkmTTFontEmbedding::etfFull) {
      EXPECT_EQ(font_files, 3u);
    }

    const std::vector<PdfFontsRow> rows = PdfFonts(path);
    // Latin in a simple font; Greek and Cyrillic (outside WinAnsi), CJK,
    // Devanagari and Hebrew in composite fonts of their faces.
    std::set<std::string> names;
    std::vector<std::string> tags;
    int vertical = 0;
    for (const PdfFontsRow& row : rows) {
      const bool excluded = !c.exclude.empty() && row.name.find("Arial") != std::string::npos;
      const bool embed = c.embedding != TkmTTFontEmbedding::etfNone && !excluded;
      EXPECT_EQ(row.emb, embed) << row.name;
      EXPECT_EQ(row.sub, embed && c.embedding == TkmTTFontEmbedding::etfSubset) << row.name;
      EXPECT_EQ(row.sub, std::regex_search(row.name, std::regex("^[A-Z]{6}\\+"))) << row.name;
      if (row.type == "CID TrueType") {
        EXPECT_TRUE(row.uni) << row.name;
        vertical += row.encoding == "Identity-V";
        EXPECT_TRUE(row.encoding == "Identity-H" || row.encoding == "Identity-V") << row.encoding;
      } else {
        EXPECT_EQ(row.type, "TrueType") << row.name;
        EXPECT_EQ(row.encoding, "WinAnsi");
      }
      names.insert(std::regex_replace(row.name, std::regex("^[A-Z]{6}\\+"), ""));
      if (row.sub) tags.push_back(row.name.substr(0, 6));
    }
    // Every subset has its own tag; the first is WYOIAS.
    if (!tags.empty()) {
      EXPECT_EQ(tags[0], "WYOIAS");
    }
    EXPECT_EQ(std::set<std::string>(tags.begin(), tags.end()).size(), tags.size());
    EXPECT_EQ(vertical, 1);
    EXPECT_EQ(names, (std::set<std::string>{"Arial", "WenQuanYiZenHei", "NotoSansDevanagari"})) << rows.size();
    // Arial simple and composite, the CJK face horizontal and vertical, the Devanagari face.
    EXPECT_EQ(rows.size(), 5u);

    // Text extraction goes through the ToUnicode maps.
    const CommandResult text = RunCommand("pdftotext -layout " + ShellQuote(path) + " -");
    for (const char* expected : {"Hello World", "\u0394\u03b5\u03bb\u03c4\u03b1", "\u0416\u0438\u0437\u043d\u044c",
                                 "\u4e2d\u6587\u5b57", "\u0928\u092e\u0938\u094d\u0924\u0947",
                                 "x\U0010FFFDy"}) {
      EXPECT_NE(text.Output.find(expected), std::string::npos) << expected << "\n" << text.Output;
    }
    if (c.embedding != TkmTTFontEmbedding::etfSubset) continue;
    // Every subset loads in FreeType and fontTools and holds the glyphs asked for.
    for (const auto& [family, bytes] : files) {
      SCOPED_TRACE(family);
      FT_Face raw = nullptr;
      ASSERT_EQ(FT_New_Memory_Face(FreeTypeLibrary().get(), bytes.data(), static_cast<FT_Long>(bytes.size()), 0, &raw),
                0);
      FtFacePtr face(raw);
      EXPECT_GT(face->num_glyphs, 0);
    }
  }
}

TEST_F(PDFFontFiles, SubsetsLoadInFontToolsWithTheGlyphsAskedForAndAreSmall) {
  FontPageEngine e;
  e.GetPreferences().SetShowSetupDialog(false);
  e.GetPreferences().SetOpenAfterCreate(false);
  e.GetPreferences().SetEmbedTrueTypeFonts(TkmTTFontEmbedding::etfSubset);
  const std::string dir = MakeScratchDir("pdf-font-subsets");
  e.SetFileName(dir + "/subsets");
  std::map<int, std::set<std::uint16_t>> used;
  std::string report;
  e.OnPage = [&](FontPageEngine& engine) {
    WriteShapedLine(engine, u"The quick brown fox jumps over the lazy dog \u0416\u0438\u0437\u043d\u044c \u03a9", u"Arial", 750, used);
    WriteShapedLine(engine, u"\u4e2d\u6587\u5b57", u"Arial", 700, used);
    for (int i = 0; i < engine.GetFontCount(); ++i) {
      TkmPDFFont& font = engine.GetFontResource(i);
      if (font.GetFontEncoding() != TkmFontEncoding::feCID) continue;
      bool subset = false;
      const std::vector<std::uint8_t> part = font.GetFontFile2Subset(&subset);
      const std::vector<std::uint8_t> whole = font.GetFontFile2();
      EXPECT_TRUE(subset);
      EXPECT_LT(part.size() * 5, whole.size()) << WideToUtf8(font.GetFaceFamily());
      report += WideToUtf8(font.GetFaceFamily()) + ": subset " + std::to_string(part.size()) + " bytes, whole " +
                std::to_string(whole.size()) + " bytes\n";
      const std::string file = dir + "/font" + std::to_string(i) + ".ttf";
      std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(part.data()), part.size());
      std::string ids;
      for (std::uint16_t g : used[i]) ids += std::to_string(g) + ",";
      // fontTools decompiles every table of the subset and finds each glyph
      // asked with the outline it has in the whole font.
      const std::string out = test::RunPython(
          "from fontTools.ttLib import TTFont\n"
          "f=TTFont('" + file + "'); f.ensureDecompiled()\n"
          "w=TTFont('" + font.GetFontFile() + "', fontNumber=" + std::to_string(font.GetFaceIndex()) + ")\n"
          "g=f['glyf']; wg=w['glyf']; o=w.getGlyphOrder(); so=f.getGlyphOrder()\n"
          "ids=[" + ids + "]\n"
          "bad=[i for i in ids if g[so[i]].numberOfContours!=wg[o[i]].numberOfContours]\n"
          "drawn=[i for i in ids if g[so[i]].numberOfContours!=0]\n"
          "print('ok' if not bad and drawn else 'bad %s drawn %s' % (bad, drawn))\n");
      EXPECT_EQ(out, "ok\n") << file;
      // ttx dumps it; a large face only its outline tables, to keep the test short.
      const std::string tables = part.size() < 100000 ? "" : "-t glyf -t loca -t head -t hhea -t maxp ";
      const CommandResult ttx = RunCommand("/usr/bin/python3 -m fontTools.ttx -q " + tables + "-o " +
                                           ShellQuote(file + ".ttx") + " " + ShellQuote(file));
      EXPECT_EQ(ttx.ExitCode, 0) << ttx.Output;
      EXPECT_NE(ReadWholeFile(file + ".ttx").find("<TTGlyph name="), std::string::npos);
    }
  };
  e.BeginDoc();
  e.EndDoc();
  RecordProperty("subset_sizes", report);
  std::printf("%s", report.c_str());
  EXPECT_FALSE(report.empty());
}

}  // namespace
}  // namespace km
