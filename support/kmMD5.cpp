#include "kmMD5.h"

#include <cstring>
#include <vector>

#include "kmStreams.h"

namespace km {

namespace {

// Per-round shift amounts and the sine-derived constants of RFC 1321, 3.4.
constexpr std::uint32_t kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                                      5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                                      4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                                      6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

constexpr std::uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

constexpr std::uint32_t RotateLeft(std::uint32_t x, std::uint32_t n) { return (x << n) | (x >> (32 - n)); }

}  // namespace

void TkmMD5::Initilize() {
  state_ = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  length_ = 0;
}

void TkmMD5::Transform(const std::uint8_t block[64]) {
  std::uint32_t x[16];
  for (int i = 0; i < 16; ++i) {  // the words are little-endian
    x[i] = std::uint32_t{block[4 * i]} | (std::uint32_t{block[4 * i + 1]} << 8) |
           (std::uint32_t{block[4 * i + 2]} << 16) | (std::uint32_t{block[4 * i + 3]} << 24);
  }
  std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  for (int i = 0; i < 64; ++i) {
    std::uint32_t f = 0;
    int g = 0;
    switch (i / 16) {
      case 0: f = (b & c) | (~b & d); g = i; break;
      case 1: f = (b & d) | (c & ~d); g = (5 * i + 1) % 16; break;
      case 2: f = b ^ c ^ d; g = (3 * i + 5) % 16; break;
      default: f = c ^ (b | ~d); g = (7 * i) % 16; break;
    }
    std::uint32_t next = b + RotateLeft(a + f + kSine[i] + x[g], kShift[i]);
    a = d;
    d = c;
    c = b;
    b = next;
  }
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
}

void TkmMD5::Update(const void* buffer, std::size_t length) {
  const auto* in = static_cast<const std::uint8_t*>(buffer);
  std::size_t used = static_cast<std::size_t>(length_ % 64);
  length_ += length;
  if (used != 0) {
    std::size_t take = std::min(length, 64 - used);
    std::memcpy(buffer_.data() + used, in, take);
    in += take;
    length -= take;
    if (used + take < 64) return;
    Transform(buffer_.data());
  }
  for (; length >= 64; in += 64, length -= 64) Transform(in);
  if (length != 0) std::memcpy(buffer_.data(), in, length);
}

void TkmMD5::Update(std::span<const std::uint8_t> bytes) { Update(bytes.data(), bytes.size()); }

TkmMD5Digest TkmMD5::Finalize() {
  // Padding: 0x80, zeros up to 56 mod 64, then the bit length, little-endian.
  std::uint64_t bits = length_ * 8;
  std::uint8_t tail[72] = {0x80};
  std::size_t used = static_cast<std::size_t>(length_ % 64);
  std::size_t pad = used < 56 ? 56 - used : 120 - used;
  for (int i = 0; i < 8; ++i) tail[pad + i] = static_cast<std::uint8_t>(bits >> (8 * i));
  Update(tail, pad + 8);

  TkmMD5Digest digest{};
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) digest[4 * i + j] = static_cast<std::uint8_t>(state_[i] >> (8 * j));
  }
  Initilize();
  return digest;
}

TkmMD5Digest TkmMD5::GetHash(std::span<const std::uint8_t> bytes) {
  Initilize();
  Update(bytes);
  return Finalize();
}

TkmMD5Digest TkmMD5::GetHash(TStream& stream) {
  std::int64_t position = stream.GetPosition();
  Initilize();
  stream.SetPosition(0);
  std::vector<std::uint8_t> chunk(65536);
  for (std::size_t n; (n = stream.Read(chunk.data(), chunk.size())) != 0;) Update(chunk.data(), n);
  stream.SetPosition(position);
  return Finalize();
}

}  // namespace km
