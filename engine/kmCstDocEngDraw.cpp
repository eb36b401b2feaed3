// Shape recording and the base shape encoders.
//
// Not built yet: recording shapes and rasterising them in the base encoders.
// Until then the recording operations record nothing and the encoders draw
// nothing; output engines override the encoders.

#include "kmCstDocEng.h"

namespace km {

void TkmCustomDocumentEngine::Line(double, double, double, double) {}
void TkmCustomDocumentEngine::Rectangle(double, double, double, double, bool) {}
void TkmCustomDocumentEngine::RoundRect(double, double, double, double, double, double, bool) {}
void TkmCustomDocumentEngine::Ellipse(double, double, double, double, bool) {}
void TkmCustomDocumentEngine::Polygon(std::span<const TkmPoint>, bool) {}
void TkmCustomDocumentEngine::PolyLine(std::span<const TkmPoint>) {}
void TkmCustomDocumentEngine::Arc(double, double, double, double, double, double, double, double) {}
void TkmCustomDocumentEngine::Pie(double, double, double, double, double, double, double, double, bool) {}
void TkmCustomDocumentEngine::Chord(double, double, double, double, double, double, double, double, bool) {}
void TkmCustomDocumentEngine::PolyBezier(std::span<const TkmPoint>) {}

void TkmCustomDocumentEngine::EncodeClipRect(TkmClipItem&) {}
void TkmCustomDocumentEngine::EncodePathItem(TkmPathItem&) {}
void TkmCustomDocumentEngine::EncodePolyPolygon(TkmPolyPolygonItem&) {}
void TkmCustomDocumentEngine::EncodeEOF(TkmEOFItem&) {}
void TkmCustomDocumentEngine::EncodePolyDraw(TkmPolyDrawItem&) {}
void TkmCustomDocumentEngine::EncodeLine(double, double, double, double, const TPen&) {}
void TkmCustomDocumentEngine::EncodeRect(double, double, double, double, const TPen&, const TBrush*) {}
void TkmCustomDocumentEngine::EncodeRoundRect(double, double, double, double, double, double, const TPen&,
                                              const TBrush*) {}
void TkmCustomDocumentEngine::EncodeEllipse(double, double, double, double, const TPen&, const TBrush*) {}
void TkmCustomDocumentEngine::EncodePolyLine(std::span<const TkmPoint>, bool, const TPen&, const TBrush*) {}
void TkmCustomDocumentEngine::EncodePolyPolyline(TkmPolyShapeItem&, bool) {}
void TkmCustomDocumentEngine::EncodeArc(double, double, double, double, double, double, double, double,
                                        const TPen&) {}
void TkmCustomDocumentEngine::EncodePie(double, double, double, double, double, double, double, double,
                                        const TPen&, const TBrush*) {}
void TkmCustomDocumentEngine::EncodeChord(double, double, double, double, double, double, double, double,
                                          const TPen&, const TBrush*) {}
void TkmCustomDocumentEngine::EncodePolyBezier(std::span<const TkmPoint>, const TPen&) {}
void TkmCustomDocumentEngine::EncodeShapeBitmap(double, double, TBitmap&) {}

}  // namespace km
