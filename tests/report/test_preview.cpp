// The preview window under the offscreen platform: it shows page 1, the
// frames land on the right pixels, navigation, zoom and the export menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <memory>
#include <string>
#include <vector>

#include "EmfLog.h"
#include "kmFontCatalog.h"
#include "kmReportExport.h"
#include "kmReportPreview.h"

namespace km {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "test_report_preview";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

class PreviewWindow : public ::testing::Test {
 protected:
  void SetUp() override { App(); }
  ScopedFontCatalog fonts_{FontCatalog::FromDirectory(test::LiberationDir())};
};

bool Dark(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

TEST_F(PreviewWindow, ShowsPageOneOfTheDefaultTemplateWithItsFramesAtTheRightPixels) {
  TfrxReport report;
  TfrxPreviewForm form;
  report.SetPreview(&form);
  report.ShowReport();
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.PageCount(), 1);
  EXPECT_EQ(form.CurrentPage(), 0);
  const QImage& image = form.PageImage();
  // A4 at 96 pixels per inch: 793.7 x 1122.5 report units.
  ASSERT_EQ(image.width(), 794);
  ASSERT_EQ(image.height(), 1123);
  // me_Vorgangstext_Rahmen: 450, 68 to 714.57, 283.43 -> a one-pixel frame on
  // columns 450 and 715 and rows 68 and 283.
  for (int x : {460, 600, 700}) {
    EXPECT_TRUE(Dark(image, x, 68)) << x;
    EXPECT_FALSE(Dark(image, x, 67)) << x;
    EXPECT_FALSE(Dark(image, x, 69)) << x;
    EXPECT_TRUE(Dark(image, x, 283)) << x;
    // me_Vorgangstext_Strich: its top side at row 183.
    EXPECT_TRUE(Dark(image, x, 183)) << x;
  }
  for (int y : {100, 200, 270}) {
    EXPECT_TRUE(Dark(image, 450, y)) << y;
    EXPECT_FALSE(Dark(image, 449, y)) << y;
    EXPECT_FALSE(Dark(image, 451, y)) << y;
    EXPECT_TRUE(Dark(image, 715, y)) << y;
  }
  // Outside every object the paper is white; the labels leave ink inside the frame.
  EXPECT_FALSE(Dark(image, 100, 100));
  int ink = 0;
  for (int y = 75; y < 87; ++y)
    for (int x = 471; x < 545; ++x) ink += Dark(image, x, y);
  EXPECT_GT(ink, 20) << "the label Belegnummer";
}

TEST_F(PreviewWindow, NavigatesPagesAndZooms) {
  TfrxReport report;
  report.LoadFromString(R"(<TfrxReport>
    <TfrxReportPage Name="P1" PaperWidth="100" PaperHeight="50" LeftMargin="0" RightMargin="0" TopMargin="0" BottomMargin="0">
      <TfrxShapeView Left="10" Top="10" Width="20" Height="20" Color="clBlack"/>
    </TfrxReportPage>
    <TfrxReportPage Name="P2" PaperWidth="100" PaperHeight="50" LeftMargin="0" RightMargin="0" TopMargin="0" BottomMargin="0">
      <TfrxShapeView Left="50" Top="10" Width="20" Height="20" Color="clBlack"/>
    </TfrxReportPage>
  </TfrxReport>)",
                        "two.fr3");
  report.PrepareReport();
  TfrxPreviewForm form;
  form.ShowPreparedPages(report);
  EXPECT_EQ(form.PageCount(), 2);
  EXPECT_FALSE(form.PriorAction()->isEnabled());
  EXPECT_TRUE(Dark(form.PageImage(), 20, 20));
  EXPECT_FALSE(Dark(form.PageImage(), 60, 20));
  form.NextAction()->trigger();
  EXPECT_EQ(form.CurrentPage(), 1);
  EXPECT_FALSE(form.NextAction()->isEnabled());
  EXPECT_FALSE(Dark(form.PageImage(), 20, 20));
  EXPECT_TRUE(Dark(form.PageImage(), 60, 20));
  form.GoToPage(7);
  EXPECT_EQ(form.CurrentPage(), 1);
  form.FirstAction()->trigger();
  EXPECT_EQ(form.CurrentPage(), 0);

  const int w1 = form.PageImage().width();
  form.SetZoom(2);
  EXPECT_EQ(form.PageImage().width(), static_cast<int>(std::nearbyint(100 * 96 / 25.4 * 2)));
  EXPECT_NEAR(form.PageImage().width(), 2 * w1, 1);
  EXPECT_TRUE(Dark(form.PageImage(), 40, 40));   // (20, 20) at zoom 2
  EXPECT_FALSE(Dark(form.PageImage(), 66, 40));  // right of the square's 20..60
  form.ZoomOutAction()->trigger();
  EXPECT_DOUBLE_EQ(form.Zoom(), 1.6);
}

// A filter that notes the pages it was given.
class PageFilter : public TfrxCustomExportFilter {
 public:
  explicit PageFilter(std::u16string d) : description(std::move(d)) {}
  std::u16string GetDescription() const override { return description; }
  void StartPage(TfrxReportPage&, int index) override { pages.push_back(index); }
  std::u16string description;
  std::vector<int> pages;
};

TEST_F(PreviewWindow, ExportMenuListsEveryRegisteredFilterAndExports) {
  TfrxReport report;
  report.LoadFromString(R"(<TfrxReport><TfrxReportPage PaperSize="9"/><TfrxReportPage PaperSize="9"/></TfrxReport>)",
                        "t.fr3");
  report.PrepareReport();
  TfrxPreviewForm form;
  form.ShowPreparedPages(report);
  std::vector<QString> texts;
  {
    PageFilter pdf(u"Adobe PDF Files (*.pdf)"), other(u"Other (*.oth)");
    form.RefreshExportMenu();
    for (QAction* a : form.ExportMenu()->actions())
      if (!a->isSeparator()) texts.push_back(a->text());
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 3], QString("Adobe PDF Files (*.pdf)"));
    EXPECT_EQ(texts[texts.size() - 2], QString("Other (*.oth)"));
    // Choosing an entry exports every page through that filter.
    for (QAction* a : form.ExportMenu()->actions())
      if (a->text() == "Adobe PDF Files (*.pdf)") a->trigger();
    EXPECT_EQ(pdf.pages, (std::vector<int>{0, 1}));
    EXPECT_TRUE(other.pages.empty());
    // Only the page on show, when asked.
    form.GoToPage(1);
    form.SetExportCurrentPageOnly(true);
    pdf.pages.clear();
    EXPECT_TRUE(form.ExportWith(pdf));
    EXPECT_EQ(pdf.pages, (std::vector<int>{1}));
    EXPECT_EQ(pdf.GetPageNumbers(), "");
  }
  // Filters that went away leave the menu.
  form.RefreshExportMenu();
  for (QAction* a : form.ExportMenu()->actions()) EXPECT_NE(a->text(), QString("Other (*.oth)"));
}

TEST_F(PreviewWindow, AReportThatGoesAwayLeavesAnEmptyWindow) {
  TfrxPreviewForm form;
  {
    TfrxReport report;
    report.SetPreview(&form);
    report.ShowReport();
    EXPECT_EQ(form.PageCount(), 1);
  }
  EXPECT_EQ(form.PageCount(), 0);
  form.GoToPage(0);
  EXPECT_TRUE(form.PageImage().isNull());
}

}  // namespace
}  // namespace km
