// Drawings recorded with our canvas, interpreted into items: mapping modes,
// world transforms, saved states, clipping, shapes and paths.

#include <gtest/gtest.h>

#include "MetafileTestKit.h"

namespace km::test {
namespace {

struct CanvasCase {
  const char* name;
  int inputRes;
  std::function<void(TMetafileCanvas&)> draw;
  std::vector<std::string> expected;  // the items, EOF last
};

void Line(TMetafileCanvas& c, int x1, int y1, int x2, int y2) {
  c.MoveTo(x1, y1);
  c.LineTo(x2, y2);
}

const std::vector<CanvasCase>& CanvasCases() {
  static const std::vector<CanvasCase> cases = {
      {"LineAtScreenResolution", 96, [](TMetafileCanvas& c) { Line(c, 10, 10, 20, 10); },
       {"Line 10,10 20,10 P000000/1", "EOF"}},
      {"LineAtFourTimesScreenResolution", 384, [](TMetafileCanvas& c) { Line(c, 400, 400, 800, 400); },
       {"Line 100,100 200,100 P000000/1", "EOF"}},
      {"AnisotropicHalvesWindowExtent", 96,
       [](TMetafileCanvas& c) {
         c.SetMapMode(MM_ANISOTROPIC);
         c.SetWindowExtEx(1000, 1000);
         c.SetViewportExtEx(500, 500);
         Line(c, 200, 0, 400, 100);
       },
       {"Line 100,0 200,50 P000000/1", "EOF"}},
      {"AnisotropicAtFourTimesResolution", 384,
       [](TMetafileCanvas& c) {
         c.SetMapMode(MM_ANISOTROPIC);
         c.SetWindowExtEx(1000, 1000);
         c.SetViewportExtEx(500, 500);
         Line(c, 200, 0, 400, 0);
       },
       {"Line 25,0 50,0 P000000/1", "EOF"}},
      {"AnisotropicAxesScaleApart", 96,
       [](TMetafileCanvas& c) {
         c.SetMapMode(MM_ANISOTROPIC);
         c.SetWindowExtEx(100, 100);
         c.SetViewportExtEx(200, 50);
         Line(c, 10, 10, 20, 20);
       },
       {"Line 20,5 40,10 P000000/2", "EOF"}},
      {"IsotropicTakesTheSmallerScale", 96,
       [](TMetafileCanvas& c) {
         c.SetMapMode(MM_ISOTROPIC);
         c.SetWindowExtEx(100, 100);
         c.SetViewportExtEx(200, 50);
         Line(c, 10, 10, 20, 20);
       },
       {"Line 5,5 10,10 P000000/1", "EOF"}},
      {"WindowAndViewportOrigins", 96,
       [](TMetafileCanvas& c) {
         c.SetMapMode(MM_ANISOTROPIC);
         c.SetWindowOrgEx(100, 50);
         c.SetViewportOrgEx(10, 20);
         Line(c, 100, 50, 110, 50);
       },
       {"Line 10,20 20,20 P000000/1", "EOF"}},
      {"ViewportOriginScalesWithInputResolution", 384,
       [](TMetafileCanvas& c) {
         c.SetWindowOrgEx(400, 400);
         c.SetViewportOrgEx(40, 40);
         Line(c, 400, 400, 800, 400);
       },
       {"Line 10,10 110,10 P000000/1", "EOF"}},
      {"TextModeResetsOriginsAndExtents", 96,
       [](TMetafileCanvas& c) {
         c.SetMapMode(MM_ANISOTROPIC);
         c.SetWindowExtEx(10, 10);
         c.SetViewportExtEx(20, 20);
         c.SetWindowOrgEx(5, 5);
         c.SetMapMode(MM_TEXT);
         Line(c, 10, 10, 20, 10);
       },
       {"Line 10,10 20,10 P000000/1", "EOF"}},
      {"LoMetricFlipsYAndMeasuresTenthsOfMillimetres", 96,
       [](TMetafileCanvas& c) {
         c.SetMapMode(MM_LOMETRIC);
         Line(c, 0, 0, 254, -508);
       },
       {"Line 0,0 96,192 P000000/1", "EOF"}},
      {"TwipsMeasureTwentiethsOfAPoint", 96,
       [](TMetafileCanvas& c) {
         c.SetMapMode(MM_TWIPS);
         Line(c, 1440, 0, 2880, -720);
       },
       {"Line 96,0 192,48 P000000/1", "EOF"}},
      {"WorldTransformScalesAndMoves", 96,
       [](TMetafileCanvas& c) {
         c.SetWorldTransform(TXForm{2, 0, 0, 2, 10, 5});
         Line(c, 0, 0, 10, 10);
       },
       {"Line 10,5 30,25 P000000/2", "EOF"}},
      {"WorldTransformRotates", 96,
       [](TMetafileCanvas& c) {
         c.SetWorldTransform(TXForm{0, 1, -1, 0, 100, 0});
         Line(c, 10, 0, 10, 20);
       },
       {"Line 100,10 80,10 P000000/1", "EOF"}},
      {"RotatedRectangleBecomesAPolygon", 96,
       [](TMetafileCanvas& c) {
         c.SetWorldTransform(TXForm{0, 1, -1, 0, 100, 0});
         c.Rectangle(0, 0, 10, 20);
       },
       {"Polygon 100,0 100,10 80,10 80,0 P000000/1 BFFFFFF", "EOF"}},
      {"LeftMultiplyAppliesTheNewTransformFirst", 96,
       [](TMetafileCanvas& c) {
         c.SetWorldTransform(TXForm{1, 0, 0, 1, 10, 0});
         c.ModifyWorldTransform(TXForm{2, 0, 0, 2, 0, 0}, MWT_LEFTMULTIPLY);
         Line(c, 5, 0, 10, 0);
       },
       {"Line 20,0 30,0 P000000/2", "EOF"}},
      {"RightMultiplyAppliesTheNewTransformLast", 96,
       [](TMetafileCanvas& c) {
         c.SetWorldTransform(TXForm{1, 0, 0, 1, 10, 0});
         c.ModifyWorldTransform(TXForm{2, 0, 0, 2, 0, 0}, MWT_RIGHTMULTIPLY);
         Line(c, 5, 0, 10, 0);
       },
       {"Line 30,0 40,0 P000000/2", "EOF"}},
      {"IdentityModeResetsTheTransform", 96,
       [](TMetafileCanvas& c) {
         c.SetWorldTransform(TXForm{3, 0, 0, 3, 7, 7});
         c.ModifyWorldTransform(TXForm{}, MWT_IDENTITY);
         Line(c, 5, 5, 10, 5);
       },
       {"Line 5,5 10,5 P000000/1", "EOF"}},
      {"SaveAndRestoreBringBackPenAndOrigin", 96,
       [](TMetafileCanvas& c) {
         c.GetPen().SetColor(0x0000FF);
         Line(c, 0, 0, 10, 0);
         c.SaveDC();
         c.GetPen().SetColor(0x00FF00);
         c.SetWindowOrgEx(-50, -50);
         Line(c, 0, 0, 10, 0);
         c.RestoreDC(-1);
         Line(c, 0, 0, 10, 0);
       },
       {"Line 0,0 10,0 P0000FF/1", "Line 50,50 60,50 P00FF00/1", "Clip restore", "Line 0,0 10,0 P0000FF/1",
        "EOF"}},
      {"RestoreToAnEarlierSaveDropsTheLaterOnes", 96,
       [](TMetafileCanvas& c) {
         c.SetWindowOrgEx(-1, 0);
         c.SaveDC();
         c.SetWindowOrgEx(-2, 0);
         c.SaveDC();
         c.SetWindowOrgEx(-3, 0);
         c.RestoreDC(1);
         Line(c, 0, 0, 10, 0);
       },
       {"Clip restore", "Line 1,0 11,0 P000000/1", "EOF"}},
      {"IntersectClipRectThenRestore", 96,
       [](TMetafileCanvas& c) {
         c.SaveDC();
         c.IntersectClipRect(TRect{10, 20, 110, 80});
         Line(c, 0, 0, 10, 0);
         c.RestoreDC(-1);
       },
       {"Clip 10,20,110,80 mode1 insert", "Line 0,0 10,0 P000000/1", "Clip restore insert", "EOF"}},
      {"ClipRectangleIsMappedAndRounded", 384,
       [](TMetafileCanvas& c) {
         c.SetWindowOrgEx(-2, 0);
         c.IntersectClipRect(TRect{10, 20, 110, 81});
         c.ResetClip();
       },
       {"Clip 3,5,28,20 mode1 insert", "Clip restore", "EOF"}},
      {"Shapes", 96,
       [](TMetafileCanvas& c) {
         c.GetBrush().SetColor(0x123456);
         c.Rectangle(10, 10, 20, 20);
         c.Ellipse(30, 10, 50, 20);
         c.RoundRect(0, 0, 40, 30, 10, 8);
         c.Arc(0, 0, 10, 10, 10, 5, 0, 5);
         c.Pie(0, 0, 10, 10, 10, 5, 0, 5);
         c.Chord(0, 0, 10, 10, 10, 5, 0, 5);
       },
       {"Rectangle 10,10 21,21 P000000/1 B123456", "Ellipse 30,10 50,20 P000000/1 B123456",
        "RoundRect 0,0 40,30 10,8 P000000/1 B123456", "Arc 0,0 10,10 10,5 0,5 P000000/1",
        "Pie 0,0 10,10 10,5 0,5 P000000/1 B123456", "Chord 0,0 10,10 10,5 0,5 P000000/1 B123456", "EOF"}},
      {"PolyShapes", 96,
       [](TMetafileCanvas& c) {
         const TPoint pts[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
         c.Polygon(pts);
         c.Polyline(pts);
         const TPoint bez[] = {{0, 0}, {5, 10}, {10, 10}, {15, 0}};
         c.PolyBezier(bez);
         const TPoint two[] = {{0, 0}, {10, 0}, {5, 5}, {20, 20}, {30, 20}, {25, 25}};
         const std::int32_t counts[] = {3, 3};
         c.PolyPolygon(two, counts);
       },
       {"Polygon 0,0 10,0 10,10 0,10 P000000/1 BFFFFFF", "PolyLine 0,0 10,0 10,10 0,10 P000000/1",
        "PolyBezier 0,0 5,10 10,10 15,0 P000000/1",
        "PolyPolygon 6 3 3 : 0,0 10,0 5,5 20,20 30,20 25,25 alternate", "EOF"}},
      {"PixelIsALineOfOnePointInItsColour", 96, [](TMetafileCanvas& c) { c.SetPixel(7, 8, 0x00AA00); },
       {"Line 7,8 7,8 P00AA00/1", "EOF"}},
      {"PathBracketsAndFill", 96,
       [](TMetafileCanvas& c) {
         c.SetPolyFillMode(WINDING);
         c.BeginPath();
         Line(c, 0, 0, 10, 0);
         c.LineTo(10, 10);
         c.CloseFigure();
         c.EndPath();
         c.FillPath();
         c.BeginPath();
         c.Rectangle(0, 0, 5, 5);
         c.EndPath();
         c.StrokeAndFillPath();
         c.BeginPath();
         c.EndPath();
         c.StrokePath();
         c.BeginPath();
         c.EndPath();
         c.SelectClipPath();
       },
       {"Path Begin", "Line 0,0 10,0 P000000/1", "Line 10,0 10,10 P000000/1", "Path CloseFigure", "Path End",
        "Path Fill winding", "Path Begin", "Rectangle 0,0 6,6 P000000/1 BFFFFFF", "Path End",
        "Path StrokeAndFill winding", "Path Begin", "Path End", "Path Stroke", "Path Begin", "Path End",
        "Path SelectClip mode1", "EOF"}},
      {"PenWidthStaysInInputUnits", 384,
       [](TMetafileCanvas& c) {
         c.GetPen().SetWidth(8);
         Line(c, 0, 0, 400, 0);
       },
       {"Line 0,0 100,0 P000000/8", "EOF"}},
      {"PenStylesAndClearBrush", 96,
       [](TMetafileCanvas& c) {
         c.GetPen().SetStyle(TPenStyle::psDash);
         c.GetBrush().SetStyle(TBrushStyle::bsClear);
         c.Ellipse(0, 0, 10, 10);
         c.GetPen().SetStyle(TPenStyle::psClear);
         c.GetBrush().SetStyle(TBrushStyle::bsCross);
         c.GetBrush().SetColor(0x0000FF);
         c.Ellipse(0, 0, 10, 10);
       },
       {"Ellipse 0,0 10,10 P000000/1/dash BFFFFFF/clear", "Ellipse 0,0 10,10 P000000/1/clear B0000FF/cross",
        "EOF"}},
  };
  return cases;
}

class CanvasItems : public ::testing::TestWithParam<CanvasCase> {};

TEST_P(CanvasItems, BecomeTheExpectedItems) {
  const CanvasCase& c = GetParam();
  ItemsFixture fx(c.inputRes);
  const std::vector<std::string> items = fx.Run(RecordOnCanvas(c.draw));
  EXPECT_EQ(items, c.expected);
  EXPECT_EQ(fx.LastResult.Status, TEmfReadStatus::rsComplete);
  EXPECT_EQ(fx.LastResult.Skipped, 0u);
}

INSTANTIATE_TEST_SUITE_P(Metafile, CanvasItems, ::testing::ValuesIn(CanvasCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// The offset given to the interpreter moves every position, clip rectangles included.
TEST(MetafileItems, StartOffsetMovesEveryPosition) {
  ItemsFixture fx;
  const auto emf = RecordOnCanvas([](TMetafileCanvas& c) {
    c.IntersectClipRect(TRect{0, 0, 10, 10});
    Line(c, 0, 0, 10, 0);
  });
  EXPECT_EQ(fx.Run(emf, 100.5, 200),
            (std::vector<std::string>{"Clip 100,200,110,210 mode1 insert", "Line 100.5,200 110.5,200 P000000/1",
                                      "EOF"}));
}

// With shapes switched off only the records without that condition remain.
TEST(MetafileItems, ShapesOffLeavesPathsClipsAndBeziers) {
  ItemsFixture fx;
  fx.Engine.SetItemsToRender({TkmItemsToRenderKind::irText, TkmItemsToRenderKind::irImage});
  const auto emf = RecordOnCanvas([](TMetafileCanvas& c) {
    c.BeginPath();
    Line(c, 0, 0, 10, 0);
    c.Rectangle(0, 0, 5, 5);
    const TPoint bez[] = {{0, 0}, {5, 10}, {10, 10}, {15, 0}};
    c.PolyBezier(bez);
    c.EndPath();
    c.IntersectClipRect(TRect{0, 0, 10, 10});
  });
  EXPECT_EQ(fx.Run(emf), (std::vector<std::string>{"Path Begin", "PolyBezier 0,0 5,10 10,10 15,0 P000000/1",
                                                   "Path End", "Clip 0,0,10,10 mode1 insert", "EOF"}));
}

}  // namespace
}  // namespace km::test
