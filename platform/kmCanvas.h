#pragma once
// The abstract GDI-like canvas. It holds the device-context state (pen, brush,
// font, colours, modes, mapping, world transform, clip, current position and
// the SaveDC stack) and declares the drawing operations. Two canvases derive
// from it: TMetafileCanvas records [MS-EMF] records, TRasterCanvas paints
// pixels with cairo. Coordinates are logical units; the mapping mode, window,
// viewport and world transform turn them into device pixels as GDI does.
//
// Pen, brush and font are values: change them through GetPen()/GetBrush()/
// GetFont() or the setters; the change takes effect at the next drawing call,
// as with the component library's canvas.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "kmGraphicsValues.h"

namespace km {

class TGraphic;
class TBitmap;

struct TPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Integer rectangle; Right and Bottom are exclusive for filled shapes, as in GDI.
struct TRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;
  // Saturated: rectangles read from hostile metafiles may span more than an int.
  std::int32_t Width() const { return Span(Left, Right); }
  std::int32_t Height() const { return Span(Top, Bottom); }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  friend bool operator==(const TRect&, const TRect&) = default;

 private:
  static std::int32_t Span(std::int32_t from, std::int32_t to) {
    const std::int64_t d = std::int64_t{to} - from;
    return static_cast<std::int32_t>(d > INT32_MAX ? INT32_MAX : d < INT32_MIN ? INT32_MIN : d);
  }
};

struct TPointD {
  double X = 0;
  double Y = 0;
};

struct TRectD {
  double Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// World transform: x' = x*eM11 + y*eM21 + eDx, y' = x*eM12 + y*eM22 + eDy.
struct TXForm {
  float eM11 = 1, eM12 = 0, eM21 = 0, eM22 = 1, eDx = 0, eDy = 0;
  friend bool operator==(const TXForm&, const TXForm&) = default;
  TPointD Apply(double x, double y) const { return {x * eM11 + y * eM21 + eDx, x * eM12 + y * eM22 + eDy}; }
  // The transform that applies a first, then b (the platform's CombineTransform(a, b)).
  static TXForm Combine(const TXForm& a, const TXForm& b);
};

// Mapping modes (the GDI values).
enum TMapMode : std::uint32_t {
  MM_TEXT = 1, MM_LOMETRIC = 2, MM_HIMETRIC = 3, MM_LOENGLISH = 4, MM_HIENGLISH = 5,
  MM_TWIPS = 6, MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8
};

// Background modes.
enum TBkMode : std::uint32_t { TRANSPARENT = 1, OPAQUE = 2 };

// Polygon fill modes.
enum TPolyFillMode : std::uint32_t { ALTERNATE = 1, WINDING = 2 };

// Text alignment flags (SetTextAlign).
constexpr std::uint32_t TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6,
                        TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24;
// ExtTextOut options.
constexpr std::uint32_t ETO_OPAQUE = 0x2, ETO_CLIPPED = 0x4;

// Raster operations of the bitmap calls.
constexpr std::uint32_t SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6,
                        SRCINVERT = 0x00660046, SRCERASE = 0x00440328, NOTSRCCOPY = 0x00330008,
                        NOTSRCERASE = 0x001100A6, MERGECOPY = 0x00C000CA, MERGEPAINT = 0x00BB0226,
                        PATCOPY = 0x00F00021, PATPAINT = 0x00FB0A09, PATINVERT = 0x005A0049,
                        DSTINVERT = 0x00550009, BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062;

// ModifyWorldTransform modes.
enum TXFormMode : std::uint32_t { MWT_IDENTITY = 1, MWT_LEFTMULTIPLY = 2, MWT_RIGHTMULTIPLY = 3 };

// One saved device-context state.
struct TCanvasState {
  TPen Pen;
  TBrush Brush;
  TFont Font;
  TColor TextColor = clBlack;
  TColor BkColor = clWhite;
  TBkMode BkMode = OPAQUE;
  TPolyFillMode PolyFillMode = ALTERNATE;
  std::uint32_t TextAlign = TA_LEFT | TA_TOP;
  std::uint32_t Rop2 = 13;  // R2_COPYPEN
  std::uint32_t StretchBltMode = 1;
  TMapMode MapMode = MM_TEXT;
  TPoint WindowOrg, ViewportOrg;
  TSize WindowExt{1, 1}, ViewportExt{1, 1};
  TXForm XForm;
  TPoint PenPos;
  // Clip rectangles in device pixels, intersected in order; empty = no clip.
  std::vector<TRectD> DeviceClip;
  bool ClipPath = false;
};

class TCanvas {
 public:
  TCanvas();
  virtual ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // --- Pen, brush, font: values that take effect at the next drawing call.
  TPen& GetPen() { return state_.Pen; }
  TBrush& GetBrush() { return state_.Brush; }
  TFont& GetFont() { return state_.Font; }
  const TPen& GetPen() const { return state_.Pen; }
  const TBrush& GetBrush() const { return state_.Brush; }
  const TFont& GetFont() const { return state_.Font; }
  void SetPen(const TPen& p) { state_.Pen = p; }
  void SetBrush(const TBrush& b) { state_.Brush = b; }
  void SetFont(const TFont& f) { state_.Font = f; }

  // --- Modes and colours. Text drawn by TextOut/ExtTextOut uses the text
  // colour; the font colour is copied into it by TextOut (as the component
  // library's canvas does) but not by ExtTextOut.
  virtual void SetTextColor(TColor c);
  virtual void SetBkColor(TColor c);
  virtual void SetBkMode(TBkMode m);
  virtual void SetPolyFillMode(TPolyFillMode m);
  virtual void SetTextAlign(std::uint32_t flags);
  virtual void SetROP2(std::uint32_t rop2);
  virtual void SetStretchBltMode(std::uint32_t mode);
  TColor GetTextColor() const { return state_.TextColor; }
  TColor GetBkColor() const { return state_.BkColor; }
  TBkMode GetBkMode() const { return state_.BkMode; }
  TPolyFillMode GetPolyFillMode() const { return state_.PolyFillMode; }
  std::uint32_t GetTextAlign() const { return state_.TextAlign; }

  // --- Mapping: logical -> world transform -> window/viewport -> device.
  virtual void SetMapMode(TMapMode m);
  virtual void SetWindowOrgEx(int x, int y);
  virtual void SetWindowExtEx(int cx, int cy);
  virtual void SetViewportOrgEx(int x, int y);
  virtual void SetViewportExtEx(int cx, int cy);
  virtual void SetWorldTransform(const TXForm& xf);
  virtual void ModifyWorldTransform(const TXForm& xf, TXFormMode mode);
  TMapMode GetMapMode() const { return state_.MapMode; }
  const TXForm& GetWorldTransform() const { return state_.XForm; }
  // Logical point to device pixels.
  TPointD LPtoDP(double x, double y) const;
  // Device pixels to logical units (used when device geometry is converted back).
  TPointD DPtoLP(double x, double y) const;
  // The scale of one logical unit in device pixels along x and y (absolute).
  double DeviceScaleX() const;
  double DeviceScaleY() const;

  // --- Current position and lines.
  virtual void MoveTo(int x, int y);
  virtual void LineTo(int x, int y) = 0;
  TPoint GetPenPos() const { return state_.PenPos; }

  // --- Shapes: outlined with the pen, filled with the brush.
  virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  // Fills r with the brush, no outline.
  virtual void FillRect(const TRect& r) = 0;
  virtual void RoundRect(int x1, int y1, int x2, int y2, int cx, int cy) = 0;
  virtual void Ellipse(int x1, int y1, int x2, int y2) = 0;
  // Counter-clockwise elliptic arc of the box from the ray through (x3, y3)
  // to the ray through (x4, y4).
  virtual void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
  virtual void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
  virtual void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
  virtual void Polygon(std::span<const TPoint> points) = 0;
  // Polygons with counts[i] points each, taken consecutively from points.
  virtual void PolyPolygon(std::span<const TPoint> points, std::span<const std::int32_t> counts) = 0;
  virtual void Polyline(std::span<const TPoint> points) = 0;
  // 1 + 3n points: a start point and n cubic segments.
  virtual void PolyBezier(std::span<const TPoint> points) = 0;
  virtual void SetPixel(int x, int y, TColor c) = 0;

  // --- Paths: shape calls between BeginPath and EndPath build the path.
  virtual void BeginPath();
  virtual void EndPath();
  virtual void CloseFigure() = 0;
  virtual void AbortPath();
  virtual void FillPath() = 0;
  virtual void StrokePath() = 0;
  virtual void StrokeAndFillPath() = 0;
  // Intersects the clip with the path (RGN_AND) and discards the path.
  virtual void SelectClipPath() = 0;
  bool InPath() const { return in_path_; }

  // --- Text. TextOut uses the font colour; ExtTextOut the current text colour.
  // Advances are in logical units, one per UTF-16 code unit; empty = natural.
  void TextOut(int x, int y, const std::u16string& text);
  virtual void ExtTextOut(int x, int y, std::uint32_t options, const TRect* rect, const std::u16string& text,
                          std::span<const std::int32_t> advances) = 0;
  // Natural advances of the text in the current font, in logical units.
  virtual std::vector<std::int32_t> TextAdvances(const std::u16string& text) = 0;
  // Width and height of the text in the current font, in logical units.
  TSize TextExtent(const std::u16string& text);
  int TextWidth(const std::u16string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::u16string& text) { return TextExtent(text).cy; }

  // --- Pictures. Each picture draws itself through StretchBitmap or, for a
  // metafile, by playing its records.
  void Draw(int x, int y, const TGraphic& g);
  void StretchDraw(const TRect& dest, const TGraphic& g);
  // Copies the source rectangle of a bitmap into the destination rectangle
  // with a raster operation (SRCCOPY, SRCAND, ...).
  virtual void StretchBitmap(const TRect& dest, const TBitmap& bmp, const TRect& src, std::uint32_t rop) = 0;

  // --- Clipping, in logical units.
  virtual void IntersectClipRect(const TRect& r);
  // Removes every clip (the default clip region).
  virtual void ResetClip();
  bool HasClip() const { return !state_.DeviceClip.empty() || state_.ClipPath; }

  // --- Saved states. SaveDC returns the new depth (1 for the first save);
  // RestoreDC(-1) restores the last one, RestoreDC(n > 0) the one that
  // SaveDC numbered n. Returns false when there is no such state.
  virtual int SaveDC();
  virtual bool RestoreDC(int which);

  const TCanvasState& State() const { return state_; }

 protected:
  TCanvasState& MutableState() { return state_; }
  int SavedDepth() const { return static_cast<int>(saved_.size()); }

 private:
  // Viewport-per-window scale of the page mapping, per axis (signed).
  void PageScale(double& sx, double& sy) const;
  TCanvasState state_;
  std::vector<TCanvasState> saved_;
  bool in_path_ = false;
};

// Elliptic arc geometry shared by the canvases and the player: the angles
// (radians, y axis downwards as on the device, counter-clockwise on screen)
// of the rays from the centre of the box through two points.
struct TArcAngles {
  double CenterX, CenterY, RadiusX, RadiusY, Start, End;
};
TArcAngles ComputeArcAngles(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4);

}  // namespace km
