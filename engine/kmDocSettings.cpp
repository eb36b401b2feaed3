#include "kmDocSettings.h"

#include <array>
#include <cstddef>
#include <string>
#include <utility>

#include "kmCstDocEng.h"
#include "kmDocSettingsShared.h"
#include "kmEngineErrors.h"
#include "kmScreen.h"

namespace km {

namespace {

// Paper sizes in inches, width x height, indexed by TkmPaperSize. The table
// keeps its historical values: ps11X17 is 10 x 17, Ledger, FanfoldUS and EnvB6
// are stored wider than tall.
constexpr std::array<TkmPaperDimensions, 44> kPaperSizes = {{
    {8.5, 11},          {8.5, 11},          {11, 17},           {17, 11},
    {8.5, 14},          {5.5, 8.5},         {7.25, 10.5},       {11.6929, 16.5354},
    {8.2677, 11.6929},  {8.2677, 11.6929},  {5.8267, 8.2677},   {9.8425, 13.8976},
    {6.9291, 9.8425},   {8.5, 13},          {8.4645, 10.8267},  {10, 14},
    {10, 17},           {8.5, 11},          {4.125, 9.5},       {4.5, 10.375},
    {4.75, 11},         {5, 11.5},          {17, 22},           {22, 34},
    {34, 44},           {4.3307, 8.6614},   {6.3779, 9.0157},   {12.7559, 18.0314},
    {9.1057, 12.7559},  {4.4881, 6.3779},   {4.4881, 9.0157},   {9.8425, 13.8976},
    {6.9291, 9.8425},   {6.9291, 4.9212},   {4.3307, 9.0551},   {3.875, 7.5},
    {3.625, 6.5},       {14.875, 11},       {8.5, 12},          {9.8425, 13.8976},
    {0, 0},             {33.11, 46.81},     {23.39, 33.11},     {16.54, 23.39},
}};

}  // namespace

TkmPaperDimensions PaperSizeInches(TkmPaperSize size) {
  auto i = static_cast<std::size_t>(size);
  return i < kPaperSizes.size() ? kPaperSizes[i] : TkmPaperDimensions{0, 0};
}

// ---------------------------------------------------------------------------
// TkmPageSettings

TkmPageSettings::TkmPageSettings() {
  const TkmPaperDimensions a4 = PaperSizeInches(TkmPaperSize::A4);
  FWidth = a4.Width * 72 * CPointsToPixels;
  FHeight = a4.Height * 72 * CPointsToPixels;
}

void TkmPageSettings::SetPaperSize(TkmPaperSize value) {
  if (FShared) {
    const TkmPaperSize old = FPaperSize;
    FShared->PassOnPage([&](TkmPageSettings& page) {
      if (page.FPaperSize == old) page.SetPaperSize(value);
    });
  }
  FPaperSize = value;
  if (value == TkmPaperSize::Custom) return;
  TkmPaperDimensions d = PaperSizeInches(value);
  if (FOrientation == TPrinterOrientation::poLandscape) std::swap(d.Width, d.Height);
  FWidth = d.Width * 72 * CPointsToPixels;
  FHeight = d.Height * 72 * CPointsToPixels;
}

void TkmPageSettings::SetNativeLength(double TkmPageSettings::*field, double value) {
  const double native = value * FNativeFactor;
  if (FShared) {
    const double old = this->*field;
    FShared->PassOnPage([&](TkmPageSettings& page) {
      if (page.*field == old) page.*field = native;
    });
  }
  this->*field = native;
}

void TkmPageSettings::SetWidth(double value) {
  if (FPaperSize != TkmPaperSize::Custom) return;
  const double native = value * FNativeFactor;
  if (FShared) {
    const double old = FWidth;
    FShared->PassOnPage([&](TkmPageSettings& page) {
      if (page.FPaperSize == TkmPaperSize::Custom && page.FWidth == old) page.FWidth = native;
    });
  }
  FWidth = native;
}

void TkmPageSettings::SetHeight(double value) {
  if (FPaperSize != TkmPaperSize::Custom) return;
  const double native = value * FNativeFactor;
  if (FShared) {
    const double old = FHeight;
    FShared->PassOnPage([&](TkmPageSettings& page) {
      if (page.FPaperSize == TkmPaperSize::Custom && page.FHeight == old) page.FHeight = native;
    });
  }
  FHeight = native;
}

void TkmPageSettings::SetOrientation(TPrinterOrientation value) {
  if (value == FOrientation) return;
  if (FShared) {
    const TPrinterOrientation old = FOrientation;
    FShared->PassOnPage([&](TkmPageSettings& page) {
      if (page.FOrientation == old) page.SetOrientation(value);
    });
  }
  std::swap(FWidth, FHeight);
  FOrientation = value;
}

void TkmPageSettings::SetLeftMargin(double v) { SetNativeLength(&TkmPageSettings::FLeftMargin, v); }
void TkmPageSettings::SetRightMargin(double v) { SetNativeLength(&TkmPageSettings::FRightMargin, v); }
void TkmPageSettings::SetTopMargin(double v) { SetNativeLength(&TkmPageSettings::FTopMargin, v); }
void TkmPageSettings::SetBottomMargin(double v) { SetNativeLength(&TkmPageSettings::FBottomMargin, v); }
void TkmPageSettings::SetHeaderHeight(double v) { SetNativeLength(&TkmPageSettings::FHeaderHeight, v); }
void TkmPageSettings::SetFooterHeight(double v) { SetNativeLength(&TkmPageSettings::FFooterHeight, v); }

void TkmPageSettings::SetBinNumber(int value) {
  if (FShared) {
    const int old = FBinNumber;
    FShared->PassOnPage([&](TkmPageSettings& page) {
      if (page.FBinNumber == old) page.FBinNumber = value;
    });
  }
  FBinNumber = value;
}

void TkmPageSettings::Assign(const TkmPageSettings& s) {
  FFooterHeight = s.FFooterHeight;
  FWidth = s.FWidth;
  FBottomMargin = s.FBottomMargin;
  FTopMargin = s.FTopMargin;
  FHeight = s.FHeight;
  FRightMargin = s.FRightMargin;
  FLeftMargin = s.FLeftMargin;
  FHeaderHeight = s.FHeaderHeight;
  FPaperSize = s.FPaperSize;
  FBinNumber = s.FBinNumber;
  FOrientation = s.FOrientation;
}

// ---------------------------------------------------------------------------
// TkmPreferences

void TkmPreferences::SetSwitch(bool TkmPreferences::*field, bool value) {
  if (FShared) {
    const bool old = this->*field;
    FShared->PassOnPreferences([&](TkmPreferences& p) {
      if (p.*field == old) p.*field = value;
    });
  }
  this->*field = value;
}

void TkmPreferences::SetProcessAfterEachPage(bool v) { SetSwitch(&TkmPreferences::FProcessAfterEachPage, v); }
void TkmPreferences::SetOutputToUserStream(bool v) { SetSwitch(&TkmPreferences::FOutputToUserStream, v); }
void TkmPreferences::SetOpenAfterCreate(bool v) { SetSwitch(&TkmPreferences::FOpenAfterCreate, v); }
void TkmPreferences::SetEmailAfterCreate(bool v) { SetSwitch(&TkmPreferences::FEmailAfterCreate, v); }
void TkmPreferences::SetShowSetupDialog(bool v) { SetSwitch(&TkmPreferences::FShowSetupDialog, v); }
void TkmPreferences::SetUseImagesAsResources(bool v) { SetSwitch(&TkmPreferences::FUseImagesAsResources, v); }

void TkmPreferences::Assign(const TkmPreferences& s) {
  FProcessAfterEachPage = s.FProcessAfterEachPage;
  FOutputToUserStream = s.FOutputToUserStream;
  FOpenAfterCreate = s.FOpenAfterCreate;
  FEmailAfterCreate = s.FEmailAfterCreate;
  FShowSetupDialog = s.FShowSetupDialog;
  FCalculateVariables = s.FCalculateVariables;
  FUseImagesAsResources = s.FUseImagesAsResources;
}

// ---------------------------------------------------------------------------
// TkmDocInfo

void TkmDocInfo::SetText(std::u16string TkmDocInfo::*field, const std::u16string& value) {
  if (FShared) {
    const std::u16string old = this->*field;
    FShared->PassOnDocInfo([&](TkmDocInfo& info) {
      if (info.*field == old) info.*field = value;
    });
  }
  this->*field = value;
}

void TkmDocInfo::Assign(const TkmDocInfo& s) {
  FAuthor = s.FAuthor;
  FCreator = s.FCreator;
  FKeywords = s.FKeywords;
  FSubject = s.FSubject;
  FTitle = s.FTitle;
}

// ---------------------------------------------------------------------------
// TkmImageSettings

TkmImageSettings::TkmImageSettings(TkmCustomDocumentEngine* owner)
    : FSourceDPI(static_cast<int>(CPixelsPerInch)), FOwner(owner) {}

void TkmImageSettings::SetOutputImageFormat(TkmOutputImageFormat v) {
  if (FOwner) {
    std::u16string message;
    if (!FOwner->CheckOutputImageFormat(v, message)) throw ExInvalidImageFormat();
  }
  FOutputImageFormat = v;
}

void TkmImageSettings::Assign(const TkmImageSettings& s) {
  SetOutputImageFormat(s.FOutputImageFormat);
  FCenter = s.FCenter;
  FAutoSize = s.FAutoSize;
  FStretch = s.FStretch;
  FTransparent = s.FTransparent;
  FKeepAspectRatio = s.FKeepAspectRatio;
  FInclination = s.FInclination;
  FIsFrame = s.FIsFrame;
  FSourceDPI = s.FSourceDPI;
  FImagePixelFormat = s.FImagePixelFormat;
  FJPEGQuality = s.FJPEGQuality;
  FOpacity = s.FOpacity;
}

// ---------------------------------------------------------------------------
// TkmFrame

double TkmFrame::Factor() const { return FOwner ? FOwner->GetNativeConversionFactor() : 1.0; }

TkmRect TkmFrame::GetInternalMargin() const {
  const double f = Factor();
  return kmRect(FInternalMargin.Left / f, FInternalMargin.Top / f, FInternalMargin.Right / f,
                FInternalMargin.Bottom / f);
}

void TkmFrame::SetInternalMargin(const TkmRect& v) { FInternalMargin = kmRect(v, Factor()); }

void TkmFrame::Assign(const TkmFrame& s) {
  FIsLeft = s.FIsLeft;
  FIsRight = s.FIsRight;
  FIsTop = s.FIsTop;
  FIsBottom = s.FIsBottom;
  FInternalMargin = s.FInternalMargin;
}

// ---------------------------------------------------------------------------
// Borders, text formatting, table settings

void TkmBorder::Assign(const TkmBorder& s) {
  FDrawLeft = s.FDrawLeft;
  FDrawRight = s.FDrawRight;
  FDrawTop = s.FDrawTop;
  FDrawBottom = s.FDrawBottom;
  FWidth = s.FWidth;
  FColor = s.FColor;
  FStyle = s.FStyle;
}

void TkmParaBorder::Assign(const TkmParaBorder& s) {
  TkmBorder::Assign(s);
  FSpaceFromText = s.FSpaceFromText;
}

void TkmTextFormatting::Assign(const TkmTextFormatting& s) {
  FBeforeSpace = s.FBeforeSpace;
  FLeftIndent = s.FLeftIndent;
  FRightIndent = s.FRightIndent;
  FFirstLineIndent = s.FFirstLineIndent;
  FLineSpacing = s.FLineSpacing;
  FAlignment = s.FAlignment;
  FBorder.Assign(s.FBorder);
}

TkmRect TkmTableSettings::GetInternalMargin() const {
  const double f = FNativeFactor;
  return kmRect(FInternalMargin.Left / f, FInternalMargin.Top / f, FInternalMargin.Right / f,
                FInternalMargin.Bottom / f);
}

void TkmTableSettings::SetInternalMargin(const TkmRect& v) { FInternalMargin = kmRect(v, FNativeFactor); }

void TkmTableSettings::Assign(const TkmTableSettings& s) {
  FColumnWidth = s.FColumnWidth;
  FRowHeight = s.FRowHeight;
  FTitleHeight = s.FTitleHeight;
  FInternalMargin = s.FInternalMargin;
  FAutoAdjustColumnWidth = s.FAutoAdjustColumnWidth;
  FEnableTitle = s.FEnableTitle;
}

}  // namespace km
