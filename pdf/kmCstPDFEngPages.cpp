// TkmCustomPDFEngine: the start of the file and the pages.

#include "kmCstPDFEng.h"

#include "kmScreen.h"

namespace km {

namespace {

// The header: version line, then a comment of four bytes above 127 so that
// transfer programs treat the file as binary.
std::string Header(TkmPDFVersion version) {
  const char* v = "1.7";
  if (version == TkmPDFVersion::PDF_VER14) v = "1.4";
  if (version == TkmPDFVersion::PDF_VER15) v = "1.5";
  if (version == TkmPDFVersion::PDF_VER16) v = "1.6";
  return std::string("%PDF-") + v + "\r\n" + "\x25\xC3\xA2\xC3\xA3\xC3\x8F\xC3\x93" + "\r\n";
}

}  // namespace

void TkmCustomPDFEngine::FailStart(const std::string& message) {
  FEngineStatus = TkmEngineStatus::esError;
  CancelCreate();
  throw EkmError(message);
}

void TkmCustomPDFEngine::Start() {
  TkmCustomPlainSheetEngine::Start();
  // No security handler exists in this layer: an encrypted document would
  // silently come out unprotected, so it is refused before anything is written.
  if (FEncryption->GetEnabled()) FailStart("PDF encryption is not available");
  if (GetPreferences().GetOutputToUserStream()) {
    if (GetUserStream() == nullptr) FailStart("No user stream to write the PDF output to");
    FOutputStream = GetUserStream();
  } else {
    const std::string name = GetFileName() + "." + GetFileExtension();
    FOwnedOutput = CreateFile(name);
    FOutputStream = FOwnedOutput.get();
    AddEngineFileName(name);
  }
  FPageList.clear();
  FImageObjects.clear();
  FPattern.clear();
  FPDGStateList.clear();
  FContentStreamList.push_back(std::make_unique<TMemoryStream>());
  FContentStream = FContentStreamList.back().get();
  FWriter.Begin(*FOutputStream, 5);
  FBGImageObj = -1;
  FGStateTags.Reset();
  FCreationTime = PDFDate(ReadClock(FClock));
  FWriter.Write(Header(FVersion));
  CollectSystemFonts();
}

std::string TkmCustomPDFEngine::PageContentHead() const {
  const double p = CPixelsPerInch;
  return "q " + NumToStr(p / GetInputXRes()) + " 0 0 " + NumToStr(p / GetInputYRes()) + " 0 0 cm" + "\r\n";
}

void TkmCustomPDFEngine::BeginPage() {
  TkmCustomPlainSheetEngine::BeginPage();
  ResetPathAndClipState();
  FWriter.ClearDeferred();
  FContentStream->Clear();
  AppendContent(PageContentHead());

  auto info = std::make_unique<TkmPageInfo>();
  info->FObjNo = GetNewObjNo();
  const TkmPageItem* page = GetPages(GetCurrentPage() - 1);
  if (page != nullptr) {
    info->FWidth = page->GetSettings().GetWidth() * FPixelToPointMultiplier;
    info->FHeight = page->GetSettings().GetHeight() * FPixelToPointMultiplier;
  }
  const auto index = static_cast<std::size_t>(GetCurrentPage() - 1);
  if (FPageList.size() <= index) FPageList.resize(index + 1);
  FPageList[index] = std::move(info);

  FContentsObjNo = GetNewObjNo();
  FAnnots.clear();
  FLengthObjNo = GetNewObjNo();
  WriteSignatureFields();
  WritePageBackground();
}

std::string TkmCustomPDFEngine::GetPageDictionary(int) {
  const TkmPageInfo& page = *FPageList[static_cast<std::size_t>(GetCurrentPage() - 1)];
  std::string s = "/Type/Page/Parent 2 0 R";
  s += "/MediaBox [0 0 " + NumToStr(page.FWidth) + " " + NumToStr(page.FHeight) + "]";
  s += "/Resources 5 0 R";
  s += "/Contents " + MakeObjRef(FContentsObjNo);
  const auto first = FAnnots.find_first_not_of(' ');
  if (first != std::string::npos)
    s += "/Annots [" + FAnnots.substr(first, FAnnots.find_last_not_of(' ') - first + 1) + "]";
  s += FViewerPreferences->PageEntries();
  s += GetThumbnailEntry();
  return s;
}

// Closes every "q" the page still holds: one per open clip, then the page's
// own from the head, so the content stream always balances.
std::string TkmCustomPDFEngine::PageContentTail() const {
  std::string tail = "\r\n";
  for (int i = OpenClipLevels(); i > 0; --i) tail += "Q\r\n";
  return tail + "Q\r\n";
}

void TkmCustomPDFEngine::WritePageContents() {
  const bool compressed = FCompression->GetEnabled();
  WriteObj("/Length " + MakeObjRef(FLengthObjNo) + (compressed ? "/Filter /FlateDecode" : "") + "\r\n",
           FContentsObjNo, false);
  AppendContent(PageContentTail());
  FWriter.Write("stream\r\n");
  TMemoryStream packed;
  const std::int64_t length = CompressStream(*FContentStream, packed, compressed, FCompression->GetLevel());
  WritePDFStream(packed, length, FContentsObjNo, 0);
  FWriter.Write(std::string_view(reinterpret_cast<const char*>(packed.Memory()),
                                 static_cast<std::size_t>(packed.GetSize())));
  FWriter.Write("\r\nendstream\r\nendobj\r\n");
  WriteObj(std::to_string(length), FLengthObjNo, true);
}

void TkmCustomPDFEngine::EndPage() {
  RecordPageThumbnail();
  const int pageObjNo = FPageList[static_cast<std::size_t>(GetCurrentPage() - 1)]->FObjNo;
  WriteObj(GetPageDictionary(pageObjNo) + "\r\n", pageObjNo, true);
  WritePageContents();
  FWriter.FlushDeferred();
  TkmCustomPlainSheetEngine::EndPage();
}

}  // namespace km
