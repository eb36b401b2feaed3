#pragma once
// The screen the engine measures against. Every native length of the engine is
// a screen pixel at PixelsPerInch(); 96 unless a caller (a test, a high-DPI
// host) sets another value.

namespace km {

class Screen {
 public:
  // Logical pixels per inch, horizontally and vertically (96 by default).
  static int PixelsPerInchX();
  static int PixelsPerInchY();
  // Sets both resolutions; values below 1 are ignored.
  static void SetPixelsPerInch(int x, int y);
};

// The process-wide screen values: pixels per inch (the screen's vertical
// resolution) and pixels per point. Engine constructors refresh them from Screen.
extern double CPixelsPerInch;
extern double CPointsToPixels;

// Sets CPixelsPerInch and CPointsToPixels from the screen's vertical resolution.
void RefreshScreenValues();

// Restores a screen resolution when it leaves scope; for tests.
class ScopedScreenResolution {
 public:
  ScopedScreenResolution(int x, int y);
  ~ScopedScreenResolution();
  ScopedScreenResolution(const ScopedScreenResolution&) = delete;
  ScopedScreenResolution& operator=(const ScopedScreenResolution&) = delete;

 private:
  int old_x_;
  int old_y_;
};

}  // namespace km
