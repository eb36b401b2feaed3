#include "kmTrueTypeSubset.h"

#include <algorithm>

#include "kmFontReader.h"

namespace km {

namespace {

// Composite glyph flags.
constexpr std::uint16_t ARG_1_AND_2_ARE_WORDS = 0x0001, WE_HAVE_A_SCALE = 0x0008, MORE_COMPONENTS = 0x0020,
                        WE_HAVE_AN_X_AND_Y_SCALE = 0x0040, WE_HAVE_A_TWO_BY_TWO = 0x0080;

// The glyph outlines of one face: 'glyf' and 'loca' with the counts from
// 'maxp' and 'head', all checked when made.
class TkmGlyphData {
 public:
  TkmGlyphData(TkmFontData data, const TkmSfntFace& face) {
    const TkmTableRecord* glyf = face.Find(TkmTag("glyf"));
    const TkmTableRecord* loca = face.Find(TkmTag("loca"));
    const TkmTableRecord* head = face.Find(TkmTag("head"));
    const TkmTableRecord* maxp = face.Find(TkmTag("maxp"));
    if (!glyf || !loca || !head || !maxp) throw EkmFontFormatError();
    TkmFontReader file(data);
    glyf_ = file.Slice(glyf->Offset, glyf->Length);
    loca_ = file.Slice(loca->Offset, loca->Length);
    TkmFontReader head_table = file.Slice(head->Offset, head->Length);
    std::int16_t format = head_table.S16(50);
    if (format != 0 && format != 1) throw EkmFontFormatError();
    long_ = format == 1;
    count_ = file.Slice(maxp->Offset, maxp->Length).U16(4);
    loca_.Require(0, (std::uint64_t(count_) + 1) * (long_ ? 4 : 2));
  }

  std::uint16_t Count() const { return count_; }
  bool LongOffsets() const { return long_; }

  // The bytes of glyph i (checked to lie in 'glyf', in order).
  TkmFontReader Glyph(std::uint16_t i) const {
    std::uint64_t start = Offset(i), end = Offset(i + 1);
    if (end < start) throw EkmFontFormatError();
    return glyf_.Slice(start, end - start);
  }

 private:
  std::uint64_t Offset(std::uint32_t i) const { return long_ ? loca_.U32(4 * std::uint64_t(i)) : 2 * std::uint64_t(loca_.U16(2 * std::uint64_t(i))); }

  TkmFontReader glyf_, loca_;
  bool long_ = false;
  std::uint16_t count_ = 0;
};

// Component glyph indices of a composite glyph, in order.
std::vector<std::uint16_t> Components(const TkmFontReader& glyph, std::uint16_t glyph_count) {
  std::vector<std::uint16_t> parts;
  if (glyph.Size() == 0 || glyph.S16(0) >= 0) return parts;
  std::uint64_t at = 10;  // numberOfContours and the bounding box
  for (;;) {
    std::uint16_t flags = glyph.U16(at);
    std::uint16_t index = glyph.U16(at + 2);
    if (index >= glyph_count) throw EkmFontFormatError();
    parts.push_back(index);
    at += 4 + ((flags & ARG_1_AND_2_ARE_WORDS) ? 4 : 2);
    if (flags & WE_HAVE_A_SCALE) at += 2;
    else if (flags & WE_HAVE_AN_X_AND_Y_SCALE) at += 4;
    else if (flags & WE_HAVE_A_TWO_BY_TWO) at += 8;
    if (!(flags & MORE_COMPONENTS)) break;
  }
  glyph.Require(0, at);  // the last component's arguments lie inside the glyph too
  return parts;
}

std::vector<std::uint16_t> Closure(const TkmGlyphData& glyphs, std::span<const std::uint16_t> wanted) {
  std::vector<bool> kept(glyphs.Count(), false);
  std::vector<std::uint16_t> work;
  auto keep = [&](std::uint16_t g) {
    if (g < glyphs.Count() && !kept[g]) {
      kept[g] = true;
      work.push_back(g);
    }
  };
  keep(0);
  for (std::uint16_t g : wanted) keep(g);
  while (!work.empty()) {
    std::uint16_t g = work.back();
    work.pop_back();
    for (std::uint16_t part : Components(glyphs.Glyph(g), glyphs.Count())) keep(part);
  }
  std::vector<std::uint16_t> result;
  for (std::uint32_t g = 0; g < kept.size(); ++g) {
    if (kept[g]) result.push_back(static_cast<std::uint16_t>(g));
  }
  return result;
}

void PutOffset(std::vector<std::uint8_t>& loca, std::size_t offset, bool long_offsets) {
  std::uint32_t v = long_offsets ? static_cast<std::uint32_t>(offset) : static_cast<std::uint32_t>(offset / 2);
  if (long_offsets) {
    loca.push_back(static_cast<std::uint8_t>(v >> 24));
    loca.push_back(static_cast<std::uint8_t>(v >> 16));
  }
  loca.push_back(static_cast<std::uint8_t>(v >> 8));
  loca.push_back(static_cast<std::uint8_t>(v));
}

}  // namespace

bool HasTrueTypeOutlines(TkmFontData data, int face_index) {
  std::optional<TkmSfntFace> face = ReadFace(data, face_index);
  return face && face->Find(TkmTag("glyf")) != nullptr;
}

std::optional<std::vector<std::uint16_t>> GlyphsToKeep(TkmFontData data, int face_index,
                                                       std::span<const std::uint16_t> glyphs) {
  std::optional<TkmSfntFace> face = ReadFace(data, face_index);
  if (!face) return std::nullopt;
  try {
    return Closure(TkmGlyphData(data, *face), glyphs);
  } catch (const EkmFontFormatError&) {
    return std::nullopt;
  }
}

std::vector<std::uint8_t> SubsetTrueType(TkmFontData data, int face_index, std::span<const std::uint16_t> glyphs) {
  std::optional<TkmSfntFace> face = ReadFace(data, face_index);
  if (!face) return {};
  try {
    TkmGlyphData outlines(data, *face);
    std::vector<std::uint16_t> keep = Closure(outlines, glyphs);
    std::vector<std::uint8_t> glyf, loca;
    const std::size_t align = outlines.LongOffsets() ? 4 : 2;
    std::size_t next = 0;
    for (std::uint32_t g = 0; g < outlines.Count(); ++g) {
      PutOffset(loca, glyf.size(), outlines.LongOffsets());
      if (next < keep.size() && keep[next] == g) {
        ++next;
        std::span<const std::uint8_t> bytes = outlines.Glyph(static_cast<std::uint16_t>(g)).Bytes();
        glyf.insert(glyf.end(), bytes.begin(), bytes.end());
        glyf.resize((glyf.size() + align - 1) / align * align, 0);
      }
    }
    PutOffset(loca, glyf.size(), outlines.LongOffsets());
    // Short offsets count words up to 0xFFFF.
    if (!outlines.LongOffsets() && glyf.size() / 2 > 0xFFFF) return {};
    std::vector<TkmTableData> tables;
    for (std::uint32_t tag : kSubsetTables) {
      const TkmTableRecord* r = face->Find(tag);
      if (r == nullptr) continue;
      if (tag == TkmTag("glyf")) {
        tables.push_back({tag, std::move(glyf)});
      } else if (tag == TkmTag("loca")) {
        tables.push_back({tag, std::move(loca)});
      } else {
        std::span<const std::uint8_t> bytes = data.subspan(r->Offset, r->Length);
        tables.push_back({tag, std::vector<std::uint8_t>(bytes.begin(), bytes.end())});
      }
    }
    return WriteSfnt(0x00010000, std::move(tables));
  } catch (const EkmFontFormatError&) {
    return {};
  }
}

std::vector<std::uint8_t> WholeFontFile(TkmFontData data, int face_index) {
  if (!HasTrueTypeOutlines(data, face_index)) return {};
  if (IsFontCollection(data)) return ExtractFace(data, face_index);
  return std::vector<std::uint8_t>(data.begin(), data.end());
}

std::vector<std::uint8_t> FontFileForEmbedding(TkmFontData data, int face_index, std::span<const std::uint16_t> glyphs,
                                               bool subset, bool* is_subset) {
  std::vector<std::uint8_t> whole = WholeFontFile(data, face_index);
  if (is_subset != nullptr) *is_subset = false;
  if (subset) {
    std::vector<std::uint8_t> part = SubsetTrueType(data, face_index, glyphs);
    if (!part.empty() && (whole.empty() || part.size() < whole.size())) {
      if (is_subset != nullptr) *is_subset = true;
      return part;
    }
  }
  return whole;
}

}  // namespace km
