#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <typeinfo>
#include <vector>

#include "kmBitmap.h"
#include "kmJpegImage.h"
#include "kmPngImage.h"
#include "kmReport.h"
#include "kmReportErrors.h"
#include "kmReportTemplate.h"

namespace km {
namespace {

// A template around the given page content.
std::string PageXml(const std::string& objects, const std::string& page_attrs = "PaperSize=\"9\"") {
  return "<TfrxReport>\n<TfrxReportPage Name=\"P\" " + page_attrs + ">\n" + objects + "</TfrxReportPage>\n</TfrxReport>\n";
}

const TfrxReportPage& OnlyReportPage(const TfrxReport& report) {
  const TfrxReportPage* found = nullptr;
  for (const auto& p : report.GetPages())
    if (auto* rp = dynamic_cast<const TfrxReportPage*>(p.get())) {
      EXPECT_EQ(found, nullptr) << "more than one report page";
      found = rp;
    }
  if (!found) throw std::runtime_error("no report page");
  return *found;
}

template <typename T>
const T& ObjectAs(const TfrxReport& report, const std::string& name) {
  TfrxComponent* c = report.FindObject(name);
  if (!c) throw std::runtime_error("no object " + name);
  const T* t = dynamic_cast<const T*>(c);
  if (!t) throw std::runtime_error(name + " is a " + c->ClassName());
  return *t;
}

class TempFile {
 public:
  explicit TempFile(const std::string& name)
      : path_(std::filesystem::path(testing::TempDir()) / (std::to_string(::getpid()) + "_" + name)) {}
  ~TempFile() { std::filesystem::remove(path_); }
  std::string path() const { return path_.string(); }
  void Write(const std::string& text) const { std::ofstream(path_, std::ios::binary) << text; }

 private:
  std::filesystem::path path_;
};

// ---- The embedded default template.

struct DefaultObject {
  const char* name;
  const char* cls;
  double left, top, width, height;
  const char* label;  // underlined text of a rich view; null for the memos
};

// The sixteen objects of the embedded template, in order.
const DefaultObject kDefaultObjects[] = {
    {"me_Vorgangstext_Rahmen", "TfrxMemoView", 450, 68, 264.56695843, 215.43307575, nullptr},
    {"rv_Belegnummer", "TfrxRichView", 461, 73, 94.48825, 15.11811024, "Belegnummer"},
    {"rv_Belegdatum", "TfrxRichView", 461, 88.11812, 94.48825, 15.11811024, "Belegdatum"},
    {"rv_bezug", "TfrxRichView", 461, 103.23624, 94.48825, 15.11811024, "Bezug"},
    {"rv_Zahlungsart", "TfrxRichView", 461, 118.35436, 94.48825, 15.11811024, "Zahlungsart"},
    {"rv_Sachbearbeiter", "TfrxRichView", 461, 133.47248, 94.48825, 16.11811024, "Sachbearbeiter"},
    {"rv_Vertreter", "TfrxRichView", 461, 148.5906, 94.48825, 15.11811024, "Vertreter"},
    {"rv_Projektnummer", "TfrxRichView", 461, 163.70872, 94.48825, 15.11811024, "Projektnummer"},
    {"me_Vorgangstext_Strich", "TfrxMemoView", 450, 183, 264.5671, 3.77953, nullptr},
    {"rv_KundeNr", "TfrxRichView", 461, 190, 105.82684, 15.11811024, "Kunden- / Deb.Nr"},
    {"rv_IhrBeleg", "TfrxRichView", 461, 205.11812, 94.48825, 15.11811024, "Ihr Beleg"},
    {"rv_IhrBelegdatum", "TfrxRichView", 461, 220.23624, 94.48825, 15.11811024, "Ihr Belegdatum"},
    {"rv_Seite", "TfrxRichView", 461, 250.47248, 94.48825, 22.11811024, "Seite"},
    {"rv_Steuer", "TfrxRichView", 461, 235.35436, 94.48825, 15.11811024, "Ihre USt-ID"},
    {"Rich1", "TfrxRichView", 569, 258, 105.82684, 15.11811024, "Kunden- / Deb.Nr"},
    {"Rich2", "TfrxRichView", 19, 322, 94.48825, 18.89765, "Underline"},
};

TEST(DefaultTemplate, HasADataPageAndOneA4ReportPageWithTenMillimetreMargins) {
  TfrxReport report;
  ASSERT_EQ(report.PagesCount(), 2);
  auto* data = dynamic_cast<TfrxDataPage*>(report.GetPage(0));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->GetWidth(), 1000);
  EXPECT_EQ(data->GetHeight(), 1000);
  const TfrxReportPage& page = OnlyReportPage(report);
  EXPECT_EQ(page.GetName(), "Page1");
  EXPECT_EQ(page.GetPaperWidth(), 210);
  EXPECT_EQ(page.GetPaperHeight(), 297);
  EXPECT_EQ(page.GetPaperSizeCode(), 9);
  EXPECT_NEAR(page.GetWidth(), 793.7007874, 1e-6);
  EXPECT_NEAR(page.GetHeight(), 1122.519685, 1e-6);
  for (double m : {page.GetLeftMargin(), page.GetTopMargin(), page.GetRightMargin(), page.GetBottomMargin()})
    EXPECT_EQ(m, 10);
  EXPECT_TRUE(report.GetFileName().empty());
}

TEST(DefaultTemplate, HoldsTheSixteenObjectsAsTabled) {
  TfrxReport report;
  const TfrxReportPage& page = OnlyReportPage(report);
  ASSERT_EQ(page.GetObjects().size(), std::size(kDefaultObjects));
  for (std::size_t i = 0; i < std::size(kDefaultObjects); ++i) {
    const DefaultObject& want = kDefaultObjects[i];
    const TfrxComponent& got = *page.GetObjects()[i];
    SCOPED_TRACE(want.name);
    EXPECT_EQ(got.GetName(), want.name);
    EXPECT_EQ(got.ClassName(), want.cls);
    EXPECT_EQ(got.GetLeft(), want.left);
    EXPECT_EQ(got.GetTop(), want.top);
    EXPECT_EQ(got.GetWidth(), want.width);
    EXPECT_EQ(got.GetHeight(), want.height);
    if (auto* rich = dynamic_cast<const TfrxRichView*>(&got)) {
      ASSERT_NE(want.label, nullptr);
      const std::string& rtf = rich->GetRichText();
      // Underlined label, 8 points, code page 1252, German.
      EXPECT_NE(rtf.find(std::string("\\ul\\f0\\fs16 ") + want.label + "\\ulnone"), std::string::npos) << rtf;
      EXPECT_NE(rtf.find("\\ansicpg1252"), std::string::npos);
      EXPECT_NE(rtf.find("\\deflang1031"), std::string::npos);
      bool rich2 = want.name == std::string("Rich2");
      EXPECT_NE(rtf.find(rich2 ? " Tahoma;" : " Arial;"), std::string::npos) << rtf;
      EXPECT_EQ(rich->GetGapX(), rich2 ? 2 : 10);
      EXPECT_EQ(rich->GetGapY(), 1);
      EXPECT_TRUE(rich->GetFrame().Typ.Empty());
    }
  }
}

TEST(DefaultTemplate, MemoFramesAndFont) {
  TfrxReport report;
  const auto& box = ObjectAs<TfrxMemoView>(report, "me_Vorgangstext_Rahmen");
  EXPECT_EQ(box.GetFrame().Typ, (TfrxFrameTypes{TfrxFrameType::ftLeft, TfrxFrameType::ftRight, TfrxFrameType::ftTop,
                                                TfrxFrameType::ftBottom}));
  EXPECT_EQ(box.GetFrame().Width, 0.5);
  EXPECT_EQ(box.GetFont().GetName(), u"Arial");
  EXPECT_EQ(box.GetFont().GetHeight(), -11);
  EXPECT_EQ(box.GetFont().GetColor(), clBlack);
  EXPECT_TRUE(box.GetText().empty());
  const auto& rule = ObjectAs<TfrxMemoView>(report, "me_Vorgangstext_Strich");
  EXPECT_EQ(rule.GetFrame().Typ, TfrxFrameTypes{TfrxFrameType::ftTop});
  EXPECT_EQ(rule.GetFrame().Width, 0.5);
  EXPECT_TRUE(rule.GetText().empty());
}

// ---- Reading objects.

TEST(TemplateLoader, ReadsMemoProperties) {
  TfrxReport report;
  report.LoadFromString(PageXml(R"(<TfrxMemoView Name="M" Left="1.5" Top="-2" Width="100" Height="20"
      Text="Grüße €" Font.Name="Times New Roman" Font.Size="12" Font.Style="fsBold, fsItalic" Font.Color="#FF0000"
      HAlign="haCenter" VAlign="vaBottom" GapX="3" GapY="0" WordWrap="False" Color="clYellow"
      Frame.Typ="[ftLeft,ftBottom]" Frame.Width="2.5" Frame.Color="255" Frame.Style="fsDash"/>)"),
                        "m.fr3");
  const auto& m = ObjectAs<TfrxMemoView>(report, "M");
  EXPECT_EQ(m.GetLeft(), 1.5);
  EXPECT_EQ(m.GetTop(), -2);
  EXPECT_EQ(m.GetText(), u"Grüße €");
  EXPECT_EQ(m.GetFont().GetName(), u"Times New Roman");
  EXPECT_EQ(m.GetFont().GetHeight(), -16);  // 12 points at 96 dots per inch
  EXPECT_EQ(m.GetFont().GetStyle(), (TFontStyles{TFontStyle::fsBold, TFontStyle::fsItalic}));
  EXPECT_EQ(m.GetFont().GetColor(), RGB(0xFF, 0, 0));
  EXPECT_EQ(m.GetHAlign(), TfrxHAlign::haCenter);
  EXPECT_EQ(m.GetVAlign(), TfrxVAlign::vaBottom);
  EXPECT_EQ(m.GetGapX(), 3);
  EXPECT_EQ(m.GetGapY(), 0);
  EXPECT_FALSE(m.GetWordWrap());
  EXPECT_EQ(m.GetColor(), clYellow);
  EXPECT_EQ(m.GetFrame().Typ, (TfrxFrameTypes{TfrxFrameType::ftLeft, TfrxFrameType::ftBottom}));
  EXPECT_EQ(m.GetFrame().Width, 2.5);
  EXPECT_EQ(m.GetFrame().Color, clRed);
  EXPECT_EQ(m.GetFrame().Style, TfrxFrameStyle::fsDash);
}

TEST(TemplateLoader, DefaultsOfAMemoWithOnlyItsBox) {
  TfrxReport report;
  report.LoadFromString(PageXml(R"(<TfrxMemoView Left="0" Top="0" Width="10" Height="10"/>)"), "d.fr3");
  const auto& m = dynamic_cast<const TfrxMemoView&>(*OnlyReportPage(report).GetObjects().at(0));
  EXPECT_EQ(m.GetName(), "");
  EXPECT_EQ(m.GetFont().GetName(), u"Arial");
  EXPECT_EQ(m.GetFont().GetHeight(), -13);
  EXPECT_EQ(m.GetColor(), clNone);
  EXPECT_TRUE(m.GetFrame().Typ.Empty());
  EXPECT_EQ(m.GetFrame().Width, 1);
  EXPECT_EQ(m.GetGapX(), 2);
  EXPECT_EQ(m.GetGapY(), 1);
  EXPECT_TRUE(m.GetWordWrap());
  EXPECT_TRUE(m.GetVisible());
}

TEST(TemplateLoader, ReadsShapesLinesBandsAndRichText) {
  TfrxReport report;
  report.LoadFromString(PageXml(R"(
    <TfrxLineView Name="L" Left="10" Top="20" Width="0" Height="30" Frame.Width="3"/>
    <TfrxMasterData Name="B" Left="0" Top="100" Width="700" Height="40">
      <TfrxShapeView Name="S" Left="5" Top="6" Width="50" Height="30" Shape="skRoundRectangle" Curve="8" Color="-16777201"/>
      <Unknown Anything="at all"/>
    </TfrxMasterData>
    <TfrxRichView Name="R" Left="0" Top="0" Width="9" Height="9" RichText="{\rtf1 caf&#233;&#10;x}"/>)"),
                        "s.fr3");
  const auto& line = ObjectAs<TfrxLineView>(report, "L");
  EXPECT_EQ(line.GetHeight(), 30);
  EXPECT_EQ(line.GetFrame().Width, 3);
  const auto& band = ObjectAs<TfrxBand>(report, "B");
  EXPECT_EQ(band.ClassName(), "TfrxMasterData");
  ASSERT_EQ(band.GetObjects().size(), 1u);  // the unknown element is ignored
  const auto& shape = ObjectAs<TfrxShapeView>(report, "S");
  EXPECT_EQ(shape.GetParent(), &band);
  EXPECT_EQ(shape.GetShape(), TfrxShapeKind::skRoundRectangle);
  EXPECT_EQ(shape.GetCurve(), 8);
  EXPECT_EQ(shape.GetColor(), clBtnFace);  // a system colour written as a signed number
  EXPECT_EQ(shape.GetAbsLeft(), 5);
  EXPECT_EQ(shape.GetAbsTop(), 106);
  // RTF is 8-bit: é is the Windows-1252 byte, and the line break is kept.
  EXPECT_EQ(ObjectAs<TfrxRichView>(report, "R").GetRichText(), "{\\rtf1 caf\xE9\nx}");
}

TEST(TemplateLoader, PaperSizesAndOrientation) {
  struct Case {
    const char* attrs;
    double width_mm, height_mm;
  };
  const Case cases[] = {
      {R"(PaperSize="9")", 210, 297},
      {R"(PaperSize="9" Orientation="poLandscape")", 297, 210},
      {R"(PaperSize="1")", 215.9, 279.4},
      {R"(PaperSize="11")", 148, 210},
      {R"(PaperWidth="100" PaperHeight="50")", 100, 50},
      {R"(PaperSize="9" PaperWidth="200")", 200, 297},
      {R"(PaperSize="256" PaperWidth="80" PaperHeight="120" Orientation="poLandscape")", 120, 80},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.attrs);
    TfrxReport report;
    report.LoadFromString(PageXml("", c.attrs + std::string(" LeftMargin=\"5\" TopMargin=\"0\"")), "p.fr3");
    const TfrxReportPage& page = OnlyReportPage(report);
    EXPECT_EQ(page.GetPaperWidth(), c.width_mm);
    EXPECT_EQ(page.GetPaperHeight(), c.height_mm);
    EXPECT_DOUBLE_EQ(page.GetWidth(), c.width_mm * 96 / 25.4);
    EXPECT_DOUBLE_EQ(page.GetHeight(), c.height_mm * 96 / 25.4);
    EXPECT_EQ(page.GetLeftMargin(), 5);
    EXPECT_EQ(page.GetTopMargin(), 0);
    EXPECT_EQ(page.GetRightMargin(), 10);
  }
}

TEST(TemplateLoader, IgnoresUnknownElementsAndAttributes) {
  TfrxReport report;
  report.LoadFromString(R"(<?xml version="1.0"?>
<TfrxReport Version="9" Future="yes">
  <TfrxScript>begin end.</TfrxScript>
  <TfrxReportPage PaperSize="9" Watermark="none">
    <TfrxChartView Left="0" Top="0"/>
    <TfrxMemoView Left="0" Top="0" Width="1" Height="1" Highlight.Color="1" Whatever="x"><Child/></TfrxMemoView>
  </TfrxReportPage>
</TfrxReport>)",
                        "u.fr3");
  ASSERT_EQ(report.PagesCount(), 1);
  EXPECT_EQ(OnlyReportPage(report).GetObjects().size(), 1u);
}

// ---- Errors.

struct BadTemplate {
  const char* what;
  std::string xml;
  int line;
  const char* message;  // a part of the message after "file:line: "
};

TEST(TemplateLoader, MalformedTemplatesGiveErrorsNamingFileAndLine) {
  const BadTemplate cases[] = {
      {"bad XML", "<TfrxReport>\n<TfrxReportPage PaperSize=\"9\">\n<TfrxMemoView Left=\"1\" </TfrxReportPage>", 3,
       "malformed XML"},
      {"unclosed root", "<TfrxReport>\n<TfrxReportPage PaperSize=\"9\">\n", 2, "malformed XML"},
      {"empty text", "", 1, "malformed XML"},
      {"wrong root", "<?xml version=\"1.0\"?>\n<Report/>", 2, "expected <TfrxReport>"},
      {"negative width",
       PageXml("<TfrxMemoView Name=\"M1\" Left=\"1\" Top=\"2\"\n Width=\"-5\" Height=\"3\"/>\n"), 4,
       "TfrxMemoView \"M1\": attribute Width: -5 must not be negative"},
      {"negative height", PageXml("\n<TfrxShapeView Left=\"1\" Top=\"2\" Width=\"5\" Height=\"-0.5\"/>"), 4,
       "attribute Height: -0.5 must not be negative"},
      {"missing width", PageXml("<TfrxRichView Name=\"R\" Left=\"1\" Top=\"2\" Height=\"3\"/>"), 3,
       "TfrxRichView \"R\": missing attribute Width"},
      {"missing left in band",
       PageXml("<TfrxBand Left=\"0\" Top=\"0\" Width=\"9\" Height=\"9\">\n<TfrxLineView Top=\"0\" Width=\"0\" "
               "Height=\"1\"/></TfrxBand>"),
       4, "TfrxLineView: missing attribute Left"},
      {"not a number", PageXml("<TfrxMemoView Left=\"1,5\" Top=\"2\" Width=\"5\" Height=\"3\"/>"), 3,
       "attribute Left: \"1,5\" is not a number"},
      {"infinite", PageXml("<TfrxMemoView Left=\"inf\" Top=\"2\" Width=\"5\" Height=\"3\"/>"), 3,
       "is not a finite number"},
      {"not a number at all", PageXml("<TfrxMemoView Left=\"nan\" Top=\"2\" Width=\"5\" Height=\"3\"/>"), 3,
       "is not a finite number"},
      {"too far", PageXml("<TfrxMemoView Left=\"1e300\" Top=\"2\" Width=\"5\" Height=\"3\"/>"), 3,
       "is out of range"},
      {"unknown shape", PageXml("<TfrxShapeView Left=\"0\" Top=\"0\" Width=\"5\" Height=\"3\" Shape=\"skStar\"/>"),
       3, "\"skStar\" is not one of skRectangle, skRoundRectangle, skEllipse"},
      {"unknown frame side",
       PageXml("<TfrxMemoView Left=\"0\" Top=\"0\" Width=\"5\" Height=\"3\" Frame.Typ=\"ftLeft,ftMiddle\"/>"), 3,
       "\"ftMiddle\" is not one of ftLeft"},
      {"frame mask too large",
       PageXml("<TfrxMemoView Left=\"0\" Top=\"0\" Width=\"5\" Height=\"3\" Frame.Typ=\"16\"/>"), 3,
       "16 is out of range (0 to 15)"},
      {"negative frame width",
       PageXml("<TfrxMemoView Left=\"0\" Top=\"0\" Width=\"5\" Height=\"3\" Frame.Width=\"-1\"/>"), 3,
       "attribute Frame.Width: -1 must not be negative"},
      {"bad colour", PageXml("<TfrxMemoView Left=\"0\" Top=\"0\" Width=\"5\" Height=\"3\" Color=\"clPink\"/>"), 3,
       "\"clPink\" is not a colour"},
      {"colour out of range",
       PageXml("<TfrxMemoView Left=\"0\" Top=\"0\" Width=\"5\" Height=\"3\" Color=\"305419896\"/>"), 3,
       "is not a colour"},
      {"bad boolean", PageXml("<TfrxMemoView Left=\"0\" Top=\"0\" Width=\"5\" Height=\"3\" WordWrap=\"yes\"/>"), 3,
       "\"yes\" is not True or False"},
      {"huge font", PageXml("<TfrxMemoView Left=\"0\" Top=\"0\" Width=\"5\" Height=\"3\" Font.Height=\"-99999\"/>"),
       3, "attribute Font.Height: -99999 is out of range"},
      {"font height and size",
       PageXml("<TfrxMemoView Left=\"0\" Top=\"0\" Width=\"5\" Height=\"3\" Font.Height=\"-9\" Font.Size=\"8\"/>"),
       3, "not both"},
      {"empty font name",
       PageXml("<TfrxMemoView Left=\"0\" Top=\"0\" Width=\"5\" Height=\"3\" Font.Name=\" \"/>"), 3,
       "a font needs a name"},
      {"band in band",
       PageXml("<TfrxBand Left=\"0\" Top=\"0\" Width=\"9\" Height=\"9\">\n<TfrxBand Name=\"In\" Left=\"0\" "
               "Top=\"0\" Width=\"9\" Height=\"9\"/></TfrxBand>"),
       4, "TfrxBand \"In\": a band cannot hold another band"},
      {"no paper", "<TfrxReport>\n<TfrxReportPage Name=\"P\" PaperWidth=\"100\"/></TfrxReport>", 2,
       "TfrxReportPage \"P\": missing attribute PaperHeight"},
      {"unknown paper code", "<TfrxReport>\n<TfrxReportPage PaperSize=\"77\"/></TfrxReport>", 2,
       "77 is not a known paper size"},
      {"zero paper", "<TfrxReport>\n<TfrxReportPage PaperWidth=\"0\" PaperHeight=\"10\"/></TfrxReport>", 2,
       "attribute PaperWidth: 0 is out of range"},
      {"margins too wide", PageXml("", "PaperSize=\"9\"\n LeftMargin=\"150\" RightMargin=\"60\""), 2,
       "the left and right margins leave no room"},
      {"negative margin", PageXml("", "PaperSize=\"9\"\n TopMargin=\"-1\""), 3,
       "attribute TopMargin: -1 must not be negative"},
      {"bad orientation", PageXml("", "PaperSize=\"9\" Orientation=\"sideways\""), 2, "is not one of poPortrait"},
      {"picture with a bad digit",
       PageXml("<TfrxPictureView Left=\"0\" Top=\"0\" Width=\"5\" Height=\"3\" Picture=\"42 4Dx0\"/>"), 3,
       "attribute Picture: 'x' is not a hexadecimal digit"},
      {"picture with an odd digit count",
       PageXml("<TfrxPictureView Left=\"0\" Top=\"0\" Width=\"5\" Height=\"3\" Picture=\"424\"/>"), 3,
       "odd number of hexadecimal digits"},
      {"picture that is no picture",
       PageXml("<TfrxPictureView Left=\"0\" Top=\"0\" Width=\"5\" Height=\"3\" Picture=\"00010203\"/>"), 3,
       "not a BMP, PNG or JPEG picture or an enhanced metafile"},
      {"truncated bitmap",
       PageXml("<TfrxPictureView Left=\"0\" Top=\"0\" Width=\"5\" Height=\"3\" Picture=\"424D0000\"/>"), 3,
       "attribute Picture: "},
      {"truncated PNG",
       PageXml("<TfrxPictureView Left=\"0\" Top=\"0\" Width=\"5\" Height=\"3\" Picture=\"89504E470D0A1A0A\"/>"), 3,
       "attribute Picture: "},
      {"truncated JPEG",
       PageXml("<TfrxPictureView Left=\"0\" Top=\"0\" Width=\"5\" Height=\"3\" Picture=\"FFD8FFE000\"/>"), 3,
       "attribute Picture: "},
      {"bad background picture", PageXml("", "PaperSize=\"9\"\n BackPicture=\"4\""), 3,
       "attribute BackPicture: the picture data has an odd number"},
      {"rich text nested too deeply",
       PageXml("<TfrxRichView Name=\"R\" Left=\"0\" Top=\"0\" Width=\"5\" Height=\"3\"\n RichText=\"{\\rtf1 " +
               std::string(300, '{') + "\"/>"),
       4, "TfrxRichView \"R\": attribute RichText: RTF groups are nested too deeply"},
  };
  for (const BadTemplate& c : cases) {
    SCOPED_TRACE(c.what);
    TfrxReport report;
    try {
      report.LoadFromString(c.xml, "bad.fr3");
      ADD_FAILURE() << "no error";
    } catch (const EfrxTemplateError& e) {
      std::string prefix = "bad.fr3:" + std::to_string(c.line) + ": ";
      EXPECT_EQ(std::string(e.what()).rfind(prefix, 0), 0u) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
      EXPECT_EQ(e.Line(), c.line);
      EXPECT_EQ(e.Source(), "bad.fr3");
    }
    // A template that cannot be read leaves the report as it was.
    EXPECT_NE(report.FindObject("rv_Belegnummer"), nullptr);
  }
}

TEST(TemplateLoader, ReadsPicturesAndTheBackgroundPicture) {
  TBitmap bitmap(3, 2);
  bitmap.SetPixel(2, 1, RGB(10, 20, 30));
  std::string hex;
  for (std::uint8_t b : bitmap.SaveToBytes()) {
    const char* digits = "0123456789ABCDEF";
    hex += digits[b >> 4];
    hex += digits[b & 15];
    if (hex.size() % 40 == 0) hex += "\n ";
  }
  TfrxReport report;
  report.LoadFromString(PageXml("<TfrxPictureView Name=\"Pic\" Left=\"1\" Top=\"2\" Width=\"30\" Height=\"20\" Picture=\"" +
                                    hex + "\"/>\n<TfrxPictureView Name=\"None\" Left=\"1\" Top=\"2\" Width=\"3\" Height=\"2\"/>",
                                "PaperSize=\"9\" BackPicture=\"" + hex + "\""),
                        "pic.fr3");
  auto* pic = dynamic_cast<TfrxPictureView*>(report.FindObject("Pic"));
  ASSERT_NE(pic, nullptr);
  const auto* graphic = dynamic_cast<const TBitmap*>(pic->GetPicture().GetGraphic());
  ASSERT_NE(graphic, nullptr);
  EXPECT_EQ(graphic->GetWidth(), 3);
  EXPECT_EQ(graphic->GetHeight(), 2);
  EXPECT_EQ(graphic->GetPixel(2, 1), RGB(10, 20, 30));
  auto* none = dynamic_cast<TfrxPictureView*>(report.FindObject("None"));
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none->GetPicture().GetGraphic(), nullptr);
  auto* page = dynamic_cast<TfrxReportPage*>(report.GetPage(0));
  ASSERT_NE(page, nullptr);
  ASSERT_NE(page->GetBackPicture().GetGraphic(), nullptr);
  EXPECT_EQ(page->GetBackPicture().GetGraphic()->GetWidth(), 3);
  // Preparation shares the picture with the prepared view, and the page
  // background view carries the background picture.
  report.PrepareReport();
  TfrxReportPage* prepared = report.GetPreviewPages().GetPage(0);
  auto* background = dynamic_cast<TfrxPictureView*>(prepared->FindObject(std::string(frxPageBackgroundName)));
  ASSERT_NE(background, nullptr);
  EXPECT_EQ(background->GetPicture().GetGraphic(), page->GetBackPicture().GetGraphic());
}

TEST(TemplateLoader, ReadsPngAndJpegPictures) {
  TBitmap bitmap(5, 4);
  bitmap.Fill(clRed);
  TPngImage png;
  png.Assign(bitmap);
  TJPEGImage jpeg;
  jpeg.Assign(bitmap);
  for (const TGraphic* source : {static_cast<const TGraphic*>(&png), static_cast<const TGraphic*>(&jpeg)}) {
    std::string hex;
    for (std::uint8_t b : source->SaveToBytes()) {
      const char* digits = "0123456789abcdef";
      hex += digits[b >> 4];
      hex += digits[b & 15];
    }
    TfrxReport report;
    report.LoadFromString(
        PageXml("<TfrxPictureView Name=\"Pic\" Left=\"0\" Top=\"0\" Width=\"5\" Height=\"4\" Picture=\"" + hex + "\"/>"),
        "pic.fr3");
    auto* pic = dynamic_cast<TfrxPictureView*>(report.FindObject("Pic"));
    ASSERT_NE(pic, nullptr);
    const TGraphic* loaded = pic->GetPicture().GetGraphic();
    ASSERT_NE(loaded, nullptr);
    const TGraphic& loaded_ref = *loaded;
    const TGraphic& source_ref = *source;
    EXPECT_EQ(typeid(loaded_ref), typeid(source_ref));
    EXPECT_EQ(loaded->GetWidth(), 5);
    EXPECT_EQ(loaded->GetHeight(), 4);
  }
}

// ---- Files.

TEST(TemplateFile, MissingFileClearsTheReportWithoutError) {
  TfrxReport report;
  ASSERT_TRUE(report.PrepareReport());
  EXPECT_FALSE(report.LoadFromFile("/nonexistent/dir/Test.fr3"));
  EXPECT_EQ(report.PagesCount(), 0);
  EXPECT_EQ(report.GetPreviewPages().Count(), 0);
  EXPECT_FALSE(report.PrepareReport());
  EXPECT_EQ(report.GetPreviewPages().Count(), 0);
}

TEST(TemplateFile, MissingFileThrowsWhenAsked) {
  TfrxReport report;
  EXPECT_THROW(report.LoadFromFile("/nonexistent/Test.fr3", true), EfrxError);
  EXPECT_EQ(report.PagesCount(), 0);
}

TEST(TemplateFile, LoadsAFileAndNamesItInErrors) {
  TempFile good("good.fr3");
  good.Write(PageXml("<TfrxMemoView Name=\"Only\" Left=\"0\" Top=\"0\" Width=\"5\" Height=\"3\"/>"));
  TfrxReport report;
  EXPECT_TRUE(report.LoadFromFile(good.path()));
  EXPECT_EQ(report.GetFileName(), good.path());
  EXPECT_NE(report.FindObject("Only"), nullptr);
  EXPECT_EQ(report.FindObject("rv_Belegnummer"), nullptr);

  TempFile bad("bad.fr3");
  bad.Write("<TfrxReport>\n\n<TfrxReportPage/>\n</TfrxReport>");
  try {
    report.LoadFromFile(bad.path());
    ADD_FAILURE() << "no error";
  } catch (const EfrxTemplateError& e) {
    EXPECT_EQ(std::string(e.what()).rfind(bad.path() + ":3: ", 0), 0u) << e.what();
  }
  EXPECT_NE(report.FindObject("Only"), nullptr);
}

TEST(TemplateFile, ADirectoryIsNotATemplate) {
  TfrxReport report;
  EXPECT_FALSE(report.LoadFromFile(testing::TempDir()));
  EXPECT_EQ(report.PagesCount(), 0);
}

}  // namespace
}  // namespace km
