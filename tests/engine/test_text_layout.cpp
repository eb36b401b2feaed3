// Text measuring, word wrapping, justification, the link finder and the
// right-to-left reordering, on fixed advances (FixedTextMetrics.h).

#include <gtest/gtest.h>

#include <cmath>

#include "FixedTextMetrics.h"
#include "kmCodePage.h"

namespace km::test {
namespace {

using Lines = std::vector<std::u16string>;

std::string Show(const Lines& lines) {
  std::string s;
  for (const auto& l : lines) {
    std::string line = WideToUtf8(l);
    for (std::size_t p; (p = line.find("\r\n")) != std::string::npos;) line.replace(p, 2, "<CRLF>");
    s += "[" + line + "]";
  }
  return s;
}

Lines ToLines(const TWideStrings& list) {
  Lines lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Get(i));
  return lines;
}

TEST(TextMeasureTest, EmptyTextAndLineBreaks) {
  TTextEngine engine;
  const TFont& font = engine.GetFont();
  EXPECT_EQ(engine.TextSize(u"", font), (TkmSize{1, 16}));
  EXPECT_EQ(engine.TextSize(u"ab", font), (TkmSize{20, 16}));
  EXPECT_EQ(engine.TextSize(u"a b", font).cx, 25);
  // The service sees the text without its final CR LF.
  EXPECT_EQ(engine.TextSize(u"ab\r\n", font).cx, 20);
  EXPECT_EQ(engine.TextSizeW(u"", font), (TkmSize{0, 16}));
}

TEST(TextMeasureTest, WidthAndHeightInTheCallersUnit) {
  TTextEngine engine;
  EXPECT_EQ(engine.TextWidth(u""), 0);
  EXPECT_EQ(engine.TextHeight(u""), 16);
  EXPECT_EQ(engine.TextWidth(u"abc"), 30);
  engine.SetMeasurementUnit(TkmUnitType::muInches);
  EXPECT_DOUBLE_EQ(engine.TextWidth(u"abc"), 30.0 / 96.0);
  EXPECT_DOUBLE_EQ(engine.TextHeight(u"abc"), 16.0 / 96.0);
  // Pixels at another input resolution are scaled by it.
  engine.SetMeasurementUnit(TkmUnitType::muPixels);
  engine.SetInputXRes(192);
  EXPECT_DOUBLE_EQ(engine.TextWidth(u"abc"), 60.0);
}

struct WrapCase {
  const char* name;
  std::u16string text;
  double width, first;
  Lines before;
  Lines expected;
};

class WrapTest : public ::testing::TestWithParam<WrapCase> {};

TEST_P(WrapTest, WideStringListGetsTheExpectedLines) {
  const WrapCase& c = GetParam();
  TTextEngine engine;
  TWideStrings lines;
  for (const auto& l : c.before) lines.Add(l);
  const int result = engine.WrapTextIntoLines(c.text, c.width, c.first, lines, false, engine.GetFont());
  EXPECT_EQ(Show(ToLines(lines)), Show(c.expected));
  EXPECT_EQ(result, static_cast<int>(std::nearbyint(c.width)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WrapTest,
    ::testing::Values(
        // "aa " is 25 wide and fits; "bb" does not fit the 5 left.
        WrapCase{"TwoWords", u"aa bb", 30, 30, {}, {u"aa ", u"bb"}},
        WrapCase{"AllFits", u"aa bb", 45, 45, {}, {u"aa bb"}},
        WrapCase{"CrLfBreaks", u"ab\r\ncd", 100, 100, {}, {u"ab\r\n", u"cd"}},
        WrapCase{"LoneLfBreaks", u"ab\ncd", 100, 100, {}, {u"ab\r\n", u"cd"}},
        WrapCase{"TrailingCrLfLeavesNoEmptyLine", u"ab\r\n", 100, 100, {}, {u"ab\r\n"}},
        WrapCase{"BlankLineKept", u"ab\r\n\r\ncd", 100, 100, {}, {u"ab\r\n", u"\r\n", u"cd"}},
        WrapCase{"LongWordSplitAtCharacters", u"abcdefgh", 35, 35, {}, {u"abc", u"def", u"gh"}},
        WrapCase{"LongWordAfterShortOne", u"ab cdefghijkl", 35, 35, {}, {u"ab ", u"cde", u"fgh", u"ijk", u"l"}},
        WrapCase{"NoCharacterFitsStops", u"abc", 5, 5, {}, {}},
        // Only a blank fits 8: the "a" cannot be placed, and wrapping stops.
        WrapCase{"StopKeepsLinesMadeSoFar", u" a b", 8, 8, {}, {u" "}},
        WrapCase{"SecondBlankLeadsNextWord", u"aa  bb", 30, 30, {}, {u"aa ", u" bb"}},
        WrapCase{"TrailingBlankStays", u"ab ", 100, 100, {}, {u"ab "}},
        WrapCase{"NarrowFirstLine", u"aa bb cc", 50, 20, {}, {u"aa bb ", u"cc"}},
        WrapCase{"ContinuesOneLineWithFirstWidth", u"aa bb", 60, 50, {u"xx"}, {u"xxaa ", u"bb"}},
        WrapCase{"ContinuesLaterLineWithWidth", u"aa bb", 50, 10, {u"l1", u"xx"}, {u"l1", u"xxaa ", u"bb"}},
        WrapCase{"ZeroWidthLeavesLines", u"aa bb", 0, 0, {u"keep"}, {u"keep"}},
        WrapCase{"EmptyText", u"", 50, 50, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WrapTest, AutoResizeTakesTheWholeTextOnOneLine) {
  TTextEngine engine;
  TWideStrings lines;
  lines.Add(u"old");
  // w("abc ") = 35, plus twice the pen width 1.
  EXPECT_EQ(engine.WrapTextIntoLines(u"abc", 10, 10, lines, true, engine.GetFont()), 37);
  EXPECT_EQ(Show(ToLines(lines)), "[abc]");
  TPen pen;
  pen.SetWidth(4);
  engine.SetPen(pen);
  EXPECT_EQ(engine.WrapTextIntoLines(u"abc", 10, 10, lines, true, engine.GetFont()), 43);
}

TEST(WrapTest, WrapsWithTheGivenFont) {
  TTextEngine engine;
  TFont bold = engine.GetFont();
  bold.SetStyle({TFontStyle::fsBold});
  TWideStrings lines;
  // "aa b" is 35 and fits 36; in bold it is 41.
  engine.WrapTextIntoLines(u"aa b", 36, 36, lines, false, engine.GetFont());
  EXPECT_EQ(Show(ToLines(lines)), "[aa b]");
  lines.Clear();
  engine.WrapTextIntoLines(u"aa b", 36, 36, lines, false, bold);
  EXPECT_EQ(Show(ToLines(lines)), "[aa ][b]");
}

TEST(WrapTest, PlainListStartsWithAnEmptyLine) {
  TTextEngine engine;
  Lines lines;
  engine.WrapTextIntoLines(u"aa bb", 30, 30, lines, false, engine.GetFont());
  EXPECT_EQ(Show(lines), "[aa ][bb]");
  // A first word too wide for the first line leaves that line empty.
  lines.clear();
  engine.WrapTextIntoLines(u"aa bb", 50, 20, lines, false, engine.GetFont());
  EXPECT_EQ(Show(lines), "[][aa bb]");
}

TEST(WrapTest, PlainListMeasuresTheHorizontalExtentOfRotatedText) {
  TTextEngine engine;
  Lines lines;
  engine.WrapTextIntoLines(u"aaaa bbbb", 30, 30, lines, false, engine.GetFont());
  // The first line stays empty: "aaaa " does not fit it and is cut on the next lines.
  EXPECT_EQ(Show(lines), "[][aaa][a ][bbb][b]");
  engine.SetTextRotation(60);  // cos 60 degrees = 0.5
  lines.clear();
  engine.WrapTextIntoLines(u"aaaa bbbb", 30, 30, lines, false, engine.GetFont());
  EXPECT_EQ(Show(lines), "[aaaa ][bbbb]");
  // 0.5 * w("abc ") + 2 * pen = 19.5, rounded half to even.
  EXPECT_EQ(engine.WrapTextIntoLines(u"abc", 30, 30, lines, true, engine.GetFont()), 20);
}

struct JustifyCase {
  std::u16string text;
  double width;
  std::u16string expected;
};

class JustifyTest : public ::testing::TestWithParam<JustifyCase> {};

TEST_P(JustifyTest, SpacesGoToTheGapsFrontToBack) {
  TTextEngine engine;
  const TFont font = engine.GetFont();
  auto width = [&](const std::u16string& s) { return static_cast<double>(engine.TextSize(s, font).cx); };
  EXPECT_EQ(WideToUtf8(GetJustifiedText(GetParam().text, GetParam().width, width)),
            WideToUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JustifyTest,
    ::testing::Values(
        // w("a b c") = 40: 20 to spare is 4 blanks, 2 + 2.
        JustifyCase{u"a b c", 60, u"a   b   c"},
        // 25 to spare is 5 blanks: the later gap takes the remainder.
        JustifyCase{u"a b c", 65, u"a   b    c"},
        JustifyCase{u"a b c", 64, u"a   b   c"},
        JustifyCase{u"aa bb cc dd", 120, u"aa  bb   cc   dd"},
        // One word: the blanks go between its characters.
        JustifyCase{u"abc", 50, u"a  b  c"},
        JustifyCase{u"x", 50, u"x"},
        // Leading blanks stay with the first word.
        JustifyCase{u"  ab cd", 65, u"  ab   cd"},
        JustifyCase{u"a b", 20, u"a b"},
        JustifyCase{u"", 50, u""}));

struct LinkCase {
  std::u16string text;
  int start;
  std::u16string link;
  int linkStart;
};

class LinkTest : public ::testing::TestWithParam<LinkCase> {};

TEST_P(LinkTest, FindsTheNextLink) {
  TTextEngine engine;
  const LinkCase& c = GetParam();
  int start = c.start;
  EXPECT_EQ(WideToUtf8(engine.GetHyperLinkText(c.text, start)), WideToUtf8(c.link));
  EXPECT_EQ(start, c.linkStart);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkTest,
    ::testing::Values(
        LinkCase{u"see www.example.com now", 0, u"www.example.com", 5},
        LinkCase{u"Go to HTTP://Example.com/a?b=1&c=2 please", 0, u"HTTP://Example.com/a?b=1&c=2", 7},
        LinkCase{u"ftp://files.org", 0, u"ftp://files.org", 1},
        LinkCase{u"x https://secure.net/p", 0, u"https://secure.net/p", 3},
        // The address starts at its local part.
        LinkCase{u"mail john.doe_1@example.de today", 0, u"john.doe_1@example.de", 6},
        // An "@" without a "." after it is no address.
        LinkCase{u"meet @noon", 0, u"", 0},
        // A path runs from its drive letter up to the blank after its extension.
        LinkCase{u"open C:\\My Files\\report.pdf now", 0, u"C:\\My Files\\report.pdf", 6},
        LinkCase{u"earliest wins: http://a.b www.c.d", 0, u"http://a.b", 16},
        // Scanning on from a 1-based position finds the next link, up to the end.
        LinkCase{u"www.a.de and www.b.de", 9, u"www.b.de", 14},
        LinkCase{u"plain text", 0, u"", 0},
        LinkCase{u"", 0, u"", 0},
        LinkCase{u"www.x.de", 40, u"", 40}));

struct R2LCase {
  std::u16string in;
  std::u16string out;
};

class R2LTest : public ::testing::TestWithParam<R2LCase> {};

TEST_P(R2LTest, ReordersForRightToLeftDisplay) {
  TTextEngine engine;
  EXPECT_EQ(engine.R2LString(GetParam().in), GetParam().out);
}

// Hebrew letters alef, bet, gimel.
INSTANTIATE_TEST_SUITE_P(
    Cases, R2LTest,
    ::testing::Values(R2LCase{u"\u05d0\u05d1\u05d2", u"\u05d2\u05d1\u05d0"},
                      // Numbers keep their order inside right-to-left text.
                      R2LCase{u"\u05d0 123 \u05d1", u"\u05d1 123 \u05d0"},
                      // A left-to-right run keeps its inner order, including the blank inside it.
                      R2LCase{u"\u05d0 ab cd \u05d1", u"\u05d1 ab cd \u05d0"},
                      // Brackets in right-to-left context are mirrored.
                      R2LCase{u"\u05d0(\u05d1)", u"(\u05d1)\u05d0"},
                      R2LCase{u"abc", u"abc"}, R2LCase{u"", u""}));

}  // namespace
}  // namespace km::test
