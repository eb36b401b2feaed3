#include <gtest/gtest.h>

#include <regex>
#include <stdexcept>
#include <string>

#include "kmPDFObjectWriter.h"

namespace km {
namespace {

using W = TkmPDFObjectWriter;

TEST(PDFObjectWriter, ReferencesHeadsAndXRefLines) {
  EXPECT_EQ(W::MakeObjRef(6), "6 0 R");
  EXPECT_EQ(W::MakeObjRef(12345), "12345 0 R");
  EXPECT_EQ(W::MakeObjHead(2), "2 0 obj");
  EXPECT_EQ(W::MakeXRef(0, 65535, 'f'), "0000000000 65535 f");
  EXPECT_EQ(W::MakeXRef(1234, 0, 'n'), "0000001234 00000 n");
  EXPECT_EQ(W::MakeXRef(9999999999, 0, 'n'), "9999999999 00000 n");
}

TEST(PDFObjectWriter, NumbersStartAfterTheReservedOnesAndNeverRepeat) {
  TMemoryStream out;
  W w;
  w.Begin(out, 5);
  EXPECT_EQ(w.LastObjNo(), 5);
  EXPECT_EQ(w.GetNewObjNo(), 6);
  EXPECT_EQ(w.GetNewObjNo(), 7);
  EXPECT_EQ(w.LastObjNo(), 7);
  w.Begin(out, 5);  // a new document starts over
  EXPECT_EQ(w.GetNewObjNo(), 6);
}

TEST(PDFObjectWriter, WritesObjectsByteExact) {
  struct Case { const char* body; int obj; bool complete; const char* bytes; };
  const Case cases[] = {
      {"/Type/Pages/Count 1/Kids [6 0 R]\r\n", 2, true,
       "2 0 obj\r\n<<\r\n/Type/Pages/Count 1/Kids [6 0 R]\r\n>>\r\nendobj\r\n"},
      {"718", 8, true, "8 0 obj\r\n718\r\nendobj\r\n"},
      {"[/PDF /Text]", 4, true, "4 0 obj\r\n[/PDF /Text]\r\nendobj\r\n"},
      {"/Length 7 0 R/Filter /FlateDecode\r\n", 7, false,
       "7 0 obj\r\n<<\r\n/Length 7 0 R/Filter /FlateDecode\r\n>>\r\n"},
      {"<</A 1>>", 3, false, "3 0 obj\r\n<</A 1>>\r\n"},
  };
  for (const Case& c : cases) {
    TMemoryStream out;
    W w;
    w.Begin(out, 10);
    w.WriteObj(c.body, c.obj, c.complete);
    EXPECT_EQ(out.ToString(), c.bytes) << c.body;
    EXPECT_TRUE(w.IsWritten(c.obj));
  }
}

// Splits the table part of the output into its twenty-byte lines.
std::vector<std::string> XRefLines(const std::string& bytes, int count) {
  std::size_t at = bytes.find("xref\r\n0 ");
  at = bytes.find("\r\n", at + 6) + 2;
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) lines.push_back(bytes.substr(at + 20 * i, 20));
  return lines;
}

TEST(PDFObjectWriter, TableListsObjectsByNumberWithTheirOffsets) {
  TMemoryStream out;
  out.WriteString("%PDF-1.4\r\n");
  W w;
  w.Begin(out, 3);
  const int four = w.GetNewObjNo();
  w.WriteObj("4", four, true);
  w.WriteObj("1", 1, true);
  w.WriteObj("3", 3, true);
  w.WriteObj("2", 2, true);
  const std::int64_t xref_at = w.Position();
  w.WriteXRefAndTrailer("/Root 1 0 R/Size 5");
  const std::string& b = out.ToString();
  ASSERT_EQ(b.compare(xref_at, 11, "xref\r\n0 5\r\n"), 0);
  auto lines = XRefLines(b, 5);
  EXPECT_EQ(lines[0], "0000000000 65535 f\r\n");
  for (int i = 1; i <= 4; ++i) {
    ASSERT_EQ(lines[i].substr(10), " 00000 n\r\n");
    const std::size_t off = std::stoul(lines[i].substr(0, 10));
    EXPECT_EQ(b.compare(off, 8, std::to_string(i) + " 0 obj\r"), 0) << i;
  }
  const std::string tail = "trailer\r\n<<\r\n/Root 1 0 R/Size 5\r\n>>\r\nstartxref\r\n" +
                           std::to_string(xref_at) + "\r\n%%EOF";
  EXPECT_EQ(b.substr(b.size() - tail.size()), tail);
}

TEST(PDFObjectWriter, NumbersReservedButNeverWrittenGetChainedFreeEntries) {
  TMemoryStream out;
  W w;
  w.Begin(out, 2);
  const int a = w.GetNewObjNo();  // 3: never written
  const int b = w.GetNewObjNo();  // 4
  const int c = w.GetNewObjNo();  // 5: never written
  w.WriteObj("1", 1, true);
  w.WriteObj("2", 2, true);
  w.WriteObj("4", b, true);
  (void)a;
  (void)c;
  w.WriteXRefAndTrailer("/Size 6");
  auto lines = XRefLines(out.ToString(), 6);
  EXPECT_EQ(lines[0], "0000000003 65535 f\r\n");  // head of the free chain
  EXPECT_EQ(lines[3], "0000000005 65535 f\r\n");
  EXPECT_EQ(lines[5], "0000000000 65535 f\r\n");  // end of the chain
  EXPECT_EQ(lines[4].substr(10), " 00000 n\r\n");
  EXPECT_EQ(out.ToString().find("0 6\r\n") + 5 + 6 * 20, out.ToString().find("trailer"));
}

TEST(PDFObjectWriter, FirstOffsetOfANumberWins) {
  TMemoryStream out;
  W w;
  w.Begin(out, 1);
  w.AppendXRef(0, 1);
  w.AppendXRef(77, 1);
  w.WriteXRefAndTrailer("");
  EXPECT_EQ(XRefLines(out.ToString(), 2)[1], "0000000000 00000 n\r\n");
}

TEST(PDFObjectWriter, RefusesNumbersThatWereNeverHandedOut) {
  TMemoryStream out;
  W w;
  w.Begin(out, 5);
  EXPECT_THROW(w.WriteObj("x", 6, true), std::logic_error);
  EXPECT_THROW(w.WriteObj("x", 0, true), std::logic_error);
  EXPECT_THROW(w.AppendXRef(10, -1), std::logic_error);
  EXPECT_TRUE(out.ToString().empty());
  W idle;
  EXPECT_THROW(idle.Write("x"), std::logic_error);
}

TEST(PDFObjectWriter, DeferredObjectsAreRebasedWhenFlushed) {
  TMemoryStream out;
  W w;
  w.Begin(out, 1);
  const int img = w.GetNewObjNo();
  const int img2 = w.GetNewObjNo();
  w.WriteDeferredObj("/Subtype/Image\r\n", img, false);
  w.WriteDeferred("stream\r\nabc\r\nendstream\r\nendobj\r\n");
  w.WriteDeferredObj("[1]", img2, true);
  EXPECT_FALSE(w.IsWritten(img));
  out.WriteString("0123456789");  // the page's own objects come first
  w.FlushDeferred();
  EXPECT_EQ(w.DeferredPosition(), 0);
  w.WriteObj("1", 1, true);
  w.WriteXRefAndTrailer("");
  auto lines = XRefLines(out.ToString(), 4);
  EXPECT_EQ(lines[img], "0000000010 00000 n\r\n");
  const std::size_t off2 = std::stoul(lines[img2].substr(0, 10));
  EXPECT_EQ(out.ToString().compare(off2, 7, "3 0 obj"), 0);
}

}  // namespace
}  // namespace km
