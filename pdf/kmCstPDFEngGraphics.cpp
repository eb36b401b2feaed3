// TkmCustomPDFEngine: pens, fills and the shape encoders (lines, rectangles,
// rounded rectangles, ellipses, arcs, pies, chords, polylines, polygons and
// Bezier chains).
//
// Engine coordinates are pixels with y downwards; every page's content starts
// with a "cm" that scales by CPixelsPerInch / InputRes, so positions are
// written multiplied by InputRes / CPixelsPerInch and end up as
// FPixelToPointMultiplier points per engine pixel.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "kmCstPDFEng.h"
#include "kmNumFormat.h"
#include "kmScreen.h"
#include "kmUtils3.h"

namespace km {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;

// Dash entries by pen style, in engine pixels; empty for the styles without one.
std::vector<int> DashEntries(TPenStyle style) {
  switch (style) {
    case TPenStyle::psSolid: return {};
    case TPenStyle::psDash: return {16, 8};
    case TPenStyle::psDot: return {3, 2};
    case TPenStyle::psDashDot: return {8, 4, 2, 4};
    case TPenStyle::psDashDotDot: return {8, 4, 2, 4, 2, 8};
    default: return {-1};
  }
}

// A dash length: a plain integer where it is whole ("16"), else four decimals.
std::string DashNumber(double v) {
  const double r = std::nearbyint(v);
  if (std::fabs(v - r) < 1e-9) return std::to_string(static_cast<long long>(r));
  return NumToStr(v);
}

bool IsHatchStyle(TBrushStyle s) {
  return s != TBrushStyle::bsSolid && s != TBrushStyle::bsClear;
}

}  // namespace

double CalculateAngle(double XCenter, double YCenter, double X, double Y) {
  if (X == XCenter) return Y > YCenter ? 90.0 : 270.0;
  const double a = std::atan((Y - YCenter) / (X - XCenter)) / kDegToRad;
  if (X < XCenter) return a + 180.0;
  const double r = a + 360.0;
  return r >= 360.0 ? r - 360.0 : r;
}

// ---- Coordinates and pen settings -------------------------------------------

double TkmCustomPDFEngine::GetNativeXPos(double X) const {
  return (GetInputXRes() / CPixelsPerInch) * (X * FPixelToPointMultiplier);
}

double TkmCustomPDFEngine::GetNativeYPos(int PageNo, double Y) const {
  const double f = GetInputYRes() / CPixelsPerInch;
  const double h = f * (Y * FPixelToPointMultiplier);
  if (PageNo <= 0 || static_cast<std::size_t>(PageNo) > FPageList.size()) return h;
  const TkmPageInfo* info = FPageList[static_cast<std::size_t>(PageNo - 1)].get();
  if (info == nullptr || info->FHeight == 0) return h;
  return f * info->FHeight - h;
}

std::string TkmCustomPDFEngine::PointText(double X, double Y) const {
  return NumToStr(GetNativeXPos(X)) + " " + NumToStr(GetNativeYPos(GetCurrentPage(), Y));
}

std::string TkmCustomPDFEngine::GetLineStyle(TPenStyle AStyle) const {
  std::string s;
  const std::vector<int> dash = DashEntries(AStyle);
  if (dash.empty() || dash.front() >= 0) {
    // Dash lengths are engine pixels at the input resolution's scale, so a
    // page recorded at a higher resolution dashes alike.
    const double f = GetInputXRes() / CPixelsPerInch;
    s += "[";
    for (std::size_t i = 0; i < dash.size(); ++i) s += (i ? " " : "") + DashNumber(dash[i] * f);
    s += "]0 d ";
  }
  switch (GetLineJoinStyle()) {
    case TkmLineJoinStyle::ljsMiter: s += "0 j "; break;
    case TkmLineJoinStyle::ljsRound: s += "1 j "; break;
    case TkmLineJoinStyle::ljsBevel: s += "2 j "; break;
  }
  switch (GetLineCapStyle()) {
    case TkmLineCapStyle::lcsFlat: s += "0 J "; break;
    case TkmLineCapStyle::lcsRound: s += "1 J "; break;
    case TkmLineCapStyle::lcsSquare: s += "2 J "; break;
  }
  return s;
}

std::string TkmCustomPDFEngine::GetCSForStroke(const std::string& AStr) const {
  return IsPDFA(FVersion) ? "/CS0 CS " + AStr + " SCN" : AStr + " RG";
}

std::string TkmCustomPDFEngine::GetCSForFill(const std::string& AStr) const {
  return IsPDFA(FVersion) ? "/CS0 cs " + AStr + " scn" : AStr + " rg";
}

double TkmCustomPDFEngine::PenWidth(const TPen& Pen) const {
  return Pen.GetWidth() == 0 ? 0.001 : Pen.GetWidth() * FPixelToPointMultiplier;
}

std::string TkmCustomPDFEngine::StrokeSettings(const TPen& Pen) const {
  return GetLineStyle(Pen.GetStyle()) + NumToStr(PenWidth(Pen)) + " w " +
         GetCSForStroke(ColorToPDFColor(Pen.GetColor())) + " ";
}

bool TkmCustomPDFEngine::PenVisible(const TPen* Pen) { return Pen != nullptr && Pen->GetStyle() != TPenStyle::psClear; }

bool TkmCustomPDFEngine::BrushVisible(const TBrush* Brush) {
  return Brush != nullptr && Brush->GetStyle() != TBrushStyle::bsClear;
}

std::string TkmCustomPDFEngine::HatchSelection(const TBrush& Brush) {
  FPattern_Hatcy = true;
  return "/CSP cs " + ColorToPDFColor(Brush.GetColor()) + " /" + GetPattern(Brush.GetStyle()) + " scn n ";
}

std::string TkmCustomPDFEngine::FillText(const TBrush* Brush, const std::string& Path, const char* fillOp) {
  if (!BrushVisible(Brush)) return {};
  if (Brush->GetStyle() == TBrushStyle::bsSolid)
    return GetCSForFill(ColorToPDFColor(Brush->GetColor())) + " " + Path + " f ";
  return HatchSelection(*Brush) + Path + fillOp;
}

std::string TkmCustomPDFEngine::OpacityState() {
  const int opacity = GetLineArtSettings().GetOpacity();
  return opacity < 100 ? SetGState(opacity) + "\r\n" : std::string();
}

void TkmCustomPDFEngine::WriteShape(const std::string& text, const char* closer) {
  if (!text.empty()) {
    if (FIsClipState) AppendContent("\r\n" + text + "\r\n");
    else AppendContent("\r\nq\r\n" + text + "\r\n" + closer);
  }
  FPattern_Hatcy = false;
}

std::string TkmCustomPDFEngine::CompletePDFPath(const TPen* APen, const TBrush* ABrush, bool CloseAndStroke) const {
  const bool pen = PenVisible(APen), brush = BrushVisible(ABrush);
  if (pen && brush) return "b*";
  if (brush) return "f*";
  if (pen) return CloseAndStroke ? "s" : "S";
  return "n";
}

std::string TkmCustomPDFEngine::PDFCurveto(double X1, double Y1, double X2, double Y2, double X3, double Y3) {
  if (X2 != X3 || Y2 != Y3)
    return NumToStr(X1) + " " + NumToStr(Y1) + " " + NumToStr(X2) + " " + NumToStr(Y2) + " " + NumToStr(X3) + " " +
           NumToStr(Y3) + " c";
  return NumToStr(X1) + " " + NumToStr(Y1) + " " + NumToStr(X3) + " " + NumToStr(Y3) + " y";
}

TkmEllipseCtrlPoints TkmCustomPDFEngine::GetEllipseCtrlPts(double PosX1, double PosY1, double PosX2, double PosY2) {
  const double k = (std::numbers::sqrt2 - 1) * 4 / 3;
  TkmEllipseCtrlPoints c;
  c.X1 = std::min(PosX1, PosX2);
  c.X5 = std::max(PosX1, PosX2);
  c.X3 = (c.X1 + c.X5) / 2;
  c.X2 = c.X3 - (c.X3 - c.X1) * k;
  c.X4 = c.X3 + (c.X3 - c.X1) * k;
  c.Y1 = std::max(PosY1, PosY2);
  c.Y5 = std::min(PosY1, PosY2);
  c.Y3 = (c.Y1 + c.Y5) / 2;
  c.Y2 = c.Y3 + (c.Y1 - c.Y3) * k;
  c.Y4 = c.Y3 - (c.Y1 - c.Y3) * k;
  return c;
}

std::string TkmCustomPDFEngine::PDFShortArc(double X, double Y, double RX, double RY, double Alpha, double Beta) {
  const double a = Alpha * kDegToRad, b = Beta * kDegToRad;
  const double f = a == b ? 0.0 : 4.0 / 3.0 * (1 - std::cos((b - a) / 2)) / std::sin((b - a) / 2);
  return PDFCurveto(X - RX * (std::cos(a) - f * std::sin(a)), Y - RY * (std::sin(a) + f * std::cos(a)),
                    X - RX * (std::cos(b) + f * std::sin(b)), Y - RY * (std::sin(b) - f * std::cos(b)),
                    X - RX * std::cos(b), Y - RY * std::sin(b));
}

std::string TkmCustomPDFEngine::EncodePDFArc(double X1, double Y1, double X2, double Y2, double X3, double Y3,
                                             double X4, double Y4, const TPen& Pen) {
  const double xc = (X1 + X2) / 2, yc = (Y1 + Y2) / 2;
  const double rx = std::fabs(X1 - X2) / 2, ry = std::fabs(Y1 - Y2) / 2;
  double alpha = CalculateAngle(xc, yc, X3, Y3) + 180;
  double beta = CalculateAngle(xc, yc, X4, Y4) + 180;
  while (beta <= alpha) beta += 360;
  const double sx = xc - std::cos(alpha * kDegToRad) * rx, sy = yc - std::sin(alpha * kDegToRad) * ry;
  std::string s = PenVisible(&Pen) ? StrokeSettings(Pen) : std::string();
  s += NumToStr(sx) + " " + NumToStr(sy) + " m";
  while (beta - alpha > 90) {
    s += " " + PDFShortArc(xc, yc, rx, ry, alpha, alpha + 90);
    alpha += 90;
  }
  if (beta != alpha) s += " " + PDFShortArc(xc, yc, rx, ry, alpha, beta);
  return s;
}

// ---- Shape encoders -----------------------------------------------------------

void TkmCustomPDFEngine::EncodeLine(double X1, double Y1, double X2, double Y2, const TPen& Pen) {
  if (FPathStatus == TkmPathStatus::psPathBegins) {
    if (FFirstPoint) {
      FPath += PointText(X1, Y1) + " m " + PointText(X2, Y2) + " l ";
      FInitialPos = {X1, Y1};
      FFirstPoint = false;
    } else {
      FPath += PointText(X2, Y2) + " l ";
    }
    return;
  }
  if (!PenVisible(&Pen)) return;
  const std::string body = StrokeSettings(Pen) + PointText(X1, Y1) + " m " + PointText(X2, Y2) + " l " + "S";
  AppendContent(FIsClipState ? "\r\n" + body + "\r\n" : "\r\nq " + body + "\r\nQ");
  FPattern_Hatcy = false;
}

void TkmCustomPDFEngine::EncodeRect(double X1, double Y1, double X2, double Y2, const TPen& Pen,
                                    const TBrush* Brush) {
  const bool recording = FPathStatus == TkmPathStatus::psPathBegins;
  double w = (X2 - X1) * FPixelToPointMultiplier * GetInputXRes() / CPixelsPerInch;
  double h = (Y2 - Y1) * FPixelToPointMultiplier * GetInputYRes() / CPixelsPerInch;
  if (!recording) {
    w = std::nearbyint(w);
    h = std::nearbyint(h);
  }
  const std::string r = PointText(X1, Y2) + " " + NumToStr(w) + " " + NumToStr(h) + " re";
  if (recording) {
    FPath += r + " ";
    return;
  }
  if (!PenVisible(&Pen) && !BrushVisible(Brush)) return;
  std::string text = OpacityState() + FillText(Brush, r, " f ");
  if (PenVisible(&Pen))
    text += GetLineStyle(Pen.GetStyle()) + NumToStr(PenWidth(Pen)) + " w " + " " +
            GetCSForStroke(ColorToPDFColor(Pen.GetColor())) + " " + r + (FPattern_Hatcy ? " B" : " s");
  WriteShape(text, "Q");
}

void TkmCustomPDFEngine::EncodeRoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3,
                                         const TPen& Pen, const TBrush* Brush) {
  if (!PenVisible(&Pen) && !BrushVisible(Brush)) return;
  // Corners in any order; a corner ellipse larger than the box is cut to it.
  const double left = std::min(X1, X2), right = std::max(X1, X2);
  const double top = std::min(Y1, Y2), bottom = std::max(Y1, Y2);
  const double cw = std::min(std::fabs(X3), right - left), ch = std::min(std::fabs(Y3), bottom - top);
  const TkmEllipseCtrlPoints c = GetEllipseCtrlPts(GetNativeXPos(left), GetNativeYPos(GetCurrentPage(), top),
                                                   GetNativeXPos(left + cw), GetNativeYPos(GetCurrentPage(), top + ch));
  const double dx = GetNativeXPos(right - left - cw);
  const double dy = (GetInputYRes() / CPixelsPerInch) * (bottom - top - ch) * FPixelToPointMultiplier;
  auto pt = [](double x, double y) { return NumToStr(x) + " " + NumToStr(y); };
  std::string p = pt(c.X3, c.Y1) + " m " + pt(dx + c.X3, c.Y1) + " l ";
  p += PDFCurveto(dx + c.X4, c.Y1, dx + c.X5, c.Y2, dx + c.X5, c.Y3) + " ";
  p += pt(dx + c.X5, c.Y3 - dy) + " l ";
  p += PDFCurveto(dx + c.X5, c.Y4 - dy, dx + c.X4, c.Y5 - dy, dx + c.X3, c.Y5 - dy) + " ";
  p += pt(c.X3, c.Y5 - dy) + " l ";
  p += PDFCurveto(c.X2, c.Y5 - dy, c.X1, c.Y4 - dy, c.X1, c.Y3 - dy) + " ";
  p += pt(c.X1, c.Y3) + " l ";
  p += PDFCurveto(c.X1, c.Y2, c.X2, c.Y1, c.X3, c.Y1);
  std::string text = OpacityState() + FillText(Brush, p, " f ");
  if (PenVisible(&Pen))
    text += GetLineStyle(Pen.GetStyle()) +
            GetCSForStroke(NumToStr(PenWidth(Pen)) + " w " + ColorToPDFColor(Pen.GetColor())) + " " + p +
            (FPattern_Hatcy ? " B" : " s");
  WriteShape(text, "Q");
}

void TkmCustomPDFEngine::EncodeEllipse(double X1, double Y1, double X2, double Y2, const TPen& Pen,
                                       const TBrush* Brush) {
  auto pt = [](double x, double y) { return NumToStr(x) + " " + NumToStr(y); };
  auto curves = [&](const TkmEllipseCtrlPoints& c) {
    return PDFCurveto(c.X4, c.Y1, c.X5, c.Y2, c.X5, c.Y3) + " " + PDFCurveto(c.X5, c.Y4, c.X4, c.Y5, c.X3, c.Y5) +
           " " + PDFCurveto(c.X2, c.Y5, c.X1, c.Y4, c.X1, c.Y3) + " " +
           PDFCurveto(c.X1, c.Y2, c.X2, c.Y1, c.X3, c.Y1) + " ";
  };
  if (FPathStatus == TkmPathStatus::psPathBegins) {
    TkmEllipseCtrlPoints c = GetEllipseCtrlPts(X1, Y1, X2, Y2);
    for (double* x : {&c.X1, &c.X2, &c.X3, &c.X4, &c.X5}) *x = GetNativeXPos(*x);
    for (double* y : {&c.Y1, &c.Y2, &c.Y3, &c.Y4, &c.Y5}) *y = GetNativeYPos(GetCurrentPage(), *y);
    if (FFirstPoint) {
      FPath += pt(c.X3, c.Y1) + " m ";
      FInitialPos = {X1, Y1};
      FFirstPoint = false;
    }
    FPath += curves(c);
    return;
  }
  if (!PenVisible(&Pen) && !BrushVisible(Brush)) return;
  const TkmEllipseCtrlPoints c = GetEllipseCtrlPts(GetNativeXPos(X1), GetNativeYPos(GetCurrentPage(), Y1),
                                                   GetNativeXPos(X2), GetNativeYPos(GetCurrentPage(), Y2));
  const std::string e = pt(c.X3, c.Y1) + " m " + curves(c);
  std::string text = OpacityState() + FillText(Brush, e, " f");
  if (PenVisible(&Pen)) text += StrokeSettings(Pen) + e + (FPattern_Hatcy ? " B" : " s");
  WriteShape(text, "Q");
}

std::string TkmCustomPDFEngine::ArcText(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4,
                                        double Y4, const TPen& Pen) {
  const int page = GetCurrentPage();
  return EncodePDFArc(GetNativeXPos(X1), GetNativeYPos(page, Y1), GetNativeXPos(X2), GetNativeYPos(page, Y2),
                      GetNativeXPos(X3), GetNativeYPos(page, Y3), GetNativeXPos(X4), GetNativeYPos(page, Y4), Pen);
}

void TkmCustomPDFEngine::EncodeArc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4,
                                   double Y4, const TPen& Pen) {
  if (!PenVisible(&Pen)) return;
  const std::string text = OpacityState() + StrokeSettings(Pen) + " " + ArcText(X1, Y1, X2, Y2, X3, Y3, X4, Y4, Pen) + " S";
  WriteShape(text, "Q");
}

// Pies and chords are closed outlines: the fill closes the path by itself and
// the stroke closes it with "s", whatever the brush (a hatch included).
void TkmCustomPDFEngine::EncodeClosedArc(const std::string& path, const TPen& Pen, const TBrush* Brush) {
  std::string text = OpacityState() + FillText(Brush, path, " f ");
  if (PenVisible(&Pen)) text += StrokeSettings(Pen) + path + " s";
  WriteShape(text, "Q");
}

void TkmCustomPDFEngine::EncodePie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4,
                                   double Y4, const TPen& Pen, const TBrush* Brush) {
  if (!PenVisible(&Pen) && !BrushVisible(Brush)) return;
  const int page = GetCurrentPage();
  const std::string centre = NumToStr((GetNativeXPos(X1) + GetNativeXPos(X2)) / 2) + " " +
                             NumToStr((GetNativeYPos(page, Y1) + GetNativeYPos(page, Y2)) / 2);
  EncodeClosedArc(ArcText(X1, Y1, X2, Y2, X3, Y3, X4, Y4, Pen) + " " + centre + " l", Pen, Brush);
}

void TkmCustomPDFEngine::EncodeChord(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4,
                                     double Y4, const TPen& Pen, const TBrush* Brush) {
  if (!PenVisible(&Pen) && !BrushVisible(Brush)) return;
  EncodeClosedArc(ArcText(X1, Y1, X2, Y2, X3, Y3, X4, Y4, Pen), Pen, Brush);
}

void TkmCustomPDFEngine::EncodePolyLine(std::span<const TkmPoint> Points, bool IsClosed, const TPen& Pen,
                                        const TBrush* Brush) {
  if (Points.empty()) return;
  if (FPathStatus == TkmPathStatus::psPathBegins) {
    std::size_t i = 0;
    if (FFirstPoint) {
      FPath += PointText(Points[0].X, Points[0].Y) + " m ";
      FInitialPos = {Points[0].X, Points[0].Y};
      FFirstPoint = false;
      i = 1;
    }
    for (; i < Points.size(); ++i) FPath += PointText(Points[i].X, Points[i].Y) + " l ";
    return;
  }
  std::string p = PointText(Points[0].X, Points[0].Y) + " m ";
  for (std::size_t i = 1; i < Points.size(); ++i) p += PointText(Points[i].X, Points[i].Y) + " l ";
  if (!IsClosed) {
    if (!PenVisible(&Pen)) return;
    WriteShape(StrokeSettings(Pen) + p + " S ", "Q ");
    return;
  }
  if (!PenVisible(&Pen) && !BrushVisible(Brush)) return;
  p += PointText(Points[0].X, Points[0].Y) + " l ";
  std::string text = OpacityState();
  const bool solid = BrushVisible(Brush) && Brush->GetStyle() == TBrushStyle::bsSolid;
  const bool hatch = BrushVisible(Brush) && IsHatchStyle(Brush->GetStyle());
  if (solid) text += GetCSForFill(ColorToPDFColor(Brush->GetColor())) + " ";
  if (hatch) text += HatchSelection(*Brush);
  if (PenVisible(&Pen)) {
    text += StrokeSettings(Pen);
    text += solid ? p + "B* " : hatch ? p + " B" : p + " s";
  } else {
    text += p + " f ";
  }
  WriteShape(text, "Q ");
}

void TkmCustomPDFEngine::EncodePolyBezier(std::span<const TkmPoint> Points, const TPen& Pen) {
  if (Points.empty()) return;
  const std::size_t last = Points.size() - 1;
  std::string curves;
  for (std::size_t i = 1; i + 2 <= last && i <= last / 3 * 3; i += 3) {
    for (std::size_t k = i; k < i + 3; ++k) curves += (k > i ? " " : "") + PointText(Points[k].X, Points[k].Y);
    curves += " c ";
  }
  if (FPathStatus == TkmPathStatus::psPathBegins) {
    if (FFirstPoint) {
      FPath += PointText(Points[0].X, Points[0].Y) + " m ";
      FInitialPos = {Points[0].X, Points[0].Y};
      FFirstPoint = false;
    }
    FPath += curves;
    return;
  }
  if (!PenVisible(&Pen) || Points.size() < 4) return;
  const std::string text = OpacityState() + StrokeSettings(Pen) + PointText(Points[0].X, Points[0].Y) + " m " + curves;
  if (FIsClipState) AppendContent("\r\n" + text + "S" + "\r\n");
  else AppendContent("\r\nq\r\n" + text + "S" + "\r\n" + "Q ");
  FPattern_Hatcy = false;
}

}  // namespace km
