// Shape recording (items, points, pens and brushes, gating, bands) and the
// base engine's raster fallback encoders.

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <optional>

#include "RecordingEngine.h"
#include "kmBitmap.h"
#include "kmScreen.h"

namespace km::test {
namespace {

// The shape items of the current page, in order.
std::vector<TkmShapeItem*> Shapes(TkmCustomDocumentEngine& e) {
  std::vector<TkmShapeItem*> out;
  for (auto& item : *e.GetCurrentDocumentItemList())
    if (auto* s = dynamic_cast<TkmShapeItem*>(item.get())) out.push_back(s);
  return out;
}

class DrawingTest : public ::testing::Test {
 protected:
  DrawingTest() {
    engine.GetPreferences().SetShowSetupDialog(false);
    engine.GetPreferences().SetOpenAfterCreate(false);
    engine.SetFileName(dir.File("doc"));
  }
  // Pixel input at screen resolution, positions from the page corner: the
  // recorded points equal the given ones.
  void BeginPixels() {
    engine.SetMeasurementUnit(TkmUnitType::muPixels);
    engine.SetReferencePoint(TkmReferencePoint::rpPage);
    engine.BeginDoc();
  }

  ScopedScreenResolution screen{96, 96};
  TempDir dir;
  TRecordingEngine engine;
};

struct RecordCase {
  const char* name;
  std::function<void(TkmCustomDocumentEngine&)> call;
  TkmShapeType type;
  std::vector<TkmPoint> points;
  bool filled;
};

TEST_F(DrawingTest, EveryShapeOperationRecordsItsPointsPenAndBrush) {
  const std::vector<TkmPoint> poly = {{1, 2}, {30, 4}, {15, 40}};
  const std::vector<TkmPoint> bez = {{0, 0}, {10, 0}, {20, 10}, {20, 20}};
  const std::vector<RecordCase> cases = {
      {"line", [](auto& e) { e.Line(1, 2, 3, 4); }, TkmShapeType::stLine, {{1, 2}, {3, 4}}, false},
      {"rect filled", [](auto& e) { e.Rectangle(1, 2, 3, 4, true); }, TkmShapeType::stRectangle,
       {{1, 2}, {3, 4}}, true},
      {"rect open", [](auto& e) { e.Rectangle(1, 2, 3, 4, false); }, TkmShapeType::stRectangle,
       {{1, 2}, {3, 4}}, false},
      {"roundrect", [](auto& e) { e.RoundRect(1, 2, 30, 40, 5, 6, true); }, TkmShapeType::stRoundRect,
       {{1, 2}, {30, 40}, {5, 6}}, true},
      {"ellipse", [](auto& e) { e.Ellipse(5, 6, 7, 8, false); }, TkmShapeType::stEllipse, {{5, 6}, {7, 8}}, false},
      {"polygon", [&](auto& e) { e.Polygon(poly, true); }, TkmShapeType::stPolygon, poly, true},
      {"polyline", [&](auto& e) { e.PolyLine(poly); }, TkmShapeType::stPolyLine, poly, false},
      {"arc", [](auto& e) { e.Arc(0, 0, 10, 10, 10, 5, 5, 0); }, TkmShapeType::stArc,
       {{0, 0}, {10, 10}, {10, 5}, {5, 0}}, false},
      {"pie", [](auto& e) { e.Pie(0, 0, 10, 10, 10, 5, 5, 0, true); }, TkmShapeType::stPie,
       {{0, 0}, {10, 10}, {10, 5}, {5, 0}}, true},
      {"chord", [](auto& e) { e.Chord(0, 0, 10, 10, 10, 5, 5, 0, false); }, TkmShapeType::stChord,
       {{0, 0}, {10, 10}, {10, 5}, {5, 0}}, false},
      {"bezier", [&](auto& e) { e.PolyBezier(bez); }, TkmShapeType::stPolyBezier, bez, false},
  };
  BeginPixels();
  engine.GetPen().SetColor(clRed);
  engine.GetPen().SetWidth(3);
  engine.GetBrush().SetColor(clBlue);
  for (const RecordCase& c : cases) c.call(engine);
  // Later changes of the engine's pen and brush do not reach recorded items.
  engine.GetPen().SetColor(clGreen);
  engine.GetBrush().SetColor(clYellow);
  const auto shapes = Shapes(engine);
  ASSERT_EQ(shapes.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    EXPECT_EQ(shapes[i]->GetShapeType(), cases[i].type);
    EXPECT_EQ(shapes[i]->GetPoints(), cases[i].points);
    EXPECT_EQ(shapes[i]->GetNoPoints(), static_cast<int>(cases[i].points.size()));
    EXPECT_EQ(shapes[i]->GetPen().GetColor(), clRed);
    EXPECT_EQ(shapes[i]->GetPen().GetWidth(), 3);
    ASSERT_EQ(shapes[i]->GetBrush() != nullptr, cases[i].filled);
    if (cases[i].filled) {
      EXPECT_EQ(shapes[i]->GetBrush()->GetColor(), clBlue);
    }
  }
  engine.EndDoc();
}

TEST_F(DrawingTest, ShapesAreGatedByDocumentCapabilityAndItemsToRender) {
  engine.SetMeasurementUnit(TkmUnitType::muPixels);
  engine.Line(0, 0, 1, 1);  // no document yet: ignored without error
  BeginPixels();
  engine.SetItemsToRender({TkmItemsToRenderKind::irText, TkmItemsToRenderKind::irImage});
  const TkmPoint pts[] = {{0, 0}, {5, 5}, {0, 5}};
  engine.Line(0, 0, 1, 1);
  engine.Rectangle(0, 0, 1, 1, true);
  engine.Polygon(pts, true);
  engine.Arc(0, 0, 10, 10, 10, 5, 5, 0);  // an arc ignores ItemsToRender
  auto shapes = Shapes(engine);
  ASSERT_EQ(shapes.size(), 1u);
  EXPECT_EQ(shapes[0]->GetShapeType(), TkmShapeType::stArc);

  engine.SetItemsToRender({TkmItemsToRenderKind::irShape});
  engine.SetCapabilities({TkmCapabilityKind::ckText});
  engine.Line(0, 0, 1, 1);
  engine.Arc(0, 0, 10, 10, 10, 5, 5, 0);
  EXPECT_EQ(Shapes(engine).size(), 1u);
  engine.EndDoc();
}

TEST_F(DrawingTest, PositionsFollowTheBandAndTheCornerSizeDoesNot) {
  engine.SetMeasurementUnit(TkmUnitType::muInches);
  engine.GetPage().SetLeftMargin(1);
  engine.GetPage().SetTopMargin(0.5);
  engine.GetPage().SetHeaderHeight(0.25);
  engine.GetPage().SetFooterHeight(0.5);
  engine.GetPage().SetBottomMargin(0.5);
  engine.BeginDoc();
  const TkmPageSettings& page = engine.GetPages(0)->GetSettings();
  const double footerTop = page.NativeHeight() - page.NativeBottomMargin() - page.NativeFooterHeight();

  engine.Line(0, 0, 1, 0);
  engine.RoundRect(0, 0, 1, 1, 0.5, 0.25, false);
  engine.BeginFooter();
  engine.Line(0, 0, 1, 0);
  engine.RoundRect(0, 0, 1, 1, 0.5, 0.25, false);
  engine.EndFooter();

  const auto content = Shapes(engine);
  ASSERT_EQ(content.size(), 2u);
  EXPECT_EQ(content[0]->GetPoints()[0], (TkmPoint{96, 72}));
  EXPECT_EQ(content[0]->GetPoints()[1], (TkmPoint{192, 72}));
  EXPECT_EQ(content[1]->GetPoints()[2], (TkmPoint{48, 24}));

  std::vector<TkmShapeItem*> footer;
  for (auto& item : engine.GetFooterItem()->GetDocumentItems())
    footer.push_back(dynamic_cast<TkmShapeItem*>(item.get()));
  ASSERT_EQ(footer.size(), 2u);
  EXPECT_EQ(footer[0]->GetPoints()[0], (TkmPoint{96, footerTop}));
  EXPECT_EQ(footer[1]->GetPoints()[2], (TkmPoint{48, 24}));
  engine.EndDoc();
}

TEST_F(DrawingTest, ShapeItemsReachTheirEncoders) {
  BeginPixels();
  const TkmPoint two[] = {{0, 0}, {1, 1}};
  engine.Rectangle(0, 0, 5, 5, false);
  engine.Rectangle(0, 0, 5, 5, true);
  engine.RoundRect(0, 0, 20, 20, 4, 6, true);
  engine.PolyLine(two);
  engine.PolyBezier({});  // no points: skipped by the dispatcher
  engine.Chord(0, 0, 10, 10, 10, 5, 5, 0, true);
  engine.EndDoc();
  const std::vector<std::string> want = {"Rect", "Rect filled", "RoundRect 4,6", "PolyLine 2", "Chord"};
  std::vector<std::string> got;
  for (const auto& line : engine.Log)
    if (line.rfind("Rect", 0) == 0 || line.rfind("Round", 0) == 0 || line.rfind("Poly", 0) == 0 ||
        line.rfind("Chord", 0) == 0)
      got.push_back(line);
  EXPECT_EQ(got, want);
}

// ---------------------------------------------------------------------------
// Raster fallback: an engine that keeps the base shape encoders and collects
// the bitmaps they produce.
class TBitmapSinkEngine : public TkmCustomPlainSheetEngine {
 public:
  struct Shot {
    double x, y;
    TBitmap bitmap;
  };
  std::vector<Shot> Shots;
  void EncodeShapeBitmap(double X, double Y, TBitmap& Bitmap) override { Shots.push_back({X, Y, Bitmap}); }

  // The colour the fallback painted at native position (x, y); nullopt where
  // the bitmap is transparent or does not reach.
  std::optional<TColor> At(double x, double y) const {
    for (const Shot& s : Shots) {
      const int bx = static_cast<int>(x - s.x), by = static_cast<int>(y - s.y);
      if (bx < 0 || by < 0 || bx >= s.bitmap.GetWidth() || by >= s.bitmap.GetHeight()) continue;
      const TColor c = s.bitmap.GetPixel(bx, by);
      if (s.bitmap.GetTransparent() && c == s.bitmap.GetTransparentColor()) continue;
      return c;
    }
    return std::nullopt;
  }
};

TPen MakePen(TColor c, int width, TPenStyle style = TPenStyle::psSolid) {
  TPen p;
  p.SetColor(c);
  p.SetWidth(width);
  p.SetStyle(style);
  return p;
}

TBrush MakeBrush(TColor c, TBrushStyle style = TBrushStyle::bsSolid) {
  TBrush b;
  b.SetColor(c);
  b.SetStyle(style);
  return b;
}

TEST(RasterFallbackTest, AHorizontalLineIsAsHighAsItsPen) {
  TBitmapSinkEngine e;
  e.EncodeLine(10, 20, 50, 20, MakePen(clRed, 3));
  ASSERT_EQ(e.Shots.size(), 1u);
  EXPECT_GE(e.Shots[0].bitmap.GetHeight(), 3);
  EXPECT_EQ(e.At(30, 20), clRed);
  EXPECT_EQ(e.At(30, 21), clRed);  // the pen's width reaches below the line
  EXPECT_EQ(e.At(30, 25), std::nullopt);

  TBitmapSinkEngine thin;
  thin.EncodeLine(10, 20, 50, 20, MakePen(clBlue, 0));
  EXPECT_EQ(thin.At(30, 20), clBlue);
}

struct FallbackCase {
  const char* name;
  std::function<void(TBitmapSinkEngine&, const TPen&, const TBrush*)> draw;
  TkmPoint inside, outside, onStroke;
};

TEST(RasterFallbackTest, ShapesFillWithTheBrushAndStrokeWithThePen) {
  const std::vector<TkmPoint> tri = {{10, 10}, {90, 10}, {50, 90}};
  const std::vector<FallbackCase> cases = {
      {"rect", [](auto& e, auto& p, auto* b) { e.EncodeRect(10, 10, 90, 60, p, b); }, {50, 35}, {95, 35}, {10, 35}},
      {"roundrect", [](auto& e, auto& p, auto* b) { e.EncodeRoundRect(10, 10, 90, 60, 20, 20, p, b); },
       {50, 35}, {11, 11}, {50, 10}},
      {"ellipse", [](auto& e, auto& p, auto* b) { e.EncodeEllipse(10, 10, 90, 60, p, b); }, {50, 35}, {12, 12},
       {50, 10}},
      {"polygon", [&](auto& e, auto& p, auto* b) { e.EncodePolyLine(tri, true, p, b); }, {50, 30}, {15, 80},
       {50, 10}},
      // Pie of the right half: from the ray through (90, 10) counter-clockwise to (90, 110).
      {"pie", [](auto& e, auto& p, auto* b) { e.EncodePie(10, 10, 90, 90, 50, 90, 50, 10, p, b); }, {70, 50},
       {30, 50}, {50, 30}},
      {"chord", [](auto& e, auto& p, auto* b) { e.EncodeChord(10, 10, 90, 90, 50, 90, 50, 10, p, b); }, {70, 50},
       {30, 50}, {50, 30}},
  };
  const TBrush solid = MakeBrush(clBlue);
  const TBrush clear = MakeBrush(clBlue, TBrushStyle::bsClear);
  for (const FallbackCase& c : cases) {
    SCOPED_TRACE(c.name);
    TBitmapSinkEngine filled;
    c.draw(filled, MakePen(clRed, 1), &solid);
    ASSERT_EQ(filled.Shots.size(), 1u);
    EXPECT_EQ(filled.At(c.inside.X, c.inside.Y), clBlue);
    EXPECT_EQ(filled.At(c.outside.X, c.outside.Y), std::nullopt);
    EXPECT_EQ(filled.At(c.onStroke.X, c.onStroke.Y), clRed);

    TBitmapSinkEngine hollow;  // a clear brush and a missing brush fill nothing
    c.draw(hollow, MakePen(clRed, 1), &clear);
    EXPECT_EQ(hollow.At(c.inside.X, c.inside.Y), std::nullopt);
    TBitmapSinkEngine none;
    c.draw(none, MakePen(clRed, 1), nullptr);
    EXPECT_EQ(none.At(c.inside.X, c.inside.Y), std::nullopt);
    EXPECT_EQ(none.At(c.onStroke.X, c.onStroke.Y), clRed);

    TBitmapSinkEngine penless;  // a clear pen strokes nothing
    c.draw(penless, MakePen(clRed, 1, TPenStyle::psClear), &solid);
    EXPECT_NE(penless.At(c.onStroke.X, c.onStroke.Y), clRed);
  }
}

TEST(RasterFallbackTest, BitmapOriginIsTheShapeCornerLessThePenReach) {
  TBitmapSinkEngine e;
  const TBrush solid = MakeBrush(clBlue);
  e.EncodeRect(100, 200, 140, 230, MakePen(clRed, 5), &solid);
  ASSERT_EQ(e.Shots.size(), 1u);
  EXPECT_LE(e.Shots[0].x, 100 - 2);
  EXPECT_LE(e.Shots[0].y, 200 - 2);
  EXPECT_GE(e.Shots[0].x + e.Shots[0].bitmap.GetWidth(), 140 + 2);
  EXPECT_EQ(e.At(120, 215), clBlue);
}

TEST(RasterFallbackTest, PolyPolygonDrawsOnlyPolygonsThePointsHold) {
  TkmPolyPolygonItem item;
  item.SetNoPoly(2);
  item.SetNoPoints();
  item.GetNoPoints() = {8, 4, 4};
  item.SetPoints();
  item.GetPointArray() = {{10, 10}, {50, 10}, {50, 50}, {10, 50}, {60, 10}, {90, 10}, {90, 40}, {60, 40}};
  item.SetPen(MakePen(clRed, 1));
  item.SetBrush(MakeBrush(clBlue));
  TBitmapSinkEngine e;
  e.EncodePolyPolygon(item);
  EXPECT_EQ(e.At(30, 30), clBlue);
  EXPECT_EQ(e.At(75, 25), clBlue);

  // Counts that claim more points than the item holds: the second polygon
  // is dropped, nothing is read past the array.
  item.GetNoPoints() = {8, 4, 400};
  TBitmapSinkEngine cut;
  cut.EncodePolyPolygon(item);
  EXPECT_EQ(cut.At(30, 30), clBlue);
  EXPECT_EQ(cut.At(75, 25), std::nullopt);

  item.GetNoPoints() = {0, -3, 5};
  TBitmapSinkEngine none;
  none.EncodePolyPolygon(item);
  EXPECT_TRUE(none.Shots.empty());
}

TEST(RasterFallbackTest, BezierArcPolylineAndPolyPolyline) {
  TBitmapSinkEngine e;
  const TkmPoint bez[] = {{10, 10}, {10, 10}, {90, 10}, {90, 10}, {0, 0}};  // a straight cubic plus a stray point
  e.EncodePolyBezier(bez, MakePen(clRed, 1));
  ASSERT_EQ(e.Shots.size(), 1u);
  EXPECT_EQ(e.At(50, 10), clRed);
  e.EncodePolyBezier(std::span<const TkmPoint>(bez, 3), MakePen(clRed, 1));
  EXPECT_EQ(e.Shots.size(), 1u);  // fewer than four points draw nothing

  TBitmapSinkEngine arc;
  arc.EncodeArc(10, 10, 90, 90, 90, 50, 10, 50, MakePen(clRed, 1));  // upper half
  EXPECT_EQ(arc.At(50, 10), clRed);
  EXPECT_EQ(arc.At(50, 89), std::nullopt);

  TBitmapSinkEngine poly;
  const TkmPoint open[] = {{10, 10}, {90, 10}, {90, 90}};
  const TBrush solid = MakeBrush(clBlue);
  poly.EncodePolyLine(open, false, MakePen(clRed, 1), &solid);  // a polyline never fills
  EXPECT_EQ(poly.At(70, 30), std::nullopt);
  EXPECT_EQ(poly.At(90, 50), clRed);

  TkmPolyShapeItem shapes;
  for (int k = 0; k < 2; ++k) {
    auto s = std::make_unique<TkmShapeItem>(true, TkmShapeType::stPolygon);
    const double o = 50.0 * k;
    const TkmPoint sq[] = {{10 + o, 10}, {40 + o, 10}, {40 + o, 40}, {10 + o, 40}};
    s->SetPoints(sq);
    s->SetPen(MakePen(clRed, 1));
    s->SetBrush(solid);
    shapes.GetShapes().push_back(std::move(s));
  }
  TBitmapSinkEngine pp;
  pp.EncodePolyPolyline(shapes, true);
  EXPECT_EQ(pp.At(25, 25), clBlue);
  EXPECT_EQ(pp.At(75, 25), clBlue);
  EXPECT_EQ(pp.At(45, 25), std::nullopt);
}

}  // namespace
}  // namespace km::test

namespace km::test {
namespace {

TEST(RasterFallbackTest, ShapesTooLargeOrNotFiniteAreNotRasterised) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  TBitmapSinkEngine e;
  const TBrush solid = MakeBrush(clBlue);
  e.EncodeRect(0, 0, 1e12, 10, MakePen(clRed, 1), &solid);
  e.EncodeLine(0, 0, inf, 0, MakePen(clRed, 1));
  e.EncodeEllipse(nan, 0, 10, 10, MakePen(clRed, 1), &solid);
  e.EncodeLine(0, 0, 10, 0, MakePen(clRed, 1 << 30));
  EXPECT_TRUE(e.Shots.empty());
  // Far-off ray points of an arc inside a small box are no obstacle.
  e.EncodeArc(10, 10, 90, 90, 1e300, 50, -1e300, 50, MakePen(clRed, 1));
  ASSERT_EQ(e.Shots.size(), 1u);
  EXPECT_EQ(e.At(50, 10), clRed);
}

}  // namespace
}  // namespace km::test
