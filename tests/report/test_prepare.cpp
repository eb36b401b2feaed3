#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kmReport.h"

namespace km {
namespace {

constexpr double kMM = 96.0 / 25.4;

const char* kTwoPages = R"(<TfrxReport>
  <TfrxDataPage Width="1000" Height="1000"/>
  <TfrxReportPage Name="First" PaperSize="9" LeftMargin="20" TopMargin="15" RightMargin="5" BottomMargin="25"
                  Color="clWhite" Frame.Typ="15" Frame.Width="2">
    <TfrxMemoView Name="Title" Left="10" Top="12" Width="300" Height="30"/>
    <TfrxPageHeader Name="Header" Left="0" Top="50" Width="700" Height="40">
      <TfrxLineView Name="Rule" Left="5" Top="35" Width="600" Height="0"/>
      <TfrxMemoView Name="Hidden" Left="0" Top="0" Width="5" Height="5" Visible="False"/>
      <TfrxShapeView Name="Box" Left="650" Top="2" Width="30" Height="30"/>
    </TfrxPageHeader>
    <TfrxBand Name="HiddenBand" Left="0" Top="100" Width="700" Height="40" Visible="0">
      <TfrxMemoView Name="InHiddenBand" Left="0" Top="0" Width="5" Height="5"/>
    </TfrxBand>
    <TfrxRichView Name="Rich" Left="30" Top="200" Width="100" Height="20"/>
  </TfrxReportPage>
  <TfrxReportPage Name="Second" PaperSize="11" Orientation="poLandscape">
    <TfrxMemoView Name="Other" Left="1" Top="2" Width="3" Height="4"/>
  </TfrxReportPage>
</TfrxReport>)";

struct Placed {
  std::string name;
  std::string cls;
  double left, top, width, height;
};

std::vector<Placed> Objects(const TfrxReportPage& page) {
  std::vector<Placed> out;
  for (const auto& o : page.GetObjects())
    out.push_back({o->GetName(), o->ClassName(), o->GetAbsLeft(), o->GetAbsTop(), o->GetWidth(), o->GetHeight()});
  return out;
}

TEST(PrepareReport, OnePreparedPagePerReportPageWithObjectsFlatAtAbsolutePositions) {
  TfrxReport report;
  report.LoadFromString(kTwoPages, "two.fr3");
  ASSERT_TRUE(report.PrepareReport());
  ASSERT_EQ(report.GetPreviewPages().Count(), 2);

  const TfrxReportPage& first = *report.GetPreviewPages().GetPage(0);
  EXPECT_EQ(first.GetName(), "First");
  EXPECT_EQ(first.GetPaperWidth(), 210);
  EXPECT_EQ(first.GetLeftMargin(), 20);
  const std::vector<Placed> want = {
      {"_pagebackground", "TfrxPictureView", 20 * kMM, 15 * kMM, 185 * kMM, 257 * kMM},
      {"Title", "TfrxMemoView", 10, 12, 300, 30},
      {"Header", "TfrxPageHeader", 0, 50, 700, 40},
      {"Rule", "TfrxLineView", 5, 85, 600, 0},
      {"Box", "TfrxShapeView", 650, 52, 30, 30},
      {"Rich", "TfrxRichView", 30, 200, 100, 20},
  };
  std::vector<Placed> got = Objects(first);
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE(want[i].name);
    EXPECT_EQ(got[i].name, want[i].name);
    EXPECT_EQ(got[i].cls, want[i].cls);
    EXPECT_NEAR(got[i].left, want[i].left, 1e-9);
    EXPECT_NEAR(got[i].top, want[i].top, 1e-9);
    EXPECT_NEAR(got[i].width, want[i].width, 1e-9);
    EXPECT_NEAR(got[i].height, want[i].height, 1e-9);
    // Flat: every object's parent is the prepared page, and Left is absolute.
    EXPECT_EQ(first.GetObjects()[i]->GetParent(), &first);
    EXPECT_TRUE(first.GetObjects()[i]->GetObjects().empty());
  }

  const TfrxReportPage& second = *report.GetPreviewPages().GetPage(1);
  EXPECT_EQ(second.GetPaperWidth(), 210);  // A5 landscape
  EXPECT_EQ(second.GetPaperHeight(), 148);
  std::vector<Placed> other = Objects(second);
  ASSERT_EQ(other.size(), 2u);
  EXPECT_EQ(other[0].name, "_pagebackground");
  EXPECT_NEAR(other[0].width, 190 * kMM, 1e-9);
  EXPECT_NEAR(other[0].height, 128 * kMM, 1e-9);
  EXPECT_EQ(other[1].name, "Other");
  EXPECT_EQ(report.GetPreviewPages().GetPage(2), nullptr);
  EXPECT_EQ(report.GetPreviewPages().GetPage(-1), nullptr);
}

TEST(PrepareReport, BackgroundViewCarriesThePageColourAndFrame) {
  TfrxReport report;
  report.LoadFromString(kTwoPages, "two.fr3");
  report.PrepareReport();
  const auto* bg = dynamic_cast<const TfrxPictureView*>(report.GetPreviewPages().GetPage(0)->GetObjects()[0].get());
  ASSERT_NE(bg, nullptr);
  EXPECT_EQ(bg->GetColor(), clWhite);
  EXPECT_EQ(bg->GetFrame().Typ.Count(), 4u);
  EXPECT_EQ(bg->GetFrame().Width, 2);
  EXPECT_EQ(bg->GetPicture().GetGraphic(), nullptr);
  const auto* bg2 = dynamic_cast<const TfrxPictureView*>(report.GetPreviewPages().GetPage(1)->GetObjects()[0].get());
  ASSERT_NE(bg2, nullptr);
  EXPECT_EQ(bg2->GetColor(), clNone);
  EXPECT_TRUE(bg2->GetFrame().Typ.Empty());
}

TEST(PrepareReport, PreparedPagesAreCopiesOfTheTemplate) {
  TfrxReport report;
  report.PrepareReport();
  TfrxReportPage& page = *report.GetPreviewPages().GetPage(0);
  TfrxComponent* prepared = page.FindObject("rv_Belegnummer");
  ASSERT_NE(prepared, nullptr);
  prepared->SetLeft(0);
  dynamic_cast<TfrxRichView&>(*prepared).SetRichText("changed");
  const auto& original = dynamic_cast<const TfrxRichView&>(*report.FindObject("rv_Belegnummer"));
  EXPECT_EQ(original.GetLeft(), 461);
  EXPECT_NE(original.GetRichText(), "changed");
}

TEST(PrepareReport, DefaultTemplateGivesOnePageOfSeventeenObjects) {
  TfrxReport report;
  ASSERT_TRUE(report.PrepareReport());
  ASSERT_EQ(report.GetPreviewPages().Count(), 1);
  const TfrxReportPage& page = *report.GetPreviewPages().GetPage(0);
  ASSERT_EQ(page.GetObjects().size(), 17u);
  EXPECT_EQ(page.GetObjects()[0]->GetName(), "_pagebackground");
  EXPECT_EQ(page.GetObjects()[1]->GetName(), "me_Vorgangstext_Rahmen");
  EXPECT_EQ(page.GetObjects()[16]->GetName(), "Rich2");
}

TEST(PrepareReport, ClearLastReportFalseAppends) {
  TfrxReport report;
  report.PrepareReport();
  report.PrepareReport(false);
  EXPECT_EQ(report.GetPreviewPages().Count(), 2);
  report.PrepareReport(true);
  EXPECT_EQ(report.GetPreviewPages().Count(), 1);
}

TEST(PrepareReport, ATemplateWithoutReportPagesPreparesNothing) {
  TfrxReport report;
  report.LoadFromString("<TfrxReport><TfrxDataPage/></TfrxReport>", "data.fr3");
  EXPECT_FALSE(report.PrepareReport());
  EXPECT_EQ(report.GetPreviewPages().Count(), 0);
}

}  // namespace
}  // namespace km
