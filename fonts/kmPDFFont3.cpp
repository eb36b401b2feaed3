#include "kmPDFFont3.h"

#include <algorithm>
#include <cstdlib>

#include "kmCodePage.h"
#include "kmFileBytes.h"
#include "kmFilters3.h"
#include "kmMath.h"
#include "kmNumFormat.h"
#include "kmScreen.h"
#include "kmTrueType.h"
#include "kmTrueTypeSubset.h"
#include "kmUtils3.h"
#include "kmPDFFormat.h"

namespace km {

namespace {

constexpr const char* kCRLF = "\r\n";

// Thousandths of the em from pixels of the 1000-point measuring font.
double PixelsToGlyphUnits(double pixels) { return pixels / CPixelsPerInch * 72.0; }

std::string Hex4(std::uint32_t v) {
  static const char digits[] = "0123456789ABCDEF";
  std::string s;
  do {
    s.insert(s.begin(), digits[v & 0xF]);
    v >>= 4;
  } while (v != 0);
  while (s.size() < 4) s.insert(s.begin(), '0');
  return s;
}

std::string Utf16Hex(const std::u16string& text) {
  std::string s;
  for (char16_t c : text) s += Hex4(c);
  return s;
}

std::string Ref(int objNo) { return TkmPDFObjectWriter::MakeObjRef(objNo); }

std::string NamePrefix(const std::string& tag) { return tag.empty() ? std::string() : tag + "+"; }

// For each code unit of a run, the index of its cluster's first glyph, when the
// map fits the text and the glyphs; empty otherwise.
bool ClusterMapFits(const std::u16string& text, const TkmWordArray* clusters, int glyph_count) {
  if (clusters == nullptr || clusters->size() != text.size() || text.empty()) return false;
  return std::all_of(clusters->begin(), clusters->end(), [&](std::uint16_t g) { return g < glyph_count; });
}

// Pairs every glyph of a shaped run with the text it stands for (see
// AddUsedGlyphs): the result holds one text per glyph, in visual order.
std::vector<std::u16string> GlyphTexts(const std::u16string& text, int glyph_count, bool rtl,
                                       const TkmWordArray& clusters) {
  std::vector<std::u16string> out(glyph_count);
  // Cluster starts in logical order: for each, its code units, in order.
  std::vector<std::pair<int, std::vector<int>>> groups;  // (first glyph, code units)
  for (std::size_t i = 0; i < clusters.size(); ++i) {
    int g = clusters[i];
    auto it = std::find_if(groups.begin(), groups.end(), [&](const auto& e) { return e.first == g; });
    if (it == groups.end()) groups.push_back({g, {static_cast<int>(i)}});
    else it->second.push_back(static_cast<int>(i));
  }
  std::vector<int> starts;
  for (const auto& e : groups) starts.push_back(e.first);
  std::sort(starts.begin(), starts.end());
  for (const auto& [first, units] : groups) {
    // The glyphs of the cluster in logical order: left to right from its first
    // glyph up to the next cluster's first glyph, or right to left down to the
    // previous one for a right-to-left run.
    std::vector<int> glyphs;
    auto pos = std::lower_bound(starts.begin(), starts.end(), first);
    if (!rtl) {
      int end = pos + 1 != starts.end() ? *(pos + 1) : glyph_count;
      for (int g = first; g < end; ++g) glyphs.push_back(g);
    } else {
      int end = pos != starts.begin() ? *(pos - 1) : -1;
      for (int g = first; g > end; --g) glyphs.push_back(g);
    }
    for (std::size_t k = 0; k < glyphs.size() && k < units.size(); ++k) {
      std::u16string part;
      std::size_t last = k + 1 == glyphs.size() ? units.size() : k + 1;
      for (std::size_t u = k; u < last; ++u) part += text[static_cast<std::size_t>(units[u])];
      out[static_cast<std::size_t>(glyphs[k])] = part;
    }
  }
  return out;
}

}  // namespace

std::string SubsetTag(int n) {
  std::string tag = "WYOIAS";
  // Counts on from the first tag in base 26, the last letter fastest.
  for (int i = 5; i >= 0 && n > 0; --i) {
    int v = (tag[i] - 'A') + n;
    tag[i] = static_cast<char>('A' + v % 26);
    n = v / 26;
  }
  return tag;
}

std::string ConvertDelimiters(const std::u16string& name) {
  static const std::string delimiters = "()<>[]{}/%#";
  std::string out;
  for (unsigned char c : WideToUtf8(name)) {
    if (c < '!' || c > '~' || delimiters.find(static_cast<char>(c)) != std::string::npos) {
      out += '#';
      out += Hex4(c).substr(2);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

TkmPDFFont::TkmPDFFont(const TFont& AFont, int AFontObjRef, bool AIsCID, bool ASubset, bool ACharset,
                       const FontCatalog& ACatalog)
    : FFont(AFont), FSubset(ASubset) {
  FFontInfo.FfiFontObjRef = AFontObjRef;
  FFontEncoding = AIsCID ? TkmFontEncoding::feCID : TkmFontEncoding::feWinAnsi;
  // A vertical family ("@" + name) is drawn with the face of the name.
  FFaceFamily = FFont.GetName();
  if (!FFaceFamily.empty() && FFaceFamily[0] == u'@') FFaceFamily.erase(0, 1);
  if (!ACatalog.IsTrueTypeFamily(FFaceFamily)) FFaceFamily = u"Arial";
  FillFontMetrics(ACatalog, ACharset);
  SetBaseFont();
  if (FFontEncoding == TkmFontEncoding::feWinAnsi && FSubset) GetFontCMapDetails();
}

// Measures the face at 1000 points, as the platform's text and outline metrics
// give it, in thousandths of the em.
void TkmPDFFont::FillFontMetrics(const FontCatalog& ACatalog, bool ACharset) {
  if (ACharset && FFont.GetCharset() == DEFAULT_CHARSET) {
    std::vector<TFontCharset> sets = ACatalog.GetSupportedCharsets(FFaceFamily);
    if (sets.size() == 1) FFont.SetCharset(sets[0]);
  }
  TFont measure = FFont;
  measure.SetName(FFaceFamily);
  measure.SetSize(1000);
  std::unique_ptr<FontInstance> font = ACatalog.CreateFont(measure);
  if (!font || !font->Face().IsTrueType()) return;
  FFace = font->SharedFace();
  const TTextMetric tm = font->GetTextMetrics();
  const std::uint8_t pf = tm.tmPitchAndFamily;
  TkmPDFFontInfo& fi = FFontInfo;
  fi.FfiType = TkmFontType::ftTrueType;
  fi.FfiIsFixedPitch = (pf & TMPF_FIXED_PITCH) == 0;
  for (char16_t c = 32; c <= 255; ++c) {
    fi.FfiWidths[c - 32] = PixelsToGlyphUnits(font->GetTextExtent(std::u16string(1, c)).cx);
  }
  if (fi.FfiIsFixedPitch && !FSubset) fi.FfiMaxWidth = static_cast<int>(Round(fi.FfiWidths[0]));
  const bool symbol = FFont.GetCharset() == SYMBOL_CHARSET;
  fi.FfiFlags = (fi.FfiIsFixedPitch ? 1 : 0) + ((pf & 16) ? 2 : 0) + (symbol ? 4 : 0) + ((pf & 64) ? 8 : 0) +
                (symbol ? 0 : 32) + (FFont.IsItalic() ? 64 : 0);
  fi.FfiAscent = PixelsToGlyphUnits(tm.tmAscent);
  fi.FfiDescent = -PixelsToGlyphUnits(std::abs(tm.tmDescent));
  fi.FfiCapHeight = fi.FfiAscent;
  const int ppi = static_cast<int>(CPixelsPerInch);
  fi.FfiAvgWidth = (tm.tmAveCharWidth / ppi) * 72;
  if (!fi.FfiIsFixedPitch) fi.FfiMaxWidth = (tm.tmMaxCharWidth / ppi) * 72;
  fi.FfiFontWeight = tm.tmWeight;
  fi.FfiFontBBox.Top = static_cast<int>(Round(fi.FfiAscent));
  fi.FfiFontBBox.Right = fi.FfiMaxWidth;
  fi.FfiFontBBox.Bottom = static_cast<int>(Round(fi.FfiDescent));
  fi.FfiItalicAngle = font->GetOutlineTextMetrics().otmItalicAngle / 10;
  fi.FfiStemV = 78;
}

void TkmPDFFont::SetBaseFont() {
  std::u16string name;
  for (char16_t c : FFaceFamily) {
    if (c != u' ') name += c;
  }
  if (FFaceFamily != u"Symbol" && (FFont.IsBold() || FFont.IsItalic())) {
    name += u",";
    if (FFont.IsBold()) name += u"Bold";
    if (FFont.IsItalic()) name += u"Italic";
  }
  FBaseFont = ConvertDelimiters(name);
}

// The face's whole Unicode character map, for looking up the glyphs of the
// characters a simple subset font uses.
void TkmPDFFont::GetFontCMapDetails() {
  if (!FFace) return;
  TBytes data = ReadFileBytes(FFace->GetPath());
  for (const TkmCharGlyph& e : ReadUnicodeCharMap(data, FFace->GetIndex())) {
    FCID.push_back(e.Glyph);
    FCharCode.push_back(std::u16string(1, e.Char));
  }
}

bool TkmPDFFont::IsEqual(const TFont& AFont, TkmFontEncoding AEncoding, bool AIsIdentityH) const {
  return IsEqual(AFont) && FFontEncoding == AEncoding && FIsIdentityH == AIsIdentityH;
}

bool TkmPDFFont::IsEqual(const TFont& AFont) const {
  return AFont.GetName() == FFont.GetName() && AFont.IsBold() == FFont.IsBold() &&
         AFont.IsItalic() == FFont.IsItalic();
}

void TkmPDFFont::RecordGlyph(std::uint16_t AGlyph, std::u16string AText, int AWidth) {
  FCID.push_back(AGlyph);
  FUsedGlyphs.insert(AGlyph);
  if (FSubset) {
    for (char16_t c : AText) {
      if (c != u' ' && FIncludedCharCode.find(c) == std::u16string::npos) FIncludedCharCode += c;
    }
  }
  FCharCode.push_back(std::move(AText));
  FWidths.push_back(AWidth);
  FFirstGlyph = std::min<std::uint32_t>(FFirstGlyph, AGlyph);
  FLastGlyph = std::max<std::uint32_t>(FLastGlyph, AGlyph);
}

void TkmPDFFont::AddUsedGlyphs(const std::u16string& AText, const TkmGlyphInfoList& AGlyphList, bool RTL,
                               const TkmWordArray* ALogClust) {
  const int n = AGlyphList.Count();
  std::vector<std::u16string> texts(static_cast<std::size_t>(n));
  if (ClusterMapFits(AText, ALogClust, n)) {
    texts = GlyphTexts(AText, n, RTL, *ALogClust);
  } else {
    for (int j = 0; j < n; ++j) {
      int at = RTL ? n - 1 - j : j;
      if (at >= 0 && at < static_cast<int>(AText.size())) texts[j] = AText.substr(static_cast<std::size_t>(at), 1);
    }
  }
  for (int j = 0; j < n; ++j) {
    const TkmGlyphInfo& g = AGlyphList.Items(j);
    if (std::find(FCID.begin(), FCID.end(), g.GetID()) != FCID.end()) continue;
    RecordGlyph(g.GetID(), texts[j], static_cast<int>(Round(PixelsToGlyphUnits(g.GetAdvWidth()))));
  }
}

void TkmPDFFont::AddUsedCharacters(const std::u16string& AText) {
  if (!FSubset) return;
  for (char16_t c : AText) {
    if (c == u' ' || FIncludedCharCode.find(c) != std::u16string::npos) continue;
    FIncludedCharCode += c;
    for (std::size_t k = 0; k < FCharCode.size(); ++k) {
      if (FCharCode[k].size() == 1 && FCharCode[k][0] == c) {
        FUsedGlyphs.insert(FCID[k]);
        break;
      }
    }
  }
}

bool TkmPDFFont::WillEmbed(const TkmPDFFontOutput& AOutput) const {
  return AOutput.Embedding != TkmTTFontEmbedding::etfNone && !AOutput.Excluded &&
         FFontInfo.FfiType == TkmFontType::ftTrueType && FFace != nullptr;
}

std::string TkmPDFFont::GetType0FontDictionary(int AFontNo, int AUnicodeObjRef, int ADesFontObjRef,
                                               const std::string& ATag) const {
  return "/Type/Font/Subtype/Type0/Name/F" + std::to_string(AFontNo) + "/BaseFont/" + NamePrefix(ATag) + FBaseFont +
         (FIsIdentityH ? "/Encoding/Identity-H" : "/Encoding/Identity-V") + "/ToUnicode " + Ref(AUnicodeObjRef) +
         "/DescendantFonts [" + Ref(ADesFontObjRef) + "]" + kCRLF;
}

std::string TkmPDFFont::GetWidths() const {
  std::string s;
  for (std::size_t k = 0; k < FCID.size(); ++k) {
    s += std::to_string(FCID[k]) + "[" + std::to_string(FWidths[k]) + "]";
  }
  return s;
}

std::string TkmPDFFont::GetCIDFontDictionary(int AFontDescriptorRef, const std::string& Registry,
                                             const std::string& AOrdering, const std::string& ATag) const {
  std::string s = "<</Type/Font/Subtype/CIDFontType2/BaseFont/" + NamePrefix(ATag) + FBaseFont + "/FontDescriptor " +
                  Ref(AFontDescriptorRef) + "/CIDSystemInfo<</Registry<" + GetHexOfStr(Registry) + ">/Ordering<" +
                  GetHexOfStr(AOrdering) + ">/Supplement 0>>/W [" + GetWidths() + "]";
  if (FFontInfo.FfiIsFixedPitch && !FWidths.empty() && FWidths[0] != 0) {
    s += "/DW " + std::to_string(FWidths[0]) + "/CIDToGIDMap/Identity";
  }
  return s + ">>";
}

namespace {

// The box and metric entries both descriptors share: "l b r t]/Ascent …/MissingWidth n".
std::string DescriptorMetrics(const TkmPDFFontInfo& fi) {
  return std::to_string(fi.FfiFontBBox.Left) + " " + std::to_string(fi.FfiFontBBox.Bottom) + " " +
         std::to_string(fi.FfiFontBBox.Right) + " " + std::to_string(fi.FfiFontBBox.Top) + "]" + "/Ascent " +
         FloatToStrLocale(fi.FfiAscent) + "/Descent " + FloatToStrLocale(fi.FfiDescent) + "/CapHeight " +
         FloatToStrLocale(fi.FfiCapHeight) + "/AvgWidth " + std::to_string(fi.FfiAvgWidth) + "/MaxWidth " +
         std::to_string(fi.FfiMaxWidth) + "/MissingWidth " + std::to_string(fi.FfiMaxWidth);
}

}  // namespace

std::string TkmPDFFont::GetFontDescriptor(int AFontFile2Obj, const std::string& ATag) const {
  const TkmPDFFontInfo& fi = FFontInfo;
  std::string s = "/Type/FontDescriptor/FontName/" + NamePrefix(ATag) + FBaseFont + "/Flags " +
                  std::to_string(fi.FfiFlags) + "/FontBBox [" + DescriptorMetrics(fi) +
                  "/StemV " + std::to_string(fi.FfiStemV) +
                  "/ItalicAngle " + std::to_string(fi.FfiItalicAngle) + "/FontWeight " +
                  std::to_string(fi.FfiFontWeight);
  if (AFontFile2Obj > 0) s += "/FontFile2 " + Ref(AFontFile2Obj);
  return s + kCRLF;
}

std::string TkmPDFFont::GetSimpleFontDictionary(int AFontNo, int AFontDescriptorRef, const std::string& ATag) const {
  std::string widths;
  for (int k = 0; k < 224; ++k) {
    if (k > 0) widths += ' ';
    widths += FloatToStrLocale(FFontInfo.FfiWidths[k]);
  }
  return "/Type /Font/Subtype /TrueType/Name /F" + std::to_string(AFontNo) + "/BaseFont /" + NamePrefix(ATag) +
         FBaseFont + " /Encoding /WinAnsiEncoding/FirstChar 32/LastChar 255/Widths [" + widths +
         "]/FontDescriptor " + Ref(AFontDescriptorRef) + kCRLF;
}

std::string TkmPDFFont::GetSimpleFontDescriptor(int AFontFile2Obj, const std::string& ATag) const {
  const TkmPDFFontInfo& fi = FFontInfo;
  const int italic = FFont.IsItalic() && fi.FfiItalicAngle == 0 ? -12 : fi.FfiItalicAngle;
  std::string s = "/Type /FontDescriptor/FontName /" + NamePrefix(ATag) + FBaseFont + " /Flags " +
                  std::to_string(fi.FfiFlags) + "/FontBBox[" + DescriptorMetrics(fi) +
                  "/StemH " + std::to_string(fi.FfiStemV) +
                  "/StemV " + std::to_string(fi.FfiStemV) + "/FontWeight " + std::to_string(fi.FfiFontWeight) +
                  "/ItalicAngle " + std::to_string(italic);
  if (AFontFile2Obj > 0) s += "/FontFile2 " + Ref(AFontFile2Obj);
  return s + kCRLF;
}

// Two-byte codes are glyph indices, so the code space is all of <0000>..<FFFF>
// whatever glyphs are used; a bfchar block may hold at most 100 entries.
std::string TkmPDFFont::GetCMap() {
  std::vector<std::pair<std::uint16_t, const std::u16string*>> entries;
  for (std::size_t k = 0; k < FCID.size(); ++k) {
    if (!FCharCode[k].empty()) entries.emplace_back(FCID[k], &FCharCode[k]);
  }
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string s =
      "/CIDInit /ProcSet findresource begin\r\n12 dict begin\r\nbegincmap\r\n/CIDSystemInfo\r\n"
      "<</Registry(Adobe)/Ordering(UCS)/Supplement 0>> def\r\n/CMapName /Adobe-Identity-UCS def\r\n"
      "/CMapType 2 def\r\n1 begincodespacerange\r\n<0000><FFFF>\r\nendcodespacerange\r\n";
  for (std::size_t at = 0; at < entries.size(); at += 100) {
    const std::size_t end = std::min(entries.size(), at + 100);
    s += std::to_string(end - at) + " beginbfchar\r\n";
    for (std::size_t k = at; k < end; ++k) {
      s += "<" + Hex4(entries[k].first) + "><" + Utf16Hex(*entries[k].second) + ">\r\n";
    }
    s += "endbfchar\r\n";
  }
  s += "endcmap\r\nCMapName currentdict /CMap defineresource pop\r\nend end";
  FPDFCMap = s;
  return s;
}

std::vector<std::uint8_t> TkmPDFFont::GetFontFile2() const {
  if (!FFace) return {};
  TBytes data = ReadFileBytes(FFace->GetPath());
  return WholeFontFile(data, FFace->GetIndex());
}

std::vector<std::uint8_t> TkmPDFFont::GetFontFile2Subset(bool* AIsSubset) const {
  if (AIsSubset != nullptr) *AIsSubset = false;
  if (!FFace) return {};
  TBytes data = ReadFileBytes(FFace->GetPath());
  std::vector<std::uint16_t> glyphs(FUsedGlyphs.begin(), FUsedGlyphs.end());
  return FontFileForEmbedding(data, FFace->GetIndex(), glyphs, true, AIsSubset);
}

void TkmPDFFont::CreateTTFGlyphs() {
  FGlyphCharTable.clear();
  if (!FFace) return;
  TBytes data = ReadFileBytes(FFace->GetPath());
  for (std::uint32_t tag : {TkmTag("head"), TkmTag("hhea"), TkmTag("hmtx")}) {
    if (ReadTable(data, FFace->GetIndex(), tag).empty()) return;
  }
  FGlyphCharTable = BuildGlyphCharTable(ReadTable(data, FFace->GetIndex(), TkmTag("cmap")));
}

char16_t TkmPDFFont::GetCharOfGlyph(std::uint16_t AGlyph) const { return CharOfGlyph(FGlyphCharTable, AGlyph); }

void TkmPDFFont::WriteStream(const TkmPDFFontOutput& AOutput, const std::string& ADict, TMemoryStream& AData,
                             int AObjNo, int ALengthObjNo) const {
  TkmPDFObjectWriter& w = *AOutput.Writer;
  TMemoryStream packed;
  const std::int64_t length = CompressStream(AData, packed, AOutput.Compressed, AOutput.Level);
  std::string dict = ADict + "/Length " + (ALengthObjNo > 0 ? Ref(ALengthObjNo) : std::to_string(length)) +
                     (AOutput.Compressed ? "/Filter/FlateDecode" : "") + kCRLF;
  w.WriteObj(dict, AObjNo, false);
  w.Write("stream\r\n");
  if (AOutput.EncryptStream) AOutput.EncryptStream(packed, length, AObjNo);
  w.Write(std::string_view(reinterpret_cast<const char*>(packed.Memory()), static_cast<std::size_t>(packed.GetSize())));
  w.Write("\r\nendstream\r\nendobj\r\n");
  if (ALengthObjNo > 0) w.WriteObj(std::to_string(length), ALengthObjNo, true);
}

void TkmPDFFont::WriteObjects(const TkmPDFFontOutput& AOutput, int AFontNo, int& ASubsetCount) {
  if (FFontInfo.FfiType != TkmFontType::ftTrueType || AOutput.Writer == nullptr) return;
  TkmPDFObjectWriter& w = *AOutput.Writer;
  // The font file is made first: whether it is a subset decides the names.
  std::vector<std::uint8_t> file;
  bool is_subset = false;
  if (WillEmbed(AOutput)) {
    file = AOutput.Embedding == TkmTTFontEmbedding::etfSubset && FSubset ? GetFontFile2Subset(&is_subset)
                                                                          : GetFontFile2();
  }
  const std::string tag = is_subset ? SubsetTag(ASubsetCount++) : std::string();
  auto encrypt = [&](const std::string& s, int obj) { return AOutput.EncryptString ? AOutput.EncryptString(s, obj) : s; };
  const int font_obj = FFontInfo.FfiFontObjRef;
  int descriptor = 0, file_obj = 0;
  // A whole face already written for another resource is referred to again.
  std::optional<std::pair<std::string, int>> shared;
  if (!file.empty() && !is_subset && AOutput.WholeFontFiles != nullptr) {
    shared.emplace(FFace->GetPath(), FFace->GetIndex());
    auto it = AOutput.WholeFontFiles->find(*shared);
    if (it != AOutput.WholeFontFiles->end()) {
      file_obj = it->second;
      file.clear();
    }
  }
  // Takes the font file's number and writes the file, unless it is shared.
  auto new_file_obj = [&] {
    if (file.empty()) return;
    file_obj = w.GetNewObjNo();
    if (shared) (*AOutput.WholeFontFiles)[*shared] = file_obj;
  };
  auto write_file = [&](int number) {
    if (file.empty()) return;
    TMemoryStream data;
    data.Write(file.data(), file.size());
    WriteStream(AOutput, "/Length1 " + std::to_string(file.size()), data, number,
                AOutput.Compressed ? w.GetNewObjNo() : 0);
  };
  if (FFontEncoding == TkmFontEncoding::feCID) {
    const int unicode = w.GetNewObjNo(), descendant = w.GetNewObjNo();
    w.WriteObj(GetType0FontDictionary(AFontNo, unicode, descendant, tag), font_obj, true);
    descriptor = w.GetNewObjNo();
    w.WriteObj(GetCIDFontDictionary(descriptor, encrypt(GetCIDFontRegistryEntry(), descendant),
                                    encrypt(GetCIDFontOrderingEntry(), descendant), tag),
               descendant, true);
    new_file_obj();
    w.WriteObj(GetFontDescriptor(file_obj, tag), descriptor, true);
    write_file(file_obj);
    const int length = w.GetNewObjNo();
    TMemoryStream cmap;
    cmap.WriteString(GetCMap());
    WriteStream(AOutput, "", cmap, unicode, length);
  } else {
    descriptor = w.GetNewObjNo();
    w.WriteObj(GetSimpleFontDictionary(AFontNo, descriptor, tag), font_obj, true);
    new_file_obj();
    w.WriteObj(GetSimpleFontDescriptor(file_obj, tag), descriptor, true);
    write_file(file_obj);
  }
}

}  // namespace km
