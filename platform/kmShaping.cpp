#include "kmShaping.h"

#include <map>
#include <memory>
#include <utility>

#include <hb-ot.h>
#include <hb.h>
#include <unicode/ubidi.h>
#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/utf16.h>

namespace km {

namespace {

struct UBiDiDeleter { void operator()(UBiDi* b) const { ubidi_close(b); } };
struct HbBlobDeleter { void operator()(hb_blob_t* b) const { hb_blob_destroy(b); } };
struct HbFaceDeleter { void operator()(hb_face_t* f) const { hb_face_destroy(f); } };
struct HbFontDeleter { void operator()(hb_font_t* f) const { hb_font_destroy(f); } };
struct HbBufferDeleter { void operator()(hb_buffer_t* b) const { hb_buffer_destroy(b); } };
using HbFacePtr = std::unique_ptr<hb_face_t, HbFaceDeleter>;
using HbFontPtr = std::unique_ptr<hb_font_t, HbFontDeleter>;

bool IsNeutralScript(UScriptCode s) {
  return s == USCRIPT_COMMON || s == USCRIPT_INHERITED || s == USCRIPT_UNKNOWN || s == USCRIPT_INVALID_CODE;
}

// One HarfBuzz font per face file and index, kept for the process.
hb_font_t* HbFont(const FontFace& face) {
  static std::map<std::pair<std::string, int>, std::pair<HbFacePtr, HbFontPtr>> cache;
  auto key = std::make_pair(face.GetPath(), face.GetIndex());
  auto it = cache.find(key);
  if (it == cache.end()) {
    std::unique_ptr<hb_blob_t, HbBlobDeleter> blob(hb_blob_create_from_file_or_fail(face.GetPath().c_str()));
    if (!blob) return nullptr;
    HbFacePtr hb_face(hb_face_create(blob.get(), static_cast<unsigned>(face.GetIndex())));
    HbFontPtr hb_font(hb_font_create(hb_face.get()));
    it = cache.emplace(key, std::make_pair(std::move(hb_face), std::move(hb_font))).first;
  }
  return it->second.second.get();
}

}  // namespace

std::vector<TScriptItem> ScriptItemize(std::u16string_view text, bool right_to_left) {
  std::vector<TScriptItem> items;
  if (text.empty()) return items;
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UBiDi, UBiDiDeleter> bidi(ubidi_openSized(static_cast<int32_t>(text.size()), 0, &status));
  if (U_FAILURE(status)) return items;
  ubidi_setPara(bidi.get(), reinterpret_cast<const UChar*>(text.data()), static_cast<int32_t>(text.size()),
                right_to_left ? 1 : 0, nullptr, &status);
  if (U_FAILURE(status)) return items;
  const UBiDiLevel* levels = ubidi_getLevels(bidi.get(), &status);
  if (U_FAILURE(status)) return items;

  // The script of every code unit. A character of no script of its own takes
  // the script of the character before it when both have the same embedding
  // level, else the script of the next character that has one, so a space
  // between a right-to-left word and a left-to-right one joins the run of its
  // own level instead of making a run of its own.
  const int n = static_cast<int>(text.size());
  std::vector<UScriptCode> scripts(n, USCRIPT_COMMON);
  for (int i = 0; i < n;) {
    UChar32 cp;
    int start = i;
    U16_NEXT(text.data(), i, n, cp);
    UErrorCode e = U_ZERO_ERROR;
    UScriptCode s = uscript_getScript(cp, &e);
    if (U_FAILURE(e)) s = USCRIPT_COMMON;
    for (int k = start; k < i; ++k) scripts[k] = s;
  }
  std::vector<UScriptCode> next_real(n + 1, USCRIPT_COMMON);
  for (int i = n - 1; i >= 0; --i) next_real[i] = IsNeutralScript(scripts[i]) ? next_real[i + 1] : scripts[i];
  for (int i = 0; i < n; ++i) {
    if (!IsNeutralScript(scripts[i])) continue;
    if (i > 0 && levels[i - 1] == levels[i]) scripts[i] = scripts[i - 1];
    else if (!IsNeutralScript(next_real[i])) scripts[i] = next_real[i];
    else if (i > 0) scripts[i] = scripts[i - 1];
  }
  for (int i = 0; i < n; ++i) {
    if (items.empty() || levels[i] != items.back().Level || scripts[i] != items.back().Script) {
      items.push_back({i, i, levels[i], scripts[i]});
    }
    items.back().EndPos = i + 1;
  }
  return items;
}

std::vector<int> ScriptLayout(const std::vector<std::uint8_t>& levels) {
  std::vector<int> map(levels.size());
  if (levels.empty()) return map;
  ubidi_reorderVisual(reinterpret_cast<const UBiDiLevel*>(levels.data()), static_cast<int32_t>(levels.size()),
                      map.data());
  return map;
}

bool ScriptIsComplex(std::u16string_view text) {
  static const UScriptCode kComplex[] = {
      USCRIPT_ARABIC, USCRIPT_SYRIAC, USCRIPT_THAANA, USCRIPT_NKO, USCRIPT_HEBREW, USCRIPT_DEVANAGARI,
      USCRIPT_BENGALI, USCRIPT_GURMUKHI, USCRIPT_GUJARATI, USCRIPT_ORIYA, USCRIPT_TAMIL, USCRIPT_TELUGU,
      USCRIPT_KANNADA, USCRIPT_MALAYALAM, USCRIPT_SINHALA, USCRIPT_THAI, USCRIPT_LAO, USCRIPT_TIBETAN,
      USCRIPT_MYANMAR, USCRIPT_KHMER, USCRIPT_MONGOLIAN, USCRIPT_JAVANESE, USCRIPT_BALINESE, USCRIPT_LANNA,
      USCRIPT_NEW_TAI_LUE, USCRIPT_BUGINESE, USCRIPT_LIMBU, USCRIPT_SUNDANESE, USCRIPT_CHAKMA, USCRIPT_MANDAIC};
  const int n = static_cast<int>(text.size());
  for (int i = 0; i < n;) {
    UChar32 cp;
    U16_NEXT(text.data(), i, n, cp);
    UCharDirection dir = u_charDirection(cp);
    if (dir == U_RIGHT_TO_LEFT || dir == U_RIGHT_TO_LEFT_ARABIC) return true;
    UErrorCode e = U_ZERO_ERROR;
    UScriptCode s = uscript_getScript(cp, &e);
    for (UScriptCode c : kComplex) {
      if (s == c) return true;
    }
  }
  return false;
}

TShapedRun ScriptShape(const FontInstance& font, std::u16string_view run, const TScriptItem& item) {
  TShapedRun out;
  if (run.empty()) return out;
  hb_font_t* hb_font = HbFont(font.Face());
  if (hb_font == nullptr) return out;
  std::unique_ptr<hb_buffer_t, HbBufferDeleter> buffer(hb_buffer_create());
  hb_buffer_add_utf16(buffer.get(), reinterpret_cast<const std::uint16_t*>(run.data()), static_cast<int>(run.size()),
                      0, static_cast<int>(run.size()));
  hb_buffer_set_direction(buffer.get(), item.IsRTL() ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
  hb_buffer_set_script(buffer.get(),
                       hb_script_from_string(uscript_getShortName(static_cast<UScriptCode>(item.Script)), -1));
  hb_buffer_guess_segment_properties(buffer.get());
  hb_shape(hb_font, buffer.get(), nullptr, 0);

  unsigned count = 0;
  hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer.get(), &count);
  hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer.get(), &count);
  hb_face_t* hb_face = hb_font_get_face(hb_font);
  out.Glyphs.resize(count);
  out.VisAttrs.resize(count);
  for (unsigned g = 0; g < count; ++g) {
    out.Glyphs[g] = static_cast<std::uint16_t>(infos[g].codepoint);
    out.VisAttrs[g].ZeroWidth = positions[g].x_advance == 0;
    out.VisAttrs[g].Diacritic =
        hb_ot_layout_get_glyph_class(hb_face, infos[g].codepoint) == HB_OT_LAYOUT_GLYPH_CLASS_MARK;
  }
  // Cluster starts in logical order, and the first glyph of every cluster.
  std::map<unsigned, std::uint16_t> first_glyph;
  for (unsigned k = 0; k < count; ++k) {
    unsigned g = item.IsRTL() ? count - 1 - k : k;
    if (first_glyph.emplace(infos[g].cluster, static_cast<std::uint16_t>(g)).second) out.VisAttrs[g].ClusterStart = true;
  }
  out.LogClust.assign(run.size(), 0);
  for (std::size_t i = 0; i < run.size() && !first_glyph.empty(); ++i) {
    auto it = first_glyph.upper_bound(static_cast<unsigned>(i));
    if (it != first_glyph.begin()) --it;
    out.LogClust[i] = it->second;
  }
  return out;
}

}  // namespace km
