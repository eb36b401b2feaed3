#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "kmClasses3.h"
#include "kmErrors.h"
#include "kmStreams.h"

namespace km {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

void Fill(TkmExtMemStream& s, const std::string& bytes) {
  s.WriteString(bytes);
  s.SetPosition(0);
}

// A file name in the test's temporary folder, removed when the test ends.
class TempFile {
 public:
  explicit TempFile(const std::string& name)
      : path_(std::filesystem::path(testing::TempDir()) / (name + "." + std::to_string(::getpid()))) {}
  ~TempFile() { std::filesystem::remove(path_); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

TEST(MemoryStream, ReadWriteSeekAndSize) {
  TMemoryStream s;
  s.WriteString("hello world");
  EXPECT_EQ(s.GetSize(), 11);
  EXPECT_EQ(s.GetPosition(), 11);
  s.SetPosition(6);
  char buf[16] = {};
  EXPECT_EQ(s.Read(buf, sizeof buf), 5u);  // a short read at the end
  EXPECT_EQ(std::string(buf, 5), "world");
  EXPECT_EQ(s.Read(buf, 4), 0u);
  s.Seek(-5, TSeekOrigin::soEnd);
  s.WriteString("there!");  // overwrites and grows
  EXPECT_EQ(s.ToString(), "hello there!");
  EXPECT_EQ(s.Seek(-3, TSeekOrigin::soCurrent), 9);
  EXPECT_THROW(s.Seek(-1, TSeekOrigin::soBeginning), EkmStreamError);
  EXPECT_THROW(s.ReadBuffer(buf, 4), EkmStreamError);  // only 3 bytes left
}

TEST(MemoryStream, WritingPastTheEndFillsTheGapWithZeros) {
  TMemoryStream s;
  s.WriteString("ab");
  s.SetPosition(5);
  s.WriteString("c");
  EXPECT_EQ(s.ToString(), Bytes({'a', 'b', 0, 0, 0, 'c'}));
}

TEST(MemoryStream, SetSizeTruncatesAndPullsThePositionBack) {
  TMemoryStream s;
  s.WriteString("abcdef");
  s.SetSize(3);
  EXPECT_EQ(s.GetPosition(), 3);
  EXPECT_EQ(s.ToString(), "abc");
  s.SetSize(5);
  EXPECT_EQ(s.ToString(), Bytes({'a', 'b', 'c', 0, 0}));
  s.Clear();
  EXPECT_EQ(s.GetSize(), 0);
  EXPECT_EQ(s.GetPosition(), 0);
}

TEST(MemoryStream, CopyFromCopiesAWholeStreamOrACount) {
  TMemoryStream src;
  src.WriteString("0123456789");
  TMemoryStream dst;
  EXPECT_EQ(dst.CopyFrom(src, 0), 10);  // 0: everything, from the start
  EXPECT_EQ(dst.ToString(), "0123456789");
  src.SetPosition(7);
  EXPECT_THROW(dst.CopyFrom(src, 4), EkmStreamError);
  src.SetPosition(2);
  TMemoryStream part;
  part.CopyFrom(src, 3);
  EXPECT_EQ(part.ToString(), "234");
}

TEST(FileStream, SaveAndLoadRoundTrip) {
  TempFile file("km_stream_roundtrip.bin");
  TMemoryStream out;
  out.WriteString(Bytes({0, 1, 2, 0xFF, 'x'}));
  out.SaveToFile(file.path());
  EXPECT_EQ(std::filesystem::file_size(file.path()), 5u);

  TMemoryStream in;
  in.WriteString("old content that must vanish");
  in.LoadFromFile(file.path());
  EXPECT_EQ(in.GetPosition(), 0);
  EXPECT_EQ(in.ToString(), out.ToString());

  TFileStream f(file.path(), TFileMode::fmOpenReadWrite);
  EXPECT_EQ(f.GetSize(), 5);
  f.Seek(0, TSeekOrigin::soEnd);
  f.WriteString("yz");
  EXPECT_EQ(f.GetSize(), 7);
  f.SetSize(2);
  EXPECT_EQ(f.GetSize(), 2);
  EXPECT_EQ(f.GetPosition(), 2);
}

TEST(FileStream, OpeningAMissingFileThrowsWithItsName) {
  try {
    TFileStream f("/nonexistent-dir/missing.bin", TFileMode::fmOpenRead);
    FAIL() << "no exception";
  } catch (const EkmStreamError& e) {
    EXPECT_NE(e.Message().find("Cannot open file \"/nonexistent-dir/missing.bin\""), std::string::npos)
        << e.Message();
  }
  EXPECT_THROW(TFileStream("/nonexistent-dir/new.bin", TFileMode::fmCreate), EkmError);
  EXPECT_THROW(TFileStream(testing::TempDir(), TFileMode::fmOpenRead), EkmStreamError);  // a folder
}

// --- TkmExtMemStream -------------------------------------------------------

TEST(ExtMemStream, ReadsBigEndianNumbers) {
  struct Case {
    std::string bytes;
    std::int64_t expect_short, expect_ushort, expect_long, expect_ulong;
  };
  const Case cases[] = {
      {Bytes({0xFF, 0xFE, 0xFF, 0xFE}), -2, 65534, -65538, 4294901758},
      {Bytes({0x80, 0x00, 0x00, 0x00}), -32768, 32768, -2147483648LL, 2147483648LL},
      {Bytes({0x12, 0x34, 0x56, 0x78}), 0x1234, 0x1234, 0x12345678, 0x12345678},
      {Bytes({0x7F, 0xFF, 0xFF, 0xFF}), 32767, 32767, 2147483647, 2147483647},
  };
  for (const auto& c : cases) {
    TkmExtMemStream s;
    Fill(s, c.bytes);
    EXPECT_EQ(s.ReadShort(), c.expect_short);
    s.SetPosition(0);
    EXPECT_EQ(s.ReadUShort(), c.expect_ushort);
    EXPECT_EQ(s.GetPosition(), 2);
    s.SetPosition(0);
    EXPECT_EQ(s.ReadLong(), c.expect_long);
    s.SetPosition(0);
    EXPECT_EQ(s.ReadULong(), c.expect_ulong);
    EXPECT_EQ(s.GetPosition(), 4);
  }
}

TEST(ExtMemStream, WritesBigEndianNumbers) {
  TkmExtMemStream s;
  s.WriteULong(305419896);  // 0x12345678
  s.WriteLong(-2);
  s.WriteUShort(0xABCD);
  s.WriteShort(-32768);
  s.WriteByte(0x7F);
  const std::uint8_t arr[] = {1, 2};
  s.WriteByteArray(arr);
  const std::uint32_t longs[] = {0x01020304, 0xA0B0C0D0};
  s.WriteULongArray(longs);
  const std::uint16_t shorts[] = {0x0102, 0xFFEE};
  s.WriteUShortArray(shorts);
  s.WriteString(std::string("a\0b", 3));
  EXPECT_EQ(s.ToString(), Bytes({0x12, 0x34, 0x56, 0x78, 0xFF, 0xFF, 0xFF, 0xFE, 0xAB, 0xCD, 0x80, 0x00, 0x7F,
                                 1, 2, 1, 2, 3, 4, 0xA0, 0xB0, 0xC0, 0xD0, 1, 2, 0xFF, 0xEE, 'a', 0, 'b'}));
}

TEST(ExtMemStream, WrittenNumbersReadBack) {
  TkmExtMemStream s;
  for (std::int32_t v : {0, 1, -1, 123456789, -987654321, INT32_MIN, INT32_MAX}) s.WriteLong(v);
  s.SetPosition(0);
  for (std::int32_t v : {0, 1, -1, 123456789, -987654321, INT32_MIN, INT32_MAX}) EXPECT_EQ(s.ReadLong(), v);
}

TEST(ExtMemStream, ReadStringReturnsRawBytes) {
  TkmExtMemStream s;
  Fill(s, Bytes({'g', 'l', 'y', 'f', 0, 0xFF}));
  EXPECT_EQ(s.ReadString(4), "glyf");
  EXPECT_EQ(s.ReadString(2), Bytes({0, 0xFF}));
  EXPECT_EQ(s.ReadString(0), "");
}

// A read that needs more bytes than remain throws and leaves the position alone.
TEST(ExtMemStream, ShortReadsThrowAndKeepThePosition) {
  struct Case {
    const char* name;
    std::size_t available;
    void (*read)(TkmExtMemStream&);
  };
  const Case cases[] = {
      {"ReadByte", 0, [](TkmExtMemStream& s) { s.ReadByte(); }},
      {"ReadShort", 1, [](TkmExtMemStream& s) { s.ReadShort(); }},
      {"ReadUShort", 1, [](TkmExtMemStream& s) { s.ReadUShort(); }},
      {"ReadLong", 3, [](TkmExtMemStream& s) { s.ReadLong(); }},
      {"ReadULong", 2, [](TkmExtMemStream& s) { s.ReadULong(); }},
      {"ReadString", 4, [](TkmExtMemStream& s) { s.ReadString(5); }},
  };
  for (const auto& c : cases) {
    TkmExtMemStream s;
    Fill(s, std::string(10, 'x'));
    s.SetPosition(static_cast<std::int64_t>(10 - c.available));
    EXPECT_THROW(c.read(s), EkmStreamError) << c.name;
    EXPECT_EQ(s.GetPosition(), static_cast<std::int64_t>(10 - c.available)) << c.name;
  }
  // Past the end (a seek beyond the data) nothing can be read either.
  TkmExtMemStream s;
  Fill(s, "abcd");
  s.SetPosition(100);
  EXPECT_THROW(s.ReadByte(), EkmStreamError);
  EXPECT_THROW(s.ReadString(SIZE_MAX), EkmStreamError);
  try {
    s.SetPosition(2);
    s.ReadULong();
    FAIL() << "no exception";
  } catch (const EkmError& e) {
    EXPECT_EQ(e.Message(), "Read beyond end of stream: 4 bytes needed at position 2 of 4");
  }
}

TEST(ExtMemStream, SkipBytesStaysWithinTheStream) {
  struct Case {
    std::int64_t from, skip, to;
  };
  for (auto c : {Case{2, -5, 0}, Case{2, 3, 5}, Case{2, 100, 10}, Case{10, -10, 0}, Case{4, INT64_MAX, 10},
                 Case{4, INT64_MIN, 0}, Case{0, 0, 0}}) {
    TkmExtMemStream s;
    Fill(s, std::string(10, 'x'));
    s.SetPosition(c.from);
    s.SkipBytes(c.skip);
    EXPECT_EQ(s.GetPosition(), c.to) << c.from << " + " << c.skip;
  }
}

TEST(ExtMemStream, PadTo4BytesAppendsZerosAndRecordsTheCount) {
  struct Case {
    std::size_t size;
    std::int64_t padded, pad;
  };
  for (auto c : {Case{13, 16, 3}, Case{16, 16, 0}, Case{0, 0, 0}, Case{1, 4, 3}, Case{2, 4, 2}, Case{7, 8, 1}}) {
    TkmExtMemStream s;
    s.WriteString(std::string(c.size, '\x55'));
    s.SetPosition(0);  // padding works from the end, wherever the position is
    s.PadTo4Bytes();
    EXPECT_EQ(s.GetSize(), c.padded) << c.size;
    EXPECT_EQ(s.GetPadSize(), c.pad) << c.size;
    EXPECT_EQ(s.GetPosition(), c.padded) << c.size;
    EXPECT_EQ(s.ToString(), std::string(c.size, '\x55') + std::string(static_cast<std::size_t>(c.pad), '\0'));
  }
}

}  // namespace
}  // namespace km
