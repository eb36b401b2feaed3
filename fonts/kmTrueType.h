#pragma once
// Reading TrueType font files and collections: the table directory of a face,
// the face inside a collection, a face written out as a single-font file, the
// Unicode character map and the glyph-to-character table. All font data is
// big-endian and every read is checked (kmFontReader.h); malformed data gives
// an empty result, never a read outside the bytes.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace km {

using TkmFontData = std::span<const std::uint8_t>;

// A table tag as a 32-bit value, first character in the high byte.
constexpr std::uint32_t TkmTag(const char (&tag)[5]) {
  return (std::uint32_t(std::uint8_t(tag[0])) << 24) | (std::uint32_t(std::uint8_t(tag[1])) << 16) |
         (std::uint32_t(std::uint8_t(tag[2])) << 8) | std::uint32_t(std::uint8_t(tag[3]));
}

struct TkmTableRecord {
  std::uint32_t Tag = 0;
  std::uint32_t Checksum = 0;
  std::uint32_t Offset = 0;  // from the start of the file (of the collection for a face in one)
  std::uint32_t Length = 0;
};

// The table directory of one face. Every table lies inside the font data.
struct TkmSfntFace {
  std::uint32_t DirectoryOffset = 0;
  std::uint32_t Version = 0;
  std::vector<TkmTableRecord> Tables;  // in directory order

  const TkmTableRecord* Find(std::uint32_t tag) const;
};

// True when the data starts with a collection header ('ttcf').
bool IsFontCollection(TkmFontData data);
// Number of faces: the collection's count, 1 for a single font, 0 when malformed.
int FaceCount(TkmFontData data);
// Offset of face `face_index`'s table directory: 0 for face 0 of a single
// font, the collection header's entry for a face of a collection. Nothing when
// the index is out of range or the header is malformed.
std::optional<std::uint32_t> FaceDirectoryOffset(TkmFontData data, int face_index);
// The face's table directory; nothing when it or any table record leads
// outside the data.
std::optional<TkmSfntFace> ReadFace(TkmFontData data, int face_index);
// The bytes of one table of the face; empty when absent or malformed.
std::vector<std::uint8_t> ReadTable(TkmFontData data, int face_index, std::uint32_t tag);

// Checksum of table bytes: the wrapping sum of big-endian 32-bit words, the
// last word padded with zeros.
std::uint32_t TableChecksum(std::span<const std::uint8_t> bytes);

// Writes a single-font file from tables: records sorted by tag, data padded
// to four bytes, checksums computed, and head.checkSumAdjustment set so the
// whole file sums to 0xB1B0AFBA. `head` must be among the tables (at least 12
// bytes) for the adjustment to be written.
struct TkmTableData {
  std::uint32_t Tag;
  std::vector<std::uint8_t> Bytes;
};
std::vector<std::uint8_t> WriteSfnt(std::uint32_t version, std::vector<TkmTableData> tables);

// The face as a single-font file with all its tables: a single font comes back
// with its tables rewritten in place of the collection's offsets. Empty when
// malformed.
std::vector<std::uint8_t> ExtractFace(TkmFontData data, int face_index);

// One entry of a character map.
struct TkmCharGlyph {
  std::uint16_t Char = 0;
  std::uint16_t Glyph = 0;
  friend bool operator==(const TkmCharGlyph&, const TkmCharGlyph&) = default;
};

// The face's Unicode character map: the first (3,1) or (3,0) encoding record,
// whose subtable must be format 4; every code of every segment except 0xFFFF,
// in segment order, with its glyph as the format defines. Empty when there is
// no such subtable or it is malformed.
std::vector<TkmCharGlyph> ReadUnicodeCharMap(TkmFontData data, int face_index);

// The glyph-to-character table of a 'cmap' table (the bytes of the table
// alone): the (3,1) subtable, else the last (3,0) one; its offset must be even
// and inside the table and it must be format 4. One entry per code of every
// segment, in segment order. Empty when there is none or it is malformed.
std::vector<TkmCharGlyph> BuildGlyphCharTable(std::span<const std::uint8_t> cmap);
// The character of the first entry with that glyph, 0 when none has it.
std::uint16_t CharOfGlyph(const std::vector<TkmCharGlyph>& table, std::uint16_t glyph);

}  // namespace km
