#pragma once
// The minimal font lookup of the canvases: a TFont's family and style are
// matched through fontconfig (so "Arial" finds its metric twin), the face is
// opened with FreeType, and advances are measured from its unhinted metrics.
// The full font catalogue lives elsewhere; canvases reach fonts only through
// TFontMatcher, so it can be replaced by installing another matcher.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kmGraphicsValues.h"

typedef struct FT_FaceRec_* FT_Face;

namespace km {

// One opened face; shared between canvases of the process.
class TFontFace {
 public:
  virtual ~TFontFace() = default;
  virtual FT_Face Face() const = 0;
  virtual const std::string& FilePath() const = 0;
};

class TFontMatcher {
 public:
  virtual ~TFontMatcher() = default;
  // The face for a font's name, weight and slant; nullptr when no font is
  // installed at all.
  virtual std::shared_ptr<TFontFace> Match(const TFont& font) = 0;
};

// The process's matcher (the fontconfig one unless replaced).
TFontMatcher& CurrentFontMatcher();
// Installs another matcher; nullptr restores the fontconfig one.
void SetFontMatcher(std::shared_ptr<TFontMatcher> matcher);

// The em size in pixels of a font's Height: a negative height is the em
// height; a positive one the cell height, scaled by the face's
// em / (ascender - descender); 0 stands for 12 pixels.
double FontEmPixels(const TFont& font, const TFontFace* face);

// Advances of each UTF-16 code unit of text at em size em (pixels), rounded
// to integers; a surrogate pair gets its advance on the first unit, 0 on the
// second.
std::vector<std::int32_t> MeasureAdvances(const TFontFace& face, double em, const std::u16string& text);

// Ascent and descent in pixels at em size em.
void FontAscentDescent(const TFontFace& face, double em, double& ascent, double& descent);

}  // namespace km
