// TkmCustomPDFEngine: the document-level objects, the cross-reference table
// and the trailer.

#include "kmCstPDFEng.h"

#include "kmMD5.h"
#include "kmUtils3.h"

namespace km {

namespace {

// True when the text has a character above a blank (what survives trimming).
bool HasNonBlank(const std::u16string& text) {
  for (char16_t c : text)
    if (c > u' ') return true;
  return false;
}

}  // namespace

std::string TkmCustomPDFEngine::GetCatalogDictionary() {
  return "/Type/Catalog/Pages 2 0 R" + GetCatalogFeatureEntries() + FViewerPreferences->CatalogEntries();
}

std::string TkmCustomPDFEngine::GetPageTree() const {
  std::string kids;
  int count = 0;
  for (const auto& page : FPageList) {
    if (!page) continue;
    if (count++ > 0) kids += " ";
    kids += MakeObjRef(page->FObjNo);
  }
  return "/Type/Pages/Count " + std::to_string(count) + "/Kids [" + kids + "]" + "\r\n";
}

std::string TkmCustomPDFEngine::GetResourceDictionary() {
  std::string s;
  const int colorSpace = IsPDFA(FVersion) ? WritePDFAColorSpace() : 0;
  const std::string cs0 = colorSpace > 0 ? "<</CS0 " + std::to_string(colorSpace) + " 0 R" : "";
  if (FPattern.empty()) {
    if (colorSpace > 0) s += "/ColorSpace" + cs0 + ">>";
  } else {
    s += "/ColorSpace " + (cs0.empty() ? std::string("<<") : cs0);
    s += "/CSP [/Pattern /DeviceRGB]>>\r\n/Pattern <<";
    for (const auto& [name, obj] : FPattern) s += "/" + name + " " + MakeObjRef(obj);
    s += ">>\r\n";
  }
  s += GetFontResources();
  s += "/ProcSet 4 0 R";
  const bool background = FBGImageObj >= 0;
  if (!FImageObjects.empty() || background) {
    s += "/XObject <<";
    for (std::size_t i = 0; i < FImageObjects.size(); ++i)
      for (std::size_t j = 0; j < FImageObjects[i].size(); ++j)
        s += ImageResourceName(static_cast<int>(i), static_cast<int>(j)) + " " + MakeObjRef(FImageObjects[i][j]);
    if (background) s += std::string(" ") + kBackgroundImageName + " " + MakeObjRef(FBGImageObj);
    s += " >>";
  }
  if (!FPDGStateList.empty()) {
    s += "/ExtGState <<";
    for (const auto& [tag, obj] : FPDGStateList) s += tag + " " + MakeObjRef(obj);
    s += ">>";
  }
  return s + "\r\n";
}

std::string TkmCustomPDFEngine::GetProcSet() const {
  std::string s = "[/PDF";
  if (GetItemsToRender().Contains(TkmItemsToRenderKind::irText)) s += " /Text";
  if (GetItemsToRender().Contains(TkmItemsToRenderKind::irImage)) s += " /ImageC";
  return s + "]";
}

std::string TkmCustomPDFEngine::GetInfoDictionary() {
  std::string s;
  if (!IsPDFA(FVersion)) {
    const std::string date = GetHexOfStr(WritePDFString(FCreationTime, 3, 0));
    s += "/CreationDate <" + date + ">";
    s += "/ModDate <" + date + ">";
    s += "/Producer <" + EncryptedInfoToUnicodeHex(kPDFProducer, 3, 0) + ">";
  }
  const TkmDocInfo& info = GetDocInfo();
  const std::pair<const char*, const std::u16string*> entries[] = {
      {"/Author <", &info.GetAuthor()},   {"/Keywords <", &info.GetKeywords()},
      {"/Creator <", &info.GetCreator()}, {"/Title <", &info.GetTitle()},
      {"/Subject <", &info.GetSubject()},
  };
  for (const auto& [key, value] : entries)
    if (HasNonBlank(*value)) s += key + EncryptedInfoToUnicodeHex(*value, 3, 0) + ">";
  return s + "\r\n";
}

// The file identifier of an unencrypted document: MD5 over the output file
// name without extension followed by the current time as text. Under
// SOURCE_DATE_EPOCH the time is that moment, so the identifier repeats.
std::string TkmCustomPDFEngine::FileIdentifierHex() {
  TkmMD5 md5;
  md5.Update(GetFileName());
  md5.Update(TimeText(ReadClock(FClock).Local));
  const TkmMD5Digest digest = md5.Finalize();
  return GetHexOfStr(std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size()));
}

std::string TkmCustomPDFEngine::GetTrailer() {
  const std::string id = FileIdentifierHex();
  return "/Root 1 0 R/Info 3 0 R/Size " + std::to_string(FWriter.LastObjNo() + 1) + "/ID [<" + id + "><" +
         id + ">]";
}

void TkmCustomPDFEngine::Finish() {
  TkmCustomPlainSheetEngine::Finish();
  WriteObj(GetCatalogDictionary() + "\r\n", 1, true);
  WriteDocumentOutline();
  WriteObj(GetPageTree(), 2, true);
  RegisterBackgroundPattern();
  WriteObj(GetResourceDictionary(), 5, true);
  WriteObj(GetProcSet(), 4, true);
  WritePatternObjects();
  WriteFontObjects();
  WriteEncryptionDictionary();
  WriteObj(GetInfoDictionary(), 3, true);
  FWriter.WriteXRefAndTrailer(GetTrailer());
  ApplySignature();
  ReleaseDocument();
}

}  // namespace km
