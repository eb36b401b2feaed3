#include "kmCanvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "kmGraphic.h"
#include "kmScreen.h"

namespace km {

TXForm TXForm::Combine(const TXForm& a, const TXForm& b) {
  TXForm r;
  r.eM11 = a.eM11 * b.eM11 + a.eM12 * b.eM21;
  r.eM12 = a.eM11 * b.eM12 + a.eM12 * b.eM22;
  r.eM21 = a.eM21 * b.eM11 + a.eM22 * b.eM21;
  r.eM22 = a.eM21 * b.eM12 + a.eM22 * b.eM22;
  r.eDx = a.eDx * b.eM11 + a.eDy * b.eM21 + b.eDx;
  r.eDy = a.eDx * b.eM12 + a.eDy * b.eM22 + b.eDy;
  return r;
}

TCanvas::TCanvas() = default;
TCanvas::~TCanvas() = default;

void TCanvas::SetTextColor(TColor c) { state_.TextColor = c; }
void TCanvas::SetBkColor(TColor c) { state_.BkColor = c; }
void TCanvas::SetBkMode(TBkMode m) { state_.BkMode = m; }
void TCanvas::SetPolyFillMode(TPolyFillMode m) { state_.PolyFillMode = m; }
void TCanvas::SetTextAlign(std::uint32_t flags) { state_.TextAlign = flags; }
void TCanvas::SetROP2(std::uint32_t rop2) { state_.Rop2 = rop2; }
void TCanvas::SetStretchBltMode(std::uint32_t mode) { state_.StretchBltMode = mode; }

void TCanvas::SetMapMode(TMapMode m) {
  state_.MapMode = m;
  if (m == MM_TEXT) {
    state_.WindowExt = {1, 1};
    state_.ViewportExt = {1, 1};
  }
}
void TCanvas::SetWindowOrgEx(int x, int y) { state_.WindowOrg = {x, y}; }
void TCanvas::SetViewportOrgEx(int x, int y) { state_.ViewportOrg = {x, y}; }
void TCanvas::SetWindowExtEx(int cx, int cy) {
  if (cx != 0 && cy != 0) state_.WindowExt = {cx, cy};
}
void TCanvas::SetViewportExtEx(int cx, int cy) {
  if (cx != 0 && cy != 0) state_.ViewportExt = {cx, cy};
}
void TCanvas::SetWorldTransform(const TXForm& xf) { state_.XForm = xf; }
void TCanvas::ModifyWorldTransform(const TXForm& xf, TXFormMode mode) {
  switch (mode) {
    case MWT_IDENTITY: state_.XForm = TXForm{}; break;
    case MWT_LEFTMULTIPLY: state_.XForm = TXForm::Combine(xf, state_.XForm); break;
    case MWT_RIGHTMULTIPLY: state_.XForm = TXForm::Combine(state_.XForm, xf); break;
  }
}

void TCanvas::PageScale(double& sx, double& sy) const {
  const double px = Screen::PixelsPerInchX(), py = Screen::PixelsPerInchY();
  switch (state_.MapMode) {
    case MM_LOMETRIC: sx = px / 254.0; sy = -py / 254.0; return;
    case MM_HIMETRIC: sx = px / 2540.0; sy = -py / 2540.0; return;
    case MM_LOENGLISH: sx = px / 100.0; sy = -py / 100.0; return;
    case MM_HIENGLISH: sx = px / 1000.0; sy = -py / 1000.0; return;
    case MM_TWIPS: sx = px / 1440.0; sy = -py / 1440.0; return;
    case MM_ISOTROPIC:
    case MM_ANISOTROPIC: {
      sx = static_cast<double>(state_.ViewportExt.cx) / state_.WindowExt.cx;
      sy = static_cast<double>(state_.ViewportExt.cy) / state_.WindowExt.cy;
      if (state_.MapMode == MM_ISOTROPIC) {
        // Both axes take the smaller magnitude; each keeps its own sign.
        double m = std::min(std::fabs(sx), std::fabs(sy));
        sx = std::copysign(m, sx);
        sy = std::copysign(m, sy);
      }
      return;
    }
    default: sx = 1; sy = 1; return;
  }
}

TPointD TCanvas::LPtoDP(double x, double y) const {
  TPointD w = state_.XForm.Apply(x, y);
  double sx, sy;
  PageScale(sx, sy);
  return {(w.X - state_.WindowOrg.X) * sx + state_.ViewportOrg.X, (w.Y - state_.WindowOrg.Y) * sy + state_.ViewportOrg.Y};
}

TPointD TCanvas::DPtoLP(double x, double y) const {
  double sx, sy;
  PageScale(sx, sy);
  double wx = (x - state_.ViewportOrg.X) / sx + state_.WindowOrg.X;
  double wy = (y - state_.ViewportOrg.Y) / sy + state_.WindowOrg.Y;
  const TXForm& f = state_.XForm;
  double det = static_cast<double>(f.eM11) * f.eM22 - static_cast<double>(f.eM12) * f.eM21;
  if (det == 0) return {wx, wy};
  double dx = wx - f.eDx, dy = wy - f.eDy;
  return {(dx * f.eM22 - dy * f.eM21) / det, (dy * f.eM11 - dx * f.eM12) / det};
}

double TCanvas::DeviceScaleX() const {
  TPointD a = LPtoDP(0, 0), b = LPtoDP(1, 0);
  return std::hypot(b.X - a.X, b.Y - a.Y);
}

double TCanvas::DeviceScaleY() const {
  TPointD a = LPtoDP(0, 0), b = LPtoDP(0, 1);
  return std::hypot(b.X - a.X, b.Y - a.Y);
}

void TCanvas::MoveTo(int x, int y) { state_.PenPos = {x, y}; }

void TCanvas::BeginPath() { in_path_ = true; }
void TCanvas::EndPath() { in_path_ = false; }
void TCanvas::AbortPath() { in_path_ = false; }

void TCanvas::TextOut(int x, int y, const std::u16string& text) {
  SetTextColor(state_.Font.GetColor());
  ExtTextOut(x, y, 0, nullptr, text, {});
}

TSize TCanvas::TextExtent(const std::u16string& text) {
  std::int32_t w = 0;
  for (std::int32_t a : TextAdvances(text)) w += a;
  int h = state_.Font.GetHeight();
  if (h < 0) h = -h + (-h + 4) / 8;  // em height plus the usual internal leading
  if (h == 0) h = 16;
  return {w, h};
}

void TCanvas::Draw(int x, int y, const TGraphic& g) {
  StretchDraw(TRect{x, y, x + g.GetWidth(), y + g.GetHeight()}, g);
}

void TCanvas::StretchDraw(const TRect& dest, const TGraphic& g) {
  if (g.Empty()) return;
  g.DrawOn(*this, dest);
}

void TCanvas::IntersectClipRect(const TRect& r) {
  TPointD a = LPtoDP(r.Left, r.Top), b = LPtoDP(r.Right, r.Bottom);
  TPointD c = LPtoDP(r.Left, r.Bottom), d = LPtoDP(r.Right, r.Top);
  TRectD dr{std::min({a.X, b.X, c.X, d.X}), std::min({a.Y, b.Y, c.Y, d.Y}), std::max({a.X, b.X, c.X, d.X}),
            std::max({a.Y, b.Y, c.Y, d.Y})};
  state_.DeviceClip.push_back(dr);
}

void TCanvas::ResetClip() {
  state_.DeviceClip.clear();
  state_.ClipPath = false;
}

int TCanvas::SaveDC() {
  saved_.push_back(state_);
  return static_cast<int>(saved_.size());
}

bool TCanvas::RestoreDC(int which) {
  int n = static_cast<int>(saved_.size());
  int index = which < 0 ? n + which : which - 1;  // index of the state to restore
  if (which == 0 || index < 0 || index >= n) return false;
  state_ = saved_[index];
  saved_.resize(index);
  return true;
}

TArcAngles ComputeArcAngles(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) {
  TArcAngles a{};
  a.CenterX = (x1 + x2) / 2;
  a.CenterY = (y1 + y2) / 2;
  a.RadiusX = std::fabs(x2 - x1) / 2;
  a.RadiusY = std::fabs(y2 - y1) / 2;
  // Angles of the rays as seen on the screen (y down), measured so that a
  // counter-clockwise sweep on the screen is increasing.
  a.Start = std::atan2(-(y3 - a.CenterY), x3 - a.CenterX);
  a.End = std::atan2(-(y4 - a.CenterY), x4 - a.CenterX);
  if (a.End <= a.Start) a.End += 2 * std::numbers::pi;
  return a;
}

}  // namespace km
