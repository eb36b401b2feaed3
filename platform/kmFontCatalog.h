#pragma once
// The installed font families and font selection, over fontconfig. A catalogue
// is either the system's or one built from a private directory (tests); the
// process-wide default can be replaced, like the screen resolution.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kmFontFace.h"
#include "kmFontMetrics.h"
#include "kmGraphicsValues.h"

namespace km {

// What a caller asks for, as in a logical font.
struct TLogFont {
  std::u16string lfFaceName;
  int lfHeight = 0;   // < 0 em height in pixels, > 0 cell height, 0 the default (12 points)
  int lfWeight = 400;  // 0 means 400
  bool lfItalic = false;
  bool lfUnderline = false;
  bool lfStrikeOut = false;
  TFontCharset lfCharSet = DEFAULT_CHARSET;
};

// The logical font of a font value: its name, height, style and character set.
TLogFont LogFontFromFont(const TFont& font);

// One installed face. `family` is the face's Windows-style family name (the
// legacy family of its name table, e.g. "DejaVu Sans Condensed").
struct FontFaceEntry {
  std::u16string family;
  std::u16string style;
  std::string file;
  int index = 0;
  int weight = 400;   // OpenType weight class
  bool italic = false;
  int width = 100;    // fontconfig width, 100 is normal
};

class FontCatalog {
 public:
  // The fonts of the system's fontconfig configuration.
  static std::unique_ptr<FontCatalog> FromSystem();
  // Only the fonts found under `directory`; no system configuration is read,
  // so the result depends on the directory alone. Null when fontconfig fails.
  static std::unique_ptr<FontCatalog> FromDirectory(const std::string& directory);

  // The process-wide catalogue (the system's, created at first use).
  static FontCatalog& Default();
  // Replaces the process-wide catalogue; returns the previous one.
  static std::unique_ptr<FontCatalog> SetDefault(std::unique_ptr<FontCatalog> catalog);

  ~FontCatalog();

  // Installed family names, each once, sorted case-insensitively.
  const std::vector<std::u16string>& GetFamilies() const { return families_; }
  const std::vector<FontFaceEntry>& GetFaces() const { return faces_; }
  // True when a family of that name (compared case-insensitively) is installed.
  bool IsInstalled(std::u16string_view family) const;
  // The installed family that draws `family`: the family itself when it is
  // installed (with its installed spelling), else its metric twin when the
  // family is a usual Windows family and a twin is installed; empty otherwise.
  std::u16string ResolveFamily(std::u16string_view family) const;
  // The installed twins tried for a Windows family name, in order of preference.
  static std::vector<std::u16string> SubstitutesOf(std::u16string_view family);
  // Character sets of every face of the family (as ResolveFamily finds it), in
  // order of first report; empty for a family that is not there.
  std::vector<TFontCharset> GetSupportedCharsets(std::u16string_view family) const;
  // True when the family's first face has TrueType outlines ('glyf').
  bool IsTrueTypeFamily(std::u16string_view family) const;

  // Opens a face (cached for the catalogue's lifetime); null when it cannot.
  std::shared_ptr<const FontFace> OpenFace(const FontFaceEntry& entry) const;
  // Selects a face for a logical font: the resolved family's face nearest in
  // italic, weight and width; for an unknown family the first installed of
  // DejaVu Sans, Liberation Sans, Noto Sans, or of all families, that offers
  // the requested character set. Null only when nothing can be opened.
  std::unique_ptr<FontInstance> CreateFont(const TLogFont& request) const;
  // The same for a font value.
  std::unique_ptr<FontInstance> CreateFont(const TFont& font) const { return CreateFont(LogFontFromFont(font)); }

 private:
  explicit FontCatalog(std::vector<FontFaceEntry> faces);
  const FontFaceEntry* BestFace(const std::u16string& family, const TLogFont& request) const;
  std::u16string FallbackFamily(TFontCharset charset) const;

  std::vector<FontFaceEntry> faces_;
  std::vector<std::u16string> families_;
  mutable std::map<std::pair<std::string, int>, std::shared_ptr<const FontFace>> open_faces_;
};

// Compares two family names ignoring the case of ASCII letters.
bool SameFamilyName(std::u16string_view a, std::u16string_view b);

// Installs a catalogue as the process-wide one for a scope; for tests.
class ScopedFontCatalog {
 public:
  explicit ScopedFontCatalog(std::unique_ptr<FontCatalog> catalog)
      : previous_(FontCatalog::SetDefault(std::move(catalog))) {}
  ~ScopedFontCatalog() { FontCatalog::SetDefault(std::move(previous_)); }
  ScopedFontCatalog(const ScopedFontCatalog&) = delete;
  ScopedFontCatalog& operator=(const ScopedFontCatalog&) = delete;

 private:
  std::unique_ptr<FontCatalog> previous_;
};

}  // namespace km
