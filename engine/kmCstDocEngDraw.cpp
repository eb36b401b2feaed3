// Shape recording and the base shape encoders.
//
// The recording operations build one shape item each, with the current pen
// (and brush when filling), at native page-absolute positions. The base
// encoders are the fallback for output engines that cannot draw vectors: they
// paint the shape on a bitmap with the platform canvas and hand the bitmap to
// EncodeShapeBitmap.

#include <algorithm>
#include <cmath>
#include <vector>

#include "kmBitmap.h"
#include "kmCanvas.h"
#include "kmCstDocEng.h"

namespace km {

namespace {

// True when shapes may be recorded now. Arc ignores ItemsToRender.
bool MayRecordShape(const TkmCustomDocumentEngine& e, bool checkItemsToRender) {
  if (!e.GetIsDocumentStarted()) return false;
  if (!e.GetCapabilities().Contains(TkmCapabilityKind::ckShape)) return false;
  return !checkItemsToRender || e.GetItemsToRender().Contains(TkmItemsToRenderKind::irShape);
}

// Builds the item: the points converted to native page positions (the first
// `converted` of them; the rest are stored as given), the current pen and,
// when filling, the current brush.
void RecordShape(TkmCustomDocumentEngine& e, TkmShapeType type, bool fill, std::vector<TkmPoint> points,
                 std::size_t converted) {
  auto item = std::make_unique<TkmShapeItem>(fill, type);
  e.ClipShapeCoordinates(std::span<TkmPoint>(points.data(), std::min(converted, points.size())));
  item->SetPoints(points);
  item->SetPen(e.GetPen());
  if (fill) item->SetBrush(e.GetBrush());
  e.AddDocumentItem(std::move(item));
}

void RecordShape(TkmCustomDocumentEngine& e, TkmShapeType type, bool fill, std::vector<TkmPoint> points) {
  const std::size_t n = points.size();
  RecordShape(e, type, fill, std::move(points), n);
}

std::vector<TkmPoint> Corners(double X1, double Y1, double X2, double Y2) { return {{X1, Y1}, {X2, Y2}}; }

std::vector<TkmPoint> ArcPoints(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4,
                                double Y4) {
  return {{X1, Y1}, {X2, Y2}, {X3, Y3}, {X4, Y4}};
}

}  // namespace

void TkmCustomDocumentEngine::Line(double X1, double Y1, double X2, double Y2) {
  if (MayRecordShape(*this, true)) RecordShape(*this, TkmShapeType::stLine, false, Corners(X1, Y1, X2, Y2));
}

void TkmCustomDocumentEngine::Rectangle(double X1, double Y1, double X2, double Y2, bool IsFill) {
  if (MayRecordShape(*this, true))
    RecordShape(*this, TkmShapeType::stRectangle, IsFill, Corners(X1, Y1, X2, Y2));
}

void TkmCustomDocumentEngine::RoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3,
                                        bool IsFill) {
  if (!MayRecordShape(*this, true)) return;
  // The corner ellipse is a size: converted without the band origin.
  std::vector<TkmPoint> points = Corners(X1, Y1, X2, Y2);
  points.push_back({NativeXPos(X3), NativeYPos(Y3)});
  RecordShape(*this, TkmShapeType::stRoundRect, IsFill, std::move(points), 2);
}

void TkmCustomDocumentEngine::Ellipse(double X1, double Y1, double X2, double Y2, bool IsFill) {
  if (MayRecordShape(*this, true))
    RecordShape(*this, TkmShapeType::stEllipse, IsFill, Corners(X1, Y1, X2, Y2));
}

void TkmCustomDocumentEngine::Polygon(std::span<const TkmPoint> Points, bool IsFill) {
  if (MayRecordShape(*this, true))
    RecordShape(*this, TkmShapeType::stPolygon, IsFill, {Points.begin(), Points.end()});
}

void TkmCustomDocumentEngine::PolyLine(std::span<const TkmPoint> Points) {
  if (MayRecordShape(*this, true))
    RecordShape(*this, TkmShapeType::stPolyLine, false, {Points.begin(), Points.end()});
}

void TkmCustomDocumentEngine::Arc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4,
                                  double Y4) {
  if (MayRecordShape(*this, false))
    RecordShape(*this, TkmShapeType::stArc, false, ArcPoints(X1, Y1, X2, Y2, X3, Y3, X4, Y4));
}

void TkmCustomDocumentEngine::Pie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4,
                                  double Y4, bool IsFill) {
  if (MayRecordShape(*this, true))
    RecordShape(*this, TkmShapeType::stPie, IsFill, ArcPoints(X1, Y1, X2, Y2, X3, Y3, X4, Y4));
}

void TkmCustomDocumentEngine::Chord(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4,
                                    double Y4, bool IsFill) {
  if (MayRecordShape(*this, true))
    RecordShape(*this, TkmShapeType::stChord, IsFill, ArcPoints(X1, Y1, X2, Y2, X3, Y3, X4, Y4));
}

void TkmCustomDocumentEngine::PolyBezier(std::span<const TkmPoint> Points) {
  if (MayRecordShape(*this, true))
    RecordShape(*this, TkmShapeType::stPolyBezier, false, {Points.begin(), Points.end()});
}

// ---------------------------------------------------------------------------
// Base encoders: raster fallback.

namespace {

// The largest side of a fallback bitmap; a shape whose box is larger (or not
// finite, as from a malformed metafile) is not rasterised.
constexpr double kMaxRasterSide = 16384;

// An integer canvas coordinate; far-off points are pulled in to a range the
// canvas can take instead of overflowing the conversion.
int CanvasCoordinate(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<int>(std::nearbyint(std::clamp(v, -4.0 * kMaxRasterSide, 4.0 * kMaxRasterSide)));
}

// A bitmap covering a shape's defining points, grown by the pen's reach so
// that strokes on the bounding box (a horizontal line, a rectangle's edges)
// land inside it; its pixels outside the shape are transparent.
class TShapeRaster {
 public:
  TShapeRaster(std::span<const TkmPoint> points, const TPen& pen, const TBrush* brush) {
    double minX = points[0].X, maxX = points[0].X, minY = points[0].Y, maxY = points[0].Y;
    for (const TkmPoint& p : points) {
      minX = std::min(minX, p.X);
      maxX = std::max(maxX, p.X);
      minY = std::min(minY, p.Y);
      maxY = std::max(maxY, p.Y);
    }
    // Half the pen on each side, at least one pixel (a 0 width pen draws
    // one pixel, and GDI outlines reach the pixel at the far corner).
    const int reach =
        pen.GetStyle() == TPenStyle::psClear ? 1 : std::clamp((pen.GetWidth() + 1) / 2, 1, static_cast<int>(kMaxRasterSide));
    originX_ = minX - reach;
    originY_ = minY - reach;
    const double dx = std::fabs(maxX - minX) + 2 * reach + 1, dy = std::fabs(maxY - minY) + 2 * reach + 1;
    usable_ = std::isfinite(dx) && std::isfinite(dy) && dx <= kMaxRasterSide && dy <= kMaxRasterSide;
    if (!usable_) return;
    const int w = static_cast<int>(std::nearbyint(dx)), h = static_cast<int>(std::nearbyint(dy));
    bitmap_.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap_.SetSize(w, h);
    const TColor key = KeyColour(pen, brush);
    bitmap_.Fill(key);
    bitmap_.SetTransparentColor(key);
    bitmap_.SetTransparent(true);
    TCanvas& c = bitmap_.Canvas();
    c.SetPen(pen);
    if (brush != nullptr) {
      c.SetBrush(*brush);
    } else {
      TBrush clear;
      clear.SetStyle(TBrushStyle::bsClear);
      c.SetBrush(clear);
    }
  }

  // False for a shape too large or not finite: nothing is drawn then.
  bool Usable() const { return usable_; }
  TCanvas& Canvas() { return bitmap_.Canvas(); }
  TBitmap& Bitmap() { return bitmap_; }
  double OriginX() const { return originX_; }
  double OriginY() const { return originY_; }
  int X(double x) const { return CanvasCoordinate(x - originX_); }
  int Y(double y) const { return CanvasCoordinate(y - originY_); }
  TPoint P(const TkmPoint& p) const { return {X(p.X), Y(p.Y)}; }
  std::vector<TPoint> Ps(std::span<const TkmPoint> points) const {
    std::vector<TPoint> out;
    out.reserve(points.size());
    for (const TkmPoint& p : points) out.push_back(P(p));
    return out;
  }

 private:
  // A background colour that neither the pen nor the brush uses.
  static TColor KeyColour(const TPen& pen, const TBrush* brush) {
    for (TColor c : {TColor(0x00FF00FF), TColor(0x0000FF00), TColor(0x00FFFF00)})
      if (ColorToRGB(pen.GetColor()) != c && (brush == nullptr || ColorToRGB(brush->GetColor()) != c)) return c;
    return TColor(0x00FF00FF);
  }

  TBitmap bitmap_;
  bool usable_ = false;
  double originX_ = 0;
  double originY_ = 0;
};

}  // namespace

void TkmCustomDocumentEngine::EncodeLine(double X1, double Y1, double X2, double Y2, const TPen& Pen) {
  const TkmPoint pts[] = {{X1, Y1}, {X2, Y2}};
  TShapeRaster r(pts, Pen, nullptr);
  if (!r.Usable()) return;
  r.Canvas().MoveTo(r.X(X1), r.Y(Y1));
  r.Canvas().LineTo(r.X(X2), r.Y(Y2));
  EncodeShapeBitmap(r.OriginX(), r.OriginY(), r.Bitmap());
}

void TkmCustomDocumentEngine::EncodeRect(double X1, double Y1, double X2, double Y2, const TPen& Pen,
                                         const TBrush* Brush) {
  const TkmPoint pts[] = {{X1, Y1}, {X2, Y2}};
  TShapeRaster r(pts, Pen, Brush);
  if (!r.Usable()) return;
  r.Canvas().Rectangle(r.X(X1), r.Y(Y1), r.X(X2), r.Y(Y2));
  EncodeShapeBitmap(r.OriginX(), r.OriginY(), r.Bitmap());
}

void TkmCustomDocumentEngine::EncodeRoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3,
                                              const TPen& Pen, const TBrush* Brush) {
  const TkmPoint pts[] = {{X1, Y1}, {X2, Y2}};
  TShapeRaster r(pts, Pen, Brush);
  if (!r.Usable()) return;
  r.Canvas().RoundRect(r.X(X1), r.Y(Y1), r.X(X2), r.Y(Y2), CanvasCoordinate(X3), CanvasCoordinate(Y3));
  EncodeShapeBitmap(r.OriginX(), r.OriginY(), r.Bitmap());
}

void TkmCustomDocumentEngine::EncodeEllipse(double X1, double Y1, double X2, double Y2, const TPen& Pen,
                                            const TBrush* Brush) {
  const TkmPoint pts[] = {{X1, Y1}, {X2, Y2}};
  TShapeRaster r(pts, Pen, Brush);
  if (!r.Usable()) return;
  r.Canvas().Ellipse(r.X(X1), r.Y(Y1), r.X(X2), r.Y(Y2));
  EncodeShapeBitmap(r.OriginX(), r.OriginY(), r.Bitmap());
}

void TkmCustomDocumentEngine::EncodePolyLine(std::span<const TkmPoint> Points, bool IsClosed, const TPen& Pen,
                                             const TBrush* Brush) {
  if (Points.empty()) return;
  TShapeRaster r(Points, Pen, IsClosed ? Brush : nullptr);
  if (!r.Usable()) return;
  const std::vector<TPoint> p = r.Ps(Points);
  if (IsClosed) r.Canvas().Polygon(p); else r.Canvas().Polyline(p);
  EncodeShapeBitmap(r.OriginX(), r.OriginY(), r.Bitmap());
}

void TkmCustomDocumentEngine::EncodePolyPolyline(TkmPolyShapeItem& AObject, bool IsClosed) {
  std::vector<TkmPoint> all;
  for (const auto& shape : AObject.GetShapes())
    if (shape) all.insert(all.end(), shape->GetPoints().begin(), shape->GetPoints().end());
  if (all.empty()) return;
  const TkmShapeItem& first = *AObject.GetShapes().front();
  TShapeRaster r(all, first.GetPen(), IsClosed ? first.GetBrush() : nullptr);
  if (!r.Usable()) return;
  r.Canvas().SetPolyFillMode(AObject.GetFillAlternate() ? ALTERNATE : WINDING);
  for (const auto& shape : AObject.GetShapes()) {
    if (!shape || shape->GetPoints().empty()) continue;
    const std::vector<TPoint> p = r.Ps(shape->GetPoints());
    if (IsClosed) r.Canvas().Polygon(p); else r.Canvas().Polyline(p);
  }
  EncodeShapeBitmap(r.OriginX(), r.OriginY(), r.Bitmap());
}

namespace {

// Arcs, pies and chords rasterise the same way: the box sets the bitmap, the
// canvas operation draws into it.
using TArcDraw = void (TCanvas::*)(int, int, int, int, int, int, int, int);

template <class Encode>
void RasteriseArc(TArcDraw draw, double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4,
                  double Y4, const TPen& Pen, const TBrush* Brush, Encode&& encode) {
  const TkmPoint pts[] = {{X1, Y1}, {X2, Y2}};
  TShapeRaster r(pts, Pen, Brush);
  if (!r.Usable()) return;
  (r.Canvas().*draw)(r.X(X1), r.Y(Y1), r.X(X2), r.Y(Y2), r.X(X3), r.Y(Y3), r.X(X4), r.Y(Y4));
  encode(r.OriginX(), r.OriginY(), r.Bitmap());
}

}  // namespace

void TkmCustomDocumentEngine::EncodeArc(double X1, double Y1, double X2, double Y2, double X3, double Y3,
                                        double X4, double Y4, const TPen& Pen) {
  // The arc takes the engine's current brush; an arc never fills.
  RasteriseArc(&TCanvas::Arc, X1, Y1, X2, Y2, X3, Y3, X4, Y4, Pen, &FBrush,
               [this](double x, double y, TBitmap& b) { EncodeShapeBitmap(x, y, b); });
}

void TkmCustomDocumentEngine::EncodePie(double X1, double Y1, double X2, double Y2, double X3, double Y3,
                                        double X4, double Y4, const TPen& Pen, const TBrush* Brush) {
  RasteriseArc(&TCanvas::Pie, X1, Y1, X2, Y2, X3, Y3, X4, Y4, Pen, Brush,
               [this](double x, double y, TBitmap& b) { EncodeShapeBitmap(x, y, b); });
}

void TkmCustomDocumentEngine::EncodeChord(double X1, double Y1, double X2, double Y2, double X3, double Y3,
                                          double X4, double Y4, const TPen& Pen, const TBrush* Brush) {
  RasteriseArc(&TCanvas::Chord, X1, Y1, X2, Y2, X3, Y3, X4, Y4, Pen, Brush,
               [this](double x, double y, TBitmap& b) { EncodeShapeBitmap(x, y, b); });
}

void TkmCustomDocumentEngine::EncodePolyBezier(std::span<const TkmPoint> Points, const TPen& Pen) {
  // A start point and whole groups of three; a shorter chain draws nothing.
  if (Points.size() < 4) return;
  const std::size_t n = 1 + (Points.size() - 1) / 3 * 3;
  TShapeRaster r(Points.first(n), Pen, nullptr);
  if (!r.Usable()) return;
  r.Canvas().PolyBezier(r.Ps(Points.first(n)));
  EncodeShapeBitmap(r.OriginX(), r.OriginY(), r.Bitmap());
}

void TkmCustomDocumentEngine::EncodePolyPolygon(TkmPolyPolygonItem& AObject) {
  // Only whole polygons that the point array really holds are drawn.
  const std::vector<TkmPoint>& points = AObject.GetPointArray();
  const std::vector<int>& counts = AObject.GetNoPoints();
  std::vector<std::int32_t> used;
  std::size_t total = 0;
  for (int i = 1; i <= AObject.GetNoPoly() && i < static_cast<int>(counts.size()); ++i) {
    const int c = counts[static_cast<std::size_t>(i)];
    if (c <= 0 || total + static_cast<std::size_t>(c) > points.size()) break;
    used.push_back(c);
    total += static_cast<std::size_t>(c);
  }
  if (total == 0) return;
  const std::span<const TkmPoint> pts(points.data(), total);
  TShapeRaster r(pts, AObject.GetPen(), &AObject.GetBrush());
  if (!r.Usable()) return;
  r.Canvas().SetPolyFillMode(AObject.GetFillAlternate() ? ALTERNATE : WINDING);
  r.Canvas().PolyPolygon(r.Ps(pts), used);
  EncodeShapeBitmap(r.OriginX(), r.OriginY(), r.Bitmap());
}

void TkmCustomDocumentEngine::EncodeClipRect(TkmClipItem&) {}
void TkmCustomDocumentEngine::EncodePathItem(TkmPathItem&) {}
void TkmCustomDocumentEngine::EncodeEOF(TkmEOFItem&) {}
void TkmCustomDocumentEngine::EncodePolyDraw(TkmPolyDrawItem&) {}
void TkmCustomDocumentEngine::EncodeShapeBitmap(double, double, TBitmap&) {}

}  // namespace km
