#include "EmfLog.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <memory>
#include <sstream>

#include "kmCodePage.h"
#include "kmEmfReader.h"
#include "kmEmfTypes.h"

namespace km::test {
namespace {

using namespace km::emf;

std::string Hex6(std::uint32_t colorref) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02x%02x%02x", colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF);
  return buf;
}

std::string Ints(std::initializer_list<std::int32_t> values) {
  std::string s;
  for (std::int32_t v : values) s += " " + std::to_string(v);
  return s;
}

std::u16string Utf16At(const ByteReader& r, std::size_t offset, std::size_t count) {
  std::u16string s;
  for (std::size_t i = 0; i < count; ++i) s += static_cast<char16_t>(r.U16(offset + 2 * i));
  return s;
}

}  // namespace

std::vector<std::string> DescribeRecords(const TMetafile& metafile) {
  using namespace km::emf;
  std::vector<std::string> lines;
  TEmfReadResult result = ReadEmfRecords(metafile.Data());
  EXPECT_TRUE(result.Complete()) << result.Error;
  for (const TEmfRecord& rec : result.Records) {
    ByteReader r = rec.Reader();
    switch (rec.Type) {
      case EMR_CREATEPEN:
        lines.push_back("pen " + std::to_string(r.U32(12)) + " " + std::to_string(r.I32(16)) + " " + Hex6(r.U32(24)));
        break;
      case EMR_CREATEBRUSHINDIRECT:
        lines.push_back("brush " + std::to_string(r.U32(12)) + " " + Hex6(r.U32(16)));
        break;
      case EMR_EXTCREATEFONTINDIRECTW: {
        std::u16string face = Utf16At(r, 40, 32);
        face = face.substr(0, face.find(u'\0'));
        lines.push_back("font " + std::to_string(r.I32(12)) + " " + std::to_string(r.I32(28)) + " i" +
                        std::to_string(r.U8(32)) + " u" + std::to_string(r.U8(33)) + " " + WideToUtf8(face));
        break;
      }
      case EMR_MOVETOEX: lines.push_back("move" + Ints({r.I32(8), r.I32(12)})); break;
      case EMR_LINETO: lines.push_back("line" + Ints({r.I32(8), r.I32(12)})); break;
      case EMR_RECTANGLE: lines.push_back("rect" + Ints({r.I32(8), r.I32(12), r.I32(16), r.I32(20)})); break;
      case EMR_ELLIPSE: lines.push_back("ellipse" + Ints({r.I32(8), r.I32(12), r.I32(16), r.I32(20)})); break;
      case EMR_ROUNDRECT:
        lines.push_back("roundrect" + Ints({r.I32(8), r.I32(12), r.I32(16), r.I32(20), r.I32(24), r.I32(28)}));
        break;
      case EMR_BITBLT:
        if (r.U32(40) == 0x00F00021) lines.push_back("fill" + Ints({r.I32(24), r.I32(28), r.I32(32), r.I32(36)}));
        break;
      case EMR_SETTEXTCOLOR: lines.push_back("textcolor " + Hex6(r.U32(8))); break;
      case EMR_EXTTEXTOUTW: {
        std::uint32_t n = r.U32(44), off = r.U32(48), off_dx = r.U32(72);
        std::string line = "text" + Ints({r.I32(36), r.I32(40)}) + " " + WideToUtf8(Utf16At(r, off, n)) + " ";
        for (std::uint32_t i = 0; i < n; ++i) line += (i ? "," : "") + std::to_string(r.I32(off_dx + 4 * i));
        lines.push_back(line);
        break;
      }
      case EMR_STRETCHDIBITS:
        lines.push_back("bitmap" + Ints({r.I32(24), r.I32(28), r.I32(72), r.I32(76)}) + " " +
                        std::to_string(r.I32(40)) + "x" + std::to_string(r.I32(44)));
        break;
      default: break;
    }
  }
  return lines;
}

std::vector<std::string> LinesStarting(const std::vector<std::string>& lines, const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& l : lines)
    if (l.rfind(prefix, 0) == 0) out.push_back(l);
  return out;
}

std::vector<int> OracleAdvances(const std::string& fontFile, double emPixels, const std::u16string& text) {
  std::string codes;
  for (char16_t c : text) codes += std::to_string(static_cast<int>(c)) + ",";
  std::string script =
      "from fontTools.ttLib import TTFont\n"
      "f = TTFont('" + fontFile + "')\n"
      "cmap = f.getBestCmap(); upem = f['head'].unitsPerEm; hmtx = f['hmtx']\n"
      "print(' '.join(str(round(hmtx[cmap[c]][0] * " + std::to_string(emPixels) + " / upem)) for c in [" + codes +
      "]))\n";
  std::string path = (std::filesystem::temp_directory_path() / ("km_oracle_" + std::to_string(::getpid()) + ".py")).string();
  { std::ofstream(path) << script; }
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(("/usr/bin/python3 " + path + " 2>&1").c_str(), "r"), pclose);
  std::string out;
  std::array<char, 256> buf{};
  while (pipe && fgets(buf.data(), buf.size(), pipe.get())) out += buf.data();
  int status = pipe ? pclose(pipe.release()) : -1;
  std::filesystem::remove(path);
  EXPECT_EQ(status, 0) << "fontTools oracle failed: " << out;
  std::istringstream in(out);
  std::vector<int> v;
  int x;
  while (in >> x) v.push_back(x);
  EXPECT_EQ(v.size(), text.size()) << out;
  return v;
}

std::string LiberationDir() { return "/usr/share/fonts/truetype/liberation2"; }

}  // namespace km::test
