#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "kmCodePage.h"
#include "kmFontCatalog.h"
#include "kmFontMetrics.h"
#include "kmMath.h"
#include "kmScreen.h"
#include "kmTestFonts.h"

namespace km {
namespace {

using test::RunPython;
using test::TestFontDir;

const FontCatalog& Catalog() {
  static std::unique_ptr<FontCatalog> catalog = FontCatalog::FromDirectory(TestFontDir::Path());
  return *catalog;
}

std::unique_ptr<FontInstance> Select(const std::u16string& name, int height, int weight = 400, bool italic = false,
                                     TFontCharset charset = DEFAULT_CHARSET) {
  TLogFont lf;
  lf.lfFaceName = name;
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfItalic = italic;
  lf.lfCharSet = charset;
  auto font = Catalog().CreateFont(lf);
  EXPECT_NE(font, nullptr) << WideToUtf8(name);
  return font;
}

std::string FileName(const FontInstance& f) { return std::filesystem::path(f.Face().GetPath()).filename(); }

// Reads whitespace-separated integers printed by an oracle script.
std::vector<long> Numbers(const std::string& text) {
  std::istringstream in(text);
  std::vector<long> v;
  long x;
  while (in >> x) v.push_back(x);
  return v;
}

TEST(FontCatalog, ListsThePrivateFamiliesSortedAndOnlyThose) {
  std::vector<std::u16string> expected = {u"DejaVu Sans",       u"DejaVu Sans Mono",      u"KmTest Composite",
                                          u"KmTest Cff",        u"KmTest Symbol",         u"Liberation Mono",
                                          u"Liberation Sans",   u"Liberation Serif",      u"Noto Sans Devanagari", u"Noto Sans Thai",      u"WenQuanYi Zen Hei",
                                          u"WenQuanYi Zen Hei Mono", u"WenQuanYi Zen Hei Sharp"};
  std::sort(expected.begin(), expected.end(), [](const std::u16string& a, const std::u16string& b) {
    std::string x = WideToUtf8(a), y = WideToUtf8(b);
    std::transform(x.begin(), x.end(), x.begin(), ::toupper);
    std::transform(y.begin(), y.end(), y.begin(), ::toupper);
    return x < y;
  });
  EXPECT_EQ(Catalog().GetFamilies(), expected);
}

TEST(FontCatalog, ResolvesWindowsFamiliesToInstalledTwins) {
  struct Case { std::u16string asked; std::u16string resolved; bool installed; };
  for (const Case& c : std::vector<Case>{
           {u"Arial", u"Liberation Sans", false},
           {u"arial", u"Liberation Sans", false},
           {u"Helvetica", u"Liberation Sans", false},
           {u"Times New Roman", u"Liberation Serif", false},
           {u"Courier New", u"Liberation Mono", false},
           {u"Courier", u"Liberation Mono", false},
           {u"Tahoma", u"DejaVu Sans", false},
           {u"Verdana", u"DejaVu Sans", false},
           {u"Lucida Console", u"DejaVu Sans Mono", false},
           {u"Georgia", u"Liberation Serif", false},  // DejaVu Serif is not in the private set
           {u"SimSun", u"WenQuanYi Zen Hei", false},
           {u"MS Gothic", u"WenQuanYi Zen Hei Mono", false},
           {u"dejavu sans", u"DejaVu Sans", true},
           {u"Liberation Sans", u"Liberation Sans", true},
           {u"No Such Family", u"", false},
           {u"Wingdings", u"", false},
       }) {
    EXPECT_EQ(Catalog().ResolveFamily(c.asked), c.resolved) << WideToUtf8(c.asked);
    EXPECT_EQ(Catalog().IsInstalled(c.asked), c.installed) << WideToUtf8(c.asked);
  }
}

TEST(FontCatalog, SelectsTheFaceByWeightAndItalic) {
  struct Case { std::u16string name; int weight; bool italic; std::string file; };
  for (const Case& c : std::vector<Case>{
           {u"Arial", 400, false, "LiberationSans-Regular.ttf"},
           {u"Arial", 700, false, "LiberationSans-Bold.ttf"},
           {u"Arial", 400, true, "LiberationSans-Italic.ttf"},
           {u"Arial", 700, true, "LiberationSans-BoldItalic.ttf"},
           {u"Arial", 900, false, "LiberationSans-Bold.ttf"},
           {u"DejaVu Sans", 700, true, "DejaVuSans-Bold.ttf"},  // no oblique installed: nearest weight
           {u"WenQuanYi Zen Hei Sharp", 400, false, "wqy-zenhei.ttc"},
           {u"No Such Family", 400, false, "DejaVuSans.ttf"},
       }) {
    auto f = Select(c.name, -16, c.weight, c.italic);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(FileName(*f), c.file) << WideToUtf8(c.name) << " " << c.weight << " " << c.italic;
  }
  EXPECT_EQ(Select(u"WenQuanYi Zen Hei Sharp", -16)->Face().GetIndex(), 2);
  EXPECT_EQ(Select(u"WenQuanYi Zen Hei Mono", -16)->Face().GetIndex(), 1);
  // An italic request that only a regular face can serve still reports italic.
  EXPECT_EQ(Select(u"DejaVu Sans", -16, 400, true)->GetTextMetrics().tmItalic, 1);
}

TEST(FontCatalog, UnknownFamilyWithACharsetFallsBackToAFamilyOfferingIt) {
  auto chinese = Select(u"No Such Family", -16, 400, false, GB2312_CHARSET);
  EXPECT_EQ(FileName(*chinese), "wqy-zenhei.ttc");
  EXPECT_EQ(chinese->GetTextMetrics().tmCharSet, GB2312_CHARSET);
  auto latin = Select(u"Arial", -16, 400, false, DEFAULT_CHARSET);
  EXPECT_EQ(latin->GetTextMetrics().tmCharSet, ANSI_CHARSET);
}

TEST(FontCatalog, CharsetsOfAFamilyComeFromTheCodePageRanges) {
  // Oracle: the OS/2 code page bits as fontTools reads them.
  std::string out = RunPython(
      "from fontTools.ttLib import TTFont\n"
      "bits={0:0,1:238,2:204,3:161,4:162,5:177,6:178,7:186,8:163,16:222,17:128,18:134,19:129,20:136,21:130,29:77,30:255,31:2}\n"
      "for f in ['" + TestFontDir::File("LiberationSans-Regular.ttf") + "','" +
      TestFontDir::File("DejaVuSansMono.ttf") + "']:\n"
      "  r=TTFont(f)['OS/2'].ulCodePageRange1\n"
      "  print(' '.join(str(bits[b]) for b in sorted(bits) if r>>b&1)); print(-1)\n");
  std::vector<long> v = Numbers(out);
  auto sep = std::find(v.begin(), v.end(), -1);
  std::vector<long> liberation(v.begin(), sep), mono(sep + 1, v.end() - 1);
  auto sets = [](const std::u16string& family) {
    std::vector<long> r;
    for (TFontCharset c : Catalog().GetSupportedCharsets(family)) r.push_back(c);
    return r;
  };
  EXPECT_EQ(sets(u"Arial"), liberation);
  EXPECT_EQ(sets(u"DejaVu Sans Mono"), mono);
  EXPECT_GE(liberation.size(), 5u);
  EXPECT_EQ(sets(u"KmTest Symbol"), std::vector<long>{SYMBOL_CHARSET});
  EXPECT_TRUE(sets(u"No Such Family").empty());
}

TEST(FontFace, TrueTypeMeansTheFaceHasAGlyfTable) {
  EXPECT_TRUE(Catalog().IsTrueTypeFamily(u"Arial"));
  EXPECT_TRUE(Catalog().IsTrueTypeFamily(u"WenQuanYi Zen Hei"));
  EXPECT_FALSE(Catalog().IsTrueTypeFamily(u"KmTest Cff"));
  EXPECT_FALSE(Catalog().IsTrueTypeFamily(u"No Such Family"));
  EXPECT_EQ(Select(u"KmTest Cff", -16)->GetTextMetrics().tmPitchAndFamily & TMPF_TRUETYPE, 0);
  EXPECT_EQ(Select(u"Arial", -16)->GetTextMetrics().tmPitchAndFamily & TMPF_TRUETYPE, TMPF_TRUETYPE);
}

struct MetricsCase {
  std::u16string family;
  int weight;
  bool italic;
  std::string file;
  int index;
  int height;
};

// tmAscent, tmDescent, tmHeight, tmInternalLeading, tmExternalLeading,
// tmAveCharWidth, tmMaxCharWidth, tmWeight and the outline metrics that the
// PDF font descriptors use, recomputed from the raw tables by fontTools.
TEST(FontMetrics, TextAndOutlineMetricsMatchTheFontTables) {
  std::vector<MetricsCase> cases = {
      {u"Arial", 400, false, "LiberationSans-Regular.ttf", 0, -13},
      {u"Arial", 400, false, "LiberationSans-Regular.ttf", 0, -1333},
      {u"Arial", 700, true, "LiberationSans-BoldItalic.ttf", 0, -16},
      {u"Times New Roman", 400, false, "LiberationSerif-Regular.ttf", 0, 20},
      {u"Courier New", 400, false, "LiberationMono-Regular.ttf", 0, -1333},
      {u"DejaVu Sans", 700, false, "DejaVuSans-Bold.ttf", 0, -27},
      {u"WenQuanYi Zen Hei Mono", 400, false, "wqy-zenhei.ttc", 1, -1333},
  };
  std::string script =
      "from fontTools.ttLib import TTFont\n"
      "def R(x): return int(round(x))\n"  // Python rounds halves to even, as the system does
      "def m(path, index, height):\n"
      "  f=TTFont(path, fontNumber=index); os2=f['OS/2']; hh=f['hhea']; hd=f['head']; post=f['post']\n"
      "  upem=hd.unitsPerEm; wa=os2.usWinAscent; wd=os2.usWinDescent\n"
      "  em = -height if height<0 else height*upem/(wa+wd)\n"
      "  s=lambda u: R(u*em/upem)\n"
      "  asc=s(wa); desc=s(wd); h=asc+desc\n"
      "  ext=max(0, s(hh.lineGap-((wa+wd)-(hh.ascent-hh.descent))))\n"
      "  def top(ch):\n"
      "    g=f['glyf'][f.getBestCmap()[ord(ch)]]; g.recalcBounds(f['glyf']); return g.yMax\n"
      "  cap=os2.sCapHeight if os2.version>=2 and os2.sCapHeight>0 else top('H')\n"
      "  xh=os2.sxHeight if os2.version>=2 and os2.sxHeight>0 else top('x')\n"
      "  print(asc, desc, h, max(0,h-R(em)), ext, s(os2.xAvgCharWidth), s(hh.advanceWidthMax), os2.usWeightClass,\n"
      "        upem, s(os2.sTypoAscender), s(os2.sTypoDescender), s(os2.sTypoLineGap), s(cap), s(xh),\n"
      "        R(post.italicAngle*10), s(hd.xMin), s(hd.yMax), s(hd.xMax), s(hd.yMin), os2.fsType,\n"
      "        s(post.underlinePosition), s(post.underlineThickness), s(os2.yStrikeoutSize), s(os2.yStrikeoutPosition),\n"
      "        int(post.isFixedPitch!=0), os2.panose.bFamilyType)\n";
  for (const MetricsCase& c : cases) {
    script += "m('" + TestFontDir::File(c.file) + "', " + std::to_string(c.index) + ", " +
              std::to_string(c.height) + ")\n";
  }
  std::istringstream lines(RunPython(script));
  for (const MetricsCase& c : cases) {
    std::string line;
    std::getline(lines, line);
    std::vector<long> want = Numbers(line);
    ASSERT_EQ(want.size(), 26u) << line;
    auto font = Select(c.family, c.height, c.weight, c.italic);
    ASSERT_EQ(FileName(*font), c.file);
    ASSERT_EQ(font->Face().GetIndex(), c.index);
    TOutlineTextMetric otm = font->GetOutlineTextMetrics();
    const TTextMetric& tm = otm.otmTextMetrics;
    std::vector<long> got = {tm.tmAscent, tm.tmDescent, tm.tmHeight, tm.tmInternalLeading, tm.tmExternalLeading,
                             tm.tmAveCharWidth, tm.tmMaxCharWidth, tm.tmWeight, long(otm.otmEMSquare), otm.otmAscent,
                             otm.otmDescent, long(otm.otmLineGap), long(otm.otmsCapEmHeight), long(otm.otmsXHeight),
                             otm.otmItalicAngle, otm.otmrcFontBox.Left, otm.otmrcFontBox.Top, otm.otmrcFontBox.Right,
                             otm.otmrcFontBox.Bottom, long(otm.otmfsType), otm.otmsUnderscorePosition,
                             otm.otmsUnderscoreSize, otm.otmsStrikeoutSize, otm.otmsStrikeoutPosition,
                             (tm.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0, otm.otmPanoseNumber[0]};
    EXPECT_EQ(got, want) << line << " for " << c.file << " at " << c.height;
  }
}

TEST(FontMetrics, CellHeightAndEmHeightFollowTheLogicalFontRule) {
  auto cell = Select(u"Arial", 20);
  EXPECT_EQ(cell->GetTextMetrics().tmHeight, 20);
  auto em = Select(u"Arial", -20);
  EXPECT_DOUBLE_EQ(em->EmPixels(), 20.0);
  EXPECT_GT(em->GetTextMetrics().tmHeight, 20);
  EXPECT_EQ(em->GetTextMetrics().tmHeight - em->GetTextMetrics().tmInternalLeading, 20);
}

TEST(FontMetrics, PitchAndFamilyByteDescribesTheFace) {
  struct Case { std::u16string family; std::uint8_t expected; };
  for (const Case& c : std::vector<Case>{
           {u"Arial", TMPF_FIXED_PITCH | TMPF_VECTOR | TMPF_TRUETYPE | FF_SWISS},
           {u"Times New Roman", TMPF_FIXED_PITCH | TMPF_VECTOR | TMPF_TRUETYPE | FF_ROMAN},
           {u"Courier New", TMPF_VECTOR | TMPF_TRUETYPE | FF_MODERN},
       }) {
    EXPECT_EQ(Select(c.family, -16)->GetTextMetrics().tmPitchAndFamily, c.expected) << WideToUtf8(c.family);
  }
}

TEST(FontMetrics, ExtentsAreSumsOfWholePixelAdvances) {
  struct Case { std::u16string family; std::string file; int index; int height; std::u16string text; };
  std::vector<Case> cases = {
      {u"Arial", "LiberationSans-Regular.ttf", 0, -13, u"Hello, World!"},
      {u"DejaVu Sans", "DejaVuSans.ttf", 0, -16, u"\u00dcber \u20ac 12,50 \u03a9\u0436"},
      {u"Courier New", "LiberationMono-Regular.ttf", 0, -1333, u"mono"},
      {u"WenQuanYi Zen Hei", "wqy-zenhei.ttc", 0, -21, u"\u4e2d\u6587 text"},
      // U+1D11E (a surrogate pair) is not in Liberation Sans: one missing glyph.
      {u"Arial", "LiberationSans-Regular.ttf", 0, -40, u"a\U0001D11Eb"},
  };
  std::string script =
      "from fontTools.ttLib import TTFont\n"
      "def w(path, index, height, text):\n"
      "  f=TTFont(path, fontNumber=index); cmap=f.getBestCmap(); hm=f['hmtx']; upem=f['head'].unitsPerEm\n"
      "  order=f.getGlyphOrder()\n"
      "  print(sum(int(round(hm[cmap.get(ord(ch), order[0])][0]*(-height)/upem)) for ch in text))\n";
  for (const Case& c : cases) {
    std::string utf8 = WideToUtf8(c.text);
    script += "w('" + TestFontDir::File(c.file) + "', " + std::to_string(c.index) + ", " + std::to_string(c.height) +
              ", bytes.fromhex('";
    for (unsigned char b : utf8) {
      const char* hex = "0123456789abcdef";
      script += hex[b >> 4];
      script += hex[b & 15];
    }
    script += "').decode('utf-8'))\n";
  }
  std::vector<long> want = Numbers(RunPython(script));
  ASSERT_EQ(want.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    auto f = Select(cases[i].family, cases[i].height);
    ASSERT_EQ(FileName(*f), cases[i].file);
    TSize size = f->GetTextExtent(cases[i].text);
    EXPECT_EQ(size.cx, want[i]) << WideToUtf8(cases[i].text);
    EXPECT_EQ(size.cy, f->GetTextMetrics().tmHeight);
  }
  EXPECT_EQ(Select(u"Arial", -13)->GetTextExtent(u"").cx, 0);
}

TEST(FontMetrics, SymbolFaceMeasuresLatin1CodesThroughItsPrivateRange) {
  auto f = Select(u"KmTest Symbol", -1000);
  // 'A' and 'B' map through U+F041/U+F042 to widths 600 and 700 of a 1000-unit em.
  EXPECT_EQ(f->GetTextExtent(u"AB").cx, 1300);
  EXPECT_EQ(f->GetTextMetrics().tmCharSet, SYMBOL_CHARSET);
}

TEST(FontData, TablesWholeFilesAndCollections) {
  auto liberation = Select(u"Arial", -16);
  std::vector<std::uint8_t> file = ReadFileBytes(TestFontDir::File("LiberationSans-Regular.ttf"));
  ASSERT_FALSE(file.empty());
  EXPECT_EQ(liberation->Face().GetFontData(kFontDataWholeFont), file);
  EXPECT_TRUE(liberation->Face().GetFontData(kFontDataCollection).empty());
  EXPECT_TRUE(liberation->Face().GetFontData(TableTag("CFF ")).empty());
  EXPECT_FALSE(liberation->Face().IsInCollection());

  auto mono = Select(u"WenQuanYi Zen Hei Mono", -16);
  ASSERT_EQ(mono->Face().GetIndex(), 1);
  EXPECT_TRUE(mono->Face().IsInCollection());
  std::vector<std::uint8_t> ttc = ReadFileBytes(TestFontDir::File("wqy-zenhei.ttc"));
  EXPECT_EQ(mono->Face().GetFontData(kFontDataCollection), ttc);
  // Oracle: the raw bytes of tables and the face's directory offset.
  std::string out = RunPython(
      "from fontTools.ttLib import TTFont\n"
      "import struct\n"
      "f=TTFont('" + TestFontDir::File("LiberationSans-Regular.ttf") + "')\n"
      "print(f.reader['head'].hex()); print(f.reader['OS/2'].hex())\n"
      "g=TTFont('" + TestFontDir::File("wqy-zenhei.ttc") + "', fontNumber=1)\n"
      "print(g.reader['hhea'].hex())\n"
      "data=open('" + TestFontDir::File("wqy-zenhei.ttc") + "','rb').read()\n"
      "print(struct.unpack('>I', data[16:20])[0])\n");
  std::istringstream lines(out);
  auto hex = [](const std::vector<std::uint8_t>& bytes) {
    std::string s;
    for (std::uint8_t b : bytes) {
      const char* digits = "0123456789abcdef";
      s += digits[b >> 4];
      s += digits[b & 15];
    }
    return s;
  };
  std::string head, os2, hhea, offset;
  std::getline(lines, head);
  std::getline(lines, os2);
  std::getline(lines, hhea);
  std::getline(lines, offset);
  EXPECT_EQ(hex(liberation->Face().GetFontData(TableTag("head"))), head);
  EXPECT_EQ(hex(liberation->Face().GetFontData(TableTag("OS/2"))), os2);
  EXPECT_EQ(hex(mono->Face().GetFontData(TableTag("hhea"))), hhea);
  std::vector<std::uint8_t> from_face = mono->Face().GetFontData(kFontDataWholeFont);
  std::size_t face_offset = std::stoul(offset);
  ASSERT_LT(face_offset, ttc.size());
  EXPECT_EQ(from_face, std::vector<std::uint8_t>(ttc.begin() + face_offset, ttc.end()));
}

TEST(FontCatalog, DefaultCatalogueIsReplaceableForAScope) {
  {
    ScopedFontCatalog scoped(FontCatalog::FromDirectory(TestFontDir::Path()));
    EXPECT_TRUE(FontCatalog::Default().IsInstalled(u"KmTest Composite"));
  }
  {
    ScopedFontCatalog empty(FontCatalog::FromDirectory("/nonexistent-font-dir"));
    EXPECT_TRUE(FontCatalog::Default().GetFamilies().empty());
    EXPECT_EQ(FontCatalog::Default().CreateFont(TLogFont{}), nullptr);
  }
}

}  // namespace
}  // namespace km
