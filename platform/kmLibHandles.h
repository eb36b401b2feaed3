#pragma once
// Owning handles of the C libraries the platform layer uses: each is a
// std::unique_ptr with the library's own release function, written once here.

#include <memory>

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace km {

template <typename T, void (*Release)(T*)>
struct LibDeleter {
  void operator()(T* p) const {
    if (p) Release(p);
  }
};

namespace detail {
inline void FreeFtLibrary(FT_LibraryRec_* p) { FT_Done_FreeType(p); }
inline void FreeFtFace(FT_FaceRec_* p) { FT_Done_Face(p); }
}  // namespace detail

using CairoPtr = std::unique_ptr<cairo_t, LibDeleter<cairo_t, cairo_destroy>>;
using CairoSurfacePtr = std::unique_ptr<cairo_surface_t, LibDeleter<cairo_surface_t, cairo_surface_destroy>>;
using CairoFontFacePtr = std::unique_ptr<cairo_font_face_t, LibDeleter<cairo_font_face_t, cairo_font_face_destroy>>;
using CairoScaledFontPtr =
    std::unique_ptr<cairo_scaled_font_t, LibDeleter<cairo_scaled_font_t, cairo_scaled_font_destroy>>;
using CairoFontOptionsPtr =
    std::unique_ptr<cairo_font_options_t, LibDeleter<cairo_font_options_t, cairo_font_options_destroy>>;
using FcPatternPtr = std::unique_ptr<FcPattern, LibDeleter<FcPattern, FcPatternDestroy>>;
using FtLibraryPtr = std::unique_ptr<FT_LibraryRec_, LibDeleter<FT_LibraryRec_, detail::FreeFtLibrary>>;
using FtFacePtr = std::unique_ptr<FT_FaceRec_, LibDeleter<FT_FaceRec_, detail::FreeFtFace>>;

}  // namespace km
