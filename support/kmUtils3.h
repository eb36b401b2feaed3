#pragma once
// Text helpers for PDF output (hex, colours, literal-string escaping, number
// texts), string search and replace, and angle and unit conversions.
// 8-bit results (std::string) are the PDF's one-byte-per-character text.

#include <string>
#include <string_view>

#include "kmColors.h"
#include "kmMD5.h"
#include "kmNumFormat.h"

namespace km {

// Two upper-case hexadecimal digits per byte, in order ("\x00\x7F\xFF" -> "007FFF").
std::string GetHexOfStr(std::string_view bytes);
// Four upper-case hexadecimal digits per UTF-16 code unit, in order (u"A€" -> "004120AC").
std::string GetHexOfStrw(std::u16string_view text);

// When the colour's most significant byte is 0xFF, replaces it by the system
// colour whose index is its low 24 bits.
void CheckSysColor(TColor& color);
// The three PDF colour operands "r g b", each component / 255 with four
// decimals: red 255, green 0, blue 128 gives "1.0000 0.0000 0.5020". A system
// colour is resolved first.
std::string ColorToPDFColor(TColor color);
// CheckSysColor, then two upper-case hex digits each of red, green and blue ("FF0000").
std::string ColorBGRToRGB(TColor color);

// The text of a PDF literal string: backspace, LF, FF and CR become \b, \n,
// \f and \r; "(", ")" and "\" get a backslash; a tab becomes the spaces up to
// the next multiple of eight columns. The column counts every other code unit
// (an escaped one as one column, line breaks included); backspace and form
// feed do not move it.
std::u16string StringToEscapeString(std::u16string_view text);
std::string StringToEscapeString(std::string_view text);

// Replaces every occurrence of old_pattern in s, ignoring case, by
// new_pattern; text that is not replaced keeps its case, inserted text is not
// searched again, and an empty old_pattern matches nothing. Case is ignored by
// upper-casing code unit by code unit with the Unicode simple upper-case
// mapping (surrogates are left as they are), as the platform's ANSI
// upper-casing of UTF-16 text does.
std::u16string ReplaceString(std::u16string_view s, std::u16string_view old_pattern,
                             std::u16string_view new_pattern);

// 1-based position of the first occurrence of sub in s that starts at or after
// offset; 0 when there is none, when sub is empty or when offset is below 1.
int PosEx(std::u16string_view sub, std::u16string_view s, int offset = 1);

// The last count code units (the whole text when it is shorter; empty for count <= 0).
std::u16string RightStr(std::u16string_view text, int count);
// count code units from the 1-based position start (a start below 1 counts
// from 1), cut at the end of the text; empty for count <= 0.
std::u16string MidStr(std::u16string_view text, int start, int count);

constexpr int IfThen(bool value, int if_true, int if_false) { return value ? if_true : if_false; }

double DegreesToRadians(double degrees);
double RadiansToDegrees(double radians);
// Screen pixels (at CPixelsPerInch) to points, and back (CPointsToPixels).
double PixelsToPoints(double x);
double PointsToPixels(double x);

}  // namespace km
