#include "kmJpegImage.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <jpeglib.h>

#include "kmException.h"

namespace km {

namespace {

// Decoded pictures larger than this are refused before any pixel memory is
// taken, so that a hostile header cannot ask for gigabytes.
constexpr std::int64_t kMaxJpegPixels = 1LL << 26;

// libjpeg reports fatal errors through error_exit, which must not return:
// it jumps back to the setjmp of the call that started the work. The calls
// between setjmp and that jump are all C functions, and the frames that hold
// the setjmp own nothing with a destructor, so the jump skips no C++ cleanup.
struct JpegError {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings (a truncated file, extraneous bytes) are not printed; the decoder
// carries on with what it has.
void OnJpegMessage(j_common_ptr) {}

void InitError(JpegError& err, jpeg_error_mgr*& slot) {
  slot = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnJpegError;
  err.pub.output_message = OnJpegMessage;
  err.message[0] = '\0';
}

struct DecodeWork {
  std::span<const std::uint8_t> bytes;
  bool header_only = false;
  jpeg_decompress_struct cinfo{};
  JpegError err{};
  TJPEGInfo info;
  int out_components = 0;
  std::vector<std::uint8_t> pixels;  // rows of Width * out_components bytes, top down
  std::string failure;
};

TJPEGColorSpace ColorSpaceOf(J_COLOR_SPACE cs) {
  switch (cs) {
    case JCS_GRAYSCALE: return TJPEGColorSpace::jcsGray;
    case JCS_CMYK:
    case JCS_YCCK: return TJPEGColorSpace::jcsCMYK;
    default: return TJPEGColorSpace::jcsRGB;
  }
}

// Runs libjpeg over work->bytes; false with work->failure set on any error.
bool RunDecode(DecodeWork* work) {
  jpeg_decompress_struct* cinfo = &work->cinfo;
  InitError(work->err, cinfo->err);
  if (setjmp(work->err.jump)) {
    jpeg_destroy_decompress(cinfo);
    work->failure = work->err.message;
    return false;
  }
  jpeg_create_decompress(cinfo);
  jpeg_mem_src(cinfo, work->bytes.data(), static_cast<unsigned long>(work->bytes.size()));
  jpeg_read_header(cinfo, TRUE);
  work->info.Width = static_cast<int>(cinfo->image_width);
  work->info.Height = static_cast<int>(cinfo->image_height);
  work->info.Components = cinfo->num_components;
  work->info.ColorSpace = ColorSpaceOf(cinfo->jpeg_color_space);
  work->info.AdobeInverted = work->info.ColorSpace == TJPEGColorSpace::jcsCMYK && cinfo->saw_Adobe_marker;
  if (work->header_only) {
    jpeg_destroy_decompress(cinfo);
    return true;
  }
  if (static_cast<std::int64_t>(cinfo->image_width) * cinfo->image_height > kMaxJpegPixels) {
    jpeg_destroy_decompress(cinfo);
    work->failure = "JPEG image too large";
    return false;
  }
  cinfo->out_color_space = work->info.ColorSpace == TJPEGColorSpace::jcsGray   ? JCS_GRAYSCALE
                           : work->info.ColorSpace == TJPEGColorSpace::jcsCMYK ? JCS_CMYK
                                                                               : JCS_RGB;
  jpeg_start_decompress(cinfo);
  work->out_components = cinfo->output_components;
  const std::size_t row_bytes = static_cast<std::size_t>(cinfo->output_width) * cinfo->output_components;
  work->pixels.assign(row_bytes * cinfo->output_height, 0);
  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPROW row = work->pixels.data() + row_bytes * cinfo->output_scanline;
    jpeg_read_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_decompress(cinfo);
  jpeg_destroy_decompress(cinfo);
  return true;
}

struct EncodeWork {
  const std::uint8_t* rgb = nullptr;  // rows of width * 3 bytes, top down
  int width = 0;
  int height = 0;
  int quality = 90;
  bool grayscale = false;
  jpeg_compress_struct cinfo{};
  JpegError err{};
  unsigned char* out = nullptr;  // malloc'd by libjpeg's memory destination
  unsigned long out_size = 0;
  std::string failure;
};

bool RunEncode(EncodeWork* work) {
  jpeg_compress_struct* cinfo = &work->cinfo;
  InitError(work->err, cinfo->err);
  if (setjmp(work->err.jump)) {
    jpeg_destroy_compress(cinfo);
    work->failure = work->err.message;
    return false;
  }
  jpeg_create_compress(cinfo);
  jpeg_mem_dest(cinfo, &work->out, &work->out_size);
  cinfo->image_width = static_cast<JDIMENSION>(work->width);
  cinfo->image_height = static_cast<JDIMENSION>(work->height);
  cinfo->input_components = 3;
  cinfo->in_color_space = JCS_RGB;
  jpeg_set_defaults(cinfo);
  if (work->grayscale) jpeg_set_colorspace(cinfo, JCS_GRAYSCALE);
  jpeg_set_quality(cinfo, work->quality, TRUE);
  jpeg_start_compress(cinfo, TRUE);
  const std::size_t row_bytes = static_cast<std::size_t>(work->width) * 3;
  while (cinfo->next_scanline < cinfo->image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(work->rgb + row_bytes * cinfo->next_scanline);
    jpeg_write_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_compress(cinfo);
  jpeg_destroy_compress(cinfo);
  return true;
}

DecodeWork Decode(std::span<const std::uint8_t> bytes, bool header_only) {
  DecodeWork work;
  work.bytes = bytes;
  work.header_only = header_only;
  if (!RunDecode(&work)) throw EInvalidGraphic("Invalid JPEG data: " + work.failure);
  if (work.info.Width <= 0 || work.info.Height <= 0) throw EInvalidGraphic("Invalid JPEG data: empty image");
  return work;
}

std::uint8_t Mul255(int a, int b) { return static_cast<std::uint8_t>((a * b + 127) / 255); }

}  // namespace

TJPEGInfo ReadJPEGInfo(std::span<const std::uint8_t> bytes) { return Decode(bytes, true).info; }

TBitmap DecodeJPEG(std::span<const std::uint8_t> bytes) {
  DecodeWork work = Decode(bytes, false);
  const int w = work.info.Width, h = work.info.Height, n = work.out_components;
  TBitmap bmp(w, h, TPixelFormat::pf24bit);
  const bool inverted = work.info.AdobeInverted;
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* src = work.pixels.data() + static_cast<std::size_t>(y) * w * n;
    std::uint8_t* dst = bmp.ScanLine(y);
    for (int x = 0; x < w; ++x, src += n, dst += 3) {
      std::uint8_t r, g, b;
      if (n == 1) {
        r = g = b = src[0];
      } else if (n == 4) {
        // Ink amounts; an Adobe file stores them inverted (255 = no ink).
        int c = inverted ? src[0] : 255 - src[0], m = inverted ? src[1] : 255 - src[1];
        int yy = inverted ? src[2] : 255 - src[2], k = inverted ? src[3] : 255 - src[3];
        r = Mul255(c, k);
        g = Mul255(m, k);
        b = Mul255(yy, k);
      } else {
        r = src[0];
        g = src[1];
        b = src[2];
      }
      dst[0] = b;
      dst[1] = g;
      dst[2] = r;
    }
  }
  return bmp;
}

TBytes EncodeJPEG(const TBitmap& bitmap, int quality, bool grayscale) {
  if (bitmap.Empty()) throw EInvalidGraphic("Cannot encode an empty bitmap as JPEG");
  const int w = bitmap.GetWidth(), h = bitmap.GetHeight();
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      TColor c = bitmap.GetPixel(x, y);
      std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * w + x) * 3];
      p[0] = GetRValue(c);
      p[1] = GetGValue(c);
      p[2] = GetBValue(c);
    }
  EncodeWork work;
  work.rgb = rgb.data();
  work.width = w;
  work.height = h;
  work.quality = quality < 1 ? 1 : quality > 100 ? 100 : quality;
  work.grayscale = grayscale;
  const bool ok = RunEncode(&work);
  TBytes out;
  if (work.out) out.assign(work.out, work.out + work.out_size);
  std::free(work.out);
  if (!ok) throw EInvalidGraphic("JPEG encoding failed: " + work.failure);
  return out;
}

void TJPEGImage::LoadFromBytes(std::span<const std::uint8_t> bytes) {
  TJPEGInfo info = ReadJPEGInfo(bytes);
  data_.assign(bytes.begin(), bytes.end());
  info_ = info;
}

void TJPEGImage::Assign(const TBitmap& bitmap) {
  TBytes bytes = EncodeJPEG(bitmap, quality_, grayscale_);
  info_ = ReadJPEGInfo(bytes);
  data_ = std::move(bytes);
}

TBitmap TJPEGImage::ToBitmap() const {
  if (data_.empty()) return TBitmap();
  return DecodeJPEG(data_);
}

void TJPEGImage::DrawOn(TCanvas& canvas, const TRect& dest) const {
  if (data_.empty()) return;
  ToBitmap().DrawOn(canvas, dest);
}

}  // namespace km
