#include "kmMetafileCanvas.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "kmBitmap.h"
#include "kmByteReader.h"
#include "kmEmfTypes.h"
#include "kmFontMatch.h"
#include "kmMath.h"
#include "kmScreen.h"

namespace km {

using namespace emf;

namespace {

// The reference device: a 1920 x 1080 pixel screen at the screen's resolution.
constexpr int kDeviceWidth = 1920;
constexpr int kDeviceHeight = 1080;

std::uint32_t PenStyleCode(TPenStyle s) {
  switch (s) {
    case TPenStyle::psSolid: return 0;
    case TPenStyle::psDash: return 1;
    case TPenStyle::psDot: return 2;
    case TPenStyle::psDashDot: return 3;
    case TPenStyle::psDashDotDot: return 4;
    case TPenStyle::psClear: return 5;
    case TPenStyle::psInsideFrame: return 6;
    default: return 0;
  }
}

bool FitsIn16(std::span<const TPoint> points) {
  return std::all_of(points.begin(), points.end(), [](const TPoint& p) {
    return p.X >= INT16_MIN && p.X <= INT16_MAX && p.Y >= INT16_MIN && p.Y <= INT16_MAX;
  });
}

}  // namespace

TMetafileCanvas::TMetafileCanvas(TMetafile& metafile) : metafile_(metafile) {}

TMetafileCanvas::~TMetafileCanvas() { Close(); }

std::size_t TMetafileCanvas::Begin(std::uint32_t type) {
  std::size_t start = out_.size();
  ByteWriter w(out_);
  w.U32(type);
  w.U32(0);
  return start;
}

void TMetafileCanvas::End(std::size_t start) {
  while ((out_.size() - start) % 4 != 0) out_.push_back(0);
  ByteWriter(out_).PatchU32(start + 4, static_cast<std::uint32_t>(out_.size() - start));
  ++record_count_;
}

void TMetafileCanvas::Simple(std::uint32_t type) {
  if (!Open()) return;
  End(Begin(type));
}

void TMetafileCanvas::WithU32(std::uint32_t type, std::uint32_t value) {
  if (!Open()) return;
  std::size_t s = Begin(type);
  ByteWriter(out_).U32(value);
  End(s);
}

void TMetafileCanvas::WithPoint(std::uint32_t type, std::int32_t x, std::int32_t y) {
  if (!Open()) return;
  std::size_t s = Begin(type);
  ByteWriter w(out_);
  w.I32(x);
  w.I32(y);
  End(s);
}

void TMetafileCanvas::WithRect(std::uint32_t type, const TRect& r) {
  if (!Open()) return;
  std::size_t s = Begin(type);
  ByteWriter w(out_);
  w.I32(r.Left);
  w.I32(r.Top);
  w.I32(r.Right);
  w.I32(r.Bottom);
  End(s);
}

// ---- objects

std::uint32_t TMetafileCanvas::AllocHandle() {
  for (std::uint32_t i = 1; i < handles_.size(); ++i)
    if (!handles_[i]) {
      handles_[i] = true;
      return i;
    }
  handles_.push_back(true);
  std::uint32_t h = static_cast<std::uint32_t>(handles_.size() - 1);
  max_handle_ = std::max(max_handle_, h);
  return h;
}

void TMetafileCanvas::FreeHandle(std::uint32_t h) {
  if (h == 0 || h >= handles_.size() || !handles_[h]) return;
  WithU32(EMR_DELETEOBJECT, h);
  handles_[h] = false;
}

bool TMetafileCanvas::HandleInUse(std::uint32_t h) const {
  if (h == sel_.pen || h == sel_.brush || h == sel_.font) return true;
  return std::any_of(saved_sel_.begin(), saved_sel_.end(),
                     [h](const Selected& s) { return h == s.pen || h == s.brush || h == s.font; });
}

void TMetafileCanvas::ReleaseIfUnused(std::uint32_t h) {
  if (h != 0 && !HandleInUse(h)) FreeHandle(h);
}

void TMetafileCanvas::SyncPen() {
  if (!Open()) return;
  const TPen& p = GetPen();
  if (sel_.pen != 0 && sel_.pen_value == p) return;
  std::uint32_t h = AllocHandle();
  std::size_t s = Begin(EMR_CREATEPEN);
  ByteWriter w(out_);
  w.U32(h);
  w.U32(PenStyleCode(p.GetStyle()));
  w.I32(std::max(0, p.GetWidth()));
  w.I32(0);
  w.U32(ColorToRGB(p.GetColor()));
  End(s);
  WithU32(EMR_SELECTOBJECT, h);
  std::uint32_t old = sel_.pen;
  sel_.pen = h;
  sel_.pen_value = p;
  ReleaseIfUnused(old);
}

void TMetafileCanvas::SyncBrush() {
  if (!Open()) return;
  const TBrush& b = GetBrush();
  if (sel_.brush != 0 && sel_.brush_value == b) return;
  std::uint32_t h = AllocHandle();
  std::uint32_t style = 0, hatch = 0;
  switch (b.GetStyle()) {
    case TBrushStyle::bsSolid: style = 0; break;
    case TBrushStyle::bsClear: style = 1; break;
    default:
      style = 2;
      hatch = static_cast<std::uint32_t>(b.GetStyle()) - static_cast<std::uint32_t>(TBrushStyle::bsHorizontal);
  }
  std::size_t s = Begin(EMR_CREATEBRUSHINDIRECT);
  ByteWriter w(out_);
  w.U32(h);
  w.U32(style);
  w.U32(ColorToRGB(b.GetColor()));
  w.U32(hatch);
  End(s);
  WithU32(EMR_SELECTOBJECT, h);
  std::uint32_t old = sel_.brush;
  sel_.brush = h;
  sel_.brush_value = b;
  ReleaseIfUnused(old);
}

void TMetafileCanvas::SyncFont() {
  if (!Open()) return;
  const TFont& f = GetFont();
  if (sel_.font != 0 && sel_.font_value == f) return;
  std::uint32_t h = AllocHandle();
  std::size_t s = Begin(EMR_EXTCREATEFONTINDIRECTW);
  ByteWriter w(out_);
  w.U32(h);
  // LOGFONTW
  w.I32(f.GetHeight());
  w.I32(0);
  w.I32(f.GetOrientation());
  w.I32(f.GetOrientation());
  w.I32(f.IsBold() ? 700 : 400);
  w.U8(f.IsItalic() ? 1 : 0);
  w.U8(f.GetStyle().Contains(TFontStyle::fsUnderline) ? 1 : 0);
  w.U8(f.GetStyle().Contains(TFontStyle::fsStrikeOut) ? 1 : 0);
  w.U8(f.GetCharset());
  w.U8(0);  // out precision
  w.U8(0);  // clip precision
  w.U8(0);  // quality
  w.U8(f.GetPitch() == TFontPitch::fpFixed ? 1 : f.GetPitch() == TFontPitch::fpVariable ? 2 : 0);
  auto wide = [&](const std::u16string& text, std::size_t units) {
    for (std::size_t i = 0; i < units; ++i) w.U16(i + 1 < units && i < text.size() ? text[i] : 0);
  };
  wide(f.GetName(), 32);
  // LOGFONTEXW: full name, style, script; then an empty design vector.
  wide(f.GetName(), 64);
  wide(u"", 32);
  wide(u"", 32);
  w.U32(0x08007664);
  w.U32(0);
  End(s);
  WithU32(EMR_SELECTOBJECT, h);
  std::uint32_t old = sel_.font;
  sel_.font = h;
  sel_.font_value = f;
  ReleaseIfUnused(old);
}

// ---- bounds

double TMetafileCanvas::PenHalfWidth() const {
  const TPen& p = GetPen();
  if (p.GetStyle() == TPenStyle::psClear) return 0;
  return std::max(1, p.GetWidth()) * DeviceScaleX() / 2.0;
}

void TMetafileCanvas::AddDeviceBox(double l, double t, double r, double b) {
  rl_ = std::min(l, r);
  rt_ = std::min(t, b);
  rr_ = std::max(l, r);
  rb_ = std::max(t, b);
  if (!has_bounds_) {
    bl_ = rl_, bt_ = rt_, br_ = rr_, bb_ = rb_;
    has_bounds_ = true;
  } else {
    bl_ = std::min(bl_, rl_), bt_ = std::min(bt_, rt_), br_ = std::max(br_, rr_), bb_ = std::max(bb_, rb_);
  }
}

void TMetafileCanvas::AddLogicalBox(double x1, double y1, double x2, double y2, bool stroked) {
  TPointD c[4] = {LPtoDP(x1, y1), LPtoDP(x2, y1), LPtoDP(x1, y2), LPtoDP(x2, y2)};
  double l = c[0].X, t = c[0].Y, r = c[0].X, b = c[0].Y;
  for (const auto& p : c) l = std::min(l, p.X), t = std::min(t, p.Y), r = std::max(r, p.X), b = std::max(b, p.Y);
  AddStrokedBox(l, t, r, b, stroked);
}

// A thin pen covers the pixel cells of its points; a wide one half its width around them.
void TMetafileCanvas::AddStrokedBox(double l, double t, double r, double b, bool stroked) {
  if (stroked && GetPen().GetWidth() <= 1 && GetPen().GetStyle() != TPenStyle::psClear) {
    AddDeviceBox(l, t, r + 1, b + 1);
    return;
  }
  double e = stroked ? PenHalfWidth() : 0;
  AddDeviceBox(l - e, t - e, r + e, b + e);
}

void TMetafileCanvas::AddLogicalPoints(std::span<const TPoint> points, bool stroked) {
  if (points.empty()) return;
  double l = std::numeric_limits<double>::max(), t = l, r = -l, b = -l;
  for (const TPoint& p : points) {
    TPointD d = LPtoDP(p.X, p.Y);
    l = std::min(l, d.X), t = std::min(t, d.Y), r = std::max(r, d.X), b = std::max(b, d.Y);
  }
  AddStrokedBox(l, t, r, b, stroked);
}

TRect TMetafileCanvas::LastBoundsInclusive() const {
  auto lo = [](double v) { return static_cast<std::int32_t>(std::floor(v)); };
  auto hi = [](double v) { return static_cast<std::int32_t>(std::ceil(v)) - 1; };
  TRect r{lo(rl_), lo(rt_), hi(rr_), hi(rb_)};
  if (r.Right < r.Left) r.Right = r.Left;
  if (r.Bottom < r.Top) r.Bottom = r.Top;
  return r;
}

// ---- state records

void TMetafileCanvas::SetTextColor(TColor c) {
  c = ColorToRGB(c);
  if (c == GetTextColor()) return;
  TCanvas::SetTextColor(c);
  WithU32(EMR_SETTEXTCOLOR, c);
}

void TMetafileCanvas::SetBkColor(TColor c) {
  c = ColorToRGB(c);
  if (c == GetBkColor()) return;
  TCanvas::SetBkColor(c);
  WithU32(EMR_SETBKCOLOR, c);
}

void TMetafileCanvas::SetBkMode(TBkMode m) {
  if (m == GetBkMode()) return;
  TCanvas::SetBkMode(m);
  WithU32(EMR_SETBKMODE, m);
}

void TMetafileCanvas::SetPolyFillMode(TPolyFillMode m) {
  if (m == GetPolyFillMode()) return;
  TCanvas::SetPolyFillMode(m);
  WithU32(EMR_SETPOLYFILLMODE, m);
}

void TMetafileCanvas::SetTextAlign(std::uint32_t flags) {
  if (flags == GetTextAlign()) return;
  TCanvas::SetTextAlign(flags);
  WithU32(EMR_SETTEXTALIGN, flags);
}

void TMetafileCanvas::SetROP2(std::uint32_t rop2) {
  TCanvas::SetROP2(rop2);
  WithU32(EMR_SETROP2, rop2);
}

void TMetafileCanvas::SetStretchBltMode(std::uint32_t mode) {
  TCanvas::SetStretchBltMode(mode);
  WithU32(EMR_SETSTRETCHBLTMODE, mode);
}

void TMetafileCanvas::SetMapMode(TMapMode m) {
  TCanvas::SetMapMode(m);
  WithU32(EMR_SETMAPMODE, m);
}

void TMetafileCanvas::SetWindowOrgEx(int x, int y) {
  TCanvas::SetWindowOrgEx(x, y);
  WithPoint(EMR_SETWINDOWORGEX, x, y);
}

void TMetafileCanvas::SetWindowExtEx(int cx, int cy) {
  TCanvas::SetWindowExtEx(cx, cy);
  WithPoint(EMR_SETWINDOWEXTEX, cx, cy);
}

void TMetafileCanvas::SetViewportOrgEx(int x, int y) {
  TCanvas::SetViewportOrgEx(x, y);
  WithPoint(EMR_SETVIEWPORTORGEX, x, y);
}

void TMetafileCanvas::SetViewportExtEx(int cx, int cy) {
  TCanvas::SetViewportExtEx(cx, cy);
  WithPoint(EMR_SETVIEWPORTEXTEX, cx, cy);
}

static void WriteXForm(ByteWriter& w, const TXForm& x) {
  w.F32(x.eM11);
  w.F32(x.eM12);
  w.F32(x.eM21);
  w.F32(x.eM22);
  w.F32(x.eDx);
  w.F32(x.eDy);
}

void TMetafileCanvas::SetWorldTransform(const TXForm& xf) {
  TCanvas::SetWorldTransform(xf);
  if (!Open()) return;
  std::size_t s = Begin(EMR_SETWORLDTRANSFORM);
  ByteWriter w(out_);
  WriteXForm(w, xf);
  End(s);
}

void TMetafileCanvas::ModifyWorldTransform(const TXForm& xf, TXFormMode mode) {
  TCanvas::ModifyWorldTransform(xf, mode);
  if (!Open()) return;
  std::size_t s = Begin(EMR_MODIFYWORLDTRANSFORM);
  ByteWriter w(out_);
  WriteXForm(w, xf);
  w.U32(mode);
  End(s);
}

// ---- drawing

void TMetafileCanvas::MoveTo(int x, int y) {
  TCanvas::MoveTo(x, y);
  WithPoint(EMR_MOVETOEX, x, y);
}

void TMetafileCanvas::LineTo(int x, int y) {
  if (!Open()) return;
  SyncPen();
  TPoint from = GetPenPos();
  WithPoint(EMR_LINETO, x, y);
  TPoint pts[2] = {from, {x, y}};
  AddLogicalPoints(pts, true);
  TCanvas::MoveTo(x, y);
}

void TMetafileCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  if (!Open()) return;
  SyncObjects();
  WithRect(EMR_RECTANGLE, {x1, y1, x2, y2});
  AddLogicalBox(x1, y1, x2, y2, false);
}

void TMetafileCanvas::FillRect(const TRect& r) {
  if (!Open()) return;
  SyncBrush();
  AddLogicalBox(r.Left, r.Top, r.Right, r.Bottom, false);
  std::size_t s = Begin(EMR_BITBLT);
  ByteWriter w(out_);
  TRect b = LastBoundsInclusive();
  for (std::int32_t v : {b.Left, b.Top, b.Right, b.Bottom}) w.I32(v);
  w.I32(r.Left);
  w.I32(r.Top);
  w.I32(r.Width());
  w.I32(r.Height());
  w.U32(PATCOPY);
  w.I32(0);  // xSrc
  w.I32(0);  // ySrc
  WriteXForm(w, TXForm{});
  w.U32(0);  // crBkColorSrc
  w.U32(DIB_RGB_COLORS);
  w.U32(0);  // offBmiSrc
  w.U32(0);  // cbBmiSrc
  w.U32(0);  // offBitsSrc
  w.U32(0);  // cbBitsSrc
  End(s);
}

void TMetafileCanvas::RoundRect(int x1, int y1, int x2, int y2, int cx, int cy) {
  if (!Open()) return;
  SyncObjects();
  std::size_t s = Begin(EMR_ROUNDRECT);
  ByteWriter w(out_);
  for (int v : {x1, y1, x2, y2, cx, cy}) w.I32(v);
  End(s);
  AddLogicalBox(x1, y1, x2, y2, false);
}

void TMetafileCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  if (!Open()) return;
  SyncObjects();
  WithRect(EMR_ELLIPSE, {x1, y1, x2, y2});
  AddLogicalBox(x1, y1, x2, y2, false);
}

void TMetafileCanvas::ArcRecord(std::uint32_t type, bool filled, int x1, int y1, int x2, int y2, int x3, int y3,
                                int x4, int y4) {
  if (!Open()) return;
  // An arc only strokes; pies and chords also fill with the brush.
  if (filled) SyncObjects(); else SyncPen();
  std::size_t s = Begin(type);
  ByteWriter w(out_);
  for (int v : {x1, y1, x2, y2, x3, y3, x4, y4}) w.I32(v);
  End(s);
  AddLogicalBox(x1, y1, x2, y2, !filled);
}

void TMetafileCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  ArcRecord(EMR_ARC, false, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TMetafileCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  ArcRecord(EMR_PIE, true, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TMetafileCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  ArcRecord(EMR_CHORD, true, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TMetafileCanvas::PolyRecord(std::uint32_t type16, std::uint32_t type32, std::span<const TPoint> points) {
  AddLogicalPoints(points, true);
  bool small = FitsIn16(points);
  std::size_t s = Begin(small ? type16 : type32);
  ByteWriter w(out_);
  TRect b = LastBoundsInclusive();
  for (std::int32_t v : {b.Left, b.Top, b.Right, b.Bottom}) w.I32(v);
  w.U32(static_cast<std::uint32_t>(points.size()));
  for (const TPoint& p : points) {
    if (small) {
      w.I16(static_cast<std::int16_t>(p.X));
      w.I16(static_cast<std::int16_t>(p.Y));
    } else {
      w.I32(p.X);
      w.I32(p.Y);
    }
  }
  End(s);
}

void TMetafileCanvas::Polygon(std::span<const TPoint> points) {
  if (!Open() || points.empty()) return;
  SyncObjects();
  PolyRecord(EMR_POLYGON16, EMR_POLYGON, points);
}

void TMetafileCanvas::Polyline(std::span<const TPoint> points) {
  if (!Open() || points.empty()) return;
  SyncPen();
  PolyRecord(EMR_POLYLINE16, EMR_POLYLINE, points);
}

void TMetafileCanvas::PolyBezier(std::span<const TPoint> points) {
  if (!Open() || points.size() < 4 || (points.size() - 1) % 3 != 0) return;
  SyncPen();
  PolyRecord(EMR_POLYBEZIER16, EMR_POLYBEZIER, points);
}

void TMetafileCanvas::PolyPolygon(std::span<const TPoint> points, std::span<const std::int32_t> counts) {
  if (!Open() || counts.empty()) return;
  std::size_t total = 0;
  for (std::int32_t c : counts) {
    if (c < 2) return;  // GDI refuses polygons of fewer than two points
    total += static_cast<std::size_t>(c);
  }
  if (total != points.size()) return;
  SyncObjects();
  AddLogicalPoints(points, true);
  bool small = FitsIn16(points);
  std::size_t s = Begin(small ? EMR_POLYPOLYGON16 : EMR_POLYPOLYGON);
  ByteWriter w(out_);
  TRect b = LastBoundsInclusive();
  for (std::int32_t v : {b.Left, b.Top, b.Right, b.Bottom}) w.I32(v);
  w.U32(static_cast<std::uint32_t>(counts.size()));
  w.U32(static_cast<std::uint32_t>(total));
  for (std::int32_t c : counts) w.U32(static_cast<std::uint32_t>(c));
  for (const TPoint& p : points) {
    if (small) {
      w.I16(static_cast<std::int16_t>(p.X));
      w.I16(static_cast<std::int16_t>(p.Y));
    } else {
      w.I32(p.X);
      w.I32(p.Y);
    }
  }
  End(s);
}

void TMetafileCanvas::SetPixel(int x, int y, TColor c) {
  if (!Open()) return;
  std::size_t s = Begin(EMR_SETPIXELV);
  ByteWriter w(out_);
  w.I32(x);
  w.I32(y);
  w.U32(ColorToRGB(c));
  End(s);
  AddLogicalBox(x, y, x + 1, y + 1, false);
}

// ---- paths

void TMetafileCanvas::BeginPath() {
  TCanvas::BeginPath();
  Simple(EMR_BEGINPATH);
}

void TMetafileCanvas::EndPath() {
  TCanvas::EndPath();
  Simple(EMR_ENDPATH);
}

void TMetafileCanvas::CloseFigure() { Simple(EMR_CLOSEFIGURE); }

void TMetafileCanvas::AbortPath() {
  TCanvas::AbortPath();
  Simple(EMR_ABORTPATH);
}

void TMetafileCanvas::FillPath() {
  if (!Open()) return;
  SyncBrush();
  TRect b = LastBoundsInclusive();
  WithRect(EMR_FILLPATH, b);
}

void TMetafileCanvas::StrokePath() {
  if (!Open()) return;
  SyncPen();
  WithRect(EMR_STROKEPATH, LastBoundsInclusive());
}

void TMetafileCanvas::StrokeAndFillPath() {
  if (!Open()) return;
  SyncObjects();
  WithRect(EMR_STROKEANDFILLPATH, LastBoundsInclusive());
}

void TMetafileCanvas::SelectClipPath() {
  MutableState().ClipPath = true;
  WithU32(EMR_SELECTCLIPPATH, RGN_AND);
}

// ---- text

std::shared_ptr<TFontFace> TMetafileCanvas::FontFace() { return CurrentFontMatcher().Match(GetFont()); }

std::vector<std::int32_t> TMetafileCanvas::TextAdvances(const std::u16string& text) {
  auto face = FontFace();
  if (!face) return std::vector<std::int32_t>(text.size(), 0);
  return MeasureAdvances(*face, FontEmPixels(GetFont(), face.get()), text);
}

void TMetafileCanvas::ExtTextOut(int x, int y, std::uint32_t options, const TRect* rect, const std::u16string& text,
                                 std::span<const std::int32_t> advances) {
  if (!Open()) return;
  SyncFont();
  if (options & ETO_OPAQUE) SyncBrush();
  std::vector<std::int32_t> dx(advances.begin(), advances.end());
  if (dx.size() != text.size()) dx = TextAdvances(text);

  // Bounds of the text cell, turned by the font's escapement around the reference point.
  auto face = FontFace();
  double em = FontEmPixels(GetFont(), face.get()), ascent = em * 0.8, descent = em * 0.2;
  if (face) FontAscentDescent(*face, em, ascent, descent);
  double width = 0;
  for (std::int32_t a : dx) width += a;
  const std::uint32_t align = GetTextAlign();
  double left = (align & TA_CENTER) == TA_CENTER ? -width / 2 : (align & TA_RIGHT) ? -width : 0;
  double top = (align & TA_BASELINE) == TA_BASELINE ? -ascent : (align & TA_BOTTOM) ? -(ascent + descent) : 0;
  double angle = GetFont().GetOrientation() / 10.0 * std::numbers::pi / 180.0;
  double ca = std::cos(angle), sa = std::sin(angle);
  std::vector<TPoint> corners;
  for (auto [cx, cy] : {std::pair{left, top}, {left + width, top}, {left, top + ascent + descent},
                        {left + width, top + ascent + descent}})
    corners.push_back({static_cast<std::int32_t>(std::floor(x + cx * ca + cy * sa)),
                       static_cast<std::int32_t>(std::floor(y - cx * sa + cy * ca))});
  if (!text.empty()) AddLogicalPoints(corners, false);
  if (rect && (options & ETO_OPAQUE)) AddLogicalBox(rect->Left, rect->Top, rect->Right, rect->Bottom, false);

  const TPointD scale{2540.0 / Screen::PixelsPerInchX(), 2540.0 / Screen::PixelsPerInchY()};
  std::size_t s = Begin(EMR_EXTTEXTOUTW);
  ByteWriter w(out_);
  TRect b = text.empty() && !(options & ETO_OPAQUE) ? TRect{0, 0, -1, -1} : LastBoundsInclusive();
  for (std::int32_t v : {b.Left, b.Top, b.Right, b.Bottom}) w.I32(v);
  w.U32(GetWorldTransform() == TXForm{} ? GM_COMPATIBLE : GM_ADVANCED);
  w.F32(static_cast<float>(scale.X));
  w.F32(static_cast<float>(scale.Y));
  // EMRTEXT
  const std::uint32_t off_string = 76;
  const std::uint32_t string_bytes = static_cast<std::uint32_t>((text.size() * 2 + 3) / 4 * 4);
  w.I32(x);
  w.I32(y);
  w.U32(static_cast<std::uint32_t>(text.size()));
  w.U32(off_string);
  w.U32(options);
  TRect r = rect ? *rect : TRect{};
  for (std::int32_t v : {r.Left, r.Top, r.Right, r.Bottom}) w.I32(v);
  w.U32(off_string + string_bytes);
  for (char16_t c : text) w.U16(c);
  while ((w.Size() - s) % 4 != 0) w.U8(0);
  for (std::int32_t a : dx) w.I32(a);
  End(s);
  if (GetTextAlign() & TA_UPDATECP) TCanvas::MoveTo(x + static_cast<int>(width), y);
}

// ---- bitmaps

void TMetafileCanvas::StretchBitmap(const TRect& dest, const TBitmap& bmp, const TRect& src, std::uint32_t rop) {
  if (!Open() || bmp.Empty()) return;
  // Palette bitmaps are widened: readers of the records expect 24 or 32 bits.
  const TBitmap* pixels = &bmp;
  TBitmap widened;
  if (bmp.GetBitCount() <= 8) {
    widened = bmp;
    widened.SetPixelFormat(TPixelFormat::pf24bit);
    pixels = &widened;
  }
  TBytes info, bits;
  pixels->SaveToDib(info, bits);
  TPointD a = LPtoDP(dest.Left, dest.Top), c = LPtoDP(dest.Right, dest.Bottom);
  AddDeviceBox(a.X, a.Y, c.X, c.Y);
  std::size_t s = Begin(EMR_STRETCHDIBITS);
  ByteWriter w(out_);
  // Exact destination in device pixels, right and bottom exclusive.
  TRect b{static_cast<std::int32_t>(Round(std::min(a.X, c.X))), static_cast<std::int32_t>(Round(std::min(a.Y, c.Y))),
          static_cast<std::int32_t>(Round(std::max(a.X, c.X))), static_cast<std::int32_t>(Round(std::max(a.Y, c.Y)))};
  for (std::int32_t v : {b.Left, b.Top, b.Right, b.Bottom}) w.I32(v);
  w.I32(dest.Left);
  w.I32(dest.Top);
  w.I32(src.Left);
  // The DIB's rows are bottom-up; ySrc counts from the bottom row.
  w.I32(bmp.GetHeight() - src.Bottom);
  w.I32(src.Width());
  w.I32(src.Height());
  const std::uint32_t off_bmi = 80;
  w.U32(off_bmi);
  w.U32(static_cast<std::uint32_t>(info.size()));
  w.U32(off_bmi + static_cast<std::uint32_t>(info.size()));
  w.U32(static_cast<std::uint32_t>(bits.size()));
  w.U32(DIB_RGB_COLORS);
  w.U32(rop);
  w.I32(dest.Width());
  w.I32(dest.Height());
  w.Bytes(info);
  w.Bytes(bits);
  End(s);
}

// ---- clipping and saved states

void TMetafileCanvas::IntersectClipRect(const TRect& r) {
  TCanvas::IntersectClipRect(r);
  WithRect(EMR_INTERSECTCLIPRECT, r);
}

void TMetafileCanvas::ResetClip() {
  TCanvas::ResetClip();
  if (!Open()) return;
  std::size_t s = Begin(EMR_EXTSELECTCLIPRGN);
  ByteWriter w(out_);
  w.U32(0);
  w.U32(RGN_COPY);
  End(s);
}

int TMetafileCanvas::SaveDC() {
  int depth = TCanvas::SaveDC();
  saved_sel_.push_back(sel_);
  Simple(EMR_SAVEDC);
  return depth;
}

bool TMetafileCanvas::RestoreDC(int which) {
  int depth = SavedDepth();
  if (!TCanvas::RestoreDC(which)) return false;
  int index = which < 0 ? depth + which : which - 1;
  WithU32(EMR_RESTOREDC, static_cast<std::uint32_t>(index - depth));
  Selected before = sel_;
  sel_ = saved_sel_[static_cast<std::size_t>(index)];
  saved_sel_.resize(static_cast<std::size_t>(index));
  // Objects that only the dropped states referred to are deleted now.
  for (std::uint32_t h : {before.pen, before.brush, before.font}) ReleaseIfUnused(h);
  return true;
}

void TMetafileCanvas::Comment(std::span<const std::uint8_t> data) {
  if (!Open()) return;
  std::size_t s = Begin(EMR_COMMENT);
  ByteWriter w(out_);
  w.U32(static_cast<std::uint32_t>(data.size()));
  w.Bytes(data);
  End(s);
}

// ---- closing

void TMetafileCanvas::Close() {
  if (closed_) return;
  // EMR_EOF: no palette entries, offPalEntries 16, nSizeLast 20.
  std::size_t eof = Begin(EMR_EOF);
  {
    ByteWriter w(out_);
    w.U32(0);
    w.U32(16);
    w.U32(20);
  }
  End(eof);
  closed_ = true;

  const int ppx = Screen::PixelsPerInchX(), ppy = Screen::PixelsPerInchY();
  const std::int64_t um_x = Round(kDeviceWidth * 25400.0 / ppx), um_y = Round(kDeviceHeight * 25400.0 / ppy);
  TRect bounds{0, 0, -1, -1};
  if (has_bounds_) {
    rl_ = bl_, rt_ = bt_, rr_ = br_, rb_ = bb_;
    bounds = LastBoundsInclusive();
  }
  int width = metafile_.GetWidth(), height = metafile_.GetHeight();
  TRect frame;
  if (width > 0 && height > 0) {
    frame = {0, 0, static_cast<std::int32_t>(Round(width * 2540.0 / ppx)),
             static_cast<std::int32_t>(Round(height * 2540.0 / ppy))};
  } else if (has_bounds_) {
    frame = {static_cast<std::int32_t>(Round(bounds.Left * 2540.0 / ppx)),
             static_cast<std::int32_t>(Round(bounds.Top * 2540.0 / ppy)),
             static_cast<std::int32_t>(Round((bounds.Right + 1) * 2540.0 / ppx)),
             static_cast<std::int32_t>(Round((bounds.Bottom + 1) * 2540.0 / ppy))};
    width = bounds.Width() + 1;
    height = bounds.Height() + 1;
  } else {
    width = height = 0;
  }

  TBytes file;
  file.reserve(108 + out_.size());
  ByteWriter w(file);
  w.U32(EMR_HEADER);
  w.U32(108);
  for (std::int32_t v : {bounds.Left, bounds.Top, bounds.Right, bounds.Bottom}) w.I32(v);
  for (std::int32_t v : {frame.Left, frame.Top, frame.Right, frame.Bottom}) w.I32(v);
  w.U32(ENHMETA_SIGNATURE);
  w.U32(0x10000);
  w.U32(static_cast<std::uint32_t>(108 + out_.size()));
  w.U32(static_cast<std::uint32_t>(record_count_ + 1));
  w.U16(static_cast<std::uint16_t>(max_handle_ + 1));
  w.U16(0);
  w.U32(0);  // nDescription
  w.U32(0);  // offDescription
  w.U32(0);  // nPalEntries
  w.I32(kDeviceWidth);
  w.I32(kDeviceHeight);
  w.I32(static_cast<std::int32_t>(Round(um_x / 1000.0)));
  w.I32(static_cast<std::int32_t>(Round(um_y / 1000.0)));
  w.U32(0);  // cbPixelFormat
  w.U32(0);  // offPixelFormat
  w.U32(0);  // bOpenGL
  w.I32(static_cast<std::int32_t>(um_x));
  w.I32(static_cast<std::int32_t>(um_y));
  w.Bytes(out_);
  out_.clear();
  metafile_.SetRecorded(std::move(file), width, height, frame.Width(), frame.Height());
}

}  // namespace km
