// Text measured with the installed fonts (a private font directory), checked
// against the advances FreeType reads from the same font files.

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H

#include <cmath>

#include "../platform/kmTestFonts.h"
#include "RecordingEngine.h"
#include "kmCodePage.h"
#include "kmFontCatalog.h"

namespace km::test {
namespace {

// Sum of every character's advance at `em` pixels, each rounded to whole
// pixels (halves to even), from FreeType's unscaled advances.
long FreeTypeWidth(const std::string& file, int em, const std::u16string& text) {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, file.c_str(), 0, &face) != 0) {
    ADD_FAILURE() << "FreeType cannot open " << file;
    if (library) FT_Done_FreeType(library);
    return -1;
  }
  long width = 0;
  for (char16_t c : text) {
    FT_Fixed advance = 0;
    FT_Get_Advance(face, FT_Get_Char_Index(face, c), FT_LOAD_NO_SCALE, &advance);
    width += static_cast<long>(std::nearbyint(static_cast<double>(advance) * em / face->units_per_EM));
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  return width;
}

class RealFontTest : public ::testing::Test {
 protected:
  RealFontTest() : fonts_(FontCatalog::FromDirectory(TestFontDir::Path())) {
    engine.SetFileName(dir.File("doc"));
    engine.SetMeasurementUnit(TkmUnitType::muPixels);
    engine.SetReferencePoint(TkmReferencePoint::rpPage);
  }
  static TFont Font(const char16_t* name, int height) {
    TFont font;
    font.SetName(name);
    font.SetHeight(height);
    return font;
  }

  ScopedFontCatalog fonts_;
  TempDir dir;
  TRecordingEngine engine;
};

TEST_F(RealFontTest, WidthsAreTheFreeTypeAdvances) {
  struct Case { const char16_t* family; std::string file; int height; std::u16string text; };
  for (const Case& c : std::vector<Case>{
           {u"DejaVu Sans", "DejaVuSans.ttf", -16, u"Hello, World!"},
           {u"DejaVu Sans", "DejaVuSans.ttf", -37, u"Wrap the lines: 0123456789"},
           {u"Liberation Sans", "LiberationSans-Regular.ttf", -13, u"Hello, World!"},
           // Arial is drawn by its metric twin.
           {u"Arial", "LiberationSans-Regular.ttf", -21, u"Invoice 2026, page 3"},
           // Characters outside Windows-1252 get their own width (measured as Unicode).
           {u"DejaVu Sans", "DejaVuSans.ttf", -16, u"\u03a9\u0436\u20ac\u2211"},
       }) {
    const long expected = FreeTypeWidth(TestFontDir::File(c.file), -c.height, c.text);
    EXPECT_EQ(engine.TextSize(c.text, Font(c.family, c.height)).cx, expected) << WideToUtf8(c.text);
    EXPECT_EQ(engine.TextSizeW(c.text, Font(c.family, c.height)).cx, expected) << WideToUtf8(c.text);
  }
  // Omega and the en dash differ in width from the "?" the code page would give.
  EXPECT_NE(engine.TextSize(u"\u03a9\u03a9\u03a9", Font(u"DejaVu Sans", -16)).cx,
            engine.TextSize(u"???", Font(u"DejaVu Sans", -16)).cx);
}

TEST_F(RealFontTest, RecordedAnchorsAndWrappingUseTheRealWidths) {
  const TFont font = Font(u"Liberation Sans", -16);
  const std::string file = TestFontDir::File("LiberationSans-Regular.ttf");
  engine.SetFont(font);
  engine.BeginDoc();
  engine.TextOut(100, 10, u"Total: 1.234,50");
  auto* item = dynamic_cast<TkmTextItem*>(engine.GetCurrentDocumentItemList()->at(0).get());
  ASSERT_NE(item, nullptr);
  const long w = FreeTypeWidth(file, 16, u"Total: 1.234,50");
  EXPECT_EQ(item->GetWidthOfTheText(), w);
  EXPECT_EQ(item->GetCenterAndRightAlignTextPos().Y, 100 + w);

  const std::u16string first = u"The quick brown ";
  const double width = static_cast<double>(FreeTypeWidth(file, 16, first));
  TWideStrings lines;
  engine.WrapTextIntoLines(u"The quick brown fox jumps", width, width, lines, false, font);
  ASSERT_EQ(lines.Count(), 2);
  EXPECT_EQ(lines.Get(0), first);
  EXPECT_EQ(lines.Get(1), u"fox jumps");
  lines.Clear();
  engine.WrapTextIntoLines(u"The quick brown fox jumps", width - 1, width - 1, lines, false, font);
  EXPECT_EQ(lines.Get(0), u"The quick ");
  engine.EndDoc();
}

TEST_F(RealFontTest, JustifiesWithTheFontsWidths) {
  const TFont font = Font(u"DejaVu Sans", -16);
  const std::string file = TestFontDir::File("DejaVuSans.ttf");
  const long space = FreeTypeWidth(file, 16, u" ");
  const long text = FreeTypeWidth(file, 16, u"ab cd");
  // Room for exactly three more blanks in the one gap.
  const std::u16string justified = GetJustifiedText(u"ab cd", font, static_cast<double>(text + 3 * space));
  EXPECT_EQ(justified, u"ab    cd");
}

}  // namespace
}  // namespace km::test
