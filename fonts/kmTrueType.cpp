#include "kmTrueType.h"

#include <algorithm>

#include "kmFontReader.h"

namespace km {

namespace {

constexpr std::uint32_t kCollectionTag = TkmTag("ttcf");

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  PutU16(out, static_cast<std::uint16_t>(v >> 16));
  PutU16(out, static_cast<std::uint16_t>(v));
}

void SetU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  out[at] = static_cast<std::uint8_t>(v >> 24);
  out[at + 1] = static_cast<std::uint8_t>(v >> 16);
  out[at + 2] = static_cast<std::uint8_t>(v >> 8);
  out[at + 3] = static_cast<std::uint8_t>(v);
}

TkmSfntFace ReadDirectory(const TkmFontReader& file, std::uint32_t offset) {
  TkmSfntFace face;
  face.DirectoryOffset = offset;
  face.Version = file.U32(offset);
  std::uint16_t count = file.U16(std::uint64_t(offset) + 4);
  std::uint64_t records = std::uint64_t(offset) + 12;
  file.Require(records, std::uint64_t(count) * 16);
  for (std::uint16_t i = 0; i < count; ++i) {
    std::uint64_t at = records + std::uint64_t(i) * 16;
    TkmTableRecord r{file.U32(at), file.U32(at + 4), file.U32(at + 8), file.U32(at + 12)};
    file.Require(r.Offset, r.Length);
    face.Tables.push_back(r);
  }
  return face;
}

// Visits every (code, glyph) of a format 4 subtable; `with_last` includes the
// code 0xFFFF. Segments must be in ascending order without overlap, which also
// bounds the work at 65,536 codes.
template <typename Visit>
void WalkFormat4(const TkmFontReader& sub, bool with_last, Visit visit) {
  if (sub.U16(0) != 4) throw EkmFontFormatError();
  std::uint32_t seg_x2 = sub.U16(6);
  std::uint32_t seg_count = seg_x2 / 2;
  const std::uint64_t ends = 14, starts = 16 + std::uint64_t(seg_x2), deltas = starts + seg_x2,
                      ranges = deltas + seg_x2;
  sub.Require(ranges, seg_x2);
  std::int64_t previous_end = -1;
  for (std::uint32_t i = 0; i < seg_count; ++i) {
    std::uint32_t end = sub.U16(ends + 2 * i), start = sub.U16(starts + 2 * i);
    std::uint16_t delta = sub.U16(deltas + 2 * i), range = sub.U16(ranges + 2 * i);
    if (start > end) continue;
    if (std::int64_t(start) <= previous_end) throw EkmFontFormatError();
    previous_end = end;
    for (std::uint32_t c = start; c <= end; ++c) {
      if (c == 0xFFFF && !with_last) break;
      std::uint16_t glyph;
      if (range == 0) {
        glyph = static_cast<std::uint16_t>(c + delta);
      } else {
        std::uint16_t v = sub.U16(ranges + 2 * i + range + 2 * std::uint64_t(c - start));
        glyph = v == 0 ? 0 : static_cast<std::uint16_t>(v + delta);
      }
      visit(static_cast<std::uint16_t>(c), glyph);
    }
  }
}

// The format 4 subtable at `offset` of a cmap table, up to the table's end.
TkmFontReader Subtable(const TkmFontReader& cmap, std::uint32_t offset) {
  return cmap.Slice(offset, cmap.Size() - std::min<std::uint64_t>(offset, cmap.Size()));
}

}  // namespace

const TkmTableRecord* TkmSfntFace::Find(std::uint32_t tag) const {
  for (const TkmTableRecord& r : Tables) {
    if (r.Tag == tag) return &r;
  }
  return nullptr;
}

bool IsFontCollection(TkmFontData data) {
  TkmFontReader file(data);
  return file.Contains(0, 4) && file.U32(0) == kCollectionTag;
}

int FaceCount(TkmFontData data) {
  TkmFontReader file(data);
  if (!file.Contains(0, 12)) return 0;
  if (!IsFontCollection(data)) return 1;
  std::uint32_t count = file.U32(8);
  return file.Contains(12, std::uint64_t(count) * 4) ? static_cast<int>(count) : 0;
}

std::optional<std::uint32_t> FaceDirectoryOffset(TkmFontData data, int face_index) {
  if (face_index < 0 || face_index >= FaceCount(data)) return std::nullopt;
  if (!IsFontCollection(data)) return 0u;
  return TkmFontReader(data).U32(12 + 4 * std::uint64_t(face_index));
}

std::optional<TkmSfntFace> ReadFace(TkmFontData data, int face_index) {
  std::optional<std::uint32_t> offset = FaceDirectoryOffset(data, face_index);
  if (!offset) return std::nullopt;
  try {
    return ReadDirectory(TkmFontReader(data), *offset);
  } catch (const EkmFontFormatError&) {
    return std::nullopt;
  }
}

std::vector<std::uint8_t> ReadTable(TkmFontData data, int face_index, std::uint32_t tag) {
  std::optional<TkmSfntFace> face = ReadFace(data, face_index);
  const TkmTableRecord* r = face ? face->Find(tag) : nullptr;
  if (r == nullptr) return {};
  std::span<const std::uint8_t> bytes = data.subspan(r->Offset, r->Length);  // checked by ReadFace
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::uint32_t TableChecksum(std::span<const std::uint8_t> bytes) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < bytes.size(); i += 4) {
    std::uint32_t word = 0;
    for (std::size_t k = 0; k < 4; ++k) word = (word << 8) | (i + k < bytes.size() ? bytes[i + k] : 0);
    sum += word;
  }
  return sum;
}

std::vector<std::uint8_t> WriteSfnt(std::uint32_t version, std::vector<TkmTableData> tables) {
  std::sort(tables.begin(), tables.end(), [](const TkmTableData& a, const TkmTableData& b) { return a.Tag < b.Tag; });
  std::uint16_t count = static_cast<std::uint16_t>(tables.size());
  std::uint16_t power = 1, selector = 0;
  while (power * 2 <= count) {
    power *= 2;
    ++selector;
  }
  std::vector<std::uint8_t> out;
  PutU32(out, version);
  PutU16(out, count);
  PutU16(out, static_cast<std::uint16_t>(16 * power));
  PutU16(out, selector);
  PutU16(out, static_cast<std::uint16_t>(16 * count - 16 * power));
  std::size_t head_at = 0;
  bool has_head = false;
  std::uint32_t offset = 12 + 16 * std::uint32_t(count);
  for (TkmTableData& t : tables) {
    if (t.Tag == TkmTag("head") && t.Bytes.size() >= 12) {
      SetU32(t.Bytes, 8, 0);  // checkSumAdjustment counts as 0 in every checksum
      head_at = offset + 8;
      has_head = true;
    }
    PutU32(out, t.Tag);
    PutU32(out, TableChecksum(t.Bytes));
    PutU32(out, offset);
    PutU32(out, static_cast<std::uint32_t>(t.Bytes.size()));
    offset += static_cast<std::uint32_t>((t.Bytes.size() + 3) & ~std::size_t(3));
  }
  for (const TkmTableData& t : tables) {
    out.insert(out.end(), t.Bytes.begin(), t.Bytes.end());
    out.resize((out.size() + 3) & ~std::size_t(3), 0);
  }
  if (has_head) SetU32(out, head_at, 0xB1B0AFBAu - TableChecksum(out));
  return out;
}

std::vector<std::uint8_t> ExtractFace(TkmFontData data, int face_index) {
  std::optional<TkmSfntFace> face = ReadFace(data, face_index);
  if (!face || face->Tables.empty()) return {};
  std::vector<TkmTableData> tables;
  for (const TkmTableRecord& r : face->Tables) {
    // A signature covers the file it came from, not the face written alone.
    if (r.Tag == TkmTag("DSIG")) continue;
    if (std::any_of(tables.begin(), tables.end(), [&](const TkmTableData& t) { return t.Tag == r.Tag; })) return {};
    std::span<const std::uint8_t> bytes = data.subspan(r.Offset, r.Length);
    tables.push_back({r.Tag, std::vector<std::uint8_t>(bytes.begin(), bytes.end())});
  }
  return WriteSfnt(face->Version, std::move(tables));
}

std::vector<TkmCharGlyph> ReadUnicodeCharMap(TkmFontData data, int face_index) {
  std::vector<std::uint8_t> cmap_bytes = ReadTable(data, face_index, TkmTag("cmap"));
  std::vector<TkmCharGlyph> map;
  try {
    TkmFontReader cmap(cmap_bytes);
    if (cmap.Size() == 0) return map;
    std::uint16_t count = cmap.U16(2);
    for (std::uint16_t i = 0; i < count; ++i) {
      std::uint64_t at = 4 + 8 * std::uint64_t(i);
      std::uint16_t platform = cmap.U16(at), encoding = cmap.U16(at + 2);
      if (platform != 3 || (encoding != 1 && encoding != 0)) continue;
      WalkFormat4(Subtable(cmap, cmap.U32(at + 4)), false,
                  [&](std::uint16_t c, std::uint16_t g) { map.push_back({c, g}); });
      break;
    }
  } catch (const EkmFontFormatError&) {
    map.clear();
  }
  return map;
}

std::vector<TkmCharGlyph> BuildGlyphCharTable(std::span<const std::uint8_t> cmap_bytes) {
  std::vector<TkmCharGlyph> table;
  try {
    TkmFontReader cmap(cmap_bytes);
    std::uint16_t count = cmap.U16(2);
    std::optional<std::uint32_t> chosen;
    for (std::uint16_t i = 0; i < count; ++i) {
      std::uint64_t at = 4 + 8 * std::uint64_t(i);
      if (cmap.U16(at) != 3) continue;
      std::uint16_t encoding = cmap.U16(at + 2);
      if (encoding == 1) {
        chosen = cmap.U32(at + 4);
        break;
      }
      if (encoding == 0) chosen = cmap.U32(at + 4);
    }
    if (!chosen || *chosen % 2 != 0 || *chosen >= cmap.Size()) return table;
    WalkFormat4(Subtable(cmap, *chosen), true, [&](std::uint16_t c, std::uint16_t g) { table.push_back({c, g}); });
  } catch (const EkmFontFormatError&) {
    table.clear();
  }
  return table;
}

std::uint16_t CharOfGlyph(const std::vector<TkmCharGlyph>& table, std::uint16_t glyph) {
  for (const TkmCharGlyph& e : table) {
    if (e.Glyph == glyph) return e.Char;
  }
  return 0;
}

}  // namespace km
