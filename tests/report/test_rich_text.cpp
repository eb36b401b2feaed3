// The platform's rich text: the RTF reader and the format-range renderer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EmfLog.h"
#include "kmCodePage.h"
#include "kmFontCatalog.h"
#include "kmMetafileCanvas.h"
#include "kmRichText.h"

namespace km {
namespace {

// The runs of a document as "text|flags|font|half-points|colour" lines,
// flags b, i, u for bold, italic, underline.
std::vector<std::string> Runs(const TRichText& doc) {
  std::vector<std::string> out;
  for (const TRichRun& r : doc.GetRuns()) {
    std::string flags = std::string(r.Format.Bold ? "b" : "") + (r.Format.Italic ? "i" : "") +
                        (r.Format.Underline ? "u" : "");
    char color[16] = "auto";
    if (r.Format.Color != clWindowText)
      std::snprintf(color, sizeof color, "%02x%02x%02x", GetRValue(r.Format.Color), GetGValue(r.Format.Color),
                    GetBValue(r.Format.Color));
    std::string text = WideToUtf8(doc.GetText().substr(r.Start, r.Length));
    for (std::size_t p; (p = text.find('\r')) != std::string::npos;) text.replace(p, 1, "<par>");
    out.push_back(text + "|" + flags + "|" + WideToUtf8(r.Format.FontName) + "|" + std::to_string(r.Format.HalfPoints) +
                  "|" + color);
  }
  return out;
}

struct ReadCase {
  const char* name;
  const char* rtf;
  std::vector<std::string> runs;
};

TEST(RichTextReader, ReadsFormatsTablesAndCharacters) {
  const std::vector<ReadCase> cases = {
      {"template label",
       R"({\rtf1\ansi\ansicpg1252\deff0\deflang1031{\fonttbl{\f0\fswiss\fcharset0 Arial;}}\viewkind4\uc1\pard\ul\f0\fs16 Belegnummer\ulnone\par})",
       {"Belegnummer|u|Arial|16|auto", "<par>||Arial|16|auto"}},
      {"fonts, bold, colour",
       R"({\rtf1{\fonttbl{\f0 Arial;}{\f1\froman Times New Roman;}}{\colortbl;\red255\green0\blue0;\red0\green0\blue255;}\f1\b bold\b0  \cf2 blue\cf0  auto})",
       {"bold|b|Times New Roman|24|auto", " ||Times New Roman|24|auto", "blue||Times New Roman|24|0000ff",
        " auto||Times New Roman|24|auto"}},
      {"groups restore the format", R"({\rtf1 a{\i b{\b c}d}e})",
       {"a||Arial|24|auto", "b|i|Arial|24|auto", "c|bi|Arial|24|auto", "d|i|Arial|24|auto",
        "e||Arial|24|auto"}},
      {"code page 1252 and unicode",
       R"({\rtf1 \'e4\'f6\'fc\'df\'80 \u8364?\uc2\u8364 xy\uc0\u-3913 z})",
       {"äöüß€ €€\xEF\x82\xB7z||Arial|24|auto"}},
      {"escapes", R"({\rtf1 a\\b\{c\}d\~e\-f\tab g\line h})", {"a\\b{c}d\xC2\xA0" "ef\tg\vh||Arial|24|auto"}},
      {"skipped destinations",
       R"({\rtf1{\*\generator Riched20;}{\info{\title T}{\author A}}{\stylesheet{\s0 Normal;}}shown{\*\unknown hidden}{\pict\wmetafile8 0102}.})",
       {"shown.||Arial|24|auto"}},
      {"plain and underline none", R"({\rtf1\b\i\ul\fs30 x\ulnone y\plain z})",
       {"x|biu|Arial|30|auto", "y|bi|Arial|30|auto", "z||Arial|24|auto"}},
      {"binary data is skipped", "{\\rtf1 a\\bin3 {}}b}", {"ab||Arial|24|auto"}},
      {"missing closing braces", R"({\rtf1 open{\b bold)", {"open||Arial|24|auto", "bold|b|Arial|24|auto"}},
      {"text after the last brace is ignored", R"({\rtf1 in}out)", {"in||Arial|24|auto"}},
      {"a bad hex escape is dropped", R"({\rtf1 a\'zzb})", {"azzb||Arial|24|auto"}},
      {"not RTF is plain text", "line 1\r\nGr\xFC\xDF" "e", {"line 1<par>Grüße||Arial|24|auto"}},
  };
  for (const ReadCase& c : cases) {
    EXPECT_EQ(Runs(TRichText::FromRtf(c.rtf)), c.runs) << c.name;
  }
}

TEST(RichTextReader, TablesAreKept) {
  TRichText doc = TRichText::FromRtf(
      R"({\rtf1{\fonttbl{\f0\fswiss\fcharset0 Arial;}{\f3\fcharset238{\*\panose 0}Tahoma;}}{\colortbl ;\red1\green2\blue3;}x})");
  ASSERT_EQ(doc.GetFonts().size(), 2u);
  EXPECT_EQ(doc.GetFonts()[1].Number, 3);
  EXPECT_EQ(doc.GetFonts()[1].Name, u"Tahoma");
  EXPECT_EQ(doc.GetFonts()[1].Charset, 238);
  ASSERT_EQ(doc.GetColors().size(), 2u);
  EXPECT_EQ(doc.GetColors()[0], clWindowText);
  EXPECT_EQ(doc.GetColors()[1], RGB(1, 2, 3));
}

TEST(RichTextReader, DeepNestingIsAnErrorNotACrash) {
  std::string deep = "{\\rtf1 " + std::string(100000, '{') + "x";
  EXPECT_THROW(TRichText::FromRtf(deep), ERichTextError);
  std::string fine = "{\\rtf1 " + std::string(150, '{') + "x" + std::string(151, '}');
  EXPECT_EQ(TRichText::FromRtf(fine).GetText(), u"x");
}

TEST(RichTextReader, HostileInputEndsCleanly) {
  // Truncated control words, hex escapes, \u and \bin at the very end.
  for (const char* rtf : {"{\\rtf1 \\", "{\\rtf1 \\'", "{\\rtf1 \\'4", "{\\rtf1 \\u", "{\\rtf1 \\u65",
                          "{\\rtf1 \\bin999999", "{\\rtf1 \\fs99999999999999999999 x"}) {
    TRichText doc = TRichText::FromRtf(rtf);
    EXPECT_LE(doc.Length(), 2) << rtf;
  }
}

class RichRender : public ::testing::Test {
 protected:
  ScopedFontCatalog fonts_{FontCatalog::FromDirectory(test::LiberationDir())};
};

TEST_F(RichRender, FormatRangeReturnsTheFirstCharacterThatDidNotFit) {
  // 10 points at 96 units per inch: lines of about 15 units.
  TRichText doc = TRichText::FromRtf(R"({\rtf1\fs20 first\par second\par third})");
  TRichFormatRange range;
  range.Rect = {0, 0, 500, 20};
  EXPECT_EQ(FormatRange(doc, nullptr, range), 6);  // after "first\r"
  range.First = 6;
  EXPECT_EQ(FormatRange(doc, nullptr, range), 13);  // after "second\r"
  range.Rect = {0, 0, 500, 100};
  range.First = 0;
  EXPECT_EQ(FormatRange(doc, nullptr, range), doc.Length());
  range.Last = 9;
  EXPECT_EQ(FormatRange(doc, nullptr, range), 9);
  // Nothing fits a rectangle lower than one line.
  range.Rect = {0, 0, 500, 5};
  range.Last = -1;
  EXPECT_EQ(FormatRange(doc, nullptr, range), 0);
}

TEST_F(RichRender, LinesWrapAfterTheLastSpaceThatFits) {
  TRichText doc = TRichText::FromRtf(R"({\rtf1\fs20 alpha beta gamma})");
  TRichFormatRange range;
  range.Rect = {0, 0, 70, 100};
  int next = 0;
  std::vector<TRichLine> lines = LayoutRichText(doc, range, &next);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(doc.GetText().substr(lines[0].First, lines[0].DrawEnd - lines[0].First), u"alpha beta");
  EXPECT_EQ(doc.GetText().substr(lines[1].First, lines[1].DrawEnd - lines[1].First), u"gamma");
  EXPECT_EQ(lines[1].Top, lines[0].Height);
  EXPECT_EQ(next, doc.Length());
  // A word wider than the line is broken between characters.
  range.Rect = {0, 0, 12, 100};
  lines = LayoutRichText(doc, range, &next);
  EXPECT_GT(lines.size(), 5u);
  for (const TRichLine& l : lines) EXPECT_LE(l.Width, 12 + 7) << l.First;
}

TEST_F(RichRender, SameLayoutAtEveryScale) {
  // Line breaks depend on fractional widths, not on rounding at one scale.
  TRichText doc = TRichText::FromRtf(R"({\rtf1\fs16 Sachbearbeiter und Projektnummer, Kunden- / Deb.Nr})");
  for (int width : {60, 75, 90, 120}) {
    TRichFormatRange one, four;
    one.Rect = {0, 0, width, 1000};
    four.Rect = {0, 0, width * 4, 4000};
    four.UnitsPerInch = 384;
    std::vector<TRichLine> a = LayoutRichText(doc, one, nullptr), b = LayoutRichText(doc, four, nullptr);
    ASSERT_EQ(a.size(), b.size()) << width;
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].End, b[i].End) << width;
  }
}

TEST_F(RichRender, PaintsRunsOnTheBaselineAndRestoresTheCanvas) {
  TRichText doc = TRichText::FromRtf(
      R"({\rtf1{\fonttbl{\f0 Arial;}}{\colortbl;\red0\green128\blue0;}\qc\fs16 small \fs32\cf1 big\par})");
  TMetafile meta;
  {
    TMetafileCanvas canvas(meta);
    canvas.SetTextAlign(TA_TOP);
    TRichFormatRange range;
    range.Rect = {10, 20, 410, 120};
    range.UnitsPerInch = 96;
    EXPECT_EQ(FormatRange(doc, &canvas, range), doc.Length());
    EXPECT_EQ(canvas.GetTextAlign(), TA_TOP);
  }
  std::vector<std::string> text = test::LinesStarting(test::DescribeRecords(meta), "text ");
  ASSERT_EQ(text.size(), 2u);
  // Both pieces share one baseline; centred, so the line starts right of 10.
  auto field = [](const std::string& line, int n) {
    std::size_t p = 0;
    for (int i = 0; i < n; ++i) p = line.find(' ', p) + 1;
    return std::stoi(line.substr(p));
  };
  EXPECT_EQ(field(text[0], 2), field(text[1], 2));
  EXPECT_GT(field(text[0], 1), 150);
  EXPECT_GT(field(text[1], 1), field(text[0], 1));
  std::vector<std::string> fonts = test::LinesStarting(test::DescribeRecords(meta), "font");
  EXPECT_EQ(fonts.front(), "font -11 400 i0 u0 Arial");
  EXPECT_EQ(fonts.back(), "font -21 400 i0 u0 Arial");
}

}  // namespace
}  // namespace km
