// PDF graphics rendered by an independent reader: poppler's pdftoppm turns
// each page into pixels, which are sampled inside, outside and on the stroke
// of every shape of a table of shapes x pens x brushes x clips. The same
// table recorded at input resolution 96 and 384 must render alike; every file
// passes the audit and pikepdf's content parser with balanced q/Q.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
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

constexpr int kDpi = 144;  // two device pixels per point

struct Rgb {
  int r = 0, g = 0, b = 0;
};

std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "(" << c.r << "," << c.g << "," << c.b << ")";
}

constexpr Rgb kWhite{255, 255, 255}, kRed{255, 0, 0}, kBlue{0, 0, 255}, kYellow{255, 255, 0}, kGreen{0, 128, 0};

bool Near(const Rgb& a, const Rgb& b, int tolerance = 40) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

struct Image {
  int w = 0, h = 0;
  std::vector<unsigned char> px;
  Rgb At(int x, int y) const {
    if (x < 0 || y < 0 || x >= w || y >= h) return {-999, -999, -999};
    const std::size_t i = (static_cast<std::size_t>(y) * w + x) * 3;
    return {px[i], px[i + 1], px[i + 2]};
  }
  // The pixel under native page position (x, y) (0.75 points per native pixel).
  Rgb Native(double x, double y) const {
    return At(static_cast<int>(x * 0.75 * kDpi / 72), static_cast<int>(y * 0.75 * kDpi / 72));
  }
};

// Renders one page without anti-aliasing and reads the binary PPM back.
Image Render(const std::string& pdf, int page) {
  const std::string prefix = pdf + "-p" + std::to_string(page);
  const CommandResult r = RunCommand("pdftoppm -r " + std::to_string(kDpi) + " -aa no -aaVector no -f " +
                                     std::to_string(page) + " -l " + std::to_string(page) + " -singlefile " +
                                     ShellQuote(pdf) + " " + ShellQuote(prefix));
  Image img;
  EXPECT_EQ(r.ExitCode, 0) << r.Output;
  const std::string bytes = ReadWholeFile(prefix + ".ppm");
  int maxv = 0, consumed = 0;
  if (std::sscanf(bytes.c_str(), "P6 %d %d %d%n", &img.w, &img.h, &maxv, &consumed) != 3) {
    ADD_FAILURE() << "not a PPM: " << prefix;
    return img;
  }
  img.px.assign(bytes.begin() + consumed + 1, bytes.end());
  EXPECT_EQ(img.px.size(), static_cast<std::size_t>(img.w) * img.h * 3);
  return img;
}

std::unique_ptr<TkmPDFEngine> NewEngine(const std::string& path, int res) { return NewLetterEngine(path, res); }

void RunCheckers(const std::string& files) {
  const CommandResult audit = RunCommand(ShellQuote(std::string(KM_TOOLS_DIR) + "/pdf-audit") + files);
  EXPECT_EQ(audit.ExitCode, 0) << audit.Output;
  const CommandResult parsed =
      RunCommand("/usr/bin/python3 " + ShellQuote(std::string(KM_SOURCE_DIR) + "/tests/pdf/check_content.py") + files);
  EXPECT_EQ(parsed.ExitCode, 0) << parsed.Output;
}

// ---- The table ----------------------------------------------------------------

// One filled shape in a 120 x 120 cell at (ox, oy), in native pixels; s scales
// native pixels to the input resolution.
struct FilledShape {
  const char* name;
  std::function<void(TkmPDFEngine&, double ox, double oy, double s)> draw;
  double inX, inY, strokeX, strokeY;  // offsets in the cell
};

const std::vector<FilledShape>& FilledShapes() {
  static const std::vector<FilledShape> shapes = {
      {"rectangle", [](auto& e, double x, double y, double s) { e.Rectangle(s * (x + 20), s * (y + 20), s * (x + 100), s * (y + 80), true); },
       60, 50, 20, 50},
      {"round rectangle",
       [](auto& e, double x, double y, double s) { e.RoundRect(s * (x + 20), s * (y + 20), s * (x + 100), s * (y + 80), s * 20, s * 20, true); },
       60, 50, 20, 50},
      {"ellipse", [](auto& e, double x, double y, double s) { e.Ellipse(s * (x + 20), s * (y + 20), s * (x + 100), s * (y + 80), true); },
       60, 50, 20, 50},
      {"polygon",
       [](auto& e, double x, double y, double s) {
         const TkmPoint d[] = {{s * (x + 60), s * (y + 20)}, {s * (x + 100), s * (y + 50)}, {s * (x + 60), s * (y + 80)}, {s * (x + 20), s * (y + 50)}};
         e.Polygon(d, true);
       },
       60, 50, 40, 35},
      // The right half of the box: from the ray through the bottom counter-clockwise to the top.
      {"pie",
       [](auto& e, double x, double y, double s) {
         e.Pie(s * (x + 20), s * (y + 20), s * (x + 100), s * (y + 80), s * (x + 60), s * (y + 80), s * (x + 60), s * (y + 20), true);
       },
       80, 50, 100, 50},
      {"chord",
       [](auto& e, double x, double y, double s) {
         e.Chord(s * (x + 20), s * (y + 20), s * (x + 100), s * (y + 80), s * (x + 60), s * (y + 80), s * (x + 60), s * (y + 20), true);
       },
       80, 50, 100, 50},
  };
  return shapes;
}

struct StrokeShape {
  const char* name;
  std::function<void(TkmPDFEngine&, double ox, double oy, double s)> draw;
  double onX, onY, offX, offY;
};

const std::vector<StrokeShape>& StrokeShapes() {
  static const std::vector<StrokeShape> shapes = {
      {"line", [](auto& e, double x, double y, double s) { e.Line(s * (x + 20), s * (y + 50), s * (x + 100), s * (y + 50)); }, 60, 50, 60, 70},
      {"polyline",
       [](auto& e, double x, double y, double s) {
         const TkmPoint p[] = {{s * (x + 20), s * (y + 20)}, {s * (x + 100), s * (y + 20)}, {s * (x + 100), s * (y + 80)}};
         e.PolyLine(p);
       },
       60, 20, 60, 50},
      {"arc",  // the upper half, from the right end to the left end
       [](auto& e, double x, double y, double s) {
         e.Arc(s * (x + 20), s * (y + 20), s * (x + 100), s * (y + 80), s * (x + 100), s * (y + 50), s * (x + 20), s * (y + 50));
       },
       60, 20, 60, 80},
      {"bezier",
       [](auto& e, double x, double y, double s) {
         const TkmPoint p[] = {{s * (x + 20), s * (y + 50)}, {s * (x + 40), s * (y + 50)}, {s * (x + 80), s * (y + 50)}, {s * (x + 100), s * (y + 50)}};
         e.PolyBezier(p);
       },
       60, 50, 60, 30},
  };
  return shapes;
}

struct PenCase {
  const char* name;
  TPen pen;  // width in native pixels
};
struct BrushCase {
  const char* name;
  TBrush brush;
};

const std::vector<PenCase> kPens = {{"solid red pen", MakePen(clRed, 4)},
                                    {"clear pen", MakePen(clRed, 4, TPenStyle::psClear)}};
const std::vector<BrushCase> kBrushes = {{"solid blue brush", MakeBrush(clBlue)},
                                         {"clear brush", MakeBrush(clBlue, TBrushStyle::bsClear)}};

double CellX(std::size_t col) { return 20 + 130.0 * static_cast<double>(col); }
double CellY(std::size_t row) { return 20 + 130.0 * static_cast<double>(row); }

// Rows 0-3: pens x brushes over the filled shapes; rows 4-5: the stroked
// shapes with each pen. Page 1 has no clip; page 2 the same table under a
// clip that keeps only rows 0 and 1.
constexpr double kClipBottom = 20 + 130 * 2 - 5;

void DrawTable(TkmPDFEngine& e, double s) {
  std::size_t row = 0;
  for (const PenCase& p : kPens)
    for (const BrushCase& b : kBrushes) {
      TPen pen = p.pen;
      pen.SetWidth(static_cast<int>(pen.GetWidth() * s));
      e.SetPen(pen);
      e.SetBrush(b.brush);
      for (std::size_t col = 0; col < FilledShapes().size(); ++col) FilledShapes()[col].draw(e, CellX(col), CellY(row), s);
      ++row;
    }
  for (const PenCase& p : kPens) {
    TPen pen = p.pen;
    pen.SetWidth(static_cast<int>(pen.GetWidth() * s));
    e.SetPen(pen);
    for (std::size_t col = 0; col < StrokeShapes().size(); ++col) StrokeShapes()[col].draw(e, CellX(col), CellY(row), s);
    ++row;
  }
}

void AddClip(TkmPDFEngine& e, bool restore) {
  auto clip = std::make_unique<TkmClipItem>();
  clip->SetMode(1);
  clip->SetRestore(restore);
  if (!restore) {
    clip->SetRects(1);
    clip->PutRect(0, {0, 0, 816, static_cast<int>(kClipBottom)});
  }
  e.AddDocumentItem(std::move(clip));
}

std::string WriteTable(const std::string& dir, int res) {
  const std::string path = dir + "/table" + std::to_string(res) + ".pdf";
  auto e = NewEngine(path, res);
  const double s = res / 96.0;
  e->BeginDoc();
  DrawTable(*e, s);
  e->NewPage();
  AddClip(*e, false);
  DrawTable(*e, s);
  AddClip(*e, true);
  e->EndDoc();
  return path;
}

void CheckTable(const Image& img, bool clipped, const std::string& what) {
  std::size_t row = 0;
  for (const PenCase& p : kPens)
    for (const BrushCase& b : kBrushes) {
      const bool visible = !clipped || CellY(row) + 120 < kClipBottom;
      const bool stroke = p.pen.GetStyle() != TPenStyle::psClear && visible;
      const bool fill = b.brush.GetStyle() != TBrushStyle::bsClear && visible;
      for (std::size_t col = 0; col < FilledShapes().size(); ++col) {
        const FilledShape& f = FilledShapes()[col];
        SCOPED_TRACE(what + ": " + f.name + ", " + p.name + ", " + b.name);
        const double x = CellX(col), y = CellY(row);
        EXPECT_PRED3(Near, img.Native(x + f.inX, y + f.inY), fill ? kBlue : kWhite, 40)
            << "inside " << img.Native(x + f.inX, y + f.inY);
        EXPECT_PRED3(Near, img.Native(x + 6, y + 6), kWhite, 40) << "outside";
        if (std::string(f.name) == "pie" || std::string(f.name) == "chord") {
          EXPECT_PRED3(Near, img.Native(x + 40, y + 50), kWhite, 40) << "outside the half";
        }
        if (stroke) {
          EXPECT_PRED3(Near, img.Native(x + f.strokeX, y + f.strokeY), kRed, 40) << "stroke";
        }
        if (!stroke && !fill) {
          EXPECT_PRED3(Near, img.Native(x + f.strokeX, y + f.strokeY), kWhite, 40) << "nothing";
        }
      }
      ++row;
    }
  for (const PenCase& p : kPens) {
    const bool stroke = p.pen.GetStyle() != TPenStyle::psClear && !clipped;
    for (std::size_t col = 0; col < StrokeShapes().size(); ++col) {
      const StrokeShape& sh = StrokeShapes()[col];
      SCOPED_TRACE(what + ": " + sh.name + ", " + p.name);
      const double x = CellX(col), y = CellY(row);
      EXPECT_PRED3(Near, img.Native(x + sh.onX, y + sh.onY), stroke ? kRed : kWhite, 40) << "on the stroke";
      EXPECT_PRED3(Near, img.Native(x + sh.offX, y + sh.offY), kWhite, 40) << "off the stroke";
    }
    ++row;
  }
}

TEST(GraphicsRender, ShapesPensBrushesAndClipsRenderAtBothInputResolutions) {
  ASSERT_TRUE(HaveProgram("pdftoppm")) << "pdftoppm (poppler-utils) is needed";
  ScopedScreenResolution screen(96, 96);
  const std::string dir = MakeScratchDir("pdf-graphics-render");
  const std::string at96 = WriteTable(dir, 96), at384 = WriteTable(dir, 384);
  std::vector<Image> pages96, pages384;
  for (int page = 1; page <= 2; ++page) {
    pages96.push_back(Render(at96, page));
    pages384.push_back(Render(at384, page));
    CheckTable(pages96.back(), page == 2, "96 dpi page " + std::to_string(page));
    CheckTable(pages384.back(), page == 2, "384 dpi page " + std::to_string(page));
  }
  // Alike: the two recordings differ in at most a sliver of edge pixels.
  for (std::size_t p = 0; p < 2; ++p) {
    ASSERT_EQ(pages96[p].px.size(), pages384[p].px.size());
    std::size_t differ = 0;
    for (int y = 0; y < pages96[p].h; ++y)
      for (int x = 0; x < pages96[p].w; ++x)
        if (!Near(pages96[p].At(x, y), pages384[p].At(x, y), 60)) ++differ;
    EXPECT_LT(differ, pages96[p].px.size() / 3 / 200) << "page " << p + 1 << ": " << differ << " pixels differ";
  }
  RunCheckers(" " + ShellQuote(at96) + " " + ShellQuote(at384));
}

TEST(GraphicsRender, HatchAndSemiTransparentFillsRenderAsSuch) {
  ASSERT_TRUE(HaveProgram("pdftoppm")) << "pdftoppm (poppler-utils) is needed";
  ScopedScreenResolution screen(96, 96);
  const std::string dir = MakeScratchDir("pdf-graphics-hatch");
  const std::string hatch = dir + "/hatch.pdf", glass = dir + "/glass.pdf";
  {
    auto e = NewEngine(hatch, 96);
    e->BeginDoc();
    e->SetPen(MakePen(clBlack, 1, TPenStyle::psClear));
    e->SetBrush(MakeBrush(clRed, TBrushStyle::bsCross));
    e->Rectangle(100, 100, 400, 300, true);
    e->EndDoc();
  }
  {
    auto e = NewEngine(glass, 96);
    e->GetLineArtSettings().SetOpacity(50);
    e->BeginDoc();
    e->SetPen(MakePen(clBlack, 1, TPenStyle::psClear));
    e->SetBrush(MakeBrush(clBlue));
    e->Rectangle(100, 100, 300, 300, true);
    e->Rectangle(200, 100, 400, 300, true);  // overlaps the first between x 200 and 300
    e->EndDoc();
  }
  const Image h = Render(hatch, 1);
  std::size_t red = 0, white = 0, other = 0;
  for (double y = 110; y < 290; y += 0.5)
    for (double x = 110; x < 390; x += 0.5) {
      const Rgb c = h.Native(x, y);
      // Hatch lines are thin: poppler paints them in lighter shades of the brush's red.
      if (Near(c, kWhite, 10)) ++white;
      else if (c.r >= 240 && c.g <= 200 && std::abs(c.g - c.b) <= 10) ++red;
      else ++other;
    }
  const double total = static_cast<double>(red + white + other);
  EXPECT_GT(red / total, 0.05) << red << " red of " << total;
  EXPECT_GT(white / total, 0.3) << white << " white of " << total;
  EXPECT_EQ(other, 0u);
  EXPECT_PRED3(Near, h.Native(50, 50), kWhite, 10);
  EXPECT_PRED3(Near, h.Native(450, 200), kWhite, 10);

  const Image g = Render(glass, 1);
  EXPECT_PRED3(Near, g.Native(150, 200), (Rgb{128, 128, 255}), 20) << g.Native(150, 200);
  EXPECT_PRED3(Near, g.Native(250, 200), (Rgb{64, 64, 255}), 20) << g.Native(250, 200);
  EXPECT_PRED3(Near, g.Native(350, 200), (Rgb{128, 128, 255}), 20) << g.Native(350, 200);
  RunCheckers(" " + ShellQuote(hatch) + " " + ShellQuote(glass));
}

// ---- Background -------------------------------------------------------------------

// An engine whose background picture becomes a plain RGB image object, as
// the image writer would make it.
class TBackgroundEngine : public TkmPDFEngine {
 protected:
  int WriteBackgroundImageObject(const TGraphic& picture) override {
    const auto* bmp = dynamic_cast<const TBitmap*>(&picture);
    if (bmp == nullptr) return -1;
    std::string data;
    for (int y = 0; y < bmp->GetHeight(); ++y)
      for (int x = 0; x < bmp->GetWidth(); ++x) {
        const TColor c = bmp->GetPixel(x, y);
        data += static_cast<char>(GetRValue(c));
        data += static_cast<char>(GetGValue(c));
        data += static_cast<char>(GetBValue(c));
      }
    const int obj = GetNewObjNo();
    TkmPDFObjectWriter& w = GetObjectWriter();
    w.WriteDeferredObj("/Type/XObject/Subtype/Image/Width " + std::to_string(bmp->GetWidth()) + "/Height " +
                           std::to_string(bmp->GetHeight()) + "/ColorSpace/DeviceRGB/BitsPerComponent 8/Length " +
                           std::to_string(data.size()) + "\r\n",
                       obj, false);
    w.WriteDeferred("stream\r\n" + data + "\r\nendstream\r\nendobj\r\n");
    return obj;
  }
};

// A picture whose left half is red and right half green.
TBitmap HalfAndHalf(int w, int h) {
  TBitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, x < w / 2 ? clRed : TColor(0x008000));
  return b;
}

std::string WriteBackground(const std::string& path, int res, const TBitmap& picture, TkmBackgroundDisplayType type,
                            int pages = 1) {
  auto e = NewLetterEngine<TBackgroundEngine>(path, res);
  e->SetMeasurementUnit(TkmUnitType::muInches);
  e->SetBackgroundColor(clYellow);
  e->SetBackgroundImage(&picture);
  e->SetBackgroundImageDisplayType(type);
  e->BeginDoc();
  for (int p = 1; p < pages; ++p) e->NewPage();
  e->EndDoc();
  return path;
}

// The colour at page point (x, y), y measured from the top edge.
Rgb AtPoint(const Image& img, double x, double y) { return img.At(static_cast<int>(x * kDpi / 72), static_cast<int>(y * kDpi / 72)); }

TEST(GraphicsRender, BackgroundCoversThePageAtAnyInputResolution) {
  ASSERT_TRUE(HaveProgram("pdftoppm")) << "pdftoppm (poppler-utils) is needed";
  ScopedScreenResolution screen(96, 96);
  const std::string dir = MakeScratchDir("pdf-graphics-background");
  const TBitmap picture = HalfAndHalf(100, 50);
  std::string files;
  for (int res : {96, 384}) {
    SCOPED_TRACE(res);
    const std::string path =
        WriteBackground(dir + "/centre" + std::to_string(res) + ".pdf", res, picture, TkmBackgroundDisplayType::dtCenter, 2);
    files += " " + ShellQuote(path);
    for (int page = 1; page <= 2; ++page) {
      const Image img = Render(path, page);
      // The colour reaches every corner of the page.
      for (auto [x, y] : std::initializer_list<std::pair<double, double>>{{1, 1}, {610, 1}, {1, 790}, {610, 790}})
        EXPECT_PRED3(Near, AtPoint(img, x, y), kYellow, 10) << x << "," << y;
      // The 100 x 50 point picture sits in the middle of the 612 x 792 page.
      EXPECT_PRED3(Near, AtPoint(img, 281, 396), kRed, 10) << AtPoint(img, 281, 396);
      EXPECT_PRED3(Near, AtPoint(img, 331, 396), kGreen, 10) << AtPoint(img, 331, 396);
      EXPECT_PRED3(Near, AtPoint(img, 250, 396), kYellow, 10);
      EXPECT_PRED3(Near, AtPoint(img, 306, 365), kYellow, 10);
    }
  }
  RunCheckers(files);
}

TEST(GraphicsRender, ABackgroundPictureLargerThanThePageKeepsItsProportions) {
  ASSERT_TRUE(HaveProgram("pdftoppm")) << "pdftoppm (poppler-utils) is needed";
  ScopedScreenResolution screen(96, 96);
  const std::string dir = MakeScratchDir("pdf-graphics-background-large");
  // 1000 x 500 points on a 612-point-wide page: shrunk to 612 x 306 at the top.
  const std::string path =
      WriteBackground(dir + "/large.pdf", 96, HalfAndHalf(1000, 500), TkmBackgroundDisplayType::dtTopLeft);
  const Image img = Render(path, 1);
  EXPECT_PRED3(Near, AtPoint(img, 290, 150), kRed, 10) << AtPoint(img, 290, 150);
  EXPECT_PRED3(Near, AtPoint(img, 320, 150), kGreen, 10) << AtPoint(img, 320, 150);
  EXPECT_PRED3(Near, AtPoint(img, 300, 300), kRed, 10) << AtPoint(img, 300, 300);
  EXPECT_PRED3(Near, AtPoint(img, 300, 312), kYellow, 10) << AtPoint(img, 300, 312);

  const std::string tiled =
      WriteBackground(dir + "/tiled.pdf", 96, HalfAndHalf(100, 50), TkmBackgroundDisplayType::dtTile);
  const Image t = Render(tiled, 1);
  // Tiles repeat over the whole page, from its lower left corner.
  EXPECT_PRED3(Near, AtPoint(t, 25, 790), kRed, 10);
  EXPECT_PRED3(Near, AtPoint(t, 575, 20), kGreen, 10) << AtPoint(t, 575, 20);
  EXPECT_PRED3(Near, AtPoint(t, 525, 20), kRed, 10) << AtPoint(t, 525, 20);
  RunCheckers(" " + ShellQuote(path) + " " + ShellQuote(tiled));
}

}  // namespace
}  // namespace km
