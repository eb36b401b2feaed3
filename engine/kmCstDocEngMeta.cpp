// The page canvas and the hand-off of metafiles to the interpreter.
//
// Not built yet: ProcessMetafile (the metafile interpreter) and PlayMetafile;
// what is drawn on a page canvas is therefore not turned into items.

#include "kmCstDocEng.h"

namespace km {

void TkmCustomDocumentEngine::PlayMetafile(TMetafile&) {}
void TkmCustomDocumentEngine::PlayMetafile(const TkmRect&, TMetafile&) {}
void TkmCustomDocumentEngine::PlayMetafile(double, double, TMetafile&) {}
void TkmCustomDocumentEngine::ProcessMetafile(double, double, TMetafile&) {}

void TkmCustomDocumentEngine::OpenCanvas(int Width, int Height) {
  FCanvas.reset();
  if (!FMetafile) return;
  FMetafile->SetWidth(Width);
  FMetafile->SetHeight(Height);
  FCanvas = std::make_unique<TMetafileCanvas>(*FMetafile);
}

bool TkmCustomDocumentEngine::CloseCanvas() {
  if (!FCanvas) return false;
  FCanvas.reset();
  return true;
}

void TkmCustomDocumentEngine::FlushCanvas() {
  if (CloseCanvas() && FMetafile) ProcessMetafile(0, 0, *FMetafile);
}

}  // namespace km
