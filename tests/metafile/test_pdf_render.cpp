// Metafiles played into PDFs and rendered back with poppler: shapes land at
// the expected pixels, and a drawing recorded at the screen resolution and at
// four times that renders alike.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "../pdf/pdf_tools.h"
#include "MetafileTestKit.h"
#include "kmByteReader.h"
#include "kmEmfReader.h"
#include "kmEmfTypes.h"
#include "kmPDFEng.h"

namespace km::test {
namespace {

namespace fs = std::filesystem;
using km::testing::RunCommand;
using km::testing::ShellQuote;
using namespace km::emf;

struct Raster {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
  std::uint32_t At(int x, int y) const {  // 0xRRGGBB
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return (rgb[i] << 16) | (rgb[i + 1] << 8) | rgb[i + 2];
  }
};

// Reads a binary PPM (P6, maxval 255) as pdftoppm writes it.
Raster ReadPpm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maxval = 0;
  Raster r;
  in >> magic >> r.width >> r.height >> maxval;
  in.get();
  if (magic != "P6" || maxval != 255 || r.width <= 0 || r.height <= 0) return {};
  r.rgb.resize(static_cast<std::size_t>(r.width) * r.height * 3);
  in.read(reinterpret_cast<char*>(r.rgb.data()), static_cast<std::streamsize>(r.rgb.size()));
  return r;
}

// Writes one page holding the metafile at the given input resolution and
// renders it with `pixelsPerNative` image pixels per native unit (96 per inch).
Raster PlayAndRender(const std::vector<std::uint8_t>& emf, int inputRes, const std::string& name,
                     int pixelsPerNative = 1, bool landscape = false) {
  const std::string dir = km::testing::MakeScratchDir("metafile-render-" + name);
  {
    TkmPDFEngine e;
    e.GetPreferences().SetShowSetupDialog(false);
    e.GetPreferences().SetOpenAfterCreate(false);
    e.SetInputXRes(inputRes);
    e.SetInputYRes(inputRes);
    if (landscape) e.GetPage().SetOrientation(TPrinterOrientation::poLandscape);
    e.SetFileName(dir + "/page.pdf");
    e.BeginDoc();
    TMetafile mf;
    mf.LoadFromBytes(emf);
    e.PlayMetafile(mf);
    e.EndDoc();
  }
  const std::string pdf = dir + "/page.pdf";
  const auto audit = RunCommand(std::string(KM_TOOLS_DIR) + "/pdf-audit " + ShellQuote(pdf));
  EXPECT_EQ(audit.ExitCode, 0) << audit.Output;
  const auto render = RunCommand("pdftoppm -r " + std::to_string(96 * pixelsPerNative) +
                                 " -singlefile -aa no -aaVector no " + ShellQuote(pdf) + " " +
                                 ShellQuote(dir + "/page"));
  EXPECT_EQ(render.ExitCode, 0) << render.Output;
  return ReadPpm(dir + "/page.ppm");
}

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool Ink(std::uint32_t c) {
  const int r = c >> 16, g = (c >> 8) & 0xFF, b = c & 0xFF;
  return r + g + b < 3 * 235;  // anything clearly darker than paper
}

// The share of `a`'s inked pixels that have ink in `b` within `radius`
// pixels, with b's pixel (x - dx, y - dy) standing for a's pixel (x, y).
double InkCovered(const Raster& a, const Raster& b, int dx, int dy, int radius) {
  std::size_t inked = 0, covered = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      if (!Ink(a.At(x, y))) continue;
      ++inked;
      bool found = false;
      for (int v = -radius; v <= radius && !found; ++v)
        for (int u = -radius; u <= radius && !found; ++u) {
          const int bx = x - dx + u, by = y - dy + v;
          found = bx >= 0 && by >= 0 && bx < b.width && by < b.height && Ink(b.At(bx, by));
        }
      if (found) ++covered;
    }
  return inked ? static_cast<double>(covered) / inked : 0.0;
}

constexpr std::uint32_t kWhite = 0xFFFFFF, kRed = 0xC80000, kBlue = 0x0000DC;

// The libEMF fixture: a blue rectangle with a red outline 3 pixels wide at
// (10, 10)-(110, 60), a blue ellipse in (120, 10)-(180, 70), a red polyline
// and a red line from (0, 0) to (50, 50).
TEST(MetafilePdf, IndependentFixtureRendersItsShapes) {
  ASSERT_TRUE(km::testing::HaveProgram("pdftoppm"));
  const Raster r = PlayAndRender(ReadBytes(KM_LIBEMF_FIXTURE), 96, "libemf");
  ASSERT_GT(r.width, 200);
  EXPECT_EQ(r.At(60, 40), kBlue);    // inside the rectangle
  EXPECT_EQ(r.At(60, 10), kRed);     // its top edge
  EXPECT_EQ(r.At(150, 40), kBlue);   // the ellipse's centre
  EXPECT_EQ(r.At(115, 40), kWhite);  // between the two
  EXPECT_EQ(r.At(5, 5), kRed);       // on the line
  EXPECT_EQ(r.At(35, 120), kRed);    // on the polyline's first segment
  EXPECT_EQ(r.At(300, 300), kWhite);
}

// The same drawing at 96 and at 384 pixels per inch (the report flow):
// positions, rounded corners, region fills and region clips come out alike,
// and pens drawn four times as wide at 384 are as wide on the page.
TEST(MetafilePdf, DrawingAtScreenAndFourTimesResolutionRendersAlike) {
  auto drawing = [](int k) {
    EmfBuilder b(8);
    b.Rec(EMR_CREATEPEN, {1, 0, 3 * k, 0, 0x0000C8}).Rec(EMR_SELECTOBJECT, {1});
    b.Rec(EMR_CREATEBRUSHINDIRECT, {2, 0, 0xDC0000, 0}).Rec(EMR_SELECTOBJECT, {2});
    b.Rec(EMR_ROUNDRECT, {10 * k, 10 * k, 110 * k, 80 * k, 30 * k, 30 * k});
    std::vector<std::int64_t> fill = {130 * k, 10 * k, 200 * k, 80 * k, 48, 2};
    auto region = RegionWords({{130 * k, 10 * k, 200 * k, 80 * k}});
    fill.insert(fill.end(), region.begin(), region.end());
    b.Rec(EMR_FILLRGN, fill);
    b.Rec(EMR_SAVEDC, {});
    std::vector<std::int64_t> clip = {64, RGN_AND};
    auto clipRegion = RegionWords({{10 * k, 100 * k, 60 * k, 150 * k}, {90 * k, 100 * k, 140 * k, 150 * k}});
    clip.insert(clip.end(), clipRegion.begin(), clipRegion.end());
    b.Rec(EMR_EXTSELECTCLIPRGN, clip);
    b.Rec(EMR_RECTANGLE, {0, 90 * k, 200 * k, 160 * k});
    b.Rec(EMR_RESTOREDC, {-1});
    return b.Bytes();
  };
  const Raster screen = PlayAndRender(drawing(1), 96, "res96");
  const Raster report = PlayAndRender(drawing(4), 384, "res384");
  ASSERT_EQ(screen.width, report.width);
  ASSERT_EQ(screen.height, report.height);
  std::size_t differing = 0, inked = 0;
  for (int y = 0; y < screen.height; ++y)
    for (int x = 0; x < screen.width; ++x) {
      if (screen.At(x, y) != report.At(x, y)) ++differing;
      if (screen.At(x, y) != kWhite) ++inked;
    }
  EXPECT_GT(inked, 10000u);
  EXPECT_LT(differing, inked / 50) << differing << " of " << inked;
  // The region clip keeps the gap between its two rectangles empty.
  EXPECT_EQ(screen.At(75, 125), kWhite);
  EXPECT_EQ(screen.At(35, 125), kBlue);
  EXPECT_EQ(screen.At(115, 125), kBlue);
  EXPECT_EQ(screen.At(165, 45), kBlue);  // the region fill
}

// Real metafiles against an independent reader: emf2svg-conv turns each into
// SVG (placed by the header's device bounds), mutool renders that, and the
// outlines and fills of our page must lie where the reference has ink.
struct ReferenceCase {
  const char* file;  // under the corpus's emf folder
  int inputRes;      // the reference device's resolution, so the drawing fits the page
  // The reference's ink must be ours as well: false where the file has text
  // (drawn by a later part of the interpreter) or where the reference is wrong.
  bool both;
};

class AgainstEmf2Svg : public ::testing::TestWithParam<ReferenceCase> {};

TEST_P(AgainstEmf2Svg, ShapesLandWhereTheReferenceDrawsThem) {
  ASSERT_TRUE(km::testing::HaveProgram("emf2svg-conv"));
  ASSERT_TRUE(km::testing::HaveProgram("mutool"));
  const ReferenceCase& c = GetParam();
  const fs::path file = fs::path(KM_CORPUS_DIR) / "emf" / c.file;
  const std::vector<std::uint8_t> bytes = ReadBytes(file);
  ASSERT_GT(bytes.size(), 88u) << file;
  const std::string name = fs::path(c.file).stem().string();
  constexpr int k = 4;  // image pixels per native unit
  const Raster ours = PlayAndRender(bytes, c.inputRes, name, k, true);
  const std::string dir = km::testing::MakeScratchDir("metafile-emf2svg-" + name);
  const auto svg = RunCommand("emf2svg-conv -i " + ShellQuote(file.string()) + " -o " + ShellQuote(dir + "/ref.svg"));
  ASSERT_EQ(svg.ExitCode, 0) << svg.Output;
  // mutool takes an SVG unit (a device pixel here) as a point.
  const double svgDpi = 72.0 * k * 96.0 / c.inputRes;
  const auto draw = RunCommand("mutool draw -q -A 0 -r " + std::to_string(svgDpi) + " -o " +
                               ShellQuote(dir + "/ref.ppm") + " " + ShellQuote(dir + "/ref.svg"));
  ASSERT_EQ(draw.ExitCode, 0) << draw.Output;
  const Raster ref = ReadPpm(dir + "/ref.ppm");
  ASSERT_GT(ref.width, 0);
  // emf2svg places the drawing by the header's device bounds, we by its
  // frame; the difference of their corners, in image pixels, is the shift.
  TEmfReader reader(bytes);
  TEmfRecord first;
  ASSERT_TRUE(reader.Next(first));
  const TEmfHeader h = ParseEmfHeader(first);
  const double pxPerMMX = h.Micrometers.cx > 0 ? h.Device.cx * 1000.0 / h.Micrometers.cx
                                               : static_cast<double>(h.Device.cx) / h.Millimeters.cx;
  const double pxPerMMY = h.Micrometers.cy > 0 ? h.Device.cy * 1000.0 / h.Micrometers.cy
                                               : static_cast<double>(h.Device.cy) / h.Millimeters.cy;
  const double toImage = k * 96.0 / c.inputRes;
  const int dx = static_cast<int>(std::lround((h.Bounds.Left - h.Frame.Left * pxPerMMX / 100.0) * toImage));
  const int dy = static_cast<int>(std::lround((h.Bounds.Top - h.Frame.Top * pxPerMMY / 100.0) * toImage));
  const int radius = k + 1;
  EXPECT_GT(InkCovered(ours, ref, dx, dy, radius), 0.95);
  if (c.both) {
    EXPECT_GT(InkCovered(ref, ours, -dx, -dy, radius), 0.9);
  }
}

INSTANTIATE_TEST_SUITE_P(Metafile, AgainstEmf2Svg,
                         ::testing::Values(ReferenceCase{"real/emf-test-008.emf", 96, true},
                                           ReferenceCase{"real/emf-test-026.emf", 96, true},
                                           ReferenceCase{"real/emf-test-132.emf", 96, true},
                                           // emf2svg fills the arrow's open stroke path as a solid shape
                                           ReferenceCase{"real/emf-test-186.emf", 96, false},
                                           ReferenceCase{"reference/test_mm_lometric_ref.emf", 1200, false},
                                           ReferenceCase{"reference/test_mm_isotropic_ref.emf", 1200, false}),
                         [](const auto& info) {
                           std::string name = fs::path(info.param.file).stem().string();
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
}  // namespace km::test
