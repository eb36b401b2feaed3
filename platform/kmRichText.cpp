#include "kmRichText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <deque>

#include "kmCodePage.h"
#include "kmFontCatalog.h"
#include "kmFontMetrics.h"

namespace km {

// ---- Document ---------------------------------------------------------------

const TRichCharFormat& TRichText::FormatAt(int pos) const {
  static const TRichCharFormat kDefault;
  if (runs_.empty()) return kDefault;
  auto it = std::upper_bound(runs_.begin(), runs_.end(), pos, [](int p, const TRichRun& r) { return p < r.Start; });
  return it == runs_.begin() ? runs_.front().Format : std::prev(it)->Format;
}

void TRichText::Append(std::u16string_view text, const TRichCharFormat& format) {
  if (text.empty()) return;
  if (!runs_.empty() && runs_.back().Format == format) {
    runs_.back().Length += static_cast<int>(text.size());
  } else {
    runs_.push_back({Length(), static_cast<int>(text.size()), format});
  }
  text_.append(text);
}

TRichText TRichText::FromPlainText(const std::u16string& text, const TRichCharFormat& format) {
  TRichText doc;
  std::u16string normal;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
    normal += text[i] == u'\n' ? u'\r' : text[i];
  }
  doc.Append(normal, format);
  return doc;
}

// ---- Reader -----------------------------------------------------------------

namespace {

constexpr int kMaxDepth = 200;

enum class TDestination { Text, FontTable, ColorTable, Skip };

struct TGroupState {
  TRichCharFormat Format;
  TDestination Destination = TDestination::Text;
  int UnicodeSkip = 1;  // \uc
};

// Destinations whose content is not shown.
constexpr std::array<std::string_view, 40> kSkipped = {
    "stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf", "footer",
    "footerl", "footerr", "footerf", "footnote", "fldinst", "themedata", "colorschememapping",
    "latentstyles", "datastore", "xmlnstbl", "listtable", "listoverridetable", "rsidtbl", "generator",
    "mmathPr", "author", "operator", "title", "subject", "keywords", "comment", "doccomm", "company",
    "filetbl", "revtbl", "pgdsctbl", "bkmkstart", "bkmkend", "xe", "tc", "private"};

bool IsSkippedDestination(std::string_view word) {
  return std::find(kSkipped.begin(), kSkipped.end(), word) != kSkipped.end();
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

class TRichTextReader {
 public:
  explicit TRichTextReader(std::string_view rtf) : in_(rtf) {}

  TRichText Read() {
    stack_.push_back({});
    while (pos_ < in_.size() && !done_) Step();
    FinishFontEntry();
    return std::move(doc_);
  }

 private:
  TGroupState& State() { return stack_.back(); }

  void Step() {
    char c = in_[pos_++];
    switch (c) {
      case '{': OpenGroup(); break;
      case '}': CloseGroup(); break;
      case '\\': ControlSymbolOrWord(); break;
      case '\r':
      case '\n': break;  // line ends in RTF source are not text
      default: Char(static_cast<unsigned char>(c)); break;
    }
  }

  void OpenGroup() {
    if (static_cast<int>(stack_.size()) >= kMaxDepth) throw ERichTextError("RTF groups are nested too deeply");
    stack_.push_back(State());
    group_start_ = true;
  }

  void CloseGroup() {
    if (State().Destination == TDestination::FontTable) FinishFontEntry();
    stack_.pop_back();
    // The outermost group closed: the document ends here.
    if (stack_.size() <= 1) {
      if (stack_.empty()) stack_.push_back({});
      done_ = seen_rtf_;
    }
    group_start_ = false;
  }

  void ControlSymbolOrWord() {
    if (pos_ >= in_.size()) return;
    char c = in_[pos_];
    if (!IsLetter(c)) {
      ++pos_;
      ControlSymbol(c);
      group_start_ = false;
      return;
    }
    std::size_t start = pos_;
    while (pos_ < in_.size() && IsLetter(in_[pos_]) && pos_ - start < 32) ++pos_;
    std::string_view word = in_.substr(start, pos_ - start);
    bool has_param = false;
    long param = 0;
    bool negative = false;
    if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() && IsDigit(in_[pos_ + 1])) {
      negative = true;
      ++pos_;
    }
    std::size_t digits = 0;
    while (pos_ < in_.size() && IsDigit(in_[pos_])) {
      // Parameters are 16- or 32-bit in practice; clamp instead of overflowing.
      if (digits++ < 10) param = std::min(param * 10 + (in_[pos_] - '0'), 0x7FFFFFFFL);
      ++pos_;
      has_param = true;
    }
    if (negative) param = -param;
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;  // the delimiting space belongs to the word
    bool first_in_group = group_start_;
    group_start_ = false;
    ControlWord(word, has_param, param, first_in_group);
  }

  void ControlSymbol(char c) {
    switch (c) {
      case '\\':
      case '{':
      case '}': Char(static_cast<unsigned char>(c)); break;
      case '~': Emit(u'\u00A0'); break;
      case '_': Emit(u'\u2011'); break;
      case '-': break;  // optional hyphen: not shown
      case '*': State().Destination = TDestination::Skip; break;
      case '\'': Hex(); break;
      case '\r':
      case '\n': Paragraph(); break;  // "\<newline>" is \par
      default: break;
    }
  }

  void Hex() {
    int hi = pos_ < in_.size() ? HexValue(in_[pos_]) : -1;
    int lo = pos_ + 1 < in_.size() ? HexValue(in_[pos_ + 1]) : -1;
    if (hi < 0 || lo < 0) return;
    pos_ += 2;
    Byte(static_cast<unsigned char>(hi * 16 + lo));
  }

  void ControlWord(std::string_view w, bool has_param, long p, bool first_in_group) {
    TGroupState& s = State();
    bool on = !has_param || p != 0;
    if (w == "rtf") {
      seen_rtf_ = true;
    } else if (w == "fonttbl") {
      s.Destination = TDestination::FontTable;
      font_ = {};
    } else if (w == "colortbl") {
      s.Destination = TDestination::ColorTable;
      red_ = green_ = blue_ = 0;
      color_set_ = false;
    } else if (IsSkippedDestination(w) && (first_in_group || w == "pict")) {
      s.Destination = TDestination::Skip;
    } else if (w == "bin") {
      // Binary data: skip it, never past the end.
      std::size_t n = has_param && p > 0 ? static_cast<std::size_t>(p) : 0;
      pos_ += std::min(n, in_.size() - pos_);
    } else if (s.Destination == TDestination::FontTable) {
      FontTableWord(w, has_param, p);
    } else if (s.Destination == TDestination::ColorTable) {
      ColorTableWord(w, p);
    } else if (s.Destination == TDestination::Text) {
      TextWord(w, has_param, p, on);
    }
  }

  void FontTableWord(std::string_view w, bool has_param, long p) {
    if (w == "f" && has_param) {
      FinishFontEntry();
      font_.Number = static_cast<int>(p);
      font_open_ = true;
    } else if (w == "fcharset") {
      font_.Charset = static_cast<TFontCharset>(std::clamp(p, 0L, 255L));
    }
  }

  void ColorTableWord(std::string_view w, long p) {
    int v = static_cast<int>(std::clamp(p, 0L, 255L));
    if (w == "red") red_ = v, color_set_ = true;
    else if (w == "green") green_ = v, color_set_ = true;
    else if (w == "blue") blue_ = v, color_set_ = true;
  }

  void TextWord(std::string_view w, bool has_param, long p, bool on) {
    TRichCharFormat& f = State().Format;
    if (w == "b") f.Bold = on;
    else if (w == "i") f.Italic = on;
    else if (w == "ul") f.Underline = on;
    else if (w == "ulnone") f.Underline = false;
    else if (w == "fs" && has_param && p > 0) f.HalfPoints = static_cast<int>(std::min(p, 3276L));
    else if (w == "cf") f.Color = ColorEntry(p);
    else if (w == "f" && has_param) SelectFont(static_cast<int>(p));
    else if (w == "deff" && has_param) default_font_ = static_cast<int>(p);
    else if (w == "plain") Plain();
    else if (w == "pard") f.Alignment = TRichAlignment::raLeft;
    else if (w == "ql") f.Alignment = TRichAlignment::raLeft;
    else if (w == "qr") f.Alignment = TRichAlignment::raRight;
    else if (w == "qc") f.Alignment = TRichAlignment::raCenter;
    else if (w == "qj") f.Alignment = TRichAlignment::raJustify;
    else if (w == "par") Paragraph();
    else if (w == "line") Emit(u'\v');
    else if (w == "tab") Emit(u'\t');
    else if (w == "uc" && has_param) State().UnicodeSkip = static_cast<int>(std::clamp(p, 0L, 10L));
    else if (w == "u" && has_param) Unicode(p);
    else if (w == "emdash") Emit(u'\u2014');
    else if (w == "endash") Emit(u'\u2013');
    else if (w == "bullet") Emit(u'\u2022');
    else if (w == "lquote") Emit(u'\u2018');
    else if (w == "rquote") Emit(u'\u2019');
    else if (w == "ldblquote") Emit(u'\u201C');
    else if (w == "rdblquote") Emit(u'\u201D');
  }

  void Plain() {
    TRichCharFormat& f = State().Format;
    TRichAlignment keep = f.Alignment;
    f = TRichCharFormat{};
    f.Alignment = keep;
    SelectFont(default_font_);
  }

  TColor ColorEntry(long index) const {
    if (index <= 0 || index >= static_cast<long>(doc_.colors_.size())) {
      return index > 0 || doc_.colors_.empty() ? clWindowText : doc_.colors_[0];
    }
    return doc_.colors_[static_cast<std::size_t>(index)];
  }

  void SelectFont(int number) {
    for (const TRichFontEntry& e : doc_.fonts_) {
      if (e.Number == number) {
        State().Format.FontName = e.Name;
        State().Format.Charset = e.Charset;
        return;
      }
    }
    pending_font_ = number;
    State().Format.FontName = u"Arial";
  }

  void FinishFontEntry() {
    if (!font_open_) return;
    font_open_ = false;
    std::u16string name = AnsiToWide(font_name_);
    while (!name.empty() && name.back() == u' ') name.pop_back();
    while (!name.empty() && name.front() == u' ') name.erase(name.begin());
    font_.Name = name.empty() ? u"Arial" : name;
    font_name_.clear();
    doc_.fonts_.push_back(font_);
    font_ = {};
  }

  void Paragraph() {
    if (State().Destination == TDestination::Text) Emit(u'\r');
  }

  void Unicode(long value) {
    if (value < 0) value += 65536;
    Emit(static_cast<char16_t>(value & 0xFFFF));
    // Skip the fallback characters that follow: \'hh and plain characters
    // count one each, a control word or symbol counts one, braces stop it.
    for (int n = State().UnicodeSkip; n > 0 && pos_ < in_.size(); --n) {
      char c = in_[pos_];
      if (c == '{' || c == '}') break;
      if (c == '\r' || c == '\n') {
        ++pos_;
        ++n;
        continue;
      }
      if (c != '\\') {
        ++pos_;
        continue;
      }
      ++pos_;
      if (pos_ >= in_.size()) break;
      if (in_[pos_] == '\'') {
        pos_ = std::min(pos_ + 3, in_.size());
      } else if (IsLetter(in_[pos_])) {
        while (pos_ < in_.size() && IsLetter(in_[pos_])) ++pos_;
        if (pos_ < in_.size() && in_[pos_] == '-') ++pos_;
        while (pos_ < in_.size() && IsDigit(in_[pos_])) ++pos_;
        if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
      } else {
        ++pos_;
      }
    }
  }

  void Char(unsigned char c) { Byte(c); }

  void Byte(unsigned char c) {
    TGroupState& s = State();
    if (s.Destination == TDestination::FontTable) {
      if (c == ';') FinishFontEntry();
      else {
        font_open_ = true;
        font_name_ += static_cast<char>(c);
      }
      return;
    }
    if (s.Destination == TDestination::ColorTable) {
      if (c == ';') {
        doc_.colors_.push_back(color_set_ ? RGB(static_cast<std::uint8_t>(red_), static_cast<std::uint8_t>(green_), static_cast<std::uint8_t>(blue_)) : clWindowText);
        red_ = green_ = blue_ = 0;
        color_set_ = false;
      }
      return;
    }
    if (s.Destination != TDestination::Text) return;
    char in[1] = {static_cast<char>(c)};
    std::u16string wide = AnsiToWide(std::string_view(in, 1));
    Emit(wide.empty() ? u'?' : wide[0]);
  }

  void Emit(char16_t ch) {
    if (State().Destination != TDestination::Text) return;
    if (pending_font_ >= 0) {
      // A font selected before the table was read: look again now.
      int n = pending_font_;
      pending_font_ = -1;
      SelectFont(n);
      pending_font_ = -1;
    }
    doc_.Append(std::u16string_view(&ch, 1), State().Format);
  }

  std::string_view in_;
  std::size_t pos_ = 0;
  std::vector<TGroupState> stack_;
  TRichText doc_;
  bool done_ = false;
  bool seen_rtf_ = false;
  bool group_start_ = false;
  int default_font_ = 0;
  int pending_font_ = -1;
  TRichFontEntry font_;
  bool font_open_ = false;
  std::string font_name_;
  int red_ = 0, green_ = 0, blue_ = 0;
  bool color_set_ = false;
};

TRichText TRichText::FromRtf(std::string_view rtf) {
  std::size_t lead = rtf.find_first_not_of(" \t\r\n");
  if (lead == std::string_view::npos || rtf.substr(lead, 5) != "{\\rtf")
    return FromPlainText(AnsiToWide(rtf));
  return TRichTextReader(rtf.substr(lead)).Read();
}

// ---- Measuring ----------------------------------------------------------------

TFont RichFormatFont(const TRichCharFormat& format, double unitsPerInch) {
  TFont font;
  font.SetPixelsPerInch(static_cast<int>(std::max(1.0, std::nearbyint(unitsPerInch))));
  font.SetName(format.FontName);
  double em = format.HalfPoints / 2.0 * unitsPerInch / 72.0;
  font.SetHeight(-static_cast<int>(std::max(1.0, std::nearbyint(em))));
  TFontStyles style;
  if (format.Bold) style.Include(TFontStyle::fsBold);
  if (format.Italic) style.Include(TFontStyle::fsItalic);
  if (format.Underline) style.Include(TFontStyle::fsUnderline);
  font.SetStyle(style);
  font.SetCharset(format.Charset);
  font.SetColor(format.Color);
  return font;
}

std::vector<std::int32_t> CharAdvances(const FontInstance& font, std::u16string_view text) {
  std::vector<std::int32_t> advances(text.size(), 0);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t ch = text[i];
    bool pair = ch >= 0xD800 && ch <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (pair) ch = 0x10000 + ((ch - 0xD800) << 10) + (text[i + 1] - 0xDC00);
    if (ch == u'\t') ch = u' ';
    advances[i] = font.GlyphAdvance(font.Face().GetGlyphIndex(ch));
    if (pair) ++i;
  }
  return advances;
}

namespace {

// The metrics a line needs of one run, in logical units.
struct TRunMetrics {
  int Ascent = 0;
  int Descent = 0;
};

// Measures a document at a resolution, run by run as the layout reaches
// them (a long document laid out into a small rectangle measures only what
// fits); runs of the same format share one font. Advances are fractional (the
// face's advance widths at the exact em size), so that a layout at 96 units
// per inch breaks lines where one at 384 does; painting rounds positions,
// not advances.
class TRichMeasurer {
 public:
  TRichMeasurer(const TRichText& doc, double unitsPerInch) : doc_(doc), units_(unitsPerInch) {
    metrics_.resize(doc.GetRuns().size());
    measured_.assign(doc.GetRuns().size(), false);
    advances_.assign(doc.GetText().size(), 0.0);
  }

  double Advance(int pos) {
    Measure(RunOf(pos));
    return advances_[static_cast<std::size_t>(pos)];
  }
  const TRunMetrics& Metrics(std::size_t run) {
    Measure(run);
    return metrics_[run];
  }

  std::size_t RunOf(int pos) const {
    const auto& runs = doc_.GetRuns();
    auto it = std::upper_bound(runs.begin(), runs.end(), pos, [](int p, const TRichRun& r) { return p < r.Start; });
    return it == runs.begin() ? 0 : static_cast<std::size_t>(std::prev(it) - runs.begin());
  }

 private:
  struct TFontEntry {
    TRichCharFormat Format;
    std::shared_ptr<const FontInstance> Font;
    int Ascent = 0, Descent = 0;
  };

  const TFontEntry& FontFor(const TRichCharFormat& format) {
    for (const TFontEntry& e : fonts_)
      if (e.Format.FontName == format.FontName && e.Format.HalfPoints == format.HalfPoints &&
          e.Format.Bold == format.Bold && e.Format.Italic == format.Italic &&
          e.Format.Underline == format.Underline && e.Format.Charset == format.Charset)
        return e;
    TFontEntry e;
    e.Format = format;
    e.Font = FontCatalog::Default().CreateFont(RichFormatFont(format, units_));
    if (e.Font) {
      TTextMetric tm = e.Font->GetTextMetrics();
      e.Ascent = tm.tmAscent;
      e.Descent = tm.tmDescent;
    } else {
      double em = format.HalfPoints / 2.0 * units_ / 72.0;
      e.Ascent = static_cast<int>(std::nearbyint(em * 0.9));
      e.Descent = static_cast<int>(std::nearbyint(em * 0.25));
    }
    fonts_.push_back(std::move(e));
    return fonts_.back();
  }

  void Measure(std::size_t r) {
    if (r >= measured_.size() || measured_[r]) return;
    measured_[r] = true;
    const TRichRun& run = doc_.GetRuns()[r];
    const TFontEntry& font = FontFor(run.Format);
    TRunMetrics& m = metrics_[r];
    m.Ascent = font.Ascent;
    m.Descent = font.Descent;
    if (!font.Font) return;
    const FontFace& face = font.Font->Face();
    const double em = run.Format.HalfPoints / 2.0 * units_ / 72.0;
    const double per_unit = em / std::max(1, face.GetUnitsPerEm());
    const std::u16string& text = doc_.GetText();
    for (int i = run.Start; i < run.Start + run.Length; ++i) {
      char32_t ch = text[i];
      if (ch == u'\r' || ch == u'\v') continue;
      if (ch >= 0xD800 && ch <= 0xDBFF && i + 1 < run.Start + run.Length && text[i + 1] >= 0xDC00 &&
          text[i + 1] <= 0xDFFF) {
        ch = 0x10000 + ((ch - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        advances_[i] = face.GetAdvanceUnits(face.GetGlyphIndex(ch)) * per_unit;
        ++i;
        continue;
      }
      if (ch == u'\t') ch = u' ';
      advances_[i] = face.GetAdvanceUnits(face.GetGlyphIndex(ch)) * per_unit;
    }
  }

  const TRichText& doc_;
  double units_;
  std::vector<TRunMetrics> metrics_;
  std::vector<bool> measured_;
  std::vector<double> advances_;
  std::deque<TFontEntry> fonts_;  // a deque keeps references to entries valid
};

bool IsBreakMark(char16_t c) { return c == u'\r' || c == u'\v'; }
bool IsSpace(char16_t c) { return c == u' ' || c == u'\t'; }

// A laid-out line with its fractional width.
struct TLaidLine {
  TRichLine Line;
  double Width = 0;
};

std::vector<TLaidLine> Layout(const TRichText& doc, TRichMeasurer& m, const TRichFormatRange& range,
                              int* next) {
  const std::u16string& text = doc.GetText();
  const int length = doc.Length();
  const int first = std::clamp(range.First, 0, length);
  const int last = range.Last < 0 ? length : std::clamp(range.Last, first, length);
  const double width = std::max(0, range.Rect.Width());
  const int height = std::max(0, range.Rect.Height());

  std::vector<TLaidLine> lines;
  int pos = first, top = 0;
  while (pos < last) {
    // The line ends at a mark, after the last space that fits, or (a word
    // wider than the line) before the first character that does not fit.
    double x = 0;
    int end = pos, last_space = -1;
    while (end < last && !IsBreakMark(text[end])) {
      if (x + m.Advance(end) > width + 1e-9 && end > pos && !IsSpace(text[end])) break;
      x += m.Advance(end);
      if (IsSpace(text[end])) last_space = end;
      ++end;
    }
    int line_end = end;
    if (end < last && IsBreakMark(text[end])) {
      line_end = end + 1;
    } else if (end < last && last_space >= pos) {
      line_end = last_space + 1;
    }
    int draw_end = std::min(line_end, end);
    while (draw_end > pos && (IsSpace(text[draw_end - 1]) || IsBreakMark(text[draw_end - 1]))) --draw_end;
    // Height: the tallest run of the line (of its mark when it is empty).
    int ascent = 0, descent = 0;
    for (int i = pos; i < std::max(line_end, pos + 1) && i < length; ++i) {
      const TRunMetrics& rm = m.Metrics(m.RunOf(i));
      ascent = std::max(ascent, rm.Ascent);
      descent = std::max(descent, rm.Descent);
    }
    if (top + ascent + descent > height) break;
    TLaidLine laid;
    laid.Line = {pos, line_end, draw_end, top, ascent + descent, ascent, 0};
    for (int i = pos; i < draw_end; ++i) laid.Width += m.Advance(i);
    laid.Line.Width = static_cast<int>(std::nearbyint(laid.Width));
    lines.push_back(laid);
    top += ascent + descent;
    pos = line_end;
  }
  if (next) *next = pos;
  return lines;
}

}  // namespace

std::vector<TRichLine> LayoutRichText(const TRichText& doc, const TRichFormatRange& range, int* next) {
  TRichMeasurer measurer(doc, range.UnitsPerInch);
  std::vector<TRichLine> lines;
  for (const TLaidLine& l : Layout(doc, measurer, range, next)) lines.push_back(l.Line);
  return lines;
}

int FormatRange(const TRichText& doc, TCanvas* canvas, const TRichFormatRange& range) {
  TRichMeasurer measurer(doc, range.UnitsPerInch);
  int next = 0;
  std::vector<TLaidLine> lines = Layout(doc, measurer, range, &next);
  if (!canvas) return next;

  const TFont saved_font = canvas->GetFont();
  const TColor saved_color = canvas->GetTextColor();
  const TBkMode saved_mode = canvas->GetBkMode();
  const std::uint32_t saved_align = canvas->GetTextAlign();
  canvas->SetBkMode(TRANSPARENT);
  canvas->SetTextAlign(TA_LEFT | TA_BASELINE);

  const std::u16string& text = doc.GetText();
  for (const TLaidLine& laid : lines) {
    const TRichLine& line = laid.Line;
    double room = std::max(0.0, range.Rect.Width() - laid.Width);
    TRichAlignment align = doc.FormatAt(line.First).Alignment;
    double x = range.Rect.Left + (align == TRichAlignment::raRight    ? room
                                  : align == TRichAlignment::raCenter ? room / 2
                                                                      : 0.0);
    const int baseline = range.Rect.Top + line.Top + line.Ascent;
    int i = line.First;
    while (i < line.DrawEnd) {
      const TRichRun& r = doc.GetRuns()[measurer.RunOf(i)];
      int piece_end = std::min(line.DrawEnd, r.Start + r.Length);
      std::u16string piece = text.substr(i, piece_end - i);
      // Each character starts at its rounded position; the advances are the
      // differences, so rounding never accumulates along the line.
      std::vector<std::int32_t> advances;
      const int start = static_cast<int>(std::nearbyint(x));
      int at = start;
      for (int k = i; k < piece_end; ++k) {
        x += measurer.Advance(k);
        int to = static_cast<int>(std::nearbyint(x));
        advances.push_back(to - at);
        at = to;
      }
      for (char16_t& c : piece)
        if (c == u'\t') c = u' ';
      canvas->SetFont(RichFormatFont(r.Format, range.UnitsPerInch));
      canvas->SetTextColor(r.Format.Color);
      canvas->ExtTextOut(start, baseline, 0, nullptr, piece, advances);
      i = piece_end;
    }
  }
  canvas->SetFont(saved_font);
  canvas->SetTextColor(saved_color);
  canvas->SetBkMode(saved_mode);
  canvas->SetTextAlign(saved_align);
  return next;
}

}  // namespace km
