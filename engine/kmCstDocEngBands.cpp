// Band recording, the page border and the dispatch of shape items.

#include "kmCstDocEng.h"

namespace km {

void TkmCustomDocumentEngine::BeginBand(TkmBandItem* band, TkmBandType type) {
  if (!FIsDocumentStarted || !band) return;
  SetBandType(type);
  FCurrentDocumentItemList = &band->GetDocumentItems();
  FCurrentTextItemList = &band->GetTextItems();
  FCurrentOffsetY = band->GetOffsetY();
}

void TkmCustomDocumentEngine::EndBand(TkmBandItem* band) {
  if (!FIsDocumentStarted || !band) return;
  band->SetOffsetY(FCurrentOffsetY);
  SetBandType(TkmBandType::btContent);
  TkmPageItem* page = CurrentPageItem();
  FCurrentDocumentItemList = page ? &page->GetDocumentItems() : nullptr;
  FCurrentTextItemList = page ? &page->GetTextItems() : nullptr;
  FCurrentOffsetY = page ? page->GetOffsetY() : 0;
}

void TkmCustomDocumentEngine::ClearBand(TkmBandItem* band) {
  if (!FIsDocumentStarted || !band) return;
  FreeItemsList(band->GetDocumentItems());
  FreeItemsList(band->GetTextItems());
  band->SetOffsetY(0);
}

void TkmCustomDocumentEngine::BeginHeader() { BeginBand(FHeaderItem.get(), TkmBandType::btHeader); }
void TkmCustomDocumentEngine::EndHeader() { EndBand(FHeaderItem.get()); }
void TkmCustomDocumentEngine::ClearHeader() { ClearBand(FHeaderItem.get()); }
void TkmCustomDocumentEngine::BeginFooter() { BeginBand(FFooterItem.get(), TkmBandType::btFooter); }
void TkmCustomDocumentEngine::EndFooter() { EndBand(FFooterItem.get()); }
void TkmCustomDocumentEngine::ClearFooter() { ClearBand(FFooterItem.get()); }
void TkmCustomDocumentEngine::BeginWaterMark() { BeginBand(FWatermarkItem.get(), TkmBandType::btWatermark); }
void TkmCustomDocumentEngine::EndWaterMark() { EndBand(FWatermarkItem.get()); }
void TkmCustomDocumentEngine::ClearWaterMark() { ClearBand(FWatermarkItem.get()); }
void TkmCustomDocumentEngine::BeginStamp() { BeginBand(FStampItem.get(), TkmBandType::btStamp); }
void TkmCustomDocumentEngine::EndStamp() { EndBand(FStampItem.get()); }
void TkmCustomDocumentEngine::ClearStamp() { ClearBand(FStampItem.get()); }

void TkmCustomDocumentEngine::EncodePageBorder() {
  const TkmBorder& b = *FPageBorder;
  if (!b.GetDrawLeft() && !b.GetDrawRight() && !b.GetDrawTop() && !b.GetDrawBottom()) return;
  const TkmPageItem* page = CurrentPageItem();
  if (!page) return;
  TPen pen;
  pen.SetWidth(b.GetWidth());
  pen.SetColor(b.GetColor());
  pen.SetStyle(b.GetStyle());
  const TkmPageSettings& s = page->GetSettings();
  const double W = s.NativeWidth(), H = s.NativeHeight();
  const double LM = s.NativeLeftMargin(), RM = s.NativeRightMargin();
  const double TM = s.NativeTopMargin(), BM = s.NativeBottomMargin();
  if (b.GetDrawLeft()) EncodeLine(LM, TM, LM, H - BM, pen);
  if (b.GetDrawRight()) EncodeLine(W - RM, TM, W - RM, H - BM, pen);
  if (b.GetDrawTop()) EncodeLine(LM, TM, W - RM, TM, pen);
  if (b.GetDrawBottom()) EncodeLine(LM, H - BM, W - RM, H - BM, pen);
}

void TkmCustomDocumentEngine::EncodeShape(TkmShapeItem& Item) {
  const std::vector<TkmPoint>& p = Item.GetPoints();
  if (p.empty()) return;
  const TPen& pen = Item.GetPen();
  const TBrush* brush = Item.GetBrush();
  // Each shape type needs a fixed number of points; a shorter array is skipped.
  auto need = [&](std::size_t n) { return p.size() >= n; };
  switch (Item.GetShapeType()) {
    case TkmShapeType::stLine:
      if (need(2)) EncodeLine(p[0].X, p[0].Y, p[1].X, p[1].Y, pen);
      break;
    case TkmShapeType::stRectangle:
      if (need(2)) EncodeRect(p[0].X, p[0].Y, p[1].X, p[1].Y, pen, brush);
      break;
    case TkmShapeType::stRoundRect:
      if (need(3)) EncodeRoundRect(p[0].X, p[0].Y, p[1].X, p[1].Y, p[2].X, p[2].Y, pen, brush);
      break;
    case TkmShapeType::stEllipse:
      if (need(2)) EncodeEllipse(p[0].X, p[0].Y, p[1].X, p[1].Y, pen, brush);
      break;
    case TkmShapeType::stPolygon:
      EncodePolyLine(p, true, pen, brush);
      break;
    case TkmShapeType::stPolyLine:
      EncodePolyLine(p, false, pen, brush);
      break;
    case TkmShapeType::stArc:
      if (need(4)) EncodeArc(p[0].X, p[0].Y, p[1].X, p[1].Y, p[2].X, p[2].Y, p[3].X, p[3].Y, pen);
      break;
    case TkmShapeType::stChord:
      if (need(4)) EncodeChord(p[0].X, p[0].Y, p[1].X, p[1].Y, p[2].X, p[2].Y, p[3].X, p[3].Y, pen, brush);
      break;
    case TkmShapeType::stPie:
      if (need(4)) EncodePie(p[0].X, p[0].Y, p[1].X, p[1].Y, p[2].X, p[2].Y, p[3].X, p[3].Y, pen, brush);
      break;
    case TkmShapeType::stPolyBezier:
      EncodePolyBezier(p, pen);
      break;
  }
}

void TkmCustomDocumentEngine::EncodePolyShape(TkmPolyShapeItem& Item) {
  const auto& shapes = Item.GetShapes();
  if (shapes.empty() || !shapes.front()) return;
  switch (shapes.front()->GetShapeType()) {
    case TkmShapeType::stPolygon:
      EncodePolyPolyline(Item, true);
      break;
    case TkmShapeType::stPolyLine:
      EncodePolyPolyline(Item, false);
      break;
    default:
      break;
  }
}

}  // namespace km
