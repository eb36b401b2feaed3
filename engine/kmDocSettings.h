#pragma once
// The engine's settings objects: page settings with the paper-size table,
// preferences, document information, image settings, frame, borders, text
// formatting, table settings, text effects, line-art and e-mail settings.
//
// Lengths are stored in native units (screen pixels at CPixelsPerInch). Objects
// whose lengths are converted read and write them in their owner's unit through
// a native factor; Assign copies stored (native) values.

#include <memory>
#include <string>
#include <vector>

#include "kmEngineSupport.h"
#include "kmEngineTypes.h"
#include "kmGraphicsValues.h"

namespace km {

class TkmCustomDocumentEngine;
class TkmDocSettings;

// Width and height in inches (portrait as stored in the table) of a paper size;
// {0, 0} for Custom.
struct TkmPaperDimensions {
  double Width;
  double Height;
};
TkmPaperDimensions PaperSizeInches(TkmPaperSize size);

// ---------------------------------------------------------------------------
// Page settings. Getters return native value / factor, setters store value *
// factor. Width and Height can only be set while the paper size is Custom.
class TkmPageSettings {
 public:
  TkmPageSettings();
  TkmPageSettings(const TkmPageSettings&) = delete;
  TkmPageSettings& operator=(const TkmPageSettings&) = delete;

  TkmPaperSize GetPaperSize() const { return FPaperSize; }
  // Unless Custom, takes width and height from the paper table (exchanged when
  // landscape). Propagates to linked engines first when owned by shared settings.
  void SetPaperSize(TkmPaperSize value);
  double GetWidth() const { return FWidth / FNativeFactor; }
  void SetWidth(double value);
  double GetHeight() const { return FHeight / FNativeFactor; }
  void SetHeight(double value);
  TPrinterOrientation GetOrientation() const { return FOrientation; }
  // Exchanges width and height when the orientation changes.
  void SetOrientation(TPrinterOrientation value);
  double GetLeftMargin() const { return FLeftMargin / FNativeFactor; }
  void SetLeftMargin(double value);
  double GetRightMargin() const { return FRightMargin / FNativeFactor; }
  void SetRightMargin(double value);
  double GetTopMargin() const { return FTopMargin / FNativeFactor; }
  void SetTopMargin(double value);
  double GetBottomMargin() const { return FBottomMargin / FNativeFactor; }
  void SetBottomMargin(double value);
  int GetBinNumber() const { return FBinNumber; }
  void SetBinNumber(int value);
  double GetHeaderHeight() const { return FHeaderHeight / FNativeFactor; }
  void SetHeaderHeight(double value);
  double GetFooterHeight() const { return FFooterHeight / FNativeFactor; }
  void SetFooterHeight(double value);

  // Native (stored) values, whatever the factor.
  double NativeWidth() const { return FWidth; }
  double NativeHeight() const { return FHeight; }
  double NativeLeftMargin() const { return FLeftMargin; }
  double NativeRightMargin() const { return FRightMargin; }
  double NativeTopMargin() const { return FTopMargin; }
  double NativeBottomMargin() const { return FBottomMargin; }
  double NativeHeaderHeight() const { return FHeaderHeight; }
  double NativeFooterHeight() const { return FFooterHeight; }

  double GetNativeFactor() const { return FNativeFactor; }
  void SetNativeFactor(double factor) { FNativeFactor = factor; }
  TkmDocSettings* GetSharedOwner() const { return FShared; }
  void SetSharedOwner(TkmDocSettings* owner) { FShared = owner; }

  // Copies the eight lengths as stored, paper size, bin and orientation; not the
  // factor and not the owner.
  void Assign(const TkmPageSettings& source);

 private:
  friend class TkmDocSettings;
  void SetNativeLength(double TkmPageSettings::*field, double value);

  double FFooterHeight = 0;
  double FWidth = 0;
  double FBottomMargin = 0;
  double FTopMargin = 0;
  double FHeight = 0;
  double FRightMargin = 0;
  double FLeftMargin = 0;
  double FHeaderHeight = 0;
  TkmPaperSize FPaperSize = TkmPaperSize::A4;
  TPrinterOrientation FOrientation = TPrinterOrientation::poPortrait;
  int FBinNumber = 0;
  TkmDocSettings* FShared = nullptr;
  double FNativeFactor = 1.0;
};

// ---------------------------------------------------------------------------
// Lifecycle switches. Each change is passed on to linked engines when the
// object belongs to a shared-settings component (CalculateVariables excepted).
class TkmPreferences {
 public:
  TkmPreferences() = default;
  virtual ~TkmPreferences() = default;
  TkmPreferences(const TkmPreferences&) = delete;
  TkmPreferences& operator=(const TkmPreferences&) = delete;

  bool GetProcessAfterEachPage() const { return FProcessAfterEachPage; }
  void SetProcessAfterEachPage(bool v);
  bool GetOutputToUserStream() const { return FOutputToUserStream; }
  void SetOutputToUserStream(bool v);
  bool GetOpenAfterCreate() const { return FOpenAfterCreate; }
  void SetOpenAfterCreate(bool v);
  bool GetEmailAfterCreate() const { return FEmailAfterCreate; }
  void SetEmailAfterCreate(bool v);
  bool GetShowSetupDialog() const { return FShowSetupDialog; }
  void SetShowSetupDialog(bool v);
  bool GetCalculateVariables() const { return FCalculateVariables; }
  void SetCalculateVariables(bool v) { FCalculateVariables = v; }
  bool GetUseImagesAsResources() const { return FUseImagesAsResources; }
  void SetUseImagesAsResources(bool v);

  TkmDocSettings* GetSharedOwner() const { return FShared; }
  void SetSharedOwner(TkmDocSettings* owner) { FShared = owner; }

  // Copies the seven switches; descendants add their own.
  virtual void Assign(const TkmPreferences& source);

 private:
  void SetSwitch(bool TkmPreferences::*field, bool value);

  bool FProcessAfterEachPage = false;
  bool FOutputToUserStream = false;
  bool FOpenAfterCreate = true;
  bool FEmailAfterCreate = false;
  bool FShowSetupDialog = true;
  bool FCalculateVariables = true;
  bool FUseImagesAsResources = true;
  TkmDocSettings* FShared = nullptr;
};

// Creates the preferences object of an engine layer (see GetPreferencesClassName).
struct TkmPreferencesClass {
  const char* Name;
  std::unique_ptr<TkmPreferences> (*Create)();
};

// ---------------------------------------------------------------------------
class TkmDocInfo {
 public:
  TkmDocInfo() = default;
  TkmDocInfo(const TkmDocInfo&) = delete;
  TkmDocInfo& operator=(const TkmDocInfo&) = delete;

  const std::u16string& GetAuthor() const { return FAuthor; }
  void SetAuthor(const std::u16string& v) { SetText(&TkmDocInfo::FAuthor, v); }
  const std::u16string& GetCreator() const { return FCreator; }
  void SetCreator(const std::u16string& v) { SetText(&TkmDocInfo::FCreator, v); }
  const std::u16string& GetKeywords() const { return FKeywords; }
  void SetKeywords(const std::u16string& v) { SetText(&TkmDocInfo::FKeywords, v); }
  const std::u16string& GetSubject() const { return FSubject; }
  void SetSubject(const std::u16string& v) { SetText(&TkmDocInfo::FSubject, v); }
  const std::u16string& GetTitle() const { return FTitle; }
  void SetTitle(const std::u16string& v) { SetText(&TkmDocInfo::FTitle, v); }

  TkmDocSettings* GetSharedOwner() const { return FShared; }
  void SetSharedOwner(TkmDocSettings* owner) { FShared = owner; }

  void Assign(const TkmDocInfo& source);

 private:
  void SetText(std::u16string TkmDocInfo::*field, const std::u16string& value);

  std::u16string FAuthor, FCreator, FKeywords, FSubject, FTitle;
  TkmDocSettings* FShared = nullptr;
};

// ---------------------------------------------------------------------------
class TkmImageSettings {
 public:
  // An object owned by an engine asks the engine's CheckOutputImageFormat
  // before it accepts an output format.
  explicit TkmImageSettings(TkmCustomDocumentEngine* owner = nullptr);
  TkmImageSettings(const TkmImageSettings&) = delete;
  TkmImageSettings& operator=(const TkmImageSettings&) = delete;

  bool GetCenter() const { return FCenter; }
  void SetCenter(bool v) { FCenter = v; }
  bool GetAutoSize() const { return FAutoSize; }
  void SetAutoSize(bool v) { FAutoSize = v; }
  bool GetStretch() const { return FStretch; }
  void SetStretch(bool v) { FStretch = v; }
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool v) { FTransparent = v; }
  bool GetKeepAspectRatio() const { return FKeepAspectRatio; }
  void SetKeepAspectRatio(bool v) { FKeepAspectRatio = v; }
  int GetInclination() const { return FInclination; }
  void SetInclination(int v) { FInclination = v; }
  bool GetIsFrame() const { return FIsFrame; }
  void SetIsFrame(bool v) { FIsFrame = v; }
  int GetSourceDPI() const { return FSourceDPI; }
  void SetSourceDPI(int v) { FSourceDPI = v; }
  TkmOutputImageFormat GetOutputImageFormat() const { return FOutputImageFormat; }
  // Raises ExInvalidImageFormat ("Invalid Image Format") and keeps the old value
  // when the owning engine rejects the format.
  void SetOutputImageFormat(TkmOutputImageFormat v);
  TPixelFormat GetImagePixelFormat() const { return FImagePixelFormat; }
  void SetImagePixelFormat(TPixelFormat v) { FImagePixelFormat = v; }
  int GetJPEGQuality() const { return FJPEGQuality; }
  void SetJPEGQuality(int v) { FJPEGQuality = v; }
  int GetOpacity() const { return FOpacity; }
  void SetOpacity(int v) { FOpacity = v; }

  TkmCustomDocumentEngine* GetOwner() const { return FOwner; }

  // Copies all twelve values; the format goes through the owner's check.
  void Assign(const TkmImageSettings& source);

 private:
  bool FCenter = false;
  bool FAutoSize = false;
  bool FStretch = false;
  bool FTransparent = false;
  bool FKeepAspectRatio = false;
  int FInclination = 0;
  bool FIsFrame = false;
  int FSourceDPI;
  TkmOutputImageFormat FOutputImageFormat = TkmOutputImageFormat::ifJPEG;
  TPixelFormat FImagePixelFormat = TPixelFormat::pf24bit;
  int FJPEGQuality = 100;
  int FOpacity = 100;
  TkmCustomDocumentEngine* FOwner;
};

// ---------------------------------------------------------------------------
// Sides of a box and its inner padding. Owned by an engine, the padding is
// read and written in the engine's measurement unit; otherwise natively.
class TkmFrame {
 public:
  explicit TkmFrame(TkmCustomDocumentEngine* owner = nullptr) : FOwner(owner) {}
  TkmFrame(const TkmFrame&) = delete;
  TkmFrame& operator=(const TkmFrame&) = delete;

  bool GetIsLeft() const { return FIsLeft; }
  void SetIsLeft(bool v) { FIsLeft = v; }
  bool GetIsRight() const { return FIsRight; }
  void SetIsRight(bool v) { FIsRight = v; }
  bool GetIsTop() const { return FIsTop; }
  void SetIsTop(bool v) { FIsTop = v; }
  bool GetIsBottom() const { return FIsBottom; }
  void SetIsBottom(bool v) { FIsBottom = v; }
  TkmRect GetInternalMargin() const;
  void SetInternalMargin(const TkmRect& v);
  // The stored (native) padding.
  const TkmRect& NativeInternalMargin() const { return FInternalMargin; }

  // Copies the four flags and the margin as stored.
  void Assign(const TkmFrame& source);

 private:
  double Factor() const;

  bool FIsLeft = true;
  bool FIsRight = true;
  bool FIsTop = true;
  bool FIsBottom = true;
  TkmRect FInternalMargin{};
  TkmCustomDocumentEngine* FOwner;
};

// ---------------------------------------------------------------------------
class TkmBorder {
 public:
  TkmBorder() = default;
  virtual ~TkmBorder() = default;
  TkmBorder(const TkmBorder&) = delete;
  TkmBorder& operator=(const TkmBorder&) = delete;

  bool GetDrawLeft() const { return FDrawLeft; }
  void SetDrawLeft(bool v) { FDrawLeft = v; }
  bool GetDrawRight() const { return FDrawRight; }
  void SetDrawRight(bool v) { FDrawRight = v; }
  bool GetDrawTop() const { return FDrawTop; }
  void SetDrawTop(bool v) { FDrawTop = v; }
  bool GetDrawBottom() const { return FDrawBottom; }
  void SetDrawBottom(bool v) { FDrawBottom = v; }
  int GetWidth() const { return FWidth; }
  void SetWidth(int v) { FWidth = v; }
  TColor GetColor() const { return FColor; }
  void SetColor(TColor v) { FColor = v; }
  TPenStyle GetStyle() const { return FStyle; }
  void SetStyle(TPenStyle v) { FStyle = v; }

  void Assign(const TkmBorder& source);

 private:
  bool FDrawLeft = false;
  bool FDrawRight = false;
  bool FDrawTop = false;
  bool FDrawBottom = false;
  int FWidth = 1;
  TColor FColor = 0;
  TPenStyle FStyle = TPenStyle::psSolid;
};

class TkmParaBorder : public TkmBorder {
 public:
  int GetSpaceFromText() const { return FSpaceFromText; }
  void SetSpaceFromText(int v) { FSpaceFromText = v; }
  void Assign(const TkmParaBorder& source);

 private:
  int FSpaceFromText = 0;
};

// ---------------------------------------------------------------------------
// Paragraph settings; the four lengths are converted by the native factor.
class TkmTextFormatting {
 public:
  TkmTextFormatting() = default;
  TkmTextFormatting(const TkmTextFormatting&) = delete;
  TkmTextFormatting& operator=(const TkmTextFormatting&) = delete;

  double GetBeforeSpace() const { return FBeforeSpace / FNativeFactor; }
  void SetBeforeSpace(double v) { FBeforeSpace = v * FNativeFactor; }
  double GetLeftIndent() const { return FLeftIndent / FNativeFactor; }
  void SetLeftIndent(double v) { FLeftIndent = v * FNativeFactor; }
  double GetRightIndent() const { return FRightIndent / FNativeFactor; }
  void SetRightIndent(double v) { FRightIndent = v * FNativeFactor; }
  double GetFirstLineIndent() const { return FFirstLineIndent / FNativeFactor; }
  void SetFirstLineIndent(double v) { FFirstLineIndent = v * FNativeFactor; }
  double GetLineSpacing() const { return FLineSpacing; }
  void SetLineSpacing(double v) { FLineSpacing = v; }
  TkmHAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TkmHAlignment v) { FAlignment = v; }
  TkmParaBorder& GetBorder() { return FBorder; }
  const TkmParaBorder& GetBorder() const { return FBorder; }
  void SetBorder(const TkmParaBorder& v) { FBorder.Assign(v); }

  double NativeBeforeSpace() const { return FBeforeSpace; }
  double NativeLeftIndent() const { return FLeftIndent; }
  double NativeRightIndent() const { return FRightIndent; }
  double NativeFirstLineIndent() const { return FFirstLineIndent; }
  double GetNativeFactor() const { return FNativeFactor; }
  void SetNativeFactor(double f) { FNativeFactor = f; }

  // Copies the five doubles as stored, the alignment and the border.
  void Assign(const TkmTextFormatting& source);

 private:
  friend class TkmCustomDocumentEngine;
  double FBeforeSpace = 0;
  double FLeftIndent = 0;
  double FRightIndent = 0;
  double FFirstLineIndent = 0;
  double FLineSpacing = 1.0;
  TkmHAlignment FAlignment = TkmHAlignment::haLeft;
  TkmParaBorder FBorder;
  double FNativeFactor = 1.0;
};

// ---------------------------------------------------------------------------
class TkmTableSettings {
 public:
  TkmTableSettings() = default;
  TkmTableSettings(const TkmTableSettings&) = delete;
  TkmTableSettings& operator=(const TkmTableSettings&) = delete;

  double GetColumnWidth() const { return FColumnWidth / FNativeFactor; }
  void SetColumnWidth(double v) { FColumnWidth = v * FNativeFactor; }
  double GetRowHeight() const { return FRowHeight / FNativeFactor; }
  void SetRowHeight(double v) { FRowHeight = v * FNativeFactor; }
  double GetTitleHeight() const { return FTitleHeight / FNativeFactor; }
  void SetTitleHeight(double v) { FTitleHeight = v * FNativeFactor; }
  TkmRect GetInternalMargin() const;
  void SetInternalMargin(const TkmRect& v);
  bool GetAutoAdjustColumnWidth() const { return FAutoAdjustColumnWidth; }
  void SetAutoAdjustColumnWidth(bool v) { FAutoAdjustColumnWidth = v; }
  bool GetEnableTitle() const { return FEnableTitle; }
  void SetEnableTitle(bool v) { FEnableTitle = v; }

  double NativeColumnWidth() const { return FColumnWidth; }
  double NativeRowHeight() const { return FRowHeight; }
  double NativeTitleHeight() const { return FTitleHeight; }
  const TkmRect& NativeInternalMargin() const { return FInternalMargin; }
  double GetNativeFactor() const { return FNativeFactor; }
  void SetNativeFactor(double f) { FNativeFactor = f; }

  // Copies everything but the factor, as stored.
  void Assign(const TkmTableSettings& source);

 private:
  friend class TkmCustomDocumentEngine;
  double FColumnWidth = 0;
  double FRowHeight = 0;
  double FTitleHeight = 0;
  TkmRect FInternalMargin{};
  bool FAutoAdjustColumnWidth = false;
  bool FEnableTitle = false;
  double FNativeFactor = 1.0;
};

// ---------------------------------------------------------------------------
class TkmTextEffects {
 public:
  TkmTextRenderMode GetTextRenderMode() const { return FTextRenderMode; }
  void SetTextRenderMode(TkmTextRenderMode v) { FTextRenderMode = v; }
  TkmTextRise GetTextRise() const { return FTextRise; }
  void SetTextRise(TkmTextRise v) { FTextRise = v; }
  TkmRenderingOpacity GetOpacity() const { return FOpacity; }
  void SetOpacity(TkmRenderingOpacity v) { FOpacity = v; }
  void Assign(const TkmTextEffects& source) { *this = source; }

 private:
  TkmTextRenderMode FTextRenderMode = TkmTextRenderMode::trmFill;
  TkmTextRise FTextRise = TkmTextRise::trNormal;
  TkmRenderingOpacity FOpacity = 100;
};

class TkmLineArtSettings {
 public:
  TkmRenderingOpacity GetOpacity() const { return FOpacity; }
  void SetOpacity(TkmRenderingOpacity v) { FOpacity = v; }
  void Assign(const TkmLineArtSettings& source) { FOpacity = source.FOpacity; }

 private:
  TkmRenderingOpacity FOpacity = 100;
};

// ---------------------------------------------------------------------------
// E-mail parameters. The engine only fills Attachments; nothing sends mail.
class TkmEmailSettings {
 public:
  std::string Host, UserID, Password, FromAddress, FromName, ReplyTo, Subject, ReceiptRecipient;
  std::vector<std::string> Attachments, Body, RecipientList, CCList, BCCList;
  double Date = 0;
  bool AuthenticationRequired = false;
  int Port = 25;

  void Assign(const TkmEmailSettings& source) { *this = source; }
  std::unique_ptr<TkmEmailSettings> Clone() const { return std::make_unique<TkmEmailSettings>(*this); }
};

}  // namespace km
