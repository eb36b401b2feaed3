// The interpreter's walk, its device-context state, the coordinate mapping and
// the object table. Shape, path and clip records are in kmMetafileShapes.cpp.

#include "kmMetafileProcessor.h"

#include <algorithm>
#include <cmath>

#include "kmCstDocEng.h"
#include "kmEmfTypes.h"
#include "kmMath.h"
#include "kmMetafile.h"
#include "kmScreen.h"

namespace km {

using namespace km::emf;

namespace {

bool IsScalingMode(std::uint32_t mode) { return mode >= MM_LOMETRIC && mode <= MM_ANISOTROPIC; }
bool IsExtentMode(std::uint32_t mode) { return mode == MM_ISOTROPIC || mode == MM_ANISOTROPIC; }

bool Finite(const TXForm& f) {
  return std::isfinite(f.eM11) && std::isfinite(f.eM12) && std::isfinite(f.eM21) && std::isfinite(f.eM22) &&
         std::isfinite(f.eDx) && std::isfinite(f.eDy);
}

// Input resolution factor P / R; a resolution below 1 counts as the screen's.
double ResolutionFactor(int inputRes) {
  if (inputRes < 1) return 1.0;
  return CPixelsPerInch / inputRes;
}

}  // namespace

TkmFont::TkmFont() { SetHeight(0); }

// ---------------------------------------------------------------------------
// Life cycle

TkmMetafileProcessor::TkmMetafileProcessor(TkmCustomDocumentEngine& engine) : FEngine(engine) {
  // Text items share the document list: the engine does not sort text.
  FPTextList = engine.GetCurrentDocumentItemList();
  const TkmItemsToRender items = engine.GetItemsToRender();
  const TkmCapabilities caps = engine.GetCapabilities();
  FProcessText = items.Contains(TkmItemsToRenderKind::irText) && caps.Contains(TkmCapabilityKind::ckText);
  FProcessImage = items.Contains(TkmItemsToRenderKind::irImage) && caps.Contains(TkmCapabilityKind::ckImage);
  FProcessShape = items.Contains(TkmItemsToRenderKind::irShape) && caps.Contains(TkmCapabilityKind::ckShape);
  FResX = ResolutionFactor(engine.GetInputXRes());
  FResY = ResolutionFactor(engine.GetInputYRes());
}

TkmMetafileProcessor::~TkmMetafileProcessor() = default;

TkmMetafileRunResult TkmMetafileProcessor::Execute(const TMetafile& metafile, double X, double Y) {
  FWidth = metafile.GetWidth();
  FHeight = metafile.GetHeight();
  return Execute(std::span<const std::uint8_t>(metafile.Data()), X, Y);
}

TkmMetafileRunResult TkmMetafileProcessor::Execute(std::span<const std::uint8_t> emf, double X, double Y) {
  FStartX = std::isfinite(X) ? X : 0.0;
  FStartY = std::isfinite(Y) ? Y : 0.0;
  TkmMetafileRunResult result;
  TEmfReader reader(emf);
  TEmfRecord rec;
  while (reader.Next(rec)) {
    ++FCurrentRecord;
    ++result.Records;
    try {
      HandleRecord(rec);
    } catch (const EReadError&) {
      // A record shorter than the fields its type has: skipped.
      Skip();
    }
  }
  // A metafile cut short still ends its clip and path state, so that nothing
  // it opened leaks into what follows it on the page.
  if (result.Records > 0 && !FSeenEOF) DoEOF();
  result.Status = reader.Status();
  result.Error = reader.Error();
  result.Skipped = FSkipped;
  return result;
}

// ---------------------------------------------------------------------------
// Record dispatch

void TkmMetafileProcessor::HandleRecord(const TEmfRecord& rec) {
  const Reader r = rec.Reader();
  switch (rec.Type) {
    case EMR_HEADER: ReadHeader(rec); break;

    // Shapes.
    case EMR_POLYBEZIER: DoPoly(rec, TkmShapeType::stPolyBezier, false); break;
    case EMR_POLYBEZIER16: DoPoly(rec, TkmShapeType::stPolyBezier, true); break;
    case EMR_POLYGON: if (FProcessShape) DoPoly(rec, TkmShapeType::stPolygon, false); break;
    case EMR_POLYGON16: if (FProcessShape) DoPoly(rec, TkmShapeType::stPolygon, true); break;
    case EMR_POLYLINE: if (FProcessShape) DoPoly(rec, TkmShapeType::stPolyLine, false); break;
    case EMR_POLYLINE16: if (FProcessShape) DoPoly(rec, TkmShapeType::stPolyLine, true); break;
    case EMR_POLYBEZIERTO: DoPolyTo(rec, TkmShapeType::stPolyBezier, false); break;
    case EMR_POLYBEZIERTO16: DoPolyTo(rec, TkmShapeType::stPolyBezier, true); break;
    case EMR_POLYLINETO: if (FProcessShape) DoPolyTo(rec, TkmShapeType::stPolyLine, false); break;
    case EMR_POLYLINETO16: if (FProcessShape) DoPolyTo(rec, TkmShapeType::stPolyLine, true); break;
    case EMR_POLYPOLYLINE: if (FProcessShape) DoPolyPolyline(rec, false); break;
    case EMR_POLYPOLYLINE16: if (FProcessShape) DoPolyPolyline(rec, true); break;
    case EMR_POLYPOLYGON: if (FProcessShape) DoPolyPolygon(rec, false); break;
    case EMR_POLYPOLYGON16: if (FProcessShape) DoPolyPolygon(rec, true); break;
    case EMR_POLYDRAW16: DoPolyDraw16(rec); break;
    case EMR_SETPIXELV: DoSetPixel(r); break;
    case EMR_LINETO: if (FProcessShape) DoLineTo(r); break;
    case EMR_MOVETOEX:
      FCurrentPathPoint = {r.I32(8), r.I32(12)};
      FUpdatePathX = 0;
      break;
    case EMR_ELLIPSE: if (FProcessShape) DoBoxShape(r, TkmShapeType::stEllipse); break;
    case EMR_RECTANGLE: if (FProcessShape) DoRectangle(r); break;
    case EMR_ROUNDRECT: if (FProcessShape) DoRoundRect(r); break;
    case EMR_ARC: if (FProcessShape) DoArcShape(r, TkmShapeType::stArc); break;
    case EMR_CHORD: if (FProcessShape) DoArcShape(r, TkmShapeType::stChord); break;
    case EMR_PIE: if (FProcessShape) DoArcShape(r, TkmShapeType::stPie); break;
    case EMR_FILLRGN: if (FProcessShape) DoFillRgn(rec); break;

    // Paths.
    case EMR_BEGINPATH: DoPathOp(TkmPathOperation::poBeginPath); break;
    case EMR_ENDPATH: DoPathOp(TkmPathOperation::poEndPath); break;
    case EMR_CLOSEFIGURE: DoPathOp(TkmPathOperation::poCloseFigure); break;
    case EMR_FILLPATH: DoPathOp(TkmPathOperation::poFillPath); break;
    case EMR_STROKEANDFILLPATH: DoPathOp(TkmPathOperation::poStrokeAndFillPath); break;
    case EMR_STROKEPATH: DoPathOp(TkmPathOperation::poStrokePath); break;
    case EMR_SELECTCLIPPATH: DoSelectClipPath(r); break;
    case EMR_ABORTPATH:
      DoPathOp(TkmPathOperation::poAbortPath);
      FAbortPath = true;
      break;

    // Clipping and saved states.
    case EMR_INTERSECTCLIPRECT: DoIntersectClipRect(r); break;
    case EMR_EXTSELECTCLIPRGN: DoExtSelectClipRgn(rec); break;
    case EMR_SAVEDC: SaveMetaState(); break;
    case EMR_RESTOREDC: DoRestoreDC(r); break;

    // Mapping.
    case EMR_SETWINDOWEXTEX:
      DoSetExtent(FWindowExtent, r);
      FIsWindowsExt = true;
      break;
    case EMR_SETWINDOWORGEX: FWindowOrigin = {r.I32(8), r.I32(12)}; break;
    case EMR_SETVIEWPORTEXTEX: DoSetExtent(FViewPortExtent, r); break;
    case EMR_SETVIEWPORTORGEX: FViewPortOrigin = {r.I32(8), r.I32(12)}; break;
    case EMR_SCALEVIEWPORTEXTEX: DoScaleExtent(FViewPortExtent, r); break;
    case EMR_SCALEWINDOWEXTEX: DoScaleExtent(FWindowExtent, r); break;
    case EMR_SETMAPMODE: DoSetMapMode(r.U32(8)); break;
    case EMR_SETWORLDTRANSFORM: {
      const TXForm xf = ReadXForm(r, 8);
      if (!Finite(xf)) return Skip();
      FXForm = xf;
      FIsTransApplied = true;
      break;
    }
    case EMR_MODIFYWORLDTRANSFORM: DoModifyWorldTransform(r); break;

    // Modes and colours.
    case EMR_SETBKMODE:
      FBKMode = static_cast<std::uint8_t>(r.U32(8) & 0xFF);
      if (FBKMode == TRANSPARENT) IsBackgrondTransprent = true;
      break;
    case EMR_SETPOLYFILLMODE: FPolyFillMode = r.U32(8); break;
    case EMR_SETROP2: FROP2 = r.U32(8); break;
    case EMR_SETSTRETCHBLTMODE: FStretchMode = r.U32(8); break;
    case EMR_SETTEXTCOLOR: FTextColor = GetColorValue(r.U32(8)); break;
    case EMR_SETBKCOLOR: FBKColor = GetColorValue(r.U32(8)); break;
    case EMR_SETMITERLIMIT: FMiterLimit = r.F32(8); break;
    case EMR_SETICMMODE: FICMMode = r.U32(8); break;

    // Objects.
    case EMR_SELECTOBJECT: DoSelectObject(r); break;
    case EMR_CREATEPEN: DoCreatePen(r); break;
    case EMR_EXTCREATEPEN: DoExtCreatePen(rec); break;
    case EMR_CREATEBRUSHINDIRECT: DoCreateBrush(r); break;
    case EMR_DELETEOBJECT: DoDeleteObject(r); break;
    case EMR_CREATEPALETTE: DoCreatePalette(rec); break;
    case EMR_SELECTPALETTE: DoSelectPalette(r); break;

    case EMR_EOF: DoEOF(); break;

    // Text records (EMR_SETTEXTALIGN, EMR_EXTCREATEFONTINDIRECTW,
    // EMR_EXTTEXTOUTA, EMR_EXTTEXTOUTW) and bitmap records (EMR_BITBLT,
    // EMR_STRETCHBLT, EMR_MASKBLT, EMR_SETDIBITSTODEVICE, EMR_STRETCHDIBITS,
    // EMR_ALPHABLEND, EMR_CREATEMONOBRUSH, EMR_CREATEDIBPATTERNBRUSHPT) are
    // handled by the text and bitmap units; until those exist they pass
    // through here unhandled, like every other record type.
    default: break;
  }
}

void TkmMetafileProcessor::ReadHeader(const TEmfRecord& rec) {
  const TEmfHeader h = ParseEmfHeader(rec);
  FHandleLimit = h.Handles;
  // The reference device's size in micrometres is the more precise one, when
  // the header really has it: in a header that carries its description in
  // that place the field holds text, so it must agree with the millimetres.
  auto perMM = [](std::int32_t px, std::int32_t mm, std::int32_t um, double fallback) {
    if (px > 0 && um > 0 && std::fabs(um / 1000.0 - mm) <= 1.0) return px * 1000.0 / um;
    if (px > 0 && mm > 0) return static_cast<double>(px) / mm;
    return fallback;
  };
  FDevicePxPerMMX = perMM(h.Device.cx, h.Millimeters.cx, h.Micrometers.cx, FDevicePxPerMMX);
  FDevicePxPerMMY = perMM(h.Device.cy, h.Millimeters.cy, h.Micrometers.cy, FDevicePxPerMMY);
  // The picture frame (in 0.01 mm) is what is placed at the start position,
  // as when the platform plays a metafile into a rectangle: drawings whose
  // frame does not start at the device origin (y-up mapping modes, cut-outs
  // of larger drawings) land on the page instead of beside it.
  FFrameX = h.Frame.Left * FDevicePxPerMMX / 100.0;
  FFrameY = h.Frame.Top * FDevicePxPerMMY / 100.0;
}

bool TkmMetafileProcessor::Fits(const TEmfRecord& rec, std::uint64_t offset, std::uint64_t count,
                                std::uint64_t elem) {
  // count < 2^32 and elem is small: the product cannot overflow 64 bits.
  return offset <= rec.Bytes.size() && count * elem <= rec.Bytes.size() - offset;
}

// ---------------------------------------------------------------------------
// Mapping

TPointD TkmMetafileProcessor::WorldTransform(double x, double y) const { return FXForm.Apply(x, y); }

TPointD TkmMetafileProcessor::ApplyMM(double x, double y) const {
  const TPointD w = WorldTransform(x, y);
  const double mx = IsScalingMode(FMapMode) ? FMapMXmul : 1.0;
  const double my = IsScalingMode(FMapMode) ? FMapMYmul : 1.0;
  return {FResX * ((w.X - FWindowOrigin.X) * mx), FResY * ((w.Y - FWindowOrigin.Y) * my)};
}

TPointD TkmMetafileProcessor::ApplyMMWithOrigin(double x, double y) const {
  // The viewport origin is in device pixels, like everything ApplyMM yields
  // before the native scaling, so it takes the same scaling.
  const TPointD p = ApplyMM(x, y);
  return {p.X + FResX * (FViewPortOrigin.X - FFrameX), p.Y + FResY * (FViewPortOrigin.Y - FFrameY)};
}

TkmRect TkmMetafileProcessor::ApplyMMToRect(const TRect& r) const {
  const TPointD a = ApplyMMWithOrigin(r.Left, r.Top);
  const TPointD b = ApplyMMWithOrigin(r.Right, r.Bottom);
  return kmRect(a.X, a.Y, b.X, b.Y);
}

double TkmMetafileProcessor::ApplyMMToPenWidth(double w) const {
  // The mapping's scale along x: viewport over window extent (the smaller
  // axis in isotropic mode), or the unit of a fixed mode.
  if (IsScalingMode(FMapMode)) w *= std::fabs(FMapMXmul);
  // The scale of the world transform along x; rotation does not thin the pen.
  w *= std::hypot(static_cast<double>(FXForm.eM11), static_cast<double>(FXForm.eM12));
  w = std::fabs(w);
  return std::isfinite(w) ? std::min(w, 1.0e6) : 0.0;
}

void TkmMetafileProcessor::SetMapModeMultiplier() {
  if (!IsExtentMode(FMapMode)) return;
  if (FWindowExtent.cx == 0 || FWindowExtent.cy == 0) return;
  double mx = static_cast<double>(FViewPortExtent.cx) / FWindowExtent.cx;
  double my = static_cast<double>(FViewPortExtent.cy) / FWindowExtent.cy;
  if (FMapMode == MM_ISOTROPIC) {
    // One logical unit is equally long on both axes: the smaller scale wins.
    const double m = std::min(std::fabs(mx), std::fabs(my));
    mx = std::copysign(m, mx);
    my = std::copysign(m, my);
  }
  FMapMXmul = mx;
  FMapMYmul = my;
}

std::uint32_t TkmMetafileProcessor::GetColorValue(std::uint32_t c) { return c < 0x01000000 ? c : 0; }

double TkmMetafileProcessor::NativeScaleX() const { return FResX; }
double TkmMetafileProcessor::NativeScaleY() const { return FResY; }

namespace {
// Items never receive a non-finite or absurd coordinate.
constexpr double kMaxCoordinate = 1.0e7;
double Bound(double v) { return std::isfinite(v) ? std::clamp(v, -kMaxCoordinate, kMaxCoordinate) : 0.0; }
}  // namespace

TkmPoint TkmMetafileProcessor::MapPoint(double x, double y) const {
  const TPointD p = ApplyMMWithOrigin(x, y);
  return TkmPoint{Bound(p.X + FStartX), Bound(p.Y + FStartY)};
}

TkmPoint TkmMetafileProcessor::DeviceToNative(double x, double y) const {
  return TkmPoint{Bound((x - FFrameX) * FResX + FStartX), Bound((y - FFrameY) * FResY + FStartY)};
}

void TkmMetafileProcessor::DoSetMapMode(std::uint32_t mode) {
  FMapMode = mode;
  // Logical units of the fixed modes, in millimetres; y grows upwards.
  double mm = 0;
  switch (mode) {
    case MM_TEXT:
      FWindowOrigin = {};
      FViewPortOrigin = {};
      FWindowExtent = {1, 1};
      FViewPortExtent = {1, 1};
      FMapMXmul = FMapMYmul = 1.0;
      return;
    case MM_LOMETRIC: mm = 0.1; break;
    case MM_HIMETRIC: mm = 0.01; break;
    case MM_LOENGLISH: mm = 0.254; break;
    case MM_HIENGLISH: mm = 0.0254; break;
    case MM_TWIPS: mm = 25.4 / 1440.0; break;
    case MM_ISOTROPIC:
    case MM_ANISOTROPIC: SetMapModeMultiplier(); return;
    default: return;
  }
  FMapMXmul = mm * FDevicePxPerMMX;
  FMapMYmul = -mm * FDevicePxPerMMY;
}

void TkmMetafileProcessor::DoSetExtent(TSize& extent, const Reader& r) {
  const TSize value{r.I32(8), r.I32(12)};
  // A zero extent would make the mapping divide by zero; the platform refuses it.
  if (value.cx == 0 || value.cy == 0) return Skip();
  extent = value;
  SetMapModeMultiplier();
}

void TkmMetafileProcessor::DoScaleExtent(TSize& extent, const Reader& r) {
  const std::int64_t xNum = r.I32(8), xDenom = r.I32(12), yNum = r.I32(16), yDenom = r.I32(20);
  if (xDenom == 0 || yDenom == 0) return Skip();
  const std::int64_t cx = extent.cx * xNum / xDenom;
  const std::int64_t cy = extent.cy * yNum / yDenom;
  // The result must be a usable extent: not zero and inside 32 bits.
  auto usable = [](std::int64_t v) { return v != 0 && v >= INT32_MIN && v <= INT32_MAX; };
  if (!usable(cx) || !usable(cy)) return Skip();
  extent = {static_cast<std::int32_t>(cx), static_cast<std::int32_t>(cy)};
  SetMapModeMultiplier();
}

TXForm TkmMetafileProcessor::ReadXForm(const Reader& r, std::size_t offset) {
  TXForm f;
  f.eM11 = r.F32(offset);
  f.eM12 = r.F32(offset + 4);
  f.eM21 = r.F32(offset + 8);
  f.eM22 = r.F32(offset + 12);
  f.eDx = r.F32(offset + 16);
  f.eDy = r.F32(offset + 20);
  return f;
}

void TkmMetafileProcessor::DoModifyWorldTransform(const Reader& r) {
  const TXForm xf = ReadXForm(r, 8);
  TXForm next;
  switch (r.U32(32)) {
    case MWT_IDENTITY: next = TXForm{}; break;
    case MWT_LEFTMULTIPLY: next = TXForm::Combine(xf, FXForm); break;
    case MWT_RIGHTMULTIPLY: next = TXForm::Combine(FXForm, xf); break;
    default: next = xf; break;
  }
  if (!Finite(next)) return Skip();
  FXForm = next;
  FIsTransApplied = true;
}

// ---------------------------------------------------------------------------
// Saved states

void TkmMetafileProcessor::SaveMetaState() {
  auto s = std::make_unique<TkmMetaState>();
  s->FFont.Assign(FCurrentFont);
  s->FBrush = FCurrentBrush;
  s->FPen = FCurrentPen;
  s->FPenJoinStyle = FCurrentPenJoin;
  s->FPenCapStyle = FCurrentPenCap;
  s->FCurrentTextColor = FTextColor;
  s->FBKMode = FBKMode;
  s->FMapMode = FMapMode;
  s->FXForm = FXForm;
  s->FWinExtent = FWindowExtent;
  s->FViewExtent = FViewPortExtent;
  s->FWinOrg = FWindowOrigin;
  s->FViewOrg = FViewPortOrigin;
  s->FMapMXmul = FMapMXmul;
  s->FMapMYmul = FMapMYmul;
  s->FTextAlign = FTextAlignment;
  FMetaState.push_back(std::move(s));
}

bool TkmMetafileProcessor::RestoreMetaState(std::int32_t n) {
  // The saved states form a stack, as on the platform: -k pops k states and
  // brings back the deepest of them; a positive n brings back the state that
  // the n-th save (counted from 1) made and drops every later one.
  const auto count = static_cast<std::int64_t>(FMetaState.size());
  if (count == 0 || n == 0) return false;
  const std::int64_t target = n < 0 ? count + n : static_cast<std::int64_t>(n) - 1;
  if (target < 0 || target >= count) return false;
  const TkmMetaState& s = *FMetaState[static_cast<std::size_t>(target)];
  FCurrentFont.Assign(s.FFont);
  FCurrentBrush = s.FBrush;
  FCurrentPen = s.FPen;
  FCurrentPenJoin = s.FPenJoinStyle;
  FCurrentPenCap = s.FPenCapStyle;
  FTextColor = s.FCurrentTextColor;
  FBKMode = s.FBKMode;
  FMapMode = s.FMapMode;
  FXForm = s.FXForm;
  FWindowExtent = s.FWinExtent;
  FViewPortExtent = s.FViewExtent;
  FWindowOrigin = s.FWinOrg;
  FViewPortOrigin = s.FViewOrg;
  FMapMXmul = s.FMapMXmul;
  FMapMYmul = s.FMapMYmul;
  FTextAlignment = s.FTextAlign;
  FMetaState.resize(static_cast<std::size_t>(target));
  SetMapModeMultiplier();
  return true;
}

// ---------------------------------------------------------------------------
// Object table

TkmGDIOBJ* TkmMetafileProcessor::CreateGDIRec(TkmGDIOBJType type, std::uint32_t index) {
  // Index 0 is reserved; the header's handle count bounds the table.
  if (index == 0 || index >= FHandleLimit) {
    Skip();
    return nullptr;
  }
  if (FGDIOBJList.size() < index) FGDIOBJList.resize(index);
  auto& slot = FGDIOBJList[index - 1];
  slot = std::make_unique<TkmGDIOBJ>(type);
  FGDIOBJ = slot.get();
  return FGDIOBJ;
}

TkmGDIOBJ* TkmMetafileProcessor::ObjectAt(std::uint32_t index) const {
  if (index == 0 || index > FGDIOBJList.size()) return nullptr;
  return FGDIOBJList[index - 1].get();
}

namespace {

TPenStyle PenStyleOf(std::uint32_t style, TPenStyle fallback) {
  static constexpr TPenStyle kStyles[] = {TPenStyle::psSolid,        TPenStyle::psDash,  TPenStyle::psDot,
                                          TPenStyle::psDashDot,      TPenStyle::psDashDotDot,
                                          TPenStyle::psClear,        TPenStyle::psInsideFrame};
  return style < std::size(kStyles) ? kStyles[style] : fallback;
}

int PenWidthValue(double w) {
  const std::int64_t v = Round(w);
  return static_cast<int>(std::clamp<std::int64_t>(v, 0, 1000000));
}

}  // namespace

TkmGDIOBJ* TkmMetafileProcessor::CreatePenObject(std::uint32_t index, std::uint32_t style, double width,
                                                 std::uint32_t color) {
  TkmGDIOBJ* obj = CreateGDIRec(TkmGDIOBJType::goPen, index);
  if (!obj) return nullptr;
  // A zero width stays zero (the thinnest line); any other is at least 1.
  obj->FPen.SetWidth(width == 0 ? 0 : std::max(PenWidthValue(ApplyMMToPenWidth(width)), 1));
  obj->FPen.SetStyle(PenStyleOf(style, TPenStyle::psSolid));
  obj->FPen.SetColor(static_cast<TColor>(GetColorValue(color)));
  return obj;
}

void TkmMetafileProcessor::DoCreatePen(const Reader& r) {
  CreatePenObject(r.U32(8), r.U32(12), r.I32(16), r.U32(24));
}

void TkmMetafileProcessor::DoExtCreatePen(const TEmfRecord& rec) {
  const Reader r = rec.Reader();
  const std::uint32_t style = r.U32(28);
  const std::uint32_t width = r.U32(32);
  // A recorded width of 0 counts as 1 for extended pens.
  TkmGDIOBJ* obj = CreatePenObject(r.U32(8), style & 0xF, width == 0 ? 1.0 : width, r.U32(40));
  if (!obj) return;
  if ((style & 0xF0000) == 0x10000) {  // geometric pen
    switch (style & 0xF000) {
      case 0x0000: obj->FPenJoinStyle = TkmPenJoinStyle::pjsRound; break;
      case 0x1000: obj->FPenJoinStyle = TkmPenJoinStyle::pjsBevel; break;
      case 0x2000: obj->FPenJoinStyle = TkmPenJoinStyle::pjsMiter; break;
      default: break;
    }
    switch (style & 0xF00) {
      case 0x000: obj->FPenCapStyle = TkmPenCapStyle::pcsRound; break;
      case 0x100: obj->FPenCapStyle = TkmPenCapStyle::pcsSquare; break;
      case 0x200: obj->FPenCapStyle = TkmPenCapStyle::pcsFlat; break;
      default: break;
    }
  }
}

void TkmMetafileProcessor::DoCreateBrush(const Reader& r) {
  const std::uint32_t index = r.U32(8);
  const std::uint32_t style = r.U32(12);
  const std::uint32_t color = r.U32(16);
  const std::uint32_t hatch = r.U32(20);
  TkmGDIOBJ* obj = CreateGDIRec(TkmGDIOBJType::goBrush, index);
  if (!obj) return;
  obj->FBrush.SetColor(static_cast<TColor>(color));
  static constexpr TBrushStyle kHatches[] = {TBrushStyle::bsHorizontal, TBrushStyle::bsVertical,
                                             TBrushStyle::bsFDiagonal,  TBrushStyle::bsBDiagonal,
                                             TBrushStyle::bsCross,      TBrushStyle::bsDiagCross};
  if (style == 1) {
    obj->FBrush.SetStyle(TBrushStyle::bsClear);
  } else if (style == 2 && hatch < std::size(kHatches)) {
    obj->FBrush.SetStyle(kHatches[hatch]);
  } else {
    obj->FBrush.SetStyle(TBrushStyle::bsSolid);
  }
}

void TkmMetafileProcessor::DoCreatePalette(const TEmfRecord& rec) {
  const Reader r = rec.Reader();
  const std::uint32_t index = r.U32(8);
  const std::uint16_t version = r.U16(12);
  const std::uint16_t entries = r.U16(14);
  if (!Fits(rec, 16, entries, 4)) return Skip();
  TkmGDIOBJ* obj = CreateGDIRec(TkmGDIOBJType::goPalette, index);
  if (!obj) return;
  obj->FPalette.FLogPalette.palVersion = version;
  obj->FPalette.FLogPalette.palNumEntries = entries;
  obj->FPalette.FLogPalette.palPalEntry = entries > 0 ? r.U32(16) : 0;
}

void TkmMetafileProcessor::DoSelectObject(const Reader& r) {
  std::uint32_t index = r.U32(8);
  if (index == 0) return SelectStockObject(0);
  if (index & STOCK_OBJECT) return SelectStockObject(index & ~STOCK_OBJECT);
  const TkmGDIOBJ* obj = ObjectAt(index);
  if (!obj) return;
  switch (obj->FGDIOBJType) {
    case TkmGDIOBJType::goPen:
      FCurrentPen = obj->FPen;
      FCurrentPenJoin = obj->FPenJoinStyle;
      FCurrentPenCap = obj->FPenCapStyle;
      break;
    case TkmGDIOBJType::goBrush: FCurrentBrush = obj->FBrush; break;
    case TkmGDIOBJType::goFont:
      // The text records decide FSymbolCharsetFontIdx from the font's name.
      FCurrentFont.Assign(obj->FFont);
      break;
    case TkmGDIOBJType::goPalette:
    case TkmGDIOBJType::goNone: break;
  }
}

void TkmMetafileProcessor::SelectStockObject(std::uint32_t index) {
  auto solid = [this](TColor c) {
    FCurrentBrush = TBrush{};
    FCurrentBrush.SetColor(c);
  };
  auto pen = [this](TColor c, TPenStyle style) {
    FCurrentPen = TPen{};
    FCurrentPen.SetColor(c);
    FCurrentPen.SetStyle(style);
    FCurrentPenJoin = TkmPenJoinStyle::pjsNone;
    FCurrentPenCap = TkmPenCapStyle::pcsNone;
  };
  switch (index) {
    case 0: solid(0xFFFFFF); break;   // WHITE_BRUSH
    case 1: solid(0xC0C0C0); break;   // LTGRAY_BRUSH
    case 2: solid(0x808080); break;   // GRAY_BRUSH
    case 3: solid(0x404040); break;   // DKGRAY_BRUSH
    case 4: solid(0x000000); break;   // BLACK_BRUSH
    case 5:                           // NULL_BRUSH
      FCurrentBrush = TBrush{};
      FCurrentBrush.SetStyle(TBrushStyle::bsClear);
      break;
    case 6: pen(0xFFFFFF, TPenStyle::psSolid); break;  // WHITE_PEN
    case 7: pen(0x000000, TPenStyle::psSolid); break;  // BLACK_PEN
    case 8: pen(0x000000, TPenStyle::psClear); break;  // NULL_PEN
    case 10: case 11: case 12: case 13: case 14: case 16: FCurrentFont = TkmFont{}; break;
    case 15: FCurrentPalette = TkmPalette{}; break;    // DEFAULT_PALETTE
    case 18: FCurrentBrush = TBrush{}; break;          // DC_BRUSH
    case 19: pen(0x000000, TPenStyle::psSolid); break; // DC_PEN
    default: break;
  }
}

void TkmMetafileProcessor::DoSelectPalette(const Reader& r) {
  const std::uint32_t index = r.U32(8);
  if (index & STOCK_OBJECT) return SelectStockObject(index & ~STOCK_OBJECT);
  const TkmGDIOBJ* obj = ObjectAt(index);
  if (obj && obj->FGDIOBJType == TkmGDIOBJType::goPalette) FCurrentPalette = obj->FPalette;
}

void TkmMetafileProcessor::DoDeleteObject(const Reader& r) {
  const std::uint32_t index = r.U32(8);
  if (index == 0 || index > FGDIOBJList.size()) return;  // an unknown handle
  auto& slot = FGDIOBJList[index - 1];
  if (slot.get() == FGDIOBJ) FGDIOBJ = nullptr;
  slot = std::make_unique<TkmGDIOBJ>(TkmGDIOBJType::goNone);
}

}  // namespace km
