// Measurement units, the band rectangle and the settings setters that convert.

#include "kmCstDocEng.h"
#include "kmDocSettingsShared.h"
#include "kmScreen.h"

namespace km {

void TkmCustomDocumentEngine::SetMeasurementUnit(TkmUnitType Value) {
  FMeasurementUnit = Value;
  const double factor = CalculateNativeUnitFactor(Value);
  FNativeConversionFactor = factor;
  FPage->SetNativeFactor(factor);
  FTextFormatting->SetNativeFactor(factor);
  FTableSettings->SetNativeFactor(factor);
}

double TkmCustomDocumentEngine::NativeXPos(double X) const {
  double result = X * FNativeConversionFactor;
  if (FNativeConversionFactor == 1.0) result = result * CPixelsPerInch / FInputXRes;
  return result;
}

double TkmCustomDocumentEngine::NativeYPos(double Y) const {
  double result = Y * FNativeConversionFactor;
  if (FNativeConversionFactor == 1.0) result = result * CPixelsPerInch / FInputYRes;
  return result;
}

TkmRect TkmCustomDocumentEngine::NativeRect(const TkmRect& Rect) const {
  return kmRect(NativeXPos(Rect.Left), NativeYPos(Rect.Top), NativeXPos(Rect.Right), NativeYPos(Rect.Bottom));
}

void TkmCustomDocumentEngine::ClipShapeCoordinates(std::span<TkmPoint> Points) const {
  for (TkmPoint& p : Points) {
    p.X = NativeXPos(p.X) + FBandRect.Left;
    p.Y = NativeYPos(p.Y) + FBandRect.Top;
  }
}

void TkmCustomDocumentEngine::SetReferencePoint(TkmReferencePoint Value) {
  FReferencePoint = Value;
  CalculateBandRect();
}

void TkmCustomDocumentEngine::SetBandType(TkmBandType Value) {
  FBandType = Value;
  CalculateBandRect();
}

void TkmCustomDocumentEngine::CalculateBandRect() {
  if (!FIsDocumentStarted) return;
  const TkmPageItem* page = CurrentPageItem();
  if (!page) return;
  const TkmPageSettings& s = page->GetSettings();
  const double W = s.NativeWidth(), H = s.NativeHeight();
  const double LM = s.NativeLeftMargin(), RM = s.NativeRightMargin();
  const double TM = s.NativeTopMargin(), BM = s.NativeBottomMargin();
  const double HH = s.NativeHeaderHeight(), FH = s.NativeFooterHeight();
  switch (FReferencePoint) {
    case TkmReferencePoint::rpPage:
      FBandRect = kmRect(0, 0, W, H);
      return;
    case TkmReferencePoint::rpMargin:
      FBandRect = kmRect(LM, TM, W - RM, H - BM);
      return;
    case TkmReferencePoint::rpBand:
      break;
  }
  // The vertical input resolution scales both axes.
  const double f = FInputYRes / CPixelsPerInch;
  double top = 0, bottom = 0;
  switch (FBandType) {
    case TkmBandType::btContent:
      top = TM + HH;
      bottom = H - FH - BM;
      break;
    case TkmBandType::btHeader:
      top = TM;
      bottom = TM + HH;
      break;
    case TkmBandType::btFooter:
      top = H - FH - BM;
      bottom = H - BM;
      break;
    case TkmBandType::btWatermark:
    case TkmBandType::btStamp:
      top = TM;
      bottom = H - BM;
      break;
  }
  FBandRect = kmRect(LM * f, top * f, (W - RM) * f, bottom * f);
}

void TkmCustomDocumentEngine::SetTextEffects(const TkmTextEffects& Value) {
  FTextEffects->SetTextRenderMode(Value.GetTextRenderMode());
  FTextEffects->SetTextRise(Value.GetTextRise());
  FTextEffects->SetOpacity(Value.GetOpacity());
}

void TkmCustomDocumentEngine::SetTextFormatting(const TkmTextFormatting& Value) {
  const double f = FNativeConversionFactor;
  TkmTextFormatting& own = *FTextFormatting;
  own.FLeftIndent = Value.FLeftIndent * f;
  own.FRightIndent = Value.FRightIndent * f;
  own.FFirstLineIndent = Value.FFirstLineIndent * f;
  own.FBeforeSpace = Value.FBeforeSpace;
  own.FLineSpacing = Value.FLineSpacing;
  own.FAlignment = Value.FAlignment;
  own.FBorder.Assign(Value.FBorder);
}

void TkmCustomDocumentEngine::SetTableSettings(const TkmTableSettings& Value) {
  const double f = FNativeConversionFactor;
  TkmTableSettings& own = *FTableSettings;
  own.FColumnWidth = Value.FColumnWidth * f;
  own.FRowHeight = Value.FRowHeight * f;
  own.FTitleHeight = Value.FTitleHeight * f;
  own.FInternalMargin = kmRect(Value.FInternalMargin, f);
  own.FAutoAdjustColumnWidth = Value.FAutoAdjustColumnWidth;
  own.FEnableTitle = Value.FEnableTitle;
}

void TkmCustomDocumentEngine::SetSettings(TkmDocSettings* Value) {
  if (FSettings) {
    FSettings->RemoveEngineFromList(this);
    RemoveFreeNotification(FSettings);
  }
  FSettings = Value;
  if (!Value) return;
  Value->AddEngineToList(this);
  FreeNotification(Value);
  FBackgroundColor = Value->GetBackgroundColor();
  SetBackgroundImage(Value->GetBackgroundImage());
  FBackgroundImageDisplayType = Value->GetBackgroundImageDisplayType();
  FDocInfo->Assign(Value->GetDocInfo());
  FPage->Assign(Value->GetPage());
  FPreferences->Assign(Value->GetPreferences());
  SetMeasurementUnit(Value->GetMeasurementUnit());
}

}  // namespace km
