// Pictures: the image resource list, image recording and the background picture.
//
// Not built yet: image recording and the resource list (the image operations
// record nothing and AddImageAsResource returns -1).

#include "kmCstDocEng.h"

namespace km {

void TkmCustomDocumentEngine::DrawJPEGDirect(const TkmRect&, int, int, TStream&) {}
void TkmCustomDocumentEngine::DrawJPEGDirect(const TkmRect&, const TGraphic&) {}
void TkmCustomDocumentEngine::DrawImage(double, double, const TGraphic&) {}
void TkmCustomDocumentEngine::DrawImage(const TkmRect&, const TGraphic&) {}
void TkmCustomDocumentEngine::DrawImage(const TkmRect&, int) {}
void TkmCustomDocumentEngine::DrawImage(int, double, double, const TGraphic&) {}
int TkmCustomDocumentEngine::AddImageAsResource(const TGraphic& AGraphic) {
  return AddImageAsResource(AGraphic, true);
}
int TkmCustomDocumentEngine::AddImageAsResource(const TGraphic&, bool) { return -1; }
void TkmCustomDocumentEngine::EncodeImage(TkmImageItem&) {}
void TkmCustomDocumentEngine::EncodeImageStream(TkmImageStream&) {}
void TkmCustomDocumentEngine::InitializeImageResources() {}
void TkmCustomDocumentEngine::ReleaseImageResources() {}

void TkmCustomDocumentEngine::SetBackgroundImage(const TGraphic* Value) {
  FBackgroundImage = Value ? Value->Clone() : nullptr;
}

}  // namespace km
