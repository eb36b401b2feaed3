#pragma once
// The one checked reader of font bytes. Every read of a font file goes through
// it: offsets and lengths are checked against the bytes it views, with
// arithmetic that cannot overflow, and a read outside throws EkmFontFormatError.
// The public font functions catch that error and give an empty result.

#include <cstddef>
#include <cstdint>
#include <span>

#include "kmErrors.h"

namespace km {

// A font file (or a part of one) is malformed: a length or offset leads outside it.
class EkmFontFormatError : public EkmError {
 public:
  EkmFontFormatError() : EkmError("Malformed font data") {}
};

class TkmFontReader {
 public:
  TkmFontReader() = default;
  explicit TkmFontReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t Size() const { return bytes_.size(); }
  std::span<const std::uint8_t> Bytes() const { return bytes_; }

  // True when [offset, offset + length) lies inside the bytes.
  bool Contains(std::uint64_t offset, std::uint64_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }
  void Require(std::uint64_t offset, std::uint64_t length) const {
    if (!Contains(offset, length)) throw EkmFontFormatError();
  }

  std::uint8_t U8(std::uint64_t offset) const {
    Require(offset, 1);
    return bytes_[offset];
  }
  std::uint16_t U16(std::uint64_t offset) const {
    Require(offset, 2);
    return static_cast<std::uint16_t>((bytes_[offset] << 8) | bytes_[offset + 1]);
  }
  std::int16_t S16(std::uint64_t offset) const { return static_cast<std::int16_t>(U16(offset)); }
  std::uint32_t U32(std::uint64_t offset) const {
    Require(offset, 4);
    return (std::uint32_t(bytes_[offset]) << 24) | (std::uint32_t(bytes_[offset + 1]) << 16) |
           (std::uint32_t(bytes_[offset + 2]) << 8) | std::uint32_t(bytes_[offset + 3]);
  }
  // A checked view of [offset, offset + length).
  TkmFontReader Slice(std::uint64_t offset, std::uint64_t length) const {
    Require(offset, length);
    return TkmFontReader(bytes_.subspan(offset, length));
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace km
