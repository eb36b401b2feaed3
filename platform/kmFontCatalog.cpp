#include "kmFontCatalog.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "kmCodePage.h"
#include "kmMath.h"
#include "kmScreen.h"

namespace km {

namespace {

char16_t FoldAscii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

bool LessIgnoringCase(const std::u16string& a, const std::u16string& b) {
  auto less = [](char16_t x, char16_t y) { return FoldAscii(x) < FoldAscii(y); };
  if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), less)) return true;
  if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), less)) return false;
  return a < b;  // same letters: a fixed order for names that differ only in case
}

std::u16string FcString(FcPattern* pattern, const char* object, int n) {
  FcChar8* value = nullptr;
  if (FcPatternGetString(pattern, object, n, &value) != FcResultMatch || value == nullptr) return {};
  return Utf8ToWide(reinterpret_cast<const char*>(value));
}

// The Windows-style family of a face: fontconfig lists the typographic family
// first and the legacy (name ID 1) family after it; the last English name is
// the legacy one.
std::u16string WindowsFamily(FcPattern* pattern) {
  std::u16string first, english;
  for (int n = 0;; ++n) {
    std::u16string name = FcString(pattern, FC_FAMILY, n);
    if (name.empty()) break;
    if (n == 0) first = name;
    if (FcString(pattern, FC_FAMILYLANG, n) == u"en") english = name;
  }
  return english.empty() ? first : english;
}

std::vector<FontFaceEntry> ListFaces(FcConfig* config) {
  FcPatternPtr all(FcPatternCreate());
  FcObjectSetPtr objects(FcObjectSetBuild(FC_FAMILY, FC_FAMILYLANG, FC_STYLE, FC_FILE, FC_INDEX, FC_WEIGHT, FC_SLANT,
                                          FC_WIDTH, FC_VARIABLE, nullptr));
  FcFontSetPtr set(FcFontList(config, all.get(), objects.get()));
  std::vector<FontFaceEntry> faces;
  if (!set) return faces;
  for (int i = 0; i < set->nfont; ++i) {
    FcPattern* p = set->fonts[i];
    FcBool variable = FcFalse;
    if (FcPatternGetBool(p, FC_VARIABLE, 0, &variable) == FcResultMatch && variable) continue;
    FcChar8* file = nullptr;
    int index = 0, slant = FC_SLANT_ROMAN, width = FC_WIDTH_NORMAL;
    double weight = FC_WEIGHT_REGULAR;
    if (FcPatternGetString(p, FC_FILE, 0, &file) != FcResultMatch) continue;
    FcPatternGetInteger(p, FC_INDEX, 0, &index);
    if (index >> 16 != 0) continue;  // named instances of variable fonts
    FcPatternGetDouble(p, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(p, FC_SLANT, 0, &slant);
    FcPatternGetInteger(p, FC_WIDTH, 0, &width);
    FontFaceEntry e;
    e.family = WindowsFamily(p);
    if (e.family.empty()) continue;
    e.style = FcString(p, FC_STYLE, 0);
    e.file = reinterpret_cast<const char*>(file);
    e.index = index;
    e.weight = static_cast<int>(Round(FcWeightToOpenTypeDouble(weight)));
    e.italic = slant != FC_SLANT_ROMAN;
    e.width = width;
    faces.push_back(std::move(e));
  }
  // fontconfig lists in no promised order; sort for stable selection.
  std::sort(faces.begin(), faces.end(), [](const FontFaceEntry& a, const FontFaceEntry& b) {
    if (a.family != b.family) return LessIgnoringCase(a.family, b.family);
    if (a.file != b.file) return a.file < b.file;
    return a.index < b.index;
  });
  return faces;
}

std::string XmlEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::unique_ptr<FontCatalog>& DefaultSlot() {
  static std::unique_ptr<FontCatalog> slot;
  return slot;
}

}  // namespace

bool SameFamilyName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

TLogFont LogFontFromFont(const TFont& font) {
  TLogFont lf;
  lf.lfFaceName = font.GetName();
  lf.lfHeight = font.GetHeight();
  lf.lfWeight = font.IsBold() ? 700 : 400;
  lf.lfItalic = font.IsItalic();
  lf.lfUnderline = font.GetStyle().Contains(TFontStyle::fsUnderline);
  lf.lfStrikeOut = font.GetStyle().Contains(TFontStyle::fsStrikeOut);
  lf.lfCharSet = font.GetCharset();
  return lf;
}

FontCatalog::FontCatalog(std::vector<FontFaceEntry> faces) : faces_(std::move(faces)) {
  for (const FontFaceEntry& f : faces_) {
    if (families_.empty() || families_.back() != f.family) families_.push_back(f.family);
  }
}

FontCatalog::~FontCatalog() = default;

std::unique_ptr<FontCatalog> FontCatalog::FromSystem() {
  FcConfigPtr config(FcInitLoadConfigAndFonts());
  if (!config) return std::unique_ptr<FontCatalog>(new FontCatalog({}));
  return std::unique_ptr<FontCatalog>(new FontCatalog(ListFaces(config.get())));
}

std::unique_ptr<FontCatalog> FontCatalog::FromDirectory(const std::string& directory) {
  // A configuration of its own: the one font directory and a cache folder
  // that is writable, so fontconfig neither reads the system's settings nor
  // complains about caches.
  std::error_code ec;
  std::filesystem::path cache = std::filesystem::temp_directory_path(ec) / "km-fontconfig-cache";
  std::string xml = "<?xml version=\"1.0\"?><fontconfig><dir>" + XmlEscape(directory) + "</dir><cachedir>" +
                    XmlEscape(cache.string()) + "</cachedir></fontconfig>";
  FcConfigPtr config(FcConfigCreate());
  if (!config) return nullptr;
  if (!FcConfigParseAndLoadFromMemory(config.get(), reinterpret_cast<const FcChar8*>(xml.c_str()), FcFalse) ||
      !FcConfigBuildFonts(config.get())) {
    return nullptr;
  }
  return std::unique_ptr<FontCatalog>(new FontCatalog(ListFaces(config.get())));
}

FontCatalog& FontCatalog::Default() {
  auto& slot = DefaultSlot();
  if (!slot) slot = FromSystem();
  return *slot;
}

std::unique_ptr<FontCatalog> FontCatalog::SetDefault(std::unique_ptr<FontCatalog> catalog) {
  std::unique_ptr<FontCatalog> previous = std::move(DefaultSlot());
  DefaultSlot() = std::move(catalog);
  return previous;
}

bool FontCatalog::IsInstalled(std::u16string_view family) const {
  return std::any_of(families_.begin(), families_.end(),
                     [&](const std::u16string& f) { return SameFamilyName(f, family); });
}

std::vector<std::u16string> FontCatalog::SubstitutesOf(std::u16string_view family) {
  // Usual Windows families and the installed faces that stand in for them:
  // metric twins first, otherwise a face of the same design class.
  struct Twin { const char16_t* windows; std::vector<std::u16string> twins; };
  static const std::vector<Twin> kTwins = {
      {u"Arial", {u"Liberation Sans", u"Arimo", u"DejaVu Sans"}},
      {u"Helvetica", {u"Liberation Sans", u"Arimo", u"DejaVu Sans"}},
      {u"Arial Narrow", {u"Liberation Sans Narrow", u"DejaVu Sans Condensed"}},
      {u"Times New Roman", {u"Liberation Serif", u"Tinos", u"DejaVu Serif"}},
      {u"Times", {u"Liberation Serif", u"Tinos", u"DejaVu Serif"}},
      {u"Courier New", {u"Liberation Mono", u"Cousine", u"DejaVu Sans Mono"}},
      {u"Courier", {u"Liberation Mono", u"Cousine", u"DejaVu Sans Mono"}},
      {u"Calibri", {u"Carlito", u"Liberation Sans", u"DejaVu Sans"}},
      {u"Cambria", {u"Caladea", u"Liberation Serif", u"DejaVu Serif"}},
      {u"Tahoma", {u"DejaVu Sans", u"Liberation Sans"}},
      {u"Verdana", {u"DejaVu Sans", u"Liberation Sans"}},
      {u"Segoe UI", {u"DejaVu Sans", u"Liberation Sans"}},
      {u"MS Sans Serif", {u"Liberation Sans", u"DejaVu Sans"}},
      {u"Microsoft Sans Serif", {u"Liberation Sans", u"DejaVu Sans"}},
      {u"MS Shell Dlg", {u"Liberation Sans", u"DejaVu Sans"}},
      {u"MS Shell Dlg 2", {u"DejaVu Sans", u"Liberation Sans"}},
      {u"Lucida Sans Unicode", {u"DejaVu Sans", u"Liberation Sans"}},
      {u"Georgia", {u"DejaVu Serif", u"Liberation Serif"}},
      {u"MS Serif", {u"Liberation Serif", u"DejaVu Serif"}},
      {u"Lucida Console", {u"DejaVu Sans Mono", u"Liberation Mono"}},
      {u"Consolas", {u"DejaVu Sans Mono", u"Liberation Mono"}},
      {u"SimSun", {u"WenQuanYi Zen Hei"}},
      {u"NSimSun", {u"WenQuanYi Zen Hei Mono"}},
      {u"SimHei", {u"WenQuanYi Zen Hei"}},
      {u"Microsoft YaHei", {u"WenQuanYi Zen Hei"}},
      {u"MingLiU", {u"WenQuanYi Zen Hei Mono"}},
      {u"PMingLiU", {u"WenQuanYi Zen Hei"}},
      {u"MS Gothic", {u"WenQuanYi Zen Hei Mono"}},
      {u"MS PGothic", {u"WenQuanYi Zen Hei"}},
      {u"MS Mincho", {u"WenQuanYi Zen Hei Mono"}},
      {u"MS UI Gothic", {u"WenQuanYi Zen Hei"}},
      {u"Meiryo", {u"WenQuanYi Zen Hei"}},
      {u"Gulim", {u"WenQuanYi Zen Hei"}},
      {u"Malgun Gothic", {u"WenQuanYi Zen Hei"}},
  };
  for (const Twin& t : kTwins) {
    if (SameFamilyName(t.windows, family)) return t.twins;
  }
  return {};
}

std::u16string FontCatalog::ResolveFamily(std::u16string_view family) const {
  for (const std::u16string& f : families_) {
    if (SameFamilyName(f, family)) return f;
  }
  for (const std::u16string& twin : SubstitutesOf(family)) {
    for (const std::u16string& f : families_) {
      if (SameFamilyName(f, twin)) return f;
    }
  }
  return {};
}

std::vector<TFontCharset> FontCatalog::GetSupportedCharsets(std::u16string_view family) const {
  std::u16string resolved = ResolveFamily(family);
  std::vector<TFontCharset> sets;
  if (resolved.empty()) return sets;
  for (const FontFaceEntry& e : faces_) {
    if (e.family != resolved) continue;
    std::shared_ptr<const FontFace> face = OpenFace(e);
    if (!face) continue;
    for (TFontCharset c : face->GetCharsets()) {
      if (std::find(sets.begin(), sets.end(), c) == sets.end()) sets.push_back(c);
    }
  }
  return sets;
}

bool FontCatalog::IsTrueTypeFamily(std::u16string_view family) const {
  std::u16string resolved = ResolveFamily(family);
  for (const FontFaceEntry& e : faces_) {
    if (e.family != resolved) continue;
    std::shared_ptr<const FontFace> face = OpenFace(e);
    return face && face->IsTrueType();
  }
  return false;
}

std::shared_ptr<const FontFace> FontCatalog::OpenFace(const FontFaceEntry& entry) const {
  auto key = std::make_pair(entry.file, entry.index);
  auto it = open_faces_.find(key);
  if (it != open_faces_.end()) return it->second;
  std::shared_ptr<const FontFace> face = FontFace::Open(entry.file, entry.index);
  if (face) open_faces_.emplace(key, face);
  return face;
}

const FontFaceEntry* FontCatalog::BestFace(const std::u16string& family, const TLogFont& request) const {
  int weight = request.lfWeight > 0 ? request.lfWeight : 400;
  const FontFaceEntry* best = nullptr;
  long best_score = 0;
  for (const FontFaceEntry& e : faces_) {
    if (e.family != family) continue;
    long score = (e.italic != request.lfItalic ? 10000 : 0) + std::labs(e.weight - weight) +
                 4 * std::labs(e.width - FC_WIDTH_NORMAL);
    if (best == nullptr || score < best_score) {
      best = &e;
      best_score = score;
    }
  }
  return best;
}

std::u16string FontCatalog::FallbackFamily(TFontCharset charset) const {
  auto offers = [&](const std::u16string& family) {
    if (charset == DEFAULT_CHARSET || charset == OEM_CHARSET) return true;
    std::vector<TFontCharset> sets = GetSupportedCharsets(family);
    return std::find(sets.begin(), sets.end(), charset) != sets.end();
  };
  for (const char16_t* preferred : {u"DejaVu Sans", u"Liberation Sans", u"Noto Sans"}) {
    std::u16string f = ResolveFamily(preferred);
    if (!f.empty() && offers(f)) return f;
  }
  for (const std::u16string& f : families_) {
    if (offers(f)) return f;
  }
  return families_.empty() ? std::u16string() : families_.front();
}

std::unique_ptr<FontInstance> FontCatalog::CreateFont(const TLogFont& request) const {
  std::u16string family = ResolveFamily(request.lfFaceName);
  if (family.empty()) family = FallbackFamily(request.lfCharSet);
  const FontFaceEntry* entry = BestFace(family, request);
  if (entry == nullptr) return nullptr;
  std::shared_ptr<const FontFace> face = OpenFace(*entry);
  if (!face) return nullptr;
  std::vector<TFontCharset> sets = face->GetCharsets();
  auto offered = [&](TFontCharset c) { return std::find(sets.begin(), sets.end(), c) != sets.end(); };
  TFontCharset charset = request.lfCharSet;
  if (charset == DEFAULT_CHARSET || !offered(charset)) charset = offered(ANSI_CHARSET) ? ANSI_CHARSET : sets.front();
  int height = request.lfHeight != 0 ? request.lfHeight : -MulDiv(12, Screen::PixelsPerInchY(), 72);
  return std::make_unique<FontInstance>(face, height, request.lfWeight > 0 ? request.lfWeight : 400,
                                        request.lfItalic, charset, request.lfUnderline, request.lfStrikeOut);
}

}  // namespace km
