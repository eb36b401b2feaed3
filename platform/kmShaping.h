#pragma once
// The shaping service that glyph analysis builds on: itemising a string into
// runs of one bidirectional level and one script (ICU), the visual order of
// runs, the complexity test, shaping a run into glyphs (HarfBuzz) and glyph
// ABC widths (FreeType, through FontInstance).

#include <cstdint>
#include <string_view>
#include <vector>

#include "kmFontMetrics.h"

namespace km {

// One item of a string: code units [StartPos, EndPos) of one embedding level
// and one script.
struct TScriptItem {
  int StartPos = 0;
  int EndPos = 0;
  std::uint8_t Level = 0;  // bidi embedding level; odd is right-to-left
  int Script = 0;          // ICU UScriptCode
  bool IsRTL() const { return (Level & 1) != 0; }
};

// Splits the text into items in logical order: a new item starts wherever the
// embedding level or the script changes. Characters of no script of their own
// (spaces, punctuation, digits, combining marks, unassigned and private-use
// characters) join the script before them when it has the same level, else the
// next script after them. The paragraph level
// is 1 when `right_to_left`, else 0. Empty for an empty text or when ICU fails.
std::vector<TScriptItem> ScriptItemize(std::u16string_view text, bool right_to_left);

// The visual-to-logical order of items with these embedding levels:
// result[visual index] = logical index.
std::vector<int> ScriptLayout(const std::vector<std::uint8_t>& levels);

// True when the text needs complex processing: it holds a right-to-left
// character, or a character of a script that is shaped contextually or
// reordered (Arabic, Syriac, Thaana, N'Ko, Hebrew, the Indic scripts, Sinhala,
// Thai, Lao, Tibetan, Myanmar, Khmer, Mongolian, Javanese, Balinese and the
// like). Digits, Latin, Greek, Cyrillic, CJK and symbols are not complex.
bool ScriptIsComplex(std::u16string_view text);

struct TGlyphVisAttr {
  bool ClusterStart = false;  // first glyph of its cluster in logical order
  bool Diacritic = false;     // a mark glyph (GDEF class 3)
  bool ZeroWidth = false;     // advances by nothing
};

struct TShapedRun {
  std::vector<std::uint16_t> Glyphs;     // in visual order (left to right)
  std::vector<TGlyphVisAttr> VisAttrs;   // one per glyph
  // For each code unit of the run, the index of the first glyph (in logical
  // order) of its cluster.
  std::vector<std::uint16_t> LogClust;
};

// Shapes a run with the face of `font` (font units, no hinting), in the
// direction and script of `item`. Characters the face lacks come back as glyph
// 0. Empty glyphs for an empty run or when the face cannot be loaded.
TShapedRun ScriptShape(const FontInstance& font, std::u16string_view run, const TScriptItem& item);

}  // namespace km
