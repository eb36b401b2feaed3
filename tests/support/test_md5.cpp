#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kmMD5.h"
#include "kmStreams.h"
#include "kmUtils3.h"

namespace km {
namespace {

std::string Hex(const TkmMD5Digest& d) {
  return GetHexOfStr(std::string_view(reinterpret_cast<const char*>(d.data()), d.size()));
}

struct Vector {
  std::string message;
  const char* digest;
};

// The test suite of RFC 1321, appendix A.5.
const Vector kRfc1321[] = {
    {"", "D41D8CD98F00B204E9800998ECF8427E"},
    {"a", "0CC175B9C0F1B6A831C399E269772661"},
    {"abc", "900150983CD24FB0D6963F7D28E17F72"},
    {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
    {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "D174AB98D277D9F5A5611C2C9F419D9F"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57EDF4A22BE3C955AC49DA2E2107B67A"},
};

TEST(MD5, Rfc1321TestSuite) {
  TkmMD5 md5;
  for (const auto& v : kRfc1321) {
    md5.Initilize();
    md5.Update(v.message);
    EXPECT_EQ(Hex(md5.Finalize()), v.digest) << '"' << v.message << '"';
    std::vector<std::uint8_t> bytes(v.message.begin(), v.message.end());
    EXPECT_EQ(Hex(md5.GetHash(bytes)), v.digest) << '"' << v.message << '"';
  }
}

// Padding crosses a block boundary at 56 bytes; feeding in uneven pieces must
// not change the digest.
TEST(MD5, PiecewiseUpdatesGiveTheSameDigest) {
  TkmMD5 md5;
  for (std::size_t length : {55u, 56u, 57u, 63u, 64u, 65u, 127u, 128u, 1000u}) {
    std::string message;
    for (std::size_t i = 0; i < length; ++i) message.push_back(static_cast<char>((i * 7 + 3) & 0xFF));
    md5.Update(message);
    TkmMD5Digest whole = md5.Finalize();
    for (std::size_t piece : {1u, 3u, 17u, 63u, 64u}) {
      for (std::size_t at = 0; at < length; at += piece) md5.Update(message.substr(at, piece));
      EXPECT_EQ(md5.Finalize(), whole) << length << " in pieces of " << piece;
    }
  }
  // The 56-byte case against its known digest: 56 times 'a'.
  md5.Update(std::string(56, 'a'));
  EXPECT_EQ(Hex(md5.Finalize()), "3B0C8AC703F828B04C6C197006D17218");
}

TEST(MD5, FinalizeStartsAFreshHash) {
  TkmMD5 md5;
  md5.Update("garbage");
  md5.Initilize();
  md5.Update("abc");
  EXPECT_EQ(Hex(md5.Finalize()), "900150983CD24FB0D6963F7D28E17F72");
  md5.Update("abc");
  EXPECT_EQ(Hex(md5.Finalize()), "900150983CD24FB0D6963F7D28E17F72");
}

TEST(MD5, HashOfAWholeStreamKeepsItsPosition) {
  TMemoryStream s;
  s.WriteString("message digest");
  s.SetPosition(3);
  TkmMD5 md5;
  TkmMD5Digest d = md5.GetHash(s);
  EXPECT_EQ(Hex(d), "F96B697D7CB7938D525A2F31AAF161D0");
  EXPECT_EQ(s.GetPosition(), 3);
  // A stream longer than the read chunk.
  TMemoryStream big;
  big.WriteString(std::string(200000, 'x'));
  TkmMD5 other;
  other.Update(std::string(200000, 'x'));
  EXPECT_TRUE(TkmMD5::CompareHash(md5.GetHash(big), other.Finalize()));
  EXPECT_FALSE(TkmMD5::CompareHash(md5.GetHash(big), d));
}

}  // namespace
}  // namespace km
