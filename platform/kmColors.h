#pragma once
// Colours as the platform holds them: 0x00BBGGRR for plain RGB; a value whose
// most significant byte is 0xFF names a system colour by its low bits.

#include <cstdint>

namespace km {

using TColor = std::uint32_t;

// Builds 0x00BBGGRR from components.
constexpr TColor RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return static_cast<TColor>(r) | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}
constexpr std::uint8_t GetRValue(TColor c) { return c & 0xFF; }
constexpr std::uint8_t GetGValue(TColor c) { return (c >> 8) & 0xFF; }
constexpr std::uint8_t GetBValue(TColor c) { return (c >> 16) & 0xFF; }

// System colour indexes (COLOR_*).
enum SysColorIndex : std::uint32_t {
  COLOR_SCROLLBAR = 0, COLOR_BACKGROUND, COLOR_ACTIVECAPTION, COLOR_INACTIVECAPTION, COLOR_MENU,
  COLOR_WINDOW, COLOR_WINDOWFRAME, COLOR_MENUTEXT, COLOR_WINDOWTEXT, COLOR_CAPTIONTEXT,
  COLOR_ACTIVEBORDER, COLOR_INACTIVEBORDER, COLOR_APPWORKSPACE, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT,
  COLOR_BTNFACE, COLOR_BTNSHADOW, COLOR_GRAYTEXT, COLOR_BTNTEXT, COLOR_INACTIVECAPTIONTEXT,
  COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT, COLOR_INFOTEXT, COLOR_INFOBK,
  COLOR_RESERVED25, COLOR_HOTLIGHT, COLOR_GRADIENTACTIVECAPTION, COLOR_GRADIENTINACTIVECAPTION,
  COLOR_MENUHILIGHT, COLOR_MENUBAR, COLOR_COUNT
};

constexpr TColor clSystemColor = 0xFF000000u;

// Named colours of the component library.
constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;

// The RGB value of a system colour index (the usual Windows defaults); 0 for
// an index outside the table.
TColor GetSysColor(std::uint32_t index);

// The plain RGB value of a colour: a system colour (most significant byte
// 0xFF) is resolved through GetSysColor of its low 24 bits; any other value is
// returned as it is.
TColor ColorToRGB(TColor color);

// True when the most significant byte marks a system colour.
constexpr bool IsSystemColor(TColor c) { return (c & 0xFF000000u) == 0xFF000000u; }

}  // namespace km
