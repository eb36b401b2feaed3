#include "kmFontFace.h"

#include <fstream>
#include <iterator>

#include <freetype/ftadvanc.h>
#include <freetype/tttables.h>
#include <freetype/tttags.h>

#include "kmCodePage.h"
#include "kmFileBytes.h"

namespace km {

FtLibraryShared FreeTypeLibrary() {
  static FtLibraryShared library = []() -> FtLibraryShared {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) return nullptr;
    return FtLibraryShared(lib, FtLibraryDeleter());
  }();
  return library;
}

namespace {

std::uint32_t BigEndian32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return (std::uint32_t(b[at]) << 24) | (std::uint32_t(b[at + 1]) << 16) | (std::uint32_t(b[at + 2]) << 8) |
         std::uint32_t(b[at + 3]);
}

bool FileStartsWithCollectionTag(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char tag[4] = {};
  return in.read(tag, 4) && std::string(tag, 4) == "ttcf";
}

const TT_OS2* Os2(FT_Face face) {
  auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  return os2 != nullptr && os2->version != 0xFFFF ? os2 : nullptr;
}

}  // namespace

FontFace::FontFace(std::string path, int index, FtLibraryShared library, FtFacePtr face)
    : path_(std::move(path)), index_(index), library_(std::move(library)), face_(std::move(face)) {
  in_collection_ = FileStartsWithCollectionTag(path_);
  bool has_unicode = face_->charmap != nullptr && face_->charmap->encoding == FT_ENCODING_UNICODE;
  for (int i = 0; i < face_->num_charmaps; ++i) {
    FT_CharMap map = face_->charmaps[i];
    if (map->platform_id == 3 && map->encoding_id == 0) {
      symbol_cmap_ = true;
      if (!has_unicode) FT_Set_Charmap(face_.get(), map);
    }
  }
}

std::unique_ptr<FontFace> FontFace::Open(const std::string& path, int index) {
  FtLibraryShared lib = FreeTypeLibrary();
  if (!lib || index < 0) return nullptr;
  FT_Face face = nullptr;
  if (FT_New_Face(lib.get(), path.c_str(), index, &face) != 0) return nullptr;
  return std::unique_ptr<FontFace>(new FontFace(path, index, std::move(lib), FtFacePtr(face)));
}

std::u16string FontFace::GetFamilyName() const {
  return face_->family_name ? Utf8ToWide(face_->family_name) : std::u16string();
}

std::u16string FontFace::GetStyleName() const {
  return face_->style_name ? Utf8ToWide(face_->style_name) : std::u16string();
}

int FontFace::GetUnitsPerEm() const { return face_->units_per_EM > 0 ? face_->units_per_EM : 1000; }

bool FontFace::HasTable(std::uint32_t tag) const {
  FT_ULong length = 0;
  return FT_Load_Sfnt_Table(face_.get(), tag, 0, nullptr, &length) == 0 && length > 0;
}

bool FontFace::IsFixedPitch() const {
  auto* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(face_.get(), FT_SFNT_POST));
  if (post != nullptr && post->isFixedPitch != 0) return true;
  const TT_OS2* os2 = Os2(face_.get());
  if (os2 != nullptr && os2->panose[0] == 2 && os2->panose[3] == 9) return true;
  return FT_IS_FIXED_WIDTH(face_.get());
}

bool FontFace::IsBold() const { return GetWeight() >= 600; }

bool FontFace::IsItalic() const { return (face_->style_flags & FT_STYLE_FLAG_ITALIC) != 0; }

int FontFace::GetWeight() const {
  const TT_OS2* os2 = Os2(face_.get());
  if (os2 != nullptr && os2->usWeightClass >= 1 && os2->usWeightClass <= 1000) return os2->usWeightClass;
  return (face_->style_flags & FT_STYLE_FLAG_BOLD) ? 700 : 400;
}

std::uint32_t FontFace::GetUnicodeRange(int word) const {
  const TT_OS2* os2 = Os2(face_.get());
  if (os2 == nullptr) return 0;
  switch (word) {
    case 0: return static_cast<std::uint32_t>(os2->ulUnicodeRange1);
    case 1: return static_cast<std::uint32_t>(os2->ulUnicodeRange2);
    case 2: return static_cast<std::uint32_t>(os2->ulUnicodeRange3);
    case 3: return static_cast<std::uint32_t>(os2->ulUnicodeRange4);
    default: return 0;
  }
}

std::vector<std::uint8_t> FontFace::GetFontData(std::uint32_t request) const {
  if (request == kFontDataCollection) return in_collection_ ? ReadFileBytes(path_) : std::vector<std::uint8_t>();
  if (request == kFontDataWholeFont) {
    std::vector<std::uint8_t> file = ReadFileBytes(path_);
    if (!in_collection_) return file;
    // The face's table directory offset comes from the collection header.
    std::size_t entry = 12 + 4 * std::size_t(index_);
    if (file.size() < 12 || entry + 4 > file.size()) return {};
    std::uint32_t count = BigEndian32(file, 8);
    std::uint32_t offset = BigEndian32(file, entry);
    if (std::uint32_t(index_) >= count || offset >= file.size()) return {};
    return std::vector<std::uint8_t>(file.begin() + offset, file.end());
  }
  FT_ULong length = 0;
  if (FT_Load_Sfnt_Table(face_.get(), request, 0, nullptr, &length) != 0 || length == 0) return {};
  std::vector<std::uint8_t> table(length);
  if (FT_Load_Sfnt_Table(face_.get(), request, 0, table.data(), &length) != 0) return {};
  return table;
}

unsigned FontFace::GetGlyphIndex(char32_t ch) const {
  unsigned glyph = FT_Get_Char_Index(face_.get(), ch);
  bool symbol_selected = face_->charmap != nullptr && face_->charmap->encoding == FT_ENCODING_MS_SYMBOL;
  if (glyph == 0 && symbol_selected && ch >= 0x20 && ch <= 0xFF) glyph = FT_Get_Char_Index(face_.get(), 0xF000 + ch);
  return glyph;
}

int FontFace::GetAdvanceUnits(unsigned glyph) const {
  FT_Fixed advance = 0;
  if (FT_Get_Advance(face_.get(), glyph, FT_LOAD_NO_SCALE, &advance) != 0) return 0;
  return static_cast<int>(advance);
}

std::vector<TFontCharset> FontFace::GetCharsets() const {
  if (symbol_cmap_) return {SYMBOL_CHARSET};
  // Code page range bits of OS/2 and the character set each stands for.
  struct Bit { int bit; TFontCharset charset; };
  static constexpr Bit kBits[] = {
      {0, ANSI_CHARSET},     {1, EASTEUROPE_CHARSET}, {2, RUSSIAN_CHARSET},     {3, GREEK_CHARSET},
      {4, TURKISH_CHARSET},  {5, HEBREW_CHARSET},     {6, ARABIC_CHARSET},      {7, BALTIC_CHARSET},
      {8, VIETNAMESE_CHARSET}, {16, THAI_CHARSET},    {17, SHIFTJIS_CHARSET},   {18, GB2312_CHARSET},
      {19, HANGEUL_CHARSET}, {20, CHINESEBIG5_CHARSET}, {21, JOHAB_CHARSET},    {29, MAC_CHARSET},
      {30, OEM_CHARSET},     {31, SYMBOL_CHARSET}};
  const TT_OS2* os2 = Os2(face_.get());
  std::uint32_t range = os2 != nullptr && os2->version >= 1 ? os2->ulCodePageRange1 : 0;
  std::vector<TFontCharset> sets;
  for (const Bit& b : kBits) {
    if (range & (std::uint32_t(1) << b.bit)) sets.push_back(b.charset);
  }
  if (sets.empty()) sets.push_back(ANSI_CHARSET);
  return sets;
}

}  // namespace km
