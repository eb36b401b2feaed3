#pragma once
// The objects of a report: pages, bands and views. Positions and sizes are
// report units, pixels at 96 dots per inch; page paper sizes and margins are
// millimetres. A component owns its children; a child knows its parent
// through a plain pointer that the parent sets when it adopts the child.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kmCanvas.h"
#include "kmColors.h"
#include "kmGraphicsValues.h"
#include "kmSet.h"
#include "kmUiTypes.h"

namespace km {

class TGraphic;

// Report units per inch and per millimetre.
constexpr double frxUnitsPerInch = 96.0;
constexpr double frxUnitsPerMM = 96.0 / 25.4;

class TfrxComponent {
 public:
  virtual ~TfrxComponent();
  TfrxComponent& operator=(const TfrxComponent&) = delete;

  // The class name as templates spell it ("TfrxMemoView").
  virtual std::string ClassName() const = 0;
  // A deep copy: the same properties and copies of the children, no parent.
  std::unique_ptr<TfrxComponent> Clone() const;

  const std::string& GetName() const { return name_; }
  void SetName(std::string v) { name_ = std::move(v); }
  double GetLeft() const { return left_; }
  void SetLeft(double v) { left_ = v; }
  double GetTop() const { return top_; }
  void SetTop(double v) { top_ = v; }
  double GetWidth() const { return width_; }
  void SetWidth(double v) { width_ = v; }
  double GetHeight() const { return height_; }
  void SetHeight(double v) { height_ = v; }
  // Invisible objects are left out when the report is prepared.
  bool GetVisible() const { return visible_; }
  void SetVisible(bool v) { visible_ = v; }

  // Position on the page: Left (Top) plus the parent's AbsLeft (AbsTop).
  // A page's own position is its origin, so children of a page have
  // AbsLeft = Left.
  virtual double GetAbsLeft() const;
  virtual double GetAbsTop() const;

  TfrxComponent* GetParent() const { return parent_; }
  const std::vector<std::unique_ptr<TfrxComponent>>& GetObjects() const { return objects_; }
  // Adopts child (sets its parent) and returns it.
  TfrxComponent& AddObject(std::unique_ptr<TfrxComponent> child);
  void ClearObjects() { objects_.clear(); }
  // The first descendant (depth first, in order) with that name, or null.
  TfrxComponent* FindObject(const std::string& name) const;

 protected:
  TfrxComponent() = default;
  // Copies the properties; neither the parent nor the children.
  TfrxComponent(const TfrxComponent& other);
  virtual std::unique_ptr<TfrxComponent> CloneSelf() const = 0;

 private:
  std::string name_;
  double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;
  TfrxComponent* parent_ = nullptr;
  std::vector<std::unique_ptr<TfrxComponent>> objects_;
};

// Sides of a frame.
enum class TfrxFrameType { ftLeft, ftRight, ftTop, ftBottom };
using TfrxFrameTypes = Set<TfrxFrameType, 4>;

// Line styles of frames, lines and shape outlines.
enum class TfrxFrameStyle { fsSolid, fsDash, fsDot, fsDashDot, fsDashDotDot, fsDouble };

// The frame of a view: which sides are drawn, their width in report units
// (0 draws a one-pixel line), colour and style.
struct TfrxFrame {
  TfrxFrameTypes Typ;
  double Width = 1.0;
  TColor Color = clBlack;
  TfrxFrameStyle Style = TfrxFrameStyle::fsSolid;
  friend bool operator==(const TfrxFrame&, const TfrxFrame&) = default;
};

// Where a view paints: its box in canvas units, (AbsLeft * ScaleX + OffsetX,
// AbsTop * ScaleY + OffsetY) to ((AbsLeft + Width) * ScaleX + OffsetX, ...),
// each coordinate rounded halves to even, and the scales it was made with.
struct TfrxDrawBox {
  TRect Box;
  double ScaleX = 1;
  double ScaleY = 1;
};

// A visible report object: a box with a fill colour (clNone: transparent)
// and a frame. Views paint themselves on any canvas (kmReportDraw.cpp).
class TfrxView : public TfrxComponent {
 public:
  // Paints the view at a scale: the fill, the content inset by the gaps, then
  // the frame sides, each a line with the frame's width times ScaleX (rounded
  // halves to even; a width that rounds to 0 draws a one-pixel line), colour
  // and style. The canvas's pen, brush and font are left as the view set them.
  virtual void Draw(TCanvas& canvas, double scaleX, double scaleY, double offsetX, double offsetY) const;
  // The box Draw paints at these scales and offsets.
  TfrxDrawBox DrawBox(double scaleX, double scaleY, double offsetX, double offsetY) const;

  TfrxFrame& GetFrame() { return frame_; }
  const TfrxFrame& GetFrame() const { return frame_; }
  void SetFrame(const TfrxFrame& v) { frame_ = v; }
  TColor GetColor() const { return color_; }
  void SetColor(TColor v) { color_ = v; }

 protected:
  TfrxView() = default;
  TfrxView(const TfrxView&) = default;
  // Paints what lies inside the frame; the base paints nothing.
  virtual void DrawContent(TCanvas& canvas, const TfrxDrawBox& box) const;
  void DrawFill(TCanvas& canvas, const TRect& box) const;
  void DrawFrame(TCanvas& canvas, const TfrxDrawBox& box) const;

 private:
  TfrxFrame frame_;
  TColor color_ = clNone;
};

enum class TfrxHAlign { haLeft, haRight, haCenter, haBlock };
enum class TfrxVAlign { vaTop, vaBottom, vaCenter };

// The font of a new memo view: "Arial", 10 points at 96 dots per inch, black.
TFont DefaultReportFont();

// Plain text in a box, inset by the gaps.
class TfrxMemoView : public TfrxView {
 public:
  TfrxMemoView();
  std::string ClassName() const override { return "TfrxMemoView"; }

  const std::u16string& GetText() const { return text_; }
  void SetText(std::u16string v) { text_ = std::move(v); }
  // Height is in pixels at 96 dots per inch.
  TFont& GetFont() { return font_; }
  const TFont& GetFont() const { return font_; }
  void SetFont(const TFont& v) { font_ = v; }
  TfrxHAlign GetHAlign() const { return halign_; }
  void SetHAlign(TfrxHAlign v) { halign_ = v; }
  TfrxVAlign GetVAlign() const { return valign_; }
  void SetVAlign(TfrxVAlign v) { valign_ = v; }
  // Distance of the text from the left and right (GapX) and top and bottom
  // (GapY) edges, report units.
  double GetGapX() const { return gap_x_; }
  void SetGapX(double v) { gap_x_ = v; }
  double GetGapY() const { return gap_y_; }
  void SetGapY(double v) { gap_y_ = v; }
  bool GetWordWrap() const { return word_wrap_; }
  void SetWordWrap(bool v) { word_wrap_ = v; }

 protected:
  std::unique_ptr<TfrxComponent> CloneSelf() const override { return std::unique_ptr<TfrxComponent>(new TfrxMemoView(*this)); }
  // The text inset by the gaps, in the font scaled by ScaleY, measured with
  // the font services and written line by line with per-character advances;
  // lines break at line ends and, with WordWrap, after the last space that
  // fits. Lines below the box are left out (the first line is always drawn).
  void DrawContent(TCanvas& canvas, const TfrxDrawBox& box) const override;

 private:
  TfrxMemoView(const TfrxMemoView&) = default;
  std::u16string text_;
  TFont font_;
  TfrxHAlign halign_ = TfrxHAlign::haLeft;
  TfrxVAlign valign_ = TfrxVAlign::vaTop;
  double gap_x_ = 2;
  double gap_y_ = 1;
  bool word_wrap_ = true;
};

// Rich text (RTF) in a box, inset by the gaps.
class TfrxRichView : public TfrxView {
 public:
  TfrxRichView() = default;
  std::string ClassName() const override { return "TfrxRichView"; }

  // The RTF source, 8-bit as RTF is.
  const std::string& GetRichText() const { return rich_text_; }
  void SetRichText(std::string v) { rich_text_ = std::move(v); }
  double GetGapX() const { return gap_x_; }
  void SetGapX(double v) { gap_x_ = v; }
  double GetGapY() const { return gap_y_; }
  void SetGapY(double v) { gap_y_ = v; }

 protected:
  std::unique_ptr<TfrxComponent> CloneSelf() const override { return std::unique_ptr<TfrxComponent>(new TfrxRichView(*this)); }
  // The rich text inset by the gaps, through the platform's rich-text
  // renderer at 96 * ScaleY units per inch: text records, one per run piece.
  void DrawContent(TCanvas& canvas, const TfrxDrawBox& box) const override;

 private:
  TfrxRichView(const TfrxRichView&) = default;
  std::string rich_text_;
  double gap_x_ = 2;
  double gap_y_ = 1;
};

// A picture property: a graphic shared, never changed, by the objects that
// show it (a template view and its prepared copies). Replacing the graphic
// of one object leaves the others as they were.
class TfrxPicture {
 public:
  const TGraphic* GetGraphic() const { return graphic_.get(); }
  const std::shared_ptr<const TGraphic>& GetGraphicPtr() const { return graphic_; }
  void SetGraphic(std::shared_ptr<const TGraphic> g) { graphic_ = std::move(g); }

 private:
  std::shared_ptr<const TGraphic> graphic_;
};

// A picture stretched over the box.
class TfrxPictureView : public TfrxView {
 public:
  TfrxPictureView() = default;
  std::string ClassName() const override { return "TfrxPictureView"; }

  TfrxPicture& GetPicture() { return picture_; }
  const TfrxPicture& GetPicture() const { return picture_; }

 protected:
  std::unique_ptr<TfrxComponent> CloneSelf() const override { return std::unique_ptr<TfrxComponent>(new TfrxPictureView(*this)); }
  // The picture stretched over the whole box (no gaps).
  void DrawContent(TCanvas& canvas, const TfrxDrawBox& box) const override;

 private:
  TfrxPictureView(const TfrxPictureView&) = default;
  TfrxPicture picture_;
};

// A straight line from (Left, Top) to (Left + Width, Top + Height), drawn with
// the frame's width, colour and style.
class TfrxLineView : public TfrxView {
 public:
  TfrxLineView() = default;
  std::string ClassName() const override { return "TfrxLineView"; }
  // Only the line: no fill and no frame sides.
  void Draw(TCanvas& canvas, double scaleX, double scaleY, double offsetX, double offsetY) const override;

 protected:
  std::unique_ptr<TfrxComponent> CloneSelf() const override { return std::unique_ptr<TfrxComponent>(new TfrxLineView(*this)); }

 private:
  TfrxLineView(const TfrxLineView&) = default;
};

enum class TfrxShapeKind { skRectangle, skRoundRectangle, skEllipse };

// A rectangle, rounded rectangle or ellipse filling the box: outlined with the
// frame's width, colour and style, filled with the view's colour.
class TfrxShapeView : public TfrxView {
 public:
  TfrxShapeView() = default;
  std::string ClassName() const override { return "TfrxShapeView"; }
  // Only the shape, outlined with the frame's pen and filled with Color.
  void Draw(TCanvas& canvas, double scaleX, double scaleY, double offsetX, double offsetY) const override;

  TfrxShapeKind GetShape() const { return shape_; }
  void SetShape(TfrxShapeKind v) { shape_ = v; }
  // Corner diameter of a rounded rectangle, report units; 0 picks a quarter
  // of the shorter side.
  double GetCurve() const { return curve_; }
  void SetCurve(double v) { curve_ = v; }

 protected:
  std::unique_ptr<TfrxComponent> CloneSelf() const override { return std::unique_ptr<TfrxComponent>(new TfrxShapeView(*this)); }

 private:
  TfrxShapeView(const TfrxShapeView&) = default;
  TfrxShapeKind shape_ = TfrxShapeKind::skRectangle;
  double curve_ = 0;
};

enum class TfrxBandKind { bkBand, bkReportTitle, bkPageHeader, bkMasterData, bkPageFooter, bkReportSummary };

// A band groups objects; its children are positioned relative to it. A band
// is not a view: it paints nothing itself.
class TfrxBand : public TfrxComponent {
 public:
  explicit TfrxBand(TfrxBandKind kind = TfrxBandKind::bkBand) : kind_(kind) {}
  std::string ClassName() const override;
  TfrxBandKind GetKind() const { return kind_; }

 protected:
  std::unique_ptr<TfrxComponent> CloneSelf() const override { return std::unique_ptr<TfrxComponent>(new TfrxBand(*this)); }

 private:
  TfrxBand(const TfrxBand&) = default;
  TfrxBandKind kind_;
};

// Base of the pages. A page is its own origin: its children's AbsLeft and
// AbsTop are their Left and Top.
class TfrxPage : public TfrxComponent {
 public:
  double GetAbsLeft() const override { return 0; }
  double GetAbsTop() const override { return 0; }

 protected:
  TfrxPage() = default;
  TfrxPage(const TfrxPage&) = default;
};

// The page that holds the data components; this report has none, so it only
// keeps its size. It is not printed.
class TfrxDataPage : public TfrxPage {
 public:
  TfrxDataPage() = default;
  std::string ClassName() const override { return "TfrxDataPage"; }

 protected:
  std::unique_ptr<TfrxComponent> CloneSelf() const override { return std::unique_ptr<TfrxComponent>(new TfrxDataPage(*this)); }

 private:
  TfrxDataPage(const TfrxDataPage&) = default;
};

// A printed page. Its size is the paper in millimetres; Width and Height are
// the same size in report units (set together with the paper). Margins are
// millimetres. Color fills and Frame outlines the area inside the margins.
class TfrxReportPage : public TfrxPage {
 public:
  TfrxReportPage();
  std::string ClassName() const override { return "TfrxReportPage"; }

  // Paper width and height in millimetres as the sheet lies (after the
  // orientation); also sets Width and Height in report units.
  void SetPaperSize(double width_mm, double height_mm);
  double GetPaperWidth() const { return paper_width_; }
  double GetPaperHeight() const { return paper_height_; }
  // The printer's paper code (9 = A4, 256 = custom); informative.
  int GetPaperSizeCode() const { return paper_code_; }
  void SetPaperSizeCode(int v) { paper_code_ = v; }
  TPrinterOrientation GetOrientation() const { return orientation_; }
  void SetOrientation(TPrinterOrientation v) { orientation_ = v; }

  double GetLeftMargin() const { return left_margin_; }
  void SetLeftMargin(double v) { left_margin_ = v; }
  double GetTopMargin() const { return top_margin_; }
  void SetTopMargin(double v) { top_margin_ = v; }
  double GetRightMargin() const { return right_margin_; }
  void SetRightMargin(double v) { right_margin_ = v; }
  double GetBottomMargin() const { return bottom_margin_; }
  void SetBottomMargin(double v) { bottom_margin_ = v; }

  TColor GetColor() const { return color_; }
  void SetColor(TColor v) { color_ = v; }
  TfrxFrame& GetFrame() { return frame_; }
  const TfrxFrame& GetFrame() const { return frame_; }
  void SetFrame(const TfrxFrame& v) { frame_ = v; }
  // Drawn stretched over the area inside the margins, beneath the objects.
  TfrxPicture& GetBackPicture() { return back_picture_; }
  const TfrxPicture& GetBackPicture() const { return back_picture_; }

 protected:
  std::unique_ptr<TfrxComponent> CloneSelf() const override { return std::unique_ptr<TfrxComponent>(new TfrxReportPage(*this)); }

 private:
  TfrxReportPage(const TfrxReportPage&) = default;
  double paper_width_ = 0, paper_height_ = 0;
  int paper_code_ = 9;
  TPrinterOrientation orientation_ = TPrinterOrientation::poPortrait;
  double left_margin_ = 10, top_margin_ = 10, right_margin_ = 10, bottom_margin_ = 10;
  TColor color_ = clNone;
  TfrxFrame frame_;
  TfrxPicture back_picture_;
};

}  // namespace km
