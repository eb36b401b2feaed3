#include "kmMetafile.h"

#include "kmByteReader.h"
#include "kmEmfPlayer.h"
#include "kmEmfReader.h"
#include "kmException.h"
#include "kmMath.h"

namespace km {

std::unique_ptr<TGraphic> TMetafile::Clone() const {
  auto copy = std::make_unique<TMetafile>(*this);
  return copy;
}

bool LooksLikeWmf(std::span<const std::uint8_t> bytes) {
  ByteReader b(bytes);
  if (b.Has(0, 4) && b.U32(0) == 0x9AC6CDD7u) return true;
  return b.Has(0, 18) && (b.U16(0) == 1 || b.U16(0) == 2) && b.U16(2) == 9 &&
         (b.U16(4) == 0x0100 || b.U16(4) == 0x0300);
}

void TMetafile::LoadFromBytes(std::span<const std::uint8_t> bytes) {
  if (LooksLikeWmf(bytes))
    throw EInvalidGraphic(
        "Windows metafiles (WMF) are not supported: convert the picture to an enhanced metafile (EMF)");
  if (!LooksLikeEmf(bytes)) throw EInvalidGraphic("Not an enhanced metafile");
  TEmfReader reader(bytes);
  TEmfRecord header;
  reader.Next(header);
  TEmfHeader h = ParseEmfHeader(header);
  // Frames read from files may span more than 32 bits; Width() clamps.
  const int fw = h.Frame.Width(), fh = h.Frame.Height();
  data_.assign(bytes.begin(), bytes.end());
  mm_width_ = fw;
  mm_height_ = fh;
  // Pixel size = frame (0.01 mm) on the metafile's own reference device.
  auto to_pixels = [](double frame, double device, double mm, double um) {
    double v = um > 0 ? frame * 10.0 * device / um : mm > 0 ? frame * device / (mm * 100.0) : 0.0;
    v = Round(v);
    // Sizes beyond the integer range are clamped rather than converted.
    return v >= 2147483647.0 ? 2147483647 : v <= -2147483647.0 ? -2147483647 : static_cast<int>(v);
  };
  width_ = to_pixels(fw, h.Device.cx, h.Millimeters.cx, h.Micrometers.cx);
  height_ = to_pixels(fh, h.Device.cy, h.Millimeters.cy, h.Micrometers.cy);
}

void TMetafile::DrawOn(TCanvas& canvas, const TRect& dest) const { PlayEnhMetaFile(canvas, data_, dest); }

void TMetafile::Clear() {
  data_.clear();
  width_ = height_ = mm_width_ = mm_height_ = 0;
}

void TMetafile::SetRecorded(TBytes bytes, int width, int height, int mm_width, int mm_height) {
  data_ = std::move(bytes);
  width_ = width;
  height_ = height;
  mm_width_ = mm_width;
  mm_height_ = mm_height;
}

}  // namespace km
