// Real metafiles nobody here wrote: every file of the shared corpus, and the
// fixture written with libEMF, goes through the interpreter; the damaged ones
// end cleanly. Every one also plays into a PDF that the strict audit accepts.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "../pdf/pdf_tools.h"
#include "MetafileTestKit.h"
#include "kmPDFEng.h"

namespace km::test {
namespace {

namespace fs = std::filesystem;
using km::testing::RunCommand;
using km::testing::ShellQuote;

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<fs::path> CorpusFiles(const std::string& folder) {
  const fs::path dir = fs::path(KM_CORPUS_DIR) / "emf" / folder;
  std::vector<fs::path> files;
  if (fs::is_directory(dir))
    for (const auto& entry : fs::directory_iterator(dir))
      if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

const fs::path kLibEmfFixture = KM_LIBEMF_FIXTURE;

// Items never carry a non-finite number (Describe prints those as "nan").
void ExpectSaneItems(const std::vector<std::string>& items, const std::string& file) {
  for (const std::string& line : items) EXPECT_EQ(line.find("nan"), std::string::npos) << file << ": " << line;
}

TEST(MetafileCorpus, RealAndReferenceFilesInterpretCompletely) {
  std::vector<fs::path> files = CorpusFiles("real");
  const auto reference = CorpusFiles("reference");
  files.insert(files.end(), reference.begin(), reference.end());
  ASSERT_GE(files.size(), 100u) << "the shared corpus is missing under " << KM_CORPUS_DIR;
  std::size_t withItems = 0;
  for (const fs::path& file : files) {
    ItemsFixture fx;
    const auto items = fx.Run(ReadBytes(file));
    ExpectSaneItems(items, file.filename().string());
    EXPECT_NE(fx.LastResult.Status, TEmfReadStatus::rsNotEmf) << file;
    ASSERT_FALSE(items.empty()) << file;
    EXPECT_EQ(items.back(), "EOF") << file;
    if (items.size() > 1) ++withItems;
  }
  // Nearly every real file draws shapes, paths or clips, not only text and bitmaps.
  EXPECT_GE(withItems, files.size() * 3 / 4);
}

TEST(MetafileCorpus, DamagedFilesEndCleanly) {
  const auto files = CorpusFiles("corrupted");
  ASSERT_FALSE(files.empty()) << "the shared corpus is missing under " << KM_CORPUS_DIR;
  for (const fs::path& file : files) {
    ItemsFixture fx;
    const auto items = fx.Run(ReadBytes(file));
    ExpectSaneItems(items, file.filename().string());
    // Either the walk stopped with a reason, or what could be read ended with an end item.
    if (fx.LastResult.Status != TEmfReadStatus::rsComplete) {
      EXPECT_FALSE(fx.LastResult.Error.empty()) << file;
    }
    if (!items.empty()) {
      EXPECT_EQ(items.back(), "EOF") << file;
    }
  }
}

// The libEMF fixture: a red-outlined blue rectangle, an ellipse, a polyline
// and a line, recorded by an independent producer at the screen resolution.
TEST(MetafileCorpus, IndependentProducerFixture) {
  ASSERT_TRUE(fs::exists(kLibEmfFixture)) << kLibEmfFixture;
  ItemsFixture fx;
  const auto items = fx.Run(ReadBytes(kLibEmfFixture));
  EXPECT_EQ(fx.LastResult.Status, TEmfReadStatus::rsComplete);
  const std::vector<std::string> shapes(items.begin(), items.begin() + std::min<std::size_t>(items.size(), 4));
  EXPECT_EQ(shapes, (std::vector<std::string>{"Rectangle 10,10 111,61 P0000C8/3 BDC0000",
                                              "Ellipse 120,10 180,70 P0000C8/3 BDC0000",
                                              "PolyLine 10,100 60,140 110,100 160,140 P0000C8/3",
                                              "Line 0,0 50,50 P0000C8/3"}));
}

// All points of the shape-like items, in item order.
std::vector<TkmPoint> ItemPoints(const TkmItemList& items) {
  std::vector<TkmPoint> points;
  for (const auto& item : items) {
    if (auto* s = dynamic_cast<const TkmShapeItem*>(item.get())) {
      const auto& p = s->GetPoints();
      // A rounded rectangle's third point is its corner size, not a position.
      points.insert(points.end(), p.begin(), p.begin() + (s->GetShapeType() == TkmShapeType::stRoundRect ? 2 : p.size()));
    } else if (auto* pp = dynamic_cast<const TkmPolyPolygonItem*>(item.get())) {
      points.insert(points.end(), pp->GetPointArray().begin(), pp->GetPointArray().end());
    } else if (auto* ps = dynamic_cast<const TkmPolyShapeItem*>(item.get())) {
      for (const auto& shape : ps->GetShapes()) points.insert(points.end(), shape->GetPoints().begin(), shape->GetPoints().end());
    }
  }
  return points;
}

// The reference set draws one picture in each of the eight mapping modes
// (with y flipped in the fixed modes, and other windows and viewports): every
// mode must put every shape where the plain text mode puts it.
TEST(MetafileCorpus, EveryMappingModeDrawsTheSamePicture) {
  const fs::path dir = fs::path(KM_CORPUS_DIR) / "emf" / "reference";
  ItemsFixture base;
  base.Run(ReadBytes(dir / "test_mm_text_ref.emf"));
  const std::vector<TkmPoint> expected = ItemPoints(base.Items());
  ASSERT_GT(expected.size(), 20u);
  for (const char* mode : {"lometric", "himetric", "loenglish", "hienglish", "twips", "isotropic", "anisotropic"}) {
    SCOPED_TRACE(mode);
    ItemsFixture fx;
    fx.Run(ReadBytes(dir / ("test_mm_" + std::string(mode) + "_ref.emf")));
    const std::vector<TkmPoint> points = ItemPoints(fx.Items());
    ASSERT_EQ(points.size(), expected.size());
    double worst = 0;
    for (std::size_t i = 0; i < points.size(); ++i)
      worst = std::max({worst, std::fabs(points[i].X - expected[i].X), std::fabs(points[i].Y - expected[i].Y)});
    // The drawing spans 14031 x 9921 device pixels. The coarsest mode's unit,
    // 0.01 inch, is 12 of them on this 1200-dpi reference device; rounding the
    // positions and the window origin to it costs up to one unit.
    EXPECT_LT(worst, 12.5);
  }
}

// A drawing whose frame lies above the device origin (y up), with a header
// that keeps its description where the micrometre sizes could be: every
// point lands inside the frame, i.e. on the page.
TEST(MetafileCorpus, ShapesLandInsideTheirFrame) {
  const fs::path file = fs::path(KM_CORPUS_DIR) / "emf" / "real" / "emf-test-152.emf";
  ItemsFixture fx;
  fx.Run(ReadBytes(file));
  const std::vector<TkmPoint> points = ItemPoints(fx.Items());
  ASSERT_GT(points.size(), 10u);
  // The frame: (2313, -22219)-(10188, -16094) in 0.01 mm, 3.2 device pixels per mm.
  for (const TkmPoint& p : points) {
    EXPECT_GE(p.X, -2.0);
    EXPECT_LE(p.X, 254.0);
    EXPECT_GE(p.Y, -2.0);
    EXPECT_LE(p.Y, 198.0);
  }
}

// Every corpus metafile, one per page, played into a PDF.
TEST(MetafileCorpus, EveryFilePlaysIntoAnAuditedPdf) {
  std::vector<fs::path> files = {kLibEmfFixture};
  for (const char* folder : {"real", "reference", "corrupted"}) {
    const auto more = CorpusFiles(folder);
    files.insert(files.end(), more.begin(), more.end());
  }
  ASSERT_GT(files.size(), 100u);
  const std::string dir = km::testing::MakeScratchDir("metafile-corpus");
  TkmPDFEngine e;
  e.GetPreferences().SetShowSetupDialog(false);
  e.GetPreferences().SetOpenAfterCreate(false);
  e.SetFileName(dir + "/corpus.pdf");
  e.BeginDoc();
  bool first = true;
  for (const fs::path& file : files) {
    if (!first) e.NewPage();
    first = false;
    TMetafile mf;
    try {
      mf.LoadFromBytes(ReadBytes(file));
    } catch (const EkmError&) {
      continue;  // not a metafile at all: the page stays empty
    }
    e.PlayMetafile(mf);
  }
  e.EndDoc();
  const std::string pdf = dir + "/corpus.pdf";
  ASSERT_TRUE(fs::exists(pdf));
  const auto check = RunCommand("qpdf --check " + ShellQuote(pdf));
  EXPECT_EQ(check.ExitCode, 0) << check.Output;
  const auto audit = RunCommand(std::string(KM_TOOLS_DIR) + "/pdf-audit " + ShellQuote(pdf));
  EXPECT_EQ(audit.ExitCode, 0) << audit.Output;
}

}  // namespace
}  // namespace km::test
