#pragma once
// TkmCustomPlainSheetEngine: the base of page-oriented output engines. Adds the
// table of contents (the source of outlines) and the hyperlink preference, and
// passes the drawing interface through unchanged.

#include <memory>
#include <string>
#include <vector>

#include "kmCstDocEng.h"

namespace km {

// One table-of-contents entry.
class TkmTOCItem {
 public:
  const std::u16string& GetTitle() const { return FTitle; }
  void SetTitle(const std::u16string& v) { FTitle = v; }
  // 1-based target page; 0 for a link entry.
  int GetPageNumber() const { return FPageNumber; }
  void SetPageNumber(int v) { FPageNumber = v; }
  // Index of the parent entry; -1 for a top-level entry.
  int GetParentNode() const { return FParentNode; }
  void SetParentNode(int v) { FParentNode = v; }
  double GetX() const { return FX; }
  void SetX(double v) { FX = v; }
  // Vertical target position as the caller gave it (not converted).
  double GetY() const { return FY; }
  void SetY(double v) { FY = v; }
  const std::string& GetURL() const { return FURL; }
  void SetURL(const std::string& v) { FURL = v; }

 private:
  std::u16string FTitle;
  int FPageNumber = 0;
  int FParentNode = 0;
  double FX = 0;
  double FY = 0;
  std::string FURL;
};

using TkmTOCItemList = std::vector<std::unique_ptr<TkmTOCItem>>;

class TkmPlainSheetPreferences : public TkmPreferences {
 public:
  bool GetActiveHyperLinks() const { return FActiveHyperLinks; }
  void SetActiveHyperLinks(bool v) { FActiveHyperLinks = v; }
  // Copies the hyperlink switch too when the source is a plain-sheet object.
  void Assign(const TkmPreferences& source) override;

 private:
  bool FActiveHyperLinks = true;
};

class TkmCustomPlainSheetEngine : public TkmCustomDocumentEngine {
 public:
  TkmCustomPlainSheetEngine();
  ~TkmCustomPlainSheetEngine() override;

  // Creates a new table of contents (unless a document is already started),
  // then begins the document.
  void BeginDoc() override;
  // Ends the document, then frees the table of contents.
  void EndDoc() override;
  void NewPage() override;
  void HTMLTextOut(double X, double Y, const std::u16string& HTMLStr) override;
  void TextOut(double X, double Y, const std::u16string& Text) override;
  void TextOut(double X, double Y, const std::u16string& Text, bool WrapAtMargin) override;
  void TextOut(int ColumnNo, const std::u16string& Text) override;
  double TextOut(const std::u16string& Text) override;
  void TextRect(const TkmRect& Rect, double X, double Y, const std::u16string& Text) override;
  void TextBox(const TkmRect& TextRect, const std::u16string& Text, TkmHAlignment HAlignment,
               TkmVAlignment VAlignment) override;
  void SetTextRotation(int Angle) override;
  void DrawImage(double X, double Y, const TGraphic& AGraphic) override;
  void DrawImage(const TkmRect& ImageRect, const TGraphic& AGraphic) override;
  void DrawImage(const TkmRect& ImageRect, int Index) override;
  void DrawImage(int ColumnNo, double Width, double Height, const TGraphic& AGraphic) override;
  int AddImageAsResource(const TGraphic& AGraphic) override;
  using TkmCustomDocumentEngine::AddImageAsResource;
  void Line(double X1, double Y1, double X2, double Y2) override;
  void Rectangle(double X1, double Y1, double X2, double Y2, bool IsFill) override;
  void RoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3, bool IsFill) override;
  void Ellipse(double X1, double Y1, double X2, double Y2, bool IsFill) override;
  void Polygon(std::span<const TkmPoint> Points, bool IsFill) override;
  void PolyLine(std::span<const TkmPoint> Points) override;
  void Arc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) override;
  void Pie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4,
           bool IsFill) override;
  void Chord(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4,
             bool IsFill) override;
  void PolyBezier(std::span<const TkmPoint> Points) override;
  void BeginPara() override;
  void EndPara() override;
  TkmColumnList* BeginTable(double X, double Y, int NoColumns) override;
  double NewRow(double Height) override;
  double NewRow() override;
  void EndTable() override;
  void PlayMetafile(TMetafile& Metafile) override;
  void PlayMetafile(const TkmRect& DestRect, TMetafile& Metafile) override;
  void PlayMetafile(double X, double Y, TMetafile& Metafile) override;
  void BeginHeader() override;
  void EndHeader() override;
  void ClearHeader() override;
  void BeginFooter() override;
  void EndFooter() override;
  void ClearFooter() override;
  void BeginWaterMark() override;
  void EndWaterMark() override;
  void ClearWaterMark() override;
  void BeginStamp() override;
  void EndStamp() override;
  void ClearStamp() override;
  int SaveEngineState() override;
  void RestoreEngineState(int Index) override;
  void ClearEngineStates() override;
  void SetWorkingPage(int PageNo) override;
  void EndPage() override;
  TkmPreferencesClass GetPreferencesClassName() const override;

  // Appended operations. Each returns the new entry's index, or -1 (nothing
  // added) outside a started document or for an invalid parent or page.
  virtual int AddTOCItem(const std::u16string& Caption, int ParentNode, int PageNumber, double Top);
  virtual int AddTOCItem(const std::u16string& Caption, int ParentNode, const std::string& URL);

  // The preferences with this layer's class.
  TkmPlainSheetPreferences& GetPreferences() override;
  // Nil outside BeginDoc ... EndDoc.
  const TkmTOCItemList* GetTOCItemList() const { return FTOCItemList.get(); }

 private:
  std::unique_ptr<TkmTOCItemList> FTOCItemList;
};

}  // namespace km
