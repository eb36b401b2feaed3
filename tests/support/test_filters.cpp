#include <gtest/gtest.h>
#include <zlib.h>

#include <memory>
#include <string>
#include <vector>

#include "kmErrors.h"
#include "kmFilters3.h"
#include "kmStreams.h"

namespace km {
namespace {

// Text that compresses, with some variety so the levels differ.
std::string SampleData(std::size_t size) {
  std::string s;
  std::uint32_t x = 12345;
  while (s.size() < size) {
    x = x * 1103515245u + 12345u;
    s += "BT /F1 12 Tf " + std::to_string((x >> 16) % 1000) + " 700 Td (Hello) Tj ET\r\n";
  }
  s.resize(size);
  return s;
}

std::unique_ptr<TMemoryStream> StreamOf(const std::string& bytes) {
  auto s = std::make_unique<TMemoryStream>();
  s->WriteString(bytes);
  return s;
}

// zlib's own one-shot decompressor, independent of the filter's Decode.
std::string ZlibUncompress(const TMemoryStream& compressed, std::size_t expected_size) {
  std::vector<Bytef> out(expected_size + 1);
  uLongf out_size = out.size();
  int rc = uncompress(out.data(), &out_size, compressed.Memory(), static_cast<uLong>(compressed.ToString().size()));
  EXPECT_EQ(rc, Z_OK);
  return std::string(reinterpret_cast<const char*>(out.data()), out_size);
}

struct LevelCase {
  TCompressionLevel level;
  int zlib_level;
  const char* name;
};
const LevelCase kLevels[] = {
    {TCompressionLevel::clNone, 0, "clNone"},
    {TCompressionLevel::clFastest, 1, "clFastest"},
    {TCompressionLevel::clDefault, Z_DEFAULT_COMPRESSION, "clDefault"},
    {TCompressionLevel::clMax, 9, "clMax"},
};

TEST(FlateFilter, RoundTripsAtEveryLevel) {
  TkmFlateFilter filter;
  for (std::size_t size : {0u, 1u, 10239u, 10240u, 10241u, 300000u}) {
    const std::string data = SampleData(size);
    for (const auto& l : kLevels) {
      auto input = StreamOf(data);
      input->SetPosition(5 < size ? 5 : 0);  // Encode takes the whole stream, wherever the position is
      auto encoded = filter.Encode(*input, l.level);
      ASSERT_NE(encoded, nullptr);
      EXPECT_EQ(encoded->GetPosition(), 0);
      EXPECT_EQ(ZlibUncompress(*encoded, size), data) << l.name << " " << size;
      auto decoded = filter.Decode(*encoded);
      EXPECT_EQ(decoded->GetPosition(), 0);
      EXPECT_EQ(decoded->ToString(), data) << l.name << " " << size;
    }
  }
}

TEST(FlateFilter, LevelsSelectZlibLevelsAndMatchZlibOutput) {
  const std::string data = SampleData(50000);
  TkmFlateFilter filter;
  std::size_t stored = 0, best = 0;
  for (const auto& l : kLevels) {
    EXPECT_EQ(ZlibLevel(l.level), l.zlib_level) << l.name;
    auto encoded = filter.Encode(*StreamOf(data), l.level);
    // The zlib header names the level class: 0 fastest/stored, 1 fast, 2 default, 3 best.
    const std::uint8_t* p = encoded->Memory();
    EXPECT_EQ((p[0] << 8 | p[1]) % 31, 0) << l.name;
    EXPECT_EQ(p[0], 0x78) << l.name;
    // Same bytes as zlib's compress2 at that level.
    std::vector<Bytef> expected(compressBound(data.size()));
    uLongf n = expected.size();
    ASSERT_EQ(compress2(expected.data(), &n, reinterpret_cast<const Bytef*>(data.data()), data.size(), l.zlib_level),
              Z_OK);
    EXPECT_EQ(encoded->ToString(), std::string(reinterpret_cast<const char*>(expected.data()), n)) << l.name;
    if (l.level == TCompressionLevel::clNone) stored = encoded->ToString().size();
    if (l.level == TCompressionLevel::clMax) best = encoded->ToString().size();
  }
  EXPECT_GT(stored, data.size());  // stored blocks: the data plus framing
  EXPECT_LT(best * 4, data.size());
}

TEST(FlateFilter, ShortFormEncodesAtTheDefaultLevel) {
  TkmFlateFilter filter;
  const std::string data = SampleData(20000);
  auto input = StreamOf(data);
  auto a = filter.Encode(*input);
  auto b = filter.Encode(*input, TCompressionLevel::clDefault);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->ToString(), b->ToString());
  EXPECT_EQ(filter.Encode(u"text"), filter.Encode(u"text", TCompressionLevel::clDefault));
}

TEST(FlateFilter, DecodeRejectsMalformedData) {
  TkmFlateFilter filter;
  auto good = filter.Encode(*StreamOf(SampleData(5000)), TCompressionLevel::clMax);
  const std::string valid = good->ToString();
  std::string bad_checksum = valid;
  bad_checksum.back() ^= 0x55;
  std::string bad_block = valid;
  bad_block[2] = static_cast<char>(0xFF);  // reserved block type
  std::string bad_distance = "\x78\x9c";
  bad_distance += std::string("\x63\x00\x02\x00", 4);  // a back reference before the start

  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty", ""},
      {"not zlib", "hello, world"},
      {"header only", valid.substr(0, 2)},
      {"truncated", valid.substr(0, valid.size() / 2)},
      {"no trailer", valid.substr(0, valid.size() - 4)},
      {"bad checksum", bad_checksum},
      {"bad block type", bad_block},
      {"preset dictionary", std::string("\x78\xBB\x00\x00\x00\x01", 6)},
      {"distance too far", bad_distance},
  };
  for (const auto& c : cases) {
    auto input = StreamOf(c.bytes);
    try {
      filter.Decode(*input);
      ADD_FAILURE() << c.name << ": no exception";
    } catch (const EkmFilterError& e) {
      EXPECT_EQ(e.Message().rfind("Invalid compressed data: ", 0), 0u) << c.name << ": " << e.Message();
    }
  }
}

TEST(FlateFilter, DecodeIgnoresBytesAfterTheStreamAndReportsWhereItEnded) {
  TkmFlateFilter filter;
  auto encoded = filter.Encode(*StreamOf("abc"), TCompressionLevel::clFastest);
  std::int64_t length = encoded->GetSize();
  encoded->Seek(0, TSeekOrigin::soEnd);
  encoded->WriteString("\r\nendstream");
  auto decoded = filter.Decode(*encoded);
  EXPECT_EQ(decoded->ToString(), "abc");
  EXPECT_EQ(encoded->GetPosition(), length);
}

TEST(FlateFilter, TextFormsRoundTrip) {
  TkmFlateFilter filter;
  for (const std::u16string& text : {std::u16string(), std::u16string(u"a"), std::u16string( u"Gr\u00FC\u00DFe \u20AC \U0001F600 \u4E2D\u6587"), std::u16string(5000, u'x')}) {
    std::u16string encoded = filter.Encode(text, TCompressionLevel::clMax);
    for (char16_t c : encoded) ASSERT_LE(c, 0xFF);
    EXPECT_EQ(filter.Decode(encoded), text);
  }
  EXPECT_THROW(filter.Decode(u"\u0178\u009c"), EkmFilterError);
  EXPECT_THROW(filter.Decode(u"plain"), EkmFilterError);
}

// A filter that does not override encoding encodes nothing.
class NullFilter : public TkmFilter {
 public:
  using TkmFilter::Encode;
  std::unique_ptr<TMemoryStream> Decode(TMemoryStream&) override { return std::make_unique<TMemoryStream>(); }
  std::u16string Decode(std::u16string_view) override { return u"decoded"; }
};

TEST(Filter, BaseEncodeReturnsNothing) {
  NullFilter filter;
  TMemoryStream s;
  s.WriteString("x");
  EXPECT_EQ(filter.Encode(s, TCompressionLevel::clMax), nullptr);
  EXPECT_EQ(filter.Encode(s), nullptr);
  EXPECT_EQ(filter.Encode(u"x", TCompressionLevel::clMax), u"");
  EXPECT_EQ(filter.Encode(u"x"), u"");
}

}  // namespace
}  // namespace km
