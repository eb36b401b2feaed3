#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "kmPDFTime.h"
#include "pdf_tools.h"

namespace km {
namespace {

using km::testing::ScopedEpoch;

TEST(PDFTime, ZoneSuffixForEveryKindOfBias) {
  struct Case { int bias; const char* suffix; };
  for (auto c : {Case{-60, "+01'00'"}, Case{-330, "+05'30'"}, Case{300, "-05'00'"},
                 Case{210, "-03'30'"}, Case{0, "+00'00'"}, Case{-765, "+12'45'"},
                 Case{720, "-12'00'"},
                 // Less than an hour west of UTC: still west.
                 Case{30, "-00'30'"}, Case{-30, "+00'30'"}}) {
    EXPECT_EQ(PDFZoneSuffix(c.bias), c.suffix) << c.bias;
  }
}

TEST(PDFTime, DateTextFromAnInjectedClock) {
  ScopedEpoch none(nullptr);
  TkmClock clock = [] {
    TkmClockReading r;
    r.Local = {2026, 3, 7, 9, 5, 2};
    r.BiasMinutes = -60;
    return r;
  };
  EXPECT_EQ(PDFDate(ReadClock(clock)), "D:20260307090502+01'00'");
  EXPECT_EQ(TimeText(ReadClock(clock).Local), "2026-03-07 09:05:02");
}

TEST(PDFTime, SourceDateEpochOverridesTheClockInUtc) {
  TkmClock clock = [] {
    TkmClockReading r;
    r.Local = {2001, 1, 1, 0, 0, 0};
    r.BiasMinutes = 300;
    return r;
  };
  {
    ScopedEpoch epoch("1700000000");  // 2023-11-14 22:13:20 UTC
    EXPECT_EQ(PDFDate(ReadClock(clock)), "D:20231114221320+00'00'");
    EXPECT_EQ(PDFDate(ReadClock(TkmClock())), "D:20231114221320+00'00'");
  }
  for (const char* bad : {"", "12x", "-5", " 1"}) {
    ScopedEpoch epoch(bad);
    EXPECT_EQ(PDFDate(ReadClock(clock)), "D:20010101000000-05'00'") << '"' << bad << '"';
  }
}

TEST(PDFTime, UnixSecondsToCalendar) {
  struct Case { long long s; const char* text; };
  for (auto c : {Case{0, "1970-01-01 00:00:00"}, Case{951782400, "2000-02-29 00:00:00"},
                 Case{-1, "1969-12-31 23:59:59"}, Case{4102444799, "2099-12-31 23:59:59"}}) {
    EXPECT_EQ(TimeText(UtcFromUnixSeconds(c.s)), c.text) << c.s;
  }
}

TEST(PDFTime, SystemClockGivesAPlausibleDate) {
  ScopedEpoch none(nullptr);
  const std::string d = PDFDate(ReadClock(TkmClock()));
  EXPECT_TRUE(std::regex_match(d, std::regex(R"(D:20\d{12}[+-]\d\d'\d\d')"))) << d;
}

}  // namespace
}  // namespace km
