#pragma once
// TkmMetafileProcessor: the interpreter that walks the records of an enhanced
// metafile ([MS-EMF]) in file order and turns them into document items of the
// engine's current page: shapes, poly-shapes, poly-polygons, poly-draw items,
// path operations, clip changes and an end-of-metafile marker.
//
// It keeps its own copy of the device-context state the records manipulate:
// the object table, the selected pen, brush, font and palette, colours and
// modes, the mapping mode with window and viewport, the world transform, the
// current position and a stack of saved states. One processor lives for one
// metafile: create it, Execute once, free it.
//
// Positions are mapped from logical units through the world transform and the
// window/viewport mapping into device pixels of the metafile (recorded at the
// engine's input resolution), taken relative to the top-left corner of the
// header's picture frame, then scaled by CPixelsPerInch / InputRes into
// native units and offset by the start position. Every value that reaches an
// item is finite and bounded.
//
// Untrusted input: every count in a record is checked against the record's
// size before anything is built from it; a record that lies is skipped, as is
// a record too short for its fields. Object handles are bounded by the
// header's handle count.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "kmCanvas.h"
#include "kmDocItems.h"
#include "kmEmfReader.h"
#include "kmEngineTypes.h"
#include "kmGraphicsValues.h"

namespace km {

class TkmCustomDocumentEngine;
class TMetafile;

// A font as the metafile selects it: the platform font plus its escapement.
// A new font has size 0.
class TkmFont : public TFont {
 public:
  TkmFont();
  void Assign(const TkmFont& other) { *this = other; }
  // Escapement in tenths of a degree.
  int FRotateFont = 0;
};

// A logical palette: its header and room for its first entry.
class TkmPalette {
 public:
  struct TLogPalette {
    std::uint16_t palVersion = 0;
    std::uint16_t palNumEntries = 0;
    std::uint32_t palPalEntry = 0;  // the first entry (red, green, blue, flags)
  };
  TLogPalette FLogPalette;
};

enum class TkmGDIOBJType { goPen, goBrush, goFont, goPalette, goNone };

// One entry of the metafile's object table. Every entry carries a pen, a
// brush, a font and a palette; only the part matching its type is meaningful.
class TkmGDIOBJ {
 public:
  explicit TkmGDIOBJ(TkmGDIOBJType type) : FGDIOBJType(type) {}
  TkmPenJoinStyle FPenJoinStyle = TkmPenJoinStyle::pjsNone;
  TkmGDIOBJType FGDIOBJType;
  TPen FPen;
  TBrush FBrush;
  TkmFont FFont;
  TkmPalette FPalette;
  TkmPenCapStyle FPenCapStyle = TkmPenCapStyle::pcsNone;
};

// One saved device-context state (EMR_SAVEDC).
class TkmMetaState {
 public:
  TkmFont FFont;
  TBrush FBrush;
  TPen FPen;
  TkmPenJoinStyle FPenJoinStyle = TkmPenJoinStyle::pjsNone;
  TkmPenCapStyle FPenCapStyle = TkmPenCapStyle::pcsNone;
  std::uint32_t FCurrentTextColor = 0;
  std::uint8_t FBKMode = 2;
  std::uint32_t FMapMode = 0;
  TXForm FXForm;
  TSize FWinExtent{1, 1};
  TSize FViewExtent{1, 1};
  TPoint FWinOrg;
  TPoint FViewOrg;
  double FMapMXmul = 1.0;
  double FMapMYmul = 1.0;
  std::uint32_t FTextAlign = 0;
};

// How a walk over a metafile ended.
struct TkmMetafileRunResult {
  TEmfReadStatus Status = TEmfReadStatus::rsNotEmf;
  std::string Error;        // why the walk stopped early; empty after a complete walk
  std::size_t Records = 0;  // records seen, header and EOF included
  std::size_t Skipped = 0;  // records whose counts or sizes were inconsistent
};

class TkmMetafileProcessor {
 public:
  // Sets up the initial state and reads the text, image and shape switches
  // (ItemsToRender and Capabilities) from the engine.
  explicit TkmMetafileProcessor(TkmCustomDocumentEngine& engine);
  ~TkmMetafileProcessor();
  TkmMetafileProcessor(const TkmMetafileProcessor&) = delete;
  TkmMetafileProcessor& operator=(const TkmMetafileProcessor&) = delete;

  // Interprets every record of the metafile with (X, Y) added to every mapped
  // position (native units). Never throws for bad data: damage ends the walk
  // and is reported in the result.
  TkmMetafileRunResult Execute(const TMetafile& metafile, double X, double Y);
  // The same for raw EMF bytes (no size is taken from a picture object).
  TkmMetafileRunResult Execute(std::span<const std::uint8_t> emf, double X, double Y);

  void SetCombineCharsToSentence(bool v) { FCombineCharsToSentence = v; }
  // Device pixels of the metafile per native unit are taken from the engine's
  // input resolution; a metafile already re-recorded in native units sets 1.
  void SetDeviceScale(double x, double y) {
    FResX = x;
    FResY = y;
  }
  bool GetCombineCharsToSentence() const { return FCombineCharsToSentence; }

  // ---- Mapping (also used by the text and bitmap records) -------------------
  TPointD WorldTransform(double x, double y) const;
  // A position: world transform, window/viewport mapping, scale to native.
  TPointD ApplyMMWithOrigin(double x, double y) const;
  // A size or offset: the same without the viewport origin.
  TPointD ApplyMM(double x, double y) const;
  TkmRect ApplyMMToRect(const TRect& r) const;
  // A pen width in input-resolution pixels (not scaled to native units).
  double ApplyMMToPenWidth(double w) const;
  void SetMapModeMultiplier();
  static std::uint32_t GetColorValue(std::uint32_t c);

 private:
  using Reader = ByteReader;

  void HandleRecord(const TEmfRecord& rec);
  void ReadHeader(const TEmfRecord& rec);
  // A mapped point plus the start offset, bounded.
  TkmPoint MapPoint(double x, double y) const;
  // Device pixels of the metafile to native units plus the start offset.
  TkmPoint DeviceToNative(double x, double y) const;
  double NativeScaleX() const;
  double NativeScaleY() const;
  // True when a record of `size` bytes holds `count` elements of `elem` bytes at `offset`.
  static bool Fits(const TEmfRecord& rec, std::uint64_t offset, std::uint64_t count, std::uint64_t elem);
  void Skip() { ++FSkipped; }

  // ---- Objects -------------------------------------------------------------
  TkmGDIOBJ* CreateGDIRec(TkmGDIOBJType type, std::uint32_t index);
  TkmGDIOBJ* ObjectAt(std::uint32_t index) const;
  void SelectStockObject(std::uint32_t index);
  // A pen object; the width is in logical units and goes through the mapping.
  TkmGDIOBJ* CreatePenObject(std::uint32_t index, std::uint32_t style, double width, std::uint32_t color);
  void DoCreatePen(const Reader& r);
  void DoExtCreatePen(const TEmfRecord& rec);
  void DoCreateBrush(const Reader& r);
  void DoCreatePalette(const TEmfRecord& rec);
  void DoSelectObject(const Reader& r);
  void DoSelectPalette(const Reader& r);
  void DoDeleteObject(const Reader& r);

  // ---- States and mapping records -------------------------------------------
  void SaveMetaState();
  // Returns true when a state was restored.
  bool RestoreMetaState(std::int32_t n);
  void DoSetMapMode(std::uint32_t mode);
  void DoSetExtent(TSize& extent, const Reader& r);
  void DoScaleExtent(TSize& extent, const Reader& r);
  void DoModifyWorldTransform(const Reader& r);
  static TXForm ReadXForm(const Reader& r, std::size_t offset);

  // ---- Shapes, paths and clips (kmMetafileShapes.cpp) ----------------------
  // Fresh items carrying the current pen and brush where their kind has them;
  // Append hands them to the engine and records them as the latest of their kind.
  std::unique_ptr<TkmShapeItem> CreateShapeItem(TkmShapeType type) const;
  std::unique_ptr<TkmPolyPolygonItem> CreatePolyPolygonItem() const;
  std::unique_ptr<TkmClipItem> CreateClipItem() const;
  std::unique_ptr<TkmPathItem> CreatePathItem(TkmPathOperation op) const;
  // Appends an item to the engine's current list; the pointer stays valid
  // while the list holds the item, nil when the engine had no list.
  template <typename T>
  T* Append(std::unique_ptr<T> item);

  // Reads `count` points (16- or 32-bit) at `offset`, mapped.
  std::vector<TkmPoint> ReadPoints(const Reader& r, std::size_t offset, std::uint32_t count, bool small) const;
  TPoint ReadLogicalPoint(const Reader& r, std::size_t offset, bool small) const;
  void DoPoly(const TEmfRecord& rec, TkmShapeType type, bool small);
  void DoPolyTo(const TEmfRecord& rec, TkmShapeType type, bool small);
  void DoPolyPolyline(const TEmfRecord& rec, bool small);
  void DoPolyPolygon(const TEmfRecord& rec, bool small);
  void DoPolyDraw16(const TEmfRecord& rec);
  void DoSetPixel(const Reader& r);
  void DoLineTo(const Reader& r);
  void DoBoxShape(const Reader& r, TkmShapeType type);
  void DoRectangle(const Reader& r);
  void DoRoundRect(const Reader& r);
  void DoArcShape(const Reader& r, TkmShapeType type);
  void DoFillRgn(const TEmfRecord& rec);
  void DoPathOp(TkmPathOperation op);
  void DoSelectClipPath(const Reader& r);
  void DoIntersectClipRect(const Reader& r);
  void DoExtSelectClipRgn(const TEmfRecord& rec);
  void DoRestoreDC(const Reader& r);
  void DoEOF();
  // The rectangles of a region (RGNDATA) at `offset` of `length` bytes, in
  // device pixels; false when the region data is inconsistent.
  bool ReadRegion(const TEmfRecord& rec, std::size_t offset, std::size_t length, TRect& bound,
                  std::vector<TRect>& rects) const;
  TkmIntRect DeviceRectToNative(const TRect& r) const;
  bool FillAlternate() const { return FPolyFillMode == 0 || FPolyFillMode == 1; }

  TkmCustomDocumentEngine& FEngine;
  TkmItemList* FPTextList = nullptr;
  double FStartX = 0;
  double FStartY = 0;
  int FWidth = 0;
  int FHeight = 0;
  bool FProcessText = false;
  bool FProcessImage = false;
  bool FProcessShape = false;
  // P / InputXRes and P / InputYRes.
  double FResX = 1.0;
  double FResY = 1.0;

  TkmFont FCurrentFont;
  TBrush FCurrentBrush;
  TPen FCurrentPen;
  TkmPenJoinStyle FCurrentPenJoin = TkmPenJoinStyle::pjsNone;
  TkmPenCapStyle FCurrentPenCap = TkmPenCapStyle::pcsNone;
  TkmPalette FCurrentPalette;
  // Object table: the object with handle index n is at position n - 1; an
  // empty slot is an unused or deleted handle.
  std::vector<std::unique_ptr<TkmGDIOBJ>> FGDIOBJList;
  // Handle indexes run from 1 to FHandleLimit - 1 (the header's count).
  std::uint32_t FHandleLimit = 0;
  TkmGDIOBJ* FGDIOBJ = nullptr;

  std::uint8_t FBKMode = 2;
  bool IsBackgrondTransprent = false;
  std::uint32_t FBKColor = 0xFFFFFF;
  std::uint32_t FTextColor = 0;
  std::uint32_t FTextAlignment = 0;
  std::uint32_t FPolyFillMode = 0;
  std::uint32_t FROP2 = 0;
  std::uint32_t FStretchMode = 0;
  std::uint32_t FICMMode = 0;
  float FMiterLimit = 10.0f;
  std::uint32_t FMapMode = 0;
  TPoint FWindowOrigin;
  TPoint FViewPortOrigin;
  TSize FWindowExtent{1, 1};
  TSize FViewPortExtent{1, 1};
  double FMapMXmul = 1.0;
  double FMapMYmul = 1.0;
  // Device pixels per millimetre of the reference device (fixed mapping modes).
  double FDevicePxPerMMX = 96.0 / 25.4;
  double FDevicePxPerMMY = 96.0 / 25.4;
  // Top-left corner of the header's picture frame in device pixels.
  double FFrameX = 0;
  double FFrameY = 0;
  TXForm FXForm;
  bool FIsTransApplied = false;
  bool FIsWindowsExt = false;
  TPoint FCurrentPathPoint;
  double FUpdatePathX = 0;
  std::vector<std::unique_ptr<TkmMetaState>> FMetaState;
  TkmRect FClipRect{};
  bool FIsClipRect = false;
  bool FIsIntersectClipRect = false;
  bool FClipRecatangle = false;
  bool FAbortPath = false;
  bool FSeenEOF = false;
  std::int32_t FCurrentRecord = 0;
  std::size_t FSkipped = 0;
  bool FCombineCharsToSentence = false;
  std::int32_t FSymbolCharsetFontIdx = -1;

  TkmShapeItem* FShapeItem = nullptr;
  TkmPolyShapeItem* FPolyShapeItem = nullptr;
  TkmPolyPolygonItem* FPolyPolygonItem = nullptr;
  TkmPolyDrawItem* FPolyDrawItem = nullptr;
  TkmPathItem* FPathItem = nullptr;
  TkmClipItem* FClipItem = nullptr;
  TkmEOFItem* FEOFItem = nullptr;
};

}  // namespace km
