#pragma once
// Shared set-up of the PDF graphics tests: pens, brushes and a letter page
// engine taking pixel input at a chosen resolution.

#include <memory>
#include <string>

#include "kmPDFEng.h"

namespace km::testing {

inline TPen MakePen(TColor c, int width, TPenStyle style = TPenStyle::psSolid) {
  TPen p;
  p.SetColor(c);
  p.SetWidth(width);
  p.SetStyle(style);
  return p;
}

inline TBrush MakeBrush(TColor c, TBrushStyle style = TBrushStyle::bsSolid) {
  TBrush b;
  b.SetColor(c);
  b.SetStyle(style);
  return b;
}

// An engine of class E writing `path` (which ends in ".pdf"): a letter page
// (816 x 1056 native pixels, 612 x 792 points), pixel input at `res` dots per
// inch, positions from the page corner, no dialog, no viewer, a fixed clock.
template <typename E = TkmPDFEngine>
std::unique_ptr<E> NewLetterEngine(const std::string& path, int res = 96) {
  auto e = std::make_unique<E>();
  e->GetPreferences().SetShowSetupDialog(false);
  e->GetPreferences().SetOpenAfterCreate(false);
  e->SetClock([] {
    TkmClockReading r;
    r.Local = {2026, 12, 11, 9, 30, 15};
    return r;
  });
  e->SetFileName(path.substr(0, path.size() - 4));
  e->SetMeasurementUnit(TkmUnitType::muInches);
  e->GetPage().SetPaperSize(TkmPaperSize::Custom);
  e->GetPage().SetWidth(8.5);
  e->GetPage().SetHeight(11);
  e->SetMeasurementUnit(TkmUnitType::muPixels);
  e->SetReferencePoint(TkmReferencePoint::rpPage);
  e->SetInputXRes(res);
  e->SetInputYRes(res);
  return e;
}

}  // namespace km::testing
