// The page canvas and the hand-off of metafiles to the interpreter.

#include <algorithm>
#include <cmath>

#include "kmCstDocEng.h"
#include "kmMath.h"
#include "kmMetafileProcessor.h"
#include "kmScreen.h"

namespace km {

namespace {

// A rounded device coordinate that fits a canvas call.
int DeviceCoordinate(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<int>(Round(std::clamp(v, -1.0e8, 1.0e8)));
}

// Plays `source` scaled into `dest` on a new metafile of the given size.
std::unique_ptr<TMetafile> Rerecord(const TMetafile& source, int width, int height, const TRect& dest) {
  auto copy = std::make_unique<TMetafile>();
  copy->SetWidth(width);
  copy->SetHeight(height);
  {
    TMetafileCanvas canvas(*copy);
    canvas.StretchDraw(dest, source);
  }
  return copy;
}

}  // namespace

void TkmCustomDocumentEngine::PlayMetafile(TMetafile& Metafile) {
  if (!FIsDocumentStarted) return;
  ProcessMetafile(0, 0, Metafile);
}

void TkmCustomDocumentEngine::PlayMetafile(double X, double Y, TMetafile& Metafile) {
  if (!FIsDocumentStarted) return;
  ProcessMetafile(NativeXPos(X), NativeYPos(Y), Metafile);
}

void TkmCustomDocumentEngine::PlayMetafile(const TkmRect& DestRect, TMetafile& Metafile) {
  if (!FIsDocumentStarted) return;
  // The rectangle in device pixels of the input resolution, which is what the
  // interpreter takes the new metafile's records to be.
  const double fx = CPixelsPerInch > 0 ? FInputXRes / CPixelsPerInch : 1.0;
  const double fy = CPixelsPerInch > 0 ? FInputYRes / CPixelsPerInch : 1.0;
  const TRect dest{DeviceCoordinate(NativeXPos(DestRect.Left) * fx), DeviceCoordinate(NativeYPos(DestRect.Top) * fy),
                   DeviceCoordinate(NativeXPos(DestRect.Right) * fx),
                   DeviceCoordinate(NativeYPos(DestRect.Bottom) * fy)};
  auto scaled = Rerecord(Metafile, dest.Right - dest.Left, dest.Bottom - dest.Top, dest);
  ProcessMetafile(0, 0, *scaled);
}

void TkmCustomDocumentEngine::ProcessMetafile(double AX, double AY, TMetafile& AMetafile) {
  TkmItemList* list = FCurrentDocumentItemList;
  const std::size_t before = list ? list->size() : 0;
  const double x = AX + FBandRect.Left, y = AY + FBandRect.Top;
  {
    TkmMetafileProcessor processor(*this);
    processor.SetCombineCharsToSentence(true);
    const bool inputRes = FCapabilities.Contains(TkmCapabilityKind::ckInputRes) ||
                          (FInputXRes == CPixelsPerInch && FInputYRes == CPixelsPerInch);
    if (inputRes) {
      processor.Execute(AMetafile, x, y);
    } else {
      // An engine that does not take the input resolution gets the metafile
      // stretched over the page in native units.
      const TkmPageItem* current = CurrentPageItem();
      const TkmPageSettings& ps = current ? current->GetSettings() : *FPage;
      const TRect dest{0, 0, DeviceCoordinate(ps.NativeWidth()), DeviceCoordinate(ps.NativeHeight())};
      auto page = Rerecord(AMetafile, dest.Right, dest.Bottom, dest);
      processor.SetDeviceScale(1.0, 1.0);  // the copy is in native units already
      processor.Execute(*page, x, y);
    }
  }
  if (!FMetafileAsImage) return;
  // The metafile is placed as one picture instead of its items. Only what
  // this metafile added is dropped; earlier drawing on the page stays.
  if (list && list->size() > before) list->erase(list->begin() + static_cast<std::ptrdiff_t>(before), list->end());
  const double unitX = NativeXPos(1.0), unitY = NativeYPos(1.0);
  DrawImage(unitX != 0 ? AX / unitX : 0.0, unitY != 0 ? AY / unitY : 0.0, AMetafile);
  FMetafileAsImage = false;
}

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
