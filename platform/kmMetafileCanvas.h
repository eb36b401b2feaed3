#pragma once
// The recording canvas: every drawing call becomes [MS-EMF] records. When the
// canvas closes (Close() or destruction) the metafile receives a complete EMF:
// EMR_HEADER with the device-pixel bounds of everything drawn, the frame
// (the metafile's Width x Height when set, else the bounds) and a reference
// device at the screen's resolution (Screen::PixelsPerInchX/Y), the records,
// and EMR_EOF.
//
// Record choices: pens EMR_CREATEPEN, brushes EMR_CREATEBRUSHINDIRECT, fonts
// EMR_EXTCREATEFONTINDIRECTW; object handles are the lowest free index from 1
// (a replaced object is deleted after its successor is selected, unless a
// saved state still refers to it); poly shapes use the 16-bit records when
// every point fits; text is EMR_EXTTEXTOUTW with a Dx array (the caller's
// advances, else the font's); bitmaps are EMR_STRETCHDIBITS with a
// BITMAPINFOHEADER, 24- or 32-bit pixels (palette bitmaps are widened to 24)
// and rclBounds equal to the destination rectangle in device pixels, with
// Right = Left + width and Bottom = Top + height, so that a reader can place
// the image by its bounds without losing a pixel.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "kmCanvas.h"
#include "kmGraphic.h"
#include "kmMetafile.h"

namespace km {

class TFontFace;

class TMetafileCanvas : public TCanvas {
 public:
  // Opens a recording on metafile (the screen is the reference device). The
  // metafile's Width and Height, when set, become the frame.
  explicit TMetafileCanvas(TMetafile& metafile);
  ~TMetafileCanvas() override;

  // Ends the recording and hands the EMF to the metafile; later calls do
  // nothing. Drawing after Close() is ignored.
  void Close();

  void SetTextColor(TColor c) override;
  void SetBkColor(TColor c) override;
  void SetBkMode(TBkMode m) override;
  void SetPolyFillMode(TPolyFillMode m) override;
  void SetTextAlign(std::uint32_t flags) override;
  void SetROP2(std::uint32_t rop2) override;
  void SetStretchBltMode(std::uint32_t mode) override;
  void SetMapMode(TMapMode m) override;
  void SetWindowOrgEx(int x, int y) override;
  void SetWindowExtEx(int cx, int cy) override;
  void SetViewportOrgEx(int x, int y) override;
  void SetViewportExtEx(int cx, int cy) override;
  void SetWorldTransform(const TXForm& xf) override;
  void ModifyWorldTransform(const TXForm& xf, TXFormMode mode) override;

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
  void EndPath() override;
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

  void IntersectClipRect(const TRect& r) override;
  void ResetClip() override;
  int SaveDC() override;
  bool RestoreDC(int which) override;

  // Records an EMR_COMMENT carrying data (padded to 4 bytes).
  void Comment(std::span<const std::uint8_t> data);

  // Number of records written so far (the header and EOF included once closed).
  std::size_t RecordCount() const { return record_count_ + 1; }

 private:
  struct Selected {
    std::uint32_t pen = 0, brush = 0, font = 0;
    TPen pen_value;
    TBrush brush_value;
    TFont font_value;
  };

  bool Open() const { return !closed_; }
  // Starts a record of type; returns its offset. End() writes the size.
  std::size_t Begin(std::uint32_t type);
  void End(std::size_t start);
  void Simple(std::uint32_t type);
  void WithU32(std::uint32_t type, std::uint32_t value);
  void WithPoint(std::uint32_t type, std::int32_t x, std::int32_t y);
  void WithRect(std::uint32_t type, const TRect& r);
  void PolyRecord(std::uint32_t type16, std::uint32_t type32, std::span<const TPoint> points);

  std::uint32_t AllocHandle();
  void FreeHandle(std::uint32_t h);
  bool HandleInUse(std::uint32_t h) const;
  void ReleaseIfUnused(std::uint32_t h);
  void SyncPen();
  // EMR_ARC, EMR_PIE and EMR_CHORD share one layout: the box and two radial points.
  void ArcRecord(std::uint32_t type, bool filled, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void SyncBrush();
  void SyncFont();
  void SyncObjects() { SyncPen(); SyncBrush(); }

  // Bounds bookkeeping in device pixels.
  void AddLogicalBox(double x1, double y1, double x2, double y2, bool stroked);
  void AddLogicalPoints(std::span<const TPoint> points, bool stroked);
  void AddDeviceBox(double l, double t, double r, double b);
  void AddStrokedBox(double l, double t, double r, double b, bool stroked);
  TRect LastBoundsInclusive() const;
  double PenHalfWidth() const;
  std::shared_ptr<TFontFace> FontFace();

  TMetafile& metafile_;
  TBytes out_;
  std::size_t record_count_ = 0;
  bool closed_ = false;
  std::vector<bool> handles_{true};  // index 0 is reserved
  std::uint32_t max_handle_ = 0;
  Selected sel_;
  std::vector<Selected> saved_sel_;
  bool has_bounds_ = false;
  double bl_ = 0, bt_ = 0, br_ = 0, bb_ = 0;      // union of everything drawn
  double rl_ = 0, rt_ = 0, rr_ = 0, rb_ = 0;      // bounds of the last drawing record
};

}  // namespace km
