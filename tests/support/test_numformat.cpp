#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <cmath>
#include <limits>
#include <locale>
#include <sstream>
#include <string>

#include "kmNumFormat.h"
#include "kmUtils3.h"

namespace km {
namespace {

struct FixedCase {
  double value;
  int decimals;
  const char* text;
};

const FixedCase kFixed[] = {
    {0.00004, 4, "0.0000"},
    {1, 4, "1.0000"},
    {-2.5, 4, "-2.5000"},
    {595.2755905, 4, "595.2756"},
    {595.275590551, 4, "595.2756"},
    {-0.00004, 4, "0.0000"},  // rounds to zero: no sign
    {-0.0, 4, "0.0000"},
    {0.00005000001, 4, "0.0001"},
    {1.03125, 4, "1.0312"},  // an exact tie goes to even
    {1.03125000001, 4, "1.0313"},  // just above the tie
    {1e20, 4, "100000000000000000000.0000"},  // never an exponent
    {1.5e-12, 4, "0.0000"},
    {123.456, 0, "123"},
    {-1234567.891, 2, "-1234567.89"},
    {0.5, 1, "0.5"},
    {99.99996, 4, "100.0000"},
    {-99.99996, 4, "-100.0000"},
    {std::numeric_limits<double>::quiet_NaN(), 4, "0.0000"},  // a PDF number cannot be NaN
    {std::numeric_limits<double>::infinity(), 2, "0.00"},
};

TEST(NumberFormat, FormatFixed) {
  for (const auto& c : kFixed) EXPECT_EQ(FormatFixed(c.value, c.decimals), c.text) << c.value;
}

// printf in the "C" locale as an independent oracle, over many magnitudes.
TEST(NumberFormat, FormatFixedAgreesWithPrintf) {
  ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  std::mt19937_64 random(42);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  std::uniform_int_distribution<int> exponent(-8, 12);
  for (int i = 0; i < 20000; ++i) {
    double v = mantissa(random) * std::pow(10.0, exponent(random));
    int decimals = i % 7;
    char expected[512];
    std::snprintf(expected, sizeof expected, "%.*f", decimals, v);
    std::string oracle = expected;
    if (oracle.find_first_not_of("-0.") == std::string::npos && oracle[0] == '-') oracle.erase(0, 1);
    ASSERT_EQ(FormatFixed(v, decimals), oracle) << v << " with " << decimals;
  }
}

TEST(NumberFormat, GeneralAndShortestTextsHaveTheValueOfFifteenSignificantDigits) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  std::uniform_int_distribution<int> exponent(-30, 30);
  for (int i = 0; i < 20000; ++i) {
    double v = mantissa(random) * std::pow(10.0, exponent(random));
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.15g", v);
    double oracle = std::strtod(expected, nullptr);
    std::string general = FormatGeneral(v);
    ASSERT_EQ(std::strtod(general.c_str(), nullptr), oracle) << general << " vs " << expected;
    ASSERT_EQ(general.find_first_of("e+,"), std::string::npos) << general;
    std::string shortest = FloatToStrLocale(v);
    ASSERT_EQ(std::strtod(shortest.c_str(), nullptr), oracle) << shortest << " vs " << expected;
    ASSERT_EQ(shortest.find_first_not_of("-0123456789."), std::string::npos) << shortest;
    if (shortest.find('.') != std::string::npos) {
      ASSERT_NE(shortest.back(), '0') << shortest;
    }
  }
}

struct GeneralCase {
  double value;
  const char* text;
};

const GeneralCase kGeneral[] = {
    {0.5, "0.5"},
    {1, "1"},
    {-2.5, "-2.5"},
    {0.1, "0.1"},
    {0.1 + 0.2, "0.3"},
    {1.0 / 3, "0.333333333333333"},
    {2.0 / 3, "0.666666666666667"},
    {100, "100"},
    {595.275590551, "595.275590551"},
    {123456789012345.0, "123456789012345"},
    {1e15, "1E15"},
    {1234567890123456.0, "1.23456789012346E15"},
    {1e100, "1E100"},
    {0.0001, "0.0001"},
    {0.00012345, "0.00012345"},
    {0.00001, "1E-5"},
    {-1.5e-7, "-1.5E-7"},
    {0, "0"},
    {-0.0, "0"},
    {9.9999999999999999, "10"},
    {std::numeric_limits<double>::quiet_NaN(), "NAN"},
    {std::numeric_limits<double>::infinity(), "INF"},
    {-std::numeric_limits<double>::infinity(), "-INF"},
};

TEST(NumberFormat, FormatGeneralIsThePlatformsGeneralText) {
  for (const auto& c : kGeneral) {
    EXPECT_EQ(FormatGeneral(c.value), c.text) << c.value;
    EXPECT_EQ(FloatToStrFLocale(c.value, TFloatFormat::ffGeneral, 15, 0), c.text) << c.value;
  }
}

const GeneralCase kShortest[] = {
    {0.5, "0.5"},
    {1, "1"},
    {-2.5, "-2.5"},
    {0.1 + 0.2, "0.3"},
    {1.0 / 3, "0.333333333333333"},
    {595.275590551, "595.275590551"},
    {123456789012345.0, "123456789012345"},
    // Where the general text switches to an exponent, PDF numbers stay plain.
    {1e15, "1000000000000000"},
    {1234567890123456.0, "1234567890123460"},
    {0.00001, "0.00001"},
    {-1.5e-7, "-0.00000015"},
    {0, "0"},
    {-0.0, "0"},
    {9.9999999999999999, "10"},
    {std::numeric_limits<double>::quiet_NaN(), "0"},
    {-std::numeric_limits<double>::infinity(), "0"},
};

TEST(NumberFormat, FloatToStrLocaleIsTheShortestFifteenDigitTextWithoutExponent) {
  for (const auto& c : kShortest) {
    EXPECT_EQ(FloatToStrLocale(c.value), c.text) << c.value;
    EXPECT_EQ(FormatShortest(c.value), c.text) << c.value;
  }
  EXPECT_EQ(FormatShortest(1.0 / 3, 4), "0.3333");
  EXPECT_EQ(FormatShortest(2.0 / 3, 1), "0.7");
}

struct FormattedCase {
  double value;
  TFloatFormat format;
  int precision, digits;
  const char* text;
};

const FormattedCase kFormatted[] = {
    {1234.56, TFloatFormat::ffExponent, 4, 2, "1.235E+03"},
    {0, TFloatFormat::ffExponent, 3, 0, "0.00E+0"},
    {-0.000123, TFloatFormat::ffExponent, 2, 4, "-1.2E-0004"},
    {9.96, TFloatFormat::ffExponent, 2, 1, "1.0E+1"},
    {5, TFloatFormat::ffExponent, 1, 2, "5E+00"},
    {1234.5678, TFloatFormat::ffFixed, 15, 2, "1234.57"},
    {1.23456, TFloatFormat::ffFixed, 3, 4, "1.2300"},  // three significant digits, four decimals
    {-0.004, TFloatFormat::ffFixed, 15, 2, "0.00"},
    {1e20, TFloatFormat::ffFixed, 15, 2, "1E20"},  // more integer digits than the precision
    {12.7, TFloatFormat::ffFixed, 15, 0, "13"},
    {1234567.891, TFloatFormat::ffNumber, 15, 2, "1,234,567.89"},
    {-999.999, TFloatFormat::ffNumber, 15, 2, "-1,000.00"},
    {123, TFloatFormat::ffNumber, 15, 0, "123"},
    {123456, TFloatFormat::ffNumber, 15, 1, "123,456.0"},
    {1234567.891, TFloatFormat::ffCurrency, 15, 2, "1,234,567.89"},
    {1e-7, TFloatFormat::ffGeneral, 15, 3, "1E-007"},
    {1.0 / 3, TFloatFormat::ffGeneral, 4, 0, "0.3333"},
    {12346, TFloatFormat::ffGeneral, 4, 0, "1.235E4"},
    {0.5, TFloatFormat::ffGeneral, 0, 0, "0.5"},  // precision held at 1 or more
};

TEST(NumberFormat, FloatToStrFLocale) {
  for (const auto& c : kFormatted) {
    EXPECT_EQ(FloatToStrFLocale(c.value, c.format, c.precision, c.digits), c.text)
        << c.value << " format " << static_cast<int>(c.format) << " " << c.precision << "/" << c.digits;
  }
}

// A user locale whose decimal separator is a comma and whose thousands
// separator is a point.
struct CommaDecimal : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

class UnderACommaLocale : public testing::Test {
 protected:
  void SetUp() override {
    saved_cpp_ = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    saved_c_ = std::setlocale(LC_ALL, nullptr);
    // A German C locale where the machine has one; the test does not rely on it.
    have_german_c_locale_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  }
  void TearDown() override {
    std::setlocale(LC_ALL, saved_c_.c_str());
    std::locale::global(saved_cpp_);
  }

  static char UserDecimalPoint() { return std::use_facet<std::numpunct<char>>(std::locale()).decimal_point(); }

  std::locale saved_cpp_;
  std::string saved_c_;
  bool have_german_c_locale_ = false;
};

TEST_F(UnderACommaLocale, NumberTextsKeepThePoint) {
  // The locale is in force: a stream that follows it writes a comma.
  std::ostringstream user;
  user << 0.5;
  ASSERT_EQ(user.str(), "0,5");
  if (have_german_c_locale_) {
    ASSERT_EQ(std::localeconv()->decimal_point, std::string(","));
  }

  EXPECT_EQ(FloatToStrLocale(0.5), "0.5");
  EXPECT_EQ(UserDecimalPoint(), ',');  // the user's separator is untouched
  for (const auto& c : kFixed) EXPECT_EQ(FormatFixed(c.value, c.decimals), c.text) << c.value;
  for (const auto& c : kGeneral) EXPECT_EQ(FormatGeneral(c.value), c.text) << c.value;
  for (const auto& c : kShortest) EXPECT_EQ(FloatToStrLocale(c.value), c.text) << c.value;
  for (const auto& c : kFormatted) EXPECT_EQ(FloatToStrFLocale(c.value, c.format, c.precision, c.digits), c.text);
  EXPECT_EQ(ColorToPDFColor(RGB(255, 0, 0)), "1.0000 0.0000 0.0000");
  EXPECT_EQ(ColorToPDFColor(RGB(255, 0, 128)), "1.0000 0.0000 0.5020");

  EXPECT_EQ(UserDecimalPoint(), ',');
  if (have_german_c_locale_) {
    EXPECT_EQ(std::localeconv()->decimal_point, std::string(","));
  }
}

}  // namespace
}  // namespace km
