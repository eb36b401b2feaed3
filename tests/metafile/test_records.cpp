// Records written by hand: stock objects, the object table, counts that lie,
// zero extents and denominators, saved-state stacks, region clips and the
// input-resolution independence of sizes that are not positions.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "MetafileTestKit.h"
#include "kmEmfTypes.h"

namespace km::test {
namespace {

using namespace km::emf;
using Lines = std::vector<std::string>;

constexpr std::int64_t kStock = 0x80000000;
constexpr std::int64_t kRed = 0x0000FF, kGreen = 0x00FF00;

// A line from (0, 0) to (10, 0) with whatever pen is selected.
EmfBuilder& TestLine(EmfBuilder& b) { return b.Rec(EMR_MOVETOEX, {0, 0}).Rec(EMR_LINETO, {10, 0}); }

struct RecordCase {
  const char* name;
  std::function<void(EmfBuilder&)> build;
  Lines expected;
  std::size_t skipped;  // records the interpreter had to pass over
};

const std::vector<RecordCase>& ObjectCases() {
  static const std::vector<RecordCase> cases = {
      {"ObjectCreatedBeyondTheListLandsAtItsIndex",
       [](EmfBuilder& b) {
         b.Rec(EMR_CREATEPEN, {5, 0, 1, 0, kRed}).Rec(EMR_SELECTOBJECT, {5});
         TestLine(b);
       },
       {"Line 0,0 10,0 P0000FF/1"}, 0},
      {"IndexZeroAndIndexesPastTheHandleCountAreIgnored",
       [](EmfBuilder& b) {
         b.Rec(EMR_CREATEPEN, {0, 0, 1, 0, kRed})
             .Rec(EMR_CREATEPEN, {8, 0, 1, 0, kGreen})
             .Rec(EMR_CREATEPEN, {0x7FFFFFFF, 0, 1, 0, kGreen})
             .Rec(EMR_SELECTOBJECT, {8})
             .Rec(EMR_SELECTOBJECT, {0x7FFFFFFF});
         TestLine(b);
       },
       {"Line 0,0 10,0 P000000/1"}, 3},
      {"DeletingAnUnknownHandleIsIgnored",
       [](EmfBuilder& b) {
         b.Rec(EMR_DELETEOBJECT, {3}).Rec(EMR_DELETEOBJECT, {0xFFFFFFF}).Rec(EMR_DELETEOBJECT, {0});
         b.Rec(EMR_CREATEPEN, {1, 0, 1, 0, kRed}).Rec(EMR_SELECTOBJECT, {1});
         TestLine(b);
       },
       {"Line 0,0 10,0 P0000FF/1"}, 0},
      {"SelectingADeletedObjectSelectsNothing",
       [](EmfBuilder& b) {
         b.Rec(EMR_CREATEPEN, {1, 0, 1, 0, kRed}).Rec(EMR_DELETEOBJECT, {1}).Rec(EMR_SELECTOBJECT, {1});
         TestLine(b);
       },
       {"Line 0,0 10,0 P000000/1"}, 0},
      {"ARecreatedHandleHoldsTheNewObject",
       [](EmfBuilder& b) {
         b.Rec(EMR_CREATEPEN, {2, 0, 1, 0, kRed}).Rec(EMR_CREATEPEN, {2, 1, 3, 0, kGreen}).Rec(EMR_SELECTOBJECT, {2});
         TestLine(b);
       },
       {"Line 0,0 10,0 P00FF00/3/dash"}, 0},
      {"PenStyleOutsideTheKnownOnesIsSolidAndZeroWidthStaysZero",
       [](EmfBuilder& b) {
         b.Rec(EMR_CREATEPEN, {1, 9, 0, 0, kRed}).Rec(EMR_SELECTOBJECT, {1});
         TestLine(b);
       },
       {"Line 0,0 10,0 P0000FF/0"}, 0},
      {"PaletteColoursBecomeBlack",
       [](EmfBuilder& b) {
         b.Rec(EMR_CREATEPEN, {1, 0, 1, 0, 0x01000005}).Rec(EMR_SELECTOBJECT, {1});
         TestLine(b);
       },
       {"Line 0,0 10,0 P000000/1"}, 0},
      {"NopMixShowsTheRectangleOutlineInTheBackgroundColour",
       [](EmfBuilder& b) {
         b.Rec(EMR_SETBKCOLOR, {0x112233}).Rec(EMR_SETROP2, {11}).Rec(EMR_RECTANGLE, {0, 0, 9, 9});
       },
       {"Rectangle 0,0 10,10 P112233/1 BFFFFFF"}, 0},
      {"HatchedAndClearBrushes",
       [](EmfBuilder& b) {
         b.Rec(EMR_CREATEBRUSHINDIRECT, {1, 2, kRed, 3}).Rec(EMR_SELECTOBJECT, {1}).Rec(EMR_ELLIPSE, {0, 0, 4, 4});
         b.Rec(EMR_CREATEBRUSHINDIRECT, {2, 1, kRed, 0}).Rec(EMR_SELECTOBJECT, {2}).Rec(EMR_ELLIPSE, {0, 0, 4, 4});
         b.Rec(EMR_CREATEBRUSHINDIRECT, {3, 2, kRed, 9}).Rec(EMR_SELECTOBJECT, {3}).Rec(EMR_ELLIPSE, {0, 0, 4, 4});
       },
       {"Ellipse 0,0 4,4 P000000/1 B0000FF/bdiag", "Ellipse 0,0 4,4 P000000/1 B0000FF/clear",
        "Ellipse 0,0 4,4 P000000/1 B0000FF"},
       0},
  };
  return cases;
}

const std::vector<RecordCase>& StockCases() {
  auto brush = [](std::int64_t index) {
    return [index](EmfBuilder& b) {
      b.Rec(EMR_CREATEBRUSHINDIRECT, {1, 0, kRed, 0}).Rec(EMR_SELECTOBJECT, {1});
      b.Rec(EMR_SELECTOBJECT, {index}).Rec(EMR_ELLIPSE, {0, 0, 4, 4});
    };
  };
  auto pen = [](std::int64_t index) {
    return [index](EmfBuilder& b) {
      b.Rec(EMR_CREATEPEN, {1, 0, 5, 0, kRed}).Rec(EMR_SELECTOBJECT, {1});
      b.Rec(EMR_SELECTOBJECT, {index});
      TestLine(b);
    };
  };
  static const std::vector<RecordCase> cases = {
      {"WhiteBrush", brush(kStock + 0), {"Ellipse 0,0 4,4 P000000/1 BFFFFFF"}, 0},
      {"IndexZeroIsTheWhiteBrush", brush(0), {"Ellipse 0,0 4,4 P000000/1 BFFFFFF"}, 0},
      {"LightGrayBrush", brush(kStock + 1), {"Ellipse 0,0 4,4 P000000/1 BC0C0C0"}, 0},
      {"GrayBrush", brush(kStock + 2), {"Ellipse 0,0 4,4 P000000/1 B808080"}, 0},
      {"DarkGrayBrush", brush(kStock + 3), {"Ellipse 0,0 4,4 P000000/1 B404040"}, 0},
      {"BlackBrush", brush(kStock + 4), {"Ellipse 0,0 4,4 P000000/1 B000000"}, 0},
      {"NullBrush", brush(kStock + 5), {"Ellipse 0,0 4,4 P000000/1 BFFFFFF/clear"}, 0},
      {"DcBrush", brush(kStock + 18), {"Ellipse 0,0 4,4 P000000/1 BFFFFFF"}, 0},
      {"UnknownStockBrushChangesNothing", brush(kStock + 17), {"Ellipse 0,0 4,4 P000000/1 B0000FF"}, 0},
      {"WhitePen", pen(kStock + 6), {"Line 0,0 10,0 PFFFFFF/1"}, 0},
      {"BlackPen", pen(kStock + 7), {"Line 0,0 10,0 P000000/1"}, 0},
      {"NullPen", pen(kStock + 8), {"Line 0,0 10,0 P000000/1/clear"}, 0},
      {"DcPen", pen(kStock + 19), {"Line 0,0 10,0 P000000/1"}, 0},
      {"StockIndexAbove19ChangesNothing", pen(kStock + 40), {"Line 0,0 10,0 P0000FF/5"}, 0},
  };
  return cases;
}

// Every count is checked against the record's size; a record that lies is
// skipped and the records after it still count.
const std::vector<RecordCase>& CountCases() {
  static const std::vector<RecordCase> cases = {
      {"PointCountPastTheRecord",
       [](EmfBuilder& b) {
         b.Lying(EMR_POLYLINE16, 36, {0, 0, 0, 0, 1000, 0x00050005, 0x00060006});
         TestLine(b);
       },
       {"Line 0,0 10,0 P000000/1"}, 1},
      {"HugePointCountOf32BitPoints",
       [](EmfBuilder& b) {
         b.Lying(EMR_POLYGON, 44, {0, 0, 0, 0, 0xFFFFFFFF, 1, 2});
         TestLine(b);
       },
       {"Line 0,0 10,0 P000000/1"}, 1},
      {"PolygonCountsThatDoNotAddUp",
       [](EmfBuilder& b) {
         // Two polygons of 3 and 4 points but only 6 points in all.
         b.Rec(EMR_POLYPOLYGON16, {0, 0, 0, 0, 2, 6, 3, 4, 1, 2, 3, 4, 5, 6});
         TestLine(b);
       },
       {"Line 0,0 10,0 P000000/1"}, 1},
      {"PolylineCountArrayPastTheRecord",
       [](EmfBuilder& b) {
         b.Rec(EMR_POLYPOLYLINE, {0, 0, 0, 0, 0x40000000, 2, 1, 1, 0, 0, 5, 5});
         TestLine(b);
       },
       {"Line 0,0 10,0 P000000/1"}, 1},
      {"PolyDrawTypesPastTheRecord",
       [](EmfBuilder& b) {
         b.Rec(EMR_POLYDRAW16, {0, 0, 0, 0, 2, 0x00010001, 0x00020002});
         TestLine(b);
       },
       {"Line 0,0 10,0 P000000/1"}, 1},
      {"RegionRectanglesPastTheRegionData",
       [](EmfBuilder& b) {
         std::vector<std::int64_t> words = {48, RGN_AND};
         auto region = RegionWords({{0, 0, 10, 10}});
         region[2] = 5;  // five rectangles claimed, one present
         words.insert(words.end(), region.begin(), region.end());
         b.Rec(EMR_EXTSELECTCLIPRGN, words);
         TestLine(b);
       },
       {"Line 0,0 10,0 P000000/1"}, 1},
      {"RegionDataLongerThanTheRecord",
       [](EmfBuilder& b) {
         std::vector<std::int64_t> words = {4096, RGN_AND};
         auto region = RegionWords({{0, 0, 10, 10}});
         words.insert(words.end(), region.begin(), region.end());
         b.Rec(EMR_EXTSELECTCLIPRGN, words);
         TestLine(b);
       },
       {"Line 0,0 10,0 P000000/1"}, 1},
      {"PaletteEntriesPastTheRecord",
       [](EmfBuilder& b) {
         b.Rec(EMR_CREATEPALETTE, {1, 0x7FFF0300, 0});
         b.Rec(EMR_SELECTPALETTE, {1});
         TestLine(b);
       },
       {"Line 0,0 10,0 P000000/1"}, 1},
      {"RecordTooShortForItsFields",
       [](EmfBuilder& b) {
         b.Rec(EMR_LINETO, {5});
         b.Rec(EMR_ROUNDRECT, {0, 0, 10});
         TestLine(b);
       },
       {"Line 0,0 10,0 P000000/1"}, 2},
      {"EmptyPolygonsAreLeftOut",
       [](EmfBuilder& b) {
         b.Rec(EMR_POLYPOLYGON16, {0, 0, 0, 0, 3, 3, 0, 3, 0, 0x00010001, 0x00020002, 0x00000003});
         b.Rec(EMR_POLYLINE16, {0, 0, 0, 0, 0});
       },
       {"PolyPolygon 3 3 : 1,1 2,2 3,0 alternate"}, 0},
  };
  return cases;
}

// Zero extents and denominators never divide by zero; non-finite transforms
// are refused. The line stays where the plain 1:1 mapping puts it.
const std::vector<RecordCase>& MappingGuardCases() {
  static const std::vector<RecordCase> cases = {
      {"ZeroWindowAndViewportExtentsAreRefused",
       [](EmfBuilder& b) {
         b.Rec(EMR_SETMAPMODE, {MM_ANISOTROPIC}).Rec(EMR_SETWINDOWEXTEX, {0, 0}).Rec(EMR_SETVIEWPORTEXTEX, {0, 5});
         b.Rec(EMR_CREATEPEN, {1, 0, 2, 0, 0}).Rec(EMR_SELECTOBJECT, {1});
         TestLine(b);
       },
       {"Line 0,0 10,0 P000000/2"}, 2},
      {"ZeroDenominatorsAreRefused",
       [](EmfBuilder& b) {
         b.Rec(EMR_SETMAPMODE, {MM_ANISOTROPIC})
             .Rec(EMR_SCALEWINDOWEXTEX, {1, 0, 1, 0})
             .Rec(EMR_SCALEVIEWPORTEXTEX, {3, 0, 1, 1});
         TestLine(b);
       },
       {"Line 0,0 10,0 P000000/1"}, 2},
      {"ScalingToAZeroExtentIsRefused",
       [](EmfBuilder& b) {
         b.Rec(EMR_SETMAPMODE, {MM_ANISOTROPIC}).Rec(EMR_SCALEVIEWPORTEXTEX, {0, 1, 1, 1});
         TestLine(b);
       },
       {"Line 0,0 10,0 P000000/1"}, 1},
      {"ScalingExtentsTruncates",
       [](EmfBuilder& b) {
         b.Rec(EMR_SETMAPMODE, {MM_ANISOTROPIC})
             .Rec(EMR_SETWINDOWEXTEX, {10, 10})
             .Rec(EMR_SETVIEWPORTEXTEX, {10, 10})
             .Rec(EMR_SCALEVIEWPORTEXTEX, {3, 2, 1, 3});  // 15 x 3
         TestLine(b);
       },
       {"Line 0,0 15,0 P000000/1"}, 0},
      {"NonFiniteWorldTransformsAreRefused",
       [](EmfBuilder& b) {
         const float nan = std::numeric_limits<float>::quiet_NaN();
         const float inf = std::numeric_limits<float>::infinity();
         b.Rec(EMR_SETWORLDTRANSFORM, {F(nan), 0, 0, F(1), 0, 0});
         b.Rec(EMR_SETWORLDTRANSFORM, {F(1), 0, 0, F(1), F(inf), 0});
         b.Rec(EMR_SETWORLDTRANSFORM, {F(3e38f), 0, 0, F(3e38f), 0, 0});
         b.Rec(EMR_MODIFYWORLDTRANSFORM, {F(3e38f), 0, 0, F(3e38f), 0, 0, MWT_LEFTMULTIPLY});
         b.Rec(EMR_MODIFYWORLDTRANSFORM, {F(1), 0, 0, F(1), 0, 0, MWT_IDENTITY});
         TestLine(b);
       },
       {"Line 0,0 10,0 P000000/1"}, 3},
      {"HugeCoordinatesAreBounded",
       [](EmfBuilder& b) {
         b.Rec(EMR_SETWORLDTRANSFORM, {F(3e30f), 0, 0, F(-3e30f), 0, 0});
         b.Rec(EMR_CREATEPEN, {1, 0, 5, 0, 0}).Rec(EMR_SELECTOBJECT, {1});
         TestLine(b);
       },
       {"Line 0,0 10000000,0 P000000/1000000"}, 0},
  };
  return cases;
}

const std::vector<RecordCase>& StateCases() {
  // Window origins -1, -2, -3 are saved by three saves; the fourth is current.
  auto threeSaves = [](EmfBuilder& b) {
    for (int k = 1; k <= 3; ++k) b.Rec(EMR_SETWINDOWORGEX, {-k, 0}).Rec(EMR_SAVEDC, {});
    b.Rec(EMR_SETWINDOWORGEX, {-4, 0});
  };
  static const std::vector<RecordCase> cases = {
      {"RestoreMinusTwoPopsTwoStates",
       [threeSaves](EmfBuilder& b) {
         threeSaves(b);
         b.Rec(EMR_RESTOREDC, {-2});
         TestLine(b);
         b.Rec(EMR_RESTOREDC, {-1});
         TestLine(b);
         b.Rec(EMR_RESTOREDC, {-1});
         TestLine(b);
       },
       {"Clip restore", "Line 2,0 12,0 P000000/1", "Clip restore", "Line 1,0 11,0 P000000/1", "Clip restore",
        "Line 1,0 11,0 P000000/1"},
       0},
      {"RestoreByPositiveNumber",
       [threeSaves](EmfBuilder& b) {
         threeSaves(b);
         b.Rec(EMR_RESTOREDC, {2});
         TestLine(b);
         b.Rec(EMR_RESTOREDC, {2});
         TestLine(b);
       },
       {"Clip restore", "Line 2,0 12,0 P000000/1", "Clip restore", "Line 2,0 12,0 P000000/1"}, 0},
      {"RestoreBeyondTheStackOrZeroRestoresNothing",
       [threeSaves](EmfBuilder& b) {
         threeSaves(b);
         b.Rec(EMR_RESTOREDC, {-4}).Rec(EMR_RESTOREDC, {0}).Rec(EMR_RESTOREDC, {4});
         b.Rec(EMR_RESTOREDC, {static_cast<std::int64_t>(INT32_MIN)});
         TestLine(b);
       },
       {"Clip restore", "Clip restore", "Clip restore", "Clip restore", "Line 4,0 14,0 P000000/1"}, 0},
      {"RestoreBringsBackMappingAndTransform",
       [](EmfBuilder& b) {
         b.Rec(EMR_SETMAPMODE, {MM_ANISOTROPIC}).Rec(EMR_SETWINDOWEXTEX, {2, 2}).Rec(EMR_SETVIEWPORTEXTEX, {4, 4});
         b.Rec(EMR_SAVEDC, {});
         b.Rec(EMR_SETMAPMODE, {MM_TEXT}).Rec(EMR_SETWORLDTRANSFORM, {F(3), 0, 0, F(3), 0, 0});
         TestLine(b);
         b.Rec(EMR_RESTOREDC, {-1});
         TestLine(b);
       },
       {"Line 0,0 30,0 P000000/1", "Clip restore", "Line 0,0 20,0 P000000/1"}, 0},
      {"PolylineToAfterMoveToThenLineTo",
       [](EmfBuilder& b) {
         b.Rec(EMR_MOVETOEX, {10, 10});
         b.Poly16(EMR_POLYLINETO16, {20, 10, 20, 20});
         b.Rec(EMR_LINETO, {30, 20});
         b.Poly16(EMR_POLYBEZIERTO16, {40, 20, 40, 30, 30, 30});
         b.Rec(EMR_LINETO, {0, 0});
       },
       {"PolyLine 10,10 20,10 20,20 P000000/1", "Line 20,20 30,20 P000000/1",
        "PolyBezier 30,20 40,20 40,30 30,30 P000000/1", "Line 30,30 0,0 P000000/1"},
       0},
      {"PolyDrawKeepsThePointTypes",
       [](EmfBuilder& b) {
         b.Rec(EMR_POLYDRAW16, {0, 0, 0, 0, 3, 0x00000000, 0x0000000A, 0x000A000A, 0x00030206});
       },
       {"PolyDraw 0,0 10,0 10,10 ops 6 2 3"}, 0},
      {"PolyPolylineBecomesOnePolyShape",
       [](EmfBuilder& b) {
         b.Rec(EMR_POLYPOLYLINE16, {0, 0, 0, 0, 3, 4, 2, 0, 2, 0x00000000, 0x00000005, 0x00010001, 0x00020002});
       },
       {"PolyShape [PolyLine 0,0 5,0 P000000/1] [PolyLine 1,1 2,2 P000000/1]"}, 0},
  };
  return cases;
}

// Region clips carry every rectangle of their region: rectangle 0 holds the
// bounds, rectangles 1..n the region, so a reader of rectangles 1 onwards
// clips to the whole region.
const std::vector<RecordCase>& RegionCases() {
  auto clip = [](std::uint32_t mode, std::vector<TRect> rects) {
    return [mode, rects](EmfBuilder& b) {
      std::vector<std::int64_t> words = {static_cast<std::int64_t>(32 + 16 * rects.size()), mode};
      auto region = RegionWords(rects);
      words.insert(words.end(), region.begin(), region.end());
      b.Rec(EMR_EXTSELECTCLIPRGN, words);
    };
  };
  static const std::vector<RecordCase> cases = {
      {"OneRectangle", clip(RGN_COPY, {{10, 10, 20, 30}}), {"Clip 10,10,20,30 mode5"}, 0},
      {"EveryRectangleOfTheRegion", clip(RGN_AND, {{0, 0, 10, 10}, {20, 0, 30, 10}, {0, 20, 30, 30}}),
       {"Clip 0,0,30,30 0,0,10,10 20,0,30,10 0,20,30,30 mode1"}, 0},
      {"DefaultClip", [](EmfBuilder& b) { b.Rec(EMR_EXTSELECTCLIPRGN, {0, RGN_COPY}); }, {"Clip restore"}, 0},
      {"FillRegionFillsEachRectangle",
       [](EmfBuilder& b) {
         b.Rec(EMR_CREATEBRUSHINDIRECT, {3, 0, kGreen, 0});
         std::vector<std::int64_t> words = {0, 0, 30, 10, 64, 3};
         auto region = RegionWords({{0, 0, 10, 10}, {20, 0, 30, 10}});
         words.insert(words.end(), region.begin(), region.end());
         b.Rec(EMR_FILLRGN, words);
       },
       {"Rectangle 0,0 10,10 P000000/0/clear B00FF00", "Rectangle 20,0 30,10 P000000/0/clear B00FF00"}, 0},
      {"FillRegionWithoutItsBrushUsesTheDefault",
       [](EmfBuilder& b) {
         std::vector<std::int64_t> words = {1, 2, 3, 4, 48, 9};
         auto region = RegionWords({{5, 5, 8, 8}});
         words.insert(words.end(), region.begin(), region.end());
         b.Rec(EMR_FILLRGN, words);
       },
       {"Rectangle 5,5 8,8 P000000/0/clear BFFFFFF"}, 0},
  };
  return cases;
}

void RunCase(const RecordCase& c) {
  EmfBuilder b(8);
  c.build(b);
  ItemsFixture fx;
  Lines expected = c.expected;
  expected.push_back("EOF");
  EXPECT_EQ(fx.Run(b.Bytes()), expected);
  EXPECT_EQ(fx.LastResult.Skipped, c.skipped);
  EXPECT_EQ(fx.LastResult.Status, TEmfReadStatus::rsComplete);
}

// Every table above, each case named by its group.
struct NamedCase {
  std::string name;
  RecordCase c;
};

std::vector<NamedCase> AllRecordCases() {
  const std::pair<const char*, const std::vector<RecordCase>*> groups[] = {
      {"ObjectTable", &ObjectCases()},     {"StockObject", &StockCases()}, {"LyingCount", &CountCases()},
      {"MappingGuard", &MappingGuardCases()}, {"SavedState", &StateCases()}, {"Region", &RegionCases()}};
  std::vector<NamedCase> all;
  for (const auto& [group, cases] : groups)
    for (const RecordCase& c : *cases) all.push_back({std::string(group) + "_" + c.name, c});
  return all;
}

class HandWrittenRecords : public ::testing::TestWithParam<NamedCase> {};
TEST_P(HandWrittenRecords, BecomeTheExpectedItems) { RunCase(GetParam().c); }
INSTANTIATE_TEST_SUITE_P(Metafile, HandWrittenRecords, ::testing::ValuesIn(AllRecordCases()),
                         [](const auto& info) { return info.param.name; });

// The same drawing recorded at 96 and at four times that resolution gives
// the same native geometry; only pen widths stay in input-resolution units.
TEST(MetafileResolution, SizesThatAreNotPositionsScaleWithTheInputResolution) {
  auto drawing = [](int k) {
    EmfBuilder b(8);
    b.Rec(EMR_CREATEPEN, {1, 0, 2 * k, 0, 0}).Rec(EMR_SELECTOBJECT, {1});
    b.Rec(EMR_ROUNDRECT, {10 * k, 10 * k, 50 * k, 40 * k, 8 * k, 6 * k});
    std::vector<std::int64_t> fill = {60 * k, 0, 80 * k, 20 * k, 48, 0};
    auto region = RegionWords({{60 * k, 0, 80 * k, 20 * k}});
    fill.insert(fill.end(), region.begin(), region.end());
    b.Rec(EMR_FILLRGN, fill);
    std::vector<std::int64_t> clip = {64, RGN_AND};
    auto clipRegion = RegionWords({{0, 0, 40 * k, 40 * k}, {50 * k, 50 * k, 90 * k, 90 * k}});
    clip.insert(clip.end(), clipRegion.begin(), clipRegion.end());
    b.Rec(EMR_EXTSELECTCLIPRGN, clip);
    b.Rec(EMR_INTERSECTCLIPRECT, {4 * k, 4 * k, 8 * k, 8 * k});
    return b.Bytes();
  };
  ItemsFixture screen(96), report(384);
  const Lines atScreen = screen.Run(drawing(1));
  const Lines atReport = report.Run(drawing(4));
  const Lines expected = {"RoundRect 10,10 50,40 8,6 P000000/2 BFFFFFF", "Rectangle 60,0 80,20 P000000/0/clear BFFFFFF",
                          "Clip 0,0,90,90 0,0,40,40 50,50,90,90 mode1", "Clip 4,4,8,8 mode1 insert", "EOF"};
  EXPECT_EQ(atScreen, expected);
  Lines expectedReport = expected;
  expectedReport[0] = "RoundRect 10,10 50,40 8,6 P000000/8 BFFFFFF";
  EXPECT_EQ(atReport, expectedReport);
}

// The corner of a rounded rectangle follows the window/viewport and world scale.
TEST(MetafileResolution, RoundRectCornerFollowsTheMapping) {
  EmfBuilder b(8);
  b.Rec(EMR_SETMAPMODE, {MM_ANISOTROPIC}).Rec(EMR_SETWINDOWEXTEX, {10, 10}).Rec(EMR_SETVIEWPORTEXTEX, {20, 30});
  b.Rec(EMR_SETWORLDTRANSFORM, {F(2), 0, 0, F(1), 0, 0});
  b.Rec(EMR_ROUNDRECT, {0, 0, 10, 10, 4, 4});
  ItemsFixture fx;
  EXPECT_EQ(fx.Run(b.Bytes()), (Lines{"RoundRect 0,0 40,30 16,12 P000000/1 BFFFFFF", "EOF"}));
}

TEST(MetafileRecords, ExtendedPenCarriesJoinAndCap) {
  EmfBuilder b(8);
  // Geometric pen (0x10000), bevel join (0x1000), flat cap (0x200), dot style; width 0 counts as 1.
  b.Rec(EMR_EXTCREATEPEN, {1, 0, 0, 0, 0, 0x10000 | 0x1000 | 0x200 | 2, 0, 0, kRed, 0, 0});
  b.Rec(EMR_SELECTOBJECT, {1});
  TestLine(b);
  // A cosmetic pen has neither.
  b.Rec(EMR_EXTCREATEPEN, {2, 0, 0, 0, 0, 0x1000, 3, 0, kGreen, 0, 0});
  b.Rec(EMR_SELECTOBJECT, {2});
  TestLine(b);
  ItemsFixture fx;
  EXPECT_EQ(fx.Run(b.Bytes()), (Lines{"Line 0,0 10,0 P0000FF/1/dot", "Line 0,0 10,0 P00FF00/3", "EOF"}));
  auto* geometric = dynamic_cast<TkmShapeItem*>(fx.Items()[0].get());
  auto* cosmetic = dynamic_cast<TkmShapeItem*>(fx.Items()[1].get());
  ASSERT_TRUE(geometric && cosmetic);
  EXPECT_EQ(geometric->GetPenJoinStyle(), TkmPenJoinStyle::pjsBevel);
  EXPECT_EQ(geometric->GetPenCapStyle(), TkmPenCapStyle::pcsFlat);
  EXPECT_EQ(cosmetic->GetPenJoinStyle(), TkmPenJoinStyle::pjsNone);
  EXPECT_EQ(cosmetic->GetPenCapStyle(), TkmPenCapStyle::pcsNone);
}

// The picture frame's top-left corner is what lands at the start position:
// here a frame from (-25.4 mm, 50.8 mm), 96 device pixels per inch.
TEST(MetafileRecords, FrameOriginIsPlacedAtTheStart) {
  EmfBuilder b(8);
  b.Frame(TRect{-2540, 5080, 10000, 20000});
  b.Rec(EMR_MOVETOEX, {-96, 192}).Rec(EMR_LINETO, {0, 200});
  b.Rec(EMR_INTERSECTCLIPRECT, {-96, 192, 4, 292});
  ItemsFixture fx;
  EXPECT_EQ(fx.Run(b.Bytes(), 10, 20),
            (Lines{"Line 10,20 106,28 P000000/1", "Clip 10,20,110,120 mode1 insert", "EOF"}));
}

// A metafile cut short still closes what it opened, and says why it stopped.
TEST(MetafileRecords, TruncatedMetafileEndsWithAnEndItem) {
  EmfBuilder b(8);
  b.Rec(EMR_INTERSECTCLIPRECT, {0, 0, 5, 5});
  TestLine(b);
  std::vector<std::uint8_t> bytes = b.Bytes(false);
  bytes.resize(bytes.size() - 4);  // the last record now runs past the end
  ItemsFixture fx;
  EXPECT_EQ(fx.Run(bytes), (Lines{"Clip 0,0,5,5 mode1 insert", "EOF"}));
  EXPECT_EQ(fx.LastResult.Status, TEmfReadStatus::rsDamaged);
  EXPECT_FALSE(fx.LastResult.Error.empty());
}

TEST(MetafileRecords, DataThatIsNoMetafileGivesNoItems) {
  ItemsFixture fx;
  const std::vector<std::uint8_t> junk(200, 0x41);
  EXPECT_TRUE(fx.Run(junk).empty());
  EXPECT_EQ(fx.LastResult.Status, TEmfReadStatus::rsNotEmf);
}

TEST(MetafileRecords, AbortedPathThenClipPathAsksForThePageAsPicture) {
  for (bool abort : {false, true}) {
    EmfBuilder b(8);
    b.Rec(EMR_BEGINPATH, {}).Rec(EMR_ENDPATH, {});
    if (abort) b.Rec(EMR_ABORTPATH, {});
    b.Rec(EMR_SELECTCLIPPATH, {RGN_AND});
    ItemsFixture fx;
    fx.Run(b.Bytes());
    EXPECT_EQ(fx.Engine.GetMetafileAsImage(), abort);
    fx.Engine.SetMetafileAsImage(false);
  }
}

}  // namespace
}  // namespace km::test
