// The export interface and the report export filter, driven against engines
// that log what reaches them.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "EmfLog.h"
#include "RecordingEngine.h"
#include "kmBitmap.h"
#include "kmFRXportIntf.h"
#include "kmFontCatalog.h"
#include "kmPDFEng.h"
#include "kmScreen.h"
#include "kmShell.h"

namespace km {
namespace {

using test::DescribeRecords;
using test::LinesStarting;

// A PDF engine that logs the engine calls the filter makes, with the state
// the filter set, and keeps every metafile it is handed; then it does what
// the PDF engine does.
class LoggingPDFEngine : public TkmPDFEngine {
 public:
  explicit LoggingPDFEngine(const test::TempDir& dir) {
    SetFileName(dir.File("out"));
    GetPreferences().SetShowSetupDialog(false);
    GetPreferences().SetOpenAfterCreate(false);
  }
  std::vector<std::string> Log;
  std::vector<std::unique_ptr<TMetafile>> Metafiles;
  std::vector<TkmRect> Images;

  void BeginDoc() override {
    Log.push_back("BeginDoc " + Settings());
    in_begin_ = true;
    TkmPDFEngine::BeginDoc();
    in_begin_ = false;
  }
  void NewPage() override {
    // BeginDoc opens its first page through NewPage; only the filter's count.
    if (!in_begin_) Log.push_back("NewPage " + Settings());
    TkmPDFEngine::NewPage();
  }
  void EndDoc() override {
    Log.push_back("EndDoc");
    TkmPDFEngine::EndDoc();
  }
  void PlayMetafile(TMetafile& meta) override {
    Log.push_back("PlayMetafile " + std::to_string(meta.GetWidth()) + "x" + std::to_string(meta.GetHeight()));
    Metafiles.push_back(std::make_unique<TMetafile>());
    Metafiles.back()->LoadFromBytes(meta.Data());
    TkmPDFEngine::PlayMetafile(meta);
  }
  void DrawImage(const TkmRect& rect, const TGraphic& graphic) override {
    Log.push_back("DrawImage " + std::to_string(graphic.GetWidth()) + "x" + std::to_string(graphic.GetHeight()) +
                  (GetImageSettings().GetStretch() ? " stretched" : ""));
    Images.push_back(rect);
    TkmPDFEngine::DrawImage(rect, graphic);
  }

 private:
  bool in_begin_ = false;
  std::string Settings() {
    char buf[160];
    std::snprintf(buf, sizeof buf, "res %d,%d page %.2f x %.2f px %d rp %d paper %d", GetInputXRes(), GetInputYRes(),
                  GetPage().GetWidth(),
                  GetPage().GetHeight(),
                  GetMeasurementUnit() == TkmUnitType::muPixels, static_cast<int>(GetReferencePoint()),
                  static_cast<int>(GetPage().GetPaperSize()));
    return buf;
  }
};

class BridgeTest : public ::testing::Test {
 protected:
  ScopedFontCatalog fonts_{FontCatalog::FromDirectory(test::LiberationDir())};
  ScopedScreenResolution screen_{96, 96};
  ScopedShellOpener no_viewer_{[](const std::string&) { return true; }};
  test::TempDir dir_;
};

const char* kTwoPages = R"(<TfrxReport>
  <TfrxReportPage Name="P1" PaperSize="9" Color="clYellow">
    <TfrxMemoView Name="M" Left="100" Top="100" Width="200" Height="20" Frame.Typ="ftTop" Text="Hallo"/>
    <TfrxMasterData Name="Band" Left="0" Top="200" Width="700" Height="40">
      <TfrxShapeView Name="S" Left="10" Top="5" Width="50" Height="30"/>
    </TfrxMasterData>
    <TfrxRichView Name="R" Left="400" Top="100" Width="120" Height="20" GapX="2" GapY="1"
      RichText="{\rtf1{\fonttbl{\f0 Arial;}}\f0\fs16\ul Label\par}"/>
  </TfrxReportPage>
  <TfrxReportPage Name="P2" PaperSize="9" Orientation="poLandscape">
    <TfrxLineView Name="L" Left="10" Top="10" Width="100" Height="0"/>
  </TfrxReportPage>
</TfrxReport>)";

// ---- The interface: filters, options, the document hook ----------------------

TEST_F(BridgeTest, LinkingAnEngineCreatesAndRegistersExactlyOneFilter) {
  const int before = frxExportFilters().Count();
  LoggingPDFEngine engine(dir_);
  engine.SetFileDescription("Adobe PDF Files");
  engine.SetFileExtension("pdf");
  TkmFRExportInterface intf;
  EXPECT_TRUE(intf.GetVisible());
  EXPECT_TRUE(intf.GetDoBeginDoc());
  EXPECT_TRUE(intf.GetDoEndDoc());
  EXPECT_FALSE(intf.GetShowSaveDialog());
  EXPECT_FALSE(intf.GetRichTextAsImage());
  ASSERT_NE(intf.GetPreferences(), nullptr);
  EXPECT_FALSE(intf.GetPreferences()->GetScaleDownLargeImages());
  EXPECT_EQ(intf.GetPreferences()->GetScaleDownToDPI(), 96);
  EXPECT_EQ(intf.GetFilter(), nullptr);

  intf.SetEngine(&engine);
  TkmFRXport_Base* first = intf.GetFilter();
  ASSERT_NE(dynamic_cast<TkmFRPDFXport*>(first), nullptr);
  EXPECT_EQ(frxExportFilters().Count(), before + 1);
  EXPECT_EQ(first->GetDescription(), u"Adobe PDF Files (*.pdf)");
  EXPECT_EQ(frxResources().Get("TkmPDFEngine"), u"Adobe PDF Files (*.pdf)");
  EXPECT_EQ(first->GetPreferences(), intf.GetPreferences());  // shared, not copied

  // Linking again replaces the filter; still one.
  intf.SetEngine(&engine);
  EXPECT_EQ(frxExportFilters().Count(), before + 1);
  // Visible: the same value changes nothing, false frees, true creates.
  TkmFRXport_Base* current = intf.GetFilter();
  intf.SetVisible(true);
  EXPECT_EQ(intf.GetFilter(), current);
  intf.SetVisible(false);
  EXPECT_EQ(intf.GetFilter(), nullptr);
  EXPECT_EQ(frxExportFilters().Count(), before);
  intf.SetVisible(false);
  EXPECT_EQ(frxExportFilters().Count(), before);
  intf.SetVisible(true);
  EXPECT_NE(intf.GetFilter(), nullptr);
  EXPECT_EQ(frxExportFilters().Count(), before + 1);
  intf.SetEngine(nullptr);
  EXPECT_EQ(frxExportFilters().Count(), before);
}

TEST_F(BridgeTest, AnEngineOfNoKnownKindGetsNoFilterAndRenderingSaysSo) {
  test::TRecordingEngine engine;
  TkmFRExportInterface intf;
  intf.SetEngine(&engine);
  EXPECT_EQ(intf.GetFilter(), nullptr);
  TfrxReport report;
  EXPECT_THROW(intf.RenderDocument(report, false, false), EkmError);
}

TEST_F(BridgeTest, OptionsReachEveryFilterTheInterfaceCreates) {
  LoggingPDFEngine engine(dir_);
  TkmFRExportInterface intf;
  // Set before the filter exists: the filter created later still gets them.
  intf.SetRichTextAsImage(true);
  intf.SetShowSaveDialog(true);
  intf.SetEngine(&engine);
  ASSERT_NE(intf.GetFilter(), nullptr);
  EXPECT_TRUE(intf.GetFilter()->GetRichTextAsImage());
  EXPECT_TRUE(intf.GetFilter()->GetShowSaveDialog());
  // Set while it exists.
  intf.SetRichTextAsImage(false);
  EXPECT_FALSE(intf.GetFilter()->GetRichTextAsImage());
  TkmFRExportPreferences shared;
  intf.SetPreferences(&shared);
  EXPECT_EQ(intf.GetFilter()->GetPreferences(), &shared);
  intf.SetPreferences(nullptr);  // the filter falls back on its own object
  EXPECT_NE(intf.GetFilter()->GetPreferences(), nullptr);
  // A new engine link: a new filter with the same options.
  intf.SetRichTextAsImage(true);
  intf.SetEngine(&engine);
  EXPECT_TRUE(intf.GetFilter()->GetRichTextAsImage());
}

TEST_F(BridgeTest, DoEndDocFalseTwiceKeepsTheCallersHandlerAndCallsItOnce) {
  test::TRecordingEngine engine;
  int calls = 0;
  engine.OnAfterEndDoc = [&calls](TkmCustomDocumentEngine&) { ++calls; };
  TkmExportInterface intf;
  intf.SetEngine(&engine);
  intf.SetDoEndDoc(false);
  intf.SetDoEndDoc(false);
  EXPECT_TRUE(intf.IsEndDocHooked());
  intf.StartDocument();
  EXPECT_TRUE(intf.GetDocStarted());
  engine.EndDoc();
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(intf.GetDocStarted());
  EXPECT_FALSE(intf.IsEndDocHooked());
  // The engine's handler is the caller's again, not the hook.
  ASSERT_TRUE(engine.OnAfterEndDoc);
  engine.OnAfterEndDoc(engine);
  EXPECT_EQ(calls, 2);
}

TEST_F(BridgeTest, AnInterfaceThatGoesAwayGivesTheEngineItsHandlerBack) {
  test::TRecordingEngine engine;
  int calls = 0;
  engine.OnAfterEndDoc = [&calls](TkmCustomDocumentEngine&) { ++calls; };
  {
    TkmExportInterface intf;
    intf.SetEngine(&engine);
    intf.SetDoEndDoc(false);
  }
  ASSERT_TRUE(engine.OnAfterEndDoc);
  engine.OnAfterEndDoc(engine);
  EXPECT_EQ(calls, 1);
}

TEST_F(BridgeTest, StartAndEndDocumentFollowTheTwoSwitches) {
  test::TRecordingEngine engine;
  engine.SetFileName(dir_.File("doc"));
  TkmExportInterface intf;
  intf.SetEngine(&engine);
  intf.SetDoBeginDoc(false);
  intf.StartDocument();  // neither BeginDoc nor NewPage
  EXPECT_TRUE(intf.GetDocStarted());
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esNone);
  intf.SetDoBeginDoc(true);
  intf.SetDocStarted(false);
  intf.StartDocument();
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esStarted);
  intf.StartDocument();  // the next page of the same document
  EXPECT_EQ(engine.GetPageCount(), 2);
  intf.EndDocument();
  EXPECT_FALSE(intf.GetDocStarted());
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esFinished);
  // Left open: still started, the engine's document goes on.
  intf.SetDoEndDoc(false);
  intf.StartDocument();
  intf.EndDocument();
  EXPECT_TRUE(intf.GetDocStarted());
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esStarted);
  engine.EndDoc();
  EXPECT_FALSE(intf.GetDocStarted());
}

TEST_F(BridgeTest, ADestroyedEngineIsHeldNeitherByTheInterfaceNorByItsFilter) {
  TkmFRExportInterface intf;
  TkmFRXport_Base* filter = nullptr;
  {
    LoggingPDFEngine engine(dir_);
    intf.SetEngine(&engine);
    filter = intf.GetFilter();
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(filter->GetEngine(), &engine);
  }
  EXPECT_EQ(intf.GetEngine(), nullptr);
  ASSERT_EQ(intf.GetFilter(), filter);
  EXPECT_EQ(filter->GetEngine(), nullptr);
  // An export now fails clearly instead of using the dead engine.
  TfrxReport report;
  EXPECT_THROW(intf.RenderDocument(report, false, false), EkmError);
}

// ---- The filter: the protocol as the engine sees it ------------------------------

TEST_F(BridgeTest, RenderDocumentBeginsAtTheFirstPageAndEndsAfterTheLast) {
  LoggingPDFEngine engine(dir_);
  TkmFRExportInterface intf;
  intf.SetEngine(&engine);
  TfrxReport report;
  report.LoadFromString(kTwoPages, "two.fr3");
  intf.RenderDocument(report, false, false);
  // A4 portrait, then landscape; pixels at 96 per inch; page metafiles at four
  // times the report's scale; input resolution 384.
  EXPECT_EQ(engine.Log, (std::vector<std::string>{
                            "BeginDoc res 384,384 page 793.70 x 1122.52 px 1 rp 0 paper 40",
                            "PlayMetafile 3175x4490",
                            "NewPage res 384,384 page 1122.52 x 793.70 px 1 rp 0 paper 40",
                            "PlayMetafile 4490x3175",
                            "EndDoc",
                        }));
  EXPECT_FALSE(intf.GetDocStarted());
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esFinished);
  EXPECT_FALSE(intf.GetFilter()->HasOpenPage());
  EXPECT_DOUBLE_EQ(intf.GetFilter()->GetZoom(), 4.0);
  EXPECT_TRUE(std::filesystem::exists(dir_.File("out.pdf")));
}

TEST_F(BridgeTest, PageMetafilesHoldTheViewsAtFourTimesTheScaleAndTheBackgroundOnce) {
  LoggingPDFEngine engine(dir_);
  TkmFRExportInterface intf;
  intf.SetEngine(&engine);
  TfrxReport report;
  report.LoadFromString(kTwoPages, "two.fr3");
  intf.RenderDocument(report, false, false);
  ASSERT_EQ(engine.Metafiles.size(), 2u);
  std::vector<std::string> page1 = DescribeRecords(*engine.Metafiles[0]);
  // The background view fills the area inside the 10 mm margins once:
  // 37.795 * 4 = 151.18 -> 151; the right edge (793.70 - 37.80) * 4 = 3023.6 -> 3024.
  EXPECT_EQ(LinesStarting(page1, "fill"), std::vector<std::string>{"fill 151 151 2873 4188"});
  // The memo's top side and the band's shape at page-absolute positions.
  EXPECT_NE(std::find(page1.begin(), page1.end(), "move 400 400"), page1.end());
  EXPECT_EQ(LinesStarting(page1, "rect"), std::vector<std::string>{"rect 40 820 240 940"});
  // Rich text as text by default.
  std::vector<std::string> text = LinesStarting(page1, "text ");
  ASSERT_EQ(text.size(), 2u);
  EXPECT_NE(text[1].find(" Label "), std::string::npos);
  EXPECT_TRUE(LinesStarting(page1, "bitmap").empty());
  std::vector<std::string> page2 = DescribeRecords(*engine.Metafiles[1]);
  EXPECT_EQ(LinesStarting(page2, "line"), std::vector<std::string>{"line 440 40"});
}

TEST_F(BridgeTest, RichTextAsImageReachesThePageAsOneBitmap) {
  LoggingPDFEngine engine(dir_);
  TkmFRExportInterface intf;
  intf.SetRichTextAsImage(true);
  intf.SetEngine(&engine);
  TfrxReport report;
  report.LoadFromString(kTwoPages, "two.fr3");
  intf.RenderDocument(report, false, false);
  std::vector<std::string> page1 = DescribeRecords(*engine.Metafiles[0]);
  // 120 x 20 report units at 96 dots per inch, stretched over the view's area at 4.
  EXPECT_EQ(LinesStarting(page1, "bitmap"), std::vector<std::string>{"bitmap 1600 400 480 80 120x20"});
  std::vector<std::string> text = LinesStarting(page1, "text ");
  ASSERT_EQ(text.size(), 1u);
  EXPECT_NE(text[0].find(" Hallo "), std::string::npos);
}

TEST_F(BridgeTest, TheRasterisedRichTextShowsTheText) {
  // The bitmap the filter makes carries the label's ink and a white ground.
  TfrxRichView view;
  view.SetLeft(30);
  view.SetTop(10);
  view.SetWidth(120);
  view.SetHeight(20);
  view.SetRichText(R"({\rtf1{\fonttbl{\f0 Arial;}}\f0\fs20 Label\par})");
  LoggingPDFEngine engine(dir_);
  TkmFRPDFXport filter;
  filter.SetEngine(&engine);
  filter.SetRichTextAsImage(true);
  TfrxReport report;
  report.LoadFromString(R"(<TfrxReport><TfrxReportPage PaperSize="9"/></TfrxReport>)", "one.fr3");
  report.PrepareReport();
  filter.SetReport(&report);
  ASSERT_TRUE(filter.Start());
  filter.StartPage(*report.GetPreviewPages().GetPage(0), 0);
  filter.ExportObject(view);
  filter.FinishPage(*report.GetPreviewPages().GetPage(0), 0);
  // Play the page metafile onto a bitmap at report scale and look at the area.
  ASSERT_EQ(engine.Metafiles.size(), 1u);
  TBitmap bitmap(794, 200);
  bitmap.Fill(clWhite);
  engine.Metafiles[0]->DrawOn(bitmap.Canvas(), {0, 0, 794, 1123});
  int ink = 0;
  for (int y = 10; y < 30; ++y)
    for (int x = 30; x < 150; ++x) ink += ColorToRGB(bitmap.GetPixel(x, y)) != clWhite;
  EXPECT_GT(ink, 30);
}

TEST_F(BridgeTest, ScaledDownPicturesAreReducedNeverEnlarged) {
  struct Case {
    const char* name;
    int pixelW, pixelH;
    double boxW, boxH;
    int dpi;
    int expectW, expectH;
  };
  const Case cases[] = {
      {"large: the larger factor wins", 400, 200, 100, 60, 96, 120, 60},
      {"half the resolution", 400, 200, 100, 50, 48, 50, 25},
      {"small stays its size", 10, 10, 100, 100, 96, 10, 10},
      {"empty picture", 0, 0, 100, 100, 96, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoggingPDFEngine engine(dir_);
    TkmFRExportInterface intf;
    intf.SetEngine(&engine);
    intf.GetPreferences()->SetScaleDownLargeImages(true);
    intf.GetPreferences()->SetScaleDownToDPI(c.dpi);
    TfrxReport report;
    report.LoadFromString(R"(<TfrxReport><TfrxReportPage Name="P" PaperSize="9"/></TfrxReport>)", "pic.fr3");
    auto picture = std::make_unique<TfrxPictureView>();
    picture->SetName("Pic");
    picture->SetLeft(10);
    picture->SetTop(20);
    picture->SetWidth(c.boxW);
    picture->SetHeight(c.boxH);
    if (c.pixelW) picture->GetPicture().SetGraphic(std::make_shared<TBitmap>(c.pixelW, c.pixelH));
    report.GetPage(0)->AddObject(std::move(picture));
    report.PrepareReport();
    intf.RenderDocument(report, true, false);
    auto* prepared = dynamic_cast<TfrxPictureView*>(report.GetPreviewPages().GetPage(0)->FindObject("Pic"));
    ASSERT_NE(prepared, nullptr);
    ASSERT_NE(prepared->GetPicture().GetGraphic(), nullptr);
    EXPECT_NE(dynamic_cast<const TBitmap*>(prepared->GetPicture().GetGraphic()), nullptr);
    EXPECT_EQ(prepared->GetPicture().GetGraphic()->GetWidth(), c.expectW);
    EXPECT_EQ(prepared->GetPicture().GetGraphic()->GetHeight(), c.expectH);
    std::vector<std::string> bitmaps = LinesStarting(DescribeRecords(*engine.Metafiles[0]), "bitmap");
    if (c.expectW) {
      EXPECT_EQ(bitmaps.size(), 1u);
    } else {
      EXPECT_TRUE(bitmaps.empty());
    }
  }
}

TEST_F(BridgeTest, BackgroundPictureIsDrawnInsideTheMarginsAtTheInputResolution) {
  LoggingPDFEngine engine(dir_);
  TkmFRExportInterface intf;
  intf.SetEngine(&engine);
  TfrxReport report;
  report.LoadFromString(R"(<TfrxReport><TfrxReportPage PaperWidth="100" PaperHeight="50"
      LeftMargin="10" RightMargin="5" TopMargin="2.5" BottomMargin="0"/></TfrxReport>)",
                        "bg.fr3");
  dynamic_cast<TfrxReportPage*>(report.GetPage(0))->GetBackPicture().SetGraphic(std::make_shared<TBitmap>(8, 4));
  intf.RenderDocument(report, false, false);
  ASSERT_EQ(engine.Images.size(), 1u);
  EXPECT_NE(std::find(engine.Log.begin(), engine.Log.end(), "DrawImage 8x4 stretched"), engine.Log.end());
  const double mm = 96 / 25.4 * 4;  // engine pixels per millimetre at 384 dots per inch
  EXPECT_NEAR(engine.Images[0].Left, 10 * mm, 1e-6);
  EXPECT_NEAR(engine.Images[0].Top, 2.5 * mm, 1e-6);
  EXPECT_NEAR(engine.Images[0].Right, 95 * mm, 1e-6);
  EXPECT_NEAR(engine.Images[0].Bottom, 50 * mm, 1e-6);
}

TEST_F(BridgeTest, ExportingSomePagesBeginsAndEndsTheDocument) {
  LoggingPDFEngine engine(dir_);
  TkmFRExportInterface intf;
  intf.SetEngine(&engine);
  TfrxReport report;
  report.LoadFromString(
      R"(<TfrxReport><TfrxReportPage PaperSize="9"/><TfrxReportPage PaperSize="9"/><TfrxReportPage PaperSize="9"/></TfrxReport>)",
      "three.fr3");
  report.PrepareReport();
  // As the preview does for "current page only": page 2 of 3.
  intf.GetFilter()->SetPageNumbers("2");
  intf.RenderDocument(report, true, false);
  ASSERT_EQ(engine.Log.size(), 3u);
  EXPECT_EQ(engine.Log[0].rfind("BeginDoc", 0), 0u);
  EXPECT_EQ(engine.Log[2], "EndDoc");
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esFinished);
  // Pages 2 and 3: begun at 2, a new page at 3, ended after 3.
  LoggingPDFEngine second(dir_);
  intf.SetEngine(&second);
  intf.GetFilter()->SetPageNumbers("2-3");
  intf.RenderDocument(report, true, false);
  ASSERT_EQ(second.Log.size(), 5u);
  EXPECT_EQ(second.Log[0].rfind("BeginDoc", 0), 0u);
  EXPECT_EQ(second.Log[2].rfind("NewPage", 0), 0u);
  EXPECT_EQ(second.Log[4], "EndDoc");
}

TEST_F(BridgeTest, WithDoEndDocFalseTwoExportsMakeOneDocument) {
  LoggingPDFEngine engine(dir_);
  int ended = 0;
  engine.OnAfterEndDoc = [&ended](TkmCustomDocumentEngine&) { ++ended; };
  TkmFRExportInterface intf;
  intf.SetEngine(&engine);
  intf.SetDoEndDoc(false);
  TfrxReport report;
  report.LoadFromString(kTwoPages, "two.fr3");
  intf.RenderDocument(report, false, false);
  intf.RenderDocument(report, false, false);
  EXPECT_EQ(engine.GetPageCount(), 4);
  EXPECT_TRUE(intf.GetDocStarted());
  EXPECT_EQ(std::count_if(engine.Log.begin(), engine.Log.end(),
                          [](const std::string& l) { return l.rfind("BeginDoc", 0) == 0; }),
            1);
  engine.EndDoc();
  EXPECT_EQ(ended, 1);
  EXPECT_FALSE(intf.GetDocStarted());
}

TEST_F(BridgeTest, ObjectsBeforeTheDocumentStartsAndBandsLeaveNoTrace) {
  LoggingPDFEngine engine(dir_);
  TkmFRExportInterface intf;
  intf.SetEngine(&engine);
  intf.SetDoBeginDoc(false);  // the caller has not begun a document
  TfrxReport report;
  report.LoadFromString(kTwoPages, "two.fr3");
  intf.RenderDocument(report, false, false);
  // Nothing begun: the views were dropped, the metafiles hold no drawing.
  for (const auto& meta : engine.Metafiles) EXPECT_TRUE(DescribeRecords(*meta).empty());
  EXPECT_EQ(std::count(engine.Log.begin(), engine.Log.end(), "EndDoc"), 1);
}

TEST_F(BridgeTest, ANonPdfEngineKeepsReportScale) {
  test::TRecordingEngine engine;
  engine.SetFileName(dir_.File("plain"));
  TkmFRPDFXport filter;  // no interface as owner: the filter begins and ends itself
  filter.SetEngine(&engine);
  TfrxReport report;
  report.LoadFromString(kTwoPages, "two.fr3");
  report.PrepareReport();
  report.Export(filter);
  EXPECT_DOUBLE_EQ(filter.GetZoom(), 1.0);
  EXPECT_EQ(engine.GetInputXRes(), 96);
  EXPECT_EQ(engine.GetInputYRes(), 96);
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esFinished);
  EXPECT_EQ(std::count(engine.Log.begin(), engine.Log.end(), "Start"), 1);
  EXPECT_NE(std::find(engine.Log.begin(), engine.Log.end(), "BeginPage 2"), engine.Log.end());
  EXPECT_EQ(std::count(engine.Log.begin(), engine.Log.end(), "Finish"), 1);
}

// A picture whose drawing fails: the export stops with the error and the
// filter's temporary bitmaps are released (the sanitizer build checks leaks).
class FailingGraphic : public TGraphic {
 public:
  int GetWidth() const override { return 50; }
  int GetHeight() const override { return 50; }
  bool Empty() const override { return false; }
  void SaveToBytes(TBytes&) const override {}
  void LoadFromBytes(std::span<const std::uint8_t>) override {}
  void DrawOn(TCanvas&, const TRect&) const override { throw EkmError("cannot draw"); }
};

TEST_F(BridgeTest, ErrorsWhilePaintingPropagateAndReleaseTemporaries) {
  LoggingPDFEngine engine(dir_);
  TkmFRExportInterface intf;
  intf.SetEngine(&engine);
  intf.GetPreferences()->SetScaleDownLargeImages(true);
  TfrxReport report;
  report.LoadFromString(R"(<TfrxReport><TfrxReportPage PaperSize="9"/></TfrxReport>)", "bad.fr3");
  auto picture = std::make_unique<TfrxPictureView>();
  picture->SetWidth(10);
  picture->SetHeight(10);
  picture->GetPicture().SetGraphic(std::make_shared<FailingGraphic>());
  report.GetPage(0)->AddObject(std::move(picture));
  EXPECT_THROW(intf.RenderDocument(report, false, false), EkmError);
}

}  // namespace
}  // namespace km
