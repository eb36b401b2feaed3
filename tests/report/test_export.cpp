#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "kmReport.h"
#include "kmReportErrors.h"
#include "kmReportExport.h"

namespace km {
namespace {

// Writes every protocol call it receives as a line, and the road an object
// would take by class: rich text, picture, other view, or no view at all.
class RecordingFilter : public TfrxCustomExportFilter {
 public:
  std::vector<std::string> calls;
  TModalResult modal = mrOk;
  bool start = true;

  std::u16string GetDescription() const override { return u"Recording (*.rec)"; }
  TModalResult ShowModal() override {
    calls.push_back("ShowModal");
    return modal;
  }
  bool Start() override {
    calls.push_back("Start");
    return start;
  }
  void StartPage(TfrxReportPage& page, int index) override {
    calls.push_back("StartPage " + page.GetName() + " " + std::to_string(index));
  }
  void ExportObject(TfrxComponent& obj) override {
    const char* road = dynamic_cast<TfrxRichView*>(&obj)      ? "rich"
                       : dynamic_cast<TfrxPictureView*>(&obj) ? "picture"
                       : dynamic_cast<TfrxView*>(&obj)        ? "view"
                                                              : "none";
    calls.push_back("ExportObject " + obj.GetName() + " " + road);
  }
  void FinishPage(TfrxReportPage& page, int index) override {
    calls.push_back("FinishPage " + page.GetName() + " " + std::to_string(index));
  }
  void Finish() override { calls.push_back("Finish"); }
};

const char* kReport = R"(<TfrxReport>
  <TfrxReportPage Name="A" PaperSize="9">
    <TfrxMemoView Name="M" Left="0" Top="0" Width="5" Height="5"/>
    <TfrxMasterData Name="B" Left="0" Top="10" Width="100" Height="10">
      <TfrxRichView Name="R" Left="0" Top="0" Width="5" Height="5"/>
    </TfrxMasterData>
    <TfrxLineView Name="L" Left="0" Top="0" Width="5" Height="0"/>
  </TfrxReportPage>
  <TfrxReportPage Name="B2" PaperSize="9"/>
  <TfrxReportPage Name="C" PaperSize="9"/>
</TfrxReport>)";

TEST(Export, DrivesTheProtocolOverEveryPreparedPageAndObject) {
  TfrxReport report;
  report.LoadFromString(kReport, "r.fr3");
  report.PrepareReport();
  RecordingFilter filter;
  EXPECT_TRUE(report.Export(filter));
  EXPECT_EQ(filter.GetReport(), &report);
  const std::vector<std::string> want = {
      "ShowModal",
      "Start",
      "StartPage A 0",
      "ExportObject _pagebackground picture",
      "ExportObject M view",
      "ExportObject B none",
      "ExportObject R rich",
      "ExportObject L view",
      "FinishPage A 0",
      "StartPage B2 1",
      "ExportObject _pagebackground picture",
      "FinishPage B2 1",
      "StartPage C 2",
      "ExportObject _pagebackground picture",
      "FinishPage C 2",
      "Finish",
  };
  EXPECT_EQ(filter.calls, want);
}

TEST(Export, PageNumbersSelectPagesAndKeepTheirIndexes) {
  TfrxReport report;
  report.LoadFromString(kReport, "r.fr3");
  report.PrepareReport();
  RecordingFilter filter;
  filter.SetPageNumbers("3, 2-2,9");
  report.Export(filter);
  const std::vector<std::string> want = {
      "ShowModal", "Start", "StartPage B2 1", "ExportObject _pagebackground picture", "FinishPage B2 1",
      "StartPage C 2", "ExportObject _pagebackground picture", "FinishPage C 2", "Finish"};
  EXPECT_EQ(filter.calls, want);
}

TEST(Export, DeclinedDialogOrStartStopsTheExport) {
  TfrxReport report;
  report.PrepareReport();
  RecordingFilter cancelled;
  cancelled.modal = mrCancel;
  EXPECT_FALSE(report.Export(cancelled));
  EXPECT_EQ(cancelled.calls, std::vector<std::string>{"ShowModal"});
  RecordingFilter refused;
  refused.start = false;
  EXPECT_FALSE(report.Export(refused));
  EXPECT_EQ(refused.calls, (std::vector<std::string>{"ShowModal", "Start"}));
}

TEST(Export, AReportWithoutPagesStartsAndFinishesOnly) {
  TfrxReport report;
  report.LoadFromFile("/nonexistent/Test.fr3");
  report.PrepareReport();
  RecordingFilter filter;
  EXPECT_TRUE(report.Export(filter));
  EXPECT_EQ(filter.calls, (std::vector<std::string>{"ShowModal", "Start", "Finish"}));
}

TEST(Export, FilterForgetsAReportThatIsDestroyed) {
  RecordingFilter filter;
  {
    TfrxReport report;
    report.Export(filter);
    EXPECT_EQ(filter.GetReport(), &report);
  }
  EXPECT_EQ(filter.GetReport(), nullptr);
}

TEST(SelectPages, ListsAndRanges) {
  struct Case {
    const char* list;
    int count;
    std::vector<int> want;
  };
  const Case cases[] = {
      {"", 3, {0, 1, 2}},     {"  ", 2, {0, 1}},      {"2", 3, {1}},         {"1-3", 5, {0, 1, 2}},
      {"3,1", 3, {0, 2}},     {"2-9", 4, {1, 2, 3}},  {"5", 3, {}},          {"1,1,1-2", 3, {0, 1}},
      {"", 0, {}},            {" 2 - 3 ", 3, {1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list);
    EXPECT_EQ(SelectPages(c.list, c.count), c.want);
  }
  for (const char* bad : {"0", "a", "1-", "-2", "3-1", "1,,2", "1.5", "99999999999"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(SelectPages(bad, 3), EfrxError);
  }
}

TEST(ExportFilterList, FiltersRegisterOnCreationAndUnregisterOnDestruction) {
  int before = frxExportFilters().Count();
  auto a = std::make_unique<RecordingFilter>();
  auto b = std::make_unique<RecordingFilter>();
  ASSERT_EQ(frxExportFilters().Count(), before + 2);
  EXPECT_EQ(frxExportFilters().Get(before), a.get());
  EXPECT_EQ(frxExportFilters().Get(before + 1), b.get());
  EXPECT_EQ(frxExportFilters().Get(before)->GetDescription(), u"Recording (*.rec)");
  a.reset();
  ASSERT_EQ(frxExportFilters().Count(), before + 1);
  EXPECT_EQ(frxExportFilters().Get(before), b.get());
  b.reset();
  EXPECT_EQ(frxExportFilters().Count(), before);
  EXPECT_EQ(frxExportFilters().Get(before), nullptr);
  EXPECT_EQ(frxExportFilters().Get(-1), nullptr);
}

TEST(Resources, AddReplacesAndGetFallsBackToTheKey) {
  TfrxResources res;
  EXPECT_FALSE(res.Contains("TkmPDFEngine"));
  EXPECT_EQ(res.Get("TkmPDFEngine"), u"TkmPDFEngine");
  res.Add("TkmPDFEngine", u"Adobe PDF Files (*.pdf)");
  EXPECT_EQ(res.Get("TkmPDFEngine"), u"Adobe PDF Files (*.pdf)");
  res.Add("TkmPDFEngine", u"Other (*.pdf)");
  EXPECT_EQ(res.Get("TkmPDFEngine"), u"Other (*.pdf)");
  EXPECT_TRUE(res.Contains("TkmPDFEngine"));
  // The process-wide table is one object.
  EXPECT_EQ(&frxResources(), &frxResources());
}

class CountingPreview : public TfrxPreviewControl {
 public:
  int shown = 0;
  int pages = -1;
  void ShowPreparedPages(TfrxReport& report) override {
    ++shown;
    pages = report.GetPreviewPages().Count();
  }
};

TEST(Preview, ShowReportPreparesAndShowsInTheAttachedControl) {
  TfrxReport report;
  CountingPreview preview;
  report.SetPreview(&preview);
  EXPECT_EQ(preview.GetReport(), &report);
  report.ShowReport();
  EXPECT_EQ(preview.shown, 1);
  EXPECT_EQ(preview.pages, 1);
  report.ShowPreparedReport();
  EXPECT_EQ(preview.shown, 2);
}

TEST(Preview, WithoutControlTheProviderShowsAndWithoutEitherNothingHappens) {
  TfrxReport report;
  int provided = 0;
  TfrxReport::SetPreviewProvider([&](TfrxReport& r) {
    EXPECT_EQ(&r, &report);
    ++provided;
  });
  report.ShowReport();
  EXPECT_EQ(provided, 1);
  TfrxReport::SetPreviewProvider({});
  report.ShowReport();
  EXPECT_EQ(provided, 1);
  EXPECT_EQ(report.GetPreviewPages().Count(), 1);
}

TEST(Preview, LinksAreClearedByWhicheverGoesFirst) {
  auto preview = std::make_unique<CountingPreview>();
  {
    TfrxReport report;
    report.SetPreview(preview.get());
  }
  EXPECT_EQ(preview->GetReport(), nullptr);

  TfrxReport report;
  report.SetPreview(preview.get());
  preview.reset();
  EXPECT_EQ(report.GetPreview(), nullptr);
  report.ShowReport();  // must not reach the destroyed control

  // Attaching a control to a second report detaches it from the first.
  CountingPreview shared;
  TfrxReport one, two;
  one.SetPreview(&shared);
  two.SetPreview(&shared);
  EXPECT_EQ(one.GetPreview(), nullptr);
  EXPECT_EQ(two.GetPreview(), &shared);
  EXPECT_EQ(shared.GetReport(), &two);
}

}  // namespace
}  // namespace km
