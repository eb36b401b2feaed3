// Text boxes (recording, frame, background, alignment, justification), the
// placeholders, the base text encoder's clipping and the sorting of text
// lists, on fixed advances (FixedTextMetrics.h).

#include <gtest/gtest.h>

#include <cmath>

#include "FixedTextMetrics.h"
#include "kmCodePage.h"

namespace km::test {
namespace {

using Strings = std::vector<std::string>;

std::string Num(double v) {
  if (v == std::floor(v)) return std::to_string(static_cast<long long>(v));
  std::string s = std::to_string(v);
  s.erase(s.find_last_not_of('0') + 1);
  return s;
}

class TextBoxTest : public ::testing::Test {
 protected:
  TextBoxTest() {
    engine.SetFileName(dir.File("doc"));
    engine.SetReferencePoint(TkmReferencePoint::rpPage);
    // Padding left 4, top 2, right 6, bottom 3: lines are 90 wide, 95 high.
    engine.GetFrame().SetInternalMargin(kmRect(4, 2, 6, 3));
  }

  // Records one box at (10, 20) of 100 x 100 and encodes it.
  void Box(const std::u16string& text, TkmHAlignment h, TkmVAlignment v) {
    engine.BeginDoc();
    engine.TextBox(kmRect(10, 20, 110, 120), text, h, v);
    engine.EndDoc();
  }

  Strings Placed() const {
    Strings s;
    for (const auto& t : engine.Texts) s.push_back(t.line + "@" + Num(t.x) + "," + Num(t.y));
    return s;
  }

  TempDir dir;
  TTextEngine engine;
};

TEST_F(TextBoxTest, RecordsTheWrappedLinesAndCopies) {
  engine.BeginDoc();
  TPen pen;
  pen.SetWidth(3);
  engine.SetPen(pen);
  engine.TextBox(kmRect(10, 20, 110, 120), u"aaaa bbbb cccc dddd", TkmHAlignment::haCenter, TkmVAlignment::vaBottom);
  auto items = engine.Recorded();
  ASSERT_EQ(items.size(), 1u);
  auto* box = dynamic_cast<TkmTextBoxItem*>(items[0]);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->GetX(), 10);
  EXPECT_EQ(box->GetY(), 20);
  EXPECT_EQ(box->GetBoxWidth(), 100);
  EXPECT_EQ(box->GetBoxHeight(), 100);
  EXPECT_EQ(box->GetHAlign(), TkmHAlignment::haCenter);
  EXPECT_EQ(box->GetVAlign(), TkmVAlignment::vaBottom);
  EXPECT_EQ(box->GetPen().GetWidth(), 3);
  EXPECT_EQ(box->GetFrame().NativeInternalMargin(), kmRect(4, 2, 6, 3));
  ASSERT_EQ(box->GetLines().Count(), 2);
  EXPECT_EQ(box->GetLines().Get(0), u"aaaa bbbb ");
  EXPECT_EQ(box->GetLines().Get(1), u"cccc dddd");
  engine.EndDoc();
}

TEST_F(TextBoxTest, IsClampedToTheBand) {
  engine.SetReferencePoint(TkmReferencePoint::rpMargin);
  engine.GetPage().SetPaperSize(TkmPaperSize::Custom);
  engine.GetPage().SetWidth(200);
  engine.GetPage().SetHeight(300);
  engine.GetPage().SetLeftMargin(20);
  engine.GetPage().SetRightMargin(30);
  engine.GetPage().SetBottomMargin(40);
  engine.BeginDoc();
  engine.TextBox(kmRect(100, 200, 400, 400), u"x", TkmHAlignment::haLeft, TkmVAlignment::vaTop);
  auto* box = dynamic_cast<TkmTextBoxItem*>(engine.Recorded().at(0));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->GetX(), 120);
  EXPECT_EQ(box->GetY(), 200);
  EXPECT_EQ(box->GetBoxWidth(), 50);   // right edge at 200 - 30
  EXPECT_EQ(box->GetBoxHeight(), 60);  // bottom edge at 300 - 40
  engine.EndDoc();
}

TEST_F(TextBoxTest, BackgroundFrameThenLinesWithoutBackground) {
  Box(u"aaaa bbbb cccc dddd", TkmHAlignment::haLeft, TkmVAlignment::vaTop);
  EXPECT_EQ(engine.Log, (Strings{"Start", "ProcessMetafile 1", "BeginPage 1", "TextBox", "Rect filled", "Line 10,20-10,120 w1",
                                 "Line 10,20-110,20 w1", "Line 110,20-110,120 w1", "Line 10,120-110,120 w1",
                                 "Text aaaa bbbb ", "Text cccc dddd", "EndPage 1", "Finish"}));
  for (const auto& t : engine.Texts) EXPECT_EQ(t.brush, TBrushStyle::bsClear);
  EXPECT_EQ(Placed(), (Strings{"aaaa bbbb @14,22", "cccc dddd@14,38"}));
}

TEST_F(TextBoxTest, DisabledSidesAndClearBrushDrawNothing) {
  engine.GetFrame().SetIsLeft(false);
  engine.GetFrame().SetIsBottom(false);
  TBrush clear;
  clear.SetStyle(TBrushStyle::bsClear);
  engine.SetBrush(clear);
  Box(u"x", TkmHAlignment::haLeft, TkmVAlignment::vaTop);
  EXPECT_EQ(engine.Log, (Strings{"Start", "ProcessMetafile 1", "BeginPage 1", "TextBox", "Line 10,20-110,20 w1", "Line 110,20-110,120 w1",
                                 "Text x", "EndPage 1", "Finish"}));
}

struct AlignCase {
  const char* name;
  TkmHAlignment h;
  TkmVAlignment v;
  Strings placed;
};

class TextBoxAlignTest : public TextBoxTest, public ::testing::WithParamInterface<AlignCase> {};

TEST_P(TextBoxAlignTest, PlacesEveryLine) {
  Box(u"aaaa bbbb cccc dddd", GetParam().h, GetParam().v);
  EXPECT_EQ(Placed(), GetParam().placed);
}

// Lines 90 ("aaaa bbbb ") and 85 wide in 90; two lines of 16 in 95.
INSTANTIATE_TEST_SUITE_P(
    Cases, TextBoxAlignTest,
    ::testing::Values(
        AlignCase{"LeftTop", TkmHAlignment::haLeft, TkmVAlignment::vaTop, {"aaaa bbbb @14,22", "cccc dddd@14,38"}},
        AlignCase{"RightTop", TkmHAlignment::haRight, TkmVAlignment::vaTop, {"aaaa bbbb @14,22", "cccc dddd@19,38"}},
        AlignCase{"CenterTop", TkmHAlignment::haCenter, TkmVAlignment::vaTop,
                  {"aaaa bbbb @14,22", "cccc dddd@16.5,38"}},
        // Centred in the box height less both margins, measured from the box top.
        AlignCase{"LeftCenter", TkmHAlignment::haLeft, TkmVAlignment::vaCenter,
                  {"aaaa bbbb @14,51.5", "cccc dddd@14,67.5"}},
        AlignCase{"LeftBottom", TkmHAlignment::haLeft, TkmVAlignment::vaBottom,
                  {"aaaa bbbb @14,83", "cccc dddd@14,99"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextBoxTest, ThreeCentredLines) {
  // "aaaaaaaa " is 85: three lines, a block of 48 in 95.
  Box(u"aaaaaaaa bbbbbbbb cccc", TkmHAlignment::haLeft, TkmVAlignment::vaCenter);
  EXPECT_EQ(Placed(), (Strings{"aaaaaaaa @14,43.5", "bbbbbbbb @14,59.5", "cccc@14,75.5"}));
}

TEST_F(TextBoxTest, JustifiesEveryLineButTheLastAndHardBreaks) {
  // "aa bb cc " is 75: 15 to spare is three blanks, 1 + 2.
  Box(u"aa bb cc dddddddd\r\nee ff\r\ngg hh ii jjjjjjjj", TkmHAlignment::haJustify, TkmVAlignment::vaTop);
  EXPECT_EQ(Placed(), (Strings{"aa  bb   cc @14,22", "dddddddd@14,38", "ee ff@14,54", "gg  hh   ii @14,70",
                               "jjjjjjjj@14,86"}));
}

TEST_F(TextBoxTest, LinesBeyondTheHeightAreNotOutputAndLeadingBlanksGo) {
  engine.BeginDoc();
  // 40 high less 5 of margins: round(35 / 16) = 2 lines.
  engine.TextBox(kmRect(0, 0, 100, 40), u"l1\r\n   l2\r\nl3", TkmHAlignment::haLeft, TkmVAlignment::vaTop);
  auto* box = dynamic_cast<TkmTextBoxItem*>(engine.Recorded().at(0));
  ASSERT_NE(box, nullptr);
  engine.EndDoc();
  EXPECT_EQ(Placed(), (Strings{"l1@4,2", "l2@4,18"}));
}

TEST_F(TextBoxTest, BandBoxLooksTheSameOnEveryPage) {
  engine.BeginDoc();
  engine.BeginHeader();
  engine.TextBox(kmRect(10, 20, 110, 120), u"p<%Pg#%>", TkmHAlignment::haLeft, TkmVAlignment::vaTop);
  engine.EndHeader();
  engine.NewPage();
  engine.EndDoc();
  EXPECT_EQ(Placed(), (Strings{"p1@14,22", "p2@14,22"}));
  EXPECT_EQ(std::count(engine.Log.begin(), engine.Log.end(), "Rect filled"), 2);
  for (const auto& t : engine.Texts) EXPECT_EQ(t.brush, TBrushStyle::bsClear);
}

// ---------------------------------------------------------------------------
// Placeholders

class PlaceholderTest : public ::testing::Test {
 protected:
  PlaceholderTest() { engine.SetFileName(dir.File("doc")); }
  std::string Replace(const std::u16string& text, bool pageInfo = true) {
    return WideToUtf8(engine.ReplacePlaceHolders(text, pageInfo));
  }
  TempDir dir;
  TTextEngine engine;
  Strings asked;
};

TEST_F(PlaceholderTest, PageCountInAHeaderIsTheCountWhenThePageIsEncoded) {
  for (bool eachPage : {false, true}) {
    TempDir local;
    TTextEngine e;
    e.SetFileName(local.File("doc"));
    e.GetPreferences().SetProcessAfterEachPage(eachPage);
    e.BeginDoc();
    e.BeginHeader();
    e.TextOut(0, 0, u"<%pg#%>/<%PgCnt%>");
    e.EndHeader();
    for (int p = 2; p <= 5; ++p) e.NewPage();
    e.EndDoc();
    Strings seen;
    for (const auto& t : e.Texts) seen.push_back(t.line);
    if (eachPage) {
      EXPECT_EQ(seen, (Strings{"1/1", "2/2", "3/3", "4/4", "5/5"}));
    } else {
      EXPECT_EQ(seen, (Strings{"1/5", "2/5", "3/5", "4/5", "5/5"}));
    }
  }
}

TEST_F(PlaceholderTest, CallerVariablesInAnySpelling) {
  engine.OnCalcVariables = [this](TkmCustomDocumentEngine&, const std::u16string& name, std::u16string& value) {
    asked.push_back(WideToUtf8(name));
    if (name == u"Foo") value = u"X";
  };
  EXPECT_EQ(Replace(u"<%Foo%> and <%foo%>"), "X and X");
  EXPECT_EQ(asked, (Strings{"Foo"}));
}

TEST_F(PlaceholderTest, CallerVariableCases) {
  engine.OnCalcVariables = [this](TkmCustomDocumentEngine&, const std::u16string& name, std::u16string& value) {
    asked.push_back(WideToUtf8(name));
    value = u"[" + name + u"]";
  };
  struct Case { std::u16string text; bool pageInfo; std::string expected; };
  for (const Case& c : std::vector<Case>{
           {u"no tokens", true, "no tokens"},
           {u"a<%x%>b<%y%>c", true, "a[x]b[y]c"},
           // The inner token is taken; the outer "<%" stays text.
           {u"<%a<%b%>%>", true, "<%a[b]%>"},
           {u"<%%>", true, "<%%>"},
           {u"open <%x", true, "open <%x"},
           // Page tokens are left for the page-information pass.
           {u"<%Pg#%> <%PGCNT%>", false, "<%Pg#%> <%PGCNT%>"},
           {u"<%Pg#%>", true, "0"},
       }) {
    EXPECT_EQ(Replace(c.text, c.pageInfo), c.expected) << WideToUtf8(c.text);
  }
}

// A value may hold its own token, or make up new ones: values are not
// scanned again, so replacing always ends.
TEST_F(PlaceholderTest, ValuesHoldingTokensDoNotLoop) {
  engine.OnCalcVariables = [this](TkmCustomDocumentEngine&, const std::u16string& name, std::u16string& value) {
    asked.push_back(WideToUtf8(name));
    value = u"<%" + name + u"%>+<%" + name + u"x%>";
  };
  EXPECT_EQ(Replace(u"<%Foo%>.<%foo%>"), "<%Foo%>+<%Foox%>.<%Foo%>+<%Foox%>");
  EXPECT_EQ(asked, (Strings{"Foo"}));
}

TEST_F(PlaceholderTest, DocumentInformationAndDates) {
  engine.GetDocInfo().SetAuthor(u"Ann");
  engine.GetDocInfo().SetCreator(u"Tool");
  engine.GetDocInfo().SetSubject(u"Subj");
  engine.GetDocInfo().SetTitle(u"T\u00eftle");
  engine.SetPlaceholderClock([] {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = 14;
    t.tm_min = 7;
    t.tm_sec = 9;
    t.tm_wday = 4;
    return t;
  });
  EXPECT_EQ(Replace(u"<%AUTHOR%>|<%Creator%>|<%subject%>|<%Title%>"), "Ann|Tool|Subj|T\u00eftle");
  EXPECT_EQ(Replace(u"<%ShortTime%>"), "14:07");
  const std::string longTime = Replace(u"<%LongTime%>");
  EXPECT_NE(longTime.find("07"), std::string::npos) << longTime;
  EXPECT_NE(longTime.find("09"), std::string::npos) << longTime;
  const std::string shortDate = Replace(u"<%ShortDate%>");
  EXPECT_NE(shortDate.find("05"), std::string::npos) << shortDate;
  EXPECT_EQ(shortDate.find("<%"), std::string::npos) << shortDate;
  const std::string longDate = Replace(u"<%longdate%>");
  EXPECT_NE(longDate.find("2026"), std::string::npos) << longDate;
  EXPECT_GT(longDate.size(), shortDate.size()) << longDate;
}

TEST_F(PlaceholderTest, SwitchedOffOrEmptyTextIsLeftAlone) {
  engine.OnCalcVariables = [this](TkmCustomDocumentEngine&, const std::u16string& name, std::u16string& value) {
    asked.push_back(WideToUtf8(name));
    value = u"v";
  };
  EXPECT_EQ(Replace(u""), "");
  engine.GetPreferences().SetCalculateVariables(false);
  EXPECT_EQ(Replace(u"<%Foo%> <%Pg#%>"), "<%Foo%> <%Pg#%>");
  EXPECT_TRUE(asked.empty());
}

TEST_F(PlaceholderTest, BoxesResolveVariablesWhenRecordedAndPagesWhenEncoded) {
  int calls = 0;
  engine.OnCalcVariables = [&calls](TkmCustomDocumentEngine&, const std::u16string&, std::u16string& value) {
    ++calls;
    value = u"V" + std::u16string(1, static_cast<char16_t>(u'0' + calls));
  };
  engine.BeginDoc();
  engine.GetFrame().SetInternalMargin(kmRect(0, 0, 0, 0));
  engine.TextBox(kmRect(0, 0, 200, 100), u"<%Var%> <%Pg#%>", TkmHAlignment::haLeft, TkmVAlignment::vaTop);
  auto* box = dynamic_cast<TkmTextBoxItem*>(engine.Recorded().at(0));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->GetLines().Get(0), u"V1 <%Pg#%>");
  EXPECT_EQ(calls, 1);
  engine.EndDoc();
  ASSERT_EQ(engine.Texts.size(), 1u);
  EXPECT_EQ(engine.Texts[0].line, "V1 1");
}

// ---------------------------------------------------------------------------
// The base encoder: placeholders and the visible part of clipped text

TEST(BaseEncodeTextTest, ReplacesForTheEncodingAndPutsTheLineBack) {
  TTextEngine engine;
  Strings asked;
  engine.OnCalcVariables = [&asked](TkmCustomDocumentEngine&, const std::u16string& name, std::u16string& value) {
    asked.push_back(WideToUtf8(name));
    value = u"x";
  };
  TkmTextItem item;
  item.GetLines().Add(u"<%N%> <%Pg#%>");
  engine.TkmCustomDocumentEngine::EncodeText(item);
  EXPECT_EQ(asked, (Strings{"N"}));
  EXPECT_EQ(item.GetLines().Get(0), u"<%N%> <%Pg#%>");
  EXPECT_EQ(item.GetLines().Count(), 1);
}

struct ClipCase {
  const char* name;
  bool clipped;
  TkmRect clip;
  std::string visible;
  double x;
};

class VisiblePartTest : public ::testing::TestWithParam<ClipCase> {};

// "abcdef" at (100, 50): characters at 100, 110, ... 150, 16 high.
TEST_P(VisiblePartTest, KeepsTheCharactersInsideTheClip) {
  TTextEngine engine;
  TkmTextItem item;
  item.SetX(100);
  item.SetY(50);
  item.SetClipRect(GetParam().clip);
  item.SetIsClipRect(GetParam().clipped);
  double x = -1;
  EXPECT_EQ(WideToUtf8(engine.VisibleTextPart(item, u"abcdef", x)), GetParam().visible);
  if (!GetParam().visible.empty()) {
    EXPECT_EQ(x, GetParam().x);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VisiblePartTest,
    ::testing::Values(ClipCase{"NotClipped", false, {}, "abcdef", 100},
                      ClipCase{"Inside", true, kmRect(0, 0, 1000, 1000), "abcdef", 100},
                      ClipCase{"LeftCut", true, kmRect(120, 40, 1000, 100), "cdef", 120},
                      ClipCase{"LeftCutInsideCharacter", true, kmRect(115, 40, 1000, 100), "cdef", 120},
                      ClipCase{"RightCutLessOneUnit", true, kmRect(0, 40, 141, 100), "abcd", 100},
                      ClipCase{"RightCutOnEdge", true, kmRect(0, 40, 140, 100), "abc", 100},
                      ClipCase{"BothSides", true, kmRect(125, 0, 146, 100), "d", 130},
                      ClipCase{"AboveTheClip", true, kmRect(0, 60, 1000, 100), "", 0},
                      ClipCase{"CentreBelowTheClip", true, kmRect(0, 0, 1000, 57), "", 0},
                      ClipCase{"RightOfTheClip", true, kmRect(0, 0, 90, 100), "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AdjustTextItemListTest, SortsByLineThenByX) {
  TTextEngine engine;
  TkmItemList list;
  for (auto [y, x, name] : std::vector<std::tuple<double, double, const char16_t*>>{
           {30, 5, u"c"}, {10, 50, u"b"}, {12, 20, u"a"}, {40, 1, u"d"}, {70, 9, u"e"}}) {
    auto item = std::make_unique<TkmTextItem>();
    item->SetX(x);
    item->SetY(y);
    item->GetLines().Add(name);
    list.push_back(std::move(item));
  }
  engine.AdjustTextItemList(list);
  std::string order;
  for (const auto& item : list) order += WideToUtf8(static_cast<TkmTextItem&>(*item).GetLines().Get(0));
  // 10 and 12 share a line (16 high), as do 30 and 40; 70 stands alone.
  EXPECT_EQ(order, "abdce");
  TkmItemList mixed;
  mixed.push_back(std::make_unique<TkmEOFItem>());
  engine.AdjustTextItemList(mixed);
  EXPECT_EQ(mixed.size(), 1u);
}

}  // namespace
}  // namespace km::test
