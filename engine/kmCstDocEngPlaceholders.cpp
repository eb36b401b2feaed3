// The placeholder language: tokens between "<%" and "%>" replaced by page
// numbers, dates, document information and caller-defined variables.

#include <algorithm>
#include <iomanip>
#include <locale>
#include <map>
#include <sstream>
#include <string>

#include "kmCodePage.h"
#include "kmCstDocEng.h"

namespace km {

namespace {

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

std::u16string AsciiLowerCopy(const std::u16string& s) {
  std::u16string lower(s);
  std::transform(lower.begin(), lower.end(), lower.begin(), AsciiLower);
  return lower;
}

// Replaces every occurrence of `token` (ASCII case-insensitive) by `value`.
// The replaced text is not searched again.
std::u16string ReplaceAllIgnoreCase(const std::u16string& text, const std::u16string& token,
                                    const std::u16string& value) {
  if (token.empty()) return text;
  const std::u16string lowerText = AsciiLowerCopy(text), lowerToken = AsciiLowerCopy(token);
  std::u16string result;
  std::size_t from = 0;
  for (std::size_t at = lowerText.find(lowerToken); at != std::u16string::npos;
       at = lowerText.find(lowerToken, from)) {
    result.append(text, from, at - from);
    result += value;
    from = at + token.size();
  }
  result.append(text, from, std::u16string::npos);
  return result;
}

std::u16string Decimal(int value) {
  const std::string s = std::to_string(value);
  return std::u16string(s.begin(), s.end());
}

// The user's locale for dates and times; the classic one when the
// environment names none that is installed.
std::locale UserLocale() {
  try {
    return std::locale("");
  } catch (const std::exception&) {
    return std::locale::classic();
  }
}

std::u16string FormatTime(const std::tm& time, const char* format) {
  std::ostringstream out;
  out.imbue(UserLocale());
  out << std::put_time(&time, format);
  return Utf8ToWide(out.str());
}

std::tm SystemLocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

}  // namespace

std::u16string TkmCustomDocumentEngine::ReplacePlaceHolders(const std::u16string& AText, bool AReplacePageInfo) {
  if (!FPreferences->GetCalculateVariables() || AText.empty()) return AText;
  std::u16string result = AReplacePageInfo ? ReplacePageInfo(AText) : AText;
  result = ReplaceDateAndDocInfo(result);
  if (OnCalcVariables) result = ReplaceCallerVariables(result);
  return result;
}

std::u16string TkmCustomDocumentEngine::ReplacePageInfo(const std::u16string& AText) {
  std::u16string result = ReplaceAllIgnoreCase(AText, u"<%Pg#%>", Decimal(FCurrentPage));
  return ReplaceAllIgnoreCase(result, u"<%PgCnt%>", Decimal(FPageCount));
}

// Short date: the locale's date; short time: hours and minutes; long date:
// weekday, day, month name and year; long time: the locale's time.
std::u16string TkmCustomDocumentEngine::ReplaceDateAndDocInfo(const std::u16string& AText) {
  if (AText.find(u"<%") == std::u16string::npos) return AText;
  const std::tm now = FPlaceholderClock ? FPlaceholderClock() : SystemLocalTime();
  std::u16string result = AText;
  const std::u16string lower = AsciiLowerCopy(AText);
  auto replace = [&](const std::u16string& token, auto valueOf) {
    if (lower.find(AsciiLowerCopy(token)) == std::u16string::npos) return;
    result = ReplaceAllIgnoreCase(result, token, valueOf());
  };
  replace(u"<%ShortDate%>", [&] { return FormatTime(now, "%x"); });
  replace(u"<%ShortTime%>", [&] { return FormatTime(now, "%H:%M"); });
  replace(u"<%LongDate%>", [&] { return FormatTime(now, "%A, %d %B %Y"); });
  replace(u"<%LongTime%>", [&] { return FormatTime(now, "%X"); });
  replace(u"<%Author%>", [&] { return FDocInfo->GetAuthor(); });
  replace(u"<%Creator%>", [&] { return FDocInfo->GetCreator(); });
  replace(u"<%Subject%>", [&] { return FDocInfo->GetSubject(); });
  replace(u"<%Title%>", [&] { return FDocInfo->GetTitle(); });
  return result;
}

// Scans the text once from left to right. Each token's name goes to
// OnCalcVariables (once per name, compared case-insensitively) and the value
// takes the token's place. A value is never scanned again, so a value that
// holds its own token, or any other, cannot make the scan run forever. When
// a "<%" opens inside a token, the inner token is taken and the outer "<%"
// stays text. "<%%>" and the page tokens stay as they are.
std::u16string TkmCustomDocumentEngine::ReplaceCallerVariables(const std::u16string& AText) {
  std::map<std::u16string, std::u16string> values;  // by lower-case name
  std::u16string result;
  std::size_t p = 0;
  while (p < AText.size()) {
    const std::size_t open = AText.find(u"<%", p);
    const std::size_t close = open == std::u16string::npos ? open : AText.find(u"%>", open + 2);
    if (close == std::u16string::npos) break;
    const std::size_t inner = AText.find(u"<%", open + 2);
    if (inner != std::u16string::npos && inner < close) {
      result.append(AText, p, inner - p);
      p = inner;
      continue;
    }
    const std::size_t tokenEnd = close + 2;
    const std::u16string name = AText.substr(open + 2, close - open - 2);
    const std::u16string lowerName = AsciiLowerCopy(name);
    result.append(AText, p, open - p);
    if (name.empty() || lowerName == u"pg#" || lowerName == u"pgcnt") {
      result.append(AText, open, tokenEnd - open);
    } else {
      auto found = values.find(lowerName);
      if (found == values.end()) {
        std::u16string value;
        OnCalcVariables(*this, name, value);
        found = values.emplace(lowerName, std::move(value)).first;
      }
      result += found->second;
    }
    p = tokenEnd;
  }
  if (p < AText.size()) result.append(AText, p, std::u16string::npos);
  return result;
}

}  // namespace km
