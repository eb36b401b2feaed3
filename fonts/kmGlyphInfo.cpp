#include "kmGlyphInfo.h"

#include <algorithm>
#include <optional>

#include "kmMath.h"
#include "kmScreen.h"
#include "kmShaping.h"

namespace km {

namespace {

bool StartsWithAt(const std::u16string& s) { return !s.empty() && s[0] == u'@'; }

std::unique_ptr<TFont> CopyWithName(const TFont& font, const std::u16string& name) {
  auto copy = std::make_unique<TFont>(font);
  copy->SetName(name);
  return copy;
}

bool InAnsiRange(std::u16string_view run) {
  return std::all_of(run.begin(), run.end(), [](char16_t c) { return c >= 0x20 && c <= 0xFF; });
}

int ZeroCount(const std::vector<std::uint16_t>& glyphs) {
  return static_cast<int>(std::count(glyphs.begin(), glyphs.end(), 0));
}

}  // namespace

TkmGlyphInfo::TkmGlyphInfo(std::uint16_t AID, int /*AAdvWidth*/, TkmABC AABCWidth, int APos, std::u16string AFont)
    : id_(AID), adv_width_(AABCWidth.A + AABCWidth.B + AABCWidth.C), abc_(AABCWidth), position_(APos),
      font_name_(std::move(AFont)) {}

TkmMapFont::TkmMapFont() : TkmMapFont(FontCatalog::Default()) {}

TkmMapFont::TkmMapFont(const FontCatalog& catalog) : catalog_(catalog), sys_font_list_(catalog.GetFamilies()) {
  auto unicode_ms = std::find_if(sys_font_list_.begin(), sys_font_list_.end(),
                                 [](const std::u16string& f) { return SameFamilyName(f, u"Arial Unicode MS"); });
  if (unicode_ms != sys_font_list_.end()) std::rotate(unicode_ms, unicode_ms + 1, sys_font_list_.end());
  if (!catalog_.ResolveFamily(u"Courier New").empty()) mapped_fonts_.emplace_back(u"Courier", u"Courier New");
  if (!catalog_.ResolveFamily(u"Arial").empty()) mapped_fonts_.emplace_back(u"MS Sans Serif", u"Arial");
}

TFont& TkmMapFont::GetTrueTypeFont(const std::u16string& /*AText*/, TFont& AFont) {
  const std::u16string name = AFont.GetName();
  for (const auto& [from, to] : mapped_fonts_) {
    if (SameFamilyName(from, name)) {
      AFont.SetName(to);
      return AFont;
    }
  }
  if (!catalog_.ResolveFamily(name).empty() && IsTrueType(AFont)) {
    mapped_fonts_.emplace_back(name, name);
    return AFont;
  }
  AFont.SetName(u"Arial");
  mapped_fonts_.emplace_back(name, u"Arial");
  return AFont;
}

std::unique_ptr<TFont> TkmMapFont::GetMappedFont(const std::u16string& /*AText*/, const TFont& AFont) const {
  return CopyWithName(AFont, u"Arial");
}

// Names come from the end of the used list, the most recent first; AFont's own
// family is passed over. When only AFont's family is left, the candidate keeps
// that family at the default size (it will fail as AFont did).
std::unique_ptr<TFont> TkmMapFont::GetNextFontFromUsedList(const TFont& AFont, int& AUsedFontIndex) const {
  const int count = static_cast<int>(all_used_fonts_.size());
  std::u16string name;
  bool found = false;
  while (AUsedFontIndex < count) {
    name = all_used_fonts_[count - 1 - AUsedFontIndex];
    ++AUsedFontIndex;
    if (name != AFont.GetName()) {
      found = true;
      break;
    }
  }
  if (!found) {
    auto same = std::make_unique<TFont>();
    same->SetName(AFont.GetName());
    same->SetCharset(AFont.GetCharset());
    return same;
  }
  auto candidate = CopyWithName(AFont, name);
  return candidate;
}

std::unique_ptr<TFont> TkmMapFont::GetNextInstalledFont(const TFont& AFont, int& AIndex) const {
  const int count = static_cast<int>(sys_font_list_.size());
  if (AIndex < 0 || AIndex >= count) return std::make_unique<TFont>(AFont);
  for (; AIndex < count; ++AIndex) {
    const std::u16string& name = sys_font_list_[AIndex];
    if (std::find(all_used_fonts_.begin(), all_used_fonts_.end(), name) != all_used_fonts_.end()) continue;
    ++AIndex;
    return CopyWithName(AFont, name);
  }
  return nullptr;
}

bool TkmMapFont::IsLatinUnicodeRangePresent(const TFont& AFont) {
  for (const auto& [family, latin] : latin_ranges_) {
    if (family == AFont.GetName()) return latin;
  }
  std::unique_ptr<FontInstance> font = catalog_.CreateFont(AFont);
  bool latin = font && (font->Face().GetUnicodeRange(0) & 1u) != 0;
  latin_ranges_.emplace_back(AFont.GetName(), latin);
  return latin;
}

// A vertical family ("@" + name) is the face of the name written vertically.
bool TkmMapFont::IsTrueType(const TFont& AFont) const {
  const std::u16string& name = AFont.GetName();
  return catalog_.IsTrueTypeFamily(StartsWithAt(name) ? std::u16string_view(name).substr(1) : std::u16string_view(name));
}

int TkmMapFont::GetFontSize(const TFont& AFont) {
  for (const SizeMapping& m : size_mappings_) {
    if (m.family == AFont.GetName() && m.input_size == AFont.GetSize()) return m.size;
  }
  std::unique_ptr<FontInstance> font = catalog_.CreateFont(AFont);
  int leading = font ? font->GetTextMetrics().tmInternalLeading : 0;
  int size = static_cast<int>(Round((std::abs(AFont.GetHeight()) - leading) * 72.0 / CPixelsPerInch));
  size_mappings_.push_back({AFont.GetName(), AFont.GetSize(), size});
  return size;
}

void TkmMapFont::AddUsedFont(const std::u16string& family) {
  if (std::find(all_used_fonts_.begin(), all_used_fonts_.end(), family) == all_used_fonts_.end()) {
    all_used_fonts_.push_back(family);
  }
}

bool TkmStringAnalyzer::ZeroGlyphs(const std::uint16_t* AGlyphIDs, int ACount) {
  for (int i = 0; i < ACount; ++i) {
    if (AGlyphIDs[i] == 0) return true;
  }
  return false;
}

namespace {

// One attempt at shaping a run in one font.
struct Attempt {
  std::unique_ptr<TFont> font;
  std::unique_ptr<FontInstance> instance;
  TShapedRun shaped;
  int zeros = 0;
};

Attempt ShapeWith(const FontCatalog& catalog, const TFont& font, std::u16string_view run, const TScriptItem& item) {
  Attempt a;
  a.font = std::make_unique<TFont>(font);
  // A vertical family ("@" + name) shapes with the face of the name.
  TFont face = font;
  if (StartsWithAt(face.GetName())) face.SetName(face.GetName().substr(1));
  a.instance = catalog.CreateFont(face);
  if (a.instance) a.shaped = ScriptShape(*a.instance, run, item);
  a.zeros = a.shaped.Glyphs.empty() ? static_cast<int>(run.size()) + 1 : ZeroCount(a.shaped.Glyphs);
  return a;
}

// The next fallback candidate for a run: fonts that served text before
// (newest first), then the installed families in order. A vertical family
// serves a horizontal font without its at sign. Families without TrueType
// outlines are passed over: a run's glyphs are written with its face embedded
// as a TrueType font file. Null when none is left.
std::unique_ptr<TFont> NextFallback(const TkmMapFont& map, const TFont& font, int& used_index, int& installed_index) {
  for (;;) {
    std::unique_ptr<TFont> candidate;
    if (used_index < static_cast<int>(map.GetAllUsedFonts().size())) {
      candidate = map.GetNextFontFromUsedList(font, used_index);
    } else if (installed_index < static_cast<int>(map.GetSysFontList().size())) {
      candidate = map.GetNextInstalledFont(font, installed_index);
    }
    if (!candidate) return nullptr;
    if (!StartsWithAt(font.GetName()) && StartsWithAt(candidate->GetName())) {
      candidate->SetName(candidate->GetName().substr(1));
    }
    if (map.IsTrueType(*candidate)) return candidate;
  }
}

}  // namespace

void TkmStringAnalyzer::StringAnalyze(const std::u16string& AText, TBiDiMode ABiDiMode, const TFont& AFont,
                                      const TkmScriptRunCallback& AScriptRunCallback, TkmMapFont& AMapFont) {
  map_font_ = &AMapFont;
  if (AText.empty() || !AScriptRunCallback) return;
  // Glyph indices are only meaningful in the face that is embedded for them,
  // and only TrueType faces are: a family without TrueType outlines (or not
  // installed) is analysed in the family that stands in for it.
  TFont font = AFont;
  if (!AMapFont.IsTrueType(font)) AMapFont.GetTrueTypeFont(AText, font);
  const bool rtl_mode = ABiDiMode != TBiDiMode::bdLeftToRight;
  std::vector<TScriptItem> items = ScriptItemize(AText, rtl_mode);
  if (items.empty()) return;
  std::vector<std::uint8_t> levels;
  for (const TScriptItem& it : items) levels.push_back(it.Level);
  std::vector<int> visual = ScriptLayout(levels);
  const int count = static_cast<int>(items.size());
  const FontCatalog& catalog = AMapFont.Catalog();

  std::unique_ptr<TkmGlyphInfoList> list;
  int sequence = 0;
  bool complex_seen = false;
  const bool supports_latin = AMapFont.IsLatinUnicodeRangePresent(font);

  for (int i = 0; i < count; ++i) {
    const TScriptItem& item = items[visual[i]];
    const std::u16string run = AText.substr(item.StartPos, item.EndPos - item.StartPos);
    const bool complex = ScriptIsComplex(run);
    TkmRunInfo info;
    info.StartPos = item.StartPos;
    info.EndPos = item.EndPos;
    if (!rtl_mode && supports_latin && !complex && InAnsiRange(run) && !complex_seen) {
      info.MappedFontName = font.GetName();
      AScriptRunCallback(run, i, count, list, info, TkmWordArray(run.size(), 0));
      continue;
    }
    // Shape with the font, then fonts that served text before (newest first),
    // then the installed families in order, until no glyph is missing.
    Attempt current = ShapeWith(catalog, font, run, item);
    Attempt best;
    int used_index = 0, installed_index = 0;
    bool exhausted = false;
    while (current.zeros > 0) {
      if (!best.font || current.zeros < best.zeros) best = std::move(current);
      std::unique_ptr<TFont> candidate = NextFallback(AMapFont, font, used_index, installed_index);
      if (!candidate) {
        exhausted = true;
        break;
      }
      current = ShapeWith(catalog, *candidate, run, item);
    }
    // No font shows every character: the run is drawn with the font that
    // missed the fewest, missing glyphs as the missing glyph, so its text
    // stays on the line.
    if (exhausted) current = std::move(best);
    if (!current.instance || current.shaped.Glyphs.empty()) continue;
    info.IsFontMapped = current.font->GetName() != font.GetName();
    info.MappedFontName = current.font->GetName();
    info.ScriptProcessingRequired = true;
    const int glyph_count = static_cast<int>(current.shaped.Glyphs.size());
    if (complex) info.GlyphType.Include(TkmGlyphType::gdComplex);
    if (!complex && glyph_count < static_cast<int>(run.size())) info.GlyphType.Include(TkmGlyphType::gdLigature);
    if (item.IsRTL()) info.GlyphType.Include(TkmGlyphType::gdRTL);
    if (!info.GlyphType.Empty()) complex_seen = true;
    AMapFont.AddUsedFont(info.MappedFontName);

    list = std::make_unique<TkmGlyphInfoList>();
    for (int j = 0; j < glyph_count; ++j) {
      std::uint16_t glyph = current.shaped.Glyphs[j];
      TABC abc = current.instance->GetGlyphABC(glyph);
      list->Add(std::make_unique<TkmGlyphInfo>(glyph, 0, TkmABC{abc.abcA, abc.abcB, abc.abcC}, sequence++,
                                               info.MappedFontName));
      TkmScriptVisAttrs attrs;
      if (current.shaped.VisAttrs[j].ClusterStart) attrs.Include(TkmScriptVisAttr::svClusterStart);
      if (current.shaped.VisAttrs[j].Diacritic) attrs.Include(TkmScriptVisAttr::svDiacritic);
      if (current.shaped.VisAttrs[j].ZeroWidth) attrs.Include(TkmScriptVisAttr::svZeroWidth);
      info.VisAttr.push_back(attrs);
    }
    AScriptRunCallback(run, i, count, list, info, current.shaped.LogClust);
  }
}

}  // namespace km
