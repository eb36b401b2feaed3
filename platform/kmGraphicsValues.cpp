#include "kmGraphicsValues.h"

#include "kmMath.h"
#include "kmScreen.h"

namespace km {

// The component library's default font: 8 points of "Tahoma" on the screen.
TFont::TFont() : name_(u"Tahoma"), pixels_per_inch_(Screen::PixelsPerInchY()) { SetSize(8); }

int TFont::GetSize() const { return -MulDiv(height_, 72, pixels_per_inch_); }

void TFont::SetSize(int points) { height_ = -MulDiv(points, pixels_per_inch_, 72); }

}  // namespace km
