#include "kmExPDFEng.h"

namespace km {

TkmExPDFEngine::TkmExPDFEngine() = default;
TkmExPDFEngine::~TkmExPDFEngine() = default;

void TkmExPDFEngine::Start() { TkmCustomPDFEngine::Start(); }

void TkmExPDFEngine::EndPage() {
  CollectPageAnnotations();
  TkmCustomPDFEngine::EndPage();
}

void TkmExPDFEngine::Finish() {
  WriteInteractiveObjects();
  TkmCustomPDFEngine::Finish();
}

std::string TkmExPDFEngine::GetCatalogDictionary() {
  return TkmCustomPDFEngine::GetCatalogDictionary() + GetInteractiveCatalogEntries();
}

std::string TkmExPDFEngine::GetPageDictionary(int AObjNo) {
  return TkmCustomPDFEngine::GetPageDictionary(AObjNo) + GetPageActionEntries();
}

std::unique_ptr<TMemoryStream> TkmExPDFEngine::GetBitmapAsCCITTStream(TBitmap& ABitmap,
                                                                      TkmOutputImageFormat AFormat) {
  return TkmCustomPDFEngine::GetBitmapAsCCITTStream(ABitmap, AFormat);
}

}  // namespace km
