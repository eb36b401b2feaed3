#pragma once
// Stream filters: the filter interface and the Flate (zlib) filter.

#include <memory>
#include <string>
#include <string_view>

#include "kmStreams.h"

namespace km {

// Compression levels of the zlib layer: clNone 0, clFastest 1, clDefault
// zlib's default (-1, which zlib takes as 6), clMax 9.
enum class TCompressionLevel { clNone, clFastest, clDefault, clMax };

// The zlib level a compression level selects.
int ZlibLevel(TCompressionLevel level);

class TkmFilter {
 public:
  virtual ~TkmFilter() = default;

  // A new stream with the whole of stream encoded at level; the caller owns it.
  // The base filter encodes nothing and returns nullptr.
  virtual std::unique_ptr<TMemoryStream> Encode(TMemoryStream& stream, TCompressionLevel level);
  // The text encoded at level; the base filter returns an empty text.
  virtual std::u16string Encode(std::u16string_view text, TCompressionLevel level);
  // The same at clDefault.
  std::unique_ptr<TMemoryStream> Encode(TMemoryStream& stream) { return Encode(stream, TCompressionLevel::clDefault); }
  std::u16string Encode(std::u16string_view text) { return Encode(text, TCompressionLevel::clDefault); }

  // A new stream with the whole of stream decoded; the caller owns it.
  virtual std::unique_ptr<TMemoryStream> Decode(TMemoryStream& stream) = 0;
  virtual std::u16string Decode(std::u16string_view text) = 0;
};

// zlib format: the two-byte header, deflate data and the Adler-32 trailer.
class TkmFlateFilter : public TkmFilter {
 public:
  using TkmFilter::Decode;
  using TkmFilter::Encode;

  // Compresses the whole of stream (it is rewound first and left at its end);
  // the result is at position 0.
  std::unique_ptr<TMemoryStream> Encode(TMemoryStream& stream, TCompressionLevel level) override;
  // The text's UTF-16 little-endian bytes compressed, one byte per code unit
  // of the result.
  std::u16string Encode(std::u16string_view text, TCompressionLevel level) override;

  // Decompresses the zlib stream at the start of stream (it is rewound first
  // and left after the compressed data); the result is at position 0. Data
  // that is not a complete zlib stream throws EkmFilterError; bytes after the
  // end of the zlib stream are ignored.
  std::unique_ptr<TMemoryStream> Decode(TMemoryStream& stream) override;
  // The inverse of the text Encode: code units above 255 or invalid data
  // throw EkmFilterError; an odd final byte of the decompressed data is ignored.
  std::u16string Decode(std::u16string_view text) override;
};

}  // namespace km
