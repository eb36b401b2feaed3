#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "../platform/kmTestFonts.h"
#include "kmFontFace.h"
#include "kmFontHandles.h"
#include "kmTrueType.h"
#include "kmTrueTypeSubset.h"

namespace km {
namespace {

using test::RunPython;
using test::TestFontDir;

const std::string kLiberation = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
const std::string kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const std::string kZenHei = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";

const std::vector<std::uint8_t>& Bytes(const std::string& path) {
  static std::map<std::string, std::vector<std::uint8_t>> cache;
  auto it = cache.find(path);
  if (it == cache.end()) it = cache.emplace(path, ReadFileBytes(path)).first;
  EXPECT_FALSE(it->second.empty()) << path;
  return it->second;
}

std::string WriteTemp(const std::vector<std::uint8_t>& bytes, const std::string& name) {
  std::string path = TestFontDir::Path() + "/../" + std::filesystem::path(TestFontDir::Path()).filename().string() +
                     "_" + name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return path;
}

// Loads font bytes with FreeType; returns the glyph count, or -1 when it
// fails. Also loads every glyph of `glyphs` and reports one without an outline.
// (A subset has no 'name' table, so FreeType gives it no family name.)
long LoadWithFreeType(const std::vector<std::uint8_t>& bytes, const std::vector<std::uint16_t>& glyphs = {}) {
  FtLibraryShared lib = FreeTypeLibrary();
  FT_Face raw = nullptr;
  if (FT_New_Memory_Face(lib.get(), bytes.data(), static_cast<FT_Long>(bytes.size()), 0, &raw) != 0) return -1;
  FtFacePtr face(raw);
  for (std::uint16_t g : glyphs) {
    EXPECT_EQ(FT_Load_Glyph(face.get(), g, FT_LOAD_NO_SCALE), 0) << "glyph " << g;
    EXPECT_GT(face->glyph->outline.n_points, 0) << "glyph " << g;
  }
  return face->num_glyphs;
}

TEST(TrueTypeDirectory, MatchesFontToolsForAFontAndEveryFaceOfACollection) {
  std::string out = RunPython(
      "from fontTools.ttLib import TTFont\n"
      "from fontTools.ttLib.ttCollection import TTCollection\n"
      "def show(font):\n"
      "  r=font.reader\n"
      "  print(' '.join('%s:%d:%d' % (t, r.tables[t].offset, r.tables[t].length) for t in sorted(r.tables.keys())))\n"
      "show(TTFont('" + kLiberation + "'))\n"
      "for f in TTCollection('" + kZenHei + "').fonts: show(f)\n");
  std::istringstream lines(out);
  auto mine = [](const std::string& path, int index) {
    std::optional<TkmSfntFace> face = ReadFace(Bytes(path), index);
    EXPECT_TRUE(face.has_value());
    std::vector<TkmTableRecord> tables = face ? face->Tables : std::vector<TkmTableRecord>{};
    std::sort(tables.begin(), tables.end(), [](auto& a, auto& b) { return a.Tag < b.Tag; });
    std::string s;
    for (const TkmTableRecord& r : tables) {
      if (!s.empty()) s += ' ';
      for (int k = 3; k >= 0; --k) s += static_cast<char>(r.Tag >> (8 * k));
      s += ":" + std::to_string(r.Offset) + ":" + std::to_string(r.Length);
    }
    return s;
  };
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(mine(kLiberation, 0), line);
  ASSERT_EQ(FaceCount(Bytes(kZenHei)), 3);
  for (int i = 0; i < 3; ++i) {
    std::getline(lines, line);
    EXPECT_EQ(mine(kZenHei, i), line) << "face " << i;
  }
  EXPECT_FALSE(ReadFace(Bytes(kZenHei), 3));
  EXPECT_FALSE(ReadFace(Bytes(kLiberation), 1));
  EXPECT_FALSE(ReadFace(Bytes(kLiberation), -1));
  EXPECT_EQ(FaceDirectoryOffset(Bytes(kLiberation), 0), 0u);
}

TEST(TrueTypeCharMap, UnicodeMapMatchesFontTools) {
  std::string out = RunPython(
      "from fontTools.ttLib import TTFont\n"
      "for path in ['" + kLiberation + "', '" + TestFontDir::File("KmTestSymbol.ttf") + "']:\n"
      "  f=TTFont(path)\n"
      "  t=[s for s in f['cmap'].tables if s.platformID==3 and s.platEncID in (0,1)][0]\n"
      "  g=f.getGlyphOrder(); ids={n:i for i,n in enumerate(g)}\n"
      "  print(' '.join('%d:%d' % (c, ids[n]) for c,n in sorted(t.cmap.items()) if c!=0xFFFF))\n");
  std::istringstream lines(out);
  for (const std::string& path : {kLiberation, TestFontDir::File("KmTestSymbol.ttf")}) {
    std::vector<TkmCharGlyph> map = ReadUnicodeCharMap(Bytes(path), 0);
    // fontTools leaves out codes that map to glyph 0; so does this comparison.
    std::string mine;
    std::vector<TkmCharGlyph> sorted = map;
    std::sort(sorted.begin(), sorted.end(), [](auto& a, auto& b) { return a.Char < b.Char; });
    for (const TkmCharGlyph& e : sorted) {
      if (e.Glyph == 0) continue;
      if (!mine.empty()) mine += ' ';
      mine += std::to_string(e.Char) + ":" + std::to_string(e.Glyph);
    }
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(mine, line) << path;
    EXPECT_FALSE(map.empty());
  }
}

TEST(TrueTypeCharMap, GlyphToCharacterTableFindsTheFirstCharacterOfAGlyph) {
  std::vector<std::uint8_t> cmap = ReadTable(Bytes(kLiberation), 0, TkmTag("cmap"));
  std::vector<TkmCharGlyph> table = BuildGlyphCharTable(cmap);
  ASSERT_FALSE(table.empty());
  std::vector<TkmCharGlyph> map = ReadUnicodeCharMap(Bytes(kLiberation), 0);
  auto glyph_of = [&](char16_t c) {
    for (auto& e : map) if (e.Char == c) return e.Glyph;
    return std::uint16_t(0);
  };
  EXPECT_EQ(CharOfGlyph(table, glyph_of(u'A')), u'A');
  EXPECT_EQ(CharOfGlyph(table, glyph_of(u'\u20ac')), u'\u20ac');
  EXPECT_EQ(CharOfGlyph(table, 65535), 0);
  // The table has one entry per code of every segment, 0xFFFF included.
  EXPECT_EQ(table.back().Char, 0xFFFF);
  // A symbol font has only a (3,0) map, which serves as well.
  std::vector<TkmCharGlyph> symbol = BuildGlyphCharTable(ReadTable(Bytes(TestFontDir::File("KmTestSymbol.ttf")), 0, TkmTag("cmap")));
  EXPECT_EQ(CharOfGlyph(symbol, 2), 0xF041);
}

TEST(TrueTypeSubset, NestedCompositesKeepAllTheirParts) {
  const auto& font = Bytes(TestFontDir::File("KmTestComposite.ttf"));
  // Glyph order: .notdef space dot ring ringdot triple unused last
  std::vector<std::uint16_t> wanted = {5, 7};
  std::optional<std::vector<std::uint16_t>> keep = GlyphsToKeep(font, 0, wanted);
  ASSERT_TRUE(keep);
  EXPECT_EQ(*keep, (std::vector<std::uint16_t>{0, 2, 3, 4, 5, 7}));
  std::vector<std::uint8_t> subset = SubsetTrueType(font, 0, wanted);
  ASSERT_FALSE(subset.empty());
  EXPECT_EQ(LoadWithFreeType(subset, {2, 3, 4, 5, 7}), 8);
  std::string path = WriteTemp(subset, "composite_subset.ttf");
  std::string out = RunPython(
      "from fontTools.ttLib import TTFont\n"
      "import struct\n"
      "o=TTFont('" + TestFontDir::File("KmTestComposite.ttf") + "'); s=TTFont('" + path + "')\n"
      "data=open('" + path + "','rb').read()\n"
      "data+=b'\\0'*(-len(data)%4)\n"
      "print(sum(struct.unpack('>%dI' % (len(data)//4), data)) & 0xFFFFFFFF == 0xB1B0AFBA)\n"
      "print(' '.join(sorted(s.reader.keys())))\n"
      "on=o.getGlyphOrder(); sn=s.getGlyphOrder()\n"  // without 'post' fontTools names glyphs itself
      "for n,m in zip(on, sn):\n"
      "  print(n, s['glyf'][m].numberOfContours, list(s['glyf'][m].getCoordinates(s['glyf'])[0]) == list(o['glyf'][n].getCoordinates(o['glyf'])[0]))\n");
  std::filesystem::remove(path);
  EXPECT_EQ(out,
            "True\n"
            "cmap glyf head hhea hmtx loca maxp\n"
            ".notdef 1 True\n"
            "space 0 True\n"
            "dot 1 True\n"
            "ring -1 True\n"
            "ringdot -1 True\n"
            "triple -1 True\n"
            "unused 0 False\n"
            "last 1 True\n");
}

TEST(TrueTypeSubset, SubsetOfARealFontLoadsAndIsSmall) {
  const auto& font = Bytes(kDejaVu);
  std::vector<TkmCharGlyph> map = ReadUnicodeCharMap(font, 0);
  std::vector<std::uint16_t> glyphs;
  for (char16_t c : std::u16string(u"Hello,\u00c5ngstr\u00f6m\u01fa!")) {
    for (auto& e : map) {
      if (e.Char == c) glyphs.push_back(e.Glyph);
    }
  }
  ASSERT_EQ(glyphs.size(), 16u);
  bool is_subset = false;
  std::vector<std::uint8_t> subset = FontFileForEmbedding(font, 0, glyphs, true, &is_subset);
  ASSERT_TRUE(is_subset);
  EXPECT_LT(subset.size() * 5, font.size());  // the outlines are the bulk of DejaVu Sans
  EXPECT_EQ(LoadWithFreeType(subset, glyphs), LoadWithFreeType(font));
  std::string path = WriteTemp(subset, "dejavu_subset.ttf");
  // fontTools: every kept glyph draws the same outline as in the original, and
  // every table checksum in the directory is right.
  std::string ids;
  for (std::uint16_t g : glyphs) ids += std::to_string(g) + ",";
  std::string out = RunPython(
      "from fontTools.ttLib import TTFont\n"
      "from fontTools.ttLib.sfnt import calcChecksum\n"
      "o=TTFont('" + kDejaVu + "'); s=TTFont('" + path + "')\n"
      "order=o.getGlyphOrder(); bad=[]\n"
      "for g in [" + ids + "]:\n"
      "  n=order[g]; a=o['glyf'][n]; b=s['glyf'][s.getGlyphOrder()[g]]\n"
      "  if list(a.getCoordinates(o['glyf'])[0]) != list(b.getCoordinates(s['glyf'])[0]) or a.numberOfContours==0: bad.append(n)\n"
      "for tag,entry in s.reader.tables.items():\n"
      "  d=s.reader[tag]\n"
      "  if tag=='head': d=d[:8]+b'\\0\\0\\0\\0'+d[12:]\n"
      "  if calcChecksum(d)!=entry.checkSum: bad.append(tag)\n"
      "print('bad', bad)\n");
  std::filesystem::remove(path);
  EXPECT_EQ(out, "bad []\n");
}

TEST(TrueTypeSubset, LastGlyphOfTheFontKeepsItsOutline) {
  const auto& font = Bytes(TestFontDir::File("KmTestComposite.ttf"));
  std::vector<std::uint16_t> last = {7};
  std::vector<std::uint8_t> subset = SubsetTrueType(font, 0, last);
  EXPECT_EQ(LoadWithFreeType(subset, {7}), 8);
}

TEST(TrueTypeEmbedding, CollectionFaceIsWrittenAsASingleFontFile) {
  const auto& ttc = Bytes(kZenHei);
  std::vector<std::uint8_t> whole = WholeFontFile(ttc, 1);
  ASSERT_FALSE(whole.empty());
  EXPECT_FALSE(IsFontCollection(whole));
  EXPECT_EQ(LoadWithFreeType(whole), LoadWithFreeType(ExtractFace(ttc, 1)));
  {
    FT_Face raw = nullptr;
    ASSERT_EQ(FT_New_Memory_Face(FreeTypeLibrary().get(), whole.data(), FT_Long(whole.size()), 0, &raw), 0);
    FtFacePtr loaded(raw);
    EXPECT_STREQ(loaded->family_name, "WenQuanYi Zen Hei Mono");
  }
  // Every table of the face comes through byte for byte.
  std::optional<TkmSfntFace> face = ReadFace(ttc, 1);
  ASSERT_TRUE(face);
  for (const TkmTableRecord& r : face->Tables) {
    std::vector<std::uint8_t> mine = ReadTable(whole, 0, r.Tag), theirs = ReadTable(ttc, 1, r.Tag);
    if (r.Tag == TkmTag("head")) {  // checkSumAdjustment belongs to the new file
      ASSERT_GE(mine.size(), 12u);
      std::fill(mine.begin() + 8, mine.begin() + 12, 0);
      std::fill(theirs.begin() + 8, theirs.begin() + 12, 0);
    }
    EXPECT_EQ(mine, theirs) << r.Tag;
  }
  // A single font is embedded as it is.
  EXPECT_EQ(WholeFontFile(Bytes(kLiberation), 0), Bytes(kLiberation));
  // A subset of a collection face is taken from that face's own directory.
  std::vector<std::uint16_t> glyphs = {100, 5000};
  std::vector<std::uint8_t> subset = SubsetTrueType(ttc, 2, glyphs);
  EXPECT_GT(LoadWithFreeType(subset, glyphs), 5000);
  EXPECT_LT(subset.size(), whole.size());
}

TEST(TrueTypeEmbedding, FaceWithoutTrueTypeOutlinesIsNeverEmbeddedAsTrueType) {
  const auto& cff = Bytes(TestFontDir::File("KmTestCff.otf"));
  std::vector<std::uint16_t> glyphs = {2};
  EXPECT_FALSE(HasTrueTypeOutlines(cff, 0));
  EXPECT_TRUE(SubsetTrueType(cff, 0, glyphs).empty());
  EXPECT_TRUE(WholeFontFile(cff, 0).empty());
  EXPECT_TRUE(FontFileForEmbedding(cff, 0, glyphs, true).empty());
}

// Damage made to a copy of the composite test font, each of which must give
// an empty result (subset) rather than a read outside the data.
struct Damage {
  const char* name;
  std::function<void(std::vector<std::uint8_t>&, const TkmSfntFace&)> apply;
};

void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v >> 8);
  b[at + 1] = static_cast<std::uint8_t>(v);
}
void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, static_cast<std::uint16_t>(v >> 16));
  Put16(b, at + 2, static_cast<std::uint16_t>(v));
}
std::size_t RecordOf(const TkmSfntFace& face, const char (&tag)[5]) {
  for (std::size_t i = 0; i < face.Tables.size(); ++i) {
    if (face.Tables[i].Tag == TkmTag(tag)) return 12 + 16 * i;
  }
  return 0;
}
const TkmTableRecord& TableOf(const TkmSfntFace& face, const char (&tag)[5]) { return *face.Find(TkmTag(tag)); }

TEST(TrueTypeMalformed, DamagedFontsGiveEmptyResultsWithoutReadingOutside) {
  const auto& good = Bytes(TestFontDir::File("KmTestComposite.ttf"));
  std::optional<TkmSfntFace> face = ReadFace(good, 0);
  ASSERT_TRUE(face);
  std::vector<Damage> cases = {
      {"table offset past the end", [](auto& b, auto& f) { Put32(b, RecordOf(f, "glyf") + 8, 0xFFFFFFF0u); }},
      {"table length past the end", [](auto& b, auto& f) { Put32(b, RecordOf(f, "glyf") + 12, 0x7FFFFFFFu); }},
      {"table count past the end", [](auto& b, auto&) { Put16(b, 4, 0xFFFF); }},
      {"loca entry past glyf", [](auto& b, auto& f) {
         // long or short, the last entry becomes huge
         auto& loca = TableOf(f, "loca");
         for (std::size_t i = loca.Offset + loca.Length - 2; i < loca.Offset + loca.Length; ++i) b[i] = 0xFF;
       }},
      {"loca entries decreasing", [](auto& b, auto& f) {
         auto& loca = TableOf(f, "loca");
         bool is_long = loca.Length >= 4 * 9;
         if (is_long) Put32(b, loca.Offset + 4 * 6, 0xFFFF); else Put16(b, loca.Offset + 2 * 6, 0xFFFF);
       }},
      {"numGlyphs beyond loca", [](auto& b, auto& f) { Put16(b, TableOf(f, "maxp").Offset + 4, 60000); }},
      {"bad indexToLocFormat", [](auto& b, auto& f) { Put16(b, TableOf(f, "head").Offset + 50, 7); }},
      {"head too short", [](auto& b, auto& f) { Put32(b, RecordOf(f, "head") + 12, 20); }},
      {"component index past the glyph count", [](auto& b, auto& f) {
         // glyph 3 (ring) is composite: its first component index follows the flags
         std::optional<std::vector<std::uint16_t>> dummy;
         auto& glyf = TableOf(f, "glyf");
         auto& loca = TableOf(f, "loca");
         bool is_long = loca.Length >= 4 * 9;
         std::size_t start = is_long ? (b[loca.Offset + 12] << 24 | b[loca.Offset + 13] << 16 | b[loca.Offset + 14] << 8 | b[loca.Offset + 15])
                                     : 2 * (b[loca.Offset + 6] << 8 | b[loca.Offset + 7]);
         Put16(b, glyf.Offset + start + 12, 999);
       }},
      {"components run past the glyph", [](auto& b, auto& f) {
         auto& glyf = TableOf(f, "glyf");
         auto& loca = TableOf(f, "loca");
         bool is_long = loca.Length >= 4 * 9;
         std::size_t start = is_long ? (b[loca.Offset + 12] << 24 | b[loca.Offset + 13] << 16 | b[loca.Offset + 14] << 8 | b[loca.Offset + 15])
                                     : 2 * (b[loca.Offset + 6] << 8 | b[loca.Offset + 7]);
         Put16(b, glyf.Offset + start + 10, 0x0020 | 0x0001 | 0x0080);  // MORE_COMPONENTS, words, 2x2
       }},
  };
  std::vector<std::uint16_t> glyphs = {3, 5, 7};
  for (const Damage& d : cases) {
    std::vector<std::uint8_t> bad = good;
    d.apply(bad, *face);
    EXPECT_TRUE(SubsetTrueType(bad, 0, glyphs).empty()) << d.name;
    bool is_subset = true;
    std::vector<std::uint8_t> fallback = FontFileForEmbedding(bad, 0, glyphs, true, &is_subset);
    EXPECT_FALSE(is_subset) << d.name;
  }
  // Every truncation of the file is handled as well.
  for (std::size_t size = 0; size < good.size(); size += 7) {
    std::vector<std::uint8_t> cut(good.begin(), good.begin() + size);
    EXPECT_TRUE(SubsetTrueType(cut, 0, glyphs).empty()) << size;
    ReadUnicodeCharMap(cut, 0);
  }
}

TEST(TrueTypeMalformed, CollectionsAndCharMapsAreCheckedToo) {
  std::vector<std::uint8_t> ttc = {'t', 't', 'c', 'f', 0, 1, 0, 0, 0x7F, 0xFF, 0xFF, 0xFF, 0, 0, 0, 12};
  EXPECT_EQ(FaceCount(ttc), 0);
  EXPECT_FALSE(ReadFace(ttc, 0));
  // A face offset inside the header points at garbage: no directory.
  std::vector<std::uint8_t> ttc2 = {'t', 't', 'c', 'f', 0, 1, 0, 0, 0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0x00};
  EXPECT_FALSE(ReadFace(ttc2, 0));
  EXPECT_TRUE(ExtractFace(ttc2, 0).empty());
  EXPECT_TRUE(WholeFontFile(ttc2, 0).empty());

  // A format 4 subtable whose segment count reaches past the table.
  std::vector<std::uint8_t> cmap = {0, 0, 0, 1, 0, 3, 0, 1, 0, 0, 0, 12,
                                    0, 4, 0, 32, 0, 0, 0xFF, 0xFE, 0, 0, 0, 0, 0, 0};
  EXPECT_TRUE(BuildGlyphCharTable(cmap).empty());
  // Overlapping segments would multiply the work: refused.
  std::vector<std::uint8_t> overlap = {0, 0, 0, 1, 0, 3, 0, 1, 0, 0, 0, 12,
                                       0, 4, 0, 40, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0,
                                       0xFF, 0xFE, 0xFF, 0xFE, 0, 0,       // end codes
                                       0, 0, 0, 0,                         // start codes
                                       0, 0, 0, 0, 0, 0, 0, 0};            // deltas, range offsets
  EXPECT_TRUE(BuildGlyphCharTable(overlap).empty());
  // An odd subtable offset is refused.
  std::vector<std::uint8_t> odd = cmap;
  odd[11] = 13;
  EXPECT_TRUE(BuildGlyphCharTable(odd).empty());
}

}  // namespace
}  // namespace km
