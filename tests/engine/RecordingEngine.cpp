#include "RecordingEngine.h"

#include <atomic>
#include <cstdlib>

#include <unistd.h>

namespace km::test {

std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

namespace {
std::string Num(double v) {
  std::string s = std::to_string(v);
  s.erase(s.find_last_not_of('0') + 1);
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}
}  // namespace

TRecordingEngine::TRecordingEngine() {
  SetFileExtension("out");
  GetPreferences().SetShowSetupDialog(false);
  GetPreferences().SetOpenAfterCreate(false);
}

void TRecordingEngine::LogEvents() {
  auto log = [this](const char* name) {
    return [this, name](TkmCustomDocumentEngine& e) {
      Log.push_back(std::string(name) + (e.GetCurrentPage() > 0 && std::string(name).find("Page") != std::string::npos
                                             ? " " + std::to_string(e.GetCurrentPage())
                                             : ""));
    };
  };
  OnBeforeBeginDoc = log("OnBeforeBeginDoc");
  OnAfterBeginDoc = log("OnAfterBeginDoc");
  OnBeforeBeginPage = log("OnBeforeBeginPage");
  OnAfterBeginPage = log("OnAfterBeginPage");
  OnBeforeEndPage = log("OnBeforeEndPage");
  OnAfterEndPage = log("OnAfterEndPage");
  OnBeforeEndDoc = log("OnBeforeEndDoc");
  OnAfterEndDoc = log("OnAfterEndDoc");
}

void TRecordingEngine::Start() {
  Log.push_back("Start");
  if (GetPreferences().GetOutputToUserStream()) return;
  const std::string name = GetFileName() + "." + GetFileExtension();
  Output = CreateFile(name);
  AddEngineFileName(name);
  for (const std::string& extra : ExtraFiles) {
    auto stream = CreateFile(extra);
    AddEngineFileName(extra);
  }
}

void TRecordingEngine::BeginPage() { Log.push_back("BeginPage " + std::to_string(GetCurrentPage())); }

void TRecordingEngine::EndPage() {
  TkmCustomPlainSheetEngine::EndPage();
  Log.push_back("EndPage " + std::to_string(GetCurrentPage()));
}

void TRecordingEngine::Finish() {
  Log.push_back("Finish");
  if (ThrowInFinish) throw EkmError("finish failed");
  if (Output) {
    Output->WriteString("done");
    Output.reset();
  }
}

void TRecordingEngine::EncodeText(TkmTextItem& item) {
  const std::string line = Narrow(ReplacePageInfo(item.GetLines().Get(0)));
  if (!ThrowOnText.empty() && line == ThrowOnText) throw EkmError("encode failed");
  Log.push_back("Text " + line);
  LastFlags.push_back(GetIsLastElementInTextList());
  Texts.push_back({Narrow(ReplacePlaceHolders(item.GetLines().Get(0), true)), item.GetX(), item.GetY(),
                   item.GetRotationAngle(), item.GetIsClipRect(), item.GetClipRect(), item.GetFont().GetStyle(),
                   item.GetBrush().GetStyle(), item.GetWidthOfTheText(), item.GetCenterAndRightAlignTextPos()});
}
void TRecordingEngine::EncodeTextBox(TkmTextBoxItem&) { Log.push_back("TextBox"); }
void TRecordingEngine::EncodeParagraph(TkmParagraphItem&) { Log.push_back("Paragraph"); }
void TRecordingEngine::EncodeImage(TkmImageItem&) { Log.push_back("Image"); }
void TRecordingEngine::EncodeImageStream(TkmImageStream&) { Log.push_back("ImageStream"); }
void TRecordingEngine::EncodeTable(TkmTableItem&) { Log.push_back("Table"); }
void TRecordingEngine::EncodeCustomItem(TkmDocumentItem&) { Log.push_back("Custom"); }
void TRecordingEngine::EncodeClipRect(TkmClipItem&) { Log.push_back("Clip"); }
void TRecordingEngine::EncodePathItem(TkmPathItem&) { Log.push_back("Path"); }
void TRecordingEngine::EncodePolyPolygon(TkmPolyPolygonItem&) { Log.push_back("PolyPolygon"); }
void TRecordingEngine::EncodeEOF(TkmEOFItem&) { Log.push_back("EOF"); }
void TRecordingEngine::EncodePolyDraw(TkmPolyDrawItem&) { Log.push_back("PolyDraw"); }
void TRecordingEngine::EncodeLine(double X1, double Y1, double X2, double Y2, const TPen& Pen) {
  Log.push_back("Line " + Num(X1) + "," + Num(Y1) + "-" + Num(X2) + "," + Num(Y2) + " w" +
                std::to_string(Pen.GetWidth()));
}
void TRecordingEngine::EncodeRect(double, double, double, double, const TPen&, const TBrush* Brush) {
  Log.push_back(std::string("Rect") + (Brush ? " filled" : ""));
}
void TRecordingEngine::EncodeRoundRect(double, double, double, double, double X3, double Y3, const TPen&,
                                       const TBrush*) {
  Log.push_back("RoundRect " + Num(X3) + "," + Num(Y3));
}
void TRecordingEngine::EncodeEllipse(double, double, double, double, const TPen&, const TBrush*) {
  Log.push_back("Ellipse");
}
void TRecordingEngine::EncodePolyLine(std::span<const TkmPoint> Points, bool IsClosed, const TPen&, const TBrush*) {
  Log.push_back(std::string(IsClosed ? "Polygon " : "PolyLine ") + std::to_string(Points.size()));
}
void TRecordingEngine::EncodePolyPolyline(TkmPolyShapeItem&, bool IsClosed) {
  Log.push_back(std::string("PolyPolyline ") + (IsClosed ? "closed" : "open"));
}
void TRecordingEngine::EncodeArc(double, double, double, double, double, double, double, double, const TPen&) {
  Log.push_back("Arc");
}
void TRecordingEngine::EncodePie(double, double, double, double, double, double, double, double, const TPen&,
                                 const TBrush*) {
  Log.push_back("Pie");
}
void TRecordingEngine::EncodeChord(double, double, double, double, double, double, double, double, const TPen&,
                                   const TBrush*) {
  Log.push_back("Chord");
}
void TRecordingEngine::EncodePolyBezier(std::span<const TkmPoint> Points, const TPen&) {
  Log.push_back("PolyBezier " + std::to_string(Points.size()));
}
void TRecordingEngine::ProcessMetafile(double AX, double AY, TMetafile& AMetafile) {
  Metafiles.push_back({AMetafile.GetWidth(), AMetafile.GetHeight(), AMetafile.Data().size()});
  Log.push_back("ProcessMetafile " + std::to_string(GetCurrentPage()));
  if (InterpretMetafiles) TkmCustomPlainSheetEngine::ProcessMetafile(AX, AY, AMetafile);
}
int TRecordingEngine::ShowSetupModal() {
  Log.push_back("ShowSetupModal");
  return SetupResult;
}

void TRecordingEngine::AddText(const std::string& text) {
  auto item = std::make_unique<TkmTextItem>();
  item->GetLines().Add(std::u16string(text.begin(), text.end()));
  AddDocumentItem(std::move(item));
}

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  path_ = std::filesystem::temp_directory_path() /
          ("km_engine_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace km::test
