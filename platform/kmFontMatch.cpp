#include "kmFontMatch.h"

#include <cmath>
#include <map>
#include <mutex>
#include <tuple>

#include "kmCodePage.h"
#include "kmLibHandles.h"

namespace km {

namespace {

class FcFace : public TFontFace {
 public:
  FcFace(FtFacePtr face, std::string path) : face_(std::move(face)), path_(std::move(path)) {}
  FT_Face Face() const override { return face_.get(); }
  const std::string& FilePath() const override { return path_; }

 private:
  FtFacePtr face_;
  std::string path_;
};

// Matches with fontconfig's default configuration and keeps every opened face
// for the life of the process (faces are few: one per family and style).
class FontconfigMatcher : public TFontMatcher {
 public:
  std::shared_ptr<TFontFace> Match(const TFont& font) override {
    std::lock_guard lock(mutex_);
    auto key = std::make_tuple(font.GetName(), font.IsBold(), font.IsItalic());
    if (auto it = cache_.find(key); it != cache_.end()) return it->second;
    auto face = Open(font);
    cache_[key] = face;
    return face;
  }

 private:
  std::shared_ptr<TFontFace> Open(const TFont& font) {
    if (!library_) {
      FT_Library lib = nullptr;
      if (FT_Init_FreeType(&lib) != 0) return nullptr;
      library_.reset(lib);
    }
    std::string family = WideToUtf8(font.GetName());
    if (family.empty()) family = "sans-serif";
    FcPatternPtr pattern(FcPatternCreate());
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, font.IsBold() ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT, font.IsItalic() ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    FcPatternPtr match(FcFontMatch(nullptr, pattern.get(), &result));
    if (!match) return nullptr;
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch) return nullptr;
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
    FT_Face face = nullptr;
    std::string path(reinterpret_cast<const char*>(file));
    if (FT_New_Face(library_.get(), path.c_str(), index, &face) != 0) return nullptr;
    return std::make_shared<FcFace>(FtFacePtr(face), path);
  }

  std::mutex mutex_;
  FtLibraryPtr library_;
  std::map<std::tuple<std::u16string, bool, bool>, std::shared_ptr<TFontFace>> cache_;
};

std::shared_ptr<TFontMatcher>& MatcherSlot() {
  static std::shared_ptr<TFontMatcher> slot;
  return slot;
}

TFontMatcher& DefaultMatcher() {
  static FontconfigMatcher matcher;
  return matcher;
}

}  // namespace

TFontMatcher& CurrentFontMatcher() {
  if (auto& m = MatcherSlot()) return *m;
  return DefaultMatcher();
}

void SetFontMatcher(std::shared_ptr<TFontMatcher> matcher) { MatcherSlot() = std::move(matcher); }

double FontEmPixels(const TFont& font, const TFontFace* face) {
  int h = font.GetHeight();
  if (h < 0) return -static_cast<double>(h);
  if (h == 0) return 12.0;
  if (face && face->Face()) {
    FT_Face f = face->Face();
    double cell = static_cast<double>(f->ascender) - f->descender;
    // In floating point: a hostile metafile may ask for a height whose
    // product with the em size does not fit an int.
    if (cell > 0) return h * static_cast<double>(f->units_per_EM) / cell;
  }
  return h;
}

std::vector<std::int32_t> MeasureAdvances(const TFontFace& face, double em, const std::u16string& text) {
  std::vector<std::int32_t> out(text.size(), 0);
  FT_Face f = face.Face();
  if (!f || f->units_per_EM == 0) return out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    bool pair = cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000;
    if (pair) cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
    FT_UInt glyph = FT_Get_Char_Index(f, cp);
    FT_Fixed advance = 0;
    if (FT_Load_Glyph(f, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) == 0) advance = f->glyph->advance.x;
    out[i] = static_cast<std::int32_t>(std::nearbyint(advance * em / f->units_per_EM));
    if (pair) ++i;
  }
  return out;
}

void FontAscentDescent(const TFontFace& face, double em, double& ascent, double& descent) {
  FT_Face f = face.Face();
  if (!f || f->units_per_EM == 0) {
    ascent = em * 0.8;
    descent = em * 0.2;
    return;
  }
  ascent = static_cast<double>(f->ascender) * em / f->units_per_EM;
  descent = -static_cast<double>(f->descender) * em / f->units_per_EM;
}

}  // namespace km
