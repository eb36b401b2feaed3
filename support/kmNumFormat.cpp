#include "kmNumFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace km {

namespace {

// A finite value as 0.d1d2d3… × 10^exponent; digits has no leading or trailing
// zeros and is empty for zero.
struct DecimalDigits {
  bool negative = false;
  std::string digits;
  int exponent = 0;
};

void TrimTrailingZeros(DecimalDigits& d) {
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.exponent = 0;
}

// Rounded to `precision` significant digits.
DecimalDigits ToSignificant(double value, int precision) {
  DecimalDigits d;
  d.negative = std::signbit(value);
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, precision - 1);
  std::string_view text(buf, static_cast<std::size_t>(r.ptr - buf));
  std::size_t e = text.find('e');
  for (char c : text.substr(0, e)) {
    if (c != '.') d.digits.push_back(c);
  }
  d.exponent = std::atoi(std::string(text.substr(e + 1)).c_str()) + 1;
  if (d.digits.front() == '0') d.digits.clear();  // zero
  TrimTrailingZeros(d);
  return d;
}

// Rounded at `decimals` digits after the point.
DecimalDigits ToDecimals(double value, int decimals) {
  DecimalDigits d;
  d.negative = std::signbit(value);
  char buf[512];
  auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::fixed, decimals);
  std::string_view text(buf, static_cast<std::size_t>(r.ptr - buf));
  std::size_t point = text.find('.');
  std::string_view whole = text.substr(0, point);
  std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  if (whole != "0") {
    d.digits.assign(whole);
    d.digits.append(fraction);
    d.exponent = static_cast<int>(whole.size());
  } else {
    std::size_t zeros = fraction.find_first_not_of('0');
    if (zeros == std::string_view::npos) return DecimalDigits{};
    d.digits.assign(fraction.substr(zeros));
    d.exponent = -static_cast<int>(zeros);
  }
  TrimTrailingZeros(d);
  return d;
}

std::string GroupThousands(const std::string& whole) {
  std::string out;
  for (std::size_t i = 0; i < whole.size(); ++i) {
    if (i != 0 && (whole.size() - i) % 3 == 0) out.push_back(',');
    out.push_back(whole[i]);
  }
  return out;
}

// Fixed notation with at least min_decimals digits after the point.
std::string RenderFixed(const DecimalDigits& d, int min_decimals, bool group) {
  const std::string& g = d.digits;
  std::string whole;
  if (d.exponent <= 0) {
    whole = "0";
  } else {
    whole = g.substr(0, std::min<std::size_t>(g.size(), static_cast<std::size_t>(d.exponent)));
    whole.append(static_cast<std::size_t>(d.exponent) - whole.size(), '0');
  }
  std::string fraction;
  if (d.exponent < 0) fraction.assign(static_cast<std::size_t>(-d.exponent), '0');
  if (static_cast<int>(g.size()) > std::max(d.exponent, 0)) fraction.append(g.substr(static_cast<std::size_t>(std::max(d.exponent, 0))));
  if (static_cast<int>(fraction.size()) < min_decimals) fraction.append(static_cast<std::size_t>(min_decimals) - fraction.size(), '0');

  std::string out = d.negative && !g.empty() ? "-" : "";
  out += group ? GroupThousands(whole) : whole;
  if (!fraction.empty()) out += "." + fraction;
  return out;
}

std::string RenderExponentDigits(int exponent, int min_digits, bool plus_sign) {
  std::string out = exponent < 0 ? "-" : (plus_sign ? "+" : "");
  std::string number = std::to_string(std::abs(exponent));
  if (static_cast<int>(number.size()) < min_digits) number.insert(0, static_cast<std::size_t>(min_digits) - number.size(), '0');
  return out + number;
}

std::string RenderGeneral(const DecimalDigits& d, int precision, int exponent_digits) {
  if (d.digits.empty()) return "0";
  if (d.exponent > precision || d.exponent < -3) {
    std::string out = d.negative ? "-" : "";
    out += d.digits[0];
    if (d.digits.size() > 1) out += "." + d.digits.substr(1);
    return out + "E" + RenderExponentDigits(d.exponent - 1, exponent_digits, false);
  }
  return RenderFixed(d, 0, false);
}

std::string RenderExponent(const DecimalDigits& d, int precision, int exponent_digits) {
  std::string mantissa = d.digits;
  mantissa.resize(static_cast<std::size_t>(precision), '0');
  std::string out = d.negative && !d.digits.empty() ? "-" : "";
  out += mantissa[0];
  if (precision > 1) out += "." + mantissa.substr(1);
  int exponent = d.digits.empty() ? 0 : d.exponent - 1;
  return out + "E" + RenderExponentDigits(exponent, exponent_digits, true);
}

// NaN and the infinities, or an empty text for a finite value.
std::string NonFiniteText(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  return {};
}

}  // namespace

std::string FormatFixed(double value, int decimals) {
  if (!std::isfinite(value)) value = 0;
  decimals = std::clamp(decimals, 0, 50);
  return RenderFixed(ToDecimals(value, decimals), decimals, false);
}

std::string FormatGeneral(double value, int precision) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  precision = std::clamp(precision, 1, 18);
  return RenderGeneral(ToSignificant(value, precision), precision, 0);
}

std::string FormatShortest(double value, int precision) {
  if (!std::isfinite(value)) return "0";
  return RenderFixed(ToSignificant(value, std::clamp(precision, 1, 18)), 0, false);
}

std::string FloatToStrLocale(double value) { return FormatShortest(value, 15); }

std::string FloatToStrFLocale(double value, TFloatFormat format, int precision, int digits) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  precision = std::clamp(precision, 1, 18);
  switch (format) {
    case TFloatFormat::ffGeneral:
      return RenderGeneral(ToSignificant(value, precision), precision, std::clamp(digits, 0, 4));
    case TFloatFormat::ffExponent:
      return RenderExponent(ToSignificant(value, precision), precision, std::clamp(digits, 0, 4));
    case TFloatFormat::ffFixed:
    case TFloatFormat::ffNumber:
    case TFloatFormat::ffCurrency: {
      digits = std::clamp(digits, 0, 18);
      DecimalDigits significant = ToSignificant(value, precision);
      if (significant.exponent > precision) return RenderGeneral(significant, precision, 0);
      // Round at whichever comes first: the last allowed decimal or the last
      // allowed significant digit.
      DecimalDigits d = significant.exponent + digits > precision ? significant : ToDecimals(value, digits);
      return RenderFixed(d, digits, format != TFloatFormat::ffFixed);
    }
  }
  return FormatGeneral(value, precision);
}

}  // namespace km
