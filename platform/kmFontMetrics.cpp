#include "kmFontMetrics.h"

#include <algorithm>
#include <cstdlib>

#include <freetype/tttables.h>

#include "kmMath.h"
#include "kmScreen.h"

namespace km {

namespace {

const TT_OS2* Os2(FT_Face face) {
  auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  return os2 != nullptr && os2->version != 0xFFFF ? os2 : nullptr;
}

const TT_HoriHeader* Hhea(FT_Face face) { return static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA)); }

const TT_Postscript* Post(FT_Face face) { return static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST)); }

// The face's cell in font units: the Windows ascent and descent of OS/2, or
// the horizontal header's when OS/2 gives none.
struct Cell { int ascent; int descent; };

Cell WindowsCell(FT_Face face) {
  const TT_OS2* os2 = Os2(face);
  if (os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0) return {os2->usWinAscent, os2->usWinDescent};
  const TT_HoriHeader* hhea = Hhea(face);
  if (hhea != nullptr && hhea->Ascender - hhea->Descender > 0) return {hhea->Ascender, -hhea->Descender};
  return {face->ascender, -face->descender};
}

// Family class of the pitch-and-family byte, from PANOSE or the IBM family class.
std::uint8_t FamilyClass(const FontFace& face) {
  if (face.IsFixedPitch()) return FF_MODERN;
  const TT_OS2* os2 = Os2(face.Handle());
  if (os2 == nullptr) return FF_DONTCARE;
  switch (os2->panose[0]) {
    case 2: return os2->panose[1] >= 11 && os2->panose[1] <= 13 ? FF_SWISS : FF_ROMAN;
    case 3: return FF_SCRIPT;
    case 4: case 5: return FF_DECORATIVE;
    default: break;
  }
  switch (os2->sFamilyClass >> 8) {
    case 1: case 2: case 3: case 4: case 5: case 7: return FF_ROMAN;
    case 8: return FF_SWISS;
    case 9: case 12: return FF_DECORATIVE;
    case 10: return FF_SCRIPT;
    default: return FF_DONTCARE;
  }
}

// Top of a letter's outline in font units, 0 when the face lacks it.
int GlyphTop(const FontFace& face, char32_t ch) {
  unsigned glyph = face.GetGlyphIndex(ch);
  if (glyph == 0 || FT_Load_Glyph(face.Handle(), glyph, FT_LOAD_NO_SCALE) != 0) return 0;
  return static_cast<int>(face.Handle()->glyph->metrics.horiBearingY);
}

}  // namespace

FontInstance::FontInstance(std::shared_ptr<const FontFace> face, int height, int weight, bool italic,
                           TFontCharset charset, bool underline, bool strike_out)
    : face_(std::move(face)), weight_(weight), italic_(italic), charset_(charset), underline_(underline),
      strike_out_(strike_out) {
  if (height == 0) height = -1;
  if (height < 0) {
    em_pixels_ = -static_cast<double>(height);
  } else {
    Cell cell = WindowsCell(face_->Handle());
    int cell_units = std::max(1, cell.ascent + cell.descent);
    em_pixels_ = static_cast<double>(height) * face_->GetUnitsPerEm() / cell_units;
  }
}

int FontInstance::Scale(double units) const {
  return static_cast<int>(Round(units * em_pixels_ / face_->GetUnitsPerEm()));
}

TTextMetric FontInstance::GetTextMetrics() const {
  FT_Face face = face_->Handle();
  const TT_OS2* os2 = Os2(face);
  const TT_HoriHeader* hhea = Hhea(face);
  Cell cell = WindowsCell(face);
  TTextMetric tm;
  tm.tmAscent = Scale(cell.ascent);
  tm.tmDescent = Scale(cell.descent);
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max(0, tm.tmHeight - static_cast<int>(Round(em_pixels_)));
  if (hhea != nullptr) {
    int gap = hhea->Line_Gap - ((cell.ascent + cell.descent) - (hhea->Ascender - hhea->Descender));
    tm.tmExternalLeading = std::max(0, Scale(gap));
    tm.tmMaxCharWidth = Scale(hhea->advance_Width_Max);
  }
  tm.tmAveCharWidth = os2 != nullptr && os2->xAvgCharWidth > 0 ? Scale(os2->xAvgCharWidth)
                                                              : GlyphAdvance(face_->GetGlyphIndex(U'x'));
  tm.tmWeight = weight_ >= 600 && face_->GetWeight() < 600 ? weight_ : face_->GetWeight();
  tm.tmDigitizedAspectX = Screen::PixelsPerInchX();
  tm.tmDigitizedAspectY = Screen::PixelsPerInchY();
  if (os2 != nullptr) {
    tm.tmFirstChar = static_cast<char16_t>(os2->usFirstCharIndex);
    tm.tmLastChar = static_cast<char16_t>(os2->usLastCharIndex);
    tm.tmDefaultChar = os2->version >= 2 ? static_cast<char16_t>(os2->usDefaultChar) : 0;
    tm.tmBreakChar = os2->version >= 2 && os2->usBreakChar != 0 ? static_cast<char16_t>(os2->usBreakChar) : u' ';
  } else {
    tm.tmFirstChar = u' ';
    tm.tmLastChar = 0xFFFF;
    tm.tmBreakChar = u' ';
  }
  tm.tmItalic = italic_ || face_->IsItalic() ? 1 : 0;
  tm.tmUnderlined = underline_ ? 1 : 0;
  tm.tmStruckOut = strike_out_ ? 1 : 0;
  std::uint8_t pitch = face_->IsFixedPitch() ? 0 : TMPF_FIXED_PITCH;
  if (FT_IS_SCALABLE(face)) pitch |= TMPF_VECTOR;
  if (face_->IsTrueType()) pitch |= TMPF_TRUETYPE;
  tm.tmPitchAndFamily = pitch | FamilyClass(*face_);
  tm.tmCharSet = charset_;
  return tm;
}

TOutlineTextMetric FontInstance::GetOutlineTextMetrics() const {
  FT_Face face = face_->Handle();
  const TT_OS2* os2 = Os2(face);
  const TT_HoriHeader* hhea = Hhea(face);
  const TT_Postscript* post = Post(face);
  TOutlineTextMetric otm;
  otm.otmTextMetrics = GetTextMetrics();
  otm.otmEMSquare = static_cast<unsigned>(face_->GetUnitsPerEm());
  int cap_units = GlyphTop(*face_, U'H');
  int x_units = GlyphTop(*face_, U'x');
  if (os2 != nullptr) {
    std::copy(std::begin(os2->panose), std::end(os2->panose), otm.otmPanoseNumber.begin());
    otm.otmfsSelection = os2->fsSelection;
    otm.otmfsType = os2->fsType;
    otm.otmAscent = Scale(os2->sTypoAscender);
    otm.otmDescent = Scale(os2->sTypoDescender);
    otm.otmLineGap = static_cast<unsigned>(std::max(0, Scale(os2->sTypoLineGap)));
    otm.otmsStrikeoutSize = Scale(os2->yStrikeoutSize);
    otm.otmsStrikeoutPosition = Scale(os2->yStrikeoutPosition);
    if (os2->version >= 2) {
      if (os2->sCapHeight > 0) cap_units = os2->sCapHeight;
      if (os2->sxHeight > 0) x_units = os2->sxHeight;
    }
  } else {
    otm.otmAscent = Scale(face->ascender);
    otm.otmDescent = Scale(face->descender);
    otm.otmsStrikeoutSize = Scale(face->underline_thickness);
    otm.otmsStrikeoutPosition = Scale(face->ascender / 3.0);
  }
  otm.otmsCapEmHeight = static_cast<unsigned>(std::max(0, Scale(cap_units)));
  otm.otmsXHeight = static_cast<unsigned>(std::max(0, Scale(x_units)));
  if (hhea != nullptr) {
    otm.otmsCharSlopeRise = hhea->caret_Slope_Rise;
    otm.otmsCharSlopeRun = hhea->caret_Slope_Run;
    otm.otmMacAscent = Scale(hhea->Ascender);
    otm.otmMacDescent = Scale(hhea->Descender);
    otm.otmMacLineGap = static_cast<unsigned>(std::max(0, Scale(hhea->Line_Gap)));
  }
  if (post != nullptr) otm.otmItalicAngle = static_cast<int>(Round(post->italicAngle / 65536.0 * 10.0));
  otm.otmrcFontBox = {Scale(face->bbox.xMin), Scale(face->bbox.yMax), Scale(face->bbox.xMax), Scale(face->bbox.yMin)};
  auto* head = static_cast<const TT_Header*>(FT_Get_Sfnt_Table(face, FT_SFNT_HEAD));
  if (head != nullptr) otm.otmusMinimumPPEM = head->Lowest_Rec_PPEM;
  // The post table's values as they are: FreeType's own underline position is
  // moved by half the thickness.
  if (post != nullptr) {
    otm.otmsUnderscoreSize = Scale(post->underlineThickness);
    otm.otmsUnderscorePosition = Scale(post->underlinePosition);
  }
  otm.otmpFamilyName = face_->GetFamilyName();
  otm.otmpStyleName = face_->GetStyleName();
  otm.otmpFullName = otm.otmpFamilyName;
  if (!otm.otmpStyleName.empty() && otm.otmpStyleName != u"Regular") otm.otmpFullName += u" " + otm.otmpStyleName;
  return otm;
}

int FontInstance::GlyphAdvance(unsigned glyph) const { return Scale(face_->GetAdvanceUnits(glyph)); }

TABC FontInstance::GetGlyphABC(unsigned glyph) const {
  TABC abc;
  int advance = GlyphAdvance(glyph);
  FT_Face face = face_->Handle();
  if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE) == 0) {
    abc.abcA = Scale(face->glyph->metrics.horiBearingX);
    abc.abcB = Scale(face->glyph->metrics.width);
  }
  abc.abcC = advance - abc.abcA - abc.abcB;
  return abc;
}

TSize FontInstance::GetTextExtent(std::u16string_view text) const {
  TSize size;
  size.cy = GetTextMetrics().tmHeight;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t ch = text[i];
    bool high = ch >= 0xD800 && ch <= 0xDBFF;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      ch = 0x10000 + ((ch - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    size.cx += GlyphAdvance(face_->GetGlyphIndex(ch));
  }
  return size;
}

}  // namespace km
