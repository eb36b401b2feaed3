// Document items, their dispatch to the encoders, and the table of contents.

#include <gtest/gtest.h>

#include "RecordingEngine.h"

namespace km::test {
namespace {

using Strings = std::vector<std::string>;

TEST(ItemsTest, TextItemDefaults) {
  TkmTextItem item;
  EXPECT_EQ(item.GetWidthOfTheText(), -1.0);
  EXPECT_EQ(item.GetLines().Count(), 0);
  EXPECT_FALSE(item.GetIsClipRect());
  EXPECT_EQ(item.GetAlignment(), TkmHAlignment::haLeft);
  EXPECT_EQ(item.GetBiDiMode(), TBiDiMode::bdLeftToRight);
  EXPECT_EQ(item.GetTextEffects().GetOpacity(), 100);
  EXPECT_EQ(item.GetCenterAndRightAlignTextPos(), (TkmIntPoint{0, 0}));
}

TEST(ItemsTest, ClearingTheClipFlagZeroesTheClipRectangle) {
  TkmTextItem item;
  item.SetClipRect(kmRect(1, 2, 3, 4));
  item.SetIsClipRect(true);
  EXPECT_EQ(item.GetClipRect(), kmRect(1, 2, 3, 4));
  item.SetIsClipRect(false);
  EXPECT_EQ(item.GetClipRect(), TkmRect{});
}

TEST(ItemsTest, ItemsKeepTheirOwnCopiesOfTheAttributes) {
  TFont font;
  font.SetName(u"Before");
  TkmTextItem item;
  item.SetFont(font);
  font.SetName(u"After");
  EXPECT_EQ(item.GetFont().GetName(), u"Before");
  TkmTextEffects effects;
  effects.SetTextRise(TkmTextRise::trSubscript);
  item.SetTextEffects(effects);
  effects.SetTextRise(TkmTextRise::trNormal);
  EXPECT_EQ(item.GetTextEffects().GetTextRise(), TkmTextRise::trSubscript);
}

struct ImageRectCase {
  TkmRect given;
};

class ImageRectTest : public ::testing::TestWithParam<ImageRectCase> {};

TEST_P(ImageRectTest, ImagePlacementIsNormalised) {
  TkmImageItem item(GetParam().given);
  EXPECT_EQ(item.GetX(), 10);
  EXPECT_EQ(item.GetY(), 20);
  EXPECT_EQ(item.GetWidth(), 30);
  EXPECT_EQ(item.GetHeight(), 40);
  EXPECT_EQ(item.GetDisplayRect(), kmRect(10, 20, 40, 60));
  TkmImageStream stream(GetParam().given);
  EXPECT_EQ(stream.GetDisplayRect(), kmRect(10, 20, 40, 60));
  EXPECT_EQ(stream.GetStream().GetSize(), 0);
}

INSTANTIATE_TEST_SUITE_P(Corners, ImageRectTest,
                         ::testing::Values(ImageRectCase{kmRect(10, 20, 40, 60)}, ImageRectCase{kmRect(40, 60, 10, 20)},
                                           ImageRectCase{kmRect(40, 20, 10, 60)}, ImageRectCase{kmRect(10, 60, 40, 20)}));

TEST(ItemsTest, ShapeItemHasABrushOnlyWhenFilled) {
  TkmShapeItem open(false, TkmShapeType::stRectangle);
  EXPECT_EQ(open.GetBrush(), nullptr);
  open.SetBrush(TBrush());
  EXPECT_EQ(open.GetBrush(), nullptr);
  TkmShapeItem filled(true, TkmShapeType::stRectangle);
  ASSERT_NE(filled.GetBrush(), nullptr);
  const TkmPoint points[] = {kmPoint(1, 2), kmPoint(3, 4), kmPoint(5, 6)};
  filled.SetPoints(points);
  EXPECT_EQ(filled.GetNoPoints(), 3);
  EXPECT_EQ(filled.GetPoints()[2], kmPoint(5, 6));
}

TEST(ItemsTest, PolyPolygonPointsAreCheckedAgainstThePointCount) {
  TkmPolyPolygonItem item;
  item.SetNoPoly(2);
  item.SetNoPoints();
  ASSERT_EQ(item.GetNoPoints().size(), 3u);
  item.GetNoPoints() = {5, 3, 2};
  item.SetPoints();
  ASSERT_EQ(item.GetPointArray().size(), 5u);
  item.GetPointArray()[4] = kmPoint(7, 8);
  // Positions past the polygon count are valid points ...
  EXPECT_EQ(item.GetPoints(4), kmPoint(7, 8));
  // ... and positions past the point count are refused.
  EXPECT_EQ(item.GetPoints(5), TkmPoint{});
  EXPECT_EQ(item.GetPoints(-1), TkmPoint{});
  TkmPolyPolygonItem many;
  many.SetNoPoly(4);
  many.SetNoPoints();
  many.GetNoPoints()[0] = 1;
  many.SetPoints();
  EXPECT_EQ(many.GetPoints(2), TkmPoint{});  // below the polygon count, past the points
}

TEST(ItemsTest, ArraySizingOfPathLikeItems) {
  TkmPolyDrawItem draw;
  draw.SetNoPoints(3);
  draw.SetPoints();
  EXPECT_EQ(draw.GetOperations().size(), 3u);
  EXPECT_EQ(draw.GetPoints().size(), 3u);
  TkmClipItem clip;
  clip.SetRects(2);
  clip.PutRect(1, TkmIntRect{1, 2, 3, 4});
  EXPECT_EQ(clip.GetRects(1), (TkmIntRect{1, 2, 3, 4}));
  EXPECT_EQ(clip.GetRects(2), TkmIntRect{});
  TkmPathItem path;
  EXPECT_EQ(path.GetPen(), nullptr);
  path.SetPen(TPen());
  EXPECT_NE(path.GetPen(), nullptr);
}

TEST(ItemsTest, TableItemColumnsAndRows) {
  TkmTableItem table(3, nullptr);
  EXPECT_EQ(table.GetColCount(), 3);
  EXPECT_EQ(table.GetRowCount(), -1);
  EXPECT_EQ(table.GetColumns(3), nullptr);
  TkmColumn column;
  column.SetWidth(50);
  column.SetTitle(u"T");
  table.SetColumns(1, column);
  table.SetColumns(7, column);  // ignored
  EXPECT_EQ(table.GetColumns(1)->GetWidth(), 50);
  EXPECT_EQ(table.GetColumns(1)->GetTitle(), u"T");
  TkmTableSettings settings;
  settings.SetColumnWidth(20);
  settings.SetTitleHeight(5);
  settings.SetEnableTitle(true);
  table.SetSettings(settings);
  for (auto& c : table.GetColumnsList()) EXPECT_EQ(c->GetWidth(), 20);
  table.GetRowHeights() = {10, 12};
  table.SetRowCount(1);
  EXPECT_EQ(table.CalculateRowHeight(), 27);
  EXPECT_EQ(table.GetRowItemsList(0), nullptr);
  TkmParagraphItem para;
  EXPECT_EQ(para.GetParaRunList().size(), 1u);
}

// ---------------------------------------------------------------------------
// Dispatch

class CustomItem : public TkmDocumentItem {};

TEST(DispatchTest, EveryItemClassReachesItsEncoder) {
  TempDir dir;
  TRecordingEngine engine;
  engine.SetFileName(dir.File("doc"));
  engine.BeginDoc();
  auto shape = [](TkmShapeType type, int points, bool fill = false) {
    auto item = std::make_unique<TkmShapeItem>(fill, type);
    std::vector<TkmPoint> p;
    for (int i = 0; i < points; ++i) p.push_back(kmPoint(i, 2 * i));
    item->SetPoints(p);
    return item;
  };
  auto poly = [&](std::vector<TkmShapeType> types) {
    auto item = std::make_unique<TkmPolyShapeItem>();
    for (TkmShapeType t : types) item->GetShapes().push_back(shape(t, 2));
    return item;
  };
  auto text = std::make_unique<TkmTextItem>();
  text->GetLines().Add(u"t");
  engine.AddDocumentItem(std::move(text));
  engine.AddDocumentItem(std::make_unique<TkmTextBoxItem>());
  engine.AddDocumentItem(std::make_unique<TkmImageStream>());
  engine.AddDocumentItem(std::make_unique<TkmImageItem>());
  engine.AddDocumentItem(shape(TkmShapeType::stLine, 2));
  engine.AddDocumentItem(shape(TkmShapeType::stRectangle, 2, true));
  engine.AddDocumentItem(shape(TkmShapeType::stRectangle, 2));
  engine.AddDocumentItem(shape(TkmShapeType::stRoundRect, 3));
  engine.AddDocumentItem(shape(TkmShapeType::stEllipse, 2));
  engine.AddDocumentItem(shape(TkmShapeType::stPolygon, 4));
  engine.AddDocumentItem(shape(TkmShapeType::stPolyLine, 3));
  engine.AddDocumentItem(shape(TkmShapeType::stArc, 4));
  engine.AddDocumentItem(shape(TkmShapeType::stChord, 4));
  engine.AddDocumentItem(shape(TkmShapeType::stPie, 4));
  engine.AddDocumentItem(shape(TkmShapeType::stPolyBezier, 4));
  engine.AddDocumentItem(shape(TkmShapeType::stLine, 0));  // no points: skipped
  // Too few points for the shape type: skipped instead of read past the array.
  engine.AddDocumentItem(shape(TkmShapeType::stLine, 1));
  engine.AddDocumentItem(shape(TkmShapeType::stRoundRect, 2));
  engine.AddDocumentItem(shape(TkmShapeType::stPie, 3));
  engine.AddDocumentItem(poly({}));
  engine.AddDocumentItem(poly({TkmShapeType::stPolygon, TkmShapeType::stPolyLine}));
  engine.AddDocumentItem(poly({TkmShapeType::stPolyLine, TkmShapeType::stPolygon}));
  engine.AddDocumentItem(poly({TkmShapeType::stEllipse}));
  engine.AddDocumentItem(std::make_unique<TkmTableItem>(2, &engine));
  engine.AddDocumentItem(std::make_unique<TkmParagraphItem>());
  engine.AddDocumentItem(std::make_unique<TkmClipItem>());
  engine.AddDocumentItem(std::make_unique<TkmPathItem>());
  engine.AddDocumentItem(std::make_unique<TkmPolyPolygonItem>());
  engine.AddDocumentItem(std::make_unique<TkmEOFItem>());
  engine.AddDocumentItem(std::make_unique<TkmPolyDrawItem>());
  engine.AddDocumentItem(std::make_unique<CustomItem>());
  engine.Log.clear();
  engine.EndDoc();
  const Strings encoded(engine.Log.begin() + 2, engine.Log.end() - 2);
  EXPECT_EQ(encoded, (Strings{"Text t", "TextBox", "ImageStream", "Image", "Line 0,0-1,2 w1", "Rect filled", "Rect",
                              "RoundRect 2,4", "Ellipse", "Polygon 4", "PolyLine 3", "Arc", "Chord", "Pie",
                              "PolyBezier 4", "PolyPolyline closed", "PolyPolyline open", "Table", "Paragraph", "Clip",
                              "Path", "PolyPolygon", "EOF", "PolyDraw", "Custom"}));
}

TEST(DispatchTest, ShapeItemPassesItsJoinAndCapToTheEngine) {
  TempDir dir;
  TRecordingEngine engine;
  engine.SetFileName(dir.File("doc"));
  engine.BeginDoc();
  auto item = std::make_unique<TkmShapeItem>(false, TkmShapeType::stLine);
  item->SetPenJoinStyle(TkmPenJoinStyle::pjsRound);
  item->SetPenCapStyle(TkmPenCapStyle::pcsSquare);
  engine.AddDocumentItem(std::move(item));
  engine.EndDoc();
  EXPECT_EQ(engine.GetPenJoinStyle(), TkmPenJoinStyle::pjsRound);
  EXPECT_EQ(engine.GetPenCapStyle(), TkmPenCapStyle::pcsSquare);
}

// ---------------------------------------------------------------------------
// Table of contents

class TOCTest : public ::testing::Test {
 protected:
  TOCTest() { engine.SetFileName(dir.File("doc")); }
  TempDir dir;
  TRecordingEngine engine;
};

TEST_F(TOCTest, EntriesBeforeBeginDocAreRefused) {
  EXPECT_EQ(engine.AddTOCItem(u"x", -1, 1, 0.0), -1);
  EXPECT_EQ(engine.AddTOCItem(u"x", -1, std::string("http://a")), -1);
  EXPECT_EQ(engine.GetTOCItemList(), nullptr);
}

struct TOCCase {
  int parent;
  int page;
  int result;
};

TEST_F(TOCTest, PageEntriesReferToExistingPagesAndEarlierParents) {
  engine.BeginDoc();
  engine.NewPage();
  engine.NewPage();
  const TOCCase cases[] = {{-1, 4, -1}, {-1, 0, -1}, {-2, 1, -1}, {-1, 3, 0}, {0, 1, 1},
                           {2, 1, -1}, {1, 2, 2},  {3, 1, -1}};
  for (const TOCCase& c : cases)
    EXPECT_EQ(engine.AddTOCItem(u"entry", c.parent, c.page, 1.5), c.result)
        << "parent " << c.parent << " page " << c.page;
  const TkmTOCItemList& list = *engine.GetTOCItemList();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[1]->GetTitle(), u"entry");
  EXPECT_EQ(list[1]->GetParentNode(), 0);
  EXPECT_EQ(list[1]->GetPageNumber(), 1);
  EXPECT_EQ(list[1]->GetY(), 1.5);  // as given, not converted
  EXPECT_EQ(list[1]->GetX(), 0);
}

TEST_F(TOCTest, LinkEntriesHavePageZero) {
  engine.BeginDoc();
  EXPECT_EQ(engine.AddTOCItem(u"site", -1, std::string("http://example.org")), 0);
  EXPECT_EQ(engine.AddTOCItem(u"child", 0, std::string("http://example.org/a")), 1);
  EXPECT_EQ(engine.AddTOCItem(u"bad", 2, std::string("x")), -1);
  EXPECT_EQ(engine.AddTOCItem(u"bad", -2, std::string("x")), -1);
  const TkmTOCItemList& list = *engine.GetTOCItemList();
  EXPECT_EQ(list[0]->GetPageNumber(), 0);
  EXPECT_EQ(list[0]->GetURL(), "http://example.org");
}

TEST_F(TOCTest, EntriesSurvivePageProcessingAndAreReadableInFinish) {
  engine.GetPreferences().SetProcessAfterEachPage(true);
  std::size_t seen = 0;
  engine.OnBeforeEndDoc = [&](TkmCustomDocumentEngine&) { seen = engine.GetTOCItemList()->size(); };
  engine.BeginDoc();
  engine.NewPage();
  engine.NewPage();  // pages 1 and 2 are processed
  EXPECT_EQ(engine.AddTOCItem(u"first", -1, 1, 0.0), 0);
  engine.EndDoc();
  EXPECT_EQ(seen, 1u);
  EXPECT_EQ(engine.GetTOCItemList(), nullptr);
  EXPECT_EQ(engine.AddTOCItem(u"late", -1, 1, 0.0), -1);
}

TEST_F(TOCTest, SecondBeginDocKeepsTheEntries) {
  engine.BeginDoc();
  EXPECT_EQ(engine.AddTOCItem(u"kept", -1, 1, 0.0), 0);
  engine.BeginDoc();
  ASSERT_NE(engine.GetTOCItemList(), nullptr);
  EXPECT_EQ(engine.GetTOCItemList()->size(), 1u);
  EXPECT_EQ(engine.AddTOCItem(u"next", 0, 1, 0.0), 1);
}

TEST_F(TOCTest, PlainSheetPreferencesAddTheHyperlinkSwitch) {
  EXPECT_TRUE(engine.GetPreferences().GetActiveHyperLinks());
  EXPECT_STREQ(engine.GetPreferencesClassName().Name, "TkmPlainSheetPreferences");
  TkmPlainSheetPreferences given;
  given.SetActiveHyperLinks(false);
  given.SetShowSetupDialog(true);
  engine.SetPreferences(given);
  EXPECT_FALSE(engine.GetPreferences().GetActiveHyperLinks());
  EXPECT_TRUE(engine.GetPreferences().GetShowSetupDialog());
  // Reached through the interface as well.
  IkmDocumentSettings& settings = engine;
  EXPECT_NE(dynamic_cast<TkmPlainSheetPreferences*>(&settings.GetPreferences()), nullptr);
}

// The interface reaches the engine's overrides.
TEST(InterfaceTest, InterfaceCallsReachTheOutputEngine) {
  TempDir dir;
  TRecordingEngine engine;
  engine.SetFileName(dir.File("doc"));
  IkmDocumentEngine& intf = engine;
  intf.BeginDoc();
  intf.NewPage();
  EXPECT_EQ(engine.GetPageCount(), 2);
  intf.SetFileName("ignored while started");
  EXPECT_EQ(intf.GetFileName(), dir.File("doc"));
  intf.EndDoc();
  EXPECT_EQ(std::count(engine.Log.begin(), engine.Log.end(), "Finish"), 1);
}

}  // namespace
}  // namespace km::test
