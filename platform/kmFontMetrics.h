#pragma once
// A face selected at a size, and the GDI-like metrics synthesised from its
// tables: text metrics, outline text metrics and integer-pixel text extents.
// All lengths are pixels of the selected size unless named font units.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "kmFontFace.h"
#include "kmGraphicsValues.h"

namespace km {

// Bits of TTextMetric::tmPitchAndFamily. TMPF_FIXED_PITCH is set for a
// *variable* pitch face, as the platform defines it.
constexpr std::uint8_t TMPF_FIXED_PITCH = 0x01, TMPF_VECTOR = 0x02, TMPF_TRUETYPE = 0x04, TMPF_DEVICE = 0x08;
constexpr std::uint8_t FF_DONTCARE = 0x00, FF_ROMAN = 0x10, FF_SWISS = 0x20, FF_MODERN = 0x30, FF_SCRIPT = 0x40,
                       FF_DECORATIVE = 0x50;

struct TTextMetric {
  int tmHeight = 0;            // ascent + descent
  int tmAscent = 0;
  int tmDescent = 0;
  int tmInternalLeading = 0;   // tmHeight minus the em height
  int tmExternalLeading = 0;
  int tmAveCharWidth = 0;
  int tmMaxCharWidth = 0;
  int tmWeight = 0;
  int tmOverhang = 0;
  int tmDigitizedAspectX = 0;
  int tmDigitizedAspectY = 0;
  char16_t tmFirstChar = 0;
  char16_t tmLastChar = 0;
  char16_t tmDefaultChar = 0;
  char16_t tmBreakChar = 0;
  std::uint8_t tmItalic = 0;
  std::uint8_t tmUnderlined = 0;
  std::uint8_t tmStruckOut = 0;
  std::uint8_t tmPitchAndFamily = 0;
  std::uint8_t tmCharSet = 0;
};

struct TFontBox {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

struct TOutlineTextMetric {
  TTextMetric otmTextMetrics;
  std::array<std::uint8_t, 10> otmPanoseNumber{};
  std::uint32_t otmfsSelection = 0;
  std::uint32_t otmfsType = 0;         // embedding licence bits of OS/2
  int otmsCharSlopeRise = 1;
  int otmsCharSlopeRun = 0;
  int otmItalicAngle = 0;              // tenths of a degree, negative for a right lean
  unsigned otmEMSquare = 0;            // font units per em
  int otmAscent = 0;                   // typographic ascender
  int otmDescent = 0;                  // typographic descender (negative)
  unsigned otmLineGap = 0;
  unsigned otmsCapEmHeight = 0;
  unsigned otmsXHeight = 0;
  TFontBox otmrcFontBox;               // head bounding box: Top is yMax, Bottom is yMin
  int otmMacAscent = 0;
  int otmMacDescent = 0;
  unsigned otmMacLineGap = 0;
  unsigned otmusMinimumPPEM = 0;
  int otmsStrikeoutSize = 0;
  int otmsStrikeoutPosition = 0;
  int otmsUnderscoreSize = 0;
  int otmsUnderscorePosition = 0;
  std::u16string otmpFamilyName;
  std::u16string otmpStyleName;
  std::u16string otmpFullName;
};

// A glyph's widths: A the space before its outline, B the outline's width,
// C the space after it; A + B + C is the advance.
struct TABC {
  int abcA = 0;
  int abcB = 0;
  int abcC = 0;
};

// A face at a size with the requested attributes, as a font selected into a
// screen device context. Shares the face with the catalogue that made it.
class FontInstance {
 public:
  // `height` follows the logical-font rule: negative for the em height in
  // pixels, positive for the cell height (ascent + descent), never 0.
  FontInstance(std::shared_ptr<const FontFace> face, int height, int weight, bool italic, TFontCharset charset,
               bool underline = false, bool strike_out = false);

  const FontFace& Face() const { return *face_; }
  std::shared_ptr<const FontFace> SharedFace() const { return face_; }
  // The em height in pixels, fractional when the font was asked by cell height.
  double EmPixels() const { return em_pixels_; }
  TFontCharset GetCharset() const { return charset_; }

  TTextMetric GetTextMetrics() const;
  // Outline metrics; available for every scalable face.
  TOutlineTextMetric GetOutlineTextMetrics() const;
  // Extent of the text in whole pixels: the sum of every character's advance,
  // each rounded to whole pixels, and the cell height. Characters outside the
  // face draw its missing glyph. Kerning is not applied. An empty text has
  // width 0.
  TSize GetTextExtent(std::u16string_view text) const;
  // Advance of one glyph in whole pixels.
  int GlyphAdvance(unsigned glyph) const;
  // ABC widths of one glyph in whole pixels, from its unhinted outline; their
  // sum is GlyphAdvance.
  TABC GetGlyphABC(unsigned glyph) const;

 private:
  int Scale(double units) const;

  std::shared_ptr<const FontFace> face_;
  double em_pixels_;
  int weight_;
  bool italic_;
  TFontCharset charset_;
  bool underline_;
  bool strike_out_;
};

}  // namespace km
