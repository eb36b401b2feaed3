#pragma once
// The bitmap canvas: paints on a TBitmap with cairo, following GDI's pixel
// rules and without anti-aliasing: a filled rectangle (x1, y1, x2, y2) covers
// the pixels x1..x2-1, y1..y2-1; a line leaves out its last pixel; a
// rectangle drawn with a clear pen fills one pixel less to the right and
// bottom; a 1-pixel outline lies on the first and last rows and columns.
// Text is drawn with FreeType faces found by the canvas's font matcher.
//
// The canvas keeps its own 32-bit surface. Pixels drawn on it reach the
// bitmap before any read of the bitmap (the bitmap asks for them); pixels
// written through the bitmap are picked up before the next drawing call.

#include <cstdint>
#include <memory>
#include <vector>

#include "kmCanvas.h"
#include "kmLibHandles.h"

namespace km {

class TBitmap;

// A path in device pixels: moves, lines, cubic curves and closes.
struct TDevicePath {
  enum class Op { Move, Line, Curve, Close };
  std::vector<Op> Ops;
  std::vector<TPointD> Points;  // 1 per Move/Line, 3 per Curve, 0 per Close
  void MoveTo(TPointD p) { Ops.push_back(Op::Move); Points.push_back(p); }
  void LineTo(TPointD p) { Ops.push_back(Op::Line); Points.push_back(p); }
  void CurveTo(TPointD a, TPointD b, TPointD c) { Ops.push_back(Op::Curve); Points.insert(Points.end(), {a, b, c}); }
  void Close() { Ops.push_back(Op::Close); }
  bool Empty() const { return Ops.empty(); }
  void Append(const TDevicePath& other);
  void Translate(double dx, double dy);
};

class TRasterCanvas : public TCanvas {
 public:
  // Paints on bitmap, which must outlive the canvas.
  explicit TRasterCanvas(TBitmap& bitmap);
  ~TRasterCanvas() override;

  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Rectangle(int x1, int y1, int x2, int y2) override;
  using TCanvas::Rectangle;
  void FillRect(const TRect& r) override;
  void RoundRect(int x1, int y1, int x2, int y2, int cx, int cy) override;
  void Ellipse(int x1, int y1, int x2, int y2) override;
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void Polygon(std::span<const TPoint> points) override;
  void PolyPolygon(std::span<const TPoint> points, std::span<const std::int32_t> counts) override;
  void Polyline(std::span<const TPoint> points) override;
  void PolyBezier(std::span<const TPoint> points) override;
  void SetPixel(int x, int y, TColor c) override;

  void BeginPath() override;
  void CloseFigure() override;
  void AbortPath() override;
  void FillPath() override;
  void StrokePath() override;
  void StrokeAndFillPath() override;
  void SelectClipPath() override;

  void ExtTextOut(int x, int y, std::uint32_t options, const TRect* rect, const std::u16string& text,
                  std::span<const std::int32_t> advances) override;
  std::vector<std::int32_t> TextAdvances(const std::u16string& text) override;

  void StretchBitmap(const TRect& dest, const TBitmap& bmp, const TRect& src, std::uint32_t rop) override;

  void ResetClip() override;
  int SaveDC() override;
  bool RestoreDC(int which) override;

  // Turns anti-aliasing of shapes and text on or off (off by default).
  void SetAntialias(bool on) { antialias_ = on; }

  // Writes the surface's pixels into the bitmap (called by the bitmap).
  void WriteBack();

 private:
  // Makes the surface match the bitmap's size and pixels before drawing.
  cairo_t* Prepare();
  void Finish();
  void ApplyClip(cairo_t* cr);
  void EmitPath(cairo_t* cr, const TDevicePath& path) const;
  // Outline geometry of the shapes, in device pixels.
  TDevicePath Lines(std::span<const TPoint> points, bool close) const;
  TDevicePath EllipsePath(double x1, double y1, double x2, double y2) const;
  TDevicePath ArcPath(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
                      int closing) const;  // 0 open, 1 chord, 2 pie
  // The closed outline of a logical rectangle, in device space.
  TDevicePath RectPath(double x1, double y1, double x2, double y2) const;
  TDevicePath RoundRectPath(double x1, double y1, double x2, double y2, double cx, double cy) const;
  TDevicePath BezierPath(std::span<const TPoint> points) const;
  // Fill with the brush and/or stroke with the pen; in a path bracket the
  // geometry joins the path instead.
  void Shape(const TDevicePath& fill, const TDevicePath& stroke, bool fill_it, bool stroke_it);
  void FillDevicePath(const TDevicePath& path, cairo_fill_rule_t rule);
  void StrokeDevicePath(const TDevicePath& path);
  bool PenVisible() const;
  double PenDeviceWidth() const;
  // The path a 1-pixel-aligned stroke follows (moved to pixel centres for odd widths).
  TDevicePath StrokeGeometry(const TDevicePath& path) const;
  // A box shrunk to the centres of its outline pixels.
  void InsetBox(double& x1, double& y1, double& x2, double& y2) const;

  TBitmap& bitmap_;
  CairoSurfacePtr surface_;
  CairoPtr cr_;
  std::uint64_t synced_change_ = ~std::uint64_t{0};
  bool antialias_ = false;
  TDevicePath path_;
  bool path_open_ = false;
  // Clip paths in device pixels, intersected; saved with SaveDC.
  std::vector<TDevicePath> clip_paths_;
  std::vector<std::vector<TDevicePath>> saved_clip_paths_;
};

}  // namespace km
