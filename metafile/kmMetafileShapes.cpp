// Shape, path and clip records of the metafile interpreter, and the item
// factories they use.

#include <algorithm>
#include <cmath>

#include "kmCstDocEng.h"
#include "kmEmfTypes.h"
#include "kmMath.h"
#include "kmMetafileProcessor.h"

namespace km {

using namespace km::emf;

namespace {

// Integer clip coordinates stay well inside 32 bits.
int ClipCoordinate(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<int>(Round(std::clamp(v, -1.0e7, 1.0e7)));
}

TkmIntRect Normalized(int l, int t, int r, int b) {
  return TkmIntRect{std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
}

// Size of the fixed part of a region (RGNDATAHEADER) and of one rectangle.
constexpr std::size_t kRegionHeaderSize = 32;
constexpr std::size_t kRectSize = 16;

TRect ReadRect(const ByteReader& r, std::size_t offset) {
  return TRect{r.I32(offset), r.I32(offset + 4), r.I32(offset + 8), r.I32(offset + 12)};
}

}  // namespace

// ---------------------------------------------------------------------------
// Item factories

template <typename T>
T* TkmMetafileProcessor::Append(std::unique_ptr<T> item) {
  if (!FEngine.GetCurrentDocumentItemList()) return nullptr;
  T* raw = item.get();
  FEngine.AddDocumentItem(std::move(item));
  return raw;
}

std::unique_ptr<TkmShapeItem> TkmMetafileProcessor::CreateShapeItem(TkmShapeType type) const {
  auto item = std::make_unique<TkmShapeItem>(true, type);
  item->SetPen(FCurrentPen);
  item->SetBrush(FCurrentBrush);
  item->SetPenJoinStyle(FCurrentPenJoin);
  item->SetPenCapStyle(FCurrentPenCap);
  return item;
}

std::unique_ptr<TkmPolyPolygonItem> TkmMetafileProcessor::CreatePolyPolygonItem() const {
  auto item = std::make_unique<TkmPolyPolygonItem>();
  item->SetPen(FCurrentPen);
  item->SetBrush(FCurrentBrush);
  return item;
}

std::unique_ptr<TkmClipItem> TkmMetafileProcessor::CreateClipItem() const {
  auto item = std::make_unique<TkmClipItem>();
  item->SetPen(FCurrentPen);
  item->SetBrush(FCurrentBrush);
  return item;
}

std::unique_ptr<TkmPathItem> TkmMetafileProcessor::CreatePathItem(TkmPathOperation op) const {
  auto item = std::make_unique<TkmPathItem>();
  item->SetPathOperation(op);
  return item;
}

// ---------------------------------------------------------------------------
// Points

TPoint TkmMetafileProcessor::ReadLogicalPoint(const Reader& r, std::size_t offset, bool small) const {
  if (small) return TPoint{r.I16(offset), r.I16(offset + 2)};
  return TPoint{r.I32(offset), r.I32(offset + 4)};
}

std::vector<TkmPoint> TkmMetafileProcessor::ReadPoints(const Reader& r, std::size_t offset, std::uint32_t count,
                                                       bool small) const {
  const std::size_t step = small ? 4 : 8;
  std::vector<TkmPoint> points;
  points.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const TPoint p = ReadLogicalPoint(r, offset + i * step, small);
    points.push_back(MapPoint(p.X, p.Y));
  }
  return points;
}

// ---------------------------------------------------------------------------
// Poly shapes

void TkmMetafileProcessor::DoPoly(const TEmfRecord& rec, TkmShapeType type, bool small) {
  const Reader r = rec.Reader();
  const std::uint32_t count = r.U32(24);
  if (!Fits(rec, 28, count, small ? 4 : 8)) return Skip();
  if (count == 0) return;
  auto item = CreateShapeItem(type);
  item->SetPoints(ReadPoints(r, 28, count, small));
  FShapeItem = Append(std::move(item));
}

void TkmMetafileProcessor::DoPolyTo(const TEmfRecord& rec, TkmShapeType type, bool small) {
  const Reader r = rec.Reader();
  const std::uint32_t count = r.U32(24);
  if (!Fits(rec, 28, count, small ? 4 : 8)) return Skip();
  if (count == 0) return;
  std::vector<TkmPoint> points;
  points.reserve(static_cast<std::size_t>(count) + 1);
  points.push_back(MapPoint(FCurrentPathPoint.X, FCurrentPathPoint.Y));
  for (const TkmPoint& p : ReadPoints(r, 28, count, small)) points.push_back(p);
  FCurrentPathPoint = ReadLogicalPoint(r, 28 + (count - 1) * static_cast<std::size_t>(small ? 4 : 8), small);
  FUpdatePathX = 0;
  auto item = CreateShapeItem(type);
  item->SetPoints(points);
  FShapeItem = Append(std::move(item));
}

namespace {

// The per-polygon counts of a poly-poly record, checked against the record:
// the count array and the points must lie inside it and the counts must add
// up to the point total.
bool ReadPolyCounts(const TEmfRecord& rec, bool small, std::vector<std::uint32_t>& counts, std::uint32_t& total,
                    std::size_t& pointsOffset) {
  const ByteReader r = rec.Reader();
  const std::uint32_t polys = r.U32(24);
  total = r.U32(28);
  const std::uint64_t size = rec.Bytes.size();
  if (32 + static_cast<std::uint64_t>(polys) * 4 > size) return false;
  pointsOffset = 32 + static_cast<std::size_t>(polys) * 4;
  if (static_cast<std::uint64_t>(total) * (small ? 4 : 8) > size - pointsOffset) return false;
  counts.resize(polys);
  std::uint64_t sum = 0;
  for (std::uint32_t i = 0; i < polys; ++i) {
    counts[i] = r.U32(32 + static_cast<std::size_t>(i) * 4);
    sum += counts[i];
  }
  return sum == total;
}

}  // namespace

void TkmMetafileProcessor::DoPolyPolyline(const TEmfRecord& rec, bool small) {
  std::vector<std::uint32_t> counts;
  std::uint32_t total = 0;
  std::size_t offset = 0;
  if (!ReadPolyCounts(rec, small, counts, total, offset)) return Skip();
  const std::vector<TkmPoint> points = ReadPoints(rec.Reader(), offset, total, small);
  auto item = std::make_unique<TkmPolyShapeItem>();
  std::size_t next = 0;
  for (std::uint32_t n : counts) {
    if (n == 0) continue;
    auto shape = CreateShapeItem(TkmShapeType::stPolyLine);
    shape->SetPoints(std::span<const TkmPoint>(points).subspan(next, n));
    next += n;
    item->GetShapes().push_back(std::move(shape));
  }
  if (item->GetShapes().empty()) return;
  FPolyShapeItem = Append(std::move(item));
}

void TkmMetafileProcessor::DoPolyPolygon(const TEmfRecord& rec, bool small) {
  std::vector<std::uint32_t> counts;
  std::uint32_t total = 0;
  std::size_t offset = 0;
  if (!ReadPolyCounts(rec, small, counts, total, offset)) return Skip();
  // Empty polygons carry nothing; they are left out of the item.
  std::erase(counts, 0u);
  if (counts.empty()) return;
  auto item = CreatePolyPolygonItem();
  item->SetNoPoly(static_cast<int>(counts.size()));
  item->SetNoPoints();
  item->GetNoPoints()[0] = static_cast<int>(total);
  for (std::size_t i = 0; i < counts.size(); ++i) item->GetNoPoints()[i + 1] = static_cast<int>(counts[i]);
  item->SetPoints();
  item->GetPointArray() = ReadPoints(rec.Reader(), offset, total, small);
  item->SetFillAlternate(FillAlternate());
  FPolyPolygonItem = Append(std::move(item));
}

void TkmMetafileProcessor::DoPolyDraw16(const TEmfRecord& rec) {
  const Reader r = rec.Reader();
  const std::uint32_t count = r.U32(24);
  if (!Fits(rec, 28, count, 5)) return Skip();  // four bytes of point and one type byte each
  if (count == 0) return;
  auto item = std::make_unique<TkmPolyDrawItem>();
  item->SetNoPoints(static_cast<int>(count));
  item->SetPoints();
  item->GetPoints() = ReadPoints(r, 28, count, true);
  const std::size_t types = 28 + static_cast<std::size_t>(count) * 4;
  for (std::uint32_t i = 0; i < count; ++i) item->GetOperations()[i] = r.U8(types + i);
  FPolyDrawItem = Append(std::move(item));
}

// ---------------------------------------------------------------------------
// Lines and box shapes

void TkmMetafileProcessor::DoSetPixel(const Reader& r) {
  const TkmPoint p = MapPoint(r.I32(8), r.I32(12));
  const auto color = static_cast<TColor>(GetColorValue(r.U32(16)));
  auto item = CreateShapeItem(TkmShapeType::stLine);
  TPen pen = FCurrentPen;
  pen.SetColor(color);
  TBrush brush = FCurrentBrush;
  brush.SetColor(color);
  item->SetPen(pen);
  item->SetBrush(brush);
  const TkmPoint points[] = {p, p};
  item->SetPoints(points);
  FShapeItem = Append(std::move(item));
}

void TkmMetafileProcessor::DoLineTo(const Reader& r) {
  const TPoint to{r.I32(8), r.I32(12)};
  auto item = CreateShapeItem(TkmShapeType::stLine);
  const TkmPoint points[] = {MapPoint(FCurrentPathPoint.X, FCurrentPathPoint.Y), MapPoint(to.X, to.Y)};
  item->SetPoints(points);
  FCurrentPathPoint = to;
  FUpdatePathX = 0;
  FShapeItem = Append(std::move(item));
}

void TkmMetafileProcessor::DoBoxShape(const Reader& r, TkmShapeType type) {
  const TRect box = ReadRect(r, 8);
  auto item = CreateShapeItem(type);
  const TkmPoint points[] = {MapPoint(box.Left, box.Top), MapPoint(box.Right, box.Bottom)};
  item->SetPoints(points);
  FShapeItem = Append(std::move(item));
}

void TkmMetafileProcessor::DoRectangle(const Reader& r) {
  const TRect box = ReadRect(r, 8);
  // A world transform that rotates or shears turns the box into a general
  // quadrilateral, which two corners cannot describe.
  const bool turned = FXForm.eM12 != 0 || FXForm.eM21 != 0;
  auto item = CreateShapeItem(turned ? TkmShapeType::stPolygon : TkmShapeType::stRectangle);
  if (FROP2 == 11) {  // R2_NOP: the outline does not show against the background
    TPen pen = FCurrentPen;
    pen.SetColor(static_cast<TColor>(FBKColor));
    item->SetPen(pen);
  }
  if (turned) {
    const TkmPoint corners[] = {MapPoint(box.Left, box.Top), MapPoint(box.Right, box.Top),
                                MapPoint(box.Right, box.Bottom), MapPoint(box.Left, box.Bottom)};
    item->SetPoints(corners);
    FShapeItem = Append(std::move(item));
    return;
  }
  // The far corner reaches one device pixel further, whatever the mapping.
  TkmPoint far = MapPoint(box.Right, box.Bottom);
  far.X += FResX;
  far.Y += FResY;
  const TkmPoint points[] = {MapPoint(box.Left, box.Top), far};
  item->SetPoints(points);
  FShapeItem = Append(std::move(item));
}

void TkmMetafileProcessor::DoRoundRect(const Reader& r) {
  const TRect box = ReadRect(r, 8);
  const double cx = r.I32(24), cy = r.I32(28);
  // The corner ellipse is a size: it takes the mapping's scale (world
  // transform, window/viewport, input resolution) but no origin.
  const bool scaling = FMapMode >= MM_LOMETRIC && FMapMode <= MM_ANISOTROPIC;
  const double mx = scaling ? std::fabs(FMapMXmul) : 1.0, my = scaling ? std::fabs(FMapMYmul) : 1.0;
  const double wx = std::hypot(static_cast<double>(FXForm.eM11), static_cast<double>(FXForm.eM12));
  const double wy = std::hypot(static_cast<double>(FXForm.eM21), static_cast<double>(FXForm.eM22));
  auto bounded = [](double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0e7) : 0.0; };
  auto item = CreateShapeItem(TkmShapeType::stRoundRect);
  const TkmPoint points[] = {MapPoint(box.Left, box.Top), MapPoint(box.Right, box.Bottom),
                             TkmPoint{bounded(std::fabs(cx) * mx * wx * FResX), bounded(std::fabs(cy) * my * wy * FResY)}};
  item->SetPoints(points);
  FShapeItem = Append(std::move(item));
}

void TkmMetafileProcessor::DoArcShape(const Reader& r, TkmShapeType type) {
  const TRect box = ReadRect(r, 8);
  auto item = CreateShapeItem(type);
  const TkmPoint points[] = {MapPoint(box.Left, box.Top), MapPoint(box.Right, box.Bottom),
                             MapPoint(r.I32(24), r.I32(28)), MapPoint(r.I32(32), r.I32(36))};
  item->SetPoints(points);
  FShapeItem = Append(std::move(item));
}

// ---------------------------------------------------------------------------
// Regions

bool TkmMetafileProcessor::ReadRegion(const TEmfRecord& rec, std::size_t offset, std::size_t length, TRect& bound,
                                      std::vector<TRect>& rects) const {
  if (length < kRegionHeaderSize || !Fits(rec, offset, length, 1)) return false;
  const Reader r = rec.Reader();
  const std::uint32_t count = r.U32(offset + 8);
  if (static_cast<std::uint64_t>(count) * kRectSize > length - kRegionHeaderSize) return false;
  bound = ReadRect(r, offset + 16);
  rects.clear();
  rects.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) rects.push_back(ReadRect(r, offset + kRegionHeaderSize + i * kRectSize));
  return true;
}

TkmIntRect TkmMetafileProcessor::DeviceRectToNative(const TRect& r) const {
  // Region rectangles are device pixels of the metafile: only the input
  // resolution and the start offset apply.
  const TkmPoint a = DeviceToNative(r.Left, r.Top);
  const TkmPoint b = DeviceToNative(r.Right, r.Bottom);
  return Normalized(ClipCoordinate(a.X), ClipCoordinate(a.Y), ClipCoordinate(b.X), ClipCoordinate(b.Y));
}

void TkmMetafileProcessor::DoFillRgn(const TEmfRecord& rec) {
  const Reader r = rec.Reader();
  const TRect bounds = ReadRect(r, 8);
  const std::uint32_t length = r.U32(24);
  const std::uint32_t brushIndex = r.U32(28);
  TBrush brush;
  if (const TkmGDIOBJ* obj = ObjectAt(brushIndex); obj && obj->FGDIOBJType == TkmGDIOBJType::goBrush)
    brush = obj->FBrush;
  TPen pen;
  pen.SetStyle(TPenStyle::psClear);
  pen.SetWidth(0);
  // Each rectangle of the region is filled; without usable region data the
  // bounds stand for it.
  TRect bound;
  std::vector<TRect> rects;
  if (!ReadRegion(rec, 32, length, bound, rects) || rects.empty()) rects = {bounds};
  for (const TRect& rc : rects) {
    auto item = CreateShapeItem(TkmShapeType::stRectangle);
    item->SetPen(pen);
    item->SetBrush(brush);
    const TkmPoint points[] = {DeviceToNative(rc.Left, rc.Top), DeviceToNative(rc.Right, rc.Bottom)};
    item->SetPoints(points);
    FShapeItem = Append(std::move(item));
  }
}

// ---------------------------------------------------------------------------
// Paths

void TkmMetafileProcessor::DoPathOp(TkmPathOperation op) {
  auto item = CreatePathItem(op);
  switch (op) {
    case TkmPathOperation::poFillPath:
    case TkmPathOperation::poStrokeAndFillPath:
      item->SetFillAlternate(FillAlternate());
      [[fallthrough]];
    case TkmPathOperation::poStrokePath:
      item->SetPen(FCurrentPen);
      item->SetBrush(FCurrentBrush);
      break;
    default: break;
  }
  FPathItem = Append(std::move(item));
}

void TkmMetafileProcessor::DoSelectClipPath(const Reader& r) {
  const std::uint32_t mode = r.U32(8);
  auto item = CreatePathItem(TkmPathOperation::poSelectClipPath);
  item->SetMode(mode);
  FPathItem = Append(std::move(item));
  // A clip path that was built after an aborted one cannot be expressed by
  // the items: the whole metafile is then placed as one picture.
  if (mode == RGN_AND && FAbortPath) FEngine.SetMetafileAsImage(true);
}

// ---------------------------------------------------------------------------
// Clipping

void TkmMetafileProcessor::DoIntersectClipRect(const Reader& r) {
  const TRect rc = ReadRect(r, 8);
  FIsClipRect = true;
  FIsIntersectClipRect = true;
  FClipRect = ApplyMMToRect(rc);
  auto item = CreateClipItem();
  item->SetRects(1);
  item->PutRect(0, Normalized(ClipCoordinate(FClipRect.Left + FStartX), ClipCoordinate(FClipRect.Top + FStartY),
                              ClipCoordinate(FClipRect.Right + FStartX), ClipCoordinate(FClipRect.Bottom + FStartY)));
  item->SetRestore(false);
  item->SetFromInsert(true);
  item->SetMode(RGN_AND);
  FClipItem = Append(std::move(item));
  FClipRecatangle = true;
}

void TkmMetafileProcessor::DoExtSelectClipRgn(const TEmfRecord& rec) {
  const Reader r = rec.Reader();
  const std::uint32_t length = r.U32(8);
  const std::uint32_t mode = r.U32(12);
  if (length == 0) {  // the default clip: back to no clipping
    FClipRect = TkmRect{};
    auto item = CreateClipItem();
    item->SetRestore(true);
    item->SetMode(mode);
    FClipItem = Append(std::move(item));
    return;
  }
  TRect bound;
  std::vector<TRect> rects;
  if (!ReadRegion(rec, 16, length, bound, rects)) return Skip();
  auto item = CreateClipItem();
  item->SetRestore(false);
  item->SetMode(mode);
  if (rects.size() == 1) {
    item->SetRects(1);
    item->PutRect(0, DeviceRectToNative(rects[0]));
    FIsClipRect = true;
  } else {
    // Rectangle 0 holds the region's bounds and rectangles 1..n the region's
    // own rectangles, so that a reader taking rectangles 1 onwards (the union
    // of the region) sees every one of them.
    item->SetRects(static_cast<int>(rects.size()) + 1);
    item->PutRect(0, DeviceRectToNative(bound));
    for (std::size_t i = 0; i < rects.size(); ++i) item->PutRect(static_cast<int>(i) + 1, DeviceRectToNative(rects[i]));
  }
  FClipItem = Append(std::move(item));
}

void TkmMetafileProcessor::DoRestoreDC(const Reader& r) {
  RestoreMetaState(r.I32(8));
  FClipRect = TkmRect{};
  auto item = CreateClipItem();
  item->SetRestore(true);
  item->SetFromInsert(FClipRecatangle);
  FClipItem = Append(std::move(item));
  FClipRecatangle = false;
}

void TkmMetafileProcessor::DoEOF() {
  FSeenEOF = true;
  auto item = std::make_unique<TkmEOFItem>();
  item->SetStatus(true);
  FEOFItem = Append(std::move(item));
  FIsClipRect = false;
  FAbortPath = false;
}

}  // namespace km
