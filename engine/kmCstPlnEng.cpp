#include "kmCstPlnEng.h"

namespace km {

namespace {
std::unique_ptr<TkmPreferences> CreatePlainSheetPreferences() { return std::make_unique<TkmPlainSheetPreferences>(); }
}  // namespace

void TkmPlainSheetPreferences::Assign(const TkmPreferences& source) {
  TkmPreferences::Assign(source);
  if (auto* plain = dynamic_cast<const TkmPlainSheetPreferences*>(&source))
    FActiveHyperLinks = plain->FActiveHyperLinks;
}

TkmCustomPlainSheetEngine::TkmCustomPlainSheetEngine() { CreatePreferencesObject(); }
TkmCustomPlainSheetEngine::~TkmCustomPlainSheetEngine() = default;

TkmPreferencesClass TkmCustomPlainSheetEngine::GetPreferencesClassName() const {
  return {"TkmPlainSheetPreferences", &CreatePlainSheetPreferences};
}

TkmPlainSheetPreferences& TkmCustomPlainSheetEngine::GetPreferences() {
  return static_cast<TkmPlainSheetPreferences&>(*FPreferences);
}

void TkmCustomPlainSheetEngine::BeginDoc() {
  // A second BeginDoc on a started document must not lose the entries made so far.
  if (!FIsDocumentStarted) FTOCItemList = std::make_unique<TkmTOCItemList>();
  TkmCustomDocumentEngine::BeginDoc();
}

void TkmCustomPlainSheetEngine::EndDoc() {
  TkmCustomDocumentEngine::EndDoc();
  // The entries live until the document is really finished: an EndDoc that
  // did nothing (no document) or failed leaves them alone.
  if (!FIsDocumentStarted) FTOCItemList.reset();
}

int TkmCustomPlainSheetEngine::AddTOCItem(const std::u16string& Caption, int ParentNode, int PageNumber,
                                          double Top) {
  if (!FIsDocumentStarted || !FTOCItemList) return -1;
  const int count = static_cast<int>(FTOCItemList->size());
  if (ParentNode >= count || ParentNode < -1 || PageNumber <= 0 || PageNumber > FPageCount) return -1;
  auto item = std::make_unique<TkmTOCItem>();
  item->SetTitle(Caption);
  item->SetPageNumber(PageNumber);
  item->SetParentNode(ParentNode);
  item->SetY(Top);
  FTOCItemList->push_back(std::move(item));
  return count;
}

int TkmCustomPlainSheetEngine::AddTOCItem(const std::u16string& Caption, int ParentNode, const std::string& URL) {
  if (!FIsDocumentStarted || !FTOCItemList) return -1;
  const int count = static_cast<int>(FTOCItemList->size());
  if (ParentNode < -1 || ParentNode >= count) return -1;
  auto item = std::make_unique<TkmTOCItem>();
  item->SetTitle(Caption);
  item->SetParentNode(ParentNode);
  item->SetURL(URL);
  item->SetPageNumber(0);
  FTOCItemList->push_back(std::move(item));
  return count;
}

// The remaining operations pass through unchanged.
using Base = TkmCustomDocumentEngine;
void TkmCustomPlainSheetEngine::NewPage() { Base::NewPage(); }
void TkmCustomPlainSheetEngine::HTMLTextOut(double X, double Y, const std::u16string& S) { Base::HTMLTextOut(X, Y, S); }
void TkmCustomPlainSheetEngine::TextOut(double X, double Y, const std::u16string& S) { Base::TextOut(X, Y, S); }
void TkmCustomPlainSheetEngine::TextOut(double X, double Y, const std::u16string& S, bool W) {
  Base::TextOut(X, Y, S, W);
}
void TkmCustomPlainSheetEngine::TextOut(int C, const std::u16string& S) { Base::TextOut(C, S); }
double TkmCustomPlainSheetEngine::TextOut(const std::u16string& S) { return Base::TextOut(S); }
void TkmCustomPlainSheetEngine::TextRect(const TkmRect& R, double X, double Y, const std::u16string& S) {
  Base::TextRect(R, X, Y, S);
}
void TkmCustomPlainSheetEngine::TextBox(const TkmRect& R, const std::u16string& S, TkmHAlignment H,
                                        TkmVAlignment V) {
  Base::TextBox(R, S, H, V);
}
void TkmCustomPlainSheetEngine::SetTextRotation(int A) { Base::SetTextRotation(A); }
void TkmCustomPlainSheetEngine::DrawImage(double X, double Y, const TGraphic& G) { Base::DrawImage(X, Y, G); }
void TkmCustomPlainSheetEngine::DrawImage(const TkmRect& R, const TGraphic& G) { Base::DrawImage(R, G); }
void TkmCustomPlainSheetEngine::DrawImage(const TkmRect& R, int I) { Base::DrawImage(R, I); }
void TkmCustomPlainSheetEngine::DrawImage(int C, double W, double H, const TGraphic& G) {
  Base::DrawImage(C, W, H, G);
}
int TkmCustomPlainSheetEngine::AddImageAsResource(const TGraphic& G) { return Base::AddImageAsResource(G); }
void TkmCustomPlainSheetEngine::Line(double X1, double Y1, double X2, double Y2) { Base::Line(X1, Y1, X2, Y2); }
void TkmCustomPlainSheetEngine::Rectangle(double X1, double Y1, double X2, double Y2, bool F) {
  Base::Rectangle(X1, Y1, X2, Y2, F);
}
void TkmCustomPlainSheetEngine::RoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3, bool F) {
  Base::RoundRect(X1, Y1, X2, Y2, X3, Y3, F);
}
void TkmCustomPlainSheetEngine::Ellipse(double X1, double Y1, double X2, double Y2, bool F) {
  Base::Ellipse(X1, Y1, X2, Y2, F);
}
void TkmCustomPlainSheetEngine::Polygon(std::span<const TkmPoint> P, bool F) { Base::Polygon(P, F); }
void TkmCustomPlainSheetEngine::PolyLine(std::span<const TkmPoint> P) { Base::PolyLine(P); }
void TkmCustomPlainSheetEngine::Arc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4,
                                    double Y4) {
  Base::Arc(X1, Y1, X2, Y2, X3, Y3, X4, Y4);
}
void TkmCustomPlainSheetEngine::Pie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4,
                                    double Y4, bool F) {
  Base::Pie(X1, Y1, X2, Y2, X3, Y3, X4, Y4, F);
}
void TkmCustomPlainSheetEngine::Chord(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4,
                                      double Y4, bool F) {
  Base::Chord(X1, Y1, X2, Y2, X3, Y3, X4, Y4, F);
}
void TkmCustomPlainSheetEngine::PolyBezier(std::span<const TkmPoint> P) { Base::PolyBezier(P); }
void TkmCustomPlainSheetEngine::BeginPara() { Base::BeginPara(); }
void TkmCustomPlainSheetEngine::EndPara() { Base::EndPara(); }
TkmColumnList* TkmCustomPlainSheetEngine::BeginTable(double X, double Y, int N) { return Base::BeginTable(X, Y, N); }
double TkmCustomPlainSheetEngine::NewRow(double H) { return Base::NewRow(H); }
double TkmCustomPlainSheetEngine::NewRow() { return Base::NewRow(); }
void TkmCustomPlainSheetEngine::EndTable() { Base::EndTable(); }
void TkmCustomPlainSheetEngine::PlayMetafile(TMetafile& M) { Base::PlayMetafile(M); }
void TkmCustomPlainSheetEngine::PlayMetafile(const TkmRect& R, TMetafile& M) { Base::PlayMetafile(R, M); }
void TkmCustomPlainSheetEngine::PlayMetafile(double X, double Y, TMetafile& M) { Base::PlayMetafile(X, Y, M); }
void TkmCustomPlainSheetEngine::BeginHeader() { Base::BeginHeader(); }
void TkmCustomPlainSheetEngine::EndHeader() { Base::EndHeader(); }
void TkmCustomPlainSheetEngine::ClearHeader() { Base::ClearHeader(); }
void TkmCustomPlainSheetEngine::BeginFooter() { Base::BeginFooter(); }
void TkmCustomPlainSheetEngine::EndFooter() { Base::EndFooter(); }
void TkmCustomPlainSheetEngine::ClearFooter() { Base::ClearFooter(); }
void TkmCustomPlainSheetEngine::BeginWaterMark() { Base::BeginWaterMark(); }
void TkmCustomPlainSheetEngine::EndWaterMark() { Base::EndWaterMark(); }
void TkmCustomPlainSheetEngine::ClearWaterMark() { Base::ClearWaterMark(); }
void TkmCustomPlainSheetEngine::BeginStamp() { Base::BeginStamp(); }
void TkmCustomPlainSheetEngine::EndStamp() { Base::EndStamp(); }
void TkmCustomPlainSheetEngine::ClearStamp() { Base::ClearStamp(); }
int TkmCustomPlainSheetEngine::SaveEngineState() { return Base::SaveEngineState(); }
void TkmCustomPlainSheetEngine::RestoreEngineState(int I) { Base::RestoreEngineState(I); }
void TkmCustomPlainSheetEngine::ClearEngineStates() { Base::ClearEngineStates(); }
void TkmCustomPlainSheetEngine::SetWorkingPage(int P) { Base::SetWorkingPage(P); }
void TkmCustomPlainSheetEngine::EndPage() { Base::EndPage(); }

}  // namespace km
