// Measurement units, band rectangles, page settings and the other settings
// objects, and shared settings.

#include <gtest/gtest.h>

#include "RecordingEngine.h"
#include "kmDocSettingsShared.h"
#include "kmScreen.h"

namespace km::test {
namespace {

// ---------------------------------------------------------------------------
// Units

struct UnitCase {
  TkmUnitType unit;
  int ppi;
  double factor;
};

class UnitFactorTest : public ::testing::TestWithParam<UnitCase> {};

TEST_P(UnitFactorTest, EngineFactorFollowsTheUnitAndTheScreen) {
  ScopedScreenResolution screen(GetParam().ppi, GetParam().ppi);
  TRecordingEngine engine;
  engine.SetMeasurementUnit(GetParam().unit);
  EXPECT_NEAR(engine.GetNativeConversionFactor(), GetParam().factor, 1e-9);
  EXPECT_NEAR(engine.GetPage().GetNativeFactor(), GetParam().factor, 1e-9);
  EXPECT_NEAR(engine.GetTextFormatting().GetNativeFactor(), GetParam().factor, 1e-9);
  EXPECT_NEAR(engine.GetTableSettings().GetNativeFactor(), GetParam().factor, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Units, UnitFactorTest,
    ::testing::Values(UnitCase{TkmUnitType::muPixels, 96, 1.0}, UnitCase{TkmUnitType::muInches, 96, 96.0},
                      UnitCase{TkmUnitType::muMM, 96, 96.0 / 72 * 2.83464},
                      UnitCase{TkmUnitType::muPoints, 96, 96.0 / 72}, UnitCase{TkmUnitType::muTwips, 96, 96.0 / 72 * 0.05},
                      UnitCase{TkmUnitType::muInches, 120, 120.0}, UnitCase{TkmUnitType::muMM, 120, 120.0 / 72 * 2.83464},
                      UnitCase{TkmUnitType::muPixels, 120, 1.0}));

struct PositionCase {
  TkmUnitType unit;
  int inputXRes;
  int inputYRes;
  double x, y;
  double nativeX, nativeY;
};

class NativePositionTest : public ::testing::TestWithParam<PositionCase> {};

TEST_P(NativePositionTest, ConvertsCallerPositionsToNativeUnits) {
  ScopedScreenResolution screen(96, 96);
  TRecordingEngine engine;
  const PositionCase& c = GetParam();
  engine.SetMeasurementUnit(c.unit);
  engine.SetInputXRes(c.inputXRes);
  engine.SetInputYRes(c.inputYRes);
  EXPECT_NEAR(engine.NativeXPos(c.x), c.nativeX, 1e-9);
  EXPECT_NEAR(engine.NativeYPos(c.y), c.nativeY, 1e-9);
  const TkmRect r = engine.NativeRect(kmRect(c.x, c.y, 2 * c.x, 2 * c.y));
  EXPECT_NEAR(r.Left, c.nativeX, 1e-9);
  EXPECT_NEAR(r.Top, c.nativeY, 1e-9);
  EXPECT_NEAR(r.Right, 2 * c.nativeX, 1e-9);
  EXPECT_NEAR(r.Bottom, 2 * c.nativeY, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, NativePositionTest,
    ::testing::Values(
        // Pixel input equals native units at the screen resolution ...
        PositionCase{TkmUnitType::muPixels, 96, 96, 50, 70, 50, 70},
        // ... and is scaled by screen / input resolution otherwise: 384 is one inch.
        PositionCase{TkmUnitType::muPixels, 384, 384, 384, 768, 96, 192},
        PositionCase{TkmUnitType::muPixels, 384, 192, 384, 384, 96, 192},
        // Other units ignore the input resolution.
        PositionCase{TkmUnitType::muInches, 384, 384, 1, 2, 96, 192},
        PositionCase{TkmUnitType::muMM, 96, 96, 10, 20, 10 * 96.0 / 72 * 2.83464, 20 * 96.0 / 72 * 2.83464},
        PositionCase{TkmUnitType::muPoints, 96, 96, 72, 36, 96, 48},
        PositionCase{TkmUnitType::muTwips, 96, 96, 1440, 720, 96, 48}));

// ---------------------------------------------------------------------------
// Page settings

TEST(PageSettingsTest, NewEngineHasAnA4PageThatReadsInTheCurrentUnit) {
  ScopedScreenResolution screen(96, 96);
  TRecordingEngine engine;
  EXPECT_EQ(engine.GetMeasurementUnit(), TkmUnitType::muInches);
  EXPECT_EQ(engine.GetPage().GetPaperSize(), TkmPaperSize::A4);
  EXPECT_NEAR(engine.GetPage().GetWidth(), 8.2677, 1e-9);
  EXPECT_NEAR(engine.GetPage().GetHeight(), 11.6929, 1e-9);
  engine.SetMeasurementUnit(TkmUnitType::muMM);
  EXPECT_NEAR(engine.GetPage().GetWidth(), 210.0, 0.01);
  EXPECT_NEAR(engine.GetPage().GetHeight(), 297.0, 0.01);
  engine.SetMeasurementUnit(TkmUnitType::muPixels);
  EXPECT_NEAR(engine.GetPage().GetWidth(), 8.2677 * 96, 1e-9);
}

TEST(PageSettingsTest, OrientationExchangesWidthAndHeightOnce) {
  TRecordingEngine engine;
  TkmPageSettings& page = engine.GetPage();
  page.SetOrientation(TPrinterOrientation::poLandscape);
  EXPECT_NEAR(page.GetWidth(), 11.6929, 1e-9);
  EXPECT_NEAR(page.GetHeight(), 8.2677, 1e-9);
  page.SetOrientation(TPrinterOrientation::poLandscape);
  EXPECT_NEAR(page.GetWidth(), 11.6929, 1e-9);
  page.SetPaperSize(TkmPaperSize::A5);
  EXPECT_NEAR(page.GetWidth(), 8.2677, 1e-9);
  EXPECT_NEAR(page.GetHeight(), 5.8267, 1e-9);
}

TEST(PageSettingsTest, WidthAndHeightAreSetOnlyForCustomPaper) {
  TRecordingEngine engine;
  TkmPageSettings& page = engine.GetPage();
  page.SetWidth(5);
  page.SetHeight(5);
  EXPECT_NEAR(page.GetWidth(), 8.2677, 1e-9);
  page.SetPaperSize(TkmPaperSize::Custom);
  page.SetWidth(5);
  EXPECT_NEAR(page.GetWidth(), 5, 1e-9);
  EXPECT_NEAR(page.GetHeight(), 11.6929, 1e-9);
}

struct PaperCase {
  TkmPaperSize size;
  double width, height;
};

class PaperTableTest : public ::testing::TestWithParam<PaperCase> {};

TEST_P(PaperTableTest, PaperSizeSetsTheTableSize) {
  TRecordingEngine engine;
  engine.GetPage().SetPaperSize(GetParam().size);
  EXPECT_NEAR(engine.GetPage().GetWidth(), GetParam().width, 1e-9);
  EXPECT_NEAR(engine.GetPage().GetHeight(), GetParam().height, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PaperTableTest,
                         ::testing::Values(PaperCase{TkmPaperSize::Letter, 8.5, 11}, PaperCase{TkmPaperSize::Ledger, 17, 11},
                                           PaperCase{TkmPaperSize::A3, 11.6929, 16.5354},
                                           PaperCase{TkmPaperSize::ps11X17, 10, 17},
                                           PaperCase{TkmPaperSize::EnvDL, 4.3307, 8.6614},
                                           PaperCase{TkmPaperSize::EnvB6, 6.9291, 4.9212},
                                           PaperCase{TkmPaperSize::FanfoldUS, 14.875, 11},
                                           PaperCase{TkmPaperSize::ISOB4, 9.8425, 13.8976},
                                           PaperCase{TkmPaperSize::A0, 33.11, 46.81}, PaperCase{TkmPaperSize::A2, 16.54, 23.39}));

TEST(PageSettingsTest, EachPageKeepsTheSettingsItWasOpenedWith) {
  TempDir dir;
  TRecordingEngine engine;
  engine.SetFileName(dir.File("doc"));
  engine.BeginDoc();
  engine.GetPage().SetOrientation(TPrinterOrientation::poLandscape);
  engine.GetPage().SetLeftMargin(1);
  EXPECT_EQ(engine.GetPages(0)->GetSettings().GetOrientation(), TPrinterOrientation::poPortrait);
  engine.NewPage();
  const TkmPageSettings& second = engine.GetPages(1)->GetSettings();
  EXPECT_EQ(second.GetOrientation(), TPrinterOrientation::poLandscape);
  // Native values, factor 1.
  EXPECT_NEAR(second.GetLeftMargin(), 96, 1e-9);
  EXPECT_NEAR(second.GetWidth(), 11.6929 * 96, 1e-9);
  engine.EndDoc();
}

// ---------------------------------------------------------------------------
// Band rectangles

struct BandCase {
  TkmReferencePoint reference;
  TkmBandType band;
  int inputYRes;
  TkmRect expected;  // inches
};

class BandRectTest : public ::testing::TestWithParam<BandCase> {};

// Letter page 8.5 x 11 in; margins left 0.5, right 0.25, top 1, bottom 0.75;
// header 0.5, footer 0.25.
TEST_P(BandRectTest, BandRectangleFollowsReferencePointBandAndInputResolution) {
  ScopedScreenResolution screen(96, 96);
  TempDir dir;
  TRecordingEngine engine;
  engine.SetFileName(dir.File("doc"));
  TkmPageSettings& page = engine.GetPage();
  page.SetPaperSize(TkmPaperSize::Letter);
  page.SetLeftMargin(0.5);
  page.SetRightMargin(0.25);
  page.SetTopMargin(1);
  page.SetBottomMargin(0.75);
  page.SetHeaderHeight(0.5);
  page.SetFooterHeight(0.25);
  engine.SetInputYRes(GetParam().inputYRes);
  engine.BeginDoc();
  engine.SetReferencePoint(GetParam().reference);
  engine.SetBandType(GetParam().band);
  const TkmRect expected = kmRect(GetParam().expected, 96);
  const TkmRect& r = engine.GetBandRect();
  EXPECT_NEAR(r.Left, expected.Left, 1e-9);
  EXPECT_NEAR(r.Top, expected.Top, 1e-9);
  EXPECT_NEAR(r.Right, expected.Right, 1e-9);
  EXPECT_NEAR(r.Bottom, expected.Bottom, 1e-9);
  engine.EndDoc();
}

using RP = TkmReferencePoint;
using BT = TkmBandType;
INSTANTIATE_TEST_SUITE_P(
    Bands, BandRectTest,
    ::testing::Values(
        BandCase{RP::rpPage, BT::btContent, 96, {0, 0, 8.5, 11}}, BandCase{RP::rpPage, BT::btHeader, 384, {0, 0, 8.5, 11}},
        BandCase{RP::rpMargin, BT::btContent, 96, {0.5, 1, 8.25, 10.25}},
        BandCase{RP::rpMargin, BT::btFooter, 384, {0.5, 1, 8.25, 10.25}},
        BandCase{RP::rpBand, BT::btContent, 96, {0.5, 1.5, 8.25, 10}},
        BandCase{RP::rpBand, BT::btHeader, 96, {0.5, 1, 8.25, 1.5}},
        BandCase{RP::rpBand, BT::btFooter, 96, {0.5, 10, 8.25, 10.25}},
        BandCase{RP::rpBand, BT::btWatermark, 96, {0.5, 1, 8.25, 10.25}},
        BandCase{RP::rpBand, BT::btStamp, 96, {0.5, 1, 8.25, 10.25}},
        // Under rpBand the vertical input resolution scales both axes.
        BandCase{RP::rpBand, BT::btContent, 384, {2, 6, 33, 40}},
        BandCase{RP::rpBand, BT::btFooter, 192, {1, 20, 16.5, 20.5}}));

TEST(BandRectTest, OutsideADocumentTheBandRectangleStays) {
  TRecordingEngine engine;
  engine.SetReferencePoint(TkmReferencePoint::rpPage);
  engine.SetBandType(TkmBandType::btFooter);
  EXPECT_EQ(engine.GetBandRect(), TkmRect{});
}

TEST(BandRectTest, PositionsGetTheBandOrigin) {
  ScopedScreenResolution screen(96, 96);
  TempDir dir;
  TRecordingEngine engine;
  engine.SetFileName(dir.File("doc"));
  engine.GetPage().SetLeftMargin(0.5);
  engine.GetPage().SetTopMargin(1);
  engine.GetPage().SetHeaderHeight(0.5);
  engine.BeginDoc();
  TkmPoint points[2] = {kmPoint(0, 0), kmPoint(1, 0)};
  engine.ClipShapeCoordinates(points);
  EXPECT_EQ(points[0], kmPoint(48, 144));
  EXPECT_EQ(points[1], kmPoint(144, 144));
  engine.BeginFooter();
  TkmPoint footer[1] = {kmPoint(0, 0)};
  engine.ClipShapeCoordinates(footer);
  EXPECT_NEAR(footer[0].Y, 11.6929 * 96, 1e-9);  // footer band starts at the page bottom (no footer height)
  engine.EndFooter();
  // Pixel input at four times the screen resolution under rpPage: 384 is one inch.
  engine.SetMeasurementUnit(TkmUnitType::muPixels);
  engine.SetInputXRes(384);
  engine.SetInputYRes(384);
  engine.SetReferencePoint(TkmReferencePoint::rpPage);
  TkmPoint pixel[1] = {kmPoint(384, 384)};
  engine.ClipShapeCoordinates(pixel);
  EXPECT_EQ(pixel[0], kmPoint(96, 96));
  engine.EndDoc();
}

// ---------------------------------------------------------------------------
// Other settings objects

TEST(SettingsObjectsTest, FrameMarginReadsBackInTheEngineUnit) {
  ScopedScreenResolution screen(96, 96);
  TRecordingEngine engine;
  engine.GetFrame().SetInternalMargin(kmRect(0.1, 0.2, 0.3, 0.4));
  const TkmRect m = engine.GetFrame().GetInternalMargin();
  EXPECT_NEAR(m.Left, 0.1, 1e-12);
  EXPECT_NEAR(m.Bottom, 0.4, 1e-12);
  EXPECT_NEAR(engine.GetFrame().NativeInternalMargin().Left, 9.6, 1e-12);
  TkmFrame standalone;
  standalone.SetInternalMargin(kmRect(1, 2, 3, 4));
  EXPECT_EQ(standalone.GetInternalMargin(), kmRect(1, 2, 3, 4));
}

TEST(SettingsObjectsTest, TextFormattingSetterConvertsTheIndents) {
  TRecordingEngine engine;  // inches
  TkmTextFormatting given;
  given.SetLeftIndent(1);
  given.SetRightIndent(0.5);
  given.SetFirstLineIndent(0.25);
  given.SetBeforeSpace(12);
  given.SetLineSpacing(1.5);
  given.SetAlignment(TkmHAlignment::haCenter);
  engine.SetTextFormatting(given);
  const TkmTextFormatting& own = engine.GetTextFormatting();
  EXPECT_NEAR(own.NativeLeftIndent(), 96, 1e-9);
  EXPECT_NEAR(own.GetLeftIndent(), 1, 1e-9);
  EXPECT_NEAR(own.NativeRightIndent(), 48, 1e-9);
  EXPECT_NEAR(own.NativeFirstLineIndent(), 24, 1e-9);
  EXPECT_NEAR(own.NativeBeforeSpace(), 12, 1e-9);  // taken as stored
  EXPECT_EQ(own.GetLineSpacing(), 1.5);
  EXPECT_EQ(own.GetAlignment(), TkmHAlignment::haCenter);
}

TEST(SettingsObjectsTest, TableSettingsSetterConvertsTheLengths) {
  TRecordingEngine engine;
  TkmTableSettings given;
  given.SetColumnWidth(2);
  given.SetRowHeight(0.5);
  given.SetTitleHeight(0.25);
  given.SetInternalMargin(kmRect(0.1, 0.1, 0.1, 0.1));
  given.SetEnableTitle(true);
  engine.SetTableSettings(given);
  const TkmTableSettings& own = engine.GetTableSettings();
  EXPECT_NEAR(own.NativeColumnWidth(), 192, 1e-9);
  EXPECT_NEAR(own.NativeRowHeight(), 48, 1e-9);
  EXPECT_NEAR(own.NativeTitleHeight(), 24, 1e-9);
  EXPECT_NEAR(own.NativeInternalMargin().Top, 9.6, 1e-9);
  EXPECT_NEAR(own.GetColumnWidth(), 2, 1e-9);
  EXPECT_TRUE(own.GetEnableTitle());
}

class RejectingEngine : public TRecordingEngine {
 public:
  bool CheckOutputImageFormat(TkmOutputImageFormat Value, std::u16string&) override {
    return Value != TkmOutputImageFormat::ifGIF;
  }
};

TEST(SettingsObjectsTest, RejectedOutputImageFormatRaisesAndKeepsTheOldValue) {
  RejectingEngine engine;
  engine.GetImageSettings().SetOutputImageFormat(TkmOutputImageFormat::ifPNG);
  try {
    engine.GetImageSettings().SetOutputImageFormat(TkmOutputImageFormat::ifGIF);
    ADD_FAILURE() << "no exception";
  } catch (const ExInvalidImageFormat& e) {
    EXPECT_STREQ(e.what(), "Invalid Image Format");
  }
  EXPECT_EQ(engine.GetImageSettings().GetOutputImageFormat(), TkmOutputImageFormat::ifPNG);
  // A stand-alone object accepts every format.
  TkmImageSettings standalone;
  standalone.SetOutputImageFormat(TkmOutputImageFormat::ifGIF);
  EXPECT_THROW(engine.SetImageSettings(standalone), ExInvalidImageFormat);
}

TEST(SettingsObjectsTest, DefaultsOfANewEngine) {
  ScopedScreenResolution screen(96, 96);
  TRecordingEngine engine;
  TkmPreferences defaults;
  EXPECT_FALSE(defaults.GetProcessAfterEachPage());
  EXPECT_FALSE(defaults.GetOutputToUserStream());
  EXPECT_TRUE(defaults.GetOpenAfterCreate());
  EXPECT_FALSE(defaults.GetEmailAfterCreate());
  EXPECT_TRUE(defaults.GetShowSetupDialog());
  EXPECT_TRUE(defaults.GetCalculateVariables());
  EXPECT_TRUE(defaults.GetUseImagesAsResources());
  EXPECT_EQ(engine.GetReferencePoint(), TkmReferencePoint::rpBand);
  EXPECT_EQ(engine.GetInputXRes(), 96);
  EXPECT_EQ(engine.GetBackgroundColor(), clWhite);
  EXPECT_EQ(engine.GetBackgroundImageDisplayType(), TkmBackgroundDisplayType::dtCenter);
  EXPECT_EQ(engine.GetBackgroundImage(), nullptr);
  EXPECT_TRUE(engine.GetAutoPaginate());
  EXPECT_EQ(engine.GetItemsToRender(), (TkmItemsToRender{TkmItemsToRenderKind::irText, TkmItemsToRenderKind::irImage,
                                                         TkmItemsToRenderKind::irShape}));
  EXPECT_EQ(engine.GetImageSettings().GetSourceDPI(), 96);
  EXPECT_EQ(engine.GetImageSettings().GetOutputImageFormat(), TkmOutputImageFormat::ifJPEG);
  EXPECT_EQ(engine.GetImageSettings().GetImagePixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(engine.GetPageBorder().GetWidth(), 1);
  EXPECT_FALSE(engine.GetPageBorder().GetDrawLeft());
  EXPECT_TRUE(engine.GetFrame().GetIsLeft());
  EXPECT_EQ(engine.GetEMailSettings().Port, 25);
  EXPECT_EQ(engine.GetAbout(), "");
  engine.SetVersion("9.9");
  EXPECT_EQ(engine.GetVersion(), "");
  TkmCustomDocumentEngine base;
  EXPECT_EQ(base.GetCapabilities(),
            (TkmCapabilities{TkmCapabilityKind::ckText, TkmCapabilityKind::ckImage, TkmCapabilityKind::ckShape}));
}

TEST(SettingsObjectsTest, PreferencesAssignCopiesAllSwitches) {
  TkmPreferences a, b;
  a.SetProcessAfterEachPage(true);
  a.SetOutputToUserStream(true);
  a.SetOpenAfterCreate(false);
  a.SetEmailAfterCreate(true);
  a.SetShowSetupDialog(false);
  a.SetCalculateVariables(false);
  a.SetUseImagesAsResources(false);
  b.Assign(a);
  EXPECT_TRUE(b.GetProcessAfterEachPage());
  EXPECT_TRUE(b.GetOutputToUserStream());
  EXPECT_FALSE(b.GetOpenAfterCreate());
  EXPECT_TRUE(b.GetEmailAfterCreate());
  EXPECT_FALSE(b.GetShowSetupDialog());
  EXPECT_FALSE(b.GetCalculateVariables());
  EXPECT_FALSE(b.GetUseImagesAsResources());
}

// ---------------------------------------------------------------------------
// Shared settings

TEST(SharedSettingsTest, LinkingCopiesTheSharedValues) {
  TkmDocSettings shared;
  shared.SetBackgroundColor(clRed);
  shared.GetDocInfo().SetTitle(u"Shared");
  shared.GetPreferences().SetOpenAfterCreate(false);
  shared.GetPage().SetOrientation(TPrinterOrientation::poLandscape);
  shared.SetMeasurementUnit(TkmUnitType::muMM);
  TRecordingEngine engine;
  engine.SetSettings(&shared);
  EXPECT_EQ(engine.GetBackgroundColor(), clRed);
  EXPECT_EQ(engine.GetDocInfo().GetTitle(), u"Shared");
  EXPECT_FALSE(engine.GetPreferences().GetOpenAfterCreate());
  EXPECT_EQ(engine.GetPage().GetOrientation(), TPrinterOrientation::poLandscape);
  EXPECT_EQ(engine.GetMeasurementUnit(), TkmUnitType::muMM);
  EXPECT_EQ(shared.GetEngines().size(), 1u);
}

TEST(SharedSettingsTest, ChangesReachOnlyEnginesThatStillHaveTheSharedValue) {
  TkmDocSettings shared;
  shared.SetMeasurementUnit(TkmUnitType::muInches);
  TRecordingEngine a, b;
  a.SetSettings(&shared);
  b.SetSettings(&shared);
  a.GetPage().SetLeftMargin(2);  // a has its own value now
  shared.GetPage().SetLeftMargin(1);
  EXPECT_NEAR(a.GetPage().GetLeftMargin(), 2, 1e-9);
  EXPECT_NEAR(b.GetPage().GetLeftMargin(), 1, 1e-9);

  b.GetDocInfo().SetAuthor(u"B");
  shared.GetDocInfo().SetAuthor(u"Shared");
  EXPECT_EQ(a.GetDocInfo().GetAuthor(), u"Shared");
  EXPECT_EQ(b.GetDocInfo().GetAuthor(), u"B");

  shared.GetPreferences().SetProcessAfterEachPage(true);
  shared.GetPreferences().SetCalculateVariables(false);  // never passed on
  EXPECT_TRUE(a.GetPreferences().GetProcessAfterEachPage());
  EXPECT_TRUE(a.GetPreferences().GetCalculateVariables());

  shared.SetBackgroundColor(clBlue);
  EXPECT_EQ(a.GetBackgroundColor(), clBlue);

  a.SetMeasurementUnit(TkmUnitType::muPoints);
  shared.SetMeasurementUnit(TkmUnitType::muMM);
  EXPECT_EQ(a.GetMeasurementUnit(), TkmUnitType::muPoints);
  EXPECT_EQ(b.GetMeasurementUnit(), TkmUnitType::muMM);
  EXPECT_NEAR(shared.GetPage().GetNativeFactor(), b.GetNativeConversionFactor(), 1e-12);
}

TEST(SharedSettingsTest, PageSizeReachesOnlyCustomPaperEngines) {
  TkmDocSettings shared;
  TRecordingEngine a, b;
  a.SetSettings(&shared);
  b.SetSettings(&shared);
  shared.GetPage().SetPaperSize(TkmPaperSize::Custom);  // both follow
  EXPECT_EQ(a.GetPage().GetPaperSize(), TkmPaperSize::Custom);
  b.GetPage().SetPaperSize(TkmPaperSize::Letter);
  shared.GetPage().SetWidth(500);  // pixels, the shared default unit
  EXPECT_NEAR(a.GetPage().NativeWidth(), 500, 1e-9);
  EXPECT_NEAR(b.GetPage().NativeWidth(), 8.5 * 96, 1e-9);  // pixels: linking took the shared unit

  shared.GetPage().SetOrientation(TPrinterOrientation::poLandscape);
  EXPECT_EQ(a.GetPage().GetOrientation(), TPrinterOrientation::poLandscape);
  EXPECT_NEAR(b.GetPage().NativeWidth(), 11 * 96, 1e-9);
}

TEST(SharedSettingsTest, DestroyedEngineLeavesTheList) {
  TkmDocSettings shared;
  TRecordingEngine survivor;
  survivor.SetSettings(&shared);
  {
    TRecordingEngine gone;
    gone.SetSettings(&shared);
    EXPECT_EQ(shared.GetEngines().size(), 2u);
  }
  EXPECT_EQ(shared.GetEngines().size(), 1u);
  shared.GetPage().SetLeftMargin(3);  // must not reach the destroyed engine
  EXPECT_NEAR(survivor.GetPage().NativeLeftMargin(), 3, 1e-9);
}

TEST(SharedSettingsTest, DestroyedSharedSettingsAreUnlinked) {
  TRecordingEngine engine;
  {
    TkmDocSettings shared;
    engine.SetSettings(&shared);
  }
  EXPECT_EQ(engine.GetSettings(), nullptr);
  TkmDocSettings other;
  engine.SetSettings(&other);
  EXPECT_EQ(other.GetEngines().size(), 1u);
  engine.SetSettings(nullptr);
  EXPECT_TRUE(other.GetEngines().empty());
}

}  // namespace
}  // namespace km::test
