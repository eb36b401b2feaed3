#pragma once
// Test helpers: the records of a recorded metafile as short lines, and an
// independent measure of text advances read with fontTools.

#include <cstdint>
#include <string>
#include <vector>

#include "kmMetafile.h"

namespace km::test {

// One line per drawing record, attributes in a fixed order:
//   "pen <style> <width> <rrggbb>"       EMR_CREATEPEN
//   "brush <style> <rrggbb>"             EMR_CREATEBRUSHINDIRECT
//   "font <height> <weight> i<italic> u<underline> <face>"  EMR_EXTCREATEFONTINDIRECTW
//   "move x y", "line x y"
//   "rect l t r b", "ellipse l t r b", "roundrect l t r b cx cy"
//   "fill l t w h"                        EMR_BITBLT with PATCOPY
//   "textcolor <rrggbb>"
//   "text x y <utf-8 text> dx,dx,..."     EMR_EXTTEXTOUTW
//   "bitmap l t w h <srcw>x<srch>"        EMR_STRETCHDIBITS (destination, source size)
// Other records are left out.
std::vector<std::string> DescribeRecords(const TMetafile& metafile);

// Only the lines that start with prefix.
std::vector<std::string> LinesStarting(const std::vector<std::string>& lines, const std::string& prefix);

// Advances in whole pixels of each character of text (ASCII and Latin-1) in
// the font file at an em size in pixels, each rounded halves to even, as
// fontTools reads the face's hmtx table. Fails the test when the oracle cannot run.
std::vector<int> OracleAdvances(const std::string& fontFile, double emPixels, const std::u16string& text);

// The directory of the Liberation fonts (metric twins of Arial and friends).
std::string LiberationDir();

}  // namespace km::test
