#pragma once
// Enumerations, sets and small value types shared by the document engine,
// its settings objects and its items.

#include <cstdint>

#include "kmGraphicsValues.h"  // TBiDiMode
#include "kmSet.h"
#include "kmUiTypes.h"

namespace km {

// Progress of the engine's document.
enum class TkmEngineStatus { esNone, esStarted, esFinished, esCancelled, esError };

// What a concrete output engine supports natively.
enum class TkmCapabilityKind {
  ckText, ckImage, ckShape, ckHeader, ckFooter, ckWatermark, ckStamp,
  ckImageStretch, ckImageFrame, ckInputRes, ckImageReusable
};
using TkmCapabilities = Set<TkmCapabilityKind, 16>;

// Which kinds of drawing calls are recorded.
enum class TkmItemsToRenderKind { irText, irImage, irShape };
using TkmItemsToRender = Set<TkmItemsToRenderKind, 8>;

// The band being recorded or encoded.
enum class TkmBandType { btContent, btHeader, btFooter, btWatermark, btStamp };

// Which rectangle's top-left corner is added to every converted position.
enum class TkmReferencePoint { rpPage, rpMargin, rpBand };

enum class TkmPaperSize {
  Letter, LetterSmall, Tabloid, Ledger, Legal, Statement, Executive, A3, A4, A4Small, A5, B4,
  B5, Folio, Quarto, ps10X14, ps11X17, Note, Env10, Env11, Env12, Env14, CSheet, DSheet,
  ESheet, EnvDL, EnvC5, EnvC3, EnvC4, EnvC6, EnvC65, EnvB4, EnvB5, EnvB6, EnvItaly,
  EnvMonarch, EnvPersonal, FanfoldUS, FanfoldStdGerman, ISOB4, Custom, A0, A1, A2
};

enum class TkmHAlignment { haLeft, haRight, haCenter, haJustify, haGeneral };
enum class TkmVAlignment { vaTop, vaCenter, vaBottom };

enum class TkmOutputImageFormat { ifBMP, ifJPEG, ifGIF, ifPNG, ifMetafile, ifCCITT3, ifCCITT4 };

enum class TkmTextRenderMode { trmFill, trmStroke, trmFillStroke, trmInvisible };
enum class TkmTextRise { trNormal, trSuperscript, trSubscript };
// Opacity in percent, 0..100.
using TkmRenderingOpacity = int;

enum class TkmBackgroundDisplayType {
  dtTile, dtTopLeft, dtTopCenter, dtTopRight, dtCenterLeft, dtCenter, dtCenterRight,
  dtBottomLeft, dtBottomCenter, dtBottomRight
};

enum class TkmShapeType {
  stLine, stRectangle, stRoundRect, stEllipse, stPolygon, stPolyLine, stArc, stChord, stPie, stPolyBezier
};
enum class TkmPenJoinStyle { pjsNone, pjsBevel, pjsMiter, pjsRound };
enum class TkmPenCapStyle { pcsNone, pcsRound, pcsSquare, pcsFlat };
enum class TkmPathOperation {
  poBeginPath, poEndPath, poCloseFigure, poAbortPath, poFillPath, poStrokeAndFillPath,
  poStrokePath, poSelectClipPath
};

// An integer point (used for the rounded anchor positions of text items).
struct TkmIntPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TkmIntPoint&, const TkmIntPoint&) = default;
};

// An integer rectangle (clip rectangles taken from metafiles).
struct TkmIntRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  friend bool operator==(const TkmIntRect&, const TkmIntRect&) = default;
};

// A text extent in whole native units.
struct TkmSize {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const TkmSize&, const TkmSize&) = default;
};

}  // namespace km
