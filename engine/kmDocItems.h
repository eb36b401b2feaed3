#pragma once
// Document items: one recorded drawing operation each. Items hold native,
// page-absolute coordinates and their own copies of the drawing attributes
// that were current when they were recorded. They do no validation.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "kmDocSettings.h"
#include "kmEngineSupport.h"
#include "kmEngineTypes.h"
#include "kmGraphicsValues.h"

namespace km {

class TkmCustomDocumentEngine;

// Base of every item; items are told apart only by their class.
class TkmDocumentItem {
 public:
  TkmDocumentItem() = default;
  virtual ~TkmDocumentItem() = default;
  TkmDocumentItem(const TkmDocumentItem&) = delete;
  TkmDocumentItem& operator=(const TkmDocumentItem&) = delete;
};

// An item list owns its items.
using TkmItemList = std::vector<std::unique_ptr<TkmDocumentItem>>;

// ---------------------------------------------------------------------------
class TkmTextItem : public TkmDocumentItem {
 public:
  TkmTextItem() = default;

  double GetX() const { return FX; }
  void SetX(double v) { FX = v; }
  double GetY() const { return FY; }
  void SetY(double v) { FY = v; }
  TWideStrings& GetLines() { return FLines; }
  const TWideStrings& GetLines() const { return FLines; }
  int GetRotationAngle() const { return FRotationAngle; }
  void SetRotationAngle(int v) { FRotationAngle = v; }
  const TFont& GetFont() const { return FFont; }
  TFont& GetFont() { return FFont; }
  void SetFont(const TFont& v) { FFont.Assign(v); }
  const TBrush& GetBrush() const { return FBrush; }
  TBrush& GetBrush() { return FBrush; }
  void SetBrush(const TBrush& v) { FBrush.Assign(v); }
  const TkmTextEffects& GetTextEffects() const { return FTextEffects; }
  // Copies render mode, rise and opacity one by one.
  void SetTextEffects(const TkmTextEffects& v);
  bool GetIsClipRect() const { return FIsClipRect; }
  // Setting false also zeroes the clip rectangle.
  void SetIsClipRect(bool v);
  const TkmRect& GetClipRect() const { return FClipRect; }
  void SetClipRect(const TkmRect& v) { FClipRect = v; }
  TkmHAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TkmHAlignment v) { FAlignment = v; }
  bool GetIsFromMetafile() const { return FIsFromMetafile; }
  void SetIsFromMetafile(bool v) { FIsFromMetafile = v; }
  bool GetIsWideString() const { return FIsWideString; }
  void SetIsWideString(bool v) { FIsWideString = v; }
  TBiDiMode GetBiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode v) { FBiDiMode = v; }
  // Measured width in native units; -1 when not measured.
  double GetWidthOfTheText() const { return FWidthOfTheText; }
  void SetWidthOfTheText(double v) { FWidthOfTheText = v; }
  // X: rounded native x of the text's centre; Y: rounded native x of its right end.
  TkmIntPoint GetCenterAndRightAlignTextPos() const { return FCenterAndRightAlignTextPos; }
  void SetCenterAndRightAlignTextPos(TkmIntPoint v) { FCenterAndRightAlignTextPos = v; }
  const std::vector<double>& GetCharSpaceArray() const { return FCharSpaceArray; }
  void SetCharSpaceArray(std::vector<double> v) { FCharSpaceArray = std::move(v); }

 private:
  double FX = 0;
  double FY = 0;
  TWideStrings FLines;
  int FRotationAngle = 0;
  TFont FFont;
  TBrush FBrush;
  TkmTextEffects FTextEffects;
  bool FIsClipRect = false;
  TkmRect FClipRect{};
  TkmHAlignment FAlignment = TkmHAlignment::haLeft;
  bool FIsFromMetafile = false;
  bool FIsWideString = false;
  TBiDiMode FBiDiMode = TBiDiMode::bdLeftToRight;
  double FWidthOfTheText = -1.0;
  TkmIntPoint FCenterAndRightAlignTextPos;
  std::vector<double> FCharSpaceArray;
};

// A wrapped, aligned, optionally framed box of text; X, Y are its top-left.
class TkmTextBoxItem : public TkmTextItem {
 public:
  TkmTextBoxItem() = default;

  double GetBoxWidth() const { return FBoxWidth; }
  void SetBoxWidth(double v) { FBoxWidth = v; }
  double GetBoxHeight() const { return FBoxHeight; }
  void SetBoxHeight(double v) { FBoxHeight = v; }
  const TkmFrame& GetFrame() const { return FFrame; }
  TkmFrame& GetFrame() { return FFrame; }
  void SetFrame(const TkmFrame& v) { FFrame.Assign(v); }
  TkmHAlignment GetHAlign() const { return FHAlign; }
  void SetHAlign(TkmHAlignment v) { FHAlign = v; }
  TkmVAlignment GetVAlign() const { return FVAlign; }
  void SetVAlign(TkmVAlignment v) { FVAlign = v; }
  const TPen& GetPen() const { return FPen; }
  void SetPen(const TPen& v) { FPen.Assign(v); }

 private:
  double FBoxWidth = 0;
  double FBoxHeight = 0;
  TkmFrame FFrame;
  TkmHAlignment FHAlign = TkmHAlignment::haLeft;
  TkmVAlignment FVAlign = TkmVAlignment::vaTop;
  TPen FPen;
};

// ---------------------------------------------------------------------------
// A picture placed on the page, referring to the engine's image resource list.
class TkmImageItem : public TkmDocumentItem {
 public:
  TkmImageItem();
  // Placement from a rectangle given in any corner order.
  explicit TkmImageItem(const TkmRect& rect);

  double GetX() const { return FX; }
  void SetX(double v) { FX = v; }
  double GetY() const { return FY; }
  void SetY(double v) { FY = v; }
  double GetWidth() const { return FWidth; }
  void SetWidth(double v) { FWidth = v; }
  double GetHeight() const { return FHeight; }
  void SetHeight(double v) { FHeight = v; }
  int GetIndexNo() const { return FIndexNo; }
  void SetIndexNo(int v) { FIndexNo = v; }
  const TkmFrame& GetFrame() const { return FFrame; }
  void SetFrame(const TkmFrame& v) { FFrame.Assign(v); }
  const TPen& GetPen() const { return FPen; }
  void SetPen(const TPen& v) { FPen.Assign(v); }
  const TBrush& GetBrush() const { return FBrush; }
  void SetBrush(const TBrush& v) { FBrush.Assign(v); }
  const TkmImageSettings& GetSettings() const { return *FSettings; }
  TkmImageSettings& GetSettings() { return *FSettings; }
  void SetSettings(const TkmImageSettings& v) { FSettings->Assign(v); }
  const TkmRect& GetDisplayRect() const { return FDisplayRect; }
  void SetDisplayRect(const TkmRect& v) { FDisplayRect = v; }
  bool GetIsFromMetafile() const { return FIsFromMetafile; }
  void SetIsFromMetafile(bool v) { FIsFromMetafile = v; }

 private:
  double FX = 0;
  double FY = 0;
  double FWidth = 0;
  double FHeight = 0;
  int FIndexNo = 0;
  TkmFrame FFrame;
  TPen FPen;
  TBrush FBrush;
  std::unique_ptr<TkmImageSettings> FSettings;
  TkmRect FDisplayRect{};
  bool FIsFromMetafile = false;
};

// An already encoded image (for example a complete JPEG file) passed through.
class TkmImageStream : public TkmImageItem {
 public:
  TkmImageStream();
  explicit TkmImageStream(const TkmRect& rect);
  ~TkmImageStream() override;

  TMemoryStream& GetStream() { return *FStream; }
  const TMemoryStream& GetStream() const { return *FStream; }
  int GetImageWidth() const { return FImageWidth; }
  void SetImageWidth(int v) { FImageWidth = v; }
  int GetImageHeight() const { return FImageHeight; }
  void SetImageHeight(int v) { FImageHeight = v; }

 private:
  std::unique_ptr<TMemoryStream> FStream;
  int FImageWidth = 0;
  int FImageHeight = 0;
};

// ---------------------------------------------------------------------------
// One vector shape. A shape recorded without fill has no brush.
class TkmShapeItem : public TkmDocumentItem {
 public:
  TkmShapeItem(bool IsFill, TkmShapeType ShapeType);

  TkmShapeType GetShapeType() const { return FShapeType; }
  const std::vector<TkmPoint>& GetPoints() const { return FPoints; }
  std::vector<TkmPoint>& GetPoints() { return FPoints; }
  // Replaces the points with a copy of `points`.
  void SetPoints(std::span<const TkmPoint> points);
  int GetNoPoints() const { return FNoPoints; }
  const TPen& GetPen() const { return FPen; }
  TPen& GetPen() { return FPen; }
  void SetPen(const TPen& v) { FPen.Assign(v); }
  // Nil for an unfilled shape.
  const TBrush* GetBrush() const { return FBrush ? &*FBrush : nullptr; }
  TBrush* GetBrush() { return FBrush ? &*FBrush : nullptr; }
  // Copies into the brush; ignored for an unfilled shape.
  void SetBrush(const TBrush& v);
  TkmPenJoinStyle GetPenJoinStyle() const { return FPenJoinStyle; }
  void SetPenJoinStyle(TkmPenJoinStyle v) { FPenJoinStyle = v; }
  TkmPenCapStyle GetPenCapStyle() const { return FPenCapStyle; }
  void SetPenCapStyle(TkmPenCapStyle v) { FPenCapStyle = v; }
  const TkmLineArtSettings& GetLineArtSettings() const { return FLineArtSettings; }
  void SetLineArtSettings(const TkmLineArtSettings& v) { FLineArtSettings.SetOpacity(v.GetOpacity()); }

 private:
  TkmShapeType FShapeType;
  std::vector<TkmPoint> FPoints;
  int FNoPoints = 0;
  TPen FPen;
  std::optional<TBrush> FBrush;
  TkmPenJoinStyle FPenJoinStyle = TkmPenJoinStyle::pjsNone;
  TkmPenCapStyle FPenCapStyle = TkmPenCapStyle::pcsNone;
  TkmLineArtSettings FLineArtSettings;
};

// Several polylines or polygons drawn as one path.
class TkmPolyShapeItem : public TkmDocumentItem {
 public:
  std::vector<std::unique_ptr<TkmShapeItem>>& GetShapes() { return FShapes; }
  const std::vector<std::unique_ptr<TkmShapeItem>>& GetShapes() const { return FShapes; }
  bool GetFillAlternate() const { return FFillAlternate; }
  void SetFillAlternate(bool v) { FFillAlternate = v; }

 private:
  std::vector<std::unique_ptr<TkmShapeItem>> FShapes;
  bool FFillAlternate = false;
};

// Several polygons filled together. NoPoints()[0] is the total point count,
// NoPoints()[1..NoPoly] the count of each polygon.
class TkmPolyPolygonItem : public TkmDocumentItem {
 public:
  int GetNoPoly() const { return FNoPoly; }
  void SetNoPoly(int v) { FNoPoly = v; }
  // Sizes the count array to NoPoly + 1 entries.
  void SetNoPoints();
  std::vector<int>& GetNoPoints() { return FNoPoints; }
  const std::vector<int>& GetNoPoints() const { return FNoPoints; }
  // Sizes the point array to the total count (entry 0).
  void SetPoints();
  std::vector<TkmPoint>& GetPointArray() { return FPoints; }
  const std::vector<TkmPoint>& GetPointArray() const { return FPoints; }
  // Point `position`; a zero point when `position` is outside the point array.
  TkmPoint GetPoints(int position) const;
  bool GetFillAlternate() const { return FFillAlternate; }
  void SetFillAlternate(bool v) { FFillAlternate = v; }
  const TPen& GetPen() const { return FPen; }
  void SetPen(const TPen& v) { FPen.Assign(v); }
  const TBrush& GetBrush() const { return FBrush; }
  void SetBrush(const TBrush& v) { FBrush.Assign(v); }

 private:
  int FNoPoly = 0;
  std::vector<int> FNoPoints;
  std::vector<TkmPoint> FPoints;
  bool FFillAlternate = false;
  TPen FPen;
  TBrush FBrush;
};

// A mixed line and Bezier path with one operation code per point.
class TkmPolyDrawItem : public TkmDocumentItem {
 public:
  int GetNoPoints() const { return FNoPoints; }
  void SetNoPoints(int v) { FNoPoints = v; }
  // Sizes both arrays to NoPoints.
  void SetPoints();
  std::vector<std::uint8_t>& GetOperations() { return FOperations; }
  const std::vector<std::uint8_t>& GetOperations() const { return FOperations; }
  std::vector<TkmPoint>& GetPoints() { return FPoints; }
  const std::vector<TkmPoint>& GetPoints() const { return FPoints; }
  const TPen& GetPen() const { return FPen; }
  void SetPen(const TPen& v) { FPen.Assign(v); }
  const TBrush& GetBrush() const { return FBrush; }
  void SetBrush(const TBrush& v) { FBrush.Assign(v); }

 private:
  int FNoPoints = 0;
  std::vector<std::uint8_t> FOperations;
  std::vector<TkmPoint> FPoints;
  TPen FPen;
  TBrush FBrush;
};

// A change of the clipping region.
class TkmClipItem : public TkmDocumentItem {
 public:
  bool GetRestore() const { return FRestore; }
  void SetRestore(bool v) { FRestore = v; }
  int GetNoRects() const { return FNoRects; }
  // Sets the count and sizes the rectangle array.
  void SetRects(int count);
  // Rectangle `position`; an empty rectangle outside the array.
  TkmIntRect GetRects(int position) const;
  void PutRect(int position, const TkmIntRect& r);
  std::uint32_t GetMode() const { return FMode; }
  void SetMode(std::uint32_t v) { FMode = v; }
  bool GetFromInsert() const { return FFromInsert; }
  void SetFromInsert(bool v) { FFromInsert = v; }
  const TPen& GetPen() const { return FPen; }
  void SetPen(const TPen& v) { FPen.Assign(v); }
  const TBrush& GetBrush() const { return FBrush; }
  void SetBrush(const TBrush& v) { FBrush.Assign(v); }

 private:
  bool FRestore = false;
  int FNoRects = 0;
  std::vector<TkmIntRect> FClipRects;
  std::uint32_t FMode = 0;
  bool FFromInsert = false;
  TPen FPen;
  TBrush FBrush;
};

// One path-bracket operation.
class TkmPathItem : public TkmDocumentItem {
 public:
  TkmPathOperation GetPathOperation() const { return FPathOperation; }
  void SetPathOperation(TkmPathOperation v) { FPathOperation = v; }
  std::uint32_t GetMode() const { return FMode; }
  void SetMode(std::uint32_t v) { FMode = v; }
  bool GetFillAlternate() const { return FFillAlternate; }
  void SetFillAlternate(bool v) { FFillAlternate = v; }
  // Nil until first assigned.
  const TPen* GetPen() const { return FPen ? &*FPen : nullptr; }
  void SetPen(const TPen& v) { FPen = v; }
  const TBrush* GetBrush() const { return FBrush ? &*FBrush : nullptr; }
  void SetBrush(const TBrush& v) { FBrush = v; }

 private:
  TkmPathOperation FPathOperation = TkmPathOperation::poBeginPath;
  std::uint32_t FMode = 0;
  bool FFillAlternate = false;
  std::optional<TPen> FPen;
  std::optional<TBrush> FBrush;
};

// End of a played metafile.
class TkmEOFItem : public TkmDocumentItem {
 public:
  bool GetStatus() const { return FStatus; }
  void SetStatus(bool v) { FStatus = v; }

 private:
  bool FStatus = false;
};

// ---------------------------------------------------------------------------
// A run of uniformly formatted text inside a paragraph.
class TkmParaRun {
 public:
  TkmParaRun() = default;
  TkmParaRun(const TkmParaRun&) = delete;
  TkmParaRun& operator=(const TkmParaRun&) = delete;

  TFont& GetFont() { return FFont; }
  void SetFont(const TFont& v) { FFont.Assign(v); }
  TBrush& GetBrush() { return FBrush; }
  void SetBrush(const TBrush& v) { FBrush.Assign(v); }
  TkmTextEffects& GetTextEffects() { return FTextEffects; }
  void SetTextEffects(const TkmTextEffects& v) { FTextEffects.Assign(v); }
  TkmTextFormatting& GetSettings() { return FSettings; }
  void SetSettings(const TkmTextFormatting& v) { FSettings.Assign(v); }
  TWideStrings& GetLines() { return FLines; }
  double GetX() const { return FX; }
  void SetX(double v) { FX = v; }
  double GetY() const { return FY; }
  void SetY(double v) { FY = v; }

 private:
  TFont FFont;
  TBrush FBrush;
  TkmTextEffects FTextEffects;
  TkmTextFormatting FSettings;
  TWideStrings FLines;
  double FX = 0;
  double FY = 0;
};

// A paragraph collected between BeginPara and EndPara.
class TkmParagraphItem : public TkmDocumentItem {
 public:
  TkmParagraphItem();

  double GetX() const { return FX; }
  void SetX(double v) { FX = v; }
  double GetY() const { return FY; }
  void SetY(double v) { FY = v; }
  double GetWidth() const { return FWidth; }
  void SetWidth(double v) { FWidth = v; }
  double GetHeight() const { return FHeight; }
  void SetHeight(double v) { FHeight = v; }
  TFont& GetFont() { return FFont; }
  void SetFont(const TFont& v) { FFont.Assign(v); }
  TBrush& GetBrush() { return FBrush; }
  void SetBrush(const TBrush& v) { FBrush.Assign(v); }
  TkmTextEffects& GetTextEffects() { return FTextEffects; }
  void SetTextEffects(const TkmTextEffects& v) { FTextEffects.Assign(v); }
  TkmTextFormatting& GetSettings() { return FSettings; }
  void SetSettings(const TkmTextFormatting& v) { FSettings.Assign(v); }
  TWideStrings& GetLines() { return FLines; }
  int GetAcualFontSize() const { return FAcualFontSize; }
  void SetAcualFontSize(int v) { FAcualFontSize = v; }
  bool GetIsSuperScript() const { return FIsSuperScript; }
  void SetIsSuperScript(bool v) { FIsSuperScript = v; }
  bool GetIsSubScript() const { return FIsSubScript; }
  void SetIsSubScript(bool v) { FIsSubScript = v; }
  std::vector<std::unique_ptr<TkmParaRun>>& GetParaRunList() { return FParaRunList; }

 private:
  double FX = 0;
  double FY = 0;
  double FWidth = 0;
  double FHeight = 0;
  TFont FFont;
  TBrush FBrush;
  TkmTextEffects FTextEffects;
  TkmTextFormatting FSettings;
  TWideStrings FLines;
  int FAcualFontSize = 0;
  bool FIsSuperScript = false;
  bool FIsSubScript = false;
  std::vector<std::unique_ptr<TkmParaRun>> FParaRunList;
};

// ---------------------------------------------------------------------------
// One column of a table.
class TkmColumn {
 public:
  TkmColumn() = default;
  TkmColumn(const TkmColumn&) = delete;
  TkmColumn& operator=(const TkmColumn&) = delete;

  double GetWidth() const { return FWidth; }
  // Stores the width, then calls the change handler with it.
  void SetWidth(double v);
  TkmHAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TkmHAlignment v) { FAlignment = v; }
  const std::u16string& GetTitle() const { return FTitle; }
  void SetTitle(const std::u16string& v) { FTitle = v; }
  void SetOnChange(std::function<void(double)> handler) { FOnchange = std::move(handler); }

 private:
  double FWidth = 0;
  TkmHAlignment FAlignment = TkmHAlignment::haLeft;
  std::u16string FTitle;
  std::function<void(double)> FOnchange;
};

using TkmColumnList = std::vector<std::unique_ptr<TkmColumn>>;

// A table collected between BeginTable and EndTable.
class TkmTableItem : public TkmDocumentItem {
 public:
  TkmTableItem(int NoColumns, TkmCustomDocumentEngine* engine);

  TkmCustomDocumentEngine* GetParent() const { return FParent; }
  double GetX() const { return FX; }
  void SetX(double v) { FX = v; }
  double GetY() const { return FY; }
  void SetY(double v) { FY = v; }
  int GetRowCount() const { return FRowCount; }
  void SetRowCount(int v) { FRowCount = v; }
  int GetColCount() const { return FColCount; }
  TFont& GetFont() { return FFont; }
  void SetFont(const TFont& v) { FFont.Assign(v); }
  TBrush& GetBrush() { return FBrush; }
  void SetBrush(const TBrush& v) { FBrush.Assign(v); }
  TPen& GetPen() { return FPen; }
  void SetPen(const TPen& v) { FPen.Assign(v); }
  TkmTextEffects& GetTextEffects() { return FTextEffects; }
  void SetTextEffects(const TkmTextEffects& v) { FTextEffects.Assign(v); }
  std::vector<std::uint32_t>& GetRowHeights() { return FRowHeights; }
  TkmTableSettings& GetSettings() { return FSettings; }
  void SetSettings(const TkmTableSettings& v) { FSettings.Assign(v); }
  double GetMaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(double v) { FMaxWidth = v; }
  double GetMaxHeight() const { return FMaxHeight; }
  void SetMaxHeight(double v) { FMaxHeight = v; }

  // Title height (when EnableTitle) plus the heights of rows 0..RowCount.
  double CalculateRowHeight() const;
  // Nil past the last column.
  TkmColumn* GetColumns(int index) const;
  // Copies the column's values into column `index`; ignored past the last column.
  void SetColumns(int index, const TkmColumn& column);
  // Sets every column's width to the ColumnWidth setting, then returns the list.
  TkmColumnList& GetColumnsList();
  // The cell items of row `index`; nil outside the rows.
  TkmItemList* GetRowItemsList(int index);
  std::vector<std::unique_ptr<TkmItemList>>& GetRowItems() { return FRowItemsList; }

 private:
  TkmCustomDocumentEngine* FParent;
  double FX = 0;
  double FY = 0;
  int FRowCount = -1;
  int FColCount;
  TFont FFont;
  TBrush FBrush;
  TPen FPen;
  TkmTextEffects FTextEffects;
  std::vector<std::uint32_t> FRowHeights;
  TkmColumnList FColumns;
  std::vector<std::unique_ptr<TkmItemList>> FRowItemsList;
  TkmTableSettings FSettings;
  double FMaxWidth = 0;
  double FMaxHeight = 0;
};

}  // namespace km
