// libFuzzer target over (font bytes, glyph ids): the first byte gives the face
// index (low two bits) and the number of glyph ids that follow (the rest); the
// glyph ids are two bytes each; the remaining bytes are the font file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "kmTrueType.h"
#include "kmTrueTypeSubset.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  int face = data[0] & 3;
  std::size_t count = data[0] >> 2;
  std::size_t at = 1;
  std::vector<std::uint16_t> glyphs;
  for (std::size_t i = 0; i < count && at + 2 <= size; ++i, at += 2) {
    glyphs.push_back(static_cast<std::uint16_t>((data[at] << 8) | data[at + 1]));
  }
  km::TkmFontData font(data + at, size - at);

  km::ReadFace(font, face);
  km::ReadUnicodeCharMap(font, face);
  km::BuildGlyphCharTable(km::ReadTable(font, face, km::TkmTag("cmap")));
  km::BuildGlyphCharTable(font);
  km::GlyphsToKeep(font, face, glyphs);
  km::ExtractFace(font, face);
  bool is_subset = false;
  std::vector<std::uint8_t> out = km::FontFileForEmbedding(font, face, glyphs, true, &is_subset);
  // What the subsetter writes must read back as a font with the glyphs it kept.
  if (is_subset) {
    if (!km::ReadFace(out, 0) || !km::GlyphsToKeep(out, 0, glyphs)) std::abort();
  }
  return 0;
}
