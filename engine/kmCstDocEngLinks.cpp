// Finding links in a line of text, and reordering a line for right-to-left
// display.

#include <algorithm>
#include <string>
#include <vector>

#include "kmCstDocEng.h"

namespace km {

namespace {

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Characters that may stand before the "@" of an e-mail address.
bool IsLocalPartChar(char16_t c) { return c == u'!' || c == u'-' || c == u'.' || c == u'_' || IsDigit(c) || IsAsciiLetter(c); }

// Characters a web or e-mail link is made of.
bool IsLinkChar(char16_t c) {
  static constexpr std::u16string_view kPunctuation = u"!%&+,-./:;=?@_";
  return IsDigit(c) || IsAsciiLetter(c) || kPunctuation.find(c) != std::u16string_view::npos;
}

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

// 1-based position of `what` in `text`, 0 when absent.
std::size_t Pos(const std::u16string& what, const std::u16string& text) {
  const std::size_t at = text.find(what);
  return at == std::u16string::npos ? 0 : at + 1;
}

}  // namespace

// A link is the earliest of the keywords "www.", "ftp://", "http://", "@"
// (then the address begins at the local part before it), ":\" (a path: it
// begins at the drive letter) and "https://". An "@" without a "." after it
// is not an address.
std::u16string TkmCustomDocumentEngine::GetHyperLinkText(const std::u16string& AText, int& AStartPos) const {
  const std::size_t origin = static_cast<std::size_t>(std::max(AStartPos, 1) - 1);
  if (origin >= AText.size()) return {};
  std::u16string t = AText.substr(origin);
  std::transform(t.begin(), t.end(), t.begin(), AsciiLower);
  const std::size_t length = t.size();
  std::size_t end = length;  // 1-based start of the earliest link so far
  bool filePath = false;
  for (const std::u16string keyword : {u"www.", u"ftp://", u"http://", u"@", u":\\", u"https://"}) {
    std::size_t j = Pos(keyword, t);
    if (j == 0 || j >= end) continue;
    if (keyword == u"@") {
      const bool dotAfter = t.find(u'.', j) != std::u16string::npos && t.find(u'.', j) < end;
      if (!dotAfter) continue;
      while (j > 1 && IsLocalPartChar(t[j - 2])) --j;
    } else if (keyword == u":\\") {
      --j;
    }
    if (j > 0 && end > j) {
      end = j;
      filePath = keyword == u":\\";
    }
  }
  if (end == length) return {};
  AStartPos = static_cast<int>(origin + end);
  const std::size_t start = end - 1;  // index into t
  if (filePath) return GetFilePathFromText(std::u16string_view(AText).substr(origin + start));
  std::size_t stop = start;
  while (stop < length && IsLinkChar(t[stop])) ++stop;
  return AText.substr(origin + start, stop - start);
}

namespace {

enum class BidiClass { RightToLeft, Digit, Neutral, LeftToRight };

BidiClass ClassOf(char16_t c) {
  if ((c >= 0x0590 && c <= 0x06FF) || (c >= 0xFB1E && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF)) {
    return BidiClass::RightToLeft;
  }
  if (IsDigit(c)) return BidiClass::Digit;
  if ((c >= 32 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) || (c >= 123 && c <= 126)) {
    return BidiClass::Neutral;
  }
  return BidiClass::LeftToRight;
}

char16_t Mirrored(char16_t c) {
  switch (c) {
    case u'(': return u')';
    case u')': return u'(';
    case u'<': return u'>';
    case u'>': return u'<';
    case u'[': return u']';
    case u']': return u'[';
    case u'{': return u'}';
    case u'}': return u'{';
    default: return c;
  }
}

}  // namespace

// The line is laid out as a right-to-left paragraph: right-to-left
// characters, and neutral characters that do not stand between two
// left-to-right ones (digits count as left-to-right), take the right-to-left
// direction and are mirrored; then the order of the runs is reversed and every
// right-to-left run reversed inside, so left-to-right runs and numbers keep
// their reading order.
std::u16string TkmCustomDocumentEngine::R2LString(const std::u16string& OriginalStr) {
  const std::size_t n = OriginalStr.size();
  // For every position, whether the nearest non-neutral character before it
  // (and after it) is left-to-right; beyond the ends the paragraph's own
  // direction, right-to-left, counts.
  std::vector<bool> ltrBefore(n + 1, false), ltrAfter(n + 1, false);
  for (std::size_t i = 0; i < n; ++i) {
    const BidiClass k = ClassOf(OriginalStr[i]);
    ltrBefore[i + 1] = k == BidiClass::Neutral ? ltrBefore[i] : k != BidiClass::RightToLeft;
  }
  for (std::size_t i = n; i-- > 0;) {
    const BidiClass k = ClassOf(OriginalStr[i]);
    ltrAfter[i] = k == BidiClass::Neutral ? ltrAfter[i + 1] : k != BidiClass::RightToLeft;
  }
  std::vector<bool> rtl(n, false);
  for (std::size_t i = 0; i < n; ++i) {
    const BidiClass k = ClassOf(OriginalStr[i]);
    if (k == BidiClass::RightToLeft) rtl[i] = true;
    if (k == BidiClass::Neutral) rtl[i] = !(ltrBefore[i] && ltrAfter[i + 1]);
  }
  // Keep the left-to-right runs in order by reversing each of them, then reverse the whole line.
  std::u16string result;
  result.reserve(n);
  for (std::size_t i = 0; i < n;) {
    std::size_t j = i;
    while (j < n && rtl[j] == rtl[i]) ++j;
    if (rtl[i]) {
      for (std::size_t k = i; k < j; ++k) result += Mirrored(OriginalStr[k]);
    } else {
      result.append(OriginalStr.rbegin() + static_cast<std::ptrdiff_t>(n - j),
                    OriginalStr.rbegin() + static_cast<std::ptrdiff_t>(n - i));
    }
    i = j;
  }
  std::reverse(result.begin(), result.end());
  return result;
}

}  // namespace km
