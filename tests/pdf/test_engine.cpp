// End-to-end tests of the PDF engine: real files, read back by qpdf, poppler
// and the strict audit, plus the exact bytes of the file's fixed parts.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "kmDocUtils.h"
#include "kmPDFEng.h"
#include "kmScreen.h"
#include "pdf_tools.h"

namespace km {
namespace {

using namespace km::testing;

const std::string kHeader = std::string("%PDF-1.4\r\n") + "\x25\xC3\xA2\xC3\xA3\xC3\x8F\xC3\x93" + "\r\n";

TkmClock FixedClock() {
  return [] {
    TkmClockReading r;
    r.Local = {2026, 12, 11, 9, 30, 15};
    r.BiasMinutes = -60;
    return r;
  };
}

// An engine set up the way a test wants it: no dialog, no viewer, a fixed clock.
void Prepare(TkmPDFEngine& e) {
  e.GetPreferences().SetShowSetupDialog(false);
  e.GetPreferences().SetOpenAfterCreate(false);
  e.SetClock(FixedClock());
}

enum class Output { File, UserStream };

struct DocCase {
  std::string name;
  int pages;
  std::string pagesToRender;
  std::vector<int> rendered;  // page numbers expected in the file
  bool compress;
  TkmCompressionLevel level;
  Output output;
  TkmPDFVersion version;
};

const char* VersionText(TkmPDFVersion v) {
  switch (v) {
    case TkmPDFVersion::PDF_VER14: return "1.4";
    case TkmPDFVersion::PDF_VER15: return "1.5";
    case TkmPDFVersion::PDF_VER16: return "1.6";
    default: return "1.7";
  }
}

// Page n of a test document: odd pages US letter in inches, even pages A4 in
// millimetres (whose point sizes need the four decimals).
struct PageSize { double w, h; TkmUnitType unit; };
PageSize SizeOf(int page) {
  return page % 2 == 1 ? PageSize{8.5, 11, TkmUnitType::muInches} : PageSize{210, 297, TkmUnitType::muMM};
}

// The page's size in points, as the engine converts it.
std::pair<double, double> PointsOf(int page) {
  const PageSize s = SizeOf(page);
  const double f = CalculateNativeUnitFactor(s.unit) * 72.0 / CPixelsPerInch;
  return {s.w * f, s.h * f};
}

// What pdfinfo prints for that size.
std::string PdfInfoSize(int page) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%g x %g pts", PointsOf(page).first, PointsOf(page).second);
  return buf;
}

void SetPageSize(TkmPDFEngine& e, int page) {
  e.SetMeasurementUnit(SizeOf(page).unit);
  e.GetPage().SetPaperSize(TkmPaperSize::Custom);
  e.GetPage().SetWidth(SizeOf(page).w);
  e.GetPage().SetHeight(SizeOf(page).h);
}

// Writes one document and returns the path of the file that holds it.
std::string WriteDocument(const DocCase& c, const std::string& dir) {
  TkmPDFEngine e;
  Prepare(e);
  e.SetPDFVersion(c.version);
  e.GetCompression().SetEnabled(c.compress);
  e.GetCompression().SetLevel(c.level);
  e.SetPagesToRender(c.pagesToRender);
  e.GetDocInfo().SetTitle(u"Gr\u00FC\u00DFe \u20AC \u03A9 test");
  e.GetDocInfo().SetAuthor(u" Anna Berg ");
  e.GetDocInfo().SetCreator(u"kmdoc tests");
  e.GetDocInfo().SetKeywords(u"pdf, skeleton");
  e.GetDocInfo().SetSubject(u"   ");  // blank: left out
  const std::string path = dir + "/" + c.name + ".pdf";
  TMemoryStream user;
  if (c.output == Output::UserStream) {
    e.GetPreferences().SetOutputToUserStream(true);
    e.SetUserStream(&user);
  } else {
    e.SetFileName(dir + "/" + c.name);
  }
  SetPageSize(e, 1);
  e.BeginDoc();
  for (int p = 2; p <= c.pages; ++p) {
    SetPageSize(e, p);
    e.NewPage();
  }
  e.EndDoc();
  EXPECT_EQ(e.GetEngineStatus(), TkmEngineStatus::esFinished) << c.name;
  if (c.output == Output::UserStream) {
    EXPECT_FALSE(std::filesystem::exists(path));
    user.SaveToFile(path);
  }
  return path;
}

std::vector<DocCase> DocumentMatrix() {
  struct Pages { const char* tag; int count; const char* range; std::vector<int> rendered; };
  const Pages pageSets[] = {{"one", 1, "", {1}}, {"three", 3, "", {1, 2, 3}}, {"skip", 3, "1,3", {1, 3}}};
  struct Comp { const char* tag; bool on; TkmCompressionLevel level; };
  const Comp comps[] = {{"off", false, TkmCompressionLevel::clMaxCompress},
                        {"fast", true, TkmCompressionLevel::clFastest},
                        {"normal", true, TkmCompressionLevel::clNormal},
                        {"max", true, TkmCompressionLevel::clMaxCompress}};
  const TkmPDFVersion versions[] = {TkmPDFVersion::PDF_VER14, TkmPDFVersion::PDF_VER15,
                                    TkmPDFVersion::PDF_VER16, TkmPDFVersion::PDF_VER17};
  std::vector<DocCase> cases;
  int n = 0;
  for (const Pages& p : pageSets)
    for (const Comp& c : comps)
      for (Output o : {Output::File, Output::UserStream}) {
        const TkmPDFVersion v = versions[n++ % 4];
        cases.push_back({std::string(p.tag) + "-" + c.tag + (o == Output::File ? "-file-" : "-stream-") +
                             VersionText(v),
                         p.count, p.range, p.rendered, c.on, c.level, o, v});
      }
  return cases;
}

TEST(PDFEngineFiles, EveryCombinationIsAValidFile) {
  ASSERT_TRUE(HaveProgram("qpdf")) << "qpdf is needed";
  ASSERT_TRUE(HaveProgram("pdfinfo")) << "pdfinfo (poppler-utils) is needed";
  ScopedEpoch none(nullptr);
  const std::string dir = MakeScratchDir("pdf-matrix");
  const std::vector<DocCase> cases = DocumentMatrix();
  std::string all;
  std::string infoCommand;
  for (const DocCase& c : cases) {
    const std::string path = WriteDocument(c, dir);
    all += " " + ShellQuote(path);
    const std::string bytes = ReadWholeFile(path);
    SCOPED_TRACE(c.name);
    // The header, then the binary comment.
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    EXPECT_EQ(bytes.substr(5, 3), VersionText(c.version));
    EXPECT_EQ(bytes.substr(8, 13), kHeader.substr(8));
    EXPECT_EQ(bytes.substr(bytes.size() - 5), "%%EOF");
    EXPECT_EQ(bytes.find("/FlateDecode") != std::string::npos, c.compress);

    infoCommand += "echo '==== '" + ShellQuote(c.name) + "; pdfinfo -f 1 -l 9 " + ShellQuote(path) +
                   " || echo 'pdfinfo failed'; ";
  }
  // One shell for all pdfinfo calls; its output is split per file.
  const CommandResult infos = RunCommand(infoCommand);
  for (const DocCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t from = infos.Output.find("==== " + c.name + "\n");
    ASSERT_NE(from, std::string::npos) << infos.Output;
    const CommandResult info{0, infos.Output.substr(from, infos.Output.find("==== ", from + 5) - from)};
    EXPECT_EQ(info.Output.find("pdfinfo failed"), std::string::npos) << info.Output;
    EXPECT_EQ(PdfInfoField(info.Output, "Pages"), std::to_string(c.rendered.size()));
    EXPECT_EQ(PdfInfoField(info.Output, "PDF version"), VersionText(c.version));
    EXPECT_EQ(PdfInfoField(info.Output, "Title"), "Gr\u00FC\u00DFe \u20AC \u03A9 test");
    EXPECT_EQ(PdfInfoField(info.Output, "Author"), "Anna Berg");
    EXPECT_EQ(PdfInfoField(info.Output, "Creator"), "kmdoc tests");
    EXPECT_EQ(PdfInfoField(info.Output, "Keywords"), "pdf, skeleton");
    EXPECT_EQ(PdfInfoField(info.Output, "Producer"), "Scrivane VCL 5.0.0.484");
    EXPECT_EQ(PdfInfoField(info.Output, "Subject"), "");
    for (std::size_t i = 0; i < c.rendered.size(); ++i) {
      const std::string key = "Page " + std::string(i + 1 < 10 ? "   " : "  ") + std::to_string(i + 1) + " size";
      EXPECT_EQ(PdfInfoField(info.Output, key).rfind(PdfInfoSize(c.rendered[i]), 0), 0u)
          << key << ": " << info.Output;
      const auto [w, h] = PointsOf(c.rendered[i]);
      EXPECT_NE(ReadWholeFile(dir + "/" + c.name + ".pdf").find("/MediaBox [0 0 " + NumToStr(w) + " " +
                                                                NumToStr(h) + "]"),
                std::string::npos);
    }
    EXPECT_EQ(PointsOf(1), std::make_pair(612.0, 792.0));
  }
  const std::string auditTool = std::string(KM_TOOLS_DIR) + "/pdf-audit";
  ASSERT_TRUE(std::filesystem::exists(auditTool)) << auditTool;
  const CommandResult audit = RunCommand(auditTool + all);
  EXPECT_EQ(audit.ExitCode, 0) << audit.Output;
}

// The one-page document with default settings, byte by byte where the bytes are fixed.
TEST(PDFEngineFiles, OnePageDocumentBytes) {
  const std::string dir = MakeScratchDir("pdf-bytes");
  TkmPDFEngine e;
  Prepare(e);
  e.GetCompression().SetEnabled(false);
  e.SetFileName(dir + "/PDF1.pdf");
  e.GetPage().SetPaperSize(TkmPaperSize::Letter);
  e.BeginDoc();
  EXPECT_EQ(e.GetCreationTime(), "D:20261211093015+01'00'");
  e.EndDoc();
  const std::string b = ReadWholeFile(dir + "/PDF1.pdf");
  ASSERT_FALSE(b.empty());
  // The page's scale, the default white background, the closing of the scale.
  const std::string content =
      "q 1.0000 0 0 1.0000 0 0 cm\r\n"
      "\r\nq\r\n1.0000 1.0000 1.0000 rg n 0.0000 0.0000 612.0000 792.0000 re f \r\n\r\nQ "
      "\r\nQ\r\n";
  const std::string expectedStart =
      kHeader +
      "6 0 obj\r\n<<\r\n/Type/Page/Parent 2 0 R/MediaBox [0 0 612.0000 792.0000]/Resources 5 0 R"
      "/Contents 7 0 R/Dur 1/Trans <</Type/Trans/D 1/S/R >>\r\n>>\r\nendobj\r\n"
      "7 0 obj\r\n<<\r\n/Length 8 0 R\r\n>>\r\nstream\r\n" + content + "\r\nendstream\r\nendobj\r\n"
      "8 0 obj\r\n" + std::to_string(content.size()) + "\r\nendobj\r\n"
      "1 0 obj\r\n<<\r\n/Type/Catalog/Pages 2 0 R/PageMode/UseNone/PageLayout/OneColumn"
      "/ViewerPreferences << >>\r\n>>\r\nendobj\r\n"
      "2 0 obj\r\n<<\r\n/Type/Pages/Count 1/Kids [6 0 R]\r\n>>\r\nendobj\r\n"
      "5 0 obj\r\n<<\r\n/ProcSet 4 0 R\r\n>>\r\nendobj\r\n"
      "4 0 obj\r\n[/PDF /Text /ImageC]\r\nendobj\r\n"
      "3 0 obj\r\n<<\r\n/CreationDate <";
  ASSERT_EQ(b.substr(0, expectedStart.size()), expectedStart);
  // Dates are the hexadecimal form of the date's ASCII text.
  const std::string dateHex = "443A32303236313231313039333031352B30312730302";
  EXPECT_NE(b.find("/CreationDate <" + dateHex + "7>/ModDate <" + dateHex + "7>"), std::string::npos);

  // Cross-reference table: one subsection, twenty-byte lines, objects by number.
  const std::size_t xref = b.find("xref\r\n");
  ASSERT_NE(xref, std::string::npos);
  ASSERT_EQ(b.substr(xref, 11), "xref\r\n0 9\r\n");
  EXPECT_EQ(b.substr(xref + 11, 20), "0000000000 65535 f\r\n");
  for (int i = 1; i <= 8; ++i) {
    const std::string line = b.substr(xref + 11 + 20 * i, 20);
    ASSERT_TRUE(std::regex_match(line, std::regex(R"(\d{10} 00000 n\r\n)"))) << line;
    const std::size_t off = std::stoul(line.substr(0, 10));
    EXPECT_EQ(b.substr(off, std::to_string(i).size() + 7), std::to_string(i) + " 0 obj\r") << i;
  }
  // Object order in the file: 6, 7, 8, 1, 2, 5, 4, 3.
  std::vector<std::size_t> at;
  for (int n : {6, 7, 8, 1, 2, 5, 4, 3}) at.push_back(b.find("\n" + std::to_string(n) + " 0 obj\r\n"));
  EXPECT_TRUE(std::is_sorted(at.begin(), at.end()));
  // The trailer.
  const std::regex trailer(
      "trailer\r\n<<\r\n/Root 1 0 R/Info 3 0 R/Size 9/ID \\[<([0-9A-F]{32})><([0-9A-F]{32})>\\]\r\n>>\r\n"
      "startxref\r\n" + std::to_string(xref) + "\r\n%%EOF$");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(b, m, trailer)) << b.substr(xref);
  EXPECT_EQ(m[1], m[2]);
}

TEST(PDFEngineFiles, AllPagesSkippedStillHasAPageTree) {
  const std::string dir = MakeScratchDir("pdf-none");
  TkmPDFEngine e;
  Prepare(e);
  e.SetPagesToRender("7");
  e.SetFileName(dir + "/none");
  e.BeginDoc();
  e.NewPage();
  e.EndDoc();
  const std::string b = ReadWholeFile(dir + "/none.pdf");
  EXPECT_NE(b.find("2 0 obj\r\n<<\r\n/Type/Pages/Count 0/Kids []\r\n>>\r\nendobj\r\n"), std::string::npos);
  EXPECT_NE(b.find("/Size 6/ID"), std::string::npos);  // objects 1..5 only
  EXPECT_NE(b.find("xref\r\n0 6\r\n"), std::string::npos);
}

TEST(PDFEngineFiles, SourceDateEpochMakesRunsRepeatable) {
  const std::string dir = MakeScratchDir("pdf-repeat");
  auto run = [&](const char* name) {
    TkmPDFEngine e;
    Prepare(e);
    e.SetClock({});  // the system clock, overridden by the epoch
    TMemoryStream out;
    e.GetPreferences().SetOutputToUserStream(true);
    e.SetUserStream(&out);
    e.SetFileName(name);
    e.BeginDoc();
    e.NewPage();
    e.EndDoc();
    return out.ToString();
  };
  std::string first, second, other;
  {
    ScopedEpoch epoch("1700000000");
    first = run("same");
    second = run("same");
    other = run("other");
  }
  EXPECT_EQ(first, second);
  EXPECT_NE(first, other);  // the identifier depends on the file name
  // 2023-11-14 22:13:20 UTC as the creation date.
  EXPECT_NE(first.find("/CreationDate <443A32303233313131343232313332302B30302730302"), std::string::npos);
}

TEST(PDFEngineFiles, PDFAVersionsWriteVersion17AndNoDatesOrProducer) {
  TkmPDFEngine e;
  Prepare(e);
  e.SetPDFVersion(TkmPDFVersion::PDFA_VER2B);
  EXPECT_EQ(e.GetPreferences().GetEmbedTrueTypeFonts(), TkmTTFontEmbedding::etfSubset);
  TMemoryStream out;
  e.GetPreferences().SetOutputToUserStream(true);
  e.SetUserStream(&out);
  e.GetDocInfo().SetTitle(u"T");
  e.BeginDoc();
  e.EndDoc();
  const std::string b = out.ToString();
  EXPECT_EQ(b.substr(0, 10), "%PDF-1.7\r\n");
  EXPECT_NE(b.find("3 0 obj\r\n<<\r\n/Title <FEFF0054>\r\n>>\r\nendobj\r\n"), std::string::npos);
  EXPECT_EQ(b.find("/CreationDate"), std::string::npos);
  EXPECT_EQ(b.find("/Producer"), std::string::npos);
}

TEST(PDFEngineFiles, UserStreamWithDataShiftsOffsetsAndIsNotFreed) {
  TkmPDFEngine e;
  Prepare(e);
  TMemoryStream out;
  out.WriteString("PREFIX");
  e.GetPreferences().SetOutputToUserStream(true);
  e.SetUserStream(&out);
  e.BeginDoc();
  e.EndDoc();
  const std::string b = out.ToString();
  ASSERT_EQ(b.substr(0, 11), "PREFIX%PDF-");
  const std::size_t xref = b.find("xref\r\n");
  const std::size_t off = std::stoul(b.substr(xref + 31, 10));  // object 1
  EXPECT_EQ(b.substr(off, 7), "1 0 obj");
  EXPECT_NE(b.find("startxref\r\n" + std::to_string(xref) + "\r\n"), std::string::npos);
  out.WriteString("still usable");
}

TEST(PDFEngineErrors, MissingUserStreamAndUncreatableFileFailCleanly) {
  {
    TkmPDFEngine e;
    Prepare(e);
    e.GetPreferences().SetOutputToUserStream(true);
    EXPECT_THROW(e.BeginDoc(), EkmError);
    EXPECT_EQ(e.GetEngineStatus(), TkmEngineStatus::esError);
    e.EndDoc();  // ignored: no document
  }
  {
    TkmPDFEngine e;
    Prepare(e);
    e.SetFileName("/nonexistent-dir/x");
    EXPECT_THROW(e.BeginDoc(), EFileCreateError);
    EXPECT_EQ(e.GetEngineStatus(), TkmEngineStatus::esError);
  }
  {
    // No security handler in this layer: an encrypted document is refused,
    // not written unprotected.
    TkmPDFEngine e;
    Prepare(e);
    TMemoryStream out;
    e.GetPreferences().SetOutputToUserStream(true);
    e.SetUserStream(&out);
    e.GetEncryption().SetEnabled(true);
    EXPECT_THROW(e.BeginDoc(), EkmError);
    EXPECT_EQ(out.GetSize(), 0);
  }
}

TEST(PDFEngineProperties, DefaultsAndHandOver) {
  TkmPDFEngine e;
  EXPECT_EQ(e.GetFileExtension(), "pdf");
  EXPECT_EQ(e.GetFileDescription(), "Adobe PDF Files");
  EXPECT_EQ(e.GetPDFVersion(), TkmPDFVersion::PDF_VER14);
  EXPECT_EQ(e.GetFontEncoding(), TkmPDFFontEncoding::feWinAnsiEncoding);
  EXPECT_EQ(e.GetLineJoinStyle(), TkmLineJoinStyle::ljsMiter);
  EXPECT_EQ(e.GetLineCapStyle(), TkmLineCapStyle::lcsFlat);
  EXPECT_EQ(e.GetBackgroundColor(), 0xFFFFFFu);
  EXPECT_EQ(e.GetBackgroundImageDisplayType(), TkmBackgroundDisplayType::dtCenter);
  EXPECT_EQ(e.GetBiDiMode(), TBiDiMode::bdLeftToRight);
  EXPECT_TRUE(e.GetFontEmbedExcludeList().empty());
  EXPECT_TRUE(e.GetCompression().GetEnabled());
  EXPECT_EQ(e.GetCompression().GetLevel(), TkmCompressionLevel::clMaxCompress);
  EXPECT_EQ(e.GetPreferences().GetEmbedTrueTypeFonts(), TkmTTFontEmbedding::etfNone);
  EXPECT_TRUE(e.GetPreferences().GetApplyEmfCharSpacing());
  EXPECT_FALSE(e.GetEncryption().GetEnabled());
  using C = TkmCapabilityKind;
  const TkmCapabilities caps{C::ckText, C::ckImage, C::ckShape, C::ckImageStretch, C::ckImageFrame,
                             C::ckInputRes, C::ckImageReusable};
  EXPECT_TRUE(e.GetCapabilities() == caps);
  EXPECT_DOUBLE_EQ(e.GetPixelToPointMultiplier(), 0.75);

  auto compression = std::make_unique<TkmCompression>();
  TkmCompression* raw = compression.get();
  e.SetCompression(std::move(compression));
  EXPECT_EQ(&e.GetCompression(), raw);  // the very object, not a copy
  std::vector<std::u16string> fonts{u"Arial"};
  e.SetFontEmbedExcludeList(fonts);
  fonts.clear();
  EXPECT_EQ(e.GetFontEmbedExcludeList().size(), 1u);  // copied

  std::u16string message;
  EXPECT_TRUE(e.CheckOutputImageFormat(TkmOutputImageFormat::ifPNG, message));
  EXPECT_FALSE(e.CheckOutputImageFormat(TkmOutputImageFormat::ifGIF, message));
  EXPECT_EQ(message, u"The PDF Engine does not support image format");
  EXPECT_FALSE(e.CheckOutputImageFormat(TkmOutputImageFormat::ifMetafile, message));
}

TEST(PDFEngineProperties, PixelToPointFollowsTheScreen) {
  ScopedScreenResolution screen(120, 120);
  TkmPDFEngine e;
  EXPECT_DOUBLE_EQ(e.GetPixelToPointMultiplier(), 72.0 / 120.0);
}

// An engine that exercises the hooks the feature writers will use: image
// resources, clip state and a number reserved but never written.
class HookEngine : public TkmPDFEngine {
 public:
  bool openClips = false;
  bool reserveUnused = false;

  // The page canvases stay unread: interpreting them would add an
  // end-of-metafile item, which closes the clips this engine leaves open on
  // purpose for the page end to close.
  void ProcessMetafile(double, double, TMetafile&) override {}

 protected:
  void WritePageBackground() override {
    if (reserveUnused) GetNewObjNo();  // taken, never written
    // Two image lists: list 0 with one entry, list 1 with eleven.
    if (FImageObjects.empty()) FImageObjects.resize(2);
    const std::size_t entries[] = {1, 11};
    for (std::size_t i = 0; i < 2; ++i) {
      while (FImageObjects[i].size() < entries[i]) {
        const int n = GetNewObjNo();
        FImageObjects[i].push_back(n);
        GetObjectWriter().WriteDeferredObj(
            "/Type/XObject/Subtype/Image/Width 1/Height 1/ColorSpace/DeviceGray/BitsPerComponent 8"
            "/Length 1\r\n", n, false);
        GetObjectWriter().WriteDeferred("stream\r\n\x80\r\nendstream\r\nendobj\r\n");
      }
    }
    AppendContent("q 10 0 0 10 0 0 cm " + ImageResourceName(1, 10) + " Do Q\r\n");
    if (openClips) {
      AppendContent(" q 0 0 100 100 re W* n \r\n");
      FIsClipState = true;
      AppendContent(" q 0 0 50 50 re W* n \r\n");
      FIsInsertClipState = true;
    }
  }
};

TEST(PDFEngineMended, ImageNamesFromTwoIndexesNeverCollide) {
  std::set<std::string> names{kBackgroundImageName};
  for (int i = 0; i < 40; ++i)
    for (int j = 0; j < 40; ++j) EXPECT_TRUE(names.insert(ImageResourceName(i, j)).second) << i << " " << j;
  EXPECT_EQ(ImageResourceName(1, 11), "/Img1_11");
  EXPECT_EQ(ImageResourceName(11, 1), "/Img11_1");
}

TEST(PDFEngineMended, ContentStreamsBalanceAndUnwrittenNumbersGetFreeEntries) {
  const std::string dir = MakeScratchDir("pdf-mended");
  std::string files;
  for (bool clips : {false, true}) {
    HookEngine e;
    Prepare(e);
    e.openClips = clips;
    e.reserveUnused = true;
    e.GetCompression().SetEnabled(false);
    const std::string name = dir + (clips ? "/clips" : "/plain");
    e.SetFileName(name);
    e.BeginDoc();
    e.NewPage();
    e.EndDoc();
    const std::string b = ReadWholeFile(name + ".pdf");
    files += " " + ShellQuote(name + ".pdf");
    EXPECT_NE(b.find(clips ? "\r\nQ\r\nQ\r\nQ\r\n\r\nendstream" : "Do Q\r\n\r\nQ\r\n\r\nendstream"), std::string::npos);
    // Resources name every image once, list and entry kept apart.
    EXPECT_NE(b.find("/XObject <</Img0_0 "), std::string::npos);
    EXPECT_NE(b.find("/Img1_10 "), std::string::npos);
    EXPECT_EQ(b.find("/Img110"), std::string::npos);
    // Numbers 9 and 25 were taken but never written: they are free and
    // chained (0 -> 9 -> 25 -> 0); every other entry keeps its place.
    const std::size_t xref = b.find("xref\r\n0 26\r\n");
    ASSERT_NE(xref, std::string::npos);
    auto entry = [&](int n) { return b.substr(xref + 12 + 20 * n, 20); };
    EXPECT_EQ(entry(0), "0000000009 65535 f\r\n");
    EXPECT_EQ(entry(9), "0000000025 65535 f\r\n");
    EXPECT_EQ(entry(25), "0000000000 65535 f\r\n");
    for (int n : {1, 8, 10, 21, 22, 24}) EXPECT_EQ(entry(n).substr(10), " 00000 n\r\n") << n;
    const CommandResult check = RunCommand("qpdf --check " + ShellQuote(name + ".pdf"));
    EXPECT_EQ(check.ExitCode, 0) << check.Output;
    EXPECT_EQ(check.Output.find("WARNING"), std::string::npos) << check.Output;
  }
  const CommandResult audit = RunCommand(std::string(KM_TOOLS_DIR) + "/pdf-audit" + files);
  EXPECT_EQ(audit.ExitCode, 0) << audit.Output;
}

}  // namespace
}  // namespace km
