#include "kmColors.h"

#include <array>

namespace km {

namespace {
// The default Windows palette of system colours, by COLOR_* index.
constexpr std::array<TColor, COLOR_COUNT> kSysColors = {
    RGB(200, 200, 200),  // SCROLLBAR
    RGB(0, 0, 0),        // BACKGROUND
    RGB(153, 180, 209),  // ACTIVECAPTION
    RGB(191, 205, 219),  // INACTIVECAPTION
    RGB(240, 240, 240),  // MENU
    RGB(255, 255, 255),  // WINDOW
    RGB(100, 100, 100),  // WINDOWFRAME
    RGB(0, 0, 0),        // MENUTEXT
    RGB(0, 0, 0),        // WINDOWTEXT
    RGB(0, 0, 0),        // CAPTIONTEXT
    RGB(180, 180, 180),  // ACTIVEBORDER
    RGB(244, 247, 252),  // INACTIVEBORDER
    RGB(171, 171, 171),  // APPWORKSPACE
    RGB(0, 120, 215),    // HIGHLIGHT
    RGB(255, 255, 255),  // HIGHLIGHTTEXT
    RGB(240, 240, 240),  // BTNFACE
    RGB(160, 160, 160),  // BTNSHADOW
    RGB(109, 109, 109),  // GRAYTEXT
    RGB(0, 0, 0),        // BTNTEXT
    RGB(0, 0, 0),        // INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // BTNHIGHLIGHT
    RGB(105, 105, 105),  // 3DDKSHADOW
    RGB(227, 227, 227),  // 3DLIGHT
    RGB(0, 0, 0),        // INFOTEXT
    RGB(255, 255, 225),  // INFOBK
    RGB(0, 0, 0),        // (reserved)
    RGB(0, 102, 204),    // HOTLIGHT
    RGB(185, 209, 234),  // GRADIENTACTIVECAPTION
    RGB(215, 228, 242),  // GRADIENTINACTIVECAPTION
    RGB(0, 120, 215),    // MENUHILIGHT
    RGB(240, 240, 240),  // MENUBAR
};
}  // namespace

TColor GetSysColor(std::uint32_t index) {
  return index < kSysColors.size() ? kSysColors[index] : 0;
}

TColor ColorToRGB(TColor color) {
  return IsSystemColor(color) ? GetSysColor(color & 0x00FFFFFFu) : color;
}

}  // namespace km
