#pragma once
// TkmCustomPDFEngine: the output engine that writes the document engine's pages
// as a PDF file, strictly forwards: the header at Start, each page's objects at
// EndPage, the document-level objects, the cross-reference table and the
// trailer at Finish. Objects 1 to 5 are fixed: catalog, page tree, information
// dictionary, procedure set and the one resource dictionary all pages share.
//
// This layer writes the file structure. Fonts, images, patterns, outlines,
// thumbnails, attachments, PDF/A metadata, encryption and signatures reach the
// file through the protected hooks below, which are empty here.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "kmCstPlnEng.h"
#include "kmPDFFormat.h"
#include "kmPDFObjectWriter.h"
#include "kmPDFSettings.h"
#include "kmPDFTime.h"
#include "kmStreams.h"

namespace km {

class TkmGlyphInfoList;
class TkmMapFont;
class TkmPDFFont;
struct TkmRunInfo;

// The resource name of entry `entry` of image list `list`: "/Img" + list + "_" +
// entry. The separator keeps names of different pairs apart (list 1 entry 11
// and list 11 entry 1 would otherwise both read "/Img111"); every writer and
// reader of image names uses this function.
std::string ImageResourceName(int list, int entry);
// The resource name of the page background image.
inline constexpr const char* kBackgroundImageName = "/Img0";

// The producer named in the information dictionary.
inline constexpr const char16_t* kPDFProducer = u"Scrivane VCL 5.0.0.484";

// Preferences of the PDF engine.
class TkmPDFPreferences : public TkmPlainSheetPreferences {
 public:
  TkmTTFontEmbedding GetEmbedTrueTypeFonts() const { return FEmbedTrueTypeFonts; }
  void SetEmbedTrueTypeFonts(TkmTTFontEmbedding v) { FEmbedTrueTypeFonts = v; }
  // Public, not published.
  bool GetApplyEmfCharSpacing() const { return FApplyEmfCharSpacing; }
  void SetApplyEmfCharSpacing(bool v) { FApplyEmfCharSpacing = v; }
  // Copies the PDF switches too when the source is a PDF preferences object.
  void Assign(const TkmPreferences& source) override;

 private:
  TkmTTFontEmbedding FEmbedTrueTypeFonts = TkmTTFontEmbedding::etfNone;
  bool FApplyEmfCharSpacing = true;
};

// The state of a path recorded from a metafile's path bracket.
enum class TkmPathStatus { psPathBegins, psPathEnds, psNoPath };

// The six hatch kinds; their pattern names are "PH", "PV", "PFD", "PBD", "PC", "PDC".
enum class TkmPDFPattern { pHorizontal, pVertical, pFDiagonal, pBDiagonal, pCross, pDCross };

// The Bezier control grid of an axis-parallel ellipse: X1 < X3 < X5 left to
// right, Y1 > Y3 > Y5 top to bottom (PDF units, y upwards).
struct TkmEllipseCtrlPoints {
  double X1 = 0, X2 = 0, X3 = 0, X4 = 0, X5 = 0;
  double Y1 = 0, Y2 = 0, Y3 = 0, Y4 = 0, Y5 = 0;
};

// Numbers for the tags of transparency graphics states: the same sequence for
// every document (Reset at the document start), non-negative, below
// 2147483647, and no number repeats within a document.
class TkmGStateTagGenerator {
 public:
  void Reset();
  std::int32_t Next();

 private:
  std::uint32_t FState = 1;
};

// The angle in degrees (0 <= a < 360) of the ray from the centre through
// (X, Y), with the y axis upwards.
double CalculateAngle(double XCenter, double YCenter, double X, double Y);

// A page that has been begun: its object number and size in points.
struct TkmPageInfo {
  int FObjNo = 0;
  double FWidth = 0;
  double FHeight = 0;
};

class TkmCustomPDFEngine : public TkmCustomPlainSheetEngine {
 public:
  TkmCustomPDFEngine();
  ~TkmCustomPDFEngine() override;

  // ---- Engine operations ----------------------------------------------------
  void BeginDoc() override;
  void Start() override;
  void BeginPage() override;
  void EndPage() override;
  void Finish() override;
  // Accepts BMP, JPEG, PNG, CCITT3 and CCITT4; refuses the others with
  // "The PDF Engine does not support image format".
  bool CheckOutputImageFormat(TkmOutputImageFormat Value, std::u16string& S) override;
  TkmPreferencesClass GetPreferencesClassName() const override;
  TkmPDFPreferences& GetPreferences() override;

  // ---- Object writing ---------------------------------------------------------
  int GetNewObjNo() { return FWriter.GetNewObjNo(); }
  static std::string MakeObjHead(int AObjNo) { return TkmPDFObjectWriter::MakeObjHead(AObjNo); }
  static std::string MakeObjRef(int AObjNo) { return TkmPDFObjectWriter::MakeObjRef(AObjNo); }
  static std::string MakeXRef(std::int64_t AOffset, int AGenNum, char Afn) {
    return TkmPDFObjectWriter::MakeXRef(AOffset, AGenNum, Afn);
  }
  void WriteObj(const std::string& AStr, int AObjNo, bool AIsObjectComplete) {
    FWriter.WriteObj(AStr, AObjNo, AIsObjectComplete);
  }
  void AppendXRef(std::int64_t APos, int AObjNo) { FWriter.AppendXRef(APos, AObjNo); }
  // The writer of the current document (numbers, offsets, deferred page objects).
  TkmPDFObjectWriter& GetObjectWriter() { return FWriter; }

  // NumToStr and CompressStream of kmPDFFormat.h.
  static std::string NumToStr(double AN) { return km::NumToStr(AN); }
  static std::int64_t CompressStream(TMemoryStream& InputStream, TStream& OutputStream,
                                     bool ACompressed, TkmCompressionLevel ACompressionLevel) {
    return km::CompressStream(InputStream, OutputStream, ACompressed, ACompressionLevel);
  }

  // Encryption hooks: every string and stream written into an object passes
  // through them. Without encryption they leave the bytes unchanged.
  virtual void WritePDFStream(TMemoryStream& InputStream, std::int64_t StreamSize, int ObjNo, int GenNo);
  virtual std::string WritePDFString(const std::string& InputString, int ObjNo, int GenNo);
  // A text string for the information dictionary, outlines and signatures:
  // "FEFF" + four hexadecimal digits per UTF-16 code unit; with encryption the
  // hexadecimal form of the encrypted Windows-1252 bytes.
  std::string EncryptedInfoToUnicodeHex(const std::u16string& AText, int AObjNo, int AGenNo);

  // Catalog keys (may write objects of its own first).
  virtual std::string GetCatalogDictionary();
  // The current page's keys.
  virtual std::string GetPageDictionary(int AObjNo);
  // Writes the encryption dictionary when encryption is enabled (not in this layer).
  virtual void WriteEncryptionDictionary();
  // Trailer keys: "/Root 1 0 R/Info 3 0 R/Size n/ID [<H><H>]".
  virtual std::string GetTrailer();
  // CCITT-encoded bitmap data; none in this layer.
  virtual std::unique_ptr<TMemoryStream> GetBitmapAsCCITTStream(TBitmap& ABitmap,
                                                                TkmOutputImageFormat AFormat);

  // ---- Content of the current page ------------------------------------------
  // Appends text (Windows-1252 bytes) to the current page's content stream.
  void AppendContent(std::string_view text);
  TMemoryStream& GetContentStream() { return *FContentStream; }

  // ---- Graphics content ------------------------------------------------------
  // Shape, path and clip items become content operators of the current page.
  void EncodeClipRect(TkmClipItem& AObject) override;
  void EncodePathItem(TkmPathItem& AObject) override;
  void EncodePolyPolygon(TkmPolyPolygonItem& AObject) override;
  void EncodeEOF(TkmEOFItem& AObject) override;
  void EncodePolyDraw(TkmPolyDrawItem& AObject) override;
  void EncodeLine(double X1, double Y1, double X2, double Y2, const TPen& Pen) override;
  void EncodeRect(double X1, double Y1, double X2, double Y2, const TPen& Pen, const TBrush* Brush) override;
  void EncodeRoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3, const TPen& Pen,
                       const TBrush* Brush) override;
  void EncodeEllipse(double X1, double Y1, double X2, double Y2, const TPen& Pen, const TBrush* Brush) override;
  void EncodePolyLine(std::span<const TkmPoint> Points, bool IsClosed, const TPen& Pen,
                      const TBrush* Brush) override;
  void EncodePolyPolyline(TkmPolyShapeItem& AObject, bool IsClosed) override;
  void EncodeArc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4,
                 const TPen& Pen) override;
  void EncodePie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4,
                 const TPen& Pen, const TBrush* Brush) override;
  void EncodeChord(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4,
                   const TPen& Pen, const TBrush* Brush) override;
  void EncodePolyBezier(std::span<const TkmPoint> Points, const TPen& Pen) override;

  // Engine x to PDF user space (before the page's "cm" scale).
  double GetNativeXPos(double X) const;
  // Engine y to PDF user space, flipped against the height of page PageNo
  // (not flipped for page 0 or a page without size).
  double GetNativeYPos(int PageNo, double Y) const;
  // Dash array and phase with " d " (none for styles without one), then the
  // engine's line join and cap: "[16 8]0 d 0 j 0 J ".
  std::string GetLineStyle(TPenStyle AStyle) const;
  // Colour operators: "/CS0 CS c SCN" and "/CS0 cs c scn" for PDF/A, else "c RG" and "c rg".
  std::string GetCSForStroke(const std::string& AStr) const;
  std::string GetCSForFill(const std::string& AStr) const;
  // Writes a transparency graphics state object for an opacity percentage
  // (clamped to 0..100) and returns "/GSn gs"; every call makes a new object.
  std::string SetGState(int AValue);
  // The hatch pattern name of a brush style, registering the pattern on first
  // use; empty for styles without a hatch.
  std::string GetPattern(TBrushStyle AStyle);
  // The painting operator for a finished path: "b*", "f*", "s"/"S" or "n".
  std::string CompletePDFPath(const TPen* APen, const TBrush* ABrush, bool CloseAndStroke) const;
  static TkmEllipseCtrlPoints GetEllipseCtrlPts(double PosX1, double PosY1, double PosX2, double PosY2);
  // An elliptic arc in PDF units: the pen's settings when it is visible, the
  // move to the start and Bezier segments of at most 90 degrees.
  std::string EncodePDFArc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4,
                           const TPen& Pen);
  static std::string PDFShortArc(double X, double Y, double RX, double RY, double Alpha, double Beta);
  // "x1 y1 x2 y2 x3 y3 c", or "x1 y1 x3 y3 y" when the second control point is the end point.
  static std::string PDFCurveto(double X1, double Y1, double X2, double Y2, double X3, double Y3);
  // Saved graphics states the page's clips hold open now.
  int OpenClipLevels() const;
  // ---- Font resources (kmCstPDFEngFonts.cpp; kmPDFFont3.h) -------------------
  // The resource a text run is written with, found or created, with the run's
  // glyphs (a shaped run: ARunInfo.ScriptProcessingRequired, AGlyphList and
  // ALogClust from the analysis) or characters (an unshaped run) recorded in
  // it; returns its position i in the font table, whose resource name is
  // "/F" + i. The family is ARunInfo.MappedFontName when set, else AFont's. A
  // shaped run uses a composite resource, vertical (Identity-V) when the
  // family begins with "@" and the run's first character is a CJK ideograph
  // (U+4E00..U+9FFF), horizontal otherwise; an unshaped run a simple one.
  int AddFontRun(const TFont& AFont, const std::u16string& AText, const TkmGlyphInfoList* AGlyphList,
                 const TkmRunInfo& ARunInfo, const std::vector<std::uint16_t>* ALogClust);
  // The position of the resource for the face (family, bold, italic), the
  // encoding kind and the direction; a new resource is appended (taking its
  // font object number now, subset when EmbedTrueTypeFonts is etfSubset and
  // the family is not excluded) when none matches.
  int GetPDFFont(const TFont& AFont, bool AIsCID, bool AIsIdentityH);
  int GetFontCount() const { return static_cast<int>(FFontTable.size()); }
  TkmPDFFont& GetFontResource(int AIndex) { return *FFontTable.at(static_cast<std::size_t>(AIndex)); }
  // The font-mapping state (fallback fonts, mapped families); made at first
  // use on the process-wide font catalogue, which must outlive the engine, and
  // kept for the engine's lifetime.
  TkmMapFont& GetMapFont();
  // True when the family is in FontEmbedExcludeList (compared case-insensitively).
  bool IsFontEmbedExcluded(const std::u16string& AFamily) const;

  // ---- Published properties -------------------------------------------------
  const std::vector<std::u16string>& GetFontEmbedExcludeList() const { return FFontEmbedExcludeList; }
  void SetFontEmbedExcludeList(const std::vector<std::u16string>& Value) { FFontEmbedExcludeList = Value; }
  // Compression, ViewerPreferences and Encryption are owned; assigning one
  // hands the given object over (the previous one is discarded; null is ignored).
  TkmCompression& GetCompression() { return *FCompression; }
  void SetCompression(std::unique_ptr<TkmCompression> Value);
  TkmViewerPreferences& GetViewerPreferences() { return *FViewerPreferences; }
  void SetViewerPreferences(std::unique_ptr<TkmViewerPreferences> Value);
  TkmPDFEncryptionSettings& GetEncryption() { return *FEncryption; }
  void SetEncryption(std::unique_ptr<TkmPDFEncryptionSettings> Value);
  TkmPDFFontEncoding GetFontEncoding() const { return FFontEncoding; }
  void SetFontEncoding(TkmPDFFontEncoding Value) { FFontEncoding = Value; }
  TkmPDFVersion GetPDFVersion() const { return FVersion; }
  // A PDF/A version also sets Preferences.EmbedTrueTypeFonts to etfSubset.
  void SetPDFVersion(TkmPDFVersion Value);
  TkmLineJoinStyle GetLineJoinStyle() const { return FLineJoinStyle; }
  void SetLineJoinStyle(TkmLineJoinStyle Value) { FLineJoinStyle = Value; }
  TkmLineCapStyle GetLineCapStyle() const { return FLineCapStyle; }
  void SetLineCapStyle(TkmLineCapStyle Value) { FLineCapStyle = Value; }

  // The clock that dates documents (empty: the system clock). SOURCE_DATE_EPOCH
  // overrides it.
  void SetClock(TkmClock Value) { FClock = std::move(Value); }
  // The current document's date text ("D:yyyymmddhhnnss+hh'mm'").
  const std::string& GetCreationTime() const { return FCreationTime; }
  double GetPixelToPointMultiplier() const { return FPixelToPointMultiplier; }

 protected:
  // ---- Hooks of the feature writers (empty in this layer) -------------------
  // BeginDoc: attachment lists renewed.
  virtual void ResetAttachments() {}
  // Catalog keys between "/Pages 2 0 R" and the viewer preferences:
  // attachments, PDF/A metadata and output intent, outline root.
  virtual std::string GetCatalogFeatureEntries() { return {}; }
  // Finish, after the catalog: thumbnail images and outline objects.
  virtual void WriteDocumentOutline() {}
  // Finish, before the resources: a background pattern registered in FPattern.
  virtual void RegisterBackgroundPattern();
  // PDF/A versions: writes the ICC profile and the "[/ICCBased ...]" array
  // for the shared resources and returns the array's object number (0: none).
  virtual int WritePDFAColorSpace() { return 0; }
  // "/Font <<...>>\r\n" of the resources: "/F" + i and the font dictionary of
  // every resource of the font table; empty when the table is.
  virtual std::string GetFontResources();
  // Finish: pattern objects, then the font objects.
  virtual void WritePatternObjects();
  // Every font resource's objects, in table order (kmPDFFont3.h).
  virtual void WriteFontObjects();
  // BeginPage: signature field objects of the signature's page; then the
  // page background.
  virtual void WriteSignatureFields() {}
  virtual void WritePageBackground();
  // The image writer's part of the page background: writes the background
  // picture as the image XObject "/Img0" (into the page's deferred objects)
  // and returns its object number; -1 when it cannot, and then the page
  // background carries the colour only. Called once, for the first page encoded.
  virtual int WriteBackgroundImageObject(const TGraphic& APicture);
  // EndPage, before the page dictionary: thumbnail bookkeeping; "/Thumb ..."
  // for the page dictionary.
  virtual void RecordPageThumbnail() {}
  virtual std::string GetThumbnailEntry() { return {}; }
  // Finish, after the trailer: the signature over the finished file.
  virtual void ApplySignature() {}
  // Start: the installed font families (FSysFonts), for text content.
  virtual void CollectSystemFonts() {}

  // ---- Graphics helpers ------------------------------------------------------
  // BeginPage: no path, no clip open.
  void ResetPathAndClipState();
  // "x y" of an engine point on the current page.
  std::string PointText(double X, double Y) const;
  double PenWidth(const TPen& Pen) const;
  // Dash, join, cap, width and stroke colour, with a trailing blank.
  std::string StrokeSettings(const TPen& Pen) const;
  static bool PenVisible(const TPen* Pen);
  static bool BrushVisible(const TBrush* Brush);
  // "/CSP cs c /name scn n " for a hatch brush; sets FPattern_Hatcy.
  std::string HatchSelection(const TBrush& Brush);
  // The fill of a path with a visible brush: solid "c rg path f ", hatch
  // selection + path + fillOp; empty for a clear or missing brush.
  std::string FillText(const TBrush* Brush, const std::string& Path, const char* fillOp);
  // The transparency state of line art below full opacity, else empty.
  std::string OpacityState();
  // Appends a shape's text, bracketed by q/Q unless a clip is open; clears FPattern_Hatcy.
  void WriteShape(const std::string& text, const char* closer);
  std::string ArcText(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4,
                      const TPen& Pen);
  void EncodeClosedArc(const std::string& path, const TPen& Pen, const TBrush* Brush);
  std::string PathFillSelection(const TBrush& Brush);
  void PaintRecordedPath(const TPen* Pen, const TBrush* Brush, bool stroke, bool fill, bool alternate);
  std::string ClipRectPath(const TkmIntRect& r) const;
  std::string PatternContent(const std::string& name) const;
  std::string PatternDictionary(const std::string& name) const;
  // Background picture position and tile size in points, from its own size.
  void PlaceBackgroundPicture(double W, double H, double w, double h);

  // Frees the per-document state; closes the output unless it is the caller's.
  void ReleaseDocument();

  // ---- Engine state -----------------------------------------------------------
  TkmPDFObjectWriter FWriter;
  TStream* FOutputStream = nullptr;             // the file or the caller's stream
  std::unique_ptr<TFileStream> FOwnedOutput;    // set when the engine created the file
  std::vector<std::unique_ptr<TkmPageInfo>> FPageList;  // by page number - 1; null = skipped
  TMemoryStream* FContentStream = nullptr;
  std::vector<std::unique_ptr<TMemoryStream>> FContentStreamList;
  int FContentsObjNo = 0;
  int FLengthObjNo = 0;
  std::string FAnnots;
  // Image XObjects of the document: object numbers by image list and entry.
  std::vector<std::vector<int>> FImageObjects;
  std::vector<std::pair<std::string, int>> FPattern;      // (name, object number)
  std::vector<std::pair<std::string, int>> FPDGStateList;  // (tag "/..", object number)
  int FBGImageObj = -1;
  std::string FCreationTime;
  double FPixelToPointMultiplier = 0.75;
  TkmPDFVersion FVersion = TkmPDFVersion::PDF_VER14;
  int FEncryptionObjNo = 0;
  // Clip state of the page content: each open clip holds one "q"; an
  // ordinary clip may hold FClipNesting further levels.
  // The document's font resources; position i is resource "/F" + i.
  std::vector<std::unique_ptr<TkmPDFFont>> FFontTable;
  // Clip state of the page content: each open clip holds one "q".
  bool FIsClipState = false;
  bool FIsInsertClipState = false;
  int FClipNesting = 0;
  bool FIsClipPath = false;
  // Path recording.
  TkmPathStatus FPathStatus = TkmPathStatus::psNoPath;
  std::string FPath;
  bool FFirstPoint = true;
  bool FIsPathClosed = false;
  TkmPoint FInitialPos{};
  // The shape being encoded was filled with a hatch pattern.
  bool FPattern_Hatcy = false;
  // Cleared by insert clips; read by the text writer.
  bool FtextHit = false;
  TkmGStateTagGenerator FGStateTags;
  // Background picture placement of the last page (points).
  double FBGLeft = 0, FBGTop = 0, FBGTileWidth = 0, FBGTileHeight = 0;

 private:
  std::string PageContentHead() const;
  std::string PageContentTail() const;
  void WritePageContents();
  std::string GetPageTree() const;
  std::string GetResourceDictionary();
  std::string GetProcSet() const;
  std::string GetInfoDictionary();
  std::string FileIdentifierHex();
  [[noreturn]] void FailStart(const std::string& message);

  std::vector<std::u16string> FFontEmbedExcludeList;
  std::unique_ptr<TkmCompression> FCompression;
  std::unique_ptr<TkmViewerPreferences> FViewerPreferences;
  std::unique_ptr<TkmPDFEncryptionSettings> FEncryption;
  TkmPDFFontEncoding FFontEncoding = TkmPDFFontEncoding::feWinAnsiEncoding;
  TkmLineJoinStyle FLineJoinStyle = TkmLineJoinStyle::ljsMiter;
  TkmLineCapStyle FLineCapStyle = TkmLineCapStyle::lcsFlat;
  TkmClock FClock;
  std::unique_ptr<TkmMapFont> FMapFont;
};

}  // namespace km
