#pragma once
// The report component's flavour of the export interface and its export
// filter. The filter turns the export-filter protocol into engine calls:
// every view of a prepared page paints itself on a page metafile at a zoom
// (4 for the PDF engine, whose input resolution becomes 384 dots per inch;
// else 1), and at the page's end the metafile goes to the engine's
// PlayMetafile. The page's background picture is drawn by the engine
// directly, rich text can be rasterised first (RichTextAsImage), and large
// pictures can be resampled first (preferences).

#include <memory>
#include <string>
#include <vector>

#include "kmBaseComponent.h"
#include "kmCstDocEng.h"
#include "kmMetafileCanvas.h"
#include "kmReport.h"
#include "kmReportExport.h"
#include "kmXportIntf.h"

namespace km {

class TkmFRExportInterface;

// Options the interface shares with its filter (by reference, never copied).
class TkmFRExportPreferences {
 public:
  bool GetScaleDownLargeImages() const { return FScaleDownLargeImages; }
  void SetScaleDownLargeImages(bool v) { FScaleDownLargeImages = v; }
  int GetScaleDownToDPI() const { return FScaleDownToDPI; }
  void SetScaleDownToDPI(int v) { FScaleDownToDPI = v; }

 private:
  bool FScaleDownLargeImages = false;
  int FScaleDownToDPI = 96;
};

// Report units per inch: the filter's input resolution.
struct TkmInputResolutions {
  std::int32_t X = 96;
  std::int32_t Y = 96;
};

class TkmFRXport_Base : public TfrxCustomExportFilter, public TkmBaseComponent {
 public:
  // Joins the report component's list of filters. When owner is a
  // TkmFRExportInterface, document start and end are delegated to it.
  explicit TkmFRXport_Base(TkmBaseComponent* owner = nullptr);
  ~TkmFRXport_Base() override;

  TkmCustomDocumentEngine* GetEngine() const { return FEngine; }
  // Links the engine (cleared when the engine is destroyed) and registers
  // its file type with the resource table: key the engine's class name, text
  // FileDescription + " (*." + FileExtension + ")".
  void SetEngine(TkmCustomDocumentEngine* engine);
  bool GetShowSaveDialog() const { return FShowSaveDialog; }
  void SetShowSaveDialog(bool v) { FShowSaveDialog = v; }
  bool GetRichTextAsImage() const { return FRichTextAsImage; }
  void SetRichTextAsImage(bool v) { FRichTextAsImage = v; }
  TkmFRExportPreferences* GetPreferences() const { return FPreferences; }
  // Stores the reference (null puts the filter's own object back).
  void SetPreferences(TkmFRExportPreferences* v);
  // 4.0 for a PDF engine, else 1.0; valid from the first protocol call.
  double GetZoom() const { return FFRZoom; }
  const TkmInputResolutions& GetInputResolutions() const { return FInputResolutions; }
  // True between StartPage and FinishPage (a page metafile is open).
  bool HasOpenPage() const { return FMeta != nullptr; }

  // The protocol. Start switches the engine to pixels, page-relative
  // positions and a custom paper size; StartPage sets the input resolution
  // and page size, begins the document at the first exported page (else opens
  // a new page), draws the background picture and opens the page metafile;
  // ExportObject paints the object on it; FinishPage hands the metafile to
  // the engine and, after the last exported page, ends the document. Throws
  // EkmError when no engine is linked.
  bool Start() override;
  void StartPage(TfrxReportPage& page, int index) override;
  void ExportObject(TfrxComponent& obj) override;
  void FinishPage(TfrxReportPage& page, int index) override;

 protected:
  void Notification(TkmBaseComponent* component) override;

 private:
  void SetZoom();
  TkmFRExportInterface* ParentInterface() const;
  void ExportRichAsImage(const TfrxRichView& view);
  void ExportScaledPicture(TfrxPictureView& view);
  void DrawBackPicture(const TfrxReportPage& page);

  TkmBaseComponent* FParent;
  bool FRichTextAsImage = false;
  TkmCustomDocumentEngine* FEngine = nullptr;
  bool FShowSaveDialog = true;
  std::unique_ptr<TMetafile> FMeta;
  std::unique_ptr<TMetafileCanvas> FMetaCanvas;
  TkmFRExportPreferences* FPreferences = nullptr;
  double FFRZoom = 1.0;
  TkmInputResolutions FInputResolutions;
  std::vector<std::unique_ptr<TkmFRExportPreferences>> FPreferenceObjList;
  // The prepared pages this export takes, first and last (-1: unknown).
  int FFirstPage = -1;
  int FLastPage = -1;
};

// The filter family: one class per engine kind, differing only in the key
// of their description in the resource table. Only the PDF filter is ever
// created here; the PDF engine is the only engine there is.
#define KM_FR_FILTER(Name, Key)                                                          \
  class Name : public TkmFRXport_Base {                                                  \
   public:                                                                               \
    using TkmFRXport_Base::TkmFRXport_Base;                                              \
    static constexpr const char* DescriptionKey = Key;                                   \
    std::u16string GetDescription() const override { return frxResources().Get(Key); }   \
  };
KM_FR_FILTER(TkmFRPDFXport, "TkmPDFEngine")
KM_FR_FILTER(TkmFRRTFXport, "TkmRTFEngine")
KM_FR_FILTER(TkmFRXHTMLXport, "TkmXHTMLEngine")
KM_FR_FILTER(TkmFRHTMLXport, "TkmHTMLEngine")
KM_FR_FILTER(TkmFRJPEGXport, "TkmJPEGEngine")
KM_FR_FILTER(TkmFRGIFXport, "TkmGIFEngine")
KM_FR_FILTER(TkmFREMFXport, "TkmEMFEngine")
KM_FR_FILTER(TkmFRWMFXport, "TkmWMFEngine")
KM_FR_FILTER(TkmFRBMPXport, "TkmBMPEngine")
KM_FR_FILTER(TkmFRExcelXport, "TkmExcelEngine")
KM_FR_FILTER(TkmFRXLSXport, "TkmXLSEngine")
KM_FR_FILTER(TkmFRQuattroProXport, "TkmQuattroProEngine")
KM_FR_FILTER(TkmFRLotusXport, "TkmLotusEngine")
KM_FR_FILTER(TkmFRDIFXport, "TkmDIFEngine")
KM_FR_FILTER(TkmFRSYLKXport, "TkmSYLKEngine")
KM_FR_FILTER(TkmFRTextXport, "TkmTextEngine")
KM_FR_FILTER(TkmFRClipboardXport, "TkmClipboard")
KM_FR_FILTER(TkmFRSVGXport, "TkmSVGEngine")
KM_FR_FILTER(TkmFRTIFFXport, "TkmTIFFEngine")
KM_FR_FILTER(TkmFRPNGXport, "TkmPNGEngine")
#undef KM_FR_FILTER

// The class name the resource table knows an engine by: "TkmPDFEngine" for
// the PDF engine and its descendants; empty for an engine of no known kind.
std::string EngineClassKey(const TkmCustomDocumentEngine* engine);

class TkmFRExportInterface : public TkmExportInterface {
 public:
  TkmFRExportInterface();
  ~TkmFRExportInterface() override;

  // Frees the filter of the previous engine, links the new one and, when
  // visible, creates and registers the filter that matches it.
  void SetEngine(TkmCustomDocumentEngine* engine) override;
  // A change registers (true) or frees (false) the filter; the same value
  // changes nothing.
  void SetVisible(bool value) override;
  bool GetShowSaveDialog() const { return FShowSaveDialog; }
  void SetShowSaveDialog(bool v);
  bool GetRichTextAsImage() const { return FRichTextAsImage; }
  void SetRichTextAsImage(bool v);
  TkmFRExportPreferences* GetPreferences() const { return FPreferences; }
  void SetPreferences(TkmFRExportPreferences* v);
  // The current filter; null without a linked engine of a known kind or
  // while invisible.
  TkmFRXport_Base* GetFilter() const { return FFRXport.get(); }

  // Exports the report through the filter: prepares it again unless
  // prepared is set; with showPreparedReport it shows the report and exports
  // only when a preview control is attached. Throws EkmError when there is
  // no filter (no engine of a known kind is linked).
  void RenderDocument(TfrxReport& report, bool prepared, bool showPreparedReport);

 private:
  void FRRegister();
  void FRUnregister();

  bool FShowSaveDialog = false;
  bool FRichTextAsImage = false;
  TkmFRExportPreferences* FPreferences = nullptr;
  std::vector<std::unique_ptr<TkmFRExportPreferences>> FPreferenceObjectList;
  // Declared last: destroyed before the preferences it refers to.
  std::unique_ptr<TkmFRXport_Base> FFRXport;
};

}  // namespace km
