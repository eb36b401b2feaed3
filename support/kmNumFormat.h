#pragma once
// Locale-free number texts. Every number the system writes into a document
// goes through these functions: the decimal separator is always "." and no
// process-wide or C++ locale setting is read or changed.

#include <string>

namespace km {

// The float formats of the platform's formatted conversion.
enum class TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// Fixed-point text with exactly `decimals` digits after the point (0 to 50;
// 0 gives no point), rounded to nearest from the exact binary value (an exact
// tie goes to the even digit), a leading "-" for negative values, never an
// exponent, no grouping. A value that rounds to zero has no sign ("0.0000",
// not "-0.0000"). NaN and the infinities, which a PDF cannot hold, give zero.
// FormatFixed(595.2755905, 4) == "595.2756", FormatFixed(1, 4) == "1.0000".
std::string FormatFixed(double value, int decimals);

// The shortest fixed-point text of the value rounded to `precision`
// significant digits (1 to 18): no trailing zeros, no point for an integral
// value, never an exponent ("0.5", "12", "1000000000000000", "0.00001").
// NaN and the infinities give "0".
std::string FormatShortest(double value, int precision = 15);

// The shortest text of the value rounded to `precision` significant digits
// (1 to 18): fixed notation without trailing zeros ("0.5", "12", "0.0001")
// unless the value needs more than `precision` digits before the point or is
// below 0.0001 in magnitude; then scientific notation with "E" and a "-" only
// for a negative exponent ("1E15", "1.5E-5"). NaN and infinities give "NAN",
// "INF" and "-INF".
std::string FormatGeneral(double value, int precision = 15);

// The float text of up to 15 significant digits, shortest form, for PDF
// numbers: FormatShortest(value, 15). Unlike the general text it never
// switches to an exponent, which PDF number syntax does not have.
std::string FloatToStrLocale(double value);

// The formatted float text:
// - ffGeneral: FormatGeneral with `precision`; `digits` (0 to 4) is the least
//   number of exponent digits when scientific notation is used.
// - ffExponent: "d.ddd…E+dd": `precision` significant digits (trailing zeros
//   kept), the exponent signed and at least `digits` (0 to 4) digits long.
// - ffFixed: `digits` decimals (0 to 18), rounded to at most `precision`
//   significant digits; when the value has more than `precision` digits before
//   the point it is written as ffGeneral.
// - ffNumber: as ffFixed with "," between groups of three integer digits.
// - ffCurrency: as ffNumber; a locale-free text carries no currency symbol.
// `precision` is held within 1 .. 18.
std::string FloatToStrFLocale(double value, TFloatFormat format, int precision, int digits);

}  // namespace km
