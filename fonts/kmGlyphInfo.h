#pragma once
// Glyph analysis and font mapping: which installed TrueType family draws a
// font (TkmMapFont), and how a string splits into runs of one script and one
// direction with the glyphs, widths and cluster maps of each shaped run
// (TkmStringAnalyzer), with font fallback across the installed families.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kmFontCatalog.h"
#include "kmGraphicsValues.h"
#include "kmSet.h"

namespace km {

enum class TkmGlyphType { gdComplex, gdLigature, gdRTL };
using TkmGlyphTypes = Set<TkmGlyphType, 3>;

enum class TkmScriptVisAttr { svClusterStart, svDiacritic, svZeroWidth };
using TkmScriptVisAttrs = Set<TkmScriptVisAttr, 3>;

struct TkmABC {
  int A = 0;
  int B = 0;
  int C = 0;
  friend bool operator==(const TkmABC&, const TkmABC&) = default;
};

using TkmWordArray = std::vector<std::uint16_t>;

// One shaped glyph.
class TkmGlyphInfo {
 public:
  TkmGlyphInfo() = default;
  // AdvWidth becomes A + B + C of AABCWidth; AAdvWidth is accepted and not kept.
  TkmGlyphInfo(std::uint16_t AID, int AAdvWidth, TkmABC AABCWidth, int APos, std::u16string AFont);

  std::uint16_t GetID() const { return id_; }
  int GetAdvWidth() const { return adv_width_; }
  TkmABC GetABCWidth() const { return abc_; }
  int GetPosition() const { return position_; }
  const std::u16string& GetFontName() const { return font_name_; }
  void Assign(const TkmGlyphInfo& other) { *this = other; }

 private:
  std::uint16_t id_ = 0;
  int adv_width_ = 0;
  TkmABC abc_;
  int position_ = 0;
  std::u16string font_name_;
};

// A list that owns its glyph records. Where the analyzer hands a list to its
// callback, ownership of the list (and so of the records) passes with it.
class TkmGlyphInfoList {
 public:
  void Add(std::unique_ptr<TkmGlyphInfo> info) { items_.push_back(std::move(info)); }
  int Count() const { return static_cast<int>(items_.size()); }
  const TkmGlyphInfo& Items(int index) const { return *items_.at(static_cast<std::size_t>(index)); }
  void Delete(int index) { items_.erase(items_.begin() + index); }
  void Clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<TkmGlyphInfo>> items_;
};

// What is known of one run.
struct TkmRunInfo {
  TkmGlyphTypes GlyphType;
  int StartPos = 0;  // first code unit of the run in the analysed string
  int EndPos = 0;    // one past its last code unit
  bool IsFontMapped = false;
  std::vector<TkmScriptVisAttrs> VisAttr;  // one per glyph of a shaped run
  bool ScriptProcessingRequired = false;
  std::u16string MappedFontName;
};

// Called once per run with a result, in visual order. For a shaped run
// AGlyphInfoList holds a new list of the run's glyphs, which the callback may
// take (move out); an unshaped run passes the reference as the previous call
// left it. ALogClust gives, per code unit of the run, the index of the first
// glyph of its cluster (all zeros for an unshaped run).
using TkmScriptRunCallback =
    std::function<void(const std::u16string& AText, int ARunIndex, int ARunCount,
                       std::unique_ptr<TkmGlyphInfoList>& AGlyphInfoList, const TkmRunInfo& AGlyphDetail,
                       const TkmWordArray& ALogClust)>;

// The font-mapping state of one PDF engine; its caches grow for its lifetime.
class TkmMapFont {
 public:
  // Lists the installed families of `catalog` (the process-wide catalogue by
  // default) once, sorted, with "Arial Unicode MS" moved to the end, and seeds
  // the mappings "Courier" -> "Courier New" and "MS Sans Serif" -> "Arial"
  // when the targets are available. The catalogue must outlive the map.
  TkmMapFont();
  explicit TkmMapFont(const FontCatalog& catalog);

  // Sets AFont's family, in place, to the family that shall draw it: a
  // remembered mapping; else the family itself when it is available and
  // TrueType; else "Arial". A family counts as available when the catalogue
  // resolves it (installed, or a usual Windows family with an installed twin).
  // AText takes no part.
  TFont& GetTrueTypeFont(const std::u16string& AText, TFont& AFont);
  // A copy of AFont named "Arial".
  std::unique_ptr<TFont> GetMappedFont(const std::u16string& AText, const TFont& AFont) const;
  // The next fallback from the fonts used so far, newest first: entry
  // [count - 1 - AUsedFontIndex] of AllUsedFonts, passing over AFont's own
  // family, as a copy of AFont with that family; AUsedFontIndex moves past it.
  // When only AFont's family is left, a font of that family at the default
  // size (it fails as AFont did, and the search goes on).
  std::unique_ptr<TFont> GetNextFontFromUsedList(const TFont& AFont, int& AUsedFontIndex) const;
  // The next installed family from AIndex on that has not served text yet, or
  // null when none is left; a copy of AFont for an index outside the list.
  std::unique_ptr<TFont> GetNextInstalledFont(const TFont& AFont, int& AIndex) const;
  // Whether the face of AFont covers Basic Latin (OS/2 Unicode range bit 0); cached per family.
  bool IsLatinUnicodeRangePresent(const TFont& AFont);
  // Whether the family has TrueType outlines.
  bool IsTrueType(const TFont& AFont) const;
  // The point size of AFont: round((|Height| - internal leading) * 72 / pixels per inch); cached.
  int GetFontSize(const TFont& AFont);

  const std::vector<std::u16string>& GetAllUsedFonts() const { return all_used_fonts_; }
  const std::vector<std::u16string>& GetSysFontList() const { return sys_font_list_; }
  const FontCatalog& Catalog() const { return catalog_; }
  // Records a family that has shaped text (once).
  void AddUsedFont(const std::u16string& family);

 private:
  const FontCatalog& catalog_;
  std::vector<std::u16string> sys_font_list_;
  std::vector<std::u16string> all_used_fonts_;
  std::vector<std::pair<std::u16string, std::u16string>> mapped_fonts_;  // case-insensitive keys
  std::vector<std::pair<std::u16string, bool>> latin_ranges_;
  struct SizeMapping { std::u16string family; int input_size; int size; };
  std::vector<SizeMapping> size_mappings_;
};

// Splits a string into runs and shapes them. A run is left unshaped (written
// as one-byte WinAnsi text) only when the mode is left to right, AFont's face
// covers Basic Latin, every code unit lies in U+0020..U+00FF, the run is not
// complex and no earlier run of the string was complex, a ligature or right to
// left. "Complex" is the rule of ScriptIsComplex (kmShaping.h): the run holds a
// right-to-left character or a character of a script that is shaped in
// context or reordered (Arabic, Hebrew, the Indic scripts, Thai, ...); digits,
// Latin, Greek, Cyrillic and CJK are not complex. Every other run is shaped
// with AFont, then with fallback fonts until no glyph is missing; when no
// installed font shows every character, the font that missed the fewest
// draws the run (missing glyphs as glyph 0), so no text is dropped.
class TkmStringAnalyzer {
 public:
  // Analyses AText measured in AFont (callers pass the item's font at 1000
  // points) and calls AScriptRunCallback once per run in visual order.
  void StringAnalyze(const std::u16string& AText, TBiDiMode ABiDiMode, const TFont& AFont,
                     const TkmScriptRunCallback& AScriptRunCallback, TkmMapFont& AMapFont);
  // True when any of the first ACount glyph indices is 0 (the missing glyph).
  static bool ZeroGlyphs(const std::uint16_t* AGlyphIDs, int ACount);

 private:
  TkmMapFont* map_font_ = nullptr;  // not owned; set by each StringAnalyze
};

}  // namespace km
