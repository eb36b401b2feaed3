#include "kmFRXportIntf.h"

#include <algorithm>
#include <cmath>

#include "kmBitmap.h"
#include "kmCodePage.h"
#include "kmPDFEng.h"
#include "kmScreen.h"

namespace km {
namespace {

int Round(double v) { return static_cast<int>(std::nearbyint(v)); }

}  // namespace

std::string EngineClassKey(const TkmCustomDocumentEngine* engine) {
  if (dynamic_cast<const TkmPDFEngine*>(engine)) return "TkmPDFEngine";
  return {};
}

// ---- TkmFRXport_Base ----------------------------------------------------------

TkmFRXport_Base::TkmFRXport_Base(TkmBaseComponent* owner) : FParent(owner) {
  FPreferenceObjList.push_back(std::make_unique<TkmFRExportPreferences>());
  FPreferences = FPreferenceObjList.back().get();
}

TkmFRXport_Base::~TkmFRXport_Base() = default;

void TkmFRXport_Base::SetEngine(TkmCustomDocumentEngine* engine) {
  if (engine != FEngine) {
    if (FEngine) RemoveFreeNotification(FEngine);
    FEngine = engine;
    if (FEngine) FreeNotification(FEngine);
  }
  if (!FEngine) return;
  std::string key = EngineClassKey(FEngine);
  if (key.empty()) return;
  frxResources().Add(key, AnsiToWide(FEngine->GetFileDescription()) + u" (*." +
                              AnsiToWide(FEngine->GetFileExtension()) + u")");
}

void TkmFRXport_Base::SetPreferences(TkmFRExportPreferences* v) {
  FPreferences = v ? v : FPreferenceObjList.front().get();
}

void TkmFRXport_Base::Notification(TkmBaseComponent* component) {
  if (FEngine && component == static_cast<TkmBaseComponent*>(FEngine)) FEngine = nullptr;
}

void TkmFRXport_Base::SetZoom() { FFRZoom = dynamic_cast<TkmPDFEngine*>(FEngine) ? 4.0 : 1.0; }

TkmFRExportInterface* TkmFRXport_Base::ParentInterface() const {
  return dynamic_cast<TkmFRExportInterface*>(FParent);
}

bool TkmFRXport_Base::Start() {
  const bool result = TfrxCustomExportFilter::Start();
  if (!FEngine) throw EkmError("No document engine is linked to the export filter");
  FEngine->SetMeasurementUnit(TkmUnitType::muPixels);
  FEngine->SetReferencePoint(TkmReferencePoint::rpPage);
  FEngine->GetPage().SetPaperSize(TkmPaperSize::Custom);
  FShowSaveDialog = false;
  FInputResolutions = {96, 96};
  // The document begins at the first exported page and ends after the last
  // one, also when only some pages are exported.
  FFirstPage = FLastPage = -1;
  if (TfrxReport* report = GetReport()) {
    std::vector<int> pages = SelectPages(GetPageNumbers(), report->GetPreviewPages().Count());
    if (!pages.empty()) {
      FFirstPage = pages.front();
      FLastPage = pages.back();
    }
  }
  return result;
}

void TkmFRXport_Base::StartPage(TfrxReportPage& page, int index) {
  SetZoom();
  if (!FEngine) throw EkmError("No document engine is linked to the export filter");
  FEngine->SetInputXRes(Round(FInputResolutions.X * FFRZoom));
  FEngine->SetInputYRes(Round(FInputResolutions.Y * FFRZoom));
  // In pixels the engine keeps page sizes in screen pixels: the engine's
  // page is the report page in inches.
  const double screen = Screen::PixelsPerInchY();
  FEngine->GetPage().SetHeight(screen * page.GetHeight() / frxUnitsPerInch);
  FEngine->GetPage().SetWidth(screen * page.GetWidth() / frxUnitsPerInch);
  const bool first = FFirstPage >= 0 ? index == FFirstPage : index == 0;
  if (first) {
    if (TkmFRExportInterface* parent = ParentInterface()) {
      parent->StartDocument();
    } else {
      FEngine->BeginDoc();
    }
  } else {
    FEngine->NewPage();
  }
  DrawBackPicture(page);
  FMetaCanvas.reset();
  FMeta = std::make_unique<TMetafile>();
  FMeta->SetHeight(Round(page.GetHeight() * FFRZoom));
  FMeta->SetWidth(Round(page.GetWidth() * FFRZoom));
  FMetaCanvas = std::make_unique<TMetafileCanvas>(*FMeta);
}

void TkmFRXport_Base::DrawBackPicture(const TfrxReportPage& page) {
  const TGraphic* graphic = page.GetBackPicture().GetGraphic();
  if (!graphic || graphic->Empty()) return;
  FEngine->GetImageSettings().SetStretch(true);
  // The area inside the margins, in pixels at the engine's input resolution.
  const double z = FFRZoom;
  const TkmRect area{page.GetLeftMargin() * frxUnitsPerMM * z, page.GetTopMargin() * frxUnitsPerMM * z,
                     (page.GetWidth() - page.GetRightMargin() * frxUnitsPerMM) * z,
                     (page.GetHeight() - page.GetBottomMargin() * frxUnitsPerMM) * z};
  FEngine->DrawImage(area, *graphic);
}

void TkmFRXport_Base::ExportObject(TfrxComponent& obj) {
  if (!FEngine || FEngine->GetEngineStatus() != TkmEngineStatus::esStarted || !FMetaCanvas) return;
  SetZoom();
  auto* view = dynamic_cast<TfrxView*>(&obj);
  if (!view) return;  // bands and other non-views leave no trace
  const bool background = obj.GetName() == frxPageBackgroundName;
  auto* rich = dynamic_cast<TfrxRichView*>(&obj);
  auto* picture = dynamic_cast<TfrxPictureView*>(&obj);
  if (rich && FRichTextAsImage) {
    ExportRichAsImage(*rich);
  } else if (picture && FPreferences->GetScaleDownLargeImages() && !background) {
    ExportScaledPicture(*picture);
  } else if (!background) {
    view->Draw(*FMetaCanvas, FFRZoom, FFRZoom, 0, 0);
  }
  if (background) view->Draw(*FMetaCanvas, FFRZoom, FFRZoom, 0, 0);
}

void TkmFRXport_Base::ExportRichAsImage(const TfrxRichView& view) {
  const double l = view.GetAbsLeft(), t = view.GetAbsTop(), w = view.GetWidth(), h = view.GetHeight();
  const int w2 = Round(w), h2 = Round(h);
  if (w2 <= 0 || h2 <= 0) return;
  // The view painted at report scale at its place on a page-sized bitmap,
  // then its own area copied out. Both bitmaps are released on every path.
  TBitmap page_bitmap(std::max(0, Round(l + w)), std::max(0, Round(t + h)));
  page_bitmap.Fill(clWhite);
  view.Draw(page_bitmap.Canvas(), 1, 1, 0, 0);
  TBitmap area(w2, h2);
  area.Fill(clWhite);
  const TRect src{Round(l), Round(t), Round(l) + w2, Round(t) + h2};
  area.Canvas().StretchBitmap({0, 0, w2, h2}, page_bitmap, src, SRCCOPY);
  const double z = FFRZoom;
  FMetaCanvas->StretchDraw({Round(l * z), Round(t * z), Round((l + w) * z), Round((t + h) * z)}, area);
}

void TkmFRXport_Base::ExportScaledPicture(TfrxPictureView& view) {
  std::shared_ptr<const TGraphic> graphic = view.GetPicture().GetGraphicPtr();
  const int W = graphic ? graphic->GetWidth() : 0, H = graphic ? graphic->GetHeight() : 0;
  double s = 1.0;
  if (W != 0 && H != 0) {
    const double dpi = static_cast<double>(FPreferences->GetScaleDownToDPI()) / Screen::PixelsPerInchY();
    const double sx = view.GetWidth() / W * dpi, sy = view.GetHeight() / H * dpi;
    s = sx > sy ? sx : sy;
  }
  if (s > 1.0) s = 1.0;  // pictures are only ever reduced
  auto bitmap = std::make_shared<TBitmap>(std::max(0, Round(W * s)), std::max(0, Round(H * s)));
  if (!bitmap->Empty()) {
    bitmap->Fill(clWhite);
    bitmap->Canvas().StretchDraw({0, 0, bitmap->GetWidth(), bitmap->GetHeight()}, *graphic);
  }
  // The prepared page's view keeps the resampled picture.
  view.GetPicture().SetGraphic(bitmap);
  view.Draw(*FMetaCanvas, FFRZoom, FFRZoom, 0, 0);
}

void TkmFRXport_Base::FinishPage(TfrxReportPage& page, int index) {
  TfrxCustomExportFilter::FinishPage(page, index);
  SetZoom();
  FMetaCanvas.reset();  // closes the recording
  std::unique_ptr<TMetafile> meta = std::move(FMeta);
  if (meta && FEngine) FEngine->PlayMetafile(*meta);
  meta.reset();
  TfrxReport* report = GetReport();
  const bool last = FLastPage >= 0 ? index == FLastPage
                                   : report && index == report->GetPreviewPages().Count() - 1;
  if (!last) return;
  if (TkmFRExportInterface* parent = ParentInterface()) {
    parent->EndDocument();
  } else if (FEngine) {
    FEngine->EndDoc();
  }
}

// ---- TkmFRExportInterface -------------------------------------------------------

TkmFRExportInterface::TkmFRExportInterface() {
  SetShowSaveDialog(false);
  SetRichTextAsImage(false);
  FPreferenceObjectList.push_back(std::make_unique<TkmFRExportPreferences>());
  FPreferences = FPreferenceObjectList.back().get();
}

TkmFRExportInterface::~TkmFRExportInterface() { FFRXport.reset(); }

void TkmFRExportInterface::SetEngine(TkmCustomDocumentEngine* engine) {
  if (FEngine) FRUnregister();
  TkmExportInterface::SetEngine(engine);
  if (FEngine && FVisible) FRRegister();
}

void TkmFRExportInterface::SetVisible(bool value) {
  if (value == FVisible) return;
  FVisible = value;
  if (!FEngine) return;
  if (value) {
    FRRegister();
  } else {
    FRUnregister();
  }
}

void TkmFRExportInterface::SetShowSaveDialog(bool v) {
  FShowSaveDialog = v;
  if (FFRXport) FFRXport->SetShowSaveDialog(v);
}

void TkmFRExportInterface::SetRichTextAsImage(bool v) {
  FRichTextAsImage = v;
  if (FFRXport) FFRXport->SetRichTextAsImage(v);
}

void TkmFRExportInterface::SetPreferences(TkmFRExportPreferences* v) {
  FPreferences = v;
  if (FFRXport) FFRXport->SetPreferences(v);
}

void TkmFRExportInterface::FRRegister() {
  FRUnregister();
  // The engine-to-filter table: only the PDF engine exists here.
  if (!dynamic_cast<TkmPDFEngine*>(FEngine)) return;
  FFRXport = std::make_unique<TkmFRPDFXport>(this);
  FFRXport->SetEngine(FEngine);
  FFRXport->SetShowSaveDialog(FShowSaveDialog);
  FFRXport->SetPreferences(GetPreferences());
  // The interface's choice reaches every filter it creates.
  FFRXport->SetRichTextAsImage(FRichTextAsImage);
}

void TkmFRExportInterface::FRUnregister() { FFRXport.reset(); }

void TkmFRExportInterface::RenderDocument(TfrxReport& report, bool prepared, bool showPreparedReport) {
  SetVisible(true);
  if (!FFRXport) throw EkmError("No export filter: link a PDF engine to the export interface first");
  FFRXport->SetEngine(FEngine);
  FFRXport->SetReport(&report);
  FFRXport->SetPreferences(FPreferences);
  FFRXport->SetShowDialog(FFRXport->GetShowSaveDialog());
  if (!prepared) report.PrepareReport(true);
  if (showPreparedReport) {
    report.ShowPreparedReport();
    if (report.GetPreview()) report.Export(*FFRXport);
  } else {
    report.Export(*FFRXport);
  }
}

}  // namespace km
