#include "kmBitmap.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

#include "kmException.h"
#include "kmRasterCanvas.h"

namespace km {

namespace {

constexpr std::int64_t kMaxPixels = 1LL << 28;  // guards allocations from hostile headers
constexpr std::uint32_t kBmpPixelsPerMeter = 3780;  // 96 dots per inch, fixed so saved bytes do not vary

int StrideOf(int width, int bits) { return static_cast<int>(((static_cast<std::int64_t>(width) * bits + 31) / 32) * 4); }

TColor PaletteColorAt(const ByteReader& b, std::size_t off) {
  return RGB(b.U8(off + 2), b.U8(off + 1), b.U8(off));
}

// Extracts a channel through a bit mask and scales it to 0..255.
std::uint8_t MaskChannel(std::uint32_t v, std::uint32_t mask) {
  if (mask == 0) return 0;
  int shift = std::countr_zero(mask);
  std::uint32_t m = mask >> shift;
  std::uint32_t c = (v >> shift) & m;
  return static_cast<std::uint8_t>(m == 255 ? c : (c * 255 + m / 2) / m);
}

}  // namespace

int BitsPerPixel(TPixelFormat pf) {
  switch (pf) {
    case TPixelFormat::pf1bit: return 1;
    case TPixelFormat::pf4bit: return 4;
    case TPixelFormat::pf8bit: return 8;
    case TPixelFormat::pf32bit: return 32;
    default: return 24;
  }
}

static TPixelFormat StoredFormat(TPixelFormat pf) {
  switch (pf) {
    case TPixelFormat::pf1bit:
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit:
    case TPixelFormat::pf32bit: return pf;
    default: return TPixelFormat::pf24bit;
  }
}

int Luminance(TColor c) {
  return (GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114 + 500) / 1000;
}

std::vector<TColor> DefaultPalette(int bits) {
  if (bits == 1) return {clBlack, clWhite};
  std::vector<TColor> vga = {clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clGray,
                             clSilver, clRed, clLime, clYellow, clBlue, clFuchsia, clAqua, clWhite};
  if (bits == 4) return vga;
  if (bits != 8) return {};
  std::vector<TColor> p = vga;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) p.push_back(RGB(r * 51, g * 51, b * 51));
  for (int i = 0; p.size() < 256; ++i) p.push_back(RGB(8 + i * 10, 8 + i * 10, 8 + i * 10));
  return p;
}

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat pf) { Allocate(width, height, pf); }

TBitmap::~TBitmap() = default;

TBitmap::TBitmap(const TBitmap& other) : TGraphic(other) { *this = other; }

TBitmap& TBitmap::operator=(const TBitmap& other) {
  if (this == &other) return *this;
  other.SyncFromCanvas();
  SetTransparent(other.GetTransparent());
  width_ = other.width_;
  height_ = other.height_;
  format_ = other.format_;
  stride_ = other.stride_;
  pixels_ = other.pixels_;
  palette_ = other.palette_;
  copy_mode_ = other.copy_mode_;
  alpha_format_ = other.alpha_format_;
  transparent_color_ = other.transparent_color_;
  canvas_.reset();
  canvas_dirty_ = false;
  Touch();
  return *this;
}

std::unique_ptr<TGraphic> TBitmap::Clone() const { return std::make_unique<TBitmap>(*this); }

void TBitmap::Allocate(int width, int height, TPixelFormat pf) {
  if (width < 0 || height < 0 || static_cast<std::int64_t>(width) * height > kMaxPixels)
    throw EInvalidGraphic("Bitmap size out of range");
  format_ = StoredFormat(pf);
  width_ = width;
  height_ = height;
  stride_ = StrideOf(width, BitsPerPixel(format_));
  pixels_.assign(static_cast<std::size_t>(stride_) * height, 0);
  palette_ = DefaultPalette(BitsPerPixel(format_));
  Touch();
}

void TBitmap::SyncFromCanvas() const {
  if (canvas_ && canvas_dirty_) canvas_->WriteBack();
}

TCanvas& TBitmap::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TRasterCanvas>(*this);
  return *canvas_;
}

void TBitmap::SetSize(int width, int height) {
  SyncFromCanvas();
  if (width == width_ && height == height_) return;
  TBitmap old(*this);
  Allocate(width, height, format_);
  palette_ = old.palette_;
  Fill(clWhite);
  int w = std::min(width, old.width_), h = std::min(height, old.height_);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (BitsPerPixel(format_) <= 8) SetIndex(x, y, old.GetIndex(x, y));
      else std::memcpy(&pixels_[y * stride_ + x * (BitsPerPixel(format_) / 8)],
                       &old.pixels_[y * old.stride_ + x * (BitsPerPixel(format_) / 8)], BitsPerPixel(format_) / 8);
    }
}

void TBitmap::SetPixelFormat(TPixelFormat pf) {
  SyncFromCanvas();
  TPixelFormat target = StoredFormat(pf);
  if (target == format_) return;
  TBitmap old(*this);
  Allocate(width_, height_, target);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) SetPixel(x, y, old.GetPixel(x, y));
}

std::uint8_t* TBitmap::ScanLine(int y) {
  SyncFromCanvas();
  if (y < 0 || y >= height_) throw EkmError("Scan line index out of range");
  Touch();
  return pixels_.data() + static_cast<std::size_t>(y) * stride_;
}

const std::uint8_t* TBitmap::ScanLine(int y) const {
  SyncFromCanvas();
  if (y < 0 || y >= height_) throw EkmError("Scan line index out of range");
  return pixels_.data() + static_cast<std::size_t>(y) * stride_;
}

std::uint32_t TBitmap::GetIndex(int x, int y) const {
  const std::uint8_t* row = pixels_.data() + static_cast<std::size_t>(y) * stride_;
  switch (BitsPerPixel(format_)) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
    default: return row[x];
  }
}

void TBitmap::SetIndex(int x, int y, std::uint32_t index) {
  std::uint8_t* row = pixels_.data() + static_cast<std::size_t>(y) * stride_;
  switch (BitsPerPixel(format_)) {
    case 1: {
      std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
      row[x >> 3] = static_cast<std::uint8_t>(index & 1 ? row[x >> 3] | bit : row[x >> 3] & ~bit);
      break;
    }
    case 4: {
      int shift = (x & 1) ? 0 : 4;
      row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & ~(0xF << shift)) | ((index & 0xF) << shift));
      break;
    }
    default: row[x] = static_cast<std::uint8_t>(index);
  }
}

std::uint8_t TBitmap::NearestIndex(TColor rgb) const {
  if (palette_.empty()) return 0;
  if (palette_.size() == 2) {
    // Two entries: the nearer by luminance; a tie goes to the brighter.
    int l = Luminance(rgb), l0 = Luminance(palette_[0]), l1 = Luminance(palette_[1]);
    int d0 = std::abs(l - l0), d1 = std::abs(l - l1);
    if (d0 != d1) return d0 < d1 ? 0 : 1;
    return l0 > l1 ? 0 : 1;
  }
  std::size_t best = 0;
  long bestd = LONG_MAX;
  for (std::size_t i = 0; i < palette_.size(); ++i) {
    long dr = GetRValue(rgb) - GetRValue(palette_[i]);
    long dg = GetGValue(rgb) - GetGValue(palette_[i]);
    long db = GetBValue(rgb) - GetBValue(palette_[i]);
    long d = dr * dr + dg * dg + db * db;
    if (d < bestd) {
      bestd = d;
      best = i;
    }
  }
  return static_cast<std::uint8_t>(best);
}

TColor TBitmap::GetPixel(int x, int y) const {
  SyncFromCanvas();
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return clBlack;
  int bits = BitsPerPixel(format_);
  if (bits <= 8) {
    std::uint32_t i = GetIndex(x, y);
    return i < palette_.size() ? palette_[i] : clBlack;
  }
  const std::uint8_t* p = pixels_.data() + static_cast<std::size_t>(y) * stride_ + x * (bits / 8);
  return RGB(p[2], p[1], p[0]);
}

void TBitmap::SetPixel(int x, int y, TColor color) {
  SyncFromCanvas();
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  TColor c = ColorToRGB(color);
  int bits = BitsPerPixel(format_);
  Touch();
  if (bits <= 8) {
    SetIndex(x, y, NearestIndex(c));
    return;
  }
  std::uint8_t* p = pixels_.data() + static_cast<std::size_t>(y) * stride_ + x * (bits / 8);
  p[0] = GetBValue(c);
  p[1] = GetGValue(c);
  p[2] = GetRValue(c);
  if (bits == 32) p[3] = 255;
}

void TBitmap::SetPalette(std::vector<TColor> palette) {
  SyncFromCanvas();
  palette.resize(std::size_t{1} << std::min(BitsPerPixel(format_), 8), clBlack);
  if (BitsPerPixel(format_) > 8) palette.clear();
  palette_ = std::move(palette);
  Touch();
}

void TBitmap::Fill(TColor color) {
  SyncFromCanvas();
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) SetPixel(x, y, color);
}

bool operator==(const TBitmap& a, const TBitmap& b) {
  a.SyncFromCanvas();
  b.SyncFromCanvas();
  return a.width_ == b.width_ && a.height_ == b.height_ && a.format_ == b.format_ && a.pixels_ == b.pixels_ &&
         a.palette_ == b.palette_;
}

// ---- DIB and BMP

void TBitmap::LoadFromDib(std::span<const std::uint8_t> info_bytes, std::span<const std::uint8_t> bits_bytes) {
  try {
    DecodeDib(info_bytes, bits_bytes);
  } catch (const EReadError& e) {
    throw EInvalidGraphic(std::string("Damaged bitmap: ") + e.what());
  }
}

void TBitmap::DecodeDib(std::span<const std::uint8_t> info_bytes, std::span<const std::uint8_t> bits_bytes) {
  ByteReader info(info_bytes), bits(bits_bytes);
  const std::uint32_t hsize = info.U32(0);
  std::int64_t width, height;
  int bitcount;
  std::uint32_t compression = 0, clr_used = 0;
  std::size_t table = hsize;
  bool core = hsize == 12;
  if (core) {
    width = info.U16(4);
    height = info.I16(6);
    bitcount = info.U16(10);
  } else {
    if (hsize < 40) throw EInvalidGraphic("Unknown bitmap header size");
    width = info.I32(4);
    height = info.I32(8);
    bitcount = info.U16(14);
    compression = info.U32(16);
    clr_used = info.U32(32);
  }
  std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (compression == 3) {  // BI_BITFIELDS: the masks follow a 40-byte header or lie inside a larger one
    for (int i = 0; i < 3; ++i) masks[i] = info.U32(40 + 4 * i);
    if (hsize == 40) table += 12;
  } else if (compression != 0) {
    throw EInvalidGraphic("Compressed bitmaps are not supported");
  }
  if (bitcount == 32 && compression == 0) {
    masks[0] = 0xFF0000;
    masks[1] = 0xFF00;
    masks[2] = 0xFF;
  }
  bool top_down = height < 0;
  if (top_down) height = -height;
  if (width < 0 || width > INT_MAX / 32 || height > INT_MAX / 32)
    throw EInvalidGraphic("Bitmap size out of range");
  if (bitcount != 1 && bitcount != 4 && bitcount != 8 && bitcount != 16 && bitcount != 24 && bitcount != 32)
    throw EInvalidGraphic("Unsupported bits per pixel");
  if (width * height > kMaxPixels) throw EInvalidGraphic("Bitmap size out of range");
  const std::int64_t src_stride = StrideOf(static_cast<int>(width), bitcount);
  if (!bits.Has(0, static_cast<std::size_t>(src_stride * height))) throw EInvalidGraphic("Bitmap data too short");

  TPixelFormat pf = bitcount == 1 ? TPixelFormat::pf1bit
                    : bitcount == 4 ? TPixelFormat::pf4bit
                    : bitcount == 8 ? TPixelFormat::pf8bit
                    : bitcount == 32 ? TPixelFormat::pf32bit
                                     : TPixelFormat::pf24bit;
  std::vector<TColor> palette;
  if (bitcount <= 8) {
    std::size_t n = std::size_t{1} << bitcount;
    if (clr_used != 0 && clr_used < n) n = clr_used;
    std::size_t entry = core ? 3 : 4;
    for (std::size_t i = 0; i < n; ++i) palette.push_back(PaletteColorAt(info, table + i * entry));
  }
  canvas_.reset();
  canvas_dirty_ = false;
  Allocate(static_cast<int>(width), static_cast<int>(height), pf);
  if (bitcount <= 8) SetPalette(palette);
  for (int y = 0; y < height_; ++y) {
    std::size_t src_row = static_cast<std::size_t>(top_down ? y : height_ - 1 - y) * src_stride;
    std::uint8_t* dst = pixels_.data() + static_cast<std::size_t>(y) * stride_;
    if (bitcount <= 8 || bitcount == 24 || (bitcount == 32 && compression == 0)) {
      auto row = bits.Slice(src_row, static_cast<std::size_t>(std::min<std::int64_t>(src_stride, stride_)));
      std::memcpy(dst, row.data(), row.size());
      continue;
    }
    for (int x = 0; x < width_; ++x) {
      std::uint32_t v = bitcount == 16 ? bits.U16(src_row + 2 * x) : bits.U32(src_row + 4 * x);
      std::uint8_t* p = dst + x * (BitsPerPixel(format_) / 8);
      p[0] = MaskChannel(v, masks[2]);
      p[1] = MaskChannel(v, masks[1]);
      p[2] = MaskChannel(v, masks[0]);
      if (bitcount == 32) p[3] = 255;
    }
  }
  Touch();
}

void TBitmap::SaveToDib(TBytes& info, TBytes& bits) const {
  SyncFromCanvas();
  info.clear();
  bits.clear();
  ByteWriter w(info);
  const int bpp = BitsPerPixel(format_);
  w.U32(40);
  w.I32(width_);
  w.I32(height_);
  w.U16(1);
  w.U16(static_cast<std::uint16_t>(bpp));
  w.U32(0);
  w.U32(static_cast<std::uint32_t>(stride_) * height_);
  w.U32(kBmpPixelsPerMeter);
  w.U32(kBmpPixelsPerMeter);
  w.U32(bpp <= 8 ? static_cast<std::uint32_t>(palette_.size()) : 0);
  w.U32(0);
  if (bpp <= 8)
    for (TColor c : palette_) {
      w.U8(GetBValue(c));
      w.U8(GetGValue(c));
      w.U8(GetRValue(c));
      w.U8(0);
    }
  bits.reserve(pixels_.size());
  for (int y = height_ - 1; y >= 0; --y)
    bits.insert(bits.end(), pixels_.begin() + static_cast<std::ptrdiff_t>(y) * stride_,
                pixels_.begin() + static_cast<std::ptrdiff_t>(y + 1) * stride_);
}

void TBitmap::SaveToBytes(TBytes& out) const {
  TBytes info, bits;
  SaveToDib(info, bits);
  out.clear();
  ByteWriter w(out);
  w.U8('B');
  w.U8('M');
  w.U32(static_cast<std::uint32_t>(14 + info.size() + bits.size()));
  w.U32(0);
  w.U32(static_cast<std::uint32_t>(14 + info.size()));
  w.Bytes(info);
  w.Bytes(bits);
}

void TBitmap::LoadFromBytes(std::span<const std::uint8_t> bytes) {
  ByteReader b(bytes);
  if (!b.Has(0, 18) || b.U8(0) != 'B' || b.U8(1) != 'M') throw EInvalidGraphic("Not a BMP file");
  std::uint32_t off_bits = b.U32(10);
  if (off_bits < 14 || off_bits > bytes.size()) throw EInvalidGraphic("BMP pixel offset out of range");
  // The header and colour table run from 14 to the pixel offset; files whose
  // offset points inside the header are rejected by the DIB reader's checks.
  LoadFromDib(b.Slice(14, off_bits - 14), b.Slice(off_bits, bytes.size() - off_bits));
}

void TBitmap::DrawOn(TCanvas& canvas, const TRect& dest) const {
  canvas.StretchBitmap(dest, *this, TRect{0, 0, width_, height_}, SRCCOPY);
}

}  // namespace km
