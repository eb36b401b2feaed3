// The application: the main form under the offscreen platform, the two
// button flows, and the headless command that dev.sh runs.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "Unit1.h"
#include "kmReportExport.h"
#include "kmShell.h"
#include "pdf_tools.h"

namespace km {
namespace {

namespace fs = std::filesystem;
using testing::HaveProgram;
using testing::MakeScratchDir;
using testing::PdfInfoField;
using testing::ReadWholeFile;
using testing::RunCommand;
using testing::ShellQuote;

QApplication& App() {
  static int argc = 1;
  static char name[] = "test_app";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

const std::string kTemplate = std::string(KM_SOURCE_DIR) + "/app/Test.fr3";
const std::string kExport = std::string(KM_BINARY_DIR) + "/app/km_export";

// Runs a test in a scratch folder as the current directory, with fixed
// document dates and a shell that records instead of opening a viewer.
class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = MakeScratchDir(std::string("app_") + info->name());
    previous_ = fs::current_path();
    fs::current_path(dir_);
    setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
  }
  void TearDown() override {
    fs::current_path(previous_);
    unsetenv("SOURCE_DATE_EPOCH");
  }
  void CopyTemplate() { fs::copy_file(kTemplate, fs::path(dir_) / "Test.fr3"); }

  std::string dir_;
  fs::path previous_;
  std::vector<std::string> opened_;
  ScopedShellOpener shell_{[this](const std::string& path) {
    opened_.push_back(path);
    return true;
  }};
};

TEST_F(AppTest, MainFormHasTheTwoButtonsWhereTheFormPutsThem) {
  TForm1 form;
  form.show();
  EXPECT_EQ(form.windowTitle(), QString("Form1"));
  EXPECT_EQ(form.size(), QSize(435, 266));
  EXPECT_EQ(form.btn_Preview->text(), QString("Druckvorschau"));
  EXPECT_EQ(form.btn_Preview->geometry(), QRect(24, 24, 97, 25));
  EXPECT_EQ(form.btn_PDF->text(), QString("PDF"));
  EXPECT_EQ(form.btn_PDF->geometry(), QRect(144, 24, 97, 25));
  EXPECT_EQ(form.btn_Preview->nextInFocusChain(), form.btn_PDF);
  EXPECT_EQ(form.font().pixelSize(), 11);
  // The stored settings of the components.
  TkmAppComponents& c = form.Components();
  EXPECT_EQ(c.kmPDFEngine1.GetFileExtension(), "pdf");
  EXPECT_EQ(c.kmPDFEngine1.GetFileDescription(), "Adobe PDF Files");
  EXPECT_EQ(c.kmPDFEngine1.GetReferencePoint(), TkmReferencePoint::rpBand);
  EXPECT_NEAR(c.kmPDFEngine1.GetPage().GetWidth(), 8.2677, 1e-9);
  EXPECT_EQ(c.kmPDFEngine1.GetPDFVersion(), TkmPDFVersion::PDF_VER14);
  EXPECT_EQ(c.kmFRExportInterface1.GetEngine(), nullptr);
  EXPECT_TRUE(c.kmFRExportInterface1.GetRichTextAsImage());
  EXPECT_FALSE(c.kmFRExportInterface1.GetShowSaveDialog());
}

TEST_F(AppTest, PreviewShowsTheEmbeddedTemplateBeforeTheFirstExportAndTestFr3After) {
  CopyTemplate();
  TForm1 form;
  form.show();
  form.btn_Preview->click();
  ASSERT_NE(form.PreviewWindow(), nullptr);
  EXPECT_TRUE(form.PreviewWindow()->isVisible());
  TfrxReport* shown = form.PreviewWindow()->ShownReport();
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(form.PreviewWindow()->PageCount(), 1);
  EXPECT_NE(shown->GetPreviewPages().GetPage(0)->FindObject("rv_Belegnummer"), nullptr);
  EXPECT_EQ(shown->GetPreviewPages().GetPage(0)->FindObject("me_Titel"), nullptr);

  form.btn_PDF->click();
  EXPECT_TRUE(fs::exists(fs::path(dir_) / "PDF1.pdf"));
  form.btn_Preview->click();
  EXPECT_EQ(form.PreviewWindow()->PageCount(), 2);
  EXPECT_EQ(form.PreviewWindow()->CurrentPage(), 0);
  EXPECT_NE(shown->GetPreviewPages().GetPage(0)->FindObject("me_Titel"), nullptr);
  EXPECT_NE(shown->GetPreviewPages().GetPage(0)->FindObject("rv_Belegnummer"), nullptr);
  // The export menu lists the PDF filter under the engine's description.
  form.PreviewWindow()->RefreshExportMenu();
  bool listed = false;
  for (QAction* a : form.PreviewWindow()->ExportMenu()->actions())
    listed = listed || a->text() == QString("Adobe PDF Files (*.pdf)");
  EXPECT_TRUE(listed);
}

TEST_F(AppTest, PdfTwiceWritesTheSameFileAndLeavesOneFilter) {
  CopyTemplate();
  const int before = frxExportFilters().Count();
  TForm1 form;
  form.btn_PDF->click();
  const std::string first = ReadWholeFile(dir_ + "/PDF1.pdf");
  ASSERT_FALSE(first.empty());
  form.btn_PDF->click();
  EXPECT_EQ(ReadWholeFile(dir_ + "/PDF1.pdf"), first);
  EXPECT_EQ(frxExportFilters().Count(), before + 1);
  // The engine asked the shell to open the file each time; no viewer ran.
  EXPECT_EQ(opened_.size(), 2u);
  EXPECT_EQ(fs::path(opened_.back()).filename(), "PDF1.pdf");
}

TEST_F(AppTest, AMissingTemplateWritesNothingAndReportsNothing) {
  TForm1 form;
  form.btn_PDF->click();
  EXPECT_FALSE(fs::exists(fs::path(dir_) / "PDF1.pdf"));
  EXPECT_TRUE(opened_.empty());
  // The report was cleared: the preview shows no page.
  form.btn_Preview->click();
  EXPECT_EQ(form.PreviewWindow()->PageCount(), 0);
}

TEST_F(AppTest, HeadlessCommandWritesPdf1InTheCurrentDirectory) {
  ASSERT_TRUE(HaveProgram("qpdf") && HaveProgram("pdfinfo"));
  CopyTemplate();
  auto run = RunCommand("cd " + ShellQuote(dir_) + " && " + ShellQuote(kExport) + " --headless");
  ASSERT_EQ(run.ExitCode, 0) << run.Output;
  const std::string pdf = dir_ + "/PDF1.pdf";
  EXPECT_EQ(run.Output, "Wrote " + fs::absolute(pdf).string() + "\n");
  ASSERT_TRUE(fs::exists(pdf));
  auto audit = RunCommand(ShellQuote(std::string(KM_TOOLS_DIR) + "/pdf-audit") + " " + ShellQuote(pdf));
  EXPECT_EQ(audit.ExitCode, 0) << audit.Output;
  auto info = RunCommand("pdfinfo " + ShellQuote(pdf));
  ASSERT_EQ(info.ExitCode, 0) << info.Output;
  EXPECT_EQ(PdfInfoField(info.Output, "Pages"), "2");
  // A4: 210 x 297 mm.
  EXPECT_EQ(PdfInfoField(info.Output, "Page size").substr(0, 20), "595.276 x 841.89 pts");
}

TEST_F(AppTest, HeadlessCommandWithoutTemplateIsSilent) {
  auto run = RunCommand("cd " + ShellQuote(dir_) + " && " + ShellQuote(kExport) + " --headless");
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Output, "");
  EXPECT_FALSE(fs::exists(fs::path(dir_) / "PDF1.pdf"));
}

TEST_F(AppTest, HeadlessCommandReportsErrorsOnStandardError) {
  // The output cannot be created: a folder that is not empty has its name.
  fs::create_directory(fs::path(dir_) / "PDF1.pdf");
  std::ofstream(fs::path(dir_) / "PDF1.pdf" / "keep") << "x";
  CopyTemplate();
  // Standard error only; standard output is dropped.
  auto run = RunCommand("(cd " + ShellQuote(dir_) + " && " + ShellQuote(kExport) + " --headless 2>&1 >/dev/null)");
  EXPECT_NE(run.ExitCode, 0);
  EXPECT_EQ(run.Output.rfind("km_export: ", 0), 0u) << run.Output;
}

}  // namespace
}  // namespace km
