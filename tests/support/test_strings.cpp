#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "kmClasses3.h"
#include "kmErrors.h"

namespace km {
namespace {

std::vector<std::u16string> Lines(const TWideStrings& list) {
  std::vector<std::u16string> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list.Get(i));
  return out;
}

TWideStrings ThreeLines() {
  TWideStrings list;
  list.Add(u"one");
  list.Add(u"two");
  list.Add(u"three");
  return list;
}

TEST(InOpSet, TestsByteMembersOnly) {
  constexpr TByteSet kSet = {0, 10, 13, 255};
  EXPECT_TRUE(InOpSet(u'\r', kSet));
  EXPECT_TRUE(InOpSet(u'\0', kSet));
  EXPECT_TRUE(InOpSet(0xFF, kSet));
  EXPECT_FALSE(InOpSet(u'a', kSet));
  // Above 255 nothing is a member, even when the low byte is.
  EXPECT_FALSE(InOpSet(0x010A, kSet));
  EXPECT_FALSE(InOpSet(0xFF0D, kSet));
  EXPECT_FALSE(InOpSet(u'\n', TByteSet{}));
}

TEST(WideStrings, SetTextStrSplitsLines) {
  struct Case {
    std::u16string text;
    std::vector<std::u16string> lines;
  };
  const Case cases[] = {
      {u"a\r\nb\n\rc", {u"a", u"b", u"", u"c"}},  // LF CR is two breaks
      {u"a\r\n", {u"a"}},                          // a final break adds no empty line
      {u"", {}},
      {u"\r\n", {u""}},
      {u"a\rb\nc", {u"a", u"b", u"c"}},
      {u"a\r\r\nb", {u"a", u"", u"b"}},
      {u"\n\n", {u"", u""}},
      {std::u16string(u"ab\0cd", 5), {u"ab"}},     // NUL ends the text
      {std::u16string(u"\0x", 2), {}},
      {u"x\u010Ay\u0D0Dz", {u"x\u010Ay\u0D0Dz"}},  // only the code units CR and LF break
  };
  for (const auto& c : cases) {
    TWideStrings list;
    list.Add(u"previous content");
    list.SetTextStr(c.text);
    EXPECT_EQ(Lines(list), c.lines);
  }
}

TEST(WideStrings, InsertPutGetOutsideTheirRangeDoNothing) {
  TWideStrings list = ThreeLines();
  list.Insert(5, u"x");
  list.Put(4, u"x");
  list.Insert(-1, u"x");
  list.Put(-1, u"x");
  list.Delete(3);
  list.Delete(-1);
  EXPECT_EQ(Lines(list), (std::vector<std::u16string>{u"one", u"two", u"three"}));
  EXPECT_EQ(list.Get(7), u"");
  EXPECT_EQ(list.Get(-1), u"");

  list.Insert(3, u"four");  // Count: appends
  list.Put(4, u"five");     // Count: appends
  EXPECT_EQ(Lines(list), (std::vector<std::u16string>{u"one", u"two", u"three", u"four", u"five"}));
}

TEST(WideStrings, InsertDeletePutInsideTheRange) {
  TWideStrings list = ThreeLines();
  list.Insert(0, u"zero");
  list.Insert(2, u"one and a half");
  list.Delete(4);
  list.Put(1, u"ONE");
  EXPECT_EQ(list[1], u"ONE");
  EXPECT_EQ(Lines(list), (std::vector<std::u16string>{u"zero", u"ONE", u"one and a half", u"two"}));
  EXPECT_EQ(list.Add(u"last"), 4);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Add(u"again"), 0);
}

TEST(WideStrings, IndexOfExactAndIgnoringCase) {
  TWideStrings list;
  list.Add(u"Alpha");
  list.Add(u"\u00C4rger");  // Ärger
  list.Add(u"alpha");
  list.Add(u"");
  EXPECT_EQ(list.IndexOf(u"alpha"), 2);
  EXPECT_EQ(list.IndexOf(u"ALPHA"), -1);
  EXPECT_EQ(list.IndexOf(u""), 3);
  EXPECT_EQ(list.IndexOfIgnoreCase(u"ALPHA"), 0);
  EXPECT_EQ(list.IndexOfIgnoreCase(u"\u00E4RGER"), 1);  // äRGER
  EXPECT_EQ(list.IndexOfIgnoreCase(u"alph"), -1);
  EXPECT_EQ(list.IndexOfIgnoreCase(u"beta"), -1);
}

TEST(WideStrings, LoadFromStreamReadsUtf16LittleEndianFromThePosition) {
  TMemoryStream s;
  s.WriteString("skip");
  // "a\u20AC" CR LF "b", then an odd final byte that is ignored.
  const std::string utf16 = std::string("a\0\xAC\x20\r\0\n\0b\0", 10) + "\x41";
  s.WriteString(utf16);
  s.SetPosition(4);
  TWideStrings list;
  list.LoadFromStream(s);
  EXPECT_EQ(Lines(list), (std::vector<std::u16string>{u"a\u20AC", u"b"}));
}

TEST(WideStrings, LoadFromFile) {
  auto path = std::filesystem::path(testing::TempDir()) / ("km_lines." + std::to_string(::getpid()));
  TMemoryStream s;
  s.WriteString(std::string("x\0\n\0y\0", 6));
  s.SaveToFile(path);
  TWideStrings list;
  list.LoadFromFile(path);
  std::filesystem::remove(path);
  EXPECT_EQ(Lines(list), (std::vector<std::u16string>{u"x", u"y"}));
  EXPECT_THROW(list.LoadFromFile(path), EkmStreamError);
  EXPECT_EQ(list.Count(), 2);  // a failed load leaves the list alone
}

}  // namespace
}  // namespace km
