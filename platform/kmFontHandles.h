#pragma once
// Owning handles for the font libraries: every FreeType and fontconfig object
// the project holds goes through one of these, so it is released exactly once.

#include <memory>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace km {

struct FcPatternDeleter { void operator()(FcPattern* p) const { FcPatternDestroy(p); } };
struct FcFontSetDeleter { void operator()(FcFontSet* s) const { FcFontSetDestroy(s); } };
struct FcObjectSetDeleter { void operator()(FcObjectSet* s) const { FcObjectSetDestroy(s); } };
struct FcConfigDeleter { void operator()(FcConfig* c) const { FcConfigDestroy(c); } };
struct FcCharSetDeleter { void operator()(FcCharSet* c) const { FcCharSetDestroy(c); } };
struct FtFaceDeleter { void operator()(FT_Face f) const { FT_Done_Face(f); } };
struct FtLibraryDeleter { void operator()(FT_Library l) const { FT_Done_FreeType(l); } };

using FcPatternPtr = std::unique_ptr<FcPattern, FcPatternDeleter>;
using FcFontSetPtr = std::unique_ptr<FcFontSet, FcFontSetDeleter>;
using FcObjectSetPtr = std::unique_ptr<FcObjectSet, FcObjectSetDeleter>;
using FcConfigPtr = std::unique_ptr<FcConfig, FcConfigDeleter>;
using FcCharSetPtr = std::unique_ptr<FcCharSet, FcCharSetDeleter>;
using FtFacePtr = std::unique_ptr<std::remove_pointer_t<FT_Face>, FtFaceDeleter>;
using FtLibraryPtr = std::unique_ptr<std::remove_pointer_t<FT_Library>, FtLibraryDeleter>;

using FtLibraryShared = std::shared_ptr<std::remove_pointer_t<FT_Library>>;

// The process's FreeType library, created at first use; null when FreeType
// cannot start. Every face holds a share, so the library outlives its faces
// whatever the order of static destruction.
FtLibraryShared FreeTypeLibrary();

}  // namespace km
