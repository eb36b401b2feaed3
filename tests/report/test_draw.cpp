// Views painted on the metafile canvas: the records each view kind leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "EmfLog.h"
#include "kmBitmap.h"
#include "kmFontCatalog.h"
#include "kmMetafileCanvas.h"
#include "kmReport.h"

namespace km {
namespace {

using test::DescribeRecords;
using test::LinesStarting;

// A private catalogue of the Liberation fonts: "Arial" is Liberation Sans.
class DrawTest : public ::testing::Test {
 protected:
  ScopedFontCatalog fonts_{FontCatalog::FromDirectory(test::LiberationDir())};
};

std::vector<std::string> Paint(const TfrxView& view, double scale) {
  TMetafile meta;
  {
    TMetafileCanvas canvas(meta);
    view.Draw(canvas, scale, scale, 0, 0);
  }
  return DescribeRecords(meta);
}

TfrxFrame Frame(TfrxFrameTypes sides, double width, TfrxFrameStyle style = TfrxFrameStyle::fsSolid) {
  TfrxFrame f;
  f.Typ = sides;
  f.Width = width;
  f.Style = style;
  return f;
}

const TfrxFrameTypes kAll{TfrxFrameType::ftLeft, TfrxFrameType::ftRight, TfrxFrameType::ftTop,
                          TfrxFrameType::ftBottom};

struct FrameCase {
  const char* name;
  double left, top, width, height;
  TfrxFrame frame;
  double scale;
  std::vector<std::string> expected;
};

TEST_F(DrawTest, FrameSidesAreLinesWithTheScaledWidthRoundedHalvesToEven) {
  const std::vector<FrameCase> cases = {
      // The default template's framing memo: width 0.5 rounds to 0 at scale 1, a one-pixel pen.
      {"all sides, scale 1", 450, 68, 264.56695843, 215.43307575, Frame(kAll, 0.5), 1,
       {"move 450 68", "pen 0 1 000000", "line 715 68", "move 450 283", "line 715 283", "move 450 68",
        "line 450 283", "move 715 68", "line 715 283"}},
      {"all sides, scale 4", 450, 68, 264.56695843, 215.43307575, Frame(kAll, 0.5), 4,
       {"move 1800 272", "pen 0 2 000000", "line 2858 272", "move 1800 1134", "line 2858 1134", "move 1800 272",
        "line 1800 1134", "move 2858 272", "line 2858 1134"}},
      {"top only", 450, 183, 264.5671, 3.77953, Frame({TfrxFrameType::ftTop}, 0.5), 4,
       {"move 1800 732", "pen 0 2 000000", "line 2858 732"}},
      // 2.5 is a tie: halves to even gives 2 (and 10 at scale 4), never 3.
      {"tie width 2.5", 10, 20, 30, 40, Frame({TfrxFrameType::ftLeft}, 2.5), 1,
       {"move 10 20", "pen 0 2 000000", "line 10 60"}},
      {"tie width 2.5 at 4", 10, 20, 30, 40, Frame({TfrxFrameType::ftLeft}, 2.5), 4,
       {"move 40 80", "pen 0 10 000000", "line 40 240"}},
      // Box corners are rounded halves to even too: 2.5 -> 2, 3.5 -> 4.
      {"tie positions", 2.5, 3.5, 10, 10, Frame({TfrxFrameType::ftBottom}, 1), 1,
       {"move 2 14", "pen 0 1 000000", "line 12 14"}},
      {"dashed right", 0, 0, 100, 50, Frame({TfrxFrameType::ftRight}, 1, TfrxFrameStyle::fsDash), 1,
       {"move 100 0", "pen 1 1 000000", "line 100 50"}},
      {"double top", 0, 0, 100, 50, Frame({TfrxFrameType::ftTop}, 1, TfrxFrameStyle::fsDouble), 1,
       {"move 0 0", "pen 0 1 000000", "line 100 0", "move 0 2", "line 100 2"}},
  };
  for (const FrameCase& c : cases) {
    TfrxMemoView memo;
    memo.SetLeft(c.left);
    memo.SetTop(c.top);
    memo.SetWidth(c.width);
    memo.SetHeight(c.height);
    memo.SetFrame(c.frame);
    EXPECT_EQ(Paint(memo, c.scale), c.expected) << c.name;
  }
}

TEST_F(DrawTest, FillComesBeforeTheFrameAndNoneMeansNoFill) {
  TfrxMemoView memo;
  memo.SetLeft(10);
  memo.SetTop(10);
  memo.SetWidth(20);
  memo.SetHeight(5);
  memo.SetFrame(Frame({TfrxFrameType::ftTop}, 1));
  memo.SetColor(RGB(255, 255, 0));
  EXPECT_EQ(Paint(memo, 2), (std::vector<std::string>{"brush 0 ffff00", "fill 20 20 40 10", "move 20 20",
                                                       "pen 0 2 000000", "line 60 20"}));
  memo.SetColor(clNone);
  EXPECT_TRUE(LinesStarting(Paint(memo, 2), "fill").empty());
}

TEST_F(DrawTest, MemoTextIsMeasuredWithTheFontServicesAndWrittenWithAdvances) {
  TfrxMemoView memo;
  memo.SetLeft(100);
  memo.SetTop(50);
  memo.SetWidth(200);
  memo.SetHeight(40);
  memo.SetText(u"Grüße €");
  memo.GetFont().SetName(u"Arial");
  memo.GetFont().SetHeight(-11);
  memo.GetFont().SetColor(RGB(0, 0, 128));
  const std::string sans = test::LiberationDir() + "/LiberationSans-Regular.ttf";
  for (double scale : {1.0, 4.0}) {
    std::vector<std::string> rec = Paint(memo, scale);
    const int em = scale == 1 ? 11 : 44;
    EXPECT_EQ(LinesStarting(rec, "font"), std::vector<std::string>{"font -" + std::to_string(em) + " 400 i0 u0 Arial"});
    // The memo's colour; the canvas's own is put back afterwards.
    EXPECT_EQ(LinesStarting(rec, "textcolor").front(), "textcolor 000080");
    std::vector<int> adv = test::OracleAdvances(sans, em, memo.GetText());
    std::string dx;
    for (int a : adv) dx += (dx.empty() ? "" : ",") + std::to_string(a);
    // Gaps 2 and 1 inset the text.
    const int x = scale == 1 ? 102 : 408, y = scale == 1 ? 51 : 204;
    EXPECT_EQ(LinesStarting(rec, "text "),
              std::vector<std::string>{"text " + std::to_string(x) + " " + std::to_string(y) + " Grüße € " + dx})
        << "scale " << scale;
  }
}

TEST_F(DrawTest, MemoLinesWrapAtSpacesAndAlign) {
  TfrxMemoView memo;
  memo.SetWidth(60);
  memo.SetHeight(200);
  memo.SetGapX(0);
  memo.SetGapY(0);
  memo.SetText(u"aaaa bbbb cccc\r\ndd");
  memo.GetFont().SetHeight(-20);
  std::vector<std::string> text = LinesStarting(Paint(memo, 1), "text ");
  ASSERT_EQ(text.size(), 4u);
  EXPECT_EQ(text[0].substr(0, 16), "text 0 0 aaaa 11");  // "aaaa" is 4 x 11 pixels at 20
  EXPECT_NE(text[1].find(" bbbb "), std::string::npos);
  EXPECT_NE(text[2].find(" cccc "), std::string::npos);
  EXPECT_NE(text[3].find(" dd "), std::string::npos);

  memo.SetHAlign(TfrxHAlign::haRight);
  memo.SetText(u"dd");
  // Right aligned: 60 - 2 * 11 = 38.
  EXPECT_EQ(LinesStarting(Paint(memo, 1), "text "), std::vector<std::string>{"text 38 0 dd 11,11"});
  memo.SetHAlign(TfrxHAlign::haCenter);
  EXPECT_EQ(LinesStarting(Paint(memo, 1), "text "), std::vector<std::string>{"text 19 0 dd 11,11"});

  memo.SetWordWrap(false);
  memo.SetHAlign(TfrxHAlign::haLeft);
  memo.SetText(u"aaaa bbbb cccc");
  EXPECT_EQ(LinesStarting(Paint(memo, 1), "text ").size(), 1u);
}

TEST_F(DrawTest, MemoLinesBelowTheBoxAreLeftOut) {
  TfrxMemoView memo;
  memo.SetWidth(200);
  memo.SetHeight(30);
  memo.SetGapY(0);
  memo.SetText(u"one\ntwo\nthree\nfour");
  memo.GetFont().SetHeight(-11);  // 12 to 13 pixels a line: two lines fit 30
  std::vector<std::string> text = LinesStarting(Paint(memo, 1), "text ");
  ASSERT_EQ(text.size(), 2u);
  EXPECT_NE(text[1].find(" two "), std::string::npos);
}

TEST_F(DrawTest, RichTextOfTheDefaultTemplateBecomesTextRecords) {
  TfrxReport report;
  auto* rich = dynamic_cast<TfrxRichView*>(report.FindObject("rv_Belegnummer"));
  ASSERT_NE(rich, nullptr);
  const std::string sans = test::LiberationDir() + "/LiberationSans-Regular.ttf";
  for (double scale : {1.0, 4.0}) {
    std::vector<std::string> rec = Paint(*rich, scale);
    // 8 points at 96 * scale units per inch: 10.67 -> 11, 42.67 -> 43; underlined.
    const int em = scale == 1 ? 11 : 43;
    EXPECT_EQ(LinesStarting(rec, "font"), std::vector<std::string>{"font -" + std::to_string(em) + " 400 i0 u1 Arial"});
    std::vector<std::string> text = LinesStarting(rec, "text ");
    ASSERT_EQ(text.size(), 1u) << "scale " << scale;
    // Left 461 + gap 10; the baseline lies one ascent below top 73 + gap 1.
    const std::string at = scale == 1 ? "text 471 " : "text 1884 ";
    EXPECT_EQ(text[0].substr(0, at.size()), at);
    EXPECT_NE(text[0].find(" Belegnummer "), std::string::npos);
    // The advances add up to the exact width at the fractional size, within a unit.
    std::vector<int> exact = test::OracleAdvances(sans, 8.0 / 72 * 96 * scale * 1000, u"Belegnummer");
    double width = 0;
    for (int a : exact) width += a / 1000.0;
    std::string dx = text[0].substr(text[0].rfind(' ') + 1);
    int sum = 0;
    for (std::size_t p = 0; p < dx.size();) {
      std::size_t q = dx.find(',', p);
      sum += std::stoi(dx.substr(p, q - p));
      p = q == std::string::npos ? dx.size() : q + 1;
    }
    EXPECT_NEAR(sum, width, 1.0) << "scale " << scale;
  }
}

TEST_F(DrawTest, EverySeparateRunOfRichTextIsItsOwnTextRecord) {
  TfrxRichView rich;
  rich.SetWidth(400);
  rich.SetHeight(40);
  rich.SetRichText(R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}{\colortbl;\red255\green0\blue0;}\f0\fs20 plain \b bold\b0  \i\cf1 red\par})");
  std::vector<std::string> rec = Paint(rich, 1);
  std::vector<std::string> text = LinesStarting(rec, "text ");
  // "plain ", "bold", the plain space after it, "red".
  ASSERT_EQ(text.size(), 4u);
  EXPECT_NE(text[0].find(" plain  "), std::string::npos);
  EXPECT_NE(text[1].find(" bold "), std::string::npos);
  EXPECT_NE(text[3].find(" red "), std::string::npos);
  std::vector<std::string> fonts = LinesStarting(rec, "font");
  ASSERT_EQ(fonts.size(), 4u);
  EXPECT_EQ(fonts[1], "font -13 700 i0 u0 Arial");
  EXPECT_EQ(fonts[3], "font -13 400 i1 u0 Arial");
  // Red for the last run, then the canvas's colour again.
  EXPECT_EQ(LinesStarting(rec, "textcolor"), (std::vector<std::string>{"textcolor ff0000", "textcolor 000000"}));
}

TEST_F(DrawTest, PicturesAreStretchedOverTheBox) {
  TfrxPictureView picture;
  picture.SetLeft(10);
  picture.SetTop(20);
  picture.SetWidth(30.5);
  picture.SetHeight(15);
  auto bmp = std::make_shared<TBitmap>(3, 2);
  bmp->SetPixel(0, 0, clRed);
  picture.GetPicture().SetGraphic(bmp);
  EXPECT_EQ(LinesStarting(Paint(picture, 1), "bitmap"), std::vector<std::string>{"bitmap 10 20 30 15 3x2"});
  EXPECT_EQ(LinesStarting(Paint(picture, 4), "bitmap"), std::vector<std::string>{"bitmap 40 80 122 60 3x2"});
  picture.GetPicture().SetGraphic(nullptr);
  EXPECT_TRUE(LinesStarting(Paint(picture, 1), "bitmap").empty());
}

TEST_F(DrawTest, LinesAndShapes) {
  TfrxLineView line;
  line.SetLeft(10);
  line.SetTop(10);
  line.SetWidth(100);
  line.SetHeight(0);
  line.SetFrame(Frame({}, 2, TfrxFrameStyle::fsDot));
  EXPECT_EQ(Paint(line, 4), (std::vector<std::string>{"move 40 40", "pen 2 8 000000", "line 440 40"}));

  struct ShapeCase {
    TfrxShapeKind kind;
    TColor fill;
    std::vector<std::string> expected;
  };
  const std::vector<ShapeCase> cases = {
      {TfrxShapeKind::skRectangle, clNone, {"pen 0 4 000000", "brush 1 ffffff", "rect 20 40 220 140"}},
      {TfrxShapeKind::skEllipse, RGB(0, 255, 0), {"pen 0 4 000000", "brush 0 00ff00", "ellipse 20 40 220 140"}},
      {TfrxShapeKind::skRoundRectangle, clNone,
       {"pen 0 4 000000", "brush 1 ffffff", "roundrect 20 40 220 140 25 25"}},
  };
  for (const ShapeCase& c : cases) {
    TfrxShapeView shape;
    shape.SetLeft(10);
    shape.SetTop(20);
    shape.SetWidth(100);
    shape.SetHeight(50);
    shape.SetShape(c.kind);
    shape.SetColor(c.fill);
    shape.SetFrame(Frame({}, 2));
    EXPECT_EQ(Paint(shape, 2), c.expected) << static_cast<int>(c.kind);
  }
}

TEST_F(DrawTest, OffsetsMoveTheWholeView) {
  TfrxShapeView shape;
  shape.SetWidth(10);
  shape.SetHeight(10);
  TMetafile meta;
  {
    TMetafileCanvas canvas(meta);
    shape.Draw(canvas, 1, 1, 5.5, -2.5);
  }
  EXPECT_EQ(LinesStarting(DescribeRecords(meta), "rect"), std::vector<std::string>{"rect 6 -2 16 8"});
}

TEST_F(DrawTest, EveryObjectOfThePreparedDefaultTemplatePaints) {
  TfrxReport report;
  ASSERT_TRUE(report.PrepareReport());
  TfrxReportPage& page = *report.GetPreviewPages().GetPage(0);
  TMetafile meta;
  {
    TMetafileCanvas canvas(meta);
    for (const auto& obj : page.GetObjects())
      if (auto* view = dynamic_cast<TfrxView*>(obj.get())) view->Draw(canvas, 4, 4, 0, 0);
  }
  std::vector<std::string> rec = DescribeRecords(meta);
  std::vector<std::string> text = LinesStarting(rec, "text ");
  // Fourteen labels, each on one line.
  ASSERT_EQ(text.size(), 14u);
  for (const char* label : {"Belegnummer", "Sachbearbeiter", "Kunden- / Deb.Nr", "Ihre USt-ID", "Underline"}) {
    bool found = false;
    for (const std::string& t : text) found = found || t.find(std::string(" ") + label + " ") != std::string::npos;
    EXPECT_TRUE(found) << label;
  }
  // The two framed memos: four sides and one side.
  EXPECT_EQ(LinesStarting(rec, "line").size(), 5u);
}

TEST_F(DrawTest, TheApplicationsRicherTemplatePaintsEveryViewKind) {
  TfrxReport report;
  ASSERT_TRUE(report.LoadFromFile(std::string(KM_SOURCE_DIR) + "/app/Test.fr3", true));
  ASSERT_TRUE(report.PrepareReport());
  ASSERT_EQ(report.GetPreviewPages().Count(), 2);
  // The sixteen objects of the embedded template are all there.
  TfrxReport embedded;
  for (const auto& obj : embedded.GetPage(1)->GetObjects())
    EXPECT_NE(report.FindObject(obj->GetName()), nullptr) << obj->GetName();

  std::vector<std::vector<std::string>> pages;
  for (int p = 0; p < 2; ++p) {
    TMetafile meta;
    {
      TMetafileCanvas canvas(meta);
      for (const auto& obj : report.GetPreviewPages().GetPage(p)->GetObjects())
        if (auto* view = dynamic_cast<TfrxView*>(obj.get())) view->Draw(canvas, 4, 4, 0, 0);
    }
    pages.push_back(DescribeRecords(meta));
  }
  const std::vector<std::string>& rec = pages[0];
  auto has = [](const std::vector<std::string>& lines, const std::string& part) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(part) != std::string::npos; });
  };
  // The title: 28 points bold, height -37 at 96 pixels per inch, times 4.
  EXPECT_TRUE(has(rec, "font -148 700 i0 u0 Arial"));
  EXPECT_TRUE(has(rec, " Rechnung Nr. 4711 "));
  // German text in the framed and filled memos; line ends break the address.
  for (const char* text : {" Müller & Söhne GmbH ", " Große Straße 5 ", " 80331 München ", " Gesamtbetrag: 1.234,56 € "})
    EXPECT_TRUE(has(LinesStarting(rec, "text "), text)) << text;
  // Fills of the two memos and the ellipse.
  EXPECT_TRUE(has(rec, "brush 0 fff2cc"));
  EXPECT_TRUE(has(rec, "brush 0 ddebf7"));
  EXPECT_TRUE(has(rec, "brush 0 c6e0b4"));
  // Dashed partial frames, the shapes, the picture.
  EXPECT_TRUE(has(rec, "pen 1 4 000000"));
  EXPECT_TRUE(has(rec, "pen 1 4 800000"));
  EXPECT_EQ(LinesStarting(rec, "rect"), std::vector<std::string>{"rect 160 1840 960 2240"});
  EXPECT_EQ(LinesStarting(rec, "ellipse"), std::vector<std::string>{"ellipse 1080 1840 1880 2240"});
  EXPECT_EQ(LinesStarting(rec, "bitmap"), std::vector<std::string>{"bitmap 160 2360 512 256 32x16"});
  // Rich text: bold, italic, underlined and coloured runs.
  EXPECT_TRUE(has(rec, "textcolor c00000"));
  // 10 points at 384 units per inch: 53.33 -> -53.
  EXPECT_TRUE(has(rec, "font -53 700 i0 u0 Arial"));
  EXPECT_TRUE(has(rec, "font -53 400 i1 u0 Arial"));
  EXPECT_TRUE(has(rec, "font -53 400 i0 u1 Arial"));
  EXPECT_TRUE(has(rec, " Straße € "));
  // Page 2: its line, the band's rounded rectangle and memo.
  EXPECT_TRUE(has(pages[1], "move 160 360"));
  EXPECT_EQ(LinesStarting(pages[1], "roundrect").size(), 1u);
  EXPECT_TRUE(has(pages[1], " Seite 2: Anhang "));
}

}  // namespace
}  // namespace km
