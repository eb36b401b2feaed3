// TkmCustomPDFEngine: poly-polylines, poly-polygons, poly-draw items, the
// recorded paths of metafiles, clip regions and the end of a played metafile.
//
// Every clip opens one saved graphics state ("q") and every close writes one
// "Q"; the open levels are counted so that a restore, the end of a metafile
// and the end of the page close exactly what was opened.

#include <algorithm>

#include "kmCstPDFEng.h"
#include "kmUtils3.h"

namespace km {

namespace {

// Windows point types of poly-draw records.
constexpr std::uint8_t kPtLineTo = 2, kPtLineToClose = 3, kPtBezierTo = 4, kPtBezierToClose = 5, kPtMoveTo = 6;

// Region combination modes of clip records.
constexpr std::uint32_t kRgnAnd = 1, kRgnCopy = 5;

}  // namespace

void TkmCustomPDFEngine::ResetPathAndClipState() {
  FPathStatus = TkmPathStatus::psNoPath;
  FPath.clear();
  FFirstPoint = true;
  FIsPathClosed = false;
  FInitialPos = {};
  FIsClipState = false;
  FIsInsertClipState = false;
  FClipNesting = 0;
  FIsClipPath = false;
  FPattern_Hatcy = false;
}

int TkmCustomPDFEngine::OpenClipLevels() const {
  return (FIsClipState ? 1 + FClipNesting : 0) + (FIsInsertClipState ? 1 : 0);
}

// ---- Poly shapes ----------------------------------------------------------------

void TkmCustomPDFEngine::EncodePolyPolyline(TkmPolyShapeItem& AObject, bool IsClosed) {
  const auto& shapes = AObject.GetShapes();
  if (shapes.empty() || !shapes.front()) return;
  const TkmShapeItem& first = *shapes.front();
  const TPen& pen = first.GetPen();
  // Polylines never fill; only closed figures take the brush.
  const TBrush* brush = IsClosed && BrushVisible(first.GetBrush()) ? first.GetBrush() : nullptr;
  if (!PenVisible(&pen) && brush == nullptr) return;
  std::string p;
  for (const auto& shape : shapes) {
    if (!shape || shape->GetPoints().empty()) continue;
    const auto& pts = shape->GetPoints();
    for (std::size_t i = 0; i < pts.size(); ++i) p += PointText(pts[i].X, pts[i].Y) + (i == 0 ? " m " : " l ");
    if (IsClosed) p += PointText(pts[0].X, pts[0].Y) + " l ";
  }
  if (p.empty()) return;
  std::string text;
  if (first.GetLineArtSettings().GetOpacity() < 100) text += SetGState(first.GetLineArtSettings().GetOpacity()) + "\r\n";
  if (PenVisible(&pen)) text += StrokeSettings(pen);
  const char* fill = AObject.GetFillAlternate() ? "f*" : "f";
  if (brush != nullptr) {
    if (brush->GetStyle() == TBrushStyle::bsSolid)
      text += GetCSForFill(ColorToPDFColor(brush->GetColor())) + "\r\n" + p + "\r\n" + fill + "\r\n";
    else
      text += "/CSP cs " + ColorToPDFColor(brush->GetColor()) + " /" + GetPattern(brush->GetStyle()) + " scn n" +
              "\r\n" + p + "\r\n" + fill + "\r\n";
  }
  if (PenVisible(&pen)) text += p + (IsClosed ? "s" : "S");
  if (FIsClipState) AppendContent("\r\n" + text + "\r\n");
  else AppendContent("\r\nq\r\n" + text + "\r\n" + "Q");
  FPattern_Hatcy = false;
}

void TkmCustomPDFEngine::EncodePolyPolygon(TkmPolyPolygonItem& AObject) {
  // Only polygons whose points the item really holds are written; each one
  // is closed, so the outline of every polygon is complete.
  const std::vector<TkmPoint>& points = AObject.GetPointArray();
  const std::vector<int>& counts = AObject.GetNoPoints();
  std::string p;
  std::size_t next = 0;
  for (int k = 1; k <= AObject.GetNoPoly() && k < static_cast<int>(counts.size()); ++k) {
    const int c = counts[static_cast<std::size_t>(k)];
    if (c <= 0 || next + static_cast<std::size_t>(c) > points.size()) break;
    for (int i = 0; i < c; ++i, ++next) p += PointText(points[next].X, points[next].Y) + (i == 0 ? " m " : " l ") + "\r\n";
    p += "h\r\n";
  }
  if (p.empty()) return;
  p += "\r\n";
  const TPen& pen = AObject.GetPen();
  const TBrush& brush = AObject.GetBrush();
  if (!PenVisible(&pen) && !BrushVisible(&brush)) return;
  const char* fill = AObject.GetFillAlternate() ? "f*" : "f";
  std::string text = OpacityState();
  if (brush.GetStyle() == TBrushStyle::bsSolid)
    text += GetCSForFill(ColorToPDFColor(brush.GetColor())) + "\r\n" + p + "\r\n" + fill + "\r\n";
  else if (BrushVisible(&brush))
    text += "/CSP cs " + ColorToPDFColor(brush.GetColor()) + " /" + GetPattern(brush.GetStyle()) + " scn n" + "\r\n" +
            p + "\r\n" + fill + "\r\n";
  if (PenVisible(&pen)) text += StrokeSettings(pen) + p + " s";
  WriteShape(text, "Q ");
}

void TkmCustomPDFEngine::EncodePolyDraw(TkmPolyDrawItem& AObject) {
  if (FPathStatus != TkmPathStatus::psPathBegins) return;
  const auto& pts = AObject.GetPoints();
  const auto& ops = AObject.GetOperations();
  const int n = AObject.GetNoPoints();
  // A count the arrays do not hold is a malformed item: dropped whole.
  if (n < 0 || static_cast<std::size_t>(n) > pts.size() || static_cast<std::size_t>(n) > ops.size()) return;
  std::string s;
  bool closed = false;
  auto pt = [&](int i) { return PointText(pts[static_cast<std::size_t>(i)].X, pts[static_cast<std::size_t>(i)].Y); };
  for (int i = 0; i < n;) {
    const std::uint8_t type = ops[static_cast<std::size_t>(i)];
    if (type == kPtMoveTo || type == kPtLineTo || type == kPtLineToClose) {
      s += pt(i) + (type == kPtMoveTo ? " m " : " l ") + "\r\n";
      if (type == kPtLineToClose) closed = true;
      i += 1;
    } else if (type == kPtBezierTo) {
      if (i + 2 >= n) return;  // a Bezier segment needs three points
      s += pt(i) + " " + pt(i + 1) + " " + pt(i + 2) + " c ";
      // The close flag sits on the segment's end point.
      if (ops[static_cast<std::size_t>(i + 2)] == kPtBezierToClose) closed = true;
      i += 3;
    } else {
      i += 1;  // a close marker on its own, or an unknown type
    }
  }
  FPath += s;
  if (closed) FIsPathClosed = true;
}

// ---- Recorded paths -------------------------------------------------------------

std::string TkmCustomPDFEngine::PathFillSelection(const TBrush& Brush) {
  if (Brush.GetStyle() == TBrushStyle::bsSolid) return GetCSForFill(ColorToPDFColor(Brush.GetColor())) + " ";
  return "/CSP cs " + ColorToPDFColor(Brush.GetColor()) + " /" + GetPattern(Brush.GetStyle()) + " scn ";
}

void TkmCustomPDFEngine::PaintRecordedPath(const TPen* Pen, const TBrush* Brush, bool stroke, bool fill,
                                           bool alternate) {
  const bool p = stroke && PenVisible(Pen), b = fill && BrushVisible(Brush);
  FPathStatus = TkmPathStatus::psNoPath;
  std::string text;
  if (!FPath.empty()) {
    std::string op;
    if (p && b) op = FIsPathClosed ? (alternate ? "b*" : "b") : (alternate ? "B*" : "B");
    else if (b) op = alternate ? "f*" : (FIsPathClosed ? "f" : "F");
    else if (p) op = FIsPathClosed ? "s" : "S";
    else op = "n";  // a clear pen strokes nothing and a clear brush fills nothing
    // A line break first: the previous content may end in an operator.
    text += "\r\n";
    if (p) text += StrokeSettings(*Pen);
    if (b) text += PathFillSelection(*Brush);
    text += "\r\n" + FPath + op + "\r\n";
  }
  FPath.clear();
  if (!text.empty()) AppendContent(text);
}

void TkmCustomPDFEngine::EncodePathItem(TkmPathItem& AObject) {
  const bool recording = FPathStatus == TkmPathStatus::psPathBegins;
  switch (AObject.GetPathOperation()) {
    case TkmPathOperation::poBeginPath:
      FPathStatus = TkmPathStatus::psPathBegins;
      FFirstPoint = true;
      FIsPathClosed = false;  // a new path starts open
      FPath.clear();
      break;
    case TkmPathOperation::poEndPath:
      if (recording) FPathStatus = TkmPathStatus::psPathEnds;
      break;
    case TkmPathOperation::poCloseFigure:
      if (recording) {
        if (!FPath.empty()) FPath += "h ";
        FIsPathClosed = true;
        FFirstPoint = true;
      }
      break;
    case TkmPathOperation::poAbortPath:
      // The recorded path never reached the content stream: dropping it is enough.
      FPath.clear();
      FPathStatus = TkmPathStatus::psNoPath;
      break;
    case TkmPathOperation::poFillPath:
      PaintRecordedPath(AObject.GetPen(), AObject.GetBrush(), false, true, AObject.GetFillAlternate());
      break;
    case TkmPathOperation::poStrokeAndFillPath:
      PaintRecordedPath(AObject.GetPen(), AObject.GetBrush(), true, true, AObject.GetFillAlternate());
      break;
    case TkmPathOperation::poStrokePath:
      PaintRecordedPath(AObject.GetPen(), AObject.GetBrush(), true, false, AObject.GetFillAlternate());
      break;
    case TkmPathOperation::poSelectClipPath:
      break;
  }
}

// ---- Clips ----------------------------------------------------------------------

std::string TkmCustomPDFEngine::ClipRectPath(const TkmIntRect& r) const {
  return PointText(r.Left, r.Top) + " m " + "\r\n" + PointText(r.Right, r.Top) + " l " + "\r\n" +
         PointText(r.Right, r.Bottom) + " l " + "\r\n" + PointText(r.Left, r.Bottom) + " l " + "\r\n" +
         PointText(r.Left, r.Top) + " l " + "\r\n";
}

void TkmCustomPDFEngine::EncodeClipRect(TkmClipItem& AObject) {
  const int count = std::max(0, AObject.GetNoRects());
  std::string text;
  if (AObject.GetFromInsert()) {
    if (AObject.GetRestore()) {
      if (FIsInsertClipState) text = " Q \r\n";
      FIsInsertClipState = false;
    } else if (count > 0) {
      text = " q " + ClipRectPath(AObject.GetRects(0)) + " W* n " + "\r\n";
      if (FIsInsertClipState) text = " Q " + text + "\r\n";
      FIsInsertClipState = true;
    }
    FtextHit = false;
  } else {
    if (FIsInsertClipState) {
      text = " Q \r\n";
      FIsInsertClipState = false;
    }
    if (!AObject.GetRestore()) {
      std::string path;
      if (count == 1) path = ClipRectPath(AObject.GetRects(0));
      for (int i = 1; i < count; ++i) path += ClipRectPath(AObject.GetRects(i));
      const std::uint32_t mode = AObject.GetMode();
      if (FIsClipState) {
        // A further intersecting region nests one more level, counted so
        // that the restore closes it too.
        if (mode == kRgnAnd && count >= 2) {
          text += " q " + path + " W* n " + "\r\n";
          ++FClipNesting;
        }
      } else if (mode == kRgnAnd && !path.empty()) {
        text += " q " + path + " W* n " + "\r\n";
        FIsClipState = true;
      } else if (mode == kRgnCopy) {
        text += " q \r\n";
        FIsClipState = true;
      }
    } else if (FIsClipState) {
      for (int i = 0; i <= FClipNesting; ++i) text += " Q \r\n";
      FIsClipState = false;
      FClipNesting = 0;
    }
  }
  if (!text.empty()) AppendContent(text);
  FPattern_Hatcy = false;
}

void TkmCustomPDFEngine::EncodeEOF(TkmEOFItem& AObject) {
  if (!AObject.GetStatus()) return;
  const int levels = OpenClipLevels();
  std::string text;
  for (int i = 0; i < levels; ++i) text += " Q ";
  if (!text.empty()) AppendContent(text);
  FIsClipState = false;
  FIsInsertClipState = false;
  FClipNesting = 0;
}

}  // namespace km
