#include "kmScreen.h"

namespace km {

namespace {
int g_ppi_x = 96;
int g_ppi_y = 96;
}  // namespace

double CPixelsPerInch = 96.0;
double CPointsToPixels = 96.0 / 72.0;

int Screen::PixelsPerInchX() { return g_ppi_x; }
int Screen::PixelsPerInchY() { return g_ppi_y; }

void Screen::SetPixelsPerInch(int x, int y) {
  if (x >= 1) g_ppi_x = x;
  if (y >= 1) g_ppi_y = y;
}

void RefreshScreenValues() {
  CPixelsPerInch = g_ppi_y;
  CPointsToPixels = CPixelsPerInch / 72.0;
}

ScopedScreenResolution::ScopedScreenResolution(int x, int y) : old_x_(g_ppi_x), old_y_(g_ppi_y) {
  Screen::SetPixelsPerInch(x, y);
  RefreshScreenValues();
}

ScopedScreenResolution::~ScopedScreenResolution() {
  Screen::SetPixelsPerInch(old_x_, old_y_);
  RefreshScreenValues();
}

}  // namespace km
