// The engine side: what is painted on a page canvas, and metafiles handed to
// PlayMetafile, reach the output engine as items.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "MetafileTestKit.h"
#include "kmEmfTypes.h"

namespace km::test {
namespace {

using Lines = std::vector<std::string>;

// The recording engine that also interprets metafiles and logs pictures.
class PlayEngine : public TRecordingEngine {
 public:
  explicit PlayEngine(int inputRes = 96, bool inputResCapability = false) {
    InterpretMetafiles = true;
    SetInputXRes(inputRes);
    SetInputYRes(inputRes);
    SetMeasurementUnit(TkmUnitType::muPixels);
    SetReferencePoint(TkmReferencePoint::rpPage);
    if (inputResCapability) {
      TkmCapabilities caps = GetCapabilities();
      caps.Include(TkmCapabilityKind::ckInputRes);
      SetCapabilities(caps);
    }
    SetFileName(dir_.File("play"));
  }
  using TRecordingEngine::DrawImage;
  void DrawImage(double X, double Y, const TGraphic& AGraphic) override {
    Log.push_back("DrawImage " + std::to_string(static_cast<int>(X)) + "," + std::to_string(static_cast<int>(Y)) +
                  " " + std::to_string(AGraphic.GetWidth()) + "x" + std::to_string(AGraphic.GetHeight()));
  }
  // The log of page 1's encoding, between BeginPage and EndPage.
  Lines PageLog() const {
    auto begin = std::find(Log.begin(), Log.end(), "BeginPage 1");
    auto end = std::find(Log.begin(), Log.end(), "EndPage 1");
    if (begin == Log.end() || end == Log.end()) return {};
    return Lines(begin + 1, end);
  }
  Lines CurrentItems() const {
    Lines out;
    for (const auto& item : *GetCurrentDocumentItemList()) out.push_back(Describe(*item));
    return out;
  }

 private:
  TempDir dir_;
};

TMetafile Picture(const std::function<void(TMetafileCanvas&)>& draw, int width = 100, int height = 100) {
  TMetafile mf;
  mf.SetWidth(width);
  mf.SetHeight(height);
  TMetafileCanvas canvas(mf);
  draw(canvas);
  canvas.Close();
  return mf;
}

void Diagonal(TMetafileCanvas& c) {
  c.MoveTo(0, 0);
  c.LineTo(100, 100);
}

// Every number of a log line rounded to a whole number.
std::string Rounded(const std::string& line) {
  std::string out;
  for (std::size_t i = 0; i < line.size();) {
    if (std::isdigit(static_cast<unsigned char>(line[i]))) {
      std::size_t used = 0;
      const double v = std::stod(line.substr(i), &used);
      out += std::to_string(static_cast<long>(std::nearbyint(v)));
      i += used;
    } else {
      out += line[i++];
    }
  }
  return out;
}

// What the report flow does: draw at four times the screen resolution on the
// page canvas; the page's items come out at screen scale.
TEST(MetafilePlay, PageCanvasBecomesItemsOfThePage) {
  PlayEngine e(384, true);
  e.BeginDoc();
  TMetafileCanvas* canvas = e.GetCanvas();
  ASSERT_NE(canvas, nullptr);
  canvas->MoveTo(400, 400);
  canvas->LineTo(800, 400);
  canvas->Rectangle(400, 800, 800, 1200);
  e.EndDoc();
  EXPECT_EQ(e.PageLog(), (Lines{"Line 100,100-200,100 w1", "Rect filled", "EOF"}));
}

// An engine without the input-resolution capability gets the page metafile
// re-recorded over the page in native units: the same places, once scaled.
TEST(MetafilePlay, PageCanvasReRecordedForEnginesWithoutInputResolution) {
  PlayEngine e(384, false);
  e.BeginDoc();
  e.GetCanvas()->MoveTo(400, 400);
  e.GetCanvas()->LineTo(800, 400);
  e.EndDoc();
  Lines log = e.PageLog();
  std::erase(log, "Clip");  // the player's own save and restore around the replay
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(Rounded(log[0]).rfind("Line 100,100-200,100 w", 0), 0u) << log[0];
  EXPECT_EQ(log[1], "EOF");
}

TEST(MetafilePlay, AtAPositionInTheMeasurementUnit) {
  PlayEngine e;
  e.SetMeasurementUnit(TkmUnitType::muInches);
  e.BeginDoc();
  TMetafile mf = Picture(Diagonal);
  e.PlayMetafile(1.0, 0.5, mf);
  EXPECT_EQ(e.CurrentItems(), (Lines{"Line 96,48 196,148 P000000/1", "EOF"}));
}

TEST(MetafilePlay, AtTheOriginAddsTheBandOrigin) {
  PlayEngine e;
  e.SetReferencePoint(TkmReferencePoint::rpMargin);
  e.GetPage().SetLeftMargin(30);
  e.GetPage().SetTopMargin(20);
  e.BeginDoc();
  TMetafile mf = Picture(Diagonal);
  e.PlayMetafile(mf);
  EXPECT_EQ(e.CurrentItems(), (Lines{"Line 30,20 130,120 P000000/1", "EOF"}));
}

TEST(MetafilePlay, IntoARectangleStretchesTheFrame) {
  for (int res : {96, 384}) {
    SCOPED_TRACE(res);
    PlayEngine e(res, true);
    e.BeginDoc();
    TMetafile mf = Picture(Diagonal);
    // Pixels of the input resolution: at 384 the rectangle is a quarter as large in native units.
    e.PlayMetafile(kmRect(40, 40, 240, 440), mf);
    const Lines items = e.CurrentItems();
    ASSERT_FALSE(items.empty());
    const double k = 96.0 / res;
    EXPECT_EQ(items.front().rfind("Line " + std::to_string(static_cast<int>(40 * k)) + "," +
                                      std::to_string(static_cast<int>(40 * k)) + " " +
                                      std::to_string(static_cast<int>(240 * k)) + "," +
                                      std::to_string(static_cast<int>(440 * k)),
                                  0),
              0u)
        << items.front();
  }
}

TEST(MetafilePlay, OutsideADocumentNothingHappens) {
  PlayEngine e;
  TMetafile mf = Picture(Diagonal);
  e.PlayMetafile(mf);
  e.PlayMetafile(1, 1, mf);
  e.PlayMetafile(kmRect(0, 0, 10, 10), mf);
  EXPECT_EQ(e.GetCurrentDocumentItemList(), nullptr);
  EXPECT_TRUE(e.Log.empty());
}

// A clip path after an aborted path cannot be expressed by items: the
// metafile becomes one picture, and only its own items are dropped.
TEST(MetafilePlay, AbortedClipPathPlacesTheMetafileAsAPicture) {
  PlayEngine e;
  e.BeginDoc();
  e.AddText("before");
  TMetafile mf = Picture(
      [](TMetafileCanvas& c) {
        Diagonal(c);
        c.BeginPath();
        c.AbortPath();
        c.SelectClipPath();
        Diagonal(c);
      },
      120, 80);
  e.PlayMetafile(mf);
  EXPECT_FALSE(e.GetMetafileAsImage());
  EXPECT_EQ(e.CurrentItems(), (Lines{"Other"}));  // the text item drawn before
  EXPECT_EQ(e.Log.back(), "DrawImage 0,0 120x80");
  TMetafile plain = Picture(Diagonal);
  e.PlayMetafile(plain);
  EXPECT_EQ(e.CurrentItems().size(), 3u);
}

}  // namespace
}  // namespace km::test
