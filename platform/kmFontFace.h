#pragma once
// One face of an installed font file, opened with FreeType: its tables, its
// character map and its raw font data. Sizes and metrics live in kmFontMetrics.h.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kmFileBytes.h"

#include "kmFontHandles.h"
#include "kmGraphicsValues.h"

namespace km {

// A table tag as a 32-bit value, first character in the high byte ("glyf").
constexpr std::uint32_t TableTag(const char (&tag)[5]) {
  return (std::uint32_t(std::uint8_t(tag[0])) << 24) | (std::uint32_t(std::uint8_t(tag[1])) << 16) |
         (std::uint32_t(std::uint8_t(tag[2])) << 8) | std::uint32_t(std::uint8_t(tag[3]));
}

// Requests of GetFontData besides a table tag.
constexpr std::uint32_t kFontDataWholeFont = 0;
constexpr std::uint32_t kFontDataCollection = TableTag("ttcf");

class FontFace {
 public:
  // Opens face `index` of the font file at `path`; nullptr when FreeType
  // cannot open it.
  static std::unique_ptr<FontFace> Open(const std::string& path, int index);

  const std::string& GetPath() const { return path_; }
  int GetIndex() const { return index_; }
  // The face's family and style names as FreeType reports them.
  std::u16string GetFamilyName() const;
  std::u16string GetStyleName() const;
  // True when the file is a TrueType collection ('ttcf' header).
  bool IsInCollection() const { return in_collection_; }
  int GetUnitsPerEm() const;
  // True when the face has TrueType outlines: it has a 'glyf' table.
  bool IsTrueType() const { return HasTable(TableTag("glyf")); }
  bool HasTable(std::uint32_t tag) const;
  // True when the face maps characters through a symbol (3,0) character map.
  bool HasSymbolCharMap() const { return symbol_cmap_; }
  bool IsFixedPitch() const;
  bool IsBold() const;
  bool IsItalic() const;
  // OS/2 usWeightClass, or 700/400 from the style bits when there is no OS/2 table.
  int GetWeight() const;
  // OS/2 ulUnicodeRange1..4 (word 0..3); 0 without an OS/2 table.
  std::uint32_t GetUnicodeRange(int word) const;

  // Font data as the platform's GetFontData gives it:
  //  - a table tag: that table of this face;
  //  - kFontDataWholeFont: the whole file for a single font; for a face in a
  //    collection, the bytes from the face's table directory to the end of the
  //    file (the directory's offsets stay relative to the collection);
  //  - kFontDataCollection: the whole collection file, or nothing when the
  //    face is not in a collection.
  // Empty when the request cannot be served.
  std::vector<std::uint8_t> GetFontData(std::uint32_t request) const;

  // Glyph index of a Unicode code point, 0 when the face has none. A symbol
  // face also answers U+0020..U+00FF through its U+F020..U+F0FF range.
  unsigned GetGlyphIndex(char32_t ch) const;
  // Advance width of a glyph in font units (unscaled, unhinted).
  int GetAdvanceUnits(unsigned glyph) const;
  // The character sets the face offers, from the code page ranges of its OS/2
  // table (a face with a symbol character map offers only SYMBOL_CHARSET; a face
  // without code page ranges offers ANSI_CHARSET).
  std::vector<TFontCharset> GetCharsets() const;

  FT_Face Handle() const { return face_.get(); }

 private:
  FontFace(std::string path, int index, FtLibraryShared library, FtFacePtr face);

  std::string path_;
  int index_;
  FtLibraryShared library_;  // declared before face_: released after it
  FtFacePtr face_;
  bool in_collection_ = false;
  bool symbol_cmap_ = false;
};

}  // namespace km
