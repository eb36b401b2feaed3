#pragma once
// The one checked reader of untrusted little-endian bytes. Every reader of
// outside data (EMF records, DIB/BMP, the metafile player) takes its values
// through it: each access is checked against the size it was given, with
// overflow-safe arithmetic, and a read outside throws EReadError.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "kmException.h"

namespace km {

class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t Size() const { return bytes_.size(); }
  std::span<const std::uint8_t> Bytes() const { return bytes_; }

  // True when [offset, offset + length) lies inside the bytes.
  bool Has(std::size_t offset, std::size_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }
  // The sub-range [offset, offset + length); throws EReadError outside.
  std::span<const std::uint8_t> Slice(std::size_t offset, std::size_t length) const {
    Require(offset, length);
    return bytes_.subspan(offset, length);
  }
  ByteReader Sub(std::size_t offset, std::size_t length) const { return ByteReader(Slice(offset, length)); }

  std::uint8_t U8(std::size_t offset) const { return Get<std::uint8_t>(offset); }
  std::uint16_t U16(std::size_t offset) const { return Get<std::uint16_t>(offset); }
  std::int16_t I16(std::size_t offset) const { return static_cast<std::int16_t>(U16(offset)); }
  std::uint32_t U32(std::size_t offset) const { return Get<std::uint32_t>(offset); }
  std::int32_t I32(std::size_t offset) const { return static_cast<std::int32_t>(U32(offset)); }
  float F32(std::size_t offset) const {
    std::uint32_t bits = U32(offset);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }

 private:
  template <typename T>
  T Get(std::size_t offset) const {
    Require(offset, sizeof(T));
    T value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) value |= static_cast<T>(static_cast<T>(bytes_[offset + i]) << (8 * i));
    return value;
  }
  void Require(std::size_t offset, std::size_t length) const {
    if (!Has(offset, length)) OutOfRange(offset, length);
  }
  [[noreturn, gnu::cold, gnu::noinline]] void OutOfRange(std::size_t offset, std::size_t length) const {
    throw EReadError("Read past the end of the data (offset " + std::to_string(offset) + ", length " +
                     std::to_string(length) + ", size " + std::to_string(bytes_.size()) + ")");
  }

  std::span<const std::uint8_t> bytes_;
};

// Appends little-endian values to a byte vector; the writing twin of ByteReader.
class ByteWriter {
 public:
  explicit ByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}
  void U8(std::uint8_t v) { out_.push_back(v); }
  void U16(std::uint16_t v) { Put(v, 2); }
  void I16(std::int16_t v) { Put(static_cast<std::uint16_t>(v), 2); }
  void U32(std::uint32_t v) { Put(v, 4); }
  void I32(std::int32_t v) { Put(static_cast<std::uint32_t>(v), 4); }
  void F32(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    U32(bits);
  }
  void Bytes(std::span<const std::uint8_t> b) { out_.insert(out_.end(), b.begin(), b.end()); }
  void Zeros(std::size_t n) { out_.insert(out_.end(), n, 0); }
  std::size_t Size() const { return out_.size(); }
  // Overwrites a 32-bit value written earlier.
  void PatchU32(std::size_t offset, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out_.at(offset + i) = static_cast<std::uint8_t>(v >> (8 * i));
  }

 private:
  void Put(std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  std::vector<std::uint8_t>& out_;
};

}  // namespace km
