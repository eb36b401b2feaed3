#include "kmUtils3.h"

#include <unicode/uchar.h>

#include <numbers>

#include "kmScreen.h"

namespace km {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendHex(std::string& out, unsigned value, int digits) {
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out.push_back(kHexDigits[(value >> shift) & 0xF]);
}

template <typename Char>
std::basic_string<Char> EscapeLiteral(std::basic_string_view<Char> text) {
  std::basic_string<Char> out;
  out.reserve(text.size() + text.size() / 8);
  auto append = [&out](const char* ascii) {
    for (; *ascii; ++ascii) out.push_back(static_cast<Char>(*ascii));
  };
  int column = 0;
  for (Char c : text) {
    switch (static_cast<unsigned>(c)) {
      case 8: append("\\b"); continue;
      case 12: append("\\f"); continue;
      case 9:
        out.append(static_cast<std::size_t>(8 - column), static_cast<Char>(' '));
        column = 0;
        continue;
      case 10: append("\\n"); break;
      case 13: append("\\r"); break;
      case '(': append("\\("); break;
      case ')': append("\\)"); break;
      case '\\': append("\\\\"); break;
      default: out.push_back(c); break;
    }
    column = (column + 1) % 8;
  }
  return out;
}

char16_t UpperCodeUnit(char16_t c) {
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  UChar32 upper = u_toupper(c);
  return upper <= 0xFFFF ? static_cast<char16_t>(upper) : c;
}

std::u16string UpperCase(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out) c = UpperCodeUnit(c);
  return out;
}

}  // namespace

std::string GetHexOfStr(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) AppendHex(out, static_cast<unsigned char>(c), 2);
  return out;
}

std::string GetHexOfStrw(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 4);
  for (char16_t c : text) AppendHex(out, c, 4);
  return out;
}

void CheckSysColor(TColor& color) {
  if ((color & 0xFF000000u) == 0xFF000000u) color = GetSysColor(color & 0x00FFFFFFu);
}

std::string ColorToPDFColor(TColor color) {
  TColor v = ColorToRGB(color);
  return FormatFixed(GetRValue(v) / 255.0, 4) + " " + FormatFixed(GetGValue(v) / 255.0, 4) + " " +
         FormatFixed(GetBValue(v) / 255.0, 4);
}

std::string ColorBGRToRGB(TColor color) {
  CheckSysColor(color);
  std::string out;
  AppendHex(out, GetRValue(color), 2);
  AppendHex(out, GetGValue(color), 2);
  AppendHex(out, GetBValue(color), 2);
  return out;
}

std::u16string StringToEscapeString(std::u16string_view text) { return EscapeLiteral(text); }
std::string StringToEscapeString(std::string_view text) { return EscapeLiteral(text); }

std::u16string ReplaceString(std::u16string_view s, std::u16string_view old_pattern,
                             std::u16string_view new_pattern) {
  if (old_pattern.empty()) return std::u16string(s);
  // Upper-casing keeps the length, so positions in `search` are positions in `rest`.
  const std::u16string search_text = UpperCase(s);
  const std::u16string pattern = UpperCase(old_pattern);
  std::u16string result;
  std::u16string_view rest = s;
  std::u16string_view search = search_text;
  while (!search.empty()) {
    std::size_t p = search.find(pattern);
    if (p == std::u16string_view::npos) break;
    result.append(rest.substr(0, p));
    result.append(new_pattern);
    rest.remove_prefix(p + old_pattern.size());
    search.remove_prefix(p + pattern.size());
  }
  result.append(rest);
  return result;
}

int PosEx(std::u16string_view sub, std::u16string_view s, int offset) {
  if (sub.empty() || offset < 1 || static_cast<std::size_t>(offset) > s.size()) return 0;
  std::size_t p = s.find(sub, static_cast<std::size_t>(offset - 1));
  return p == std::u16string_view::npos ? 0 : static_cast<int>(p) + 1;
}

std::u16string RightStr(std::u16string_view text, int count) {
  if (count <= 0) return {};
  if (static_cast<std::size_t>(count) >= text.size()) return std::u16string(text);
  return std::u16string(text.substr(text.size() - static_cast<std::size_t>(count)));
}

std::u16string MidStr(std::u16string_view text, int start, int count) {
  if (count <= 0) return {};
  std::size_t from = static_cast<std::size_t>(std::max(start, 1) - 1);
  if (from >= text.size()) return {};
  return std::u16string(text.substr(from, static_cast<std::size_t>(count)));
}

double DegreesToRadians(double degrees) { return degrees * (std::numbers::pi / 180.0); }
double RadiansToDegrees(double radians) { return radians * (180.0 / std::numbers::pi); }
double PixelsToPoints(double x) { return x / CPixelsPerInch * 72.0; }
double PointsToPixels(double x) { return x * CPointsToPixels; }

}  // namespace km
