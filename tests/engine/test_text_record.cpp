// The text recording calls and what reaches the output engine's EncodeText:
// positions, anchors, clip rectangles, rotations, styles, text boxes and
// placeholders, on fixed advances (FixedTextMetrics.h).

#include <gtest/gtest.h>

#include <cmath>

#include "FixedTextMetrics.h"
#include "kmCodePage.h"

namespace km::test {
namespace {

using Strings = std::vector<std::string>;

class TextRecordTest : public ::testing::Test {
 protected:
  TextRecordTest() {
    engine.SetFileName(dir.File("doc"));
    engine.SetReferencePoint(TkmReferencePoint::rpPage);
  }

  // The lines EncodeText received, with x and y.
  Strings Placed() const {
    Strings s;
    for (const auto& t : engine.Texts) s.push_back(t.line + "@" + Num(t.x) + "," + Num(t.y));
    return s;
  }
  static std::string Num(double v) {
    if (v == std::floor(v)) return std::to_string(static_cast<long long>(v));
    std::string s = std::to_string(v);
    s.erase(s.find_last_not_of('0') + 1);
    return s;
  }

  TempDir dir;
  TTextEngine engine;
};

TEST_F(TextRecordTest, TextOutRecordsOneItemWithCopiesAndAnchors) {
  engine.BeginDoc();
  TFont font = engine.GetFont();
  font.SetStyle({TFontStyle::fsItalic});
  engine.SetFont(font);
  engine.SetTextRotation(30);
  engine.SetTextAlignment(TkmHAlignment::haRight);
  engine.SetBiDiMode(TBiDiMode::bdRightToLeft);
  engine.TextOut(10, 20, u"abc");
  font.SetStyle({});
  engine.SetFont(font);  // later changes do not reach the item
  auto items = engine.Recorded();
  ASSERT_EQ(items.size(), 1u);
  const TkmTextItem& item = *items[0];
  EXPECT_EQ(item.GetX(), 10);
  EXPECT_EQ(item.GetY(), 20);
  EXPECT_EQ(item.GetLines().Count(), 1);
  EXPECT_EQ(item.GetLines().Get(0), u"abc");
  EXPECT_TRUE(item.GetFont().IsItalic());
  EXPECT_EQ(item.GetRotationAngle(), 30);
  EXPECT_EQ(item.GetAlignment(), TkmHAlignment::haRight);
  EXPECT_EQ(item.GetBiDiMode(), TBiDiMode::bdRightToLeft);
  EXPECT_EQ(item.GetWidthOfTheText(), 30);
  EXPECT_EQ(item.GetCenterAndRightAlignTextPos(), (TkmIntPoint{25, 40}));
  engine.EndDoc();
}

TEST_F(TextRecordTest, EmptyTextMeasuresOne) {
  engine.BeginDoc();
  engine.TextOut(3, 4, u"");
  auto items = engine.Recorded();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0]->GetLines().Count(), 1);
  EXPECT_EQ(items[0]->GetWidthOfTheText(), 1);
  engine.EndDoc();
}

TEST_F(TextRecordTest, AnchorsRoundHalvesToEven) {
  engine.BeginDoc();
  engine.TextOut(0.5, 0, u"a");  // centre 5.5, right 10.5
  EXPECT_EQ(engine.Recorded()[0]->GetCenterAndRightAlignTextPos(), (TkmIntPoint{6, 10}));
  engine.EndDoc();
}

TEST_F(TextRecordTest, NothingIsRecordedWithoutDocumentCapabilityOrKind) {
  engine.TextOut(1, 1, u"before");
  engine.BeginDoc();
  engine.SetItemsToRender({TkmItemsToRenderKind::irImage, TkmItemsToRenderKind::irShape});
  engine.TextOut(1, 1, u"a");
  engine.HTMLTextOut(1, 1, u"b");
  engine.TextBox(kmRect(0, 0, 50, 50), u"c", TkmHAlignment::haLeft, TkmVAlignment::vaTop);
  engine.TextOut(1, 1, u"d", true);
  engine.TextRect(kmRect(0, 0, 5, 5), 1, 1, u"e");
  engine.TextOutV(1, 1, u"f", true);
  EXPECT_TRUE(engine.Recorded().empty());
  engine.SetItemsToRender({TkmItemsToRenderKind::irText});
  engine.SetCapabilities({TkmCapabilityKind::ckImage});
  engine.TextOut(1, 1, u"g");
  EXPECT_TRUE(engine.Recorded().empty());
  engine.SetCapabilities({TkmCapabilityKind::ckText});
  engine.TextOut(1, 1, u"h");
  EXPECT_EQ(engine.Recorded().size(), 1u);
  engine.EndDoc();
}

TEST_F(TextRecordTest, PositionsTakeUnitInputResolutionAndBandOrigin) {
  engine.SetReferencePoint(TkmReferencePoint::rpBand);
  engine.GetPage().SetLeftMargin(40);
  engine.GetPage().SetTopMargin(30);
  engine.GetPage().SetHeaderHeight(20);
  engine.BeginDoc();
  engine.TextOut(10, 10, u"content");
  engine.BeginFooter();
  const double footerTop = engine.GetBandRect().Top;
  engine.TextOut(0, 0, u"footer");
  engine.EndFooter();
  engine.SetInputXRes(192);
  engine.SetInputYRes(192);
  engine.TextOut(10, 10, u"hires");
  engine.EndDoc();
  ASSERT_EQ(engine.Texts.size(), 3u);
  EXPECT_EQ(Placed()[0], "content@50,60");
  EXPECT_EQ(Placed()[1], "hires@45,55");
  EXPECT_EQ(engine.Texts[2].line, "footer");
  EXPECT_EQ(engine.Texts[2].x, 40);
  EXPECT_EQ(engine.Texts[2].y, footerTop);
}

TEST_F(TextRecordTest, RotationIsStoredModulo360WithItsSign) {
  for (auto [given, stored] : std::vector<std::pair<int, int>>{{-90, -90}, {370, 10}, {-450, -90}, {359, 359}}) {
    engine.SetTextRotation(given);
    EXPECT_EQ(engine.GetTextRotationAngle(), stored) << given;
  }
  engine.BeginDoc();
  engine.SetTextRotation(90);
  engine.TextOut(0, 0, u"up");
  engine.EndDoc();
  ASSERT_EQ(engine.Texts.size(), 1u);
  EXPECT_EQ(engine.Texts[0].rotation, 90);
  EXPECT_EQ(engine.GetTextRotationAngle(), 0);  // reset when the document ends
}

TEST_F(TextRecordTest, WrappedTextOutStartsFollowingLinesAtTheBandEdge) {
  engine.SetReferencePoint(TkmReferencePoint::rpMargin);
  engine.GetPage().SetPaperSize(TkmPaperSize::Custom);
  engine.GetPage().SetWidth(200);
  engine.GetPage().SetLeftMargin(20);
  engine.GetPage().SetRightMargin(30);
  engine.GetPage().SetTopMargin(10);
  engine.BeginDoc();
  // Band 20..170: the first line has 170 - 120 = 50, the others 150.
  engine.TextOut(100, 5, u"aaa bbb ccccccccc ddd\r\nee", true);
  engine.TextOut(100, 200, u"not wrapped at all, however long it is", false);
  engine.EndDoc();
  EXPECT_EQ(Placed(), (Strings{"aaa @120,15", "bbb ccccccccc @20,31", "ddd@20,47", "ee@20,63",
                               "not wrapped at all, however long it is@120,210"}));
}

TEST_F(TextRecordTest, TextRectClipsInTheSameCoordinatesAsThePosition) {
  engine.SetReferencePoint(TkmReferencePoint::rpMargin);
  engine.GetPage().SetLeftMargin(40);
  engine.GetPage().SetTopMargin(30);
  engine.BeginDoc();
  engine.SetBiDiMode(TBiDiMode::bdRightToLeft);
  engine.TextRect(kmRect(0, 0, 100, 50), 10, 10, u"clipped");
  auto items = engine.Recorded();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0]->GetBiDiMode(), TBiDiMode::bdLeftToRight);
  engine.EndDoc();
  ASSERT_EQ(engine.Texts.size(), 1u);
  EXPECT_EQ(Placed()[0], "clipped@50,40");
  EXPECT_TRUE(engine.Texts[0].clipped);
  EXPECT_EQ(engine.Texts[0].clip, kmRect(40, 30, 140, 80));
}

TEST_F(TextRecordTest, VerticalTextStepsByTheTextHeightAlongTheRotation) {
  engine.BeginDoc();
  engine.TextOutV(100, 100, u"ab", true);
  engine.TextOutV(100, 100, u"cd", false);
  engine.SetTextRotation(90);
  engine.TextOutV(100, 100, u"ef", true);
  engine.EndDoc();
  ASSERT_EQ(engine.Texts.size(), 6u);
  const Strings placed = Placed();
  EXPECT_EQ(Strings(placed.begin(), placed.begin() + 4), (Strings{"a@100,100", "b@100,116", "c@100,100", "d@100,84"}));
  EXPECT_EQ(engine.Texts[4].line, "e");
  EXPECT_DOUBLE_EQ(engine.Texts[5].x, 116);
  EXPECT_NEAR(engine.Texts[5].y, 100, 1e-9);
  EXPECT_EQ(engine.Texts[5].rotation, 90);
}

struct MarkupCase {
  const char* name;
  std::u16string markup;
  Strings placed;          // line@x of each item
  std::vector<bool> bold;  // per item
};

class MarkupTest : public ::testing::TestWithParam<MarkupCase> {};

TEST_P(MarkupTest, RecordsOneItemPerRun) {
  TempDir dir;
  TTextEngine engine;
  engine.SetFileName(dir.File("doc"));
  engine.SetReferencePoint(TkmReferencePoint::rpPage);
  engine.BeginDoc();
  engine.HTMLTextOut(10, 5, GetParam().markup);
  Strings placed;
  std::vector<bool> bold;
  for (TkmTextItem* item : engine.Recorded()) {
    placed.push_back(WideToUtf8(item->GetLines().Get(0)) + "@" + std::to_string(static_cast<int>(item->GetX())));
    bold.push_back(item->GetFont().IsBold());
    EXPECT_EQ(item->GetY(), 5);
  }
  EXPECT_EQ(placed, GetParam().placed);
  EXPECT_EQ(bold, GetParam().bold);
  engine.EndDoc();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MarkupTest,
    ::testing::Values(
        // Bold "b" is 12 wide.
        MarkupCase{"BoldRun", u"a<B>b</B>c", {"a@10", "b@20", "c@32"}, {false, true, false}},
        MarkupCase{"TagsIgnoreCase", u"<b>x</B>y", {"x@10", "y@22"}, {true, false}},
        MarkupCase{"EscapedBracket", u"a/<b", {"a<b@10"}, {false}},
        MarkupCase{"EscapedSlash", u"x//y", {"x/y@10"}, {false}},
        MarkupCase{"EscapedClosingBracket", u"1/>2>3", {"1>23@10"}, {false}},
        MarkupCase{"LoneSlashDropped", u"a/b", {"ab@10"}, {false}},
        MarkupCase{"UnknownTagDropped", u"a<font>b", {"a@10", "b@20"}, {false, false}},
        MarkupCase{"TagCutByBlankIsText", u"a<b c>d", {"a@10", "b cd@20"}, {false, false}},
        MarkupCase{"TagCutByEndIsText", u"a<B", {"a@10", "B@20"}, {false, false}},
        MarkupCase{"NoText", u"<B></B>", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextRecordTest, MarkupStylesAndTheFontAfterwards) {
  engine.BeginDoc();
  engine.HTMLTextOut(0, 0, u"<I><U>a</U><S>b</S>");
  auto items = engine.Recorded();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_TRUE(items[0]->GetFont().GetStyle().Contains(TFontStyle::fsUnderline));
  EXPECT_TRUE(items[0]->GetFont().IsItalic());
  EXPECT_TRUE(items[1]->GetFont().GetStyle().Contains(TFontStyle::fsStrikeOut));
  EXPECT_FALSE(items[1]->GetFont().GetStyle().Contains(TFontStyle::fsUnderline));
  // The unclosed <I> is taken back from the engine's font.
  EXPECT_TRUE(engine.GetFont().GetStyle().Empty());
  // A closing tag removes a style the font had before the call.
  TFont font = engine.GetFont();
  font.SetStyle({TFontStyle::fsBold, TFontStyle::fsItalic});
  engine.SetFont(font);
  engine.HTMLTextOut(0, 0, u"x</B>y");
  EXPECT_FALSE(engine.GetFont().IsBold());
  EXPECT_TRUE(engine.GetFont().IsItalic());
  engine.EndDoc();
}

// HTMLTextOut places its first run exactly where TextOut places the same
// text, for every unit and input resolution.
TEST_F(TextRecordTest, MarkupPositionMatchesTextOutAtAnyInputResolution) {
  struct Case { TkmUnitType unit; int res; double x, y; };
  for (const Case& c : {Case{TkmUnitType::muPixels, 96, 48, 24}, Case{TkmUnitType::muPixels, 192, 48, 24},
                        Case{TkmUnitType::muInches, 96, 0.5, 0.25}, Case{TkmUnitType::muInches, 192, 0.5, 0.25},
                        Case{TkmUnitType::muMM, 300, 12.7, 6.35}, Case{TkmUnitType::muTwips, 72, 720, 360},
                        Case{TkmUnitType::muPoints, 150, 36, 18}}) {
    TempDir local;
    TTextEngine e;
    e.SetFileName(local.File("doc"));
    e.SetReferencePoint(TkmReferencePoint::rpBand);
    e.GetPage().SetLeftMargin(24);
    e.GetPage().SetTopMargin(12);
    e.SetMeasurementUnit(c.unit);
    e.SetInputXRes(c.res);
    e.SetInputYRes(c.res);
    e.BeginDoc();
    e.TextOut(c.x, c.y, u"a");
    e.HTMLTextOut(c.x, c.y, u"a<B>b</B>");
    auto items = e.Recorded();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_DOUBLE_EQ(items[1]->GetX(), items[0]->GetX()) << static_cast<int>(c.unit) << " at " << c.res;
    EXPECT_DOUBLE_EQ(items[1]->GetY(), items[0]->GetY()) << static_cast<int>(c.unit) << " at " << c.res;
    EXPECT_DOUBLE_EQ(items[2]->GetX(), items[0]->GetX() + 10);
    EXPECT_EQ(e.GetMeasurementUnit(), c.unit);
    e.EndDoc();
  }
}

}  // namespace
}  // namespace km::test
