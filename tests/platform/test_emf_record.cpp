// The metafile canvas: records read back by our reader, and by emf2svg-conv.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "kmBitmap.h"
#include "kmEmfReader.h"
#include "kmEmfTypes.h"
#include "kmMetafileCanvas.h"
#include "kmScreen.h"

namespace km {
namespace {

using namespace emf;

TMetafile Record(const std::function<void(TMetafileCanvas&)>& draw, int width = 200, int height = 100) {
  TMetafile mf;
  mf.SetWidth(width);
  mf.SetHeight(height);
  {
    TMetafileCanvas canvas(mf);
    draw(canvas);
  }
  return mf;
}

std::vector<std::uint32_t> Types(const TEmfReadResult& r) {
  std::vector<std::uint32_t> t;
  for (const auto& rec : r.Records) t.push_back(rec.Type);
  return t;
}

void SampleDrawing(TMetafileCanvas& c) {
  c.GetPen().SetColor(clRed);
  c.GetPen().SetWidth(2);
  c.GetBrush().SetColor(clBlue);
  c.Rectangle(10, 10, 60, 40);
  c.GetPen().SetColor(clGreen);
  c.Ellipse(70, 10, 120, 40);
  c.GetPen().SetColor(clBlack);
  c.MoveTo(0, 0);
  c.LineTo(100, 90);
  c.GetFont().SetName(u"Liberation Sans");
  c.GetFont().SetHeight(-16);
  c.GetFont().SetColor(clMaroon);
  c.TextOut(10, 50, u"Hello");
}

TEST(MetafileCanvas, RecordsReadBackRecordByRecord) {
  TMetafile mf = Record(SampleDrawing);
  TEmfReadResult r = ReadEmfRecords(mf.Data());
  ASSERT_TRUE(r.Complete()) << r.Error;
  std::vector<std::uint32_t> expected = {
      EMR_HEADER,
      EMR_CREATEPEN, EMR_SELECTOBJECT, EMR_CREATEBRUSHINDIRECT, EMR_SELECTOBJECT, EMR_RECTANGLE,
      EMR_CREATEPEN, EMR_SELECTOBJECT, EMR_DELETEOBJECT, EMR_ELLIPSE,
      EMR_MOVETOEX, EMR_CREATEPEN, EMR_SELECTOBJECT, EMR_DELETEOBJECT, EMR_LINETO,
      EMR_SETTEXTCOLOR, EMR_EXTCREATEFONTINDIRECTW, EMR_SELECTOBJECT, EMR_EXTTEXTOUTW,
      EMR_EOF};
  EXPECT_EQ(Types(r), expected);

  // Handles: the lowest free index, reused after deletion.
  auto u32 = [&](std::size_t rec, std::size_t off) { return r.Records[rec].Reader().U32(off); };
  EXPECT_EQ(u32(1, 8), 1u);   // first pen
  EXPECT_EQ(u32(3, 8), 2u);   // brush
  EXPECT_EQ(u32(6, 8), 3u);   // second pen while the first is still selected
  EXPECT_EQ(u32(8, 8), 1u);   // first pen deleted after the second is selected
  EXPECT_EQ(u32(11, 8), 1u);  // third pen reuses handle 1
  EXPECT_EQ(u32(13, 8), 3u);
  EXPECT_EQ(u32(16, 8), 3u);  // the font reuses handle 3
  // Pen fields: style, width, colour.
  EXPECT_EQ(u32(1, 12), 0u);
  EXPECT_EQ(u32(1, 16), 2u);
  EXPECT_EQ(u32(1, 24), static_cast<std::uint32_t>(clRed));
  EXPECT_EQ(u32(15, 8), static_cast<std::uint32_t>(clMaroon));

  TEmfHeader h = ParseEmfHeader(r.Records[0]);
  EXPECT_EQ(h.Signature, ENHMETA_SIGNATURE);
  EXPECT_EQ(h.Records, r.Records.size());
  EXPECT_EQ(h.Bytes, mf.Data().size());
  EXPECT_EQ(h.Handles, 4);

  // Inclusive device pixels: the 2-pixel line from (0, 0) to (100, 90) spreads one pixel
  // around its ends; the ellipse ends at column 119.
  EXPECT_EQ(h.Bounds, (TRect{-1, -1, 119, 90}));
}

TEST(MetafileCanvas, HeaderCarriesFrameAndScreenReferenceDevice) {
  for (int ppi : {96, 120, 144}) {
    ScopedScreenResolution screen(ppi, ppi);
    TMetafile mf = Record([](TMetafileCanvas& c) { c.Rectangle(0, 0, 10, 10); }, 400, 300);
    TEmfReadResult r = ReadEmfRecords(mf.Data());
    ASSERT_TRUE(r.Complete());
    TEmfHeader h = ParseEmfHeader(r.Records[0]);
    // The device's pixels per millimetre give the screen resolution.
    EXPECT_NEAR(h.Device.cx * 25.4 / (h.Micrometers.cx / 1000.0), ppi, 1e-3) << ppi;
    EXPECT_NEAR(h.Device.cy * 25.4 / (h.Micrometers.cy / 1000.0), ppi, 1e-3) << ppi;
    EXPECT_NEAR(h.Device.cx * 25.4 / h.Millimeters.cx, ppi, 0.5) << ppi;
    EXPECT_EQ(h.Frame.Right, static_cast<int>(std::nearbyint(400 * 2540.0 / ppi)));
    EXPECT_EQ(h.Frame.Bottom, static_cast<int>(std::nearbyint(300 * 2540.0 / ppi)));
    // Loading the bytes gives the pixel size back.
    TMetafile loaded;
    loaded.LoadFromBytes(mf.Data());
    EXPECT_EQ(loaded.GetWidth(), 400);
    EXPECT_EQ(loaded.GetHeight(), 300);
    EXPECT_EQ(loaded.SaveToBytes(), mf.SaveToBytes());
  }
}

TEST(MetafileCanvas, TextIsExtTextOutWWithDxArray) {
  const std::vector<std::int32_t> dx = {7, 8, 9};
  TMetafile mf = Record([&](TMetafileCanvas& c) {
    c.GetFont().SetHeight(-20);
    c.ExtTextOut(5, 6, 0, nullptr, u"abc", dx);
    c.TextOut(5, 40, u"xyz");  // natural advances from the font
  });
  TEmfReadResult r = ReadEmfRecords(mf.Data());
  ASSERT_TRUE(r.Complete());
  std::vector<const TEmfRecord*> texts;
  for (const auto& rec : r.Records)
    if (rec.Type == EMR_EXTTEXTOUTW) texts.push_back(&rec);
  ASSERT_EQ(texts.size(), 2u);
  ByteReader b = texts[0]->Reader();
  EXPECT_EQ(b.I32(36), 5);
  EXPECT_EQ(b.I32(40), 6);
  ASSERT_EQ(b.U32(44), 3u);
  std::uint32_t off_string = b.U32(48), off_dx = b.U32(72);
  EXPECT_EQ(b.U16(off_string), u'a');
  EXPECT_EQ(b.U16(off_string + 4), u'c');
  for (int i = 0; i < 3; ++i) EXPECT_EQ(b.I32(off_dx + 4 * i), dx[i]);
  ByteReader n = texts[1]->Reader();
  ASSERT_EQ(n.U32(44), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_GT(n.I32(n.U32(72) + 4 * i), 0) << "natural advance " << i;
}

TEST(MetafileCanvas, StretchDibitsHasInfoHeaderAndExactBounds) {
  struct Case { TPixelFormat pf; int bits; };
  for (Case cs : {Case{TPixelFormat::pf24bit, 24}, Case{TPixelFormat::pf32bit, 32}, Case{TPixelFormat::pf8bit, 24},
                  Case{TPixelFormat::pf1bit, 24}}) {
    TBitmap bmp(3, 2, cs.pf);
    bmp.SetPixel(0, 0, clRed);
    const TColor top_left = bmp.GetPixel(0, 0);  // red, or black once reduced to 1 bit
    TMetafile mf = Record([&](TMetafileCanvas& c) { c.StretchDraw(TRect{20, 30, 80, 70}, bmp); });
    TEmfReadResult r = ReadEmfRecords(mf.Data());
    ASSERT_TRUE(r.Complete());
    const TEmfRecord* rec = nullptr;
    for (const auto& x : r.Records)
      if (x.Type == EMR_STRETCHDIBITS) rec = &x;
    ASSERT_NE(rec, nullptr);
    ByteReader b = rec->Reader();
    EXPECT_EQ((TRect{b.I32(8), b.I32(12), b.I32(16), b.I32(20)}), (TRect{20, 30, 80, 70}));
    EXPECT_EQ(b.I32(72), 60);  // cxDest
    EXPECT_EQ(b.I32(76), 40);  // cyDest
    EXPECT_EQ(b.U32(68), SRCCOPY);
    std::uint32_t off_bmi = b.U32(48);
    EXPECT_EQ(b.U32(off_bmi), 40u);  // BITMAPINFOHEADER
    EXPECT_EQ(b.I32(off_bmi + 4), 3);
    EXPECT_EQ(b.I32(off_bmi + 8), 2);
    EXPECT_EQ(b.U16(off_bmi + 14), cs.bits);
    // The top-left pixel is the last row of the bottom-up DIB.
    std::uint32_t off_bits = b.U32(56), stride = (3 * cs.bits / 8 + 3) / 4 * 4;
    EXPECT_EQ(b.U8(off_bits + stride + 2), GetRValue(top_left));
    EXPECT_EQ(b.U8(off_bits + stride + 1), GetGValue(top_left));
    EXPECT_EQ(b.U8(off_bits + stride + 0), GetBValue(top_left));
    EXPECT_EQ(b.U32(60), 2 * stride);
  }
}

TEST(MetafileCanvas, SavedStatesKeepTheirObjectsAlive) {
  TMetafile mf = Record([](TMetafileCanvas& c) {
    c.GetPen().SetColor(clRed);
    c.LineTo(10, 10);
    c.SaveDC();
    c.GetPen().SetColor(clBlue);
    c.LineTo(20, 20);
    c.RestoreDC(-1);
    c.LineTo(30, 30);  // red again: no new pen
  });
  TEmfReadResult r = ReadEmfRecords(mf.Data());
  ASSERT_TRUE(r.Complete());
  std::vector<std::uint32_t> expected = {EMR_HEADER,
                                         EMR_CREATEPEN, EMR_SELECTOBJECT, EMR_LINETO,
                                         EMR_SAVEDC, EMR_CREATEPEN, EMR_SELECTOBJECT, EMR_LINETO,
                                         EMR_RESTOREDC, EMR_DELETEOBJECT, EMR_LINETO, EMR_EOF};
  EXPECT_EQ(Types(r), expected);
  EXPECT_EQ(r.Records[8].Reader().I32(8), -1);
  EXPECT_EQ(r.Records[9].Reader().U32(8), 2u);  // the blue pen, not the saved red one
}

TEST(MetafileCanvas, RecordingAfterCloseIsIgnored) {
  TMetafile mf;
  TMetafileCanvas c(mf);
  c.Rectangle(0, 0, 5, 5);
  c.Close();
  const TBytes closed = mf.Data();
  c.Rectangle(10, 10, 20, 20);
  c.Close();
  EXPECT_EQ(mf.Data(), closed);
  EXPECT_TRUE(ReadEmfRecords(mf.Data()).Complete());
}

// ---- the independent reader

std::string RunCapture(const std::string& cmd, int& status) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) {
    status = -1;
    return out;
  }
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  status = pclose(p);
  return out;
}

TEST(MetafileCanvas, Emf2SvgReadsTheShapesAndText) {
  ASSERT_EQ(std::system("command -v emf2svg-conv >/dev/null"), 0) << "emf2svg-conv (Debian emf2svg) is required";
  TMetafile mf = Record([](TMetafileCanvas& c) {
    SampleDrawing(c);
    TPoint tri[3] = {{130, 80}, {190, 80}, {160, 20}};
    c.Polygon(tri);
    TPoint line[3] = {{5, 95}, {50, 70}, {95, 95}};
    c.Polyline(line);
  });
  const std::string dir = ::testing::TempDir();
  const std::string emf = dir + "/km_record.emf", svg = dir + "/km_record.svg";
  mf.SaveToFile(emf);
  int status = 0;
  std::string log = RunCapture("emf2svg-conv -i " + emf + " -o " + svg + " 2>&1", status);
  ASSERT_EQ(status, 0) << log;
  std::ifstream in(svg);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string s = ss.str();
  EXPECT_NE(s.find("<rect x=\"10.0000\" y=\"10.0000\" width=\"50.0000\" height=\"30.0000\""), std::string::npos)
      << s;
  EXPECT_NE(s.find("<ellipse cx=\"95.0000\" cy=\"25.0000\" rx=\"25.0000\" ry=\"15.0000\""), std::string::npos)
      << s;
  EXPECT_NE(s.find("<![CDATA[Hello]]>"), std::string::npos) << s;
  EXPECT_NE(s.find("font-family=\"Liberation Sans\""), std::string::npos) << s;
  EXPECT_NE(s.find("#0000FF"), std::string::npos) << "blue fill\n" << s;
  // The triangle, filled, and the open polyline.
  EXPECT_NE(s.find("M 130.0000,80.0000 L 190.0000,80.0000 L 160.0000,20.0000 Z"), std::string::npos) << s;
  EXPECT_NE(s.find("M 5.0000,95.0000 L 50.0000,70.0000 L 95.0000,95.0000 \""), std::string::npos) << s;
}

}  // namespace
}  // namespace km
