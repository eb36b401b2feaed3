#include "kmFilters3.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "kmErrors.h"

namespace km {

namespace {

// The size of one output chunk of the decompressor.
constexpr std::size_t kDecodeBuffer = 10240;

std::string ZlibMessage(const z_stream& z, int code) {
  if (z.msg != nullptr) return z.msg;
  return zError(code);
}

// Appends the zlib compression of [data, data + size) to out.
void Deflate(const std::uint8_t* data, std::size_t size, int level, TMemoryStream& out) {
  z_stream z{};
  int rc = deflateInit(&z, level);
  if (rc != Z_OK) throw EkmFilterError("Compression failed: " + ZlibMessage(z, rc));
  std::vector<std::uint8_t> chunk(65536);
  std::size_t left = size;
  z.next_in = const_cast<Bytef*>(data);
  do {
    // zlib counts input in unsigned int; feed a large buffer in slices.
    if (z.avail_in == 0 && left > 0) {
      z.avail_in = static_cast<uInt>(std::min<std::size_t>(left, UINT_MAX / 2));
      left -= z.avail_in;
    }
    z.next_out = chunk.data();
    z.avail_out = static_cast<uInt>(chunk.size());
    rc = deflate(&z, left == 0 ? Z_FINISH : Z_NO_FLUSH);
    if (rc == Z_STREAM_ERROR) {
      deflateEnd(&z);
      throw EkmFilterError("Compression failed: " + ZlibMessage(z, rc));
    }
    out.WriteBuffer(chunk.data(), chunk.size() - z.avail_out);
  } while (rc != Z_STREAM_END);
  deflateEnd(&z);
}

// Appends the decompression of the zlib stream at the start of [data, data +
// size) to out; returns the number of input bytes the stream took.
std::size_t Inflate(const std::uint8_t* data, std::size_t size, TMemoryStream& out) {
  z_stream z{};
  int rc = inflateInit(&z);
  if (rc != Z_OK) throw EkmFilterError("Decompression failed: " + ZlibMessage(z, rc));
  std::uint8_t chunk[kDecodeBuffer];
  std::size_t left = size;
  z.next_in = const_cast<Bytef*>(data);
  std::size_t consumed = 0;
  for (;;) {
    if (z.avail_in == 0 && left > 0) {
      z.avail_in = static_cast<uInt>(std::min<std::size_t>(left, UINT_MAX / 2));
      left -= z.avail_in;
    }
    z.next_out = chunk;
    z.avail_out = sizeof chunk;
    rc = inflate(&z, Z_NO_FLUSH);
    out.WriteBuffer(chunk, sizeof chunk - z.avail_out);
    if (rc == Z_STREAM_END) break;
    bool stalled = rc == Z_BUF_ERROR && z.avail_in == 0 && left == 0;
    if (rc != Z_OK && !stalled) {
      std::string message = rc == Z_NEED_DICT ? "a preset dictionary is required" : ZlibMessage(z, rc);
      inflateEnd(&z);
      throw EkmFilterError("Invalid compressed data: " + message);
    }
    if (z.avail_in == 0 && left == 0 && z.avail_out != 0) {
      inflateEnd(&z);
      throw EkmFilterError("Invalid compressed data: the data ends before the compressed stream does");
    }
  }
  consumed = size - left - z.avail_in;
  inflateEnd(&z);
  return consumed;
}

std::string TextToBytes(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

}  // namespace

int ZlibLevel(TCompressionLevel level) {
  switch (level) {
    case TCompressionLevel::clNone: return Z_NO_COMPRESSION;
    case TCompressionLevel::clFastest: return Z_BEST_SPEED;
    case TCompressionLevel::clDefault: return Z_DEFAULT_COMPRESSION;
    case TCompressionLevel::clMax: return Z_BEST_COMPRESSION;
  }
  return Z_DEFAULT_COMPRESSION;
}

std::unique_ptr<TMemoryStream> TkmFilter::Encode(TMemoryStream&, TCompressionLevel) { return nullptr; }

std::u16string TkmFilter::Encode(std::u16string_view, TCompressionLevel) { return {}; }

std::unique_ptr<TMemoryStream> TkmFlateFilter::Encode(TMemoryStream& stream, TCompressionLevel level) {
  auto result = std::make_unique<TMemoryStream>();
  Deflate(stream.Memory(), static_cast<std::size_t>(stream.GetSize()), ZlibLevel(level), *result);
  stream.Seek(0, TSeekOrigin::soEnd);
  result->SetPosition(0);
  return result;
}

std::u16string TkmFlateFilter::Encode(std::u16string_view text, TCompressionLevel level) {
  std::string bytes = TextToBytes(text);
  TMemoryStream compressed;
  Deflate(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), ZlibLevel(level), compressed);
  const std::uint8_t* p = compressed.Memory();
  return std::u16string(p, p + compressed.GetSize());
}

std::unique_ptr<TMemoryStream> TkmFlateFilter::Decode(TMemoryStream& stream) {
  auto result = std::make_unique<TMemoryStream>();
  std::size_t consumed = Inflate(stream.Memory(), static_cast<std::size_t>(stream.GetSize()), *result);
  stream.SetPosition(static_cast<std::int64_t>(consumed));
  result->SetPosition(0);
  return result;
}

std::u16string TkmFlateFilter::Decode(std::u16string_view text) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size());
  for (char16_t c : text) {
    if (c > 0xFF) throw EkmFilterError("Invalid compressed data: the text holds a code unit above 255");
    bytes.push_back(static_cast<std::uint8_t>(c));
  }
  TMemoryStream plain;
  Inflate(bytes.data(), bytes.size(), plain);
  const std::uint8_t* p = plain.Memory();
  std::u16string out(static_cast<std::size_t>(plain.GetSize()) / 2, u'\0');
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
  return out;
}

}  // namespace km
