#pragma once
// Rich text: a small RTF reader and a renderer that lays the text out with the
// font services and paints it on any canvas, in the manner of a rich-edit
// control's format-range message.
//
// The reader understands groups, the font and colour tables, \b \i \ul \ulnone
// \fs \cf \f \plain \par \pard \line \tab \ql \qc \qr \qj, \'hh in code page
// 1252, \u with \uc, the escapes \\ \{ \} \~ \- \_, and skips destinations
// it does not show (\* groups, style sheets, document information, pictures,
// headers, footers, ...). The text it yields uses '\r' for a paragraph end and
// '\v' for a line break, one UTF-16 code unit per character position.
//
// The renderer works in character positions: FormatRange paints a range of
// characters into a rectangle, whole lines only, and returns the position of
// the first character that did not fit, so that a caller can continue there
// in the next rectangle.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "kmCanvas.h"
#include "kmColors.h"
#include "kmException.h"
#include "kmGraphicsValues.h"

namespace km {

class FontInstance;

// RTF that cannot be read: nesting deeper than the reader allows.
class ERichTextError : public EkmError {
 public:
  using EkmError::EkmError;
};

enum class TRichAlignment { raLeft, raRight, raCenter, raJustify };

// The character format of a run.
struct TRichCharFormat {
  std::u16string FontName = u"Arial";
  TFontCharset Charset = DEFAULT_CHARSET;
  int HalfPoints = 24;  // font size in half points (\fs); 12 points by default
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  TColor Color = clWindowText;  // \cf0 and a missing colour are the automatic colour
  TRichAlignment Alignment = TRichAlignment::raLeft;  // of the run's paragraph
  friend bool operator==(const TRichCharFormat&, const TRichCharFormat&) = default;
};

// Characters Start .. Start + Length - 1 of the text share Format.
struct TRichRun {
  int Start = 0;
  int Length = 0;
  TRichCharFormat Format;
};

struct TRichFontEntry {
  int Number = 0;
  std::u16string Name;
  TFontCharset Charset = DEFAULT_CHARSET;
};

class TRichText {
 public:
  TRichText() = default;
  // Reads RTF. Text that does not begin with "{\rtf" is taken as plain
  // Windows-1252 text in the default format (line ends become paragraph
  // ends). Unbalanced closing braces end the document; missing ones at the end
  // are supplied. Throws ERichTextError for groups nested deeper than 200.
  static TRichText FromRtf(std::string_view rtf);
  // Plain text in one format.
  static TRichText FromPlainText(const std::u16string& text, const TRichCharFormat& format = {});

  const std::u16string& GetText() const { return text_; }
  int Length() const { return static_cast<int>(text_.size()); }
  // Runs in text order, covering the whole text, neighbours differing in format.
  const std::vector<TRichRun>& GetRuns() const { return runs_; }
  const std::vector<TRichFontEntry>& GetFonts() const { return fonts_; }
  // The colour table; entry 0 is often the automatic colour (clWindowText).
  const std::vector<TColor>& GetColors() const { return colors_; }
  // The format of the character at pos (the last run's for pos past the end).
  const TRichCharFormat& FormatAt(int pos) const;

  // Appends text in a format (used by the reader; also handy for tests).
  void Append(std::u16string_view text, const TRichCharFormat& format);

 private:
  friend class TRichTextReader;
  std::u16string text_;
  std::vector<TRichRun> runs_;
  std::vector<TRichFontEntry> fonts_;
  std::vector<TColor> colors_;
};

// What FormatRange renders: characters First .. Last - 1 (Last = -1: to the
// end) into Rect (logical units of the canvas), where one inch is UnitsPerInch
// logical units (96 at report scale 1, 384 at scale 4).
struct TRichFormatRange {
  TRect Rect;
  int First = 0;
  int Last = -1;
  double UnitsPerInch = 96;
};

// One laid-out line: characters [First, End) of which [First, DrawEnd) are
// painted (a line's paragraph or line-break mark and its trailing spaces are
// not), its top and height relative to the rectangle and its width.
struct TRichLine {
  int First = 0;
  int End = 0;
  int DrawEnd = 0;
  int Top = 0;
  int Height = 0;
  int Ascent = 0;
  int Width = 0;
};

// Lays out the range: lines wrap at the rectangle's width after the last
// space that fits (a word wider than the line is broken between characters),
// end at '\r' and '\v', and are kept while they fit the rectangle's height
// whole. Returns the lines; *next receives the first character not laid out.
std::vector<TRichLine> LayoutRichText(const TRichText& doc, const TRichFormatRange& range, int* next);

// Paints the lines that fit on canvas: every run piece is one ExtTextOut with
// the run's font (height = -em in logical units), colour and per-character
// advances, on a baseline shared by the line, transparently. The canvas's
// font, text colour, background mode and text alignment are restored
// afterwards. Returns the first character that did not fit (Last, or the
// text's length, when everything fitted). canvas may be null: then nothing is
// painted and only the result is computed.
int FormatRange(const TRichText& doc, TCanvas* canvas, const TRichFormatRange& range);

// The font of a character format at a size in logical units per inch.
TFont RichFormatFont(const TRichCharFormat& format, double unitsPerInch);

// Advances of each UTF-16 code unit of text in whole units of the font's
// size, as the font services measure them; the second unit of a surrogate
// pair gets 0. Used by every text layout of the report views.
std::vector<std::int32_t> CharAdvances(const FontInstance& font, std::u16string_view text);

}  // namespace km
