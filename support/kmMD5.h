#pragma once
// MD5 message digest (RFC 1321), used for the file identifier, the
// encryption keys and recognising repeated images.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace km {

class TStream;

using TkmMD5Digest = std::array<std::uint8_t, 16>;

class TkmMD5 {
 public:
  TkmMD5() { Initilize(); }

  // Starts a new hash, discarding what was added so far.
  void Initilize();
  // Adds bytes to the hash.
  void Update(std::span<const std::uint8_t> bytes);
  void Update(const void* buffer, std::size_t length);
  void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
  // The digest of everything added since Initilize; the object is then
  // initialised again for the next hash.
  TkmMD5Digest Finalize();

  // The digest of the bytes alone (the object's running hash is restarted).
  TkmMD5Digest GetHash(std::span<const std::uint8_t> bytes);
  // The digest of the whole stream, from its start to its end; the stream's
  // position is restored afterwards.
  TkmMD5Digest GetHash(TStream& stream);
  // True when the two digests are equal.
  static bool CompareHash(const TkmMD5Digest& a, const TkmMD5Digest& b) { return a == b; }

 private:
  void Transform(const std::uint8_t block[64]);

  std::array<std::uint32_t, 4> state_{};
  std::uint64_t length_ = 0;  // bytes added so far
  std::array<std::uint8_t, 64> buffer_{};
};

}  // namespace km
