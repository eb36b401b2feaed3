#pragma once
// TkmExPDFEngine: the PDF engine with the interactive features (annotations,
// form fields, actions, custom metadata, CCITT images). Each override calls the
// inherited operation; the interactive objects enter through the hooks below,
// which are empty until those writers exist.

#include "kmCstPDFEng.h"

namespace km {

class TkmExPDFEngine : public TkmCustomPDFEngine {
 public:
  TkmExPDFEngine();
  ~TkmExPDFEngine() override;

  void Start() override;
  // Appends the page's annotation and widget references to FAnnots, then ends the page.
  void EndPage() override;
  // Writes the annotation objects, the form dictionary, custom metadata and
  // document scripts, then finishes the document.
  void Finish() override;
  // Adds the /AcroForm, /Metadata and /AA references to the catalog.
  std::string GetCatalogDictionary() override;
  // Adds the page's additional actions to the page dictionary.
  std::string GetPageDictionary(int AObjNo) override;
  std::unique_ptr<TMemoryStream> GetBitmapAsCCITTStream(TBitmap& ABitmap,
                                                        TkmOutputImageFormat AFormat) override;

 protected:
  // Hooks of the interactive writers (empty in this layer).
  virtual void CollectPageAnnotations() {}
  virtual void WriteInteractiveObjects() {}
  virtual std::string GetInteractiveCatalogEntries() { return {}; }
  virtual std::string GetPageActionEntries() { return {}; }
};

}  // namespace km
