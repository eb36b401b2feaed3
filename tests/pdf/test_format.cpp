#include <gtest/gtest.h>
#include <zlib.h>

#include <locale>
#include <string>

#include "kmPDFFormat.h"

namespace km {
namespace {

// A global C++ locale whose decimal point is a comma.
struct CommaPunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

TEST(PDFFormat, NumbersHaveFourDecimalsWhateverTheLocale) {
  struct Case { double in; const char* out; };
  const Case cases[] = {{0.00004, "0.0000"}, {1, "1.0000"}, {-2.5, "-2.5000"},
                        {595.2755905, "595.2756"}, {595.275590551, "595.2756"},
                        {841.8897637795, "841.8898"}, {123456789.125, "123456789.1250"},
                        {0.75, "0.7500"}, {1e-9, "0.0000"}};
  const std::locale old = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
  for (const Case& c : cases) EXPECT_EQ(NumToStr(c.in), c.out) << c.in;
  std::locale::global(old);
}

std::string Inflate(const std::string& z) {
  std::string out(1 << 16, '\0');
  uLongf size = out.size();
  EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                       reinterpret_cast<const Bytef*>(z.data()), z.size()),
            Z_OK);
  out.resize(size);
  return out;
}

TEST(PDFFormat, CompressStreamAtEachLevelAppendsZlibData) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += "q 1.0000 0 0 1.0000 0 0 cm\r\n" + std::to_string(i * 7919 % 1000);
  struct Case { TkmCompressionLevel level; unsigned char flg; };
  // The second zlib header byte names the level class: 1 -> 0x01, default -> 0x9C, 9 -> 0xDA.
  for (auto c : {Case{TkmCompressionLevel::clFastest, 0x01}, Case{TkmCompressionLevel::clNormal, 0x9C},
                 Case{TkmCompressionLevel::clMaxCompress, 0xDA}}) {
    TMemoryStream in;
    in.WriteString(text);
    TMemoryStream out;
    out.WriteString("head");
    const std::int64_t n = CompressStream(in, out, true, c.level);
    const std::string bytes = out.ToString();
    ASSERT_EQ(static_cast<std::int64_t>(bytes.size()), 4 + n);
    EXPECT_EQ(bytes.substr(0, 4), "head");
    EXPECT_EQ(static_cast<unsigned char>(bytes[4]), 0x78);
    EXPECT_EQ(static_cast<unsigned char>(bytes[5]), c.flg);
    EXPECT_LT(n, static_cast<std::int64_t>(text.size()));
    EXPECT_EQ(Inflate(bytes.substr(4)), text);
  }
}

TEST(PDFFormat, CompressStreamOffCopiesTheBytes) {
  TMemoryStream in;
  in.WriteString("abc\r\n");
  TMemoryStream out;
  out.WriteString("x");
  EXPECT_EQ(CompressStream(in, out, false, TkmCompressionLevel::clMaxCompress), 5);
  EXPECT_EQ(out.ToString(), "xabc\r\n");
  TMemoryStream empty;
  EXPECT_EQ(CompressStream(empty, out, false, TkmCompressionLevel::clFastest), 0);
  const std::int64_t n = CompressStream(empty, out, true, TkmCompressionLevel::clFastest);
  EXPECT_GT(n, 0);  // an empty zlib stream still has its header and trailer
  EXPECT_EQ(Inflate(out.ToString().substr(6)), "");
}

TEST(PDFFormat, UnicodeHexText) {
  EXPECT_EQ(UnicodeHexText(u""), "FEFF");
  EXPECT_EQ(UnicodeHexText(u"A\u20AC"), "FEFF004120AC");
  EXPECT_EQ(UnicodeHexText(u"\u00E4\U0001F600"), "FEFF00E4D83DDE00");
  EXPECT_EQ(UnicodeHexText(u"Scrivane VCL 5.0.0.484"),
            "FEFF005300630072006900760061006E0065002000560043004C00200035002E0030002E0030002E003400380034");
}

}  // namespace
}  // namespace km
