#include "kmRasterCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "kmBitmap.h"
#include "kmException.h"

namespace km {

void TDevicePath::Append(const TDevicePath& other) {
  Ops.insert(Ops.end(), other.Ops.begin(), other.Ops.end());
  Points.insert(Points.end(), other.Points.begin(), other.Points.end());
}

void TDevicePath::Translate(double dx, double dy) {
  for (TPointD& p : Points) p.X += dx, p.Y += dy;
}

namespace {

void SetSourceColor(cairo_t* cr, TColor c) {
  c = ColorToRGB(c);
  cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

}  // namespace

TRasterCanvas::TRasterCanvas(TBitmap& bitmap) : bitmap_(bitmap) {}

TRasterCanvas::~TRasterCanvas() {
  if (bitmap_.canvas_dirty_) WriteBack();
}

cairo_t* TRasterCanvas::Prepare() {
  const int w = bitmap_.width_, h = bitmap_.height_;
  bool resized = !surface_ || cairo_image_surface_get_width(surface_.get()) != w ||
                 cairo_image_surface_get_height(surface_.get()) != h;
  if (resized || synced_change_ != bitmap_.change_count_) {
    if (resized) {
      cr_.reset();
      surface_.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(w, 1), std::max(h, 1)));
      cr_.reset(cairo_create(surface_.get()));
    }
    // Load the bitmap's pixels into the surface.
    cairo_surface_flush(surface_.get());
    unsigned char* data = cairo_image_surface_get_data(surface_.get());
    int stride = cairo_image_surface_get_stride(surface_.get());
    for (int y = 0; y < h; ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
      for (int x = 0; x < w; ++x) {
        TColor c = bitmap_.GetPixel(x, y);
        row[x] = 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
                 (static_cast<std::uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
      }
    }
    cairo_surface_mark_dirty(surface_.get());
    synced_change_ = bitmap_.change_count_;
  }
  cairo_t* cr = cr_.get();
  cairo_save(cr);
  cairo_identity_matrix(cr);
  cairo_set_antialias(cr, antialias_ ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
  ApplyClip(cr);
  return cr;
}

void TRasterCanvas::Finish() {
  cairo_restore(cr_.get());
  cairo_surface_flush(surface_.get());
  bitmap_.canvas_dirty_ = true;
}

void TRasterCanvas::WriteBack() {
  if (!surface_) return;
  cairo_surface_flush(surface_.get());
  const unsigned char* data = cairo_image_surface_get_data(surface_.get());
  const int stride = cairo_image_surface_get_stride(surface_.get());
  const int w = std::min(bitmap_.width_, cairo_image_surface_get_width(surface_.get()));
  const int h = std::min(bitmap_.height_, cairo_image_surface_get_height(surface_.get()));
  const int bits = BitsPerPixel(bitmap_.format_);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
    std::uint8_t* dst = bitmap_.pixels_.data() + static_cast<std::size_t>(y) * bitmap_.stride_;
    for (int x = 0; x < w; ++x) {
      std::uint32_t v = row[x];
      if (bits <= 8) {
        bitmap_.SetIndex(x, y, bitmap_.NearestIndex(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF)));
        continue;
      }
      std::uint8_t* p = dst + x * (bits / 8);
      p[0] = v & 0xFF;
      p[1] = (v >> 8) & 0xFF;
      p[2] = (v >> 16) & 0xFF;
      if (bits == 32) p[3] = 255;
    }
  }
  bitmap_.canvas_dirty_ = false;
  // The bitmap now holds what the surface holds; no reload needed.
  synced_change_ = bitmap_.change_count_;
}

void TRasterCanvas::ApplyClip(cairo_t* cr) {
  cairo_reset_clip(cr);
  for (const TRectD& r : State().DeviceClip) {
    cairo_rectangle(cr, r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    cairo_clip(cr);
  }
  for (const TDevicePath& p : clip_paths_) {
    EmitPath(cr, p);
    cairo_set_fill_rule(cr, State().PolyFillMode == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(cr);
  }
}

void TRasterCanvas::EmitPath(cairo_t* cr, const TDevicePath& path) const {
  cairo_new_path(cr);
  std::size_t i = 0;
  for (TDevicePath::Op op : path.Ops) {
    switch (op) {
      case TDevicePath::Op::Move: cairo_move_to(cr, path.Points[i].X, path.Points[i].Y); ++i; break;
      case TDevicePath::Op::Line: cairo_line_to(cr, path.Points[i].X, path.Points[i].Y); ++i; break;
      case TDevicePath::Op::Curve:
        cairo_curve_to(cr, path.Points[i].X, path.Points[i].Y, path.Points[i + 1].X, path.Points[i + 1].Y,
                       path.Points[i + 2].X, path.Points[i + 2].Y);
        i += 3;
        break;
      case TDevicePath::Op::Close: cairo_close_path(cr); break;
    }
  }
}

// ---- geometry

TDevicePath TRasterCanvas::Lines(std::span<const TPoint> points, bool close) const {
  TDevicePath p;
  for (std::size_t i = 0; i < points.size(); ++i) {
    TPointD d = LPtoDP(points[i].X, points[i].Y);
    if (i == 0) p.MoveTo(d);
    else p.LineTo(d);
  }
  if (close && !points.empty()) p.Close();
  return p;
}

TDevicePath TRasterCanvas::ArcPath(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                                   double y4, int closing) const {
  TArcAngles a = ComputeArcAngles(x1, y1, x2, y2, x3, y3, x4, y4);
  TDevicePath p;
  auto at = [&](double t) { return LPtoDP(a.CenterX + a.RadiusX * std::cos(t), a.CenterY - a.RadiusY * std::sin(t)); };
  auto deriv = [&](double t) { return TPointD{-a.RadiusX * std::sin(t), -a.RadiusY * std::cos(t)}; };
  const double sweep = a.End - a.Start;
  const int segments = std::max(1, static_cast<int>(std::ceil(sweep / (std::numbers::pi / 2) - 1e-9)));
  const double step = sweep / segments;
  const double k = 4.0 / 3.0 * std::tan(step / 4);
  if (closing == 2) {
    p.MoveTo(LPtoDP(a.CenterX, a.CenterY));
    p.LineTo(at(a.Start));
  } else {
    p.MoveTo(at(a.Start));
  }
  for (int i = 0; i < segments; ++i) {
    double t0 = a.Start + i * step, t1 = t0 + step;
    TPointD d0 = deriv(t0), d1 = deriv(t1);
    double px0 = a.CenterX + a.RadiusX * std::cos(t0), py0 = a.CenterY - a.RadiusY * std::sin(t0);
    double px1 = a.CenterX + a.RadiusX * std::cos(t1), py1 = a.CenterY - a.RadiusY * std::sin(t1);
    p.CurveTo(LPtoDP(px0 + k * d0.X, py0 + k * d0.Y), LPtoDP(px1 - k * d1.X, py1 - k * d1.Y), LPtoDP(px1, py1));
  }
  if (closing != 0) p.Close();
  return p;
}

TDevicePath TRasterCanvas::EllipsePath(double x1, double y1, double x2, double y2) const {
  // Equal start and end rays give the whole ellipse.
  return ArcPath(x1, y1, x2, y2, x2, (y1 + y2) / 2, x2, (y1 + y2) / 2, 1);
}

TDevicePath TRasterCanvas::RectPath(double x1, double y1, double x2, double y2) const {
  TDevicePath p;
  p.MoveTo(LPtoDP(x1, y1));
  p.LineTo(LPtoDP(x2, y1));
  p.LineTo(LPtoDP(x2, y2));
  p.LineTo(LPtoDP(x1, y2));
  p.Close();
  return p;
}

TDevicePath TRasterCanvas::RoundRectPath(double x1, double y1, double x2, double y2, double cx, double cy) const {
  double rx = std::min(std::fabs(cx) / 2, std::fabs(x2 - x1) / 2), ry = std::min(std::fabs(cy) / 2, std::fabs(y2 - y1) / 2);
  if (rx <= 0 || ry <= 0) return RectPath(x1, y1, x2, y2);
  const double k = 0.5522847498;
  TDevicePath p;
  p.MoveTo(LPtoDP(x1 + rx, y1));
  p.LineTo(LPtoDP(x2 - rx, y1));
  p.CurveTo(LPtoDP(x2 - rx + k * rx, y1), LPtoDP(x2, y1 + ry - k * ry), LPtoDP(x2, y1 + ry));
  p.LineTo(LPtoDP(x2, y2 - ry));
  p.CurveTo(LPtoDP(x2, y2 - ry + k * ry), LPtoDP(x2 - rx + k * rx, y2), LPtoDP(x2 - rx, y2));
  p.LineTo(LPtoDP(x1 + rx, y2));
  p.CurveTo(LPtoDP(x1 + rx - k * rx, y2), LPtoDP(x1, y2 - ry + k * ry), LPtoDP(x1, y2 - ry));
  p.LineTo(LPtoDP(x1, y1 + ry));
  p.CurveTo(LPtoDP(x1, y1 + ry - k * ry), LPtoDP(x1 + rx - k * rx, y1), LPtoDP(x1 + rx, y1));
  p.Close();
  return p;
}

TDevicePath TRasterCanvas::BezierPath(std::span<const TPoint> points) const {
  TDevicePath p;
  if (points.empty()) return p;
  p.MoveTo(LPtoDP(points[0].X, points[0].Y));
  for (std::size_t i = 1; i + 2 < points.size(); i += 3)
    p.CurveTo(LPtoDP(points[i].X, points[i].Y), LPtoDP(points[i + 1].X, points[i + 1].Y),
              LPtoDP(points[i + 2].X, points[i + 2].Y));
  return p;
}

// ---- pens and brushes

bool TRasterCanvas::PenVisible() const { return GetPen().GetStyle() != TPenStyle::psClear; }

double TRasterCanvas::PenDeviceWidth() const {
  int w = GetPen().GetWidth();
  if (w <= 1) return 1.0;
  return std::max(1.0, std::nearbyint(w * DeviceScaleX()));
}

TDevicePath TRasterCanvas::StrokeGeometry(const TDevicePath& path) const {
  TDevicePath p = path;
  // Odd widths sit on pixel centres so that a line covers whole pixels.
  if (static_cast<long>(PenDeviceWidth()) % 2 == 1) p.Translate(0.5, 0.5);
  return p;
}

void TRasterCanvas::InsetBox(double& x1, double& y1, double& x2, double& y2) const {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  // The outline runs through the centres of the outer pixels: one device
  // pixel in from the right and bottom edges.
  double sx = DeviceScaleX(), sy = DeviceScaleY();
  x2 -= sx > 0 ? 1.0 / sx : 0;
  y2 -= sy > 0 ? 1.0 / sy : 0;
}

void TRasterCanvas::FillDevicePath(const TDevicePath& path, cairo_fill_rule_t rule) {
  const TBrush& brush = GetBrush();
  if (brush.GetStyle() == TBrushStyle::bsClear || path.Empty()) return;
  cairo_t* cr = Prepare();
  EmitPath(cr, path);
  cairo_set_fill_rule(cr, rule);
  if (brush.GetStyle() == TBrushStyle::bsSolid) {
    SetSourceColor(cr, brush.GetColor());
    cairo_fill(cr);
    Finish();
    return;
  }
  // Hatched brushes: an 8 x 8 pattern of 1-pixel lines, the gaps in the
  // background colour when the background mode is opaque.
  if (GetBkMode() == OPAQUE) {
    cairo_save(cr);
    SetSourceColor(cr, GetBkColor());
    cairo_fill_preserve(cr);
    cairo_restore(cr);
  }
  CairoSurfacePtr tile(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8));
  {
    CairoPtr t(cairo_create(tile.get()));
    cairo_set_antialias(t.get(), CAIRO_ANTIALIAS_NONE);
    SetSourceColor(t.get(), brush.GetColor());
    auto px = [&](int x, int y) { cairo_rectangle(t.get(), x, y, 1, 1); };
    for (int i = 0; i < 8; ++i) switch (brush.GetStyle()) {
        case TBrushStyle::bsHorizontal: px(i, 7); break;
        case TBrushStyle::bsVertical: px(7, i); break;
        case TBrushStyle::bsFDiagonal: px(i, i); break;
        case TBrushStyle::bsBDiagonal: px(7 - i, i); break;
        case TBrushStyle::bsCross: px(i, 7); px(7, i); break;
        default: px(i, i); px(7 - i, i); break;
      }
    cairo_fill(t.get());
  }
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(tile.get());
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
  cairo_set_source(cr, pattern);
  cairo_fill(cr);
  cairo_pattern_destroy(pattern);
  Finish();
}

void TRasterCanvas::StrokeDevicePath(const TDevicePath& path) {
  if (!PenVisible() || path.Empty()) return;
  cairo_t* cr = Prepare();
  EmitPath(cr, StrokeGeometry(path));
  const double w = PenDeviceWidth();
  cairo_set_line_width(cr, w);
  cairo_set_line_cap(cr, w > 1 ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cr, w > 1 ? CAIRO_LINE_JOIN_ROUND : CAIRO_LINE_JOIN_MITER);
  std::vector<double> dashes;
  switch (GetPen().GetStyle()) {
    case TPenStyle::psDash: dashes = {18, 6}; break;
    case TPenStyle::psDot: dashes = {3, 3}; break;
    case TPenStyle::psDashDot: dashes = {9, 6, 3, 6}; break;
    case TPenStyle::psDashDotDot: dashes = {9, 3, 3, 3, 3, 3}; break;
    default: break;
  }
  for (double& d : dashes) d *= w;
  cairo_set_dash(cr, dashes.data(), static_cast<int>(dashes.size()), 0);
  SetSourceColor(cr, GetPen().GetColor());
  cairo_stroke(cr);
  Finish();
}

void TRasterCanvas::Shape(const TDevicePath& fill, const TDevicePath& stroke, bool fill_it, bool stroke_it) {
  if (path_open_) {
    path_.Append(fill.Empty() ? stroke : fill);
    return;
  }
  cairo_fill_rule_t rule = GetPolyFillMode() == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD;
  if (fill_it) FillDevicePath(fill, rule);
  if (stroke_it) StrokeDevicePath(stroke);
}

// ---- drawing calls

void TRasterCanvas::MoveTo(int x, int y) {
  TCanvas::MoveTo(x, y);
  if (path_open_) path_.MoveTo(LPtoDP(x, y));
}

void TRasterCanvas::LineTo(int x, int y) {
  TPoint pts[2] = {GetPenPos(), {x, y}};
  if (path_open_) {
    if (path_.Empty()) path_.MoveTo(LPtoDP(pts[0].X, pts[0].Y));
    path_.LineTo(LPtoDP(x, y));
  } else {
    StrokeDevicePath(Lines(pts, false));
  }
  TCanvas::MoveTo(x, y);
}

void TRasterCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  double l = x1, t = y1, r = x2, b = y2;
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  if (path_open_) {
    path_.Append(RectPath(l, t, r, b));
    return;
  }
  double il = l, it = t, ir = r, ib = b;
  InsetBox(il, it, ir, ib);
  // Without an outline GDI fills one pixel less to the right and bottom.
  TDevicePath fill = PenVisible() ? RectPath(l, t, r, b) : RectPath(l, t, ir, ib);
  Shape(fill, RectPath(il, it, ir, ib), true, true);
}

void TRasterCanvas::FillRect(const TRect& r) {
  FillDevicePath(RectPath(r.Left, r.Top, r.Right, r.Bottom), CAIRO_FILL_RULE_WINDING);
}

void TRasterCanvas::RoundRect(int x1, int y1, int x2, int y2, int cx, int cy) {
  double l = x1, t = y1, r = x2, b = y2;
  InsetBox(l, t, r, b);
  TDevicePath p = RoundRectPath(l, t, r, b, cx, cy);
  Shape(p, p, true, true);
}

void TRasterCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  double l = x1, t = y1, r = x2, b = y2;
  InsetBox(l, t, r, b);
  TDevicePath p = EllipsePath(l, t, r, b);
  Shape(p, p, true, true);
}

void TRasterCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  double l = x1, t = y1, r = x2, b = y2;
  InsetBox(l, t, r, b);
  TDevicePath p = ArcPath(l, t, r, b, x3, y3, x4, y4, 0);
  Shape(TDevicePath{}, p, false, true);
}

void TRasterCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  double l = x1, t = y1, r = x2, b = y2;
  InsetBox(l, t, r, b);
  TDevicePath p = ArcPath(l, t, r, b, x3, y3, x4, y4, 2);
  Shape(p, p, true, true);
}

void TRasterCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  double l = x1, t = y1, r = x2, b = y2;
  InsetBox(l, t, r, b);
  TDevicePath p = ArcPath(l, t, r, b, x3, y3, x4, y4, 1);
  Shape(p, p, true, true);
}

void TRasterCanvas::Polygon(std::span<const TPoint> points) {
  if (points.empty()) return;
  TDevicePath p = Lines(points, true);
  Shape(p, p, true, true);
}

void TRasterCanvas::PolyPolygon(std::span<const TPoint> points, std::span<const std::int32_t> counts) {
  TDevicePath all;
  std::size_t at = 0;
  for (std::int32_t c : counts) {
    if (c < 0 || at + static_cast<std::size_t>(c) > points.size()) return;
    all.Append(Lines(points.subspan(at, static_cast<std::size_t>(c)), true));
    at += static_cast<std::size_t>(c);
  }
  Shape(all, all, true, true);
}

void TRasterCanvas::Polyline(std::span<const TPoint> points) {
  if (points.size() < 2) return;
  Shape(TDevicePath{}, Lines(points, false), false, true);
}

void TRasterCanvas::PolyBezier(std::span<const TPoint> points) {
  if (points.size() < 4 || (points.size() - 1) % 3 != 0) return;
  Shape(TDevicePath{}, BezierPath(points), false, true);
}

void TRasterCanvas::SetPixel(int x, int y, TColor c) {
  TPointD d = LPtoDP(x, y);
  cairo_t* cr = Prepare();
  cairo_rectangle(cr, std::floor(d.X), std::floor(d.Y), 1, 1);
  SetSourceColor(cr, c);
  cairo_fill(cr);
  Finish();
}

// ---- paths

void TRasterCanvas::BeginPath() {
  TCanvas::BeginPath();
  path_ = TDevicePath{};
  path_open_ = true;
}

void TRasterCanvas::CloseFigure() {
  if (path_open_) path_.Close();
}

void TRasterCanvas::AbortPath() {
  TCanvas::AbortPath();
  path_ = TDevicePath{};
  path_open_ = false;
}

void TRasterCanvas::FillPath() {
  path_open_ = false;
  FillDevicePath(path_, GetPolyFillMode() == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
  path_ = TDevicePath{};
}

void TRasterCanvas::StrokePath() {
  path_open_ = false;
  StrokeDevicePath(path_);
  path_ = TDevicePath{};
}

void TRasterCanvas::StrokeAndFillPath() {
  path_open_ = false;
  FillDevicePath(path_, GetPolyFillMode() == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
  StrokeDevicePath(path_);
  path_ = TDevicePath{};
}

void TRasterCanvas::SelectClipPath() {
  path_open_ = false;
  if (!path_.Empty()) clip_paths_.push_back(path_);
  MutableState().ClipPath = true;
  path_ = TDevicePath{};
}

void TRasterCanvas::ResetClip() {
  TCanvas::ResetClip();
  clip_paths_.clear();
}

int TRasterCanvas::SaveDC() {
  saved_clip_paths_.push_back(clip_paths_);
  return TCanvas::SaveDC();
}

bool TRasterCanvas::RestoreDC(int which) {
  int depth = SavedDepth();
  if (!TCanvas::RestoreDC(which)) return false;
  std::size_t index = static_cast<std::size_t>(which < 0 ? depth + which : which - 1);
  clip_paths_ = saved_clip_paths_[index];
  saved_clip_paths_.resize(index);
  return true;
}

}  // namespace km
