#pragma once
// A test output engine that records, in one log, every output operation and
// every event the engine calls, in order.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kmCstPlnEng.h"
#include "kmShell.h"

namespace km::test {

std::string Narrow(const std::u16string& s);

class TRecordingEngine : public TkmCustomPlainSheetEngine {
 public:
  TRecordingEngine();

  std::vector<std::string> Log;
  // Size and byte count of every metafile handed to ProcessMetafile.
  struct MetafileSeen {
    int width, height;
    std::size_t bytes;
  };
  std::vector<MetafileSeen> Metafiles;
  // When set, ProcessMetafile also runs the engine's own interpreter.
  bool InterpretMetafiles = false;
  // The last-element flag as EncodeText saw it, one entry per call.
  std::vector<bool> LastFlags;
  // Every text item EncodeText received, with line 0 as it would be output
  // (placeholders replaced) and the item's placement.
  struct TextSeen {
    std::string line;
    double x, y;
    int rotation;
    bool clipped;
    TkmRect clip;
    TFontStyles style;
    TBrushStyle brush;
    double width;
    TkmIntPoint anchors;
  };
  std::vector<TextSeen> Texts;

  // Start creates FileName + "." + FileExtension through CreateFile (unless
  // the preferences ask for the user stream); extra files are created after it.
  std::vector<std::string> ExtraFiles;
  // EncodeText throws when it meets a line equal to this text.
  std::string ThrowOnText;
  bool ThrowInFinish = false;
  int SetupResult = mrOk;
  // The output file while a document is being written.
  std::unique_ptr<TFileStream> Output;

  void Start() override;
  void BeginPage() override;
  void EndPage() override;
  void Finish() override;
  void EncodeText(TkmTextItem& AObject) override;
  void EncodeTextBox(TkmTextBoxItem& AObject) override;
  void EncodeParagraph(TkmParagraphItem& AObject) override;
  void EncodeImage(TkmImageItem& AObject) override;
  void EncodeImageStream(TkmImageStream& AObject) override;
  void EncodeTable(TkmTableItem& AObject) override;
  void EncodeCustomItem(TkmDocumentItem& AObject) override;
  void EncodeClipRect(TkmClipItem& AObject) override;
  void EncodePathItem(TkmPathItem& AObject) override;
  void EncodePolyPolygon(TkmPolyPolygonItem& AObject) override;
  void EncodeEOF(TkmEOFItem& AObject) override;
  void EncodePolyDraw(TkmPolyDrawItem& AObject) override;
  void EncodeLine(double X1, double Y1, double X2, double Y2, const TPen& Pen) override;
  void EncodeRect(double X1, double Y1, double X2, double Y2, const TPen& Pen, const TBrush* Brush) override;
  void EncodeRoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3, const TPen& Pen,
                       const TBrush* Brush) override;
  void EncodeEllipse(double X1, double Y1, double X2, double Y2, const TPen& Pen, const TBrush* Brush) override;
  void EncodePolyLine(std::span<const TkmPoint> Points, bool IsClosed, const TPen& Pen,
                      const TBrush* Brush) override;
  void EncodePolyPolyline(TkmPolyShapeItem& AObject, bool IsClosed) override;
  void EncodeArc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4,
                 const TPen& Pen) override;
  void EncodePie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4,
                 const TPen& Pen, const TBrush* Brush) override;
  void EncodeChord(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4,
                   const TPen& Pen, const TBrush* Brush) override;
  void EncodePolyBezier(std::span<const TkmPoint> Points, const TPen& Pen) override;
  void ProcessMetafile(double AX, double AY, TMetafile& AMetafile) override;
  int ShowSetupModal() override;

  // Test access to protected parts.
  using TkmCustomDocumentEngine::SetCapabilities;

  // Appends a text item with `text` as its only line to the current list.
  void AddText(const std::string& text);
  // Calls every event handler slot with a logging handler.
  void LogEvents();
};

// A path in a fresh temporary folder, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace km::test
