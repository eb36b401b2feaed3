// HTMLTextOut: one line of text with inline style tags.
//
// Tags (compared case-insensitively): <B> </B> bold, <I> </I> italic, <U>
// </U> underline, <S> </S> strike-out; they switch the style on the engine's
// own font. "/" escapes: "//" is "/", "/<" and "/>" are literal brackets, a
// lone "/" is dropped. A "<" whose tag is cut by a blank or the end of the
// text is dropped and what follows is text; an unescaped ">" outside a tag
// is dropped; unknown tags are dropped.

#include <array>
#include <optional>
#include <string>

#include "kmCstDocEng.h"

namespace km {

namespace {

struct StyleTag {
  TFontStyle style;
  bool on;
};

char16_t UpperAscii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

std::optional<StyleTag> ParseStyleTag(const std::u16string& name) {
  std::u16string upper;
  for (char16_t c : name) upper += UpperAscii(c);
  const bool closing = !upper.empty() && upper[0] == u'/';
  if (closing) upper.erase(0, 1);
  if (upper.size() != 1) return std::nullopt;
  switch (upper[0]) {
    case u'B': return StyleTag{TFontStyle::fsBold, !closing};
    case u'I': return StyleTag{TFontStyle::fsItalic, !closing};
    case u'U': return StyleTag{TFontStyle::fsUnderline, !closing};
    case u'S': return StyleTag{TFontStyle::fsStrikeOut, !closing};
    default: return std::nullopt;
  }
}

}  // namespace

// The position is converted like every other text position (the caller's unit
// and, for pixels, the input resolution), so the runs start where TextOut
// would put the same text; runs follow each other by their measured widths.
void TkmCustomDocumentEngine::HTMLTextOut(double X, double Y, const std::u16string& HTMLStr) {
  if (!CanRecordText()) return;
  double x = NativeXPos(X) + FBandRect.Left;
  const double y = NativeYPos(Y) + FBandRect.Top;
  std::array<bool, 4> open{};  // opened and not yet closed, by style

  std::u16string run;
  auto emit = [&]() {
    if (run.empty()) return;
    const double width = TextSize(run, FFont).cx;
    AddTextItem(NewTextItem(x, y, run));
    x += width;
    run.clear();
  };

  const std::size_t n = HTMLStr.size();
  for (std::size_t i = 0; i < n;) {
    const char16_t c = HTMLStr[i];
    if (c == u'/') {
      const char16_t next = i + 1 < n ? HTMLStr[i + 1] : 0;
      if (next == u'/' || next == u'<' || next == u'>') {
        run += next;
        i += 2;
      } else {
        ++i;
      }
      continue;
    }
    if (c == u'<') {
      emit();
      std::size_t j = i + 1;
      while (j < n && HTMLStr[j] != u'>' && HTMLStr[j] != u' ') ++j;
      if (j < n && HTMLStr[j] == u'>') {
        if (auto tag = ParseStyleTag(HTMLStr.substr(i + 1, j - i - 1))) {
          TFontStyles styles = FFont.GetStyle();
          if (tag->on) {
            styles.Include(tag->style);
          } else {
            styles.Exclude(tag->style);
          }
          FFont.SetStyle(styles);
          open[static_cast<std::size_t>(tag->style)] = tag->on;
        }
        i = j + 1;
      } else {
        ++i;  // not a tag: its characters are text, without the "<"
      }
      continue;
    }
    if (c != u'>') run += c;
    ++i;
  }
  emit();
  TFontStyles styles = FFont.GetStyle();
  for (std::size_t s = 0; s < open.size(); ++s) {
    if (open[s]) styles.Exclude(static_cast<TFontStyle>(s));
  }
  FFont.SetStyle(styles);
}

}  // namespace km
