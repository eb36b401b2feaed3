// TkmCustomPDFEngine: construction, properties, numbers, compression and the
// string and stream hooks.

#include "kmCstPDFEng.h"

#include "kmCodePage.h"
#include "kmGlyphInfo.h"
#include "kmPDFFont3.h"
#include "kmScreen.h"
#include "kmUtils3.h"

namespace km {

std::string ImageResourceName(int list, int entry) {
  return "/Img" + std::to_string(list) + "_" + std::to_string(entry);
}

void TkmPDFPreferences::Assign(const TkmPreferences& source) {
  TkmPlainSheetPreferences::Assign(source);
  if (const auto* pdf = dynamic_cast<const TkmPDFPreferences*>(&source)) {
    FEmbedTrueTypeFonts = pdf->FEmbedTrueTypeFonts;
    FApplyEmfCharSpacing = pdf->FApplyEmfCharSpacing;
  }
}

TkmCustomPDFEngine::TkmCustomPDFEngine()
    : FCompression(std::make_unique<TkmCompression>()),
      FViewerPreferences(std::make_unique<TkmViewerPreferences>()),
      FEncryption(std::make_unique<TkmPDFEncryptionSettings>()) {
  CreatePreferencesObject();
  SetFileExtension("pdf");
  SetFileDescription("Adobe PDF Files");
  using C = TkmCapabilityKind;
  SetCapabilities({C::ckText, C::ckImage, C::ckShape, C::ckImageStretch, C::ckImageFrame,
                   C::ckInputRes, C::ckImageReusable});
  RefreshScreenValues();
  FPixelToPointMultiplier = 72.0 / CPixelsPerInch;
}

// A document that was never finished still holds its output: the owned file
// stream closes with the engine, the caller's stream is left alone.
TkmCustomPDFEngine::~TkmCustomPDFEngine() = default;

TkmPreferencesClass TkmCustomPDFEngine::GetPreferencesClassName() const {
  return {"TkmPDFPreferences", [] { return std::unique_ptr<TkmPreferences>(std::make_unique<TkmPDFPreferences>()); }};
}

TkmPDFPreferences& TkmCustomPDFEngine::GetPreferences() {
  return static_cast<TkmPDFPreferences&>(TkmCustomDocumentEngine::GetPreferences());
}

bool TkmCustomPDFEngine::CheckOutputImageFormat(TkmOutputImageFormat Value, std::u16string& S) {
  using F = TkmOutputImageFormat;
  switch (Value) {
    case F::ifBMP:
    case F::ifJPEG:
    case F::ifPNG:
    case F::ifCCITT3:
    case F::ifCCITT4:
      return true;
    default:
      S = u"The PDF Engine does not support image format";
      return false;
  }
}

void TkmCustomPDFEngine::SetCompression(std::unique_ptr<TkmCompression> Value) {
  if (Value) FCompression = std::move(Value);
}

void TkmCustomPDFEngine::SetViewerPreferences(std::unique_ptr<TkmViewerPreferences> Value) {
  if (Value) FViewerPreferences = std::move(Value);
}

void TkmCustomPDFEngine::SetEncryption(std::unique_ptr<TkmPDFEncryptionSettings> Value) {
  if (Value) FEncryption = std::move(Value);
}

void TkmCustomPDFEngine::SetPDFVersion(TkmPDFVersion Value) {
  FVersion = Value;
  if (IsPDFA(Value)) GetPreferences().SetEmbedTrueTypeFonts(TkmTTFontEmbedding::etfSubset);
}

void TkmCustomPDFEngine::WritePDFStream(TMemoryStream&, std::int64_t, int, int) {}

std::string TkmCustomPDFEngine::WritePDFString(const std::string& InputString, int, int) {
  return InputString;
}

std::string TkmCustomPDFEngine::EncryptedInfoToUnicodeHex(const std::u16string& AText, int AObjNo,
                                                          int AGenNo) {
  if (FEncryption->GetEnabled())
    return GetHexOfStr(WritePDFString(WideToAnsi(AText), AObjNo, AGenNo));
  return UnicodeHexText(AText);
}

void TkmCustomPDFEngine::WriteEncryptionDictionary() {}

std::unique_ptr<TMemoryStream> TkmCustomPDFEngine::GetBitmapAsCCITTStream(TBitmap&, TkmOutputImageFormat) {
  return nullptr;
}

void TkmCustomPDFEngine::AppendContent(std::string_view text) {
  FContentStream->Seek(0, TSeekOrigin::soEnd);
  FContentStream->WriteString(text);
}

void TkmCustomPDFEngine::BeginDoc() {
  TkmCustomPlainSheetEngine::BeginDoc();
  ResetAttachments();
}

void TkmCustomPDFEngine::ReleaseDocument() {
  FWriter.End();
  FPageList.clear();
  FImageObjects.clear();
  FPattern.clear();
  FPDGStateList.clear();
  FAnnots.clear();
  FFontTable.clear();
  FOutputStream = nullptr;
  FOwnedOutput.reset();  // closes the file
}

}  // namespace km
