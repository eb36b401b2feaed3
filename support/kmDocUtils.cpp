#include "kmDocUtils.h"

#include <cmath>
#include <vector>

#include "kmBitmap.h"
#include "kmPngImage.h"
#include "kmScreen.h"
#include "kmStreams.h"
#include "kmUtilsFonts.h"

namespace km {

double CalculateNativeUnitFactor(TkmUnitType unit) {
  switch (unit) {
    case TkmUnitType::muPixels: return 1.0;
    case TkmUnitType::muInches: return CPointsToPixels * 72.0;
    case TkmUnitType::muMM: return CPointsToPixels * 2.83464;
    case TkmUnitType::muPoints: return CPointsToPixels;
    case TkmUnitType::muTwips: return CPointsToPixels * 0.05;
  }
  return 1.0;
}

std::u16string ReverseString(std::u16string_view s) { return std::u16string(s.rbegin(), s.rend()); }

std::u16string RemoveTerminalCRLF(std::u16string_view text) {
  if (text.size() >= 2 && text.ends_with(u"\r\n")) text.remove_suffix(2);
  return std::u16string(text);
}

TBitmap& InvertBitmap(TBitmap& ABitmap) {
  ABitmap.SetPixelFormat(TPixelFormat::pf24bit);
  const int bytes = ABitmap.GetWidth() * 3;
  for (int y = 0; y < ABitmap.GetHeight(); ++y) {
    std::uint8_t* row = ABitmap.ScanLine(y);
    for (int i = 0; i < bytes; ++i) row[i] = row[i] == 0 ? 255 : 0;
  }
  return ABitmap;
}

namespace {

void WriteBitmapFrom0(const TBitmap& bmp, TStream& stream) {
  TBytes bytes = bmp.SaveToBytes();
  stream.SetPosition(0);
  stream.WriteBuffer(bytes.data(), bytes.size());
  // A longer stream would keep stale bytes after the file.
  stream.SetSize(stream.GetPosition());
}

}  // namespace

bool GetSourceandMaskStreamfromPNGStream(const TPngImage& APng, TStream& ASourceStream, TStream& AMaskStream) {
  if (!APng.HasAlpha()) return false;
  const int w = APng.GetWidth(), h = APng.GetHeight();
  TBitmap source(w, h, TPixelFormat::pf24bit);
  TBitmap mask(w, h, TPixelFormat::pf8bit);
  std::vector<TColor> greys(256);
  for (int i = 0; i < 256; ++i) greys[i] = RGB(i, i, i);
  mask.SetPalette(std::move(greys));
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* src = APng.Scanline(y);
    std::uint8_t* colour = source.ScanLine(y);
    std::uint8_t* alpha = mask.ScanLine(y);
    for (int x = 0; x < w; ++x, src += 4, colour += 3) {
      colour[0] = src[2];
      colour[1] = src[1];
      colour[2] = src[0];
      alpha[x] = static_cast<std::uint8_t>(255 - src[3]);
    }
  }
  WriteBitmapFrom0(source, ASourceStream);
  WriteBitmapFrom0(mask, AMaskStream);
  return true;
}

namespace {

// Words of a text split after every space; spaces before a word's first
// other character belong to that word.
std::vector<std::u16string> SplitAfterSpaces(const std::u16string& text) {
  std::vector<std::u16string> words;
  std::u16string current;
  bool hasLetters = false;
  for (char16_t c : text) {
    current += c;
    if (c != u' ') {
      hasLetters = true;
    } else if (hasLetters) {
      words.push_back(current);
      current.clear();
      hasLetters = false;
    }
  }
  if (!current.empty()) words.push_back(current);
  return words;
}

// The parts joined, with `spaces` blanks spread over the gaps between them.
std::u16string SpreadSpaces(const std::vector<std::u16string>& parts, long long spaces) {
  std::u16string result;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    result += parts[i];
    const long long gapsLeft = static_cast<long long>(parts.size() - 1 - i);
    if (gapsLeft == 0) break;
    const long long add = spaces / gapsLeft;
    result.append(static_cast<std::size_t>(add), u' ');
    spaces -= add;
  }
  return result;
}

}  // namespace

std::u16string GetFilePathFromText(std::u16string_view Text) {
  const std::size_t slash = Text.rfind(u'\\');
  if (slash == std::u16string_view::npos) return std::u16string(Text);
  const std::size_t dot = Text.find(u'.', slash);
  if (dot == std::u16string_view::npos) return std::u16string(Text);
  return std::u16string(Text.substr(0, Text.find_first_of(u" \"*?|", dot)));
}

std::u16string GetJustifiedText(const std::u16string& Text, double Width, const TkmTextWidthFunc& TextWidth) {
  if (Text.empty()) return Text;
  const double space = TextWidth(u" ");
  if (!(space > 0)) return Text;
  const double extra = Width - TextWidth(Text);
  const double count = std::trunc(extra / space);
  if (!(count > 0)) return Text;
  const long long spaces = count > 1e6 ? 1000000 : static_cast<long long>(count);
  std::vector<std::u16string> parts = SplitAfterSpaces(Text);
  if (parts.size() < 2) {
    parts.clear();
    for (char16_t c : Text) {
      const bool lowSurrogate = c >= 0xDC00 && c <= 0xDFFF;
      if (lowSurrogate && !parts.empty() && parts.back().back() >= 0xD800 && parts.back().back() <= 0xDBFF) {
        parts.back() += c;
      } else {
        parts.emplace_back(1, c);
      }
    }
  }
  return SpreadSpaces(parts, spaces);
}

std::u16string GetJustifiedText(const std::u16string& Text, const TFont& Font, double Width) {
  return GetJustifiedText(Text, Width, [&Font](const std::u16string& s) {
    const std::u16string measured = RemoveTerminalCRLF(s);
    return measured.empty() ? 1.0 : static_cast<double>(TextSize(measured, Font).cx);
  });
}


}  // namespace km
