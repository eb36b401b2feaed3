#include "kmUtilsFonts.h"

#include <algorithm>

#include "kmFontCatalog.h"

namespace km {

TSize TextSize(const std::u16string& text, const TFont& font) {
  std::unique_ptr<FontInstance> selected = FontCatalog::Default().CreateFont(font);
  if (!selected) return {};
  return selected->GetTextExtent(text);
}

void GetSupportedCharSets(const std::u16string& face_name, std::vector<int>& charsets) {
  static constexpr int kRecognised[] = {0, 2, 77, 128, 129, 130, 134, 136, 161, 162, 163, 177, 178, 186, 204, 222, 238, 255};
  std::u16string name = face_name.substr(0, 31);
  for (TFontCharset set : FontCatalog::Default().GetSupportedCharsets(name)) {
    int value = set;
    bool recognised = std::find(std::begin(kRecognised), std::end(kRecognised), value) != std::end(kRecognised);
    if (recognised && std::find(charsets.begin(), charsets.end(), value) == charsets.end()) charsets.push_back(value);
  }
}

}  // namespace km
