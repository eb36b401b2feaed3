#pragma once
// A text metrics service with fixed advances, so that layout results can be
// given exactly: every character is 10 pixels wide, a blank 5, CR and LF 0;
// bold characters (not blanks) are 2 wider. The cell height is |Height| + 5
// (16 for the default font of height -11).

#include <memory>

#include "RecordingEngine.h"
#include "kmTextMetrics.h"

namespace km::test {

class FixedTextMetrics : public IkmTextMetrics {
 public:
  TkmSize TextExtent(const std::u16string& Text, const TFont& Font) const override {
    int width = 0;
    for (char16_t c : Text) {
      if (c == u'\r' || c == u'\n') continue;
      if (c == u' ') {
        width += 5;
        continue;
      }
      if (c >= 0xDC00 && c <= 0xDFFF) continue;  // second half of a pair
      width += Font.IsBold() ? 12 : 10;
    }
    const int h = Font.GetHeight();
    return TkmSize{width, (h < 0 ? -h : h) + 5};
  }
};

// A recording engine that measures with FixedTextMetrics, takes pixels at
// 96 per inch, and lays text boxes out with the engine's own EncodeTextBox.
class TTextEngine : public TRecordingEngine {
 public:
  TTextEngine() {
    SetTextMetrics(std::make_shared<FixedTextMetrics>());
    SetMeasurementUnit(TkmUnitType::muPixels);
    SetInputXRes(96);
    SetInputYRes(96);
  }
  void EncodeTextBox(TkmTextBoxItem& AObject) override {
    Log.push_back("TextBox");
    TkmCustomDocumentEngine::EncodeTextBox(AObject);
  }
  // The text items recorded on the current page, in order.
  std::vector<TkmTextItem*> Recorded() const {
    std::vector<TkmTextItem*> items;
    if (!GetCurrentDocumentItemList()) return items;
    for (const auto& item : *GetCurrentDocumentItemList()) {
      if (auto* text = dynamic_cast<TkmTextItem*>(item.get())) items.push_back(text);
    }
    return items;
  }
};

}  // namespace km::test
