// PDF graphics content: exact operator text of the shape encoders, clips,
// recorded paths, poly shapes, hatch patterns and transparency states; then
// whole files rendered by poppler and sampled pixel by pixel, at input
// resolutions 96 and 384, with every content stream parsed by pikepdf.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "kmBitmap.h"
#include "kmPDFEng.h"
#include "kmScreen.h"
#include "graphics_tools.h"
#include "pdf_tools.h"

namespace km {
namespace {

using namespace km::testing;

// A PDF engine that keeps each page's content text as it stands when the page ends.
class TCaptureEngine : public TkmPDFEngine {
 public:
  std::vector<std::string> Contents;
  void EndPage() override {
    TMemoryStream& s = GetContentStream();
    Contents.emplace_back(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.GetSize()));
    TkmPDFEngine::EndPage();
  }
  using TkmCustomPDFEngine::OpenClipLevels;
};

// No compression, so that tests can read the content in the file.
std::unique_ptr<TCaptureEngine> NewEngine(const std::string& path, int res = 96) {
  auto e = NewLetterEngine<TCaptureEngine>(path, res);
  e->GetCompression().SetEnabled(false);
  return e;
}

TPen Pen(TColor c, int width, TPenStyle style = TPenStyle::psSolid) { return MakePen(c, width, style); }
TBrush Brush(TColor c, TBrushStyle style = TBrushStyle::bsSolid) { return MakeBrush(c, style); }

// The content a page's items produced: everything after the background.
std::string ItemsContent(const std::string& content) {
  const std::string bg = "\r\nQ ";
  const std::size_t at = content.find(bg);
  return at == std::string::npos ? content : content.substr(at + bg.size());
}

class GraphicsText : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = MakeScratchDir(std::string("pdf-graphics-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    path = dir + "/doc.pdf";
    engine = NewEngine(path);
  }
  // Begins, lets `draw` record, ends; returns the first page's item content.
  std::string Run(const std::function<void(TCaptureEngine&)>& draw) {
    engine->BeginDoc();
    draw(*engine);
    engine->EndDoc();
    return ItemsContent(engine->Contents.at(0));
  }
  void Audit() {
    const CommandResult r = RunCommand(ShellQuote(std::string(KM_TOOLS_DIR) + "/pdf-audit") + " " + ShellQuote(path));
    EXPECT_EQ(r.ExitCode, 0) << r.Output;
  }

  ScopedScreenResolution screen{96, 96};
  std::string dir, path;
  std::unique_ptr<TCaptureEngine> engine;
};

TEST_F(GraphicsText, SolidLineAndPenWidths) {
  const std::string text = Run([](TCaptureEngine& e) {
    e.SetPen(Pen(clBlack, 1));
    e.Line(10, 20, 110, 20);
    e.SetPen(Pen(clBlack, 0));
    e.Line(10, 20, 110, 20);
    e.SetPen(Pen(clBlack, 1, TPenStyle::psClear));
    e.Line(10, 20, 110, 20);
  });
  EXPECT_EQ(text,
            "\r\nq []0 d 0 j 0 J 0.7500 w 0.0000 0.0000 0.0000 RG 7.5000 777.0000 m 82.5000 777.0000 l S\r\nQ"
            "\r\nq []0 d 0 j 0 J 0.0010 w 0.0000 0.0000 0.0000 RG 7.5000 777.0000 m 82.5000 777.0000 l S\r\nQ");
  Audit();
}

TEST_F(GraphicsText, DashesJoinsAndCaps) {
  engine->SetLineJoinStyle(TkmLineJoinStyle::ljsRound);
  engine->SetLineCapStyle(TkmLineCapStyle::lcsSquare);
  const std::string text = Run([](TCaptureEngine& e) {
    for (TPenStyle s : {TPenStyle::psDash, TPenStyle::psDot, TPenStyle::psDashDot, TPenStyle::psDashDotDot,
                        TPenStyle::psInsideFrame}) {
      e.SetPen(Pen(clRed, 2, s));
      e.Line(0, 0, 10, 0);
    }
  });
  EXPECT_NE(text.find("q [16 8]0 d 1 j 2 J 1.5000 w 1.0000 0.0000 0.0000 RG "), std::string::npos) << text;
  EXPECT_NE(text.find("q [3 2]0 d 1 j 2 J "), std::string::npos);
  EXPECT_NE(text.find("q [8 4 2 4]0 d 1 j 2 J "), std::string::npos);
  EXPECT_NE(text.find("q [8 4 2 4 2 8]0 d 1 j 2 J "), std::string::npos);
  EXPECT_NE(text.find("q 1 j 2 J 1.5000 w"), std::string::npos);  // no dash entry for inside-frame
}

TEST_F(GraphicsText, DashesScaleWithTheInputResolution) {
  engine = NewEngine(path, 384);
  const std::string text = Run([](TCaptureEngine& e) {
    e.SetPen(Pen(clRed, 4, TPenStyle::psDash));
    e.Line(0, 0, 40, 0);
  });
  EXPECT_NE(text.find("[64 32]0 d"), std::string::npos) << text;
}

TEST_F(GraphicsText, RectanglesAreWholeWhenDrawnAndExactInPaths) {
  const std::string text = Run([](TCaptureEngine& e) {
    e.SetPen(Pen(clBlack, 1));
    e.SetBrush(Brush(clRed));
    e.Rectangle(10, 10, 63, 43, true);  // 39.75 x 24.75 points
    auto begin = std::make_unique<TkmPathItem>();
    begin->SetPathOperation(TkmPathOperation::poBeginPath);
    e.AddDocumentItem(std::move(begin));
    e.Rectangle(10, 10, 63, 43, false);
  });
  EXPECT_EQ(text,
            "\r\nq\r\n1.0000 0.0000 0.0000 rg 7.5000 759.7500 40.0000 25.0000 re f "
            "[]0 d 0 j 0 J 0.7500 w  0.0000 0.0000 0.0000 RG 7.5000 759.7500 40.0000 25.0000 re s\r\nQ");
  // The path copy keeps the fraction; it is not painted because the path never ends.
  EXPECT_EQ(text.find("39.7500"), std::string::npos);
}

TEST_F(GraphicsText, PdfaColoursGoThroughTheIccSpace) {
  engine->SetPDFVersion(TkmPDFVersion::PDFA_VER1B);
  const std::string text = Run([](TCaptureEngine& e) {
    e.SetPen(Pen(clBlue, 1));
    e.SetBrush(Brush(clLime));
    e.Ellipse(10, 10, 50, 50, true);
  });
  EXPECT_NE(text.find("/CS0 cs 0.0000 1.0000 0.0000 scn "), std::string::npos) << text;
  EXPECT_NE(text.find("/CS0 CS 0.0000 0.0000 1.0000 SCN "), std::string::npos) << text;
  EXPECT_EQ(text.find(" rg"), std::string::npos);
}

TEST_F(GraphicsText, HatchedPolygonWithoutPenFillsWithThePattern) {
  const std::string text = Run([](TCaptureEngine& e) {
    e.SetPen(Pen(clBlack, 1, TPenStyle::psClear));
    e.SetBrush(Brush(clRed, TBrushStyle::bsHorizontal));
    const TkmPoint pts[] = {{0, 0}, {40, 0}, {0, 40}};
    e.Polygon(pts, true);
  });
  EXPECT_EQ(text,
            "\r\nq\r\n/CSP cs 1.0000 0.0000 0.0000 /PH scn n 0.0000 792.0000 m 30.0000 792.0000 l "
            "0.0000 762.0000 l 0.0000 792.0000 l  f \r\nQ ");
  Audit();
}

TEST_F(GraphicsText, OneHatchPatternObjectServesEveryPage) {
  engine->BeginDoc();
  for (int p = 0; p < 3; ++p) {
    if (p > 0) engine->NewPage();
    engine->SetBrush(Brush(clRed, TBrushStyle::bsDiagCross));
    engine->Rectangle(10, 10, 100, 100, true);
    engine->SetBrush(Brush(clBlue, TBrushStyle::bsVertical));
    engine->Ellipse(110, 10, 200, 100, true);
  }
  engine->EndDoc();
  const std::string bytes = ReadWholeFile(path);
  std::smatch m;
  EXPECT_TRUE(std::regex_search(bytes, m, std::regex("/Pattern <</PDC (\\d+) 0 R/PV (\\d+) 0 R>>"))) << bytes;
  std::size_t n = 0;
  for (std::size_t at = 0; (at = bytes.find("/PatternType 1", at)) != std::string::npos; ++at) ++n;
  EXPECT_EQ(n, 2u);
  Audit();
}

TEST_F(GraphicsText, OpacityWritesOneGraphicsStatePerShape) {
  const std::string text = Run([](TCaptureEngine& e) {
    e.GetLineArtSettings().SetOpacity(50);
    e.SetBrush(Brush(clBlue));
    e.Rectangle(10, 10, 100, 100, true);
    e.Rectangle(10, 10, 100, 100, true);
    e.Line(0, 0, 10, 10);  // lines take no opacity state
  });
  const std::string bytes = ReadWholeFile(path);
  const std::regex state("(\\d+) 0 obj\r\n<<\r\n/Type\r\n/ExtGState\r\n/ca 0\\.5\r\n/CA 0\\.5\r\n>>\r\nendobj");
  EXPECT_EQ(std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), state), std::sregex_iterator()), 2);
  const std::regex use("\r\nq\r\n(/GS\\d+) gs\r\n");
  std::set<std::string> tags;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), use); it != std::sregex_iterator(); ++it)
    tags.insert((*it)[1]);
  EXPECT_EQ(tags.size(), 2u) << text;
  const std::size_t resources = bytes.find("/ExtGState <<");
  ASSERT_NE(resources, std::string::npos);
  for (const std::string& tag : tags) EXPECT_NE(bytes.find(tag + " ", resources), std::string::npos) << tag;
  Audit();
}

TEST(GraphicsStateTags, NeverRepeatAndAreTheSameForEveryDocument) {
  TkmGStateTagGenerator a, b;
  a.Reset();
  b.Reset();
  std::set<std::int32_t> seen;
  for (int i = 0; i < 200000; ++i) {
    const std::int32_t t = a.Next();
    ASSERT_GE(t, 0);
    ASSERT_LT(t, 2147483647);
    ASSERT_TRUE(seen.insert(t).second) << "tag repeated after " << i;
    ASSERT_EQ(t, b.Next());
  }
}

TEST_F(GraphicsText, PiesAndChordsCloseTheirOutlineAndClearBrushesNeverFill) {
  const std::string text = Run([](TCaptureEngine& e) {
    e.SetPen(Pen(clBlack, 2));
    e.SetBrush(Brush(clRed, TBrushStyle::bsCross));
    e.Pie(10, 10, 90, 90, 50, 90, 50, 10, true);
    e.Chord(10, 10, 90, 90, 50, 90, 50, 10, true);
    e.SetBrush(Brush(clRed, TBrushStyle::bsClear));
    e.Pie(10, 10, 90, 90, 50, 90, 50, 10, true);
    e.SetPen(Pen(clBlack, 2, TPenStyle::psClear));
    e.Chord(10, 10, 90, 90, 50, 90, 50, 10, true);  // nothing to draw
  });
  std::vector<std::string> shapes;
  for (std::size_t at = 0; (at = text.find("\r\nq\r\n", at)) != std::string::npos; at += 5)
    shapes.push_back(text.substr(at, text.find("\r\nQ", at + 5) - at));
  ASSERT_EQ(shapes.size(), 3u) << text;
  for (const std::string& s : shapes) {
    // The stroke closes the figure; a hatch never switches to an unclosed "B".
    EXPECT_EQ(s.substr(s.size() - 2), " s") << s;
    EXPECT_EQ(s.find(" B"), std::string::npos) << s;
  }
  EXPECT_NE(shapes[0].find("/PC scn n "), std::string::npos);
  EXPECT_NE(shapes[0].find(" l f "), std::string::npos);  // the pie's fill runs to the centre
  EXPECT_EQ(shapes[2].find(" f"), std::string::npos);      // clear brush: no fill at all
  Audit();
}

TEST_F(GraphicsText, PolyPolygonClosesEverySubPolygon) {
  const std::string text = Run([](TCaptureEngine& e) {
    auto item = std::make_unique<TkmPolyPolygonItem>();
    item->SetNoPoly(2);
    item->SetNoPoints();
    item->GetNoPoints() = {6, 3, 3};
    item->SetPoints();
    item->GetPointArray() = {{0, 0}, {40, 0}, {0, 40}, {100, 0}, {140, 0}, {100, 40}};
    item->SetPen(Pen(clBlack, 1));
    item->SetBrush(Brush(clRed));
    item->SetFillAlternate(true);
    e.AddDocumentItem(std::move(item));
  });
  // Both copies of the path (fill and stroke) close both polygons.
  std::size_t closes = 0;
  for (std::size_t at = 0; (at = text.find("h\r\n", at)) != std::string::npos; ++at) ++closes;
  EXPECT_EQ(closes, 4u) << text;
  EXPECT_NE(text.find("\r\nf*\r\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 6), " s\r\nQ ") << text;
  Audit();
}

TEST_F(GraphicsText, PolyPolygonCountsBeyondThePointsAreNotRead) {
  const std::string text = Run([](TCaptureEngine& e) {
    auto item = std::make_unique<TkmPolyPolygonItem>();
    item->SetNoPoly(3);
    item->SetNoPoints();
    item->GetNoPoints() = {9, 3, 900, 3};
    item->SetPoints();
    item->GetPointArray().resize(3, TkmPoint{5, 5});
    e.AddDocumentItem(std::move(item));
  });
  std::size_t moves = 0;
  for (std::size_t at = 0; (at = text.find(" m ", at)) != std::string::npos; ++at) ++moves;
  EXPECT_EQ(moves, 2u) << text;  // the first polygon, filled and stroked
}

// Path items of a metafile's path bracket.
void AddPath(TCaptureEngine& e, TkmPathOperation op, const TPen* pen = nullptr, const TBrush* brush = nullptr) {
  auto item = std::make_unique<TkmPathItem>();
  item->SetPathOperation(op);
  if (pen) item->SetPen(*pen);
  if (brush) item->SetBrush(*brush);
  e.AddDocumentItem(std::move(item));
}

TEST_F(GraphicsText, RecordedPathsPaintOnceAndANewPathStartsOpen) {
  const TPen pen = Pen(clBlack, 1);
  const TPen noPen = Pen(clBlack, 1, TPenStyle::psClear);
  const TBrush red = Brush(clRed);
  const TBrush clear = Brush(clRed, TBrushStyle::bsClear);
  const TkmPoint tri[] = {{0, 0}, {40, 0}, {0, 40}};
  const std::string text = Run([&](TCaptureEngine& e) {
    using P = TkmPathOperation;
    AddPath(e, P::poBeginPath);
    e.PolyLine(tri);
    AddPath(e, P::poCloseFigure);
    AddPath(e, P::poEndPath);
    AddPath(e, P::poStrokePath, &pen, &red);  // closed: "s"
    AddPath(e, P::poBeginPath);
    e.PolyLine(tri);
    AddPath(e, P::poEndPath);
    AddPath(e, P::poStrokePath, &pen, &red);  // a fresh path is open: "S"
    AddPath(e, P::poBeginPath);
    e.PolyLine(tri);
    AddPath(e, P::poEndPath);
    AddPath(e, P::poStrokeAndFillPath, &noPen, &clear);  // nothing to paint: "n"
    AddPath(e, P::poBeginPath);
    e.PolyLine(tri);
    AddPath(e, P::poEndPath);
    AddPath(e, P::poFillPath, &pen, &clear);  // clear brush: no fill
    AddPath(e, P::poBeginPath);
    e.PolyLine(tri);
    AddPath(e, P::poAbortPath);
    AddPath(e, P::poStrokePath, &pen, &red);  // nothing left to stroke
  });
  std::vector<std::string> ops;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t sp = line.rfind(' ');
    if (line.find(" m ") != std::string::npos) ops.push_back(line.substr(sp + 1));
  }
  EXPECT_EQ(ops, (std::vector<std::string>{"s", "S", "n", "n"})) << text;
  EXPECT_NE(text.find("0.0000 762.0000 l h s"), std::string::npos) << text;
  EXPECT_EQ(text.find(" f"), std::string::npos);
  EXPECT_EQ(text.find(" q"), std::string::npos);  // paths carry no q/Q of their own
  Audit();
}

TEST_F(GraphicsText, EveryPieceStartsApartFromTheOperatorBefore) {
  const TBrush grey = MakeBrush(TColor(0x333333));
  const TkmPoint tri[] = {{0, 0}, {40, 0}, {0, 40}};
  const std::string text = Run([&](TCaptureEngine& e) {
    using P = TkmPathOperation;
    for (bool clipped : {false, true}) {
      if (clipped) {
        auto clip = std::make_unique<TkmClipItem>();
        clip->SetMode(1);
        clip->SetRects(1);
        clip->PutRect(0, {0, 0, 400, 400});
        e.AddDocumentItem(std::move(clip));
      }
      e.SetBrush(grey);
      e.Rectangle(0, 0, 50, 50, true);
      AddPath(e, P::poBeginPath);
      e.PolyLine(tri);
      AddPath(e, P::poEndPath);
      AddPath(e, P::poFillPath, nullptr, &grey);
      e.Line(0, 0, 10, 10);
      auto poly = std::make_unique<TkmPolyShapeItem>();
      auto s = std::make_unique<TkmShapeItem>(true, TkmShapeType::stPolygon);
      s->SetPoints(tri);
      s->SetPen(MakePen(clBlack, 1, TPenStyle::psClear));
      s->SetBrush(grey);
      poly->GetShapes().push_back(std::move(s));
      e.AddDocumentItem(std::move(poly));
      e.Ellipse(0, 0, 30, 30, true);
    }
  });
  // An operator glued to a following number would read as one unknown word.
  EXPECT_FALSE(std::regex_search(text, std::regex("[A-Za-z*][0-9.+-]"))) << text;
  Audit();
}

void AddPolyDraw(TCaptureEngine& e, std::vector<TkmPoint> pts, std::vector<std::uint8_t> ops, int count) {
  auto item = std::make_unique<TkmPolyDrawItem>();
  item->SetNoPoints(count);
  item->GetPoints() = std::move(pts);
  item->GetOperations() = std::move(ops);
  e.AddDocumentItem(std::move(item));
}

TEST_F(GraphicsText, PolyDrawPointTypesAreBoundsChecked) {
  const TPen pen = Pen(clBlack, 1);
  const std::string text = Run([&](TCaptureEngine& e) {
    using P = TkmPathOperation;
    AddPath(e, P::poBeginPath);
    // Well formed: move, line, a closing Bezier segment.
    AddPolyDraw(e, {{0, 0}, {40, 0}, {40, 10}, {40, 20}, {0, 40}}, {6, 2, 4, 4, 5}, 5);
    // Malformed: a Bezier segment cut short, a count past the arrays.
    AddPolyDraw(e, {{1, 1}, {2, 2}, {3, 3}}, {6, 4, 4}, 3);
    AddPolyDraw(e, {{1, 1}, {2, 2}}, {6, 2}, 1000);
    AddPolyDraw(e, {{1, 1}, {2, 2}, {3, 3}}, {6, 2}, 3);
    // Unknown types are skipped.
    AddPolyDraw(e, {{7, 7}, {8, 8}}, {0x40, 6}, 2);
    AddPath(e, P::poEndPath);
    AddPath(e, P::poStrokePath, &pen);
  });
  EXPECT_EQ(text,
            "\r\n[]0 d 0 j 0 J 0.7500 w 0.0000 0.0000 0.0000 RG \r\n"
            "0.0000 792.0000 m \r\n30.0000 792.0000 l \r\n"
            "30.0000 784.5000 30.0000 777.0000 0.0000 762.0000 c "
            "6.0000 786.0000 m \r\ns\r\n");
}

TEST_F(GraphicsText, PolyDrawOutsideAPathDrawsNothing) {
  const std::string text = Run([](TCaptureEngine& e) {
    AddPolyDraw(e, {{0, 0}, {40, 0}}, {6, 2}, 2);
  });
  EXPECT_EQ(text, "");
}

TEST_F(GraphicsText, PolyPolylinesNeverFillOpenFigures) {
  const std::string text = Run([](TCaptureEngine& e) {
    for (TkmShapeType type : {TkmShapeType::stPolyLine, TkmShapeType::stPolygon}) {
      auto item = std::make_unique<TkmPolyShapeItem>();
      for (int k = 0; k < 2; ++k) {
        auto s = std::make_unique<TkmShapeItem>(true, type);
        const TkmPoint pts[] = {{0.0 + 50 * k, 0}, {40.0 + 50 * k, 0}, {0.0 + 50 * k, 40}};
        s->SetPoints(pts);
        s->SetPen(Pen(clBlack, 1));
        s->SetBrush(Brush(clRed, TBrushStyle::bsFDiagonal));
        item->GetShapes().push_back(std::move(s));
      }
      e.AddDocumentItem(std::move(item));
    }
  });
  const std::size_t second = text.find("\r\nq\r\n", 2);
  ASSERT_NE(second, std::string::npos) << text;
  const std::string open = text.substr(0, second), closed = text.substr(second);
  EXPECT_EQ(open.find("scn"), std::string::npos) << open;
  EXPECT_NE(open.find(" l S\r\nQ"), std::string::npos) << open;
  EXPECT_NE(closed.find("/PFD scn n"), std::string::npos) << closed;
  EXPECT_NE(closed.find("0.0000 792.0000 l 37.5000 792.0000 m"), std::string::npos) << closed;
  EXPECT_NE(closed.find(" l s\r\nQ"), std::string::npos) << closed;
  Audit();
}

// ---- Clips ------------------------------------------------------------------

void AddClip(TCaptureEngine& e, std::uint32_t mode, std::vector<TkmIntRect> rects, bool restore = false,
             bool insert = false) {
  auto item = std::make_unique<TkmClipItem>();
  item->SetMode(mode);
  item->SetRestore(restore);
  item->SetFromInsert(insert);
  item->SetRects(static_cast<int>(rects.size()));
  for (std::size_t i = 0; i < rects.size(); ++i) item->PutRect(static_cast<int>(i), rects[i]);
  e.AddDocumentItem(std::move(item));
}

void AddEOF(TCaptureEngine& e) {
  auto item = std::make_unique<TkmEOFItem>();
  item->SetStatus(true);
  e.AddDocumentItem(std::move(item));
}

int Balance(const std::string& text) {
  std::istringstream in(text);
  std::string tok;
  int depth = 0;
  while (in >> tok) {
    if (tok == "q") ++depth;
    if (tok == "Q") --depth;
    if (depth < 0) return -1000;
  }
  return depth;
}

TEST_F(GraphicsText, ClipsOpenAndCloseOneLevelAndShapesInsideAreNotBracketed) {
  const std::string text = Run([](TCaptureEngine& e) {
    AddClip(e, 1, {{0, 0, 40, 40}});
    AddClip(e, 1, {{0, 0, 20, 20}});  // a second single rectangle changes nothing
    e.SetPen(Pen(clBlack, 1));
    e.Line(0, 0, 10, 10);
    AddClip(e, 1, {}, true);
  });
  EXPECT_EQ(text,
            " q 0.0000 792.0000 m \r\n30.0000 792.0000 l \r\n30.0000 762.0000 l \r\n0.0000 762.0000 l \r\n"
            "0.0000 792.0000 l \r\n W* n \r\n"
            "\r\n[]0 d 0 j 0 J 0.7500 w 0.0000 0.0000 0.0000 RG 0.0000 792.0000 m 7.5000 784.5000 l S\r\n"
            " Q \r\n");
}

TEST_F(GraphicsText, EveryClipPushIsMatchedByItsPop) {
  struct Case {
    const char* name;
    std::function<void(TCaptureEngine&)> items;
  };
  const TkmIntRect a{0, 0, 40, 40}, b{50, 0, 90, 40}, c{0, 50, 40, 90};
  const std::vector<Case> cases = {
      {"nested multi-rectangle clips, one restore",
       [&](auto& e) {
         AddClip(e, 1, {a});
         AddClip(e, 1, {a, b, c});
         AddClip(e, 1, {a, b, c});
         AddClip(e, 1, {}, true);
       }},
      {"nested clips closed by the end of the metafile",
       [&](auto& e) {
         AddClip(e, 1, {a});
         AddClip(e, 1, {a, b, c});
         AddClip(e, 1, {b}, false, true);
         AddEOF(e);
       }},
      {"clips left open at the page end", [&](auto& e) {
         AddClip(e, 5, {a});
         AddClip(e, 1, {a, b, c});
         AddClip(e, 1, {c}, false, true);
         AddClip(e, 1, {b}, false, true);
       }},
      {"insert clips replace each other, ordinary clips close them", [&](auto& e) {
         AddClip(e, 1, {b}, false, true);
         AddClip(e, 1, {c}, false, true);
         AddClip(e, 1, {a});
         AddClip(e, 1, {}, true, true);
         AddClip(e, 1, {}, true);
         AddClip(e, 1, {}, true);
       }},
      {"clips with no rectangles read nothing", [&](auto& e) {
         AddClip(e, 1, {});
         AddClip(e, 1, {}, false, true);
         AddClip(e, 3, {a});
       }},
  };
  std::string files;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    const std::string file = dir + "/clip" + std::to_string(i) + ".pdf";
    auto e = NewEngine(file);
    e->BeginDoc();
    cases[i].items(*e);
    e->SetPen(Pen(clRed, 2));
    e->Rectangle(5, 5, 80, 80, false);
    e->EndDoc();
    const std::string content = e->Contents.at(0);
    // Open levels at the page end are closed by the tail, after this capture.
    const int open = Balance(content);
    EXPECT_GE(open, 1) << content;  // at least the page's own scale
    const std::string bytes = ReadWholeFile(file);
    const std::size_t s = bytes.find("stream\r\n") + 8;
    EXPECT_EQ(Balance(bytes.substr(s, bytes.find("endstream", s) - s)), 0) << content;
    files += " " + ShellQuote(file);
  }
  const CommandResult parsed =
      RunCommand("/usr/bin/python3 " + ShellQuote(std::string(KM_SOURCE_DIR) + "/tests/pdf/check_content.py") + files);
  EXPECT_EQ(parsed.ExitCode, 0) << parsed.Output;
  const CommandResult audit = RunCommand(ShellQuote(std::string(KM_TOOLS_DIR) + "/pdf-audit") + files);
  EXPECT_EQ(audit.ExitCode, 0) << audit.Output;
}

TEST_F(GraphicsText, AClipWithNoRectanglesWritesNothing) {
  const std::string text = Run([](TCaptureEngine& e) {
    AddClip(e, 1, {});
    AddClip(e, 1, {}, false, true);
  });
  EXPECT_EQ(text, "");
}

// ---- Background -------------------------------------------------------------

TEST_F(GraphicsText, BackgroundColourCoversThePageAtAnyInputResolution) {
  for (int res : {96, 384}) {
    SCOPED_TRACE(res);
    auto e = NewEngine(path, res);
    e->SetBackgroundColor(clYellow);
    e->BeginDoc();
    e->EndDoc();
    const std::string w = res == 96 ? "612.0000 792.0000" : "2448.0000 3168.0000";
    EXPECT_NE(e->Contents.at(0).find("1.0000 1.0000 0.0000 rg n 0.0000 0.0000 " + w + " re f \r\n"),
              std::string::npos)
        << e->Contents.at(0);
  }
  auto e = NewEngine(path);
  e->SetBackgroundColor(clNone);
  e->BeginDoc();
  e->EndDoc();
  EXPECT_EQ(e->Contents.at(0), "q 1.0000 0 0 1.0000 0 0 cm\r\n\r\nq\r\n\r\nQ ");
}

}  // namespace
}  // namespace km
