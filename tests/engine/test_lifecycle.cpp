// Document lifecycle: call and event order, bands, page ranges, errors,
// file handling, abort and the faults the engine guards against.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "RecordingEngine.h"
#include "kmDocSettingsShared.h"
#include "kmScreen.h"

namespace km::test {
namespace {

using Strings = std::vector<std::string>;

// Engine writing into a temporary folder, with every event logged and the
// shell replaced so that nothing is ever launched.
class EngineTest : public ::testing::Test {
 protected:
  EngineTest() : shell_([this](const std::string& path) {
                   opened.push_back(path);
                   return true;
                 }) {
    engine.SetFileName(dir.File("doc"));
    engine.LogEvents();
  }

  // Runs BeginDoc, pages with one content text each, EndDoc; logs the calls.
  void RunPages(int pages) {
    engine.Log.push_back("> BeginDoc");
    engine.BeginDoc();
    for (int p = 1; p <= pages; ++p) {
      if (p > 1) {
        engine.Log.push_back("> NewPage");
        engine.NewPage();
      }
      engine.AddText("C" + std::to_string(p));
    }
    engine.Log.push_back("> EndDoc");
    engine.EndDoc();
  }

  static Strings PageBlock(int n, Strings content, bool eachPage = false) {
    Strings s{"OnBeforeBeginPage " + std::to_string(n)};
    if (eachPage) s.push_back("ProcessMetafile " + std::to_string(n));
    s.insert(s.end(), {"BeginPage " + std::to_string(n), "OnAfterBeginPage " + std::to_string(n)});
    s.insert(s.end(), content.begin(), content.end());
    s.insert(s.end(), {"OnBeforeEndPage " + std::to_string(n), "EndPage " + std::to_string(n),
                       "OnAfterEndPage " + std::to_string(n)});
    return s;
  }

  static Strings Concat(std::initializer_list<Strings> parts) {
    Strings all;
    for (const Strings& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  }

  TempDir dir;
  Strings opened;
  ScopedShellOpener shell_;
  TRecordingEngine engine;
};

// ---------------------------------------------------------------------------
// Call and event order

TEST_F(EngineTest, DefaultModeProcessesAllPagesInsideEndDoc) {
  RunPages(3);
  const Strings expected = Concat({
      {"> BeginDoc", "OnBeforeBeginDoc", "Start", "OnAfterBeginDoc"},
      {"> NewPage", "ProcessMetafile 1", "> NewPage", "ProcessMetafile 2", "> EndDoc", "ProcessMetafile 3"},
      PageBlock(1, {"Text C1"}), PageBlock(2, {"Text C2"}), PageBlock(3, {"Text C3"}),
      {"OnBeforeEndDoc", "Finish", "OnAfterEndDoc"},
  });
  EXPECT_EQ(engine.Log, expected);
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esFinished);
  EXPECT_FALSE(engine.GetIsDocumentStarted());
  EXPECT_EQ(engine.GetPageCount(), 0);
}

TEST_F(EngineTest, ProcessAfterEachPageProcessesAPageWhenTheNextOpens) {
  engine.GetPreferences().SetProcessAfterEachPage(true);
  RunPages(3);
  const Strings expected = Concat({
      {"> BeginDoc", "OnBeforeBeginDoc", "Start", "OnAfterBeginDoc", "> NewPage"},
      PageBlock(1, {"Text C1"}, true), {"> NewPage"},
      PageBlock(2, {"Text C2"}, true), {"> EndDoc"},
      PageBlock(3, {"Text C3"}, true),
      {"OnBeforeEndDoc", "Finish", "OnAfterEndDoc"},
  });
  EXPECT_EQ(engine.Log, expected);
}

TEST_F(EngineTest, BeginDocThenEndDocGivesOneEmptyPage) {
  RunPages(0);
  int pages = 0;
  for (const std::string& s : engine.Log) pages += s.rfind("BeginPage", 0) == 0;
  EXPECT_EQ(pages, 1);
  EXPECT_TRUE(std::filesystem::exists(dir.File("doc.out")));
}

TEST_F(EngineTest, SecondBeginDocDoesNothing) {
  engine.BeginDoc();
  engine.Log.clear();
  engine.BeginDoc();
  EXPECT_TRUE(engine.Log.empty());
  EXPECT_EQ(engine.GetCurrentPage(), 1);
  EXPECT_EQ(engine.GetPageCount(), 1);
}

TEST_F(EngineTest, CallsBeforeBeginDocAreIgnored) {
  engine.NewPage();
  engine.BeginHeader();
  engine.AddText("lost");
  engine.EndHeader();
  engine.SetWorkingPage(1);
  engine.RestoreEngineState(5);
  engine.ClearEngineStates();
  engine.EndDoc();
  EXPECT_EQ(engine.SaveEngineState(), -1);
  EXPECT_TRUE(engine.Log.empty());
  EXPECT_EQ(engine.GetCurrentPage(), 0);
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esNone);
  EXPECT_EQ(engine.GetCanvas(), nullptr);
}

TEST_F(EngineTest, PageCanvasExistsOnlyWhileAPageIsOpen) {
  EXPECT_EQ(engine.GetCanvas(), nullptr);
  engine.BeginDoc();
  EXPECT_NE(engine.GetCanvas(), nullptr);
  engine.EndDoc();
  EXPECT_EQ(engine.GetCanvas(), nullptr);
}

TEST_F(EngineTest, DrawingOnThePageCanvasReachesProcessMetafile) {
  ScopedScreenResolution screen(96, 96);
  engine.SetInputXRes(384);
  engine.SetInputYRes(192);
  engine.BeginDoc();
  ASSERT_NE(engine.GetCanvas(), nullptr);
  engine.GetCanvas()->MoveTo(10, 10);
  engine.GetCanvas()->LineTo(300, 200);
  engine.NewPage();
  engine.EndDoc();
  ASSERT_EQ(engine.Metafiles.size(), 2u);
  // A4 sized at the input resolution: 8.2677 in x 384, 11.6929 in x 192.
  EXPECT_EQ(engine.Metafiles[0].width, 3175);
  EXPECT_EQ(engine.Metafiles[0].height, 2245);
  // The first page carries the line, the second page is empty.
  EXPECT_GT(engine.Metafiles[0].bytes, engine.Metafiles[1].bytes);
}

TEST_F(EngineTest, CancelledSetupDialogCancelsTheDocument) {
  engine.GetPreferences().SetShowSetupDialog(true);
  engine.SetupResult = mrCancel;
  engine.BeginDoc();
  engine.NewPage();
  engine.EndDoc();
  EXPECT_EQ(engine.Log, (Strings{"OnBeforeBeginDoc", "ShowSetupModal"}));
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esCancelled);
  EXPECT_FALSE(std::filesystem::exists(dir.File("doc.out")));
}

TEST_F(EngineTest, AnyOtherSetupResultStartsTheDocument) {
  engine.GetPreferences().SetShowSetupDialog(true);
  engine.SetupResult = 7;
  engine.BeginDoc();
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esStarted);
}

class FakeSetupDialog : public TkmSetupDialogComponent {
 public:
  Strings* log = nullptr;
  int result = mrCancel;
  void AttachEngine(TkmCustomDocumentEngine*) override { log->push_back("Attach"); }
  int ShowModal() override {
    log->push_back("ShowModal");
    return result;
  }
  void DetachEngine() override { log->push_back("Detach"); }
};

TEST_F(EngineTest, LinkedSetupDialogIsShownInsteadOfTheEnginesOwn) {
  engine.GetPreferences().SetShowSetupDialog(true);
  {
    FakeSetupDialog dialog;
    dialog.log = &engine.Log;
    engine.SetSetupDialog(&dialog);
    engine.BeginDoc();
    EXPECT_EQ(engine.Log, (Strings{"OnBeforeBeginDoc", "Attach", "ShowModal", "Detach"}));
    EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esCancelled);
  }
  // The destroyed dialog is unlinked; the engine's own dialog is used again.
  EXPECT_EQ(engine.GetSetupDialog(), nullptr);
  engine.Log.clear();
  engine.SetupResult = mrOk;
  engine.BeginDoc();
  EXPECT_EQ(engine.Log[1], "ShowSetupModal");
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esStarted);
}

// ---------------------------------------------------------------------------
// Bands

TEST_F(EngineTest, BandsArePaintedOnEveryPageInTheirOrder) {
  engine.GetPageBorder().SetDrawTop(true);
  engine.GetPageBorder().SetWidth(3);
  engine.BeginDoc();
  engine.AddText("C1");
  // Recorded in an order different from the paint order.
  engine.BeginStamp();
  engine.AddText("S");
  engine.EndStamp();
  engine.BeginFooter();
  engine.AddText("F");
  engine.EndFooter();
  engine.BeginWaterMark();
  engine.AddText("W");
  engine.EndWaterMark();
  engine.BeginHeader();
  engine.AddText("H");
  engine.EndHeader();
  engine.NewPage();
  engine.AddText("C2");
  engine.Log.clear();
  engine.EndDoc();
  // A4 at 96 pixels per inch, no margins: the top border runs along y = 0.
  const std::string border = "Line 0,0-793.6992,0 w3";
  const Strings expected = Concat({
      {"ProcessMetafile 2"},
      PageBlock(1, {border, "Text H", "Text W", "Text C1", "Text F", "Text S"}),
      PageBlock(2, {border, "Text H", "Text W", "Text C2", "Text F", "Text S"}),
      {"OnBeforeEndDoc", "Finish", "OnAfterEndDoc"},
  });
  EXPECT_EQ(engine.Log, expected);
}

TEST_F(EngineTest, EnginesThatRepeatABandThemselvesGetItOnPageOneOnly) {
  engine.SetCapabilities(engine.GetCapabilities() | TkmCapabilities{TkmCapabilityKind::ckHeader});
  engine.BeginDoc();
  engine.BeginHeader();
  engine.AddText("H");
  engine.EndHeader();
  engine.BeginFooter();
  engine.AddText("F");
  engine.EndFooter();
  engine.NewPage();
  engine.Log.clear();
  engine.EndDoc();
  const Strings expected = Concat({
      {"ProcessMetafile 2"},
      PageBlock(1, {"Text H", "Text F"}),
      PageBlock(2, {"Text F"}),
      {"OnBeforeEndDoc", "Finish", "OnAfterEndDoc"},
  });
  EXPECT_EQ(engine.Log, expected);
}

struct LateHeaderCase {
  bool eachPage;
  Strings headerPages;
};

class LateHeaderTest : public EngineTest, public ::testing::WithParamInterface<LateHeaderCase> {};

TEST_P(LateHeaderTest, HeaderRecordedOnPageFiveReachesThePagesProcessedAfterwards) {
  engine.GetPreferences().SetProcessAfterEachPage(GetParam().eachPage);
  engine.BeginDoc();
  for (int p = 2; p <= 6; ++p) engine.NewPage();
  // Page 6 is current; pages 1-5 exist (and are processed already in each-page mode).
  engine.BeginHeader();
  engine.AddText("H <%Pg#%>");
  engine.EndHeader();
  engine.EndDoc();
  Strings headers;
  for (const std::string& s : engine.Log)
    if (s.rfind("Text H", 0) == 0) headers.push_back(s);
  EXPECT_EQ(headers, GetParam().headerPages);
}

INSTANTIATE_TEST_SUITE_P(Modes, LateHeaderTest,
                         ::testing::Values(LateHeaderCase{false, {"Text H 1", "Text H 2", "Text H 3",
                                                                  "Text H 4", "Text H 5", "Text H 6"}},
                                           LateHeaderCase{true, {"Text H 6"}}));

TEST_F(EngineTest, ClearHeaderRemovesTheBandFromPagesProcessedAfterwards) {
  engine.BeginDoc();
  engine.BeginHeader();
  engine.AddText("H");
  engine.EndHeader();
  engine.NewPage();
  engine.ClearHeader();
  engine.EndDoc();
  EXPECT_EQ(std::count(engine.Log.begin(), engine.Log.end(), "Text H"), 0);
}

TEST_F(EngineTest, TextListMarksItsLastTextItem) {
  engine.BeginDoc();
  auto text = [](const char16_t* s) {
    auto item = std::make_unique<TkmTextItem>();
    item->GetLines().Add(s);
    return item;
  };
  TkmItemList& list = engine.GetHeaderItem()->GetTextItems();
  list.push_back(text(u"a"));
  list.push_back(text(u"b"));
  list.push_back(std::make_unique<TkmShapeItem>(false, TkmShapeType::stLine));  // not text: skipped
  list.push_back(text(u"c"));
  engine.Log.clear();
  engine.LastFlags.clear();
  engine.EndDoc();
  const Strings texts(engine.Log.begin() + 4, engine.Log.begin() + 7);
  EXPECT_EQ(texts, (Strings{"Text a", "Text b", "Text c"}));
  EXPECT_EQ(engine.LastFlags, (std::vector<bool>{false, false, true}));
}

// ---------------------------------------------------------------------------
// Page ranges

struct RangeCase {
  std::string filter;
  std::vector<int> selected;  // of pages 1..8
};

class PageRangeTest : public EngineTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(PageRangeTest, SelectsThePagesOfTheFilter) {
  engine.SetPagesToRender(GetParam().filter);
  std::vector<int> selected;
  for (int p = 1; p <= 8; ++p)
    if (engine.IsPageInRange(p)) selected.push_back(p);
  EXPECT_EQ(selected, GetParam().selected) << "filter: " << GetParam().filter;
}

INSTANTIATE_TEST_SUITE_P(
    Filters, PageRangeTest,
    ::testing::Values(RangeCase{"", {1, 2, 3, 4, 5, 6, 7, 8}}, RangeCase{"1-3,5", {1, 2, 3, 5}},
                      RangeCase{"1-3, 5", {1, 2, 3, 5}}, RangeCase{"2 4", {2, 4}}, RangeCase{"1-3,x7", {1, 2, 3}},
                      RangeCase{"5-3", {}}, RangeCase{"3-1", {}}, RangeCase{"a,2", {2}}, RangeCase{"8", {8}},
                      RangeCase{"7-99", {7, 8}}, RangeCase{"\"2\" 4", {2, 4}}, RangeCase{"\"1 3\"", {}},
                      // Entries with a missing or non-numeric bound are skipped.
                      RangeCase{"5-,2", {2}}, RangeCase{"-5,3", {3}}, RangeCase{"1-2-3,4", {4}},
                      RangeCase{"-", {}}, RangeCase{"99999999999999999999999,1", {1}}));

TEST_F(EngineTest, PagesOutsideTheRangeAreCountedButNotEncoded) {
  engine.SetPagesToRender("2");
  engine.BeginDoc();
  engine.AddText("C1 of <%PgCnt%>");
  engine.NewPage();
  engine.AddText("C2 of <%PgCnt%>");
  engine.NewPage();
  engine.AddText("C3 of <%PgCnt%>");
  engine.Log.clear();
  engine.EndDoc();
  const Strings expected = Concat({
      {"ProcessMetafile 3"},
      PageBlock(2, {"Text C2 of 3"}),
      {"OnBeforeEndDoc", "Finish", "OnAfterEndDoc"},
  });
  EXPECT_EQ(engine.Log, expected);
}

TEST_F(EngineTest, MalformedRangeEntriesNeverEscapeEndDoc) {
  engine.SetPagesToRender("5-,-1,1-2-3,1");
  engine.BeginDoc();
  EXPECT_NO_THROW(engine.EndDoc());
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esFinished);
  EXPECT_NE(std::find(engine.Log.begin(), engine.Log.end(), "BeginPage 1"), engine.Log.end());
}

TEST_F(EngineTest, PagesOutsideTheRangeDiscardTheirCanvasInEachPageMode) {
  engine.GetPreferences().SetProcessAfterEachPage(true);
  engine.SetPagesToRender("2");
  RunPages(2);
  EXPECT_EQ(std::count(engine.Log.begin(), engine.Log.end(), "ProcessMetafile 1"), 0);
  EXPECT_EQ(std::count(engine.Log.begin(), engine.Log.end(), "ProcessMetafile 2"), 1);
}

// ---------------------------------------------------------------------------
// Errors: raised, or routed to OnErrorMessage

TEST_F(EngineTest, InvalidWorkingPageRaisesWithoutHandler) {
  engine.BeginDoc();
  engine.NewPage();
  for (int page : {0, -1, 3}) {
    try {
      engine.SetWorkingPage(page);
      ADD_FAILURE() << "no exception for page " << page;
    } catch (const EInvalidPageNumber& e) {
      EXPECT_STREQ(e.what(), "Invalid Page Number");
    }
    EXPECT_EQ(engine.GetCurrentPage(), 2);
  }
}

TEST_F(EngineTest, InvalidWorkingPageIsRoutedToTheHandler) {
  Strings messages;
  engine.OnErrorMessage = [&](TkmCustomDocumentEngine&, const EkmError& e) {
    messages.push_back(e.what());
    EXPECT_NE(dynamic_cast<const EInvalidPageNumber*>(&e), nullptr);
  };
  engine.BeginDoc();
  EXPECT_NO_THROW(engine.SetWorkingPage(0));
  EXPECT_EQ(messages, (Strings{"Invalid Page Number"}));
  EXPECT_EQ(engine.GetCurrentPage(), 1);
}

TEST_F(EngineTest, WorkingPageReceivesLaterItems) {
  engine.BeginDoc();
  engine.AddText("A1");
  engine.NewPage();
  engine.AddText("B2");
  engine.SetWorkingPage(1);
  EXPECT_EQ(engine.GetCurrentPage(), 1);
  engine.AddText("C1");
  engine.Log.clear();
  engine.EndDoc();
  const Strings expected = Concat({
      {"ProcessMetafile 1"},
      PageBlock(1, {"Text A1", "Text C1"}),
      PageBlock(2, {"Text B2"}),
      {"OnBeforeEndDoc", "Finish", "OnAfterEndDoc"},
  });
  EXPECT_EQ(engine.Log, expected);
}

TEST_F(EngineTest, WorkingPageIsIgnoredInEachPageMode) {
  engine.GetPreferences().SetProcessAfterEachPage(true);
  engine.BeginDoc();
  engine.NewPage();
  engine.NewPage();
  EXPECT_NO_THROW(engine.SetWorkingPage(1));
  EXPECT_NO_THROW(engine.SetWorkingPage(0));
  EXPECT_EQ(engine.GetCurrentPage(), 3);
}

TEST_F(EngineTest, EngineStatesAreNumberedFromTheDefaultState) {
  engine.BeginDoc();
  TFont font = engine.GetFont();
  const std::u16string original = font.GetName();
  font.SetName(u"First");
  engine.SetFont(font);
  EXPECT_EQ(engine.SaveEngineState(), 1);
  font.SetName(u"Second");
  engine.SetFont(font);
  EXPECT_EQ(engine.SaveEngineState(), 2);
  font.SetName(u"Third");
  engine.SetFont(font);
  for (int repeat = 0; repeat < 2; ++repeat) {
    engine.RestoreEngineState(-1);
    EXPECT_EQ(engine.GetFont().GetName(), u"Second");
    engine.SetFont(font);
  }
  engine.RestoreEngineState(1);
  EXPECT_EQ(engine.GetFont().GetName(), u"First");
  engine.RestoreEngineState(0);
  EXPECT_EQ(engine.GetFont().GetName(), original);
}

struct StateErrorCase {
  int saves;
  int index;
};

class EngineStateErrorTest : public EngineTest, public ::testing::WithParamInterface<StateErrorCase> {};

TEST_P(EngineStateErrorTest, InvalidIdentifierIsReportedAndChangesNothing) {
  engine.BeginDoc();
  if (GetParam().saves < 0) engine.ClearEngineStates();
  for (int i = 0; i < GetParam().saves; ++i) engine.SaveEngineState();
  engine.GetPen().SetWidth(9);
  try {
    engine.RestoreEngineState(GetParam().index);
    ADD_FAILURE() << "no exception";
  } catch (const EInvalidEngineState& e) {
    EXPECT_STREQ(e.what(), "Not a valid Engine State identifier");
  }
  EXPECT_EQ(engine.GetPen().GetWidth(), 9);

  Strings messages;
  engine.OnErrorMessage = [&](TkmCustomDocumentEngine&, const EkmError& e) { messages.push_back(e.what()); };
  EXPECT_NO_THROW(engine.RestoreEngineState(GetParam().index));
  EXPECT_EQ(messages, (Strings{"Not a valid Engine State identifier"}));
  EXPECT_EQ(engine.GetPen().GetWidth(), 9);
}

INSTANTIATE_TEST_SUITE_P(Identifiers, EngineStateErrorTest,
                         ::testing::Values(StateErrorCase{2, 3}, StateErrorCase{2, -2}, StateErrorCase{0, 1},
                                           StateErrorCase{-1, -1}, StateErrorCase{-1, 0}));

TEST_F(EngineTest, StatesCoverFontPenBrushAndTheStateSettings) {
  engine.BeginDoc();
  engine.GetPen().SetWidth(4);
  engine.GetBrush().SetColor(clRed);
  engine.GetTextFormatting().SetLineSpacing(2.5);
  engine.GetTableSettings().SetEnableTitle(true);
  engine.GetTextEffects().SetOpacity(40);
  engine.GetImageSettings().SetJPEGQuality(60);
  engine.GetPage().SetLeftMargin(1);
  engine.GetPageBorder().SetWidth(5);  // not part of a state
  const int id = engine.SaveEngineState();
  engine.GetPen().SetWidth(1);
  engine.GetBrush().SetColor(clBlue);
  engine.GetTextFormatting().SetLineSpacing(1);
  engine.GetTableSettings().SetEnableTitle(false);
  engine.GetTextEffects().SetOpacity(100);
  engine.GetImageSettings().SetJPEGQuality(100);
  engine.GetPage().SetLeftMargin(0);
  engine.GetPageBorder().SetWidth(6);
  engine.RestoreEngineState(id);
  EXPECT_EQ(engine.GetPen().GetWidth(), 4);
  EXPECT_EQ(engine.GetBrush().GetColor(), clRed);
  EXPECT_EQ(engine.GetTextFormatting().GetLineSpacing(), 2.5);
  EXPECT_TRUE(engine.GetTableSettings().GetEnableTitle());
  EXPECT_EQ(engine.GetTextEffects().GetOpacity(), 40);
  EXPECT_EQ(engine.GetImageSettings().GetJPEGQuality(), 60);
  EXPECT_DOUBLE_EQ(engine.GetPage().GetLeftMargin(), 1);
  EXPECT_EQ(engine.GetPageBorder().GetWidth(), 6);
}

TEST_F(EngineTest, EndDocReturnsTheSettingsOfTheDocumentStart) {
  engine.GetPen().SetWidth(2);
  engine.BeginDoc();
  engine.GetPen().SetWidth(7);
  engine.SetTextRotation(90);
  engine.SetTextAlignment(TkmHAlignment::haRight);
  engine.EndDoc();
  EXPECT_EQ(engine.GetPen().GetWidth(), 2);
  EXPECT_EQ(engine.GetTextRotationAngle(), 0);
  EXPECT_EQ(engine.GetTextAlignment(), TkmHAlignment::haLeft);
}

TEST_F(EngineTest, ClearedEngineStatesDoNotBreakEndDoc) {
  engine.GetPen().SetWidth(2);
  engine.BeginDoc();
  engine.ClearEngineStates();
  EXPECT_EQ(engine.GetEngineStateCount(), 0);
  engine.GetPen().SetWidth(7);
  EXPECT_NO_THROW(engine.EndDoc());
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esFinished);
  EXPECT_EQ(engine.GetPen().GetWidth(), 2);
  EXPECT_EQ(engine.Log.back(), "OnAfterEndDoc");
}

// ---------------------------------------------------------------------------
// Output files

struct FileNameCase {
  std::string given;
  std::string stored;
};

class FileNameTest : public ::testing::TestWithParam<FileNameCase> {};

TEST_P(FileNameTest, DropsOnlyTheEnginesOwnExtension) {
  TRecordingEngine engine;
  engine.SetFileExtension("pdf");
  engine.SetFileName(GetParam().given);
  EXPECT_EQ(engine.GetFileName(), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Names, FileNameTest,
                         ::testing::Values(FileNameCase{"PDF1.pdf", "PDF1"}, FileNameCase{"PDF1.PDF", "PDF1"},
                                           FileNameCase{"report.txt", "report.txt"}, FileNameCase{"PDF1", "PDF1"},
                                           FileNameCase{"dir.pdf/name", "dir.pdf/name"},
                                           FileNameCase{"a.b.Pdf", "a.b"}));

TEST_F(EngineTest, FileNameCannotChangeWhileADocumentIsStarted) {
  engine.BeginDoc();
  engine.SetFileName(dir.File("other"));
  EXPECT_EQ(engine.GetFileName(), dir.File("doc"));
  engine.EndDoc();
  EXPECT_TRUE(std::filesystem::exists(dir.File("doc.out")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("other.out")));
}

TEST_F(EngineTest, CreateFileReplacesAnExistingFile) {
  std::ofstream(dir.File("doc.out")) << "old content that is longer";
  RunPages(1);
  std::ifstream in(dir.File("doc.out"));
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "done");
}

TEST_F(EngineTest, FileThatCannotBeCreatedFailsTheDocument) {
  engine.ExtraFiles = {dir.File("missing-folder/extra.out")};
  try {
    engine.BeginDoc();
    ADD_FAILURE() << "no exception";
  } catch (const EFileCreateError& e) {
    EXPECT_STREQ(e.what(), "File could not be created!\r\n\r\nPossible cause: It could be in use by some other application");
  }
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esError);
  EXPECT_FALSE(engine.GetIsDocumentStarted());
  EXPECT_EQ(engine.Log, (Strings{"OnBeforeBeginDoc", "Start"}));
  // The file created before the failure is deleted again.
  EXPECT_FALSE(std::filesystem::exists(dir.File("doc.out")));
  // The engine can begin the next document.
  engine.ExtraFiles.clear();
  engine.Output.reset();
  RunPages(1);
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esFinished);
  EXPECT_TRUE(std::filesystem::exists(dir.File("doc.out")));
}

TEST_F(EngineTest, FinishedFileIsOpenedWithTheShell) {
  engine.GetPreferences().SetOpenAfterCreate(true);
  RunPages(1);
  EXPECT_EQ(opened, (Strings{dir.File("doc.out")}));
}

TEST_F(EngineTest, OutputToUserStreamOpensNothing) {
  engine.GetPreferences().SetOpenAfterCreate(true);
  engine.GetPreferences().SetOutputToUserStream(true);
  RunPages(1);
  EXPECT_TRUE(opened.empty());
  EXPECT_FALSE(std::filesystem::exists(dir.File("doc.out")));
}

TEST_F(EngineTest, EmailAfterCreateListsTheFilesAsAttachmentsUntilFinalised) {
  engine.GetPreferences().SetEmailAfterCreate(true);
  Strings attachments;
  engine.OnAfterEndDoc = [&](TkmCustomDocumentEngine& e) { attachments = e.GetEMailSettings().Attachments; };
  RunPages(1);
  EXPECT_TRUE(attachments.empty());  // filled after OnAfterEndDoc ...
  EXPECT_TRUE(engine.GetEMailSettings().Attachments.empty());  // ... and emptied by finalisation
  engine.BeginDoc();
  engine.CreateEMailSettingsObj();
  EXPECT_EQ(engine.GetEMailSettings().Attachments, (Strings{dir.File("doc.out")}));
}

TEST_F(EngineTest, AbortCreationEndsTheDocumentAtTheNextNewPage) {
  engine.GetPreferences().SetOpenAfterCreate(true);
  engine.BeginDoc();
  engine.NewPage();
  engine.SetAbortCreation(true);
  engine.NewPage();
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esFinished);
  EXPECT_FALSE(engine.GetIsDocumentStarted());
  EXPECT_FALSE(engine.GetAbortCreation());
  EXPECT_FALSE(engine.GetPreferences().GetOpenAfterCreate());
  EXPECT_FALSE(std::filesystem::exists(dir.File("doc.out")));
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(std::count(engine.Log.begin(), engine.Log.end(), "BeginPage 3"), 0);
  EXPECT_EQ(std::count(engine.Log.begin(), engine.Log.end(), "Finish"), 1);
  // Later calls are ignored.
  engine.NewPage();
  engine.EndDoc();
  EXPECT_EQ(std::count(engine.Log.begin(), engine.Log.end(), "Finish"), 1);
}

TEST_F(EngineTest, AbortRequestedFromAPageEventInEachPageMode) {
  engine.GetPreferences().SetProcessAfterEachPage(true);
  engine.OnAfterEndPage = [](TkmCustomDocumentEngine& e) { e.SetAbortCreation(true); };
  engine.BeginDoc();
  engine.NewPage();  // processes page 1, whose event asks to abort
  engine.NewPage();  // ends the document
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esFinished);
  EXPECT_FALSE(std::filesystem::exists(dir.File("doc.out")));
}

// ---------------------------------------------------------------------------
// Failures inside page processing

TEST_F(EngineTest, ExceptionWhileEncodingLeavesNoProcessedPageReachable) {
  engine.ThrowOnText = "C2";
  engine.BeginDoc();
  engine.AddText("C1");
  engine.NewPage();
  engine.AddText("C2");
  engine.NewPage();
  engine.AddText("C3");
  EXPECT_THROW(engine.EndDoc(), EkmError);
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esStarted);
  EXPECT_EQ(engine.GetPages(0), nullptr);
  EXPECT_EQ(engine.GetPages(1), nullptr);
  EXPECT_NE(engine.GetPages(2), nullptr);
  engine.Log.clear();
  engine.ThrowOnText.clear();
  engine.EndDoc();
  const Strings expected = Concat({
      PageBlock(3, {"Text C3"}),
      {"OnBeforeEndDoc", "Finish", "OnAfterEndDoc"},
  });
  EXPECT_EQ(engine.Log, expected);
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esFinished);
}

TEST_F(EngineTest, ExceptionInEachPageModeLeavesTheEngineUsable) {
  engine.GetPreferences().SetProcessAfterEachPage(true);
  engine.ThrowOnText = "C1";
  engine.BeginDoc();
  engine.AddText("C1");
  EXPECT_THROW(engine.NewPage(), EkmError);
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esStarted);
  EXPECT_EQ(engine.GetPages(0), nullptr);
  engine.AddText("ignored");
  engine.NewPage();
  engine.AddText("C2");
  engine.Log.clear();
  engine.EndDoc();
  EXPECT_EQ(engine.Log, Concat({PageBlock(2, {"Text C2"}, true), {"OnBeforeEndDoc", "Finish", "OnAfterEndDoc"}}));
}

TEST_F(EngineTest, ExceptionInFinishLeavesTheEngineStartedAndDestructible) {
  engine.ThrowInFinish = true;
  engine.BeginDoc();
  engine.AddText("C1");
  EXPECT_THROW(engine.EndDoc(), EkmError);
  EXPECT_EQ(engine.GetEngineStatus(), TkmEngineStatus::esStarted);
  EXPECT_EQ(engine.GetPages(0), nullptr);
  engine.Log.clear();
  EXPECT_NO_THROW(engine.EndDoc());  // nothing left to process
  EXPECT_TRUE(engine.Log.empty());
}

TEST_F(EngineTest, EngineDestroyedInTheMiddleOfADocumentReleasesEverything) {
  auto local = std::make_unique<TRecordingEngine>();
  local->SetFileName(dir.File("local"));
  local->ThrowOnText = "boom";
  local->BeginDoc();
  local->BeginHeader();
  local->AddText("H");
  local->EndHeader();
  local->AddText("boom");
  local->NewPage();
  EXPECT_THROW(local->EndDoc(), EkmError);
  local.reset();  // the sanitizer build checks for leaks and stale pointers
  SUCCEED();
}

}  // namespace
}  // namespace km::test
