// Word wrapping of text into lines of a given width.
//
// The text is scanned for word ends: a separator (NUL, LF, CR, blank) ends a
// word and belongs to it, unless it follows another separator, in which case
// it starts the next word (so a second blank becomes that word's leading
// blank). A word that does not fit the rest of the line starts a new line; a
// word wider than a whole line is cut at character boundaries. CR and LF end
// the line: it gets CR LF and a new line is begun; the LF of a CR LF pair is
// part of the same break.

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "kmCstDocEng.h"
#include "kmMath.h"

namespace km {

namespace {

bool IsSeparator(char16_t c) { return c == 0 || c == 10 || c == 13 || c == 32; }
bool IsBreak(char16_t c) { return c == 10 || c == 13; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The two line lists, behind one set of calls.
int Count(const TWideStrings& l) { return l.Count(); }
int Count(const std::vector<std::u16string>& l) { return static_cast<int>(l.size()); }
void Add(TWideStrings& l, const std::u16string& s) { l.Add(s); }
void Add(std::vector<std::u16string>& l, const std::u16string& s) { l.push_back(s); }
std::u16string Last(const TWideStrings& l) { return l.Get(l.Count() - 1); }
std::u16string Last(const std::vector<std::u16string>& l) { return l.back(); }
void SetLast(TWideStrings& l, const std::u16string& s) { l.Put(l.Count() - 1, s); }
void SetLast(std::vector<std::u16string>& l, const std::u16string& s) { l.back() = s; }
void DeleteLast(TWideStrings& l) { l.Delete(l.Count() - 1); }
void DeleteLast(std::vector<std::u16string>& l) { l.pop_back(); }
void Clear(TWideStrings& l) { l.Clear(); }
void Clear(std::vector<std::u16string>& l) { l.clear(); }

// Exclusive end k of the longest prefix Text[s, k) with s < k <= limit whose
// width is at most Width, never between the halves of a surrogate pair; s when
// not even the first character fits. Widths grow with the prefix, so the end
// is found by doubling the length and then halving the interval, which keeps
// the cost near linear in the length of the line.
template <typename Measure>
std::size_t LongestFittingPrefix(const std::u16string& Text, std::size_t s, std::size_t limit, double Width,
                                 const Measure& w) {
  auto fits = [&](std::size_t k) { return w(Text.substr(s, k - s)) <= Width; };
  if (limit <= s || !fits(s + 1)) return s;
  std::size_t good = s + 1, step = 1;
  std::size_t bad = limit + 1;  // first end known not to fit (limit + 1: none known)
  while (good < limit) {
    const std::size_t probe = std::min(limit, good + step);
    if (!fits(probe)) {
      bad = probe;
      break;
    }
    good = probe;
    step *= 2;
  }
  while (bad - good > 1) {
    const std::size_t mid = good + (bad - good) / 2;
    if (fits(mid)) {
      good = mid;
    } else {
      bad = mid;
    }
  }
  while (good > s + 1 && good < Text.size() && IsLowSurrogate(Text[good])) --good;
  return good;
}

template <typename LineList>
void AppendToLast(LineList& lines, const std::u16string& s) {
  if (Count(lines) == 0) {
    Add(lines, s);
  } else {
    SetLast(lines, Last(lines) + s);
  }
}

}  // namespace

int TkmCustomDocumentEngine::WrapTextIntoLines(const std::u16string& Text, double Width, double FirstLineWidth,
                                               TWideStrings& Lines, bool AutoResize, const TFont& AFont) {
  return WrapLines(Text, Width, FirstLineWidth, Lines, AutoResize, AFont, 1.0);
}

int TkmCustomDocumentEngine::WrapTextIntoLines(const std::u16string& Text, double Width, double FirstLineWidth,
                                               std::vector<std::u16string>& Lines, bool AutoResize,
                                               const TFont& AFont) {
  // The horizontal extent of text at the rotation angle.
  const double scale = std::fabs(std::cos(FTextRotationAngle * std::numbers::pi / 180.0));
  if (!AutoResize && Width > 0 && Lines.empty()) Lines.emplace_back();
  return WrapLines(Text, Width, FirstLineWidth, Lines, AutoResize, AFont, scale);
}

template <typename LineList>
int TkmCustomDocumentEngine::WrapLines(const std::u16string& Text, double Width, double FirstLineWidth,
                                       LineList& Lines, bool AutoResize, const TFont& AFont, double scale) {
  // Text of no characters takes no room on a line.
  auto w = [&](const std::u16string& s) { return s.empty() ? 0.0 : TextSize(s, AFont).cx * scale; };
  const int result = static_cast<int>(Round(Width));
  if (AutoResize) {
    Clear(Lines);
    Add(Lines, Text);
    return static_cast<int>(Round(w(Text + u" ") + 2.0 * FPen.GetWidth()));
  }
  if (Width <= 0) return result;

  double remaining = Count(Lines) > 1 ? Width : FirstLineWidth;
  if (Count(Lines) > 0) remaining -= w(Last(Lines));

  const std::size_t n = Text.size();
  std::size_t s = 0;  // the current word is Text[s, i]
  bool afterBoundary = false;
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t c = Text[i];
    // The LF of a CR LF pair completes the break the CR made.
    const bool pairedLF = c == 10 && i > 0 && Text[i - 1] == 13 && afterBoundary;
    const bool endsWord = !pairedLF && (i + 1 == n || (IsSeparator(c) && !afterBoundary));
    if (!endsWord) {
      if (IsBreak(c)) s = i + 1;
      afterBoundary = false;
      continue;
    }
    const bool lineBreak = IsBreak(c);
    const std::size_t wordEnd = lineBreak ? i : i + 1;  // exclusive
    std::u16string word = Text.substr(s, wordEnd - s);
    double m = w(word);
    if (m != 0) {
      if (m > remaining) {
        while (m > Width) {
          // The longest prefix of the word that fits a whole line.
          const std::size_t k = LongestFittingPrefix(Text, s, i, Width, w);
          if (k <= s) goto done;  // not even one character fits
          Add(Lines, Text.substr(s, k - s));
          s = k;
          word = Text.substr(s, wordEnd - s);
          m = w(word);
        }
        Add(Lines, word);
        remaining = Width - m;
      } else {
        AppendToLast(Lines, word);
        remaining -= m;
      }
    }
    if (lineBreak) {
      AppendToLast(Lines, u"\r\n");
      Add(Lines, u"");
      remaining = Width;
    }
    afterBoundary = true;
    s = i + 1;
  }
done:
  if (Count(Lines) > 0 && Last(Lines).empty()) DeleteLast(Lines);
  return result;
}

}  // namespace km
