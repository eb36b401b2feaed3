// The page loop of rich text, driven by stand-in render steps.

#include <gtest/gtest.h>

#include "FixedTextMetrics.h"

namespace km::test {
namespace {

class RichTextTest : public ::testing::Test {
 protected:
  RichTextTest() {
    engine.SetFileName(dir.File("doc"));
    engine.SetMeasurementUnit(TkmUnitType::muInches);
  }
  // A step that takes `perPage` characters of a text of `length`.
  TkmCustomDocumentEngine::TkmRichTextRenderStep Taking(int perPage, int length) {
    return [this, perPage, length](TMetafileCanvas&, const TkmIntRect& twips, int from, int to) {
      calls.push_back({from, to, engine.GetCurrentPage()});
      rects.push_back(twips);
      const int last = to < 0 ? length - 1 : to;
      const int next = from + perPage;
      return next > last ? -1 : next;
    };
  }
  struct Call {
    int from, to, page;
    friend bool operator==(const Call&, const Call&) = default;
  };
  TempDir dir;
  TTextEngine engine;
  std::vector<Call> calls;
  std::vector<TkmIntRect> rects;
};

TEST_F(RichTextTest, TwipsRectangleFromTheCallersUnit) {
  EXPECT_EQ(engine.RichTextTwipsRect(1, 0.5, 3, 2), (TkmIntRect{1440, 720, 4320, 2880}));
  // Pixels at different horizontal and vertical input resolutions.
  engine.SetMeasurementUnit(TkmUnitType::muPixels);
  engine.SetInputXRes(192);
  engine.SetInputYRes(48);
  EXPECT_EQ(engine.RichTextTwipsRect(96, 24, 192, 48), (TkmIntRect{720, 720, 1440, 1440}));
}

TEST_F(RichTextTest, ContinuesOnNewPagesUntilEverythingIsDrawn) {
  engine.BeginDoc();
  engine.RenderRichTextPages(Taking(10, 25), 1, 1, 3, 2, 0, -1, clWhite);
  EXPECT_EQ(calls, (std::vector<Call>{{0, -1, 1}, {10, -1, 2}, {20, -1, 3}}));
  EXPECT_EQ(engine.GetPageCount(), 3);
  for (const TkmIntRect& r : rects) EXPECT_EQ(r, (TkmIntRect{1440, 1440, 4320, 2880}));
  // A range that fits one page opens no page.
  calls.clear();
  engine.RenderRichTextPages(Taking(10, 25), 1, 1, 3, 2, 3, 8, clWhite);
  EXPECT_EQ(calls, (std::vector<Call>{{3, 8, 3}}));
  EXPECT_EQ(engine.GetPageCount(), 3);
  engine.EndDoc();
}

// Text that no page can hold (not even its first character) must not open
// pages forever: the loop ends after the page that took nothing.
TEST_F(RichTextTest, TextThatFitsNoPageStops) {
  engine.BeginDoc();
  engine.RenderRichTextPages(Taking(0, 25), 1, 1, 3, 1.01, 0, -1, clWhite);
  EXPECT_EQ(calls.size(), 1u);
  EXPECT_EQ(engine.GetPageCount(), 1);
  // Progress first, then a part that fits nowhere.
  calls.clear();
  int step = 0;
  engine.RenderRichTextPages(
      [&](TMetafileCanvas&, const TkmIntRect&, int from, int) {
        ++step;
        return step == 1 ? from + 5 : from;
      },
      1, 1, 3, 2, 0, -1, clWhite);
  EXPECT_EQ(step, 2);
  EXPECT_EQ(engine.GetPageCount(), 2);
  engine.EndDoc();
}

TEST_F(RichTextTest, NothingOutsideADocument) {
  engine.RenderRichTextPages(Taking(10, 25), 1, 1, 3, 2, 0, -1, clWhite);
  EXPECT_TRUE(calls.empty());
}

TEST_F(RichTextTest, BackgroundIsFilledOnEveryPageUnlessWhite) {
  engine.BeginDoc();
  engine.RenderRichTextPages(Taking(10, 15), 1, 1, 3, 2, 0, -1, clWhite);
  engine.NewPage();
  engine.RenderRichTextPages(Taking(10, 15), 1, 1, 3, 2, 0, -1, clYellow);
  engine.EndDoc();
  // Pages 1-2 white, 3-4 yellow: the filled pages carry more records.
  ASSERT_EQ(engine.Metafiles.size(), 4u);
  EXPECT_EQ(engine.Metafiles[0].bytes, engine.Metafiles[1].bytes);
  EXPECT_EQ(engine.Metafiles[2].bytes, engine.Metafiles[3].bytes);
  EXPECT_GT(engine.Metafiles[2].bytes, engine.Metafiles[0].bytes);
}

}  // namespace
}  // namespace km::test
