#pragma once
// Font helpers of the support library: the text extent of a string in a font
// and the character sets of a font family, both on the process-wide font
// catalogue (FontCatalog::Default()).

#include <string>
#include <vector>

#include "kmFontMetrics.h"
#include "kmGraphicsValues.h"

namespace km {

// The extent in screen pixels of the whole UTF-16 text drawn in the font: the
// sum of the whole-pixel advances of its characters and the font's cell
// height. Text is measured as Unicode, not through the 8-bit code page: this
// platform layer has no ANSI measuring, so characters outside Windows-1252 get
// their real width instead of that of a replacement character. An empty text
// has width 0 and the cell height; {0, 0} when no font is installed at all.
TSize TextSize(const std::u16string& text, const TFont& font);

// Appends to charsets the character sets the family offers (from the OS/2
// code page ranges of its faces), each once, in order of first report, keeping
// what the list already holds. Only the eighteen recognised values are ever
// appended. A family that is not installed (nor stands in for a usual Windows
// family, as Arial for Liberation Sans) appends nothing. The name is cut to 31
// code units, as a logical font's face-name field holds.
void GetSupportedCharSets(const std::u16string& face_name, std::vector<int>& charsets);

}  // namespace km
