#pragma once
// The components of the application's main form with their stored settings,
// and the two button flows. Free of any window toolkit, so that the headless
// command runs exactly what the "PDF" button runs.

#include <string>

#include "kmFRXportIntf.h"
#include "kmPDFEng.h"
#include "kmReport.h"

namespace km {

class TkmAppComponents {
 public:
  // The report with its embedded template, the PDF engine and the export
  // interface as the form stores them.
  TkmAppComponents();

  // The "PDF" button: loads "Test.fr3" from the current directory (a missing
  // file clears the report and is not reported), prepares it, links the
  // engine and exports to "PDF1.pdf" in the current directory. The engine
  // opens the file with the shell afterwards (OpenAfterCreate).
  void btn_PDFClick();
  // The "Druckvorschau" button: prepares the report's current template and
  // shows it in the preview.
  void btn_PreviewClick();

  TfrxReport Report;
  TkmPDFEngine kmPDFEngine1;
  TkmFRExportInterface kmFRExportInterface1;
};

// The template and output names of the export flow.
inline constexpr const char* kTemplateFileName = "Test.fr3";
inline constexpr const char* kOutputFileName = "PDF1.pdf";

}  // namespace km
