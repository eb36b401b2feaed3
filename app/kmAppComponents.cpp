#include "kmAppComponents.h"

namespace km {

TkmAppComponents::TkmAppComponents() {
  // kmPDFEngine1 as stored with the form; every other property keeps its
  // constructor default.
  TkmPDFEngine& e = kmPDFEngine1;
  e.SetFileExtension("pdf");
  e.SetFileDescription("Adobe PDF Files");
  e.SetInputXRes(96);
  e.SetInputYRes(96);
  e.SetReferencePoint(TkmReferencePoint::rpBand);
  e.GetEMailSettings().AuthenticationRequired = false;
  TFont font;
  font.SetCharset(DEFAULT_CHARSET);
  font.SetColor(clWindowText);
  font.SetHeight(-11);
  font.SetName(u"Tahoma");
  e.SetFont(font);
  e.GetImageSettings().SetSourceDPI(96);
  e.GetImageSettings().SetOutputImageFormat(TkmOutputImageFormat::ifJPEG);
  // Inches: the engine's measurement unit when the form is loaded.
  e.SetMeasurementUnit(TkmUnitType::muInches);
  e.GetPage().SetWidth(8.2677);
  e.GetPage().SetHeight(11.6929);
  e.GetPage().SetBinNumber(0);
  e.SetFontEncoding(TkmPDFFontEncoding::feWinAnsiEncoding);
  e.SetPDFVersion(TkmPDFVersion::PDF_VER14);

  // kmFRExportInterface1: the engine is linked only when exporting.
  kmFRExportInterface1.SetDoBeginDoc(true);
  kmFRExportInterface1.SetDoEndDoc(true);
  kmFRExportInterface1.SetShowSaveDialog(false);
  kmFRExportInterface1.SetRichTextAsImage(true);
}

void TkmAppComponents::btn_PDFClick() {
  Report.LoadFromFile(kTemplateFileName, false);
  Report.PrepareReport(true);
  kmPDFEngine1.GetPreferences().SetOpenAfterCreate(true);
  kmPDFEngine1.GetPreferences().SetShowSetupDialog(false);
  kmPDFEngine1.GetPreferences().SetEmbedTrueTypeFonts(TkmTTFontEmbedding::etfNone);
  kmFRExportInterface1.SetEngine(&kmPDFEngine1);
  kmPDFEngine1.SetFileName(kOutputFileName);
  kmPDFEngine1.GetPreferences().SetShowSetupDialog(false);
  kmFRExportInterface1.RenderDocument(Report, false, false);
}

void TkmAppComponents::btn_PreviewClick() { Report.ShowReport(true); }

}  // namespace km
