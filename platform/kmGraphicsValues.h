#pragma once
// Font, pen and brush: the copyable graphics values that the engine keeps in
// its settings and items and that canvases select.

#include <cstdint>
#include <string>

#include "kmColors.h"
#include "kmSet.h"

namespace km {

// A width and a height in pixels.
struct TSize {
  std::int32_t cx = 0;
  std::int32_t cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

// Reading order of text, in the platform's order of bidirectional modes.
enum class TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = Set<TFontStyle, 4>;

enum class TFontPitch { fpDefault, fpVariable, fpFixed };

using TFontCharset = std::uint8_t;
constexpr TFontCharset ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, MAC_CHARSET = 77,
                       SHIFTJIS_CHARSET = 128, HANGEUL_CHARSET = 129, JOHAB_CHARSET = 130,
                       GB2312_CHARSET = 134, CHINESEBIG5_CHARSET = 136, GREEK_CHARSET = 161,
                       TURKISH_CHARSET = 162, VIETNAMESE_CHARSET = 163, HEBREW_CHARSET = 177,
                       ARABIC_CHARSET = 178, BALTIC_CHARSET = 186, RUSSIAN_CHARSET = 204,
                       THAI_CHARSET = 222, EASTEUROPE_CHARSET = 238, OEM_CHARSET = 255;

// A font description. Height is in pixels of PixelsPerInch: negative for the
// character height (em size), positive for the cell height, 0 for the default.
// Size is in points and derived from Height: Size = -Height * 72 / PixelsPerInch.
class TFont {
 public:
  TFont();

  const std::u16string& GetName() const { return name_; }
  void SetName(std::u16string v) { name_ = std::move(v); }
  int GetHeight() const { return height_; }
  void SetHeight(int v) { height_ = v; }
  // Points, rounded as the platform's MulDiv rounds.
  int GetSize() const;
  // Sets Height to -Size * PixelsPerInch / 72.
  void SetSize(int points);
  TFontStyles GetStyle() const { return style_; }
  void SetStyle(TFontStyles v) { style_ = v; }
  TFontCharset GetCharset() const { return charset_; }
  void SetCharset(TFontCharset v) { charset_ = v; }
  TFontPitch GetPitch() const { return pitch_; }
  void SetPitch(TFontPitch v) { pitch_ = v; }
  // Escapement of the baseline in tenths of a degree, counter-clockwise.
  int GetOrientation() const { return orientation_; }
  void SetOrientation(int v) { orientation_ = v; }
  TColor GetColor() const { return color_; }
  void SetColor(TColor v) { color_ = v; }
  int GetPixelsPerInch() const { return pixels_per_inch_; }
  void SetPixelsPerInch(int v) { if (v > 0) pixels_per_inch_ = v; }

  bool IsBold() const { return style_.Contains(TFontStyle::fsBold); }
  bool IsItalic() const { return style_.Contains(TFontStyle::fsItalic); }

  void Assign(const TFont& other) { *this = other; }
  friend bool operator==(const TFont&, const TFont&) = default;

 private:
  std::u16string name_;
  int height_;
  TFontStyles style_;
  TFontCharset charset_ = DEFAULT_CHARSET;
  TFontPitch pitch_ = TFontPitch::fpDefault;
  int orientation_ = 0;
  TColor color_ = clWindowText;
  int pixels_per_inch_;
};

enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame, psUserStyle, psAlternate };

enum class TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};

class TPen {
 public:
  TColor GetColor() const { return color_; }
  void SetColor(TColor v) { color_ = v; }
  // Width in pixels; 0 draws the thinnest visible line.
  int GetWidth() const { return width_; }
  void SetWidth(int v) { width_ = v; }
  TPenStyle GetStyle() const { return style_; }
  void SetStyle(TPenStyle v) { style_ = v; }
  TPenMode GetMode() const { return mode_; }
  void SetMode(TPenMode v) { mode_ = v; }

  void Assign(const TPen& other) { *this = other; }
  friend bool operator==(const TPen&, const TPen&) = default;

 private:
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = TPenStyle::psSolid;
  TPenMode mode_ = TPenMode::pmCopy;
};

enum class TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush {
 public:
  TColor GetColor() const { return color_; }
  void SetColor(TColor v) { color_ = v; }
  TBrushStyle GetStyle() const { return style_; }
  void SetStyle(TBrushStyle v) { style_ = v; }

  void Assign(const TBrush& other) { *this = other; }
  friend bool operator==(const TBrush&, const TBrush&) = default;

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = TBrushStyle::bsSolid;
};

}  // namespace km
