#pragma once
// TrueType embedding data: the whole font file of a face, and subsets that keep
// only the outlines a document uses.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "kmTrueType.h"

namespace km {

// The tables a subset keeps, when the face has them.
inline constexpr std::uint32_t kSubsetTables[] = {TkmTag("cmap"), TkmTag("cvt "), TkmTag("fpgm"), TkmTag("glyf"),
                                                  TkmTag("head"), TkmTag("hhea"), TkmTag("hmtx"), TkmTag("loca"),
                                                  TkmTag("maxp"), TkmTag("prep")};

// True when the face has TrueType outlines (a 'glyf' table).
bool HasTrueTypeOutlines(TkmFontData data, int face_index);

// The glyphs a subset of `glyphs` must keep: glyph 0 (the missing glyph), the
// given glyphs that exist, and every component of a kept composite glyph, to any
// depth; sorted. Nothing when the face's glyph data is malformed (a glyph or
// component outside the 'glyf' table, a component index past the glyph count).
std::optional<std::vector<std::uint16_t>> GlyphsToKeep(TkmFontData data, int face_index,
                                                       std::span<const std::uint16_t> glyphs);

// A single-font file of the face that keeps the outlines of GlyphsToKeep and
// leaves every other glyph empty; glyph indices are unchanged, so the subset
// serves the same glyph codes. It holds the tables of kSubsetTables that the
// face has, with checksums and head.checkSumAdjustment computed for the new
// file. Empty when the face is malformed or has no TrueType outlines.
std::vector<std::uint8_t> SubsetTrueType(TkmFontData data, int face_index, std::span<const std::uint16_t> glyphs);

// Data for whole-font embedding: the file itself for a single font; for a face
// of a collection, that face written as a single-font file (an embedded
// TrueType font file cannot hold a collection). Empty when the data is
// malformed or the face has no TrueType outlines.
std::vector<std::uint8_t> WholeFontFile(TkmFontData data, int face_index);

// What to embed: the subset when `subset` is asked, it could be made and it is
// smaller than the whole font file; otherwise the whole font file. `is_subset`
// tells which one came back. Empty only when neither can be made.
std::vector<std::uint8_t> FontFileForEmbedding(TkmFontData data, int face_index, std::span<const std::uint16_t> glyphs,
                                               bool subset, bool* is_subset = nullptr);

}  // namespace km
