#pragma once
// The engine's recording side as two interfaces, through which the report
// bridge holds and drives any engine. They do not govern the engine's
// lifetime: its owner frees it. Each method is the engine operation of the
// same name, so an output engine's override is reached through them too.

#include <span>
#include <string>

#include "kmDocItems.h"
#include "kmDocSettings.h"
#include "kmEngineSupport.h"
#include "kmEngineTypes.h"
#include "kmGraphicsValues.h"

namespace km {

class TGraphic;
class TMetafile;
class TRichEdit;

// Eighteen settings: the getters first, then the setters, in the same order.
class IkmDocumentSettings {
 public:
  virtual ~IkmDocumentSettings() = default;

  virtual TColor GetBackgroundColor() const = 0;
  virtual const TGraphic* GetBackgroundImage() const = 0;
  virtual TkmBackgroundDisplayType GetBackgroundDisplayType() const = 0;
  virtual TBrush& GetBrush() = 0;
  virtual TFont& GetDefaultFont() = 0;
  virtual const std::string& GetFileDescription() const = 0;
  virtual TkmDocInfo& GetDocInfo() = 0;
  virtual const std::string& GetFileExtension() const = 0;
  virtual const std::string& GetFileName() const = 0;
  virtual TFont& GetFont() = 0;
  virtual TkmFrame& GetFrame() = 0;
  virtual TkmImageSettings& GetImageSettings() = 0;
  virtual TkmPageSettings& GetPage() = 0;
  virtual TkmBorder& GetPageBorder() = 0;
  virtual TPen& GetPen() = 0;
  virtual TkmPreferences& GetPreferences() = 0;
  virtual TkmTableSettings& GetTableSettings() = 0;
  virtual TkmTextFormatting& GetTextFormatting() = 0;

  virtual void SetBackgroundColor(TColor Value) = 0;
  virtual void SetBackgroundImage(const TGraphic* Value) = 0;
  virtual void SetBackgroundDisplayType(TkmBackgroundDisplayType Value) = 0;
  virtual void SetBrush(const TBrush& Value) = 0;
  virtual void SetDefaultFont(const TFont& Value) = 0;
  virtual void SetFileDescription(const std::string& Value) = 0;
  virtual void SetDocInfo(const TkmDocInfo& Value) = 0;
  virtual void SetFileExtension(const std::string& Value) = 0;
  virtual void SetFileName(const std::string& Value) = 0;
  virtual void SetFont(const TFont& Value) = 0;
  virtual void SetFrame(const TkmFrame& Value) = 0;
  virtual void SetImageSettings(const TkmImageSettings& Value) = 0;
  virtual void SetPage(const TkmPageSettings& Value) = 0;
  virtual void SetPageBorder(const TkmBorder& Value) = 0;
  virtual void SetPen(const TPen& Value) = 0;
  virtual void SetPreferences(const TkmPreferences& Value) = 0;
  virtual void SetTableSettings(const TkmTableSettings& Value) = 0;
  virtual void SetTextFormatting(const TkmTextFormatting& Value) = 0;
};

// The engine's operations #1-#56 (without the second AddImageAsResource), with
// the rich-text operations after TextRect and TextSize last.
class IkmDocumentEngine : public IkmDocumentSettings {
 public:
  virtual void BeginDoc() = 0;
  virtual void EndDoc() = 0;
  virtual void NewPage() = 0;
  virtual void HTMLTextOut(double X, double Y, const std::u16string& HTMLStr) = 0;
  virtual void TextOutV(double X, double Y, const std::u16string& Text, bool TopDown) = 0;
  virtual void TextOut(double X, double Y, const std::u16string& Text) = 0;
  virtual void TextOut(double X, double Y, const std::u16string& Text, bool WrapAtMargin) = 0;
  virtual void TextOut(int ColumnNo, const std::u16string& Text) = 0;
  virtual double TextOut(const std::u16string& Text) = 0;
  virtual void TextRect(const TkmRect& Rect, double X, double Y, const std::u16string& Text) = 0;
  virtual void DrawRichText(TRichEdit& RichEdit, double ALeft, double ATop, double ARight, double ABottom,
                            int StartPos, int EndPos, TColor BackgroundColor) = 0;
  virtual void ExportRichText(const std::string& FilePath, double ALeft, double ATop, double ARight,
                              double ABottom, int StartPos, int EndPos, TColor BackgroundColor) = 0;
  virtual void ExportRichText(TStream& FileStream, double ALeft, double ATop, double ARight,
                              double ABottom, int StartPos, int EndPos, TColor BackgroundColor) = 0;
  virtual void TextBox(const TkmRect& TextRect, const std::u16string& Text, TkmHAlignment HAlignment,
                       TkmVAlignment VAlignment) = 0;
  virtual void SetTextRotation(int Angle) = 0;
  virtual void SetTextAlignment(TkmHAlignment Alignment) = 0;
  virtual void DrawJPEGDirect(const TkmRect& ARect, int AImagePixelWidth, int AImagePixelHeight,
                              TStream& AStream) = 0;
  virtual void DrawJPEGDirect(const TkmRect& ImageRect, const TGraphic& AGraphic) = 0;
  virtual void DrawImage(double X, double Y, const TGraphic& AGraphic) = 0;
  virtual void DrawImage(const TkmRect& ImageRect, const TGraphic& AGraphic) = 0;
  virtual void DrawImage(const TkmRect& ImageRect, int Index) = 0;
  virtual void DrawImage(int ColumnNo, double Width, double Height, const TGraphic& AGraphic) = 0;
  virtual int AddImageAsResource(const TGraphic& AGraphic) = 0;
  virtual void Line(double X1, double Y1, double X2, double Y2) = 0;
  virtual void Rectangle(double X1, double Y1, double X2, double Y2, bool IsFill) = 0;
  virtual void RoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3, bool IsFill) = 0;
  virtual void Ellipse(double X1, double Y1, double X2, double Y2, bool IsFill) = 0;
  virtual void Polygon(std::span<const TkmPoint> Points, bool IsFill) = 0;
  virtual void PolyLine(std::span<const TkmPoint> Points) = 0;
  virtual void Arc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) = 0;
  virtual void Pie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4,
                   bool IsFill) = 0;
  virtual void Chord(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4,
                     bool IsFill) = 0;
  virtual void PolyBezier(std::span<const TkmPoint> Points) = 0;
  virtual void BeginPara() = 0;
  virtual void EndPara() = 0;
  virtual TkmColumnList* BeginTable(double X, double Y, int NoColumns) = 0;
  virtual double NewRow(double Height) = 0;
  virtual double NewRow() = 0;
  virtual void EndTable() = 0;
  virtual void PlayMetafile(TMetafile& Metafile) = 0;
  virtual void PlayMetafile(const TkmRect& DestRect, TMetafile& Metafile) = 0;
  virtual void PlayMetafile(double X, double Y, TMetafile& Metafile) = 0;
  virtual void BeginHeader() = 0;
  virtual void EndHeader() = 0;
  virtual void ClearHeader() = 0;
  virtual void BeginFooter() = 0;
  virtual void EndFooter() = 0;
  virtual void ClearFooter() = 0;
  virtual void BeginWaterMark() = 0;
  virtual void EndWaterMark() = 0;
  virtual void ClearWaterMark() = 0;
  virtual void BeginStamp() = 0;
  virtual void EndStamp() = 0;
  virtual void ClearStamp() = 0;
  virtual int SaveEngineState() = 0;
  virtual void RestoreEngineState(int Index) = 0;
  virtual void ClearEngineStates() = 0;
  virtual void SetWorkingPage(int PageNo) = 0;
  virtual TkmSize TextSize(const std::u16string& Text, const TFont& Font) = 0;
};

}  // namespace km
