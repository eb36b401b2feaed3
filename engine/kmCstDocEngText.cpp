// Text recording, placeholders and measuring.
//
// Not built yet: the text operations (they record nothing), text measuring,
// wrapping, the base text encoders, the date, document-information and
// caller-variable placeholders, right-to-left reordering and rich text.
// Built: rotation and alignment state, and the page-number placeholders.

#include <algorithm>
#include <string>

#include "kmCstDocEng.h"

namespace km {

namespace {

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

// Replaces every occurrence of `token` (ASCII case-insensitive) by `value`.
std::u16string ReplaceAllIgnoreCase(const std::u16string& text, const std::u16string& token,
                                    const std::u16string& value) {
  if (token.empty()) return text;
  std::u16string lowerText(text), lowerToken(token);
  std::transform(lowerText.begin(), lowerText.end(), lowerText.begin(), AsciiLower);
  std::transform(lowerToken.begin(), lowerToken.end(), lowerToken.begin(), AsciiLower);
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

}  // namespace

void TkmCustomDocumentEngine::HTMLTextOut(double, double, const std::u16string&) {}
void TkmCustomDocumentEngine::TextOutV(double, double, const std::u16string&, bool) {}
void TkmCustomDocumentEngine::TextOut(double, double, const std::u16string&) {}
void TkmCustomDocumentEngine::TextOut(double, double, const std::u16string&, bool) {}
void TkmCustomDocumentEngine::TextRect(const TkmRect&, double, double, const std::u16string&) {}
void TkmCustomDocumentEngine::TextBox(const TkmRect&, const std::u16string&, TkmHAlignment, TkmVAlignment) {}

void TkmCustomDocumentEngine::SetTextRotation(int Angle) { FTextRotationAngle = Angle % 360; }
void TkmCustomDocumentEngine::SetTextAlignment(TkmHAlignment Alignment) { FTextAlignment = Alignment; }

void TkmCustomDocumentEngine::EncodeText(TkmTextItem&) {}
void TkmCustomDocumentEngine::EncodeTextBox(TkmTextBoxItem&) {}
void TkmCustomDocumentEngine::AdjustTextItemList(TkmItemList&) {}

std::u16string TkmCustomDocumentEngine::ReplacePlaceHolders(const std::u16string& AText, bool AReplacePageInfo) {
  if (!FPreferences->GetCalculateVariables() || AText.empty()) return AText;
  return AReplacePageInfo ? ReplacePageInfo(AText) : AText;
}

std::u16string TkmCustomDocumentEngine::ReplacePageInfo(const std::u16string& AText) {
  std::u16string result = ReplaceAllIgnoreCase(AText, u"<%Pg#%>", Decimal(FCurrentPage));
  return ReplaceAllIgnoreCase(result, u"<%PgCnt%>", Decimal(FPageCount));
}

std::u16string TkmCustomDocumentEngine::R2LString(const std::u16string& OriginalStr) { return OriginalStr; }

void TkmCustomDocumentEngine::DrawRichText(TRichEdit&, double, double, double, double, int, int, TColor) {}
void TkmCustomDocumentEngine::ExportRichText(const std::string&, double, double, double, double, int, int,
                                             TColor) {}
void TkmCustomDocumentEngine::ExportRichText(TStream&, double, double, double, double, int, int, TColor) {}
TkmSize TkmCustomDocumentEngine::TextSize(const std::u16string&, const TFont&) { return {}; }

}  // namespace km
