#pragma once
// TkmCustomDocumentEngine: the abstract, device-independent document engine.
//
// Drawing operations only record items into the current page's (or band's)
// lists; nothing is output until a page is processed: then the output engine's
// BeginPage is called, every item goes to its Encode... operation (page
// border, header, watermark, content, footer, stamp) and EndPage follows. By
// default all pages are kept until EndDoc; with Preferences.ProcessAfterEachPage
// a page is processed when the next one is opened.
//
// Every length a caller passes is in MeasurementUnit; items store native units
// (screen pixels at CPixelsPerInch), page-absolute.

#include <ctime>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "kmBaseComponent.h"
#include "kmDocIntf.h"
#include "kmDocItems.h"
#include "kmDocSettings.h"
#include "kmEngineErrors.h"
#include "kmEngineSupport.h"
#include "kmEngineTypes.h"
#include "kmGraphicsValues.h"
#include "kmTextMetrics.h"

namespace km {

class TkmDocSettings;
class TkmCustomDocumentEngine;

// A setup dialog component that can be linked to an engine (dialogs/ provides
// the real ones). ShowModal returns a modal result; mrCancel cancels BeginDoc.
class TkmSetupDialogComponent : public TkmBaseComponent {
 public:
  virtual void AttachEngine(TkmCustomDocumentEngine* engine) = 0;
  virtual int ShowModal() = 0;
  virtual void DetachEngine() = 0;
};

// The mail component that may be linked; no engine operation uses it.
class TkmEmailAdapter : public TkmBaseComponent {};

// Event types. The first argument is always the engine.
using TkmNotifyEvent = std::function<void(TkmCustomDocumentEngine&)>;
// The exception object lives for the duration of the call; the engine releases it.
using TkmErrorMessageEvent = std::function<void(TkmCustomDocumentEngine&, const EkmError&)>;
using TkmOnNeedFileNameEvent = std::function<void(TkmCustomDocumentEngine&, std::string& FileName, int)>;
using TkmOnCalcVariablesEvent =
    std::function<void(TkmCustomDocumentEngine&, const std::u16string& Name, std::u16string& Value)>;
using TkmOnCellDrawEvent = std::function<void(TkmCustomDocumentEngine&, int Row, int Column, TPen&, TBrush&,
                                              TFont&, TkmFrame&, TkmHAlignment&)>;
using TkmEmailEvent = std::function<void(TkmCustomDocumentEngine&)>;
using TkmEmailErrorEvent = std::function<void(TkmCustomDocumentEngine&, const std::string& Message)>;

// A band shared by all pages: its two item lists and its saved paragraph position.
class TkmBandItem {
 public:
  TkmBandItem() = default;
  virtual ~TkmBandItem() = default;
  TkmBandItem(const TkmBandItem&) = delete;
  TkmBandItem& operator=(const TkmBandItem&) = delete;

  TkmItemList& GetDocumentItems() { return FDocumentItems; }
  TkmItemList& GetTextItems() { return FTextItems; }
  double GetOffsetY() const { return FOffsetY; }
  void SetOffsetY(double v) { FOffsetY = v; }

 private:
  TkmItemList FDocumentItems;
  TkmItemList FTextItems;
  double FOffsetY = 0;
};

// A page: its item lists and the page settings it was opened with (native
// values, factor 1).
class TkmPageItem : public TkmBandItem {
 public:
  explicit TkmPageItem(TkmCustomDocumentEngine* parent) : FParent(parent) {}
  TkmCustomDocumentEngine* GetParent() const { return FParent; }
  TkmPageSettings& GetSettings() { return FSettings; }
  const TkmPageSettings& GetSettings() const { return FSettings; }

 private:
  TkmCustomDocumentEngine* FParent;
  TkmPageSettings FSettings;
};

// A saved drawing state: copies of font, pen, brush and the state settings.
class TkmEngineState {
 public:
  TkmEngineState() = default;
  TkmEngineState(const TkmEngineState&) = delete;
  TkmEngineState& operator=(const TkmEngineState&) = delete;

  TFont FFont;
  TPen FPen;
  TBrush FBrush;
  TkmImageSettings FImageSettings;
  TkmTextFormatting FTextFormatting;
  TkmTableSettings FTableSettings;
  TkmPageSettings FPage;
  TkmTextEffects FTextEffects;
};

class TkmCustomDocumentEngine : public TkmBaseComponent, public IkmDocumentEngine {
 public:
  TkmCustomDocumentEngine();
  ~TkmCustomDocumentEngine() override;

  // ---- The engine's virtual interface, in its fixed order -------------------
  // Lifecycle.
  void BeginDoc() override;                                                       // 1
  void EndDoc() override;                                                         // 2
  void NewPage() override;                                                        // 3
  // Text.
  void HTMLTextOut(double X, double Y, const std::u16string& HTMLStr) override;   // 4
  void TextOutV(double X, double Y, const std::u16string& Text, bool TopDown) override;  // 5
  void TextOut(double X, double Y, const std::u16string& Text) override;          // 6
  void TextOut(double X, double Y, const std::u16string& Text, bool WrapAtMargin) override;  // 7
  void TextOut(int ColumnNo, const std::u16string& Text) override;                // 8
  // Returns the height still free below the text (caller's unit).
  double TextOut(const std::u16string& Text) override;                            // 9
  void TextRect(const TkmRect& Rect, double X, double Y, const std::u16string& Text) override;  // 10
  void TextBox(const TkmRect& TextRect, const std::u16string& Text, TkmHAlignment HAlignment,
               TkmVAlignment VAlignment) override;                                // 11
  void SetTextRotation(int Angle) override;                                       // 12
  void SetTextAlignment(TkmHAlignment Alignment) override;                        // 13
  // Images.
  void DrawJPEGDirect(const TkmRect& ARect, int AImagePixelWidth, int AImagePixelHeight,
                      TStream& AStream) override;                                 // 14
  void DrawJPEGDirect(const TkmRect& ImageRect, const TGraphic& AGraphic) override;  // 15
  void DrawImage(double X, double Y, const TGraphic& AGraphic) override;          // 16
  void DrawImage(const TkmRect& ImageRect, const TGraphic& AGraphic) override;    // 17
  void DrawImage(const TkmRect& ImageRect, int Index) override;                   // 18
  void DrawImage(int ColumnNo, double Width, double Height, const TGraphic& AGraphic) override;  // 19
  int AddImageAsResource(const TGraphic& AGraphic) override;                      // 20
  virtual int AddImageAsResource(const TGraphic& AGraphic, bool AResource);       // 21
  // Shapes.
  void Line(double X1, double Y1, double X2, double Y2) override;                 // 22
  void Rectangle(double X1, double Y1, double X2, double Y2, bool IsFill) override;  // 23
  void RoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3,
                 bool IsFill) override;                                           // 24
  void Ellipse(double X1, double Y1, double X2, double Y2, bool IsFill) override; // 25
  void Polygon(std::span<const TkmPoint> Points, bool IsFill) override;           // 26
  void PolyLine(std::span<const TkmPoint> Points) override;                       // 27
  void Arc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4,
           double Y4) override;                                                   // 28
  void Pie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4,
           bool IsFill) override;                                                 // 29
  void Chord(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4,
             bool IsFill) override;                                               // 30
  void PolyBezier(std::span<const TkmPoint> Points) override;                     // 31
  // Paragraphs and tables.
  void BeginPara() override;                                                      // 32
  void EndPara() override;                                                        // 33
  // The open table's column list; nil outside a started document.
  TkmColumnList* BeginTable(double X, double Y, int NoColumns) override;          // 34
  double NewRow(double Height) override;                                          // 35
  double NewRow() override;                                                       // 36
  void EndTable() override;                                                       // 37
  // Metafiles.
  void PlayMetafile(TMetafile& Metafile) override;                                // 38
  void PlayMetafile(const TkmRect& DestRect, TMetafile& Metafile) override;       // 39
  void PlayMetafile(double X, double Y, TMetafile& Metafile) override;            // 40
  // Bands.
  void BeginHeader() override;                                                    // 41
  void EndHeader() override;                                                      // 42
  void ClearHeader() override;                                                    // 43
  void BeginFooter() override;                                                    // 44
  void EndFooter() override;                                                      // 45
  void ClearFooter() override;                                                    // 46
  void BeginWaterMark() override;                                                 // 47
  void EndWaterMark() override;                                                   // 48
  void ClearWaterMark() override;                                                 // 49
  void BeginStamp() override;                                                     // 50
  void EndStamp() override;                                                       // 51
  void ClearStamp() override;                                                     // 52
  // Drawing states.
  // Returns the new state's identifier; -1 outside a started document.
  int SaveEngineState() override;                                                 // 53
  // -1 restores the last saved state.
  void RestoreEngineState(int Index) override;                                    // 54
  void ClearEngineStates() override;                                              // 55
  void SetWorkingPage(int PageNo) override;                                       // 56
  // Output engine hooks.
  virtual void BeginPage();                                                       // 57
  virtual void EndPage();                                                         // 58
  virtual void Start();                                                           // 59
  virtual void Finish();                                                          // 60
  virtual void ProcessItemsList(TkmItemList& AList);                              // 61
  virtual void EncodeText(TkmTextItem& AObject);                                  // 62
  virtual void EncodeTextBox(TkmTextBoxItem& AObject);                            // 63
  virtual void EncodeParagraph(TkmParagraphItem& AObject);                        // 64
  virtual void EncodeImage(TkmImageItem& AObject);                                // 65
  virtual void EncodeImageStream(TkmImageStream& ImgStream);                      // 66
  virtual void EncodeTable(TkmTableItem& AObject);                                // 67
  virtual void EncodeCustomItem(TkmDocumentItem& AObject);                        // 68
  virtual void EncodeClipRect(TkmClipItem& AObject);                              // 69
  virtual void EncodePathItem(TkmPathItem& AObject);                              // 70
  virtual void EncodePolyPolygon(TkmPolyPolygonItem& AObject);                    // 71
  virtual void EncodeEOF(TkmEOFItem& AObject);                                    // 72
  virtual void EncodePolyDraw(TkmPolyDrawItem& AObject);                          // 73
  // Brush is nil for unfilled shapes.
  virtual void EncodeLine(double X1, double Y1, double X2, double Y2, const TPen& Pen);  // 74
  virtual void EncodeRect(double X1, double Y1, double X2, double Y2, const TPen& Pen,
                          const TBrush* Brush);                                   // 75
  virtual void EncodeRoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3,
                               const TPen& Pen, const TBrush* Brush);             // 76
  virtual void EncodeEllipse(double X1, double Y1, double X2, double Y2, const TPen& Pen,
                             const TBrush* Brush);                                // 77
  virtual void EncodePolyLine(std::span<const TkmPoint> Points, bool IsClosed, const TPen& Pen,
                              const TBrush* Brush);                               // 78
  virtual void EncodePolyPolyline(TkmPolyShapeItem& AObject, bool IsClosed);      // 79
  virtual void EncodeArc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4,
                         double Y4, const TPen& Pen);                             // 80
  virtual void EncodePie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4,
                         double Y4, const TPen& Pen, const TBrush* Brush);        // 81
  virtual void EncodeChord(double X1, double Y1, double X2, double Y2, double X3, double Y3,
                           double X4, double Y4, const TPen& Pen, const TBrush* Brush);  // 82
  virtual void EncodePolyBezier(std::span<const TkmPoint> Points, const TPen& Pen);  // 83
  // X, Y in native units.
  virtual void EncodeShapeBitmap(double X, double Y, TBitmap& Bitmap);            // 84
  virtual void EncodePageBorder();                                                // 85
  virtual std::u16string ReplacePlaceHolders(const std::u16string& AText, bool AReplacePageInfo);  // 86
  virtual std::u16string ReplacePageInfo(const std::u16string& AText);            // 87
  virtual void ProcessTextList(TkmItemList& AList);                               // 88
  virtual void ProcessMetafile(double AX, double AY, TMetafile& AMetafile);       // 89
  virtual void AdjustTextItemList(TkmItemList& AList);                            // 90
  virtual bool CheckOutputImageFormat(TkmOutputImageFormat Value, std::u16string& S);  // 91
  virtual int ShowSetupModal();                                                   // 92
  virtual TkmPreferencesClass GetPreferencesClassName() const;                    // 93
  virtual void CreateEMailSettingsObj();                                          // 94
  virtual std::u16string R2LString(const std::u16string& OriginalStr);            // 95

  // ---- Interface operations that are not engine slots -----------------------
  void DrawRichText(TRichEdit& RichEdit, double ALeft, double ATop, double ARight, double ABottom,
                    int StartPos, int EndPos, TColor BackgroundColor) override;
  void ExportRichText(const std::string& FilePath, double ALeft, double ATop, double ARight,
                      double ABottom, int StartPos, int EndPos, TColor BackgroundColor) override;
  void ExportRichText(TStream& FileStream, double ALeft, double ATop, double ARight, double ABottom,
                      int StartPos, int EndPos, TColor BackgroundColor) override;
  // Extent of Text in Font, native units. An empty text measures width 1 and
  // the height of a space; a final CR LF is not measured. Text is measured as
  // Unicode, not through the 8-bit ANSI code page: the platform layer has no
  // ANSI measuring, and characters outside Windows-1252 then get their real
  // width instead of that of a replacement character.
  TkmSize TextSize(const std::u16string& Text, const TFont& Font) override;

  // ---- Text measuring and layout (not engine slots) -------------------------
  // Extent of the UTF-16 text as it is, native units (the PDF text writer's measure).
  TkmSize TextSizeW(const std::u16string& Text, const TFont& Font) const;
  // Width and height of Text in the current font, in the caller's unit; an
  // empty text is 0 wide and as high as a space.
  double TextWidth(const std::u16string& Text);
  double TextHeight(const std::u16string& Text);
  // Word-wraps Text into Lines (which may already hold text: its last line is
  // continued). Width is the width of every line after the first, all in
  // native units; returns round(Width), or with AutoResize the width that
  // Text needs on one line. Stops, keeping the lines made so far, when a
  // single character does not fit. This variant is used by boxes, paragraphs
  // and tables.
  int WrapTextIntoLines(const std::u16string& Text, double Width, double FirstLineWidth, TWideStrings& Lines,
                        bool AutoResize, const TFont& AFont);
  // The same for a plain string list (TextOut with wrapping, form fields): every
  // width is the horizontal extent of the text at TextRotationAngle, and an
  // empty list first gets an empty line.
  int WrapTextIntoLines(const std::u16string& Text, double Width, double FirstLineWidth,
                        std::vector<std::u16string>& Lines, bool AutoResize, const TFont& AFont);
  // Lays the item's lines out in a box of MaxWidth x MaxHeight at the item's
  // X, Y (native) inside Margin, and hands each line that fits to EncodeText
  // as a temporary text item. Leading blanks are removed from the item's
  // lines. With AFillBackground false the temporary items get no background.
  void ProcessTextRect(TkmTextItem& ATextItem, TkmHAlignment HAlign, TkmVAlignment VAlign, double MaxWidth,
                       double MaxHeight, const TkmRect& Margin, bool AFillBackground = true);
  // The next web address, e-mail address or file path in AText at or after
  // the 1-based position AStartPos (0 = from the start). Empty when there is
  // none; otherwise AStartPos becomes the link's 1-based start.
  std::u16string GetHyperLinkText(const std::u16string& AText, int& AStartPos) const;
  // The part of Line that shows inside the item's clip rectangle and the
  // native x where it starts; the whole line at the item's X when the item
  // has no clip rectangle.
  std::u16string VisibleTextPart(const TkmTextItem& Item, const std::u16string& Line, double& X);
  // One step of rich-text rendering: draws the characters From..To (To -1:
  // to the end) into Twips (a rectangle in twips on the page canvas) and
  // returns the first character that did not fit, or -1 when none is left.
  using TkmRichTextRenderStep =
      std::function<int(TMetafileCanvas& Canvas, const TkmIntRect& Twips, int From, int To)>;
  // The page loop of rich text: fills the rectangle with BackgroundColor
  // (unless white), renders, and while characters are left opens a new page
  // and renders the rest there. A page that takes no character ends the loop:
  // the rest can never fit. Needs a started document and an open page canvas.
  void RenderRichTextPages(const TkmRichTextRenderStep& Render, double ALeft, double ATop, double ARight,
                           double ABottom, int StartPos, int EndPos, TColor BackgroundColor);
  // The target rectangle of rich text in twips (caller's unit in, page canvas
  // twips out; no band origin).
  TkmIntRect RichTextTwipsRect(double ALeft, double ATop, double ARight, double ABottom) const;
  // Replaces the text metrics service (nil: the platform's font services).
  void SetTextMetrics(std::shared_ptr<const IkmTextMetrics> Value);
  const IkmTextMetrics& GetTextMetrics() const { return *FTextMetrics; }
  // The local date and time that the date placeholders show (empty: the
  // system clock).
  using TkmLocalTimeSource = std::function<std::tm()>;
  void SetPlaceholderClock(TkmLocalTimeSource Value) { FPlaceholderClock = std::move(Value); }

  // ---- Non-virtual lifecycle ---------------------------------------------
  void InitializeEngine();
  void FinalizeEngine();
  // Encodes page CurrentPage (when in range) and frees it.
  void ProcessPage();
  bool IsPageInRange(int PageNo) const;
  // Deletes an existing file of that name and creates it; the caller owns the
  // stream. On failure: status esError, CancelCreate, EFileCreateError.
  std::unique_ptr<TFileStream> CreateFile(const std::string& AFileName);
  void CancelCreate();
  void FreeItemsList(TkmItemList& AList);
  // Appends to the current document item list; ignored without a current list.
  void AddDocumentItem(std::unique_ptr<TkmDocumentItem> Item);
  void SendMail() {}
  void SetBandType(TkmBandType Value);
  // 0-based page item; nil for an index outside the list or for a page that
  // was already processed.
  TkmPageItem* GetPages(int Index) const;
  // Records an output file the engine created (output engines call it).
  void AddEngineFileName(const std::string& FullName) { FEngineFileNames.push_back(FullName); }
  const std::vector<std::string>& GetEngineFileNames() const { return FEngineFileNames; }

  // ---- Units ----------------------------------------------------------------
  // Caller units to native units, without the band origin.
  double NativeXPos(double X) const;
  double NativeYPos(double Y) const;
  TkmRect NativeRect(const TkmRect& Rect) const;
  void CalculateBandRect();
  // Converts a point array in place: native position plus the band origin.
  void ClipShapeCoordinates(std::span<TkmPoint> Points) const;

  // ---- Properties -----------------------------------------------------------
  TkmEngineStatus GetEngineStatus() const { return FEngineStatus; }
  int GetCurrentPage() const { return FCurrentPage; }
  int GetPageCount() const { return FPageCount; }
  bool GetIsDocumentStarted() const { return FIsDocumentStarted; }
  // The current page's recording canvas; nil when no page canvas is open.
  TMetafileCanvas* GetCanvas() const { return FCanvas.get(); }
  const std::string& GetFileName() const override { return FFileName; }
  // Ignored while a document is started; drops a trailing "." + FileExtension.
  void SetFileName(const std::string& Value) override;
  const std::string& GetFileExtension() const override { return FFileExtension; }
  void SetFileExtension(const std::string& Value) override { FFileExtension = Value; }
  const std::string& GetFileDescription() const override { return FDescription; }
  void SetFileDescription(const std::string& Value) override { FDescription = Value; }
  TStream* GetUserStream() const { return FUserStream; }
  // Ignored while a document is started.
  void SetUserStream(TStream* Value);
  TkmPreferences& GetPreferences() override { return *FPreferences; }
  void SetPreferences(const TkmPreferences& Value) override { FPreferences->Assign(Value); }
  const std::string& GetPagesToRender() const { return FPagesToRender; }
  void SetPagesToRender(const std::string& Value) { FPagesToRender = Value; }
  TkmItemsToRender GetItemsToRender() const { return FItemsToRender; }
  void SetItemsToRender(TkmItemsToRender Value) { FItemsToRender = Value; }
  TkmCapabilities GetCapabilities() const { return FCapabilities; }
  bool GetAbortCreation() const { return FAbortCreation; }
  void SetAbortCreation(bool Value) { FAbortCreation = Value; }
  TkmSetupDialogComponent* GetSetupDialog() const { return FSetupDialog; }
  void SetSetupDialog(TkmSetupDialogComponent* Value);
  TkmDocSettings* GetSettings() const { return FSettings; }
  // Unlinks from the previous component, links to the new one and copies the
  // shared values into the engine.
  void SetSettings(TkmDocSettings* Value);
  TkmEmailSettings& GetEMailSettings() { return *FEmailSettings; }
  void SetEMailSettings(const TkmEmailSettings& Value) { FEmailSettings->Assign(Value); }
  TkmEmailAdapter* GetEmailAdapter() const { return FEmailAdapter; }
  void SetEmailAdapter(TkmEmailAdapter* Value);
  bool GetAutoPaginate() const { return FIsAutoPaginate; }
  void SetAutoPaginate(bool Value) { FIsAutoPaginate = Value; }
  TkmBandType GetBandType() const { return FBandType; }
  const TkmRect& GetBandRect() const { return FBandRect; }

  TkmUnitType GetMeasurementUnit() const { return FMeasurementUnit; }
  // Stores the unit; Page, TextFormatting and TableSettings take its factor.
  void SetMeasurementUnit(TkmUnitType Value);
  double GetNativeConversionFactor() const { return FNativeConversionFactor; }
  TkmReferencePoint GetReferencePoint() const { return FReferencePoint; }
  // Recomputes BandRect.
  void SetReferencePoint(TkmReferencePoint Value);
  int GetInputXRes() const { return FInputXRes; }
  void SetInputXRes(int Value) { FInputXRes = Value; }
  int GetInputYRes() const { return FInputYRes; }
  void SetInputYRes(int Value) { FInputYRes = Value; }

  TFont& GetFont() override { return FFont; }
  void SetFont(const TFont& Value) override { FFont.Assign(Value); }
  TFont& GetDefaultFont() override { return FDefaultFont; }
  void SetDefaultFont(const TFont& Value) override { FDefaultFont.Assign(Value); }
  TPen& GetPen() override { return FPen; }
  void SetPen(const TPen& Value) override { FPen.Assign(Value); }
  TBrush& GetBrush() override { return FBrush; }
  void SetBrush(const TBrush& Value) override { FBrush.Assign(Value); }
  TkmTextEffects& GetTextEffects() { return *FTextEffects; }
  void SetTextEffects(const TkmTextEffects& Value);
  TkmLineArtSettings& GetLineArtSettings() { return *FLineArtSettings; }
  void SetLineArtSettings(const TkmLineArtSettings& Value) { FLineArtSettings->SetOpacity(Value.GetOpacity()); }
  TkmFrame& GetFrame() override { return *FFrame; }
  void SetFrame(const TkmFrame& Value) override { FFrame->Assign(Value); }
  TkmPageSettings& GetPage() override { return *FPage; }
  void SetPage(const TkmPageSettings& Value) override { FPage->Assign(Value); }
  TkmBorder& GetPageBorder() override { return *FPageBorder; }
  void SetPageBorder(const TkmBorder& Value) override { FPageBorder->Assign(Value); }
  TkmDocInfo& GetDocInfo() override { return *FDocInfo; }
  void SetDocInfo(const TkmDocInfo& Value) override { FDocInfo->Assign(Value); }
  TkmTextFormatting& GetTextFormatting() override { return *FTextFormatting; }
  // Indents are converted from the given object's stored values.
  void SetTextFormatting(const TkmTextFormatting& Value) override;
  TkmImageSettings& GetImageSettings() override { return *FImageSettings; }
  void SetImageSettings(const TkmImageSettings& Value) override { FImageSettings->Assign(Value); }
  TkmTableSettings& GetTableSettings() override { return *FTableSettings; }
  // Lengths are converted from the given object's stored values.
  void SetTableSettings(const TkmTableSettings& Value) override;
  TColor GetBackgroundColor() const override { return FBackgroundColor; }
  void SetBackgroundColor(TColor Value) override { FBackgroundColor = Value; }
  // Nil when there is no picture.
  const TGraphic* GetBackgroundImage() const override { return FBackgroundImage.get(); }
  // Copies the picture; nil clears it.
  void SetBackgroundImage(const TGraphic* Value) override;
  TkmBackgroundDisplayType GetBackgroundDisplayType() const override { return FBackgroundImageDisplayType; }
  void SetBackgroundDisplayType(TkmBackgroundDisplayType Value) override { FBackgroundImageDisplayType = Value; }
  TkmBackgroundDisplayType GetBackgroundImageDisplayType() const { return FBackgroundImageDisplayType; }
  void SetBackgroundImageDisplayType(TkmBackgroundDisplayType Value) { FBackgroundImageDisplayType = Value; }
  int GetTextRotationAngle() const { return FTextRotationAngle; }
  TkmHAlignment GetTextAlignment() const { return FTextAlignment; }
  TBiDiMode GetBiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode Value) { FBiDiMode = Value; }
  bool GetApplySuperScriptSubScriptOnParagraph() const { return FApplySuperScriptSubScriptOnParagraph; }
  void SetApplySuperScriptSubScriptOnParagraph(bool Value) { FApplySuperScriptSubScriptOnParagraph = Value; }
  bool GetMetafileAsImage() const { return FMetafileAsImage; }
  void SetMetafileAsImage(bool Value) { FMetafileAsImage = Value; }
  TkmPenJoinStyle GetPenJoinStyle() const { return FPenJoinStyle; }
  TkmPenCapStyle GetPenCapStyle() const { return FPenCapStyle; }
  bool GetIsLastElementInTextList() const { return FIsLastElementInTextList; }
  int GetTablenumber() const { return FTablenumber; }

  // The lists drawing operations append to (the current page's or a band's).
  TkmItemList* GetCurrentDocumentItemList() const { return FCurrentDocumentItemList; }
  TkmItemList* GetCurrentTextItemList() const { return FCurrentTextItemList; }
  double GetCurrentOffsetY() const { return FCurrentOffsetY; }
  void SetCurrentOffsetY(double v) { FCurrentOffsetY = v; }
  TkmBandItem* GetHeaderItem() const { return FHeaderItem.get(); }
  TkmBandItem* GetFooterItem() const { return FFooterItem.get(); }
  TkmBandItem* GetWatermarkItem() const { return FWatermarkItem.get(); }
  TkmBandItem* GetStampItem() const { return FStampItem.get(); }
  int GetEngineStateCount() const { return static_cast<int>(FEngineStateList.size()); }

  // ---- Events (all empty by default) ----------------------------------------
  TkmNotifyEvent OnBeforeBeginDoc, OnAfterBeginDoc, OnBeforeBeginPage, OnAfterBeginPage,
      OnBeforeEndPage, OnAfterEndPage, OnBeforeEndDoc, OnAfterEndDoc;
  TkmErrorMessageEvent OnErrorMessage;
  TkmOnCalcVariablesEvent OnCalcVariables;
  TkmOnCellDrawEvent OnCellDraw;
  // Never fired by the engine.
  TkmOnNeedFileNameEvent OnNeedFileName;
  // Never fired: no mail is sent.
  TkmEmailEvent OnEmail, OnEmailConnected, OnEmailDisConnected, OnEmailSuccess;
  TkmEmailErrorEvent OnEmailError;

 protected:
  void Notification(TkmBaseComponent* component) override;
  // Replaces the preferences object by one of GetPreferencesClassName();
  // each engine layer's constructor calls it so that the layer's class is used.
  void CreatePreferencesObject();
  // Raises `error`, or hands it to OnErrorMessage when one is assigned.
  template <typename E>
  void ReportError(const E& error) {
    if (OnErrorMessage) {
      OnErrorMessage(*this, error);
      return;
    }
    throw error;
  }
  void SetCapabilities(TkmCapabilities Value) { FCapabilities = Value; }

  // Page canvas handling (the one metafile of the document).
  void OpenCanvas(int Width, int Height);
  // Frees the canvas, which completes the metafile; false when none was open.
  bool CloseCanvas();
  // Closes the canvas and interprets what was drawn on it into the current lists.
  void FlushCanvas();
  void OpenShell(const std::string& FileName);
  // Band recording helpers.
  void BeginBand(TkmBandItem* band, TkmBandType type);
  void EndBand(TkmBandItem* band);
  void ClearBand(TkmBandItem* band);
  void ProcessBand(TkmBandItem& band, TkmBandType type, bool adjustText);
  // Non-virtual dispatchers to the shape encoders.
  void EncodeShape(TkmShapeItem& Item);
  void EncodePolyShape(TkmPolyShapeItem& Item);
  // Image resources of the document (created by InitializeEngine, released by FinalizeEngine).
  void InitializeImageResources();
  void ReleaseImageResources();
  TkmPageItem* CurrentPageItem() const;
  // Deletes every recorded output file that exists.
  void DeleteEngineFiles();

  // Lifecycle state.
  std::vector<std::unique_ptr<TkmPageItem>> FPages;
  int FCurrentPage = 0;
  int FPageCount = 0;
  TkmItemList* FCurrentDocumentItemList = nullptr;
  TkmItemList* FCurrentTextItemList = nullptr;
  double FCurrentOffsetY = 0;
  std::unique_ptr<TkmBandItem> FHeaderItem, FFooterItem, FWatermarkItem, FStampItem;
  std::vector<std::unique_ptr<TkmEngineState>> FEngineStateList;
  int FDefaultState = 0;
  std::unique_ptr<TkmEngineState> FDocumentStartState;
  std::unique_ptr<TMetafile> FMetafile;
  std::unique_ptr<TMetafileCanvas> FCanvas;
  std::vector<std::string> FEngineFileNames;
  TkmEngineStatus FEngineStatus = TkmEngineStatus::esNone;
  bool FIsDocumentStarted = false;
  bool FAbortCreation = false;
  std::string FPagesToRender;
  TkmItemsToRender FItemsToRender;
  TkmCapabilities FCapabilities;
  TkmBandType FBandType = TkmBandType::btContent;
  TkmRect FBandRect{};
  int FTablenumber = -1;
  bool FMetafileAsImage = false;
  std::string FFileName, FFileExtension, FDescription;
  TStream* FUserStream = nullptr;
  std::unique_ptr<TkmPreferences> FPreferences;
  TkmDocSettings* FSettings = nullptr;
  TkmSetupDialogComponent* FSetupDialog = nullptr;
  std::unique_ptr<TkmEmailSettings> FEmailSettings;
  TkmEmailAdapter* FEmailAdapter = nullptr;
  bool FIsAutoPaginate = true;
  bool FApplySuperScriptSubScriptOnParagraph = false;
  bool FIsLastElementInTextList = false;
  TkmPenJoinStyle FPenJoinStyle = TkmPenJoinStyle::pjsNone;
  TkmPenCapStyle FPenCapStyle = TkmPenCapStyle::pcsNone;

  // Units.
  TkmUnitType FMeasurementUnit = TkmUnitType::muInches;
  double FNativeConversionFactor = 1.0;
  TkmReferencePoint FReferencePoint = TkmReferencePoint::rpBand;
  int FInputXRes = 96;
  int FInputYRes = 96;

  // Drawing attributes and settings.
  TFont FFont, FDefaultFont;
  TPen FPen;
  TBrush FBrush;
  std::unique_ptr<TkmTextEffects> FTextEffects;
  std::unique_ptr<TkmLineArtSettings> FLineArtSettings;
  std::unique_ptr<TkmFrame> FFrame;
  std::unique_ptr<TkmPageSettings> FPage;
  std::unique_ptr<TkmBorder> FPageBorder;
  std::unique_ptr<TkmImageSettings> FImageSettings;
  std::unique_ptr<TkmTextFormatting> FTextFormatting;
  std::unique_ptr<TkmTableSettings> FTableSettings;
  std::unique_ptr<TGraphic> FBackgroundImage;
  std::unique_ptr<TkmDocInfo> FDocInfo;
  TColor FBackgroundColor = clWhite;
  TkmBackgroundDisplayType FBackgroundImageDisplayType = TkmBackgroundDisplayType::dtCenter;
  int FTextRotationAngle = 0;
  TkmHAlignment FTextAlignment = TkmHAlignment::haLeft;
  TBiDiMode FBiDiMode = TBiDiMode::bdLeftToRight;

  // Text measuring and placeholders.
  std::shared_ptr<const IkmTextMetrics> FTextMetrics = DefaultTextMetrics();
  TkmLocalTimeSource FPlaceholderClock;

 private:
  // Text recording helpers.
  bool CanRecordText() const;
  // A text item with copies of the current font, brush, effects, rotation and alignment.
  std::unique_ptr<TkmTextItem> NewTextItem(double x, double y, const std::u16string& line) const;
  // Stores the measured width and the centre and right anchors of line 0.
  void MeasureTextAnchor(TkmTextItem& item);
  // Appends the item and measures its anchors.
  void AddTextItem(std::unique_ptr<TkmTextItem> item);
  template <typename LineList>
  int WrapLines(const std::u16string& Text, double Width, double FirstLineWidth, LineList& Lines, bool AutoResize,
                const TFont& AFont, double scale);
  std::u16string ReplaceDateAndDocInfo(const std::u16string& AText);
  std::u16string ReplaceCallerVariables(const std::u16string& AText);
};

}  // namespace km
