#pragma once
// Document helpers: the native-unit factor, small text helpers of the engine
// and the bitmap helpers that turn pictures into masks.

#include <functional>
#include <string>
#include <string_view>

#include "kmGraphicsValues.h"
#include "kmTypes.h"

namespace km {

class TBitmap;
class TPngImage;
class TStream;

// Native units (screen pixels at CPixelsPerInch) per one unit: pixels 1,
// inches CPointsToPixels * 72, millimetres CPointsToPixels * 2.83464 (points
// per millimetre to five decimals), points CPointsToPixels, twips
// CPointsToPixels * 0.05. A value outside the unit type gives 1.
double CalculateNativeUnitFactor(TkmUnitType unit);

// The code units of s in reverse order (a surrogate pair is reversed like any
// two code units).
std::u16string ReverseString(std::u16string_view s);

// Without a final CR LF when the text has at least two code units and ends
// with one; otherwise the text unchanged.
std::u16string RemoveTerminalCRLF(std::u16string_view text);

// Turns a picture into a mask: converts the bitmap to 24 bits per pixel and
// makes every colour byte that is 0 into 255 and every other byte into 0
// (white becomes black, black white, any non-zero channel zero). Returns the
// same bitmap.
TBitmap& InvertBitmap(TBitmap& ABitmap);

// Splits a PNG picture with an alpha channel into a 24-bit colour bitmap (the
// picture's colours) and an 8-bit mask bitmap whose value is 255 - alpha, so
// dark where the picture is opaque and light where it is transparent; the mask
// carries a grey palette (index i is the grey i). Both are written as BMP files
// from position 0 of their streams, which end after them. Returns false and
// leaves both streams as they were when the picture has no alpha channel.
bool GetSourceandMaskStreamfromPNGStream(const TPngImage& APng, TStream& ASourceStream, TStream& AMaskStream);

// The file path at the start of Text (which begins at a drive letter): the
// text up to the first blank, double quote, "*", "?" or "|" after a "." that
// follows the last backslash; the whole text when there is no such end.
std::u16string GetFilePathFromText(std::u16string_view Text);

// Width of a text in some font, in pixels.
using TkmTextWidthFunc = std::function<double(const std::u16string&)>;

// Text padded with spaces so that it fills Width. The text is split after
// every space into words (a word keeps its trailing space; a run of spaces
// stays in front of the word that follows it). k = trunc((Width - w(Text)) /
// w(" ")) spaces are distributed over the gaps between the words, front to
// back, each gap taking (spaces left) div (gaps left), so the later gaps get
// the remainder; a text of one word spreads them between its characters.
// Empty text, a negative k or a space of no width leave the text unchanged.
std::u16string GetJustifiedText(const std::u16string& Text, double Width, const TkmTextWidthFunc& TextWidth);
// The same measured with the platform's font services in Font.
std::u16string GetJustifiedText(const std::u16string& Text, const TFont& Font, double Width);

}  // namespace km
