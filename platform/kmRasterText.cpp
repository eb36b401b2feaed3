// Text and bitmap output of the raster canvas.
#include <algorithm>
#include <cmath>
#include <numbers>

#include <cairo-ft.h>

#include "kmBitmap.h"
#include "kmFontMatch.h"
#include "kmRasterCanvas.h"

namespace km {

namespace {

void SetSourceColor(cairo_t* cr, TColor c) {
  c = ColorToRGB(c);
  cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

// One bit-wise raster operation over a byte: bit i of the operation's code
// byte gives the result for pattern, source and destination bits (P S D).
std::uint8_t Rop3(std::uint32_t rop, std::uint8_t p, std::uint8_t s, std::uint8_t d) {
  const std::uint8_t code = static_cast<std::uint8_t>((rop >> 16) & 0xFF);
  std::uint8_t out = 0;
  for (int idx = 0; idx < 8; ++idx) {
    if (!((code >> idx) & 1)) continue;
    std::uint8_t m = static_cast<std::uint8_t>((idx & 4 ? p : ~p) & (idx & 2 ? s : ~s) & (idx & 1 ? d : ~d));
    out |= m;
  }
  return out;
}

}  // namespace

std::vector<std::int32_t> TRasterCanvas::TextAdvances(const std::u16string& text) {
  auto face = CurrentFontMatcher().Match(GetFont());
  if (!face) return std::vector<std::int32_t>(text.size(), 0);
  return MeasureAdvances(*face, FontEmPixels(GetFont(), face.get()), text);
}

void TRasterCanvas::ExtTextOut(int x, int y, std::uint32_t options, const TRect* rect, const std::u16string& text,
                               std::span<const std::int32_t> advances) {
  auto face = CurrentFontMatcher().Match(GetFont());
  std::vector<std::int32_t> dx(advances.begin(), advances.end());
  if (dx.size() != text.size()) dx = TextAdvances(text);
  const TFont& font = GetFont();
  const double em = FontEmPixels(font, face.get());
  double ascent = em * 0.8, descent = em * 0.2;
  if (face) FontAscentDescent(*face, em, ascent, descent);
  double width = 0;
  for (std::int32_t a : dx) width += a;

  // Logical-to-device transform as a cairo matrix, then the font's escapement.
  TPointD o = LPtoDP(0, 0), ex = LPtoDP(1, 0), ey = LPtoDP(0, 1);
  cairo_matrix_t m;
  cairo_matrix_init(&m, ex.X - o.X, ex.Y - o.Y, ey.X - o.X, ey.Y - o.Y, o.X, o.Y);

  if (rect && (options & ETO_OPAQUE)) {
    TRect r = *rect;
    cairo_t* cr = Prepare();
    cairo_set_matrix(cr, &m);
    cairo_rectangle(cr, r.Left, r.Top, r.Width(), r.Height());
    SetSourceColor(cr, GetBkColor());
    cairo_fill(cr);
    Finish();
  }
  if (text.empty()) return;

  cairo_t* cr = Prepare();
  cairo_set_matrix(cr, &m);
  if (rect && (options & ETO_CLIPPED)) {
    cairo_rectangle(cr, rect->Left, rect->Top, rect->Width(), rect->Height());
    cairo_clip(cr);
  }
  cairo_translate(cr, x, y);
  cairo_rotate(cr, -font.GetOrientation() / 10.0 * std::numbers::pi / 180.0);
  const std::uint32_t align = GetTextAlign();
  double left = (align & TA_CENTER) == TA_CENTER ? -width / 2 : (align & TA_RIGHT) ? -width : 0;
  double baseline = (align & TA_BASELINE) == TA_BASELINE ? 0 : (align & TA_BOTTOM) ? -descent : ascent;
  if (GetBkMode() == OPAQUE) {
    cairo_rectangle(cr, left, baseline - ascent, width, ascent + descent);
    SetSourceColor(cr, GetBkColor());
    cairo_fill(cr);
  }
  SetSourceColor(cr, GetTextColor());
  if (face && face->Face()) {
    CairoFontFacePtr cface(cairo_ft_font_face_create_for_ft_face(face->Face(), 0));
    cairo_set_font_face(cr, cface.get());
    cairo_set_font_size(cr, em);
    CairoFontOptionsPtr fo(cairo_font_options_create());
    cairo_font_options_set_antialias(fo.get(), antialias_ ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_style(fo.get(), CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(fo.get(), CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, fo.get());
    std::vector<cairo_glyph_t> glyphs;
    double pen = left;
    for (std::size_t i = 0; i < text.size(); ++i) {
      char32_t cp = text[i];
      bool pair = cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000;
      if (pair) cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      glyphs.push_back({FT_Get_Char_Index(face->Face(), cp), pen, baseline});
      pen += dx[i];
      if (pair) pen += dx[++i];
    }
    cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
  }
  const double thickness = std::max(1.0, std::nearbyint(em / 14));
  if (font.GetStyle().Contains(TFontStyle::fsUnderline)) {
    cairo_rectangle(cr, left, baseline + descent / 2, width, thickness);
    cairo_fill(cr);
  }
  if (font.GetStyle().Contains(TFontStyle::fsStrikeOut)) {
    cairo_rectangle(cr, left, baseline - ascent / 3, width, thickness);
    cairo_fill(cr);
  }
  Finish();
  if (align & TA_UPDATECP) {
    // Advances read from files may add up past the integer range: clamp.
    const double to = std::clamp(x + width, -2147483647.0, 2147483647.0);
    TCanvas::MoveTo(static_cast<int>(to), y);
  }
}

void TRasterCanvas::StretchBitmap(const TRect& dest, const TBitmap& bmp, const TRect& src, std::uint32_t rop) {
  if (bmp.Empty() || dest.Width() == 0 || dest.Height() == 0 || src.Width() == 0 || src.Height() == 0) return;
  // The device box of the destination.
  TPointD c[4] = {LPtoDP(dest.Left, dest.Top), LPtoDP(dest.Right, dest.Top), LPtoDP(dest.Left, dest.Bottom),
                  LPtoDP(dest.Right, dest.Bottom)};
  double l = c[0].X, t = c[0].Y, r = c[0].X, b = c[0].Y;
  for (const auto& p : c) l = std::min(l, p.X), t = std::min(t, p.Y), r = std::max(r, p.X), b = std::max(b, p.Y);
  const int w = bitmap_.GetWidth(), h = bitmap_.GetHeight();
  const int x0 = std::max(0, static_cast<int>(std::floor(l))), y0 = std::max(0, static_cast<int>(std::floor(t)));
  const int x1 = std::min(w, static_cast<int>(std::ceil(r))), y1 = std::min(h, static_cast<int>(std::ceil(b)));
  if (x1 <= x0 || y1 <= y0) return;

  cairo_t* cr = Prepare();
  unsigned char* data = cairo_image_surface_get_data(surface_.get());
  const int stride = cairo_image_surface_get_stride(surface_.get());
  CairoSurfacePtr out(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, x1 - x0, y1 - y0));
  unsigned char* odata = cairo_image_surface_get_data(out.get());
  const int ostride = cairo_image_surface_get_stride(out.get());
  const TColor brush = ColorToRGB(GetBrush().GetColor());
  const bool transparent = bmp.GetTransparent();
  const TColor key = ColorToRGB(bmp.GetTransparentColor());
  const bool alpha = bmp.GetAlphaFormat() == TAlphaFormat::afDefined && bmp.GetBitCount() == 32;
  for (int y = y0; y < y1; ++y) {
    auto* orow = reinterpret_cast<std::uint32_t*>(odata + static_cast<std::size_t>(y - y0) * ostride);
    auto* drow = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
    for (int x = x0; x < x1; ++x) {
      // The pixel centre, back in logical units, then in the source rectangle.
      TPointD lp = DPtoLP(x + 0.5, y + 0.5);
      double fx = (lp.X - dest.Left) / dest.Width(), fy = (lp.Y - dest.Top) / dest.Height();
      orow[x - x0] = 0;
      if (fx < 0 || fx >= 1 || fy < 0 || fy >= 1) continue;
      int sx = src.Left + static_cast<int>(std::floor(fx * src.Width()));
      int sy = src.Top + static_cast<int>(std::floor(fy * src.Height()));
      if (sx < 0 || sy < 0 || sx >= bmp.GetWidth() || sy >= bmp.GetHeight()) continue;
      TColor s = bmp.GetPixel(sx, sy);
      if (transparent && s == key) continue;
      std::uint32_t d = drow[x];
      std::uint8_t rr = Rop3(rop, GetRValue(brush), GetRValue(s), (d >> 16) & 0xFF);
      std::uint8_t gg = Rop3(rop, GetGValue(brush), GetGValue(s), (d >> 8) & 0xFF);
      std::uint8_t bb = Rop3(rop, GetBValue(brush), GetBValue(s), d & 0xFF);
      if (alpha) {
        // Straight alpha: the source over what is already there.
        const int a = bmp.ScanLine(sy)[sx * 4 + 3];
        auto blend = [a](int src, int dst) { return static_cast<std::uint8_t>((src * a + dst * (255 - a) + 127) / 255); };
        rr = blend(rr, (d >> 16) & 0xFF);
        gg = blend(gg, (d >> 8) & 0xFF);
        bb = blend(bb, d & 0xFF);
      }
      orow[x - x0] = 0xFF000000u | (static_cast<std::uint32_t>(rr) << 16) | (static_cast<std::uint32_t>(gg) << 8) | bb;
    }
  }
  cairo_surface_mark_dirty(out.get());
  cairo_set_source_surface(cr, out.get(), x0, y0);
  cairo_paint(cr);
  Finish();
}

}  // namespace km
