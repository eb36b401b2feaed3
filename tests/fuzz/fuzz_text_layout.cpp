// Feeds arbitrary UTF-16 text to the engine's text layout: word wrapping (both
// list kinds), justification, inline markup, placeholders with a handler that
// returns text holding more tokens, the link finder and right-to-left
// reordering. Nothing may crash or hang, and the results keep their shape.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "kmCstDocEng.h"

namespace {

// Every character 7 wide, a blank 3, CR and LF nothing; cell height 12.
class FixedMetrics : public km::IkmTextMetrics {
 public:
  km::TkmSize TextExtent(const std::u16string& Text, const km::TFont&) const override {
    int width = 0;
    for (char16_t c : Text) width += c == u' ' ? 3 : (c == u'\r' || c == u'\n') ? 0 : 7;
    return km::TkmSize{width, 12};
  }
};

km::TkmCustomDocumentEngine& Engine() {
  static km::TkmCustomDocumentEngine* engine = [] {
    static km::TkmCustomDocumentEngine e;
    e.GetPreferences().SetShowSetupDialog(false);
    e.GetPreferences().SetOpenAfterCreate(false);
    e.SetTextMetrics(std::make_shared<FixedMetrics>());
    e.SetMeasurementUnit(km::TkmUnitType::muPixels);
    e.BeginDoc();
    return &e;
  }();
  return *engine;
}

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The calls work on lines of text; long inputs only slow the search down.
  if (size < 2 || size > 8192) return 0;
  km::TkmCustomDocumentEngine& e = Engine();
  const double width = data[0] % 64;
  e.SetTextRotation(data[1] * 3);
  std::u16string text;
  for (std::size_t i = 2; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));

  km::TWideStrings lines;
  e.WrapTextIntoLines(text, width, width / 2, lines, false, e.GetFont());
  std::size_t units = 0;
  for (int i = 0; i < lines.Count(); ++i) units += lines.Get(i).size();
  Check(units <= text.size() + 2 * static_cast<std::size_t>(lines.Count()));
  std::vector<std::u16string> plain;
  e.WrapTextIntoLines(text, width, width, plain, false, e.GetFont());

  const std::u16string justified = km::GetJustifiedText(text, width * 4, [&e](const std::u16string& s) {
    return static_cast<double>(e.TextSize(s, e.GetFont()).cx);
  });
  Check(justified.size() >= text.size());

  e.OnCalcVariables = [&text](km::TkmCustomDocumentEngine&, const std::u16string& name, std::u16string& value) {
    value = u"<%" + name + u"%>" + text.substr(0, 16);
  };
  e.ReplacePlaceHolders(text, true);
  e.HTMLTextOut(1, 2, text);
  e.TextBox(km::kmRect(0, 0, width * 3, width), text, km::TkmHAlignment::haJustify, km::TkmVAlignment::vaCenter);
  for (const auto& item : *e.GetCurrentDocumentItemList()) {
    if (auto* box = dynamic_cast<km::TkmTextBoxItem*>(item.get())) e.EncodeTextBox(*box);
  }
  e.GetCurrentDocumentItemList()->clear();
  e.OnCalcVariables = nullptr;

  int start = 0;
  for (std::u16string link = e.GetHyperLinkText(text, start); !link.empty(); link = e.GetHyperLinkText(text, start)) {
    Check(start >= 1 && static_cast<std::size_t>(start) + link.size() - 1 <= text.size());
    start += static_cast<int>(link.size());
  }
  Check(e.R2LString(text).size() == text.size());
  return 0;
}
