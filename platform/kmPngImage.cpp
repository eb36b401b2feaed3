#include "kmPngImage.h"

#include <cstring>
#include <string>

#include <png.h>

#include "kmException.h"

namespace km {

namespace {

// Refused before any pixel memory is taken (see the JPEG reader).
constexpr std::int64_t kMaxPngPixels = 1LL << 26;

// libpng's simplified interface reports errors through its return values and
// image.message (it uses setjmp internally), so no jump crosses our frames.
struct PngImageGuard {
  png_image* image;
  ~PngImageGuard() { png_image_free(image); }
};

}  // namespace

void TPngImage::LoadFromBytes(std::span<const std::uint8_t> bytes) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  PngImageGuard guard{&image};
  if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) throw EInvalidGraphic("Not a PNG file");
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
    throw EInvalidGraphic(std::string("Invalid PNG data: ") + image.message);
  if (image.width == 0 || image.height == 0 ||
      static_cast<std::int64_t>(image.width) * image.height > kMaxPngPixels)
    throw EInvalidGraphic("PNG image size out of range");
  const bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  image.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
    throw EInvalidGraphic(std::string("Invalid PNG data: ") + image.message);
  width_ = static_cast<int>(image.width);
  height_ = static_cast<int>(image.height);
  has_alpha_ = alpha;
  rgba_ = std::move(pixels);
  SetTransparent(alpha);
}

void TPngImage::SaveToBytes(TBytes& out) const {
  out.clear();
  if (Empty()) return;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width_);
  image.height = static_cast<png_uint_32>(height_);
  image.format = has_alpha_ ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  std::vector<std::uint8_t> packed;
  const std::uint8_t* rows = rgba_.data();
  if (!has_alpha_) {
    packed.resize(static_cast<std::size_t>(width_) * height_ * 3);
    for (std::size_t i = 0, n = static_cast<std::size_t>(width_) * height_; i < n; ++i)
      std::memcpy(&packed[i * 3], &rgba_[i * 4], 3);
    rows = packed.data();
  }
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rows, 0, nullptr))
    throw EInvalidGraphic(std::string("PNG encoding failed: ") + image.message);
  out.resize(size);
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, rows, 0, nullptr))
    throw EInvalidGraphic(std::string("PNG encoding failed: ") + image.message);
  out.resize(size);
}

TColor TPngImage::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return clBlack;
  const std::uint8_t* p = &rgba_[(static_cast<std::size_t>(y) * width_ + x) * 4];
  return RGB(p[0], p[1], p[2]);
}

std::uint8_t TPngImage::GetAlpha(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return rgba_[(static_cast<std::size_t>(y) * width_ + x) * 4 + 3];
}

const std::uint8_t* TPngImage::Scanline(int y) const {
  if (y < 0 || y >= height_) throw EkmError("Scan line index out of range");
  return rgba_.data() + static_cast<std::size_t>(y) * width_ * 4;
}

void TPngImage::SetPixels(int width, int height, std::span<const std::uint8_t> rgba, bool has_alpha) {
  if (width < 0 || height < 0 || static_cast<std::int64_t>(width) * height > kMaxPngPixels ||
      rgba.size() != static_cast<std::size_t>(width) * height * 4)
    throw EInvalidGraphic("PNG pixel data does not match its size");
  width_ = width;
  height_ = height;
  has_alpha_ = has_alpha;
  rgba_.assign(rgba.begin(), rgba.end());
  if (!has_alpha)
    for (std::size_t i = 3; i < rgba_.size(); i += 4) rgba_[i] = 255;
  SetTransparent(has_alpha);
}

void TPngImage::Assign(const TBitmap& bitmap) {
  const int w = bitmap.GetWidth(), h = bitmap.GetHeight();
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      TColor c = bitmap.GetPixel(x, y);
      std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * w + x) * 4];
      p[0] = GetRValue(c);
      p[1] = GetGValue(c);
      p[2] = GetBValue(c);
      p[3] = 255;
    }
  SetPixels(w, h, rgba, false);
}

TBitmap TPngImage::ToBitmap() const {
  TBitmap bmp(width_, height_, TPixelFormat::pf24bit);
  for (int y = 0; y < height_; ++y) {
    const std::uint8_t* src = Scanline(y);
    std::uint8_t* dst = bmp.ScanLine(y);
    for (int x = 0; x < width_; ++x, src += 4, dst += 3) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }
  return bmp;
}

void TPngImage::DrawOn(TCanvas& canvas, const TRect& dest) const {
  if (Empty()) return;
  if (!has_alpha_) {
    ToBitmap().DrawOn(canvas, dest);
    return;
  }
  TBitmap bmp(width_, height_, TPixelFormat::pf32bit);
  for (int y = 0; y < height_; ++y) {
    const std::uint8_t* src = Scanline(y);
    std::uint8_t* dst = bmp.ScanLine(y);
    for (int x = 0; x < width_; ++x, src += 4, dst += 4) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
      dst[3] = src[3];
    }
  }
  bmp.SetAlphaFormat(TAlphaFormat::afDefined);
  bmp.DrawOn(canvas, dest);
}

}  // namespace km
