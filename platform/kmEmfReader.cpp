#include "kmEmfReader.h"

#include <array>
#include <utility>

#include "kmEmfTypes.h"

namespace km {

using namespace emf;

TEmfReader::TEmfReader(std::span<const std::uint8_t> bytes) : data_(bytes) {
  if (!LooksLikeEmf(bytes)) Fail(TEmfReadStatus::rsNotEmf, "Not an enhanced metafile: no valid EMR_HEADER");
}

bool TEmfReader::Fail(TEmfReadStatus status, std::string message) {
  status_ = status;
  error_ = std::move(message);
  error_offset_ = pos_;
  done_ = true;
  return false;
}

bool TEmfReader::Next(TEmfRecord& record) {
  if (done_) return false;
  if (pos_ == data_.Size()) {
    done_ = true;
    status_ = TEmfReadStatus::rsNoEof;
    error_ = "The metafile ends without an EMR_EOF record";
    error_offset_ = pos_;
    return false;
  }
  if (!data_.Has(pos_, 8)) return Fail(TEmfReadStatus::rsDamaged, "Truncated record header");
  const std::uint32_t type = data_.U32(pos_);
  const std::uint32_t size = data_.U32(pos_ + 4);
  if (size < 8) return Fail(TEmfReadStatus::rsDamaged, "Record size below 8");
  if (size % 4 != 0) return Fail(TEmfReadStatus::rsDamaged, "Record size not a multiple of 4");
  if (!data_.Has(pos_, size)) return Fail(TEmfReadStatus::rsDamaged, "Record runs past the end of the data");
  record.Type = type;
  record.Size = size;
  record.Offset = pos_;
  record.Bytes = data_.Slice(pos_, size);
  pos_ += size;
  if (type == EMR_EOF) {
    done_ = true;
    status_ = TEmfReadStatus::rsComplete;
    error_.clear();
  }
  return true;
}

TEmfReadResult ReadEmfRecords(std::span<const std::uint8_t> bytes) {
  TEmfReadResult result;
  TEmfReader reader(bytes);
  TEmfRecord r;
  while (reader.Next(r)) result.Records.push_back(r);
  result.Status = reader.Status();
  result.Error = reader.Error();
  return result;
}

bool LooksLikeEmf(std::span<const std::uint8_t> bytes) {
  ByteReader b(bytes);
  if (!b.Has(0, kMinHeaderSize)) return false;
  const std::uint32_t size = b.U32(4);
  return b.U32(0) == EMR_HEADER && size >= kMinHeaderSize && size % 4 == 0 && b.Has(0, size) &&
         b.U32(40) == ENHMETA_SIGNATURE;
}

static TRect ReadRect(const ByteReader& b, std::size_t off) {
  return TRect{b.I32(off), b.I32(off + 4), b.I32(off + 8), b.I32(off + 12)};
}

TEmfHeader ParseEmfHeader(const TEmfRecord& header) {
  ByteReader b = header.Reader();
  TEmfHeader h;
  h.Bounds = ReadRect(b, 8);
  h.Frame = ReadRect(b, 24);
  h.Signature = b.U32(40);
  h.Version = b.U32(44);
  h.Bytes = b.U32(48);
  h.Records = b.U32(52);
  h.Handles = b.U16(56);
  h.Device = {b.I32(72), b.I32(76)};
  h.Millimeters = {b.I32(80), b.I32(84)};
  // Header extension 2 carries the reference device in micrometres.
  if (header.Size >= 108) h.Micrometers = {b.I32(100), b.I32(104)};
  return h;
}

std::string EmfRecordName(std::uint32_t type) {
  static const std::array<const char*, 123> names = {
      nullptr, "EMR_HEADER", "EMR_POLYBEZIER", "EMR_POLYGON", "EMR_POLYLINE", "EMR_POLYBEZIERTO",
      "EMR_POLYLINETO", "EMR_POLYPOLYLINE", "EMR_POLYPOLYGON", "EMR_SETWINDOWEXTEX", "EMR_SETWINDOWORGEX",
      "EMR_SETVIEWPORTEXTEX", "EMR_SETVIEWPORTORGEX", "EMR_SETBRUSHORGEX", "EMR_EOF", "EMR_SETPIXELV",
      "EMR_SETMAPPERFLAGS", "EMR_SETMAPMODE", "EMR_SETBKMODE", "EMR_SETPOLYFILLMODE", "EMR_SETROP2",
      "EMR_SETSTRETCHBLTMODE", "EMR_SETTEXTALIGN", "EMR_SETCOLORADJUSTMENT", "EMR_SETTEXTCOLOR",
      "EMR_SETBKCOLOR", "EMR_OFFSETCLIPRGN", "EMR_MOVETOEX", "EMR_SETMETARGN", "EMR_EXCLUDECLIPRECT",
      "EMR_INTERSECTCLIPRECT", "EMR_SCALEVIEWPORTEXTEX", "EMR_SCALEWINDOWEXTEX", "EMR_SAVEDC",
      "EMR_RESTOREDC", "EMR_SETWORLDTRANSFORM", "EMR_MODIFYWORLDTRANSFORM", "EMR_SELECTOBJECT",
      "EMR_CREATEPEN", "EMR_CREATEBRUSHINDIRECT", "EMR_DELETEOBJECT", "EMR_ANGLEARC", "EMR_ELLIPSE",
      "EMR_RECTANGLE", "EMR_ROUNDRECT", "EMR_ARC", "EMR_CHORD", "EMR_PIE", "EMR_SELECTPALETTE",
      "EMR_CREATEPALETTE", "EMR_SETPALETTEENTRIES", "EMR_RESIZEPALETTE", "EMR_REALIZEPALETTE",
      "EMR_EXTFLOODFILL", "EMR_LINETO", "EMR_ARCTO", "EMR_POLYDRAW", "EMR_SETARCDIRECTION",
      "EMR_SETMITERLIMIT", "EMR_BEGINPATH", "EMR_ENDPATH", "EMR_CLOSEFIGURE", "EMR_FILLPATH",
      "EMR_STROKEANDFILLPATH", "EMR_STROKEPATH", "EMR_FLATTENPATH", "EMR_WIDENPATH", "EMR_SELECTCLIPPATH",
      "EMR_ABORTPATH", nullptr, "EMR_COMMENT", "EMR_FILLRGN", "EMR_FRAMERGN", "EMR_INVERTRGN",
      "EMR_PAINTRGN", "EMR_EXTSELECTCLIPRGN", "EMR_BITBLT", "EMR_STRETCHBLT", "EMR_MASKBLT", "EMR_PLGBLT",
      "EMR_SETDIBITSTODEVICE", "EMR_STRETCHDIBITS", "EMR_EXTCREATEFONTINDIRECTW", "EMR_EXTTEXTOUTA",
      "EMR_EXTTEXTOUTW", "EMR_POLYBEZIER16", "EMR_POLYGON16", "EMR_POLYLINE16", "EMR_POLYBEZIERTO16",
      "EMR_POLYLINETO16", "EMR_POLYPOLYLINE16", "EMR_POLYPOLYGON16", "EMR_POLYDRAW16",
      "EMR_CREATEMONOBRUSH", "EMR_CREATEDIBPATTERNBRUSHPT", "EMR_EXTCREATEPEN", "EMR_POLYTEXTOUTA",
      "EMR_POLYTEXTOUTW", "EMR_SETICMMODE", "EMR_CREATECOLORSPACE", "EMR_SETCOLORSPACE",
      "EMR_DELETECOLORSPACE", "EMR_GLSRECORD", "EMR_GLSBOUNDEDRECORD", "EMR_PIXELFORMAT", "EMR_DRAWESCAPE",
      "EMR_EXTESCAPE", nullptr, "EMR_SMALLTEXTOUT", "EMR_FORCEUFIMAPPING", "EMR_NAMEDESCAPE",
      "EMR_COLORCORRECTPALETTE", "EMR_SETICMPROFILEA", "EMR_SETICMPROFILEW", "EMR_ALPHABLEND",
      "EMR_SETLAYOUT", "EMR_TRANSPARENTBLT", nullptr, "EMR_GRADIENTFILL", "EMR_SETLINKEDUFIS",
      "EMR_SETTEXTJUSTIFICATION", "EMR_COLORMATCHTOTARGETW", "EMR_CREATECOLORSPACEW"};
  if (type < names.size() && names[type]) return names[type];
  return "EMR_" + std::to_string(type);
}

}  // namespace km
