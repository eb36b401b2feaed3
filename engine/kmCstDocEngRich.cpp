// Rich text drawn onto the page's recording canvas, page after page.
//
// The page loop (RenderRichTextPages) is built; DrawRichText and
// ExportRichText still draw nothing: they need the platform's rich-text
// control and renderer (render a character range into a rectangle, report
// the first character that did not fit), which will supply the render step.

#include "kmCstDocEng.h"
#include "kmMath.h"
#include "kmScreen.h"

namespace km {

namespace {

int Twips(double native) { return static_cast<int>(Round(native) * 1440 / static_cast<long long>(CPixelsPerInch)); }

}  // namespace

// Horizontal edges are converted with the horizontal resolution, vertical
// edges with the vertical one.
TkmIntRect TkmCustomDocumentEngine::RichTextTwipsRect(double ALeft, double ATop, double ARight,
                                                      double ABottom) const {
  return TkmIntRect{Twips(NativeXPos(ALeft)), Twips(NativeYPos(ATop)), Twips(NativeXPos(ARight)),
                    Twips(NativeYPos(ABottom))};
}

void TkmCustomDocumentEngine::RenderRichTextPages(const TkmRichTextRenderStep& Render, double ALeft, double ATop,
                                                  double ARight, double ABottom, int StartPos, int EndPos,
                                                  TColor BackgroundColor) {
  if (!FIsDocumentStarted || !Render) return;
  const TkmIntRect twips = RichTextTwipsRect(ALeft, ATop, ARight, ABottom);
  // The background in pixels at 96 per inch, as the renderer draws.
  const TRect fill{twips.Left * 96 / 1440, twips.Top * 96 / 1440, twips.Right * 96 / 1440, twips.Bottom * 96 / 1440};
  int from = StartPos;
  while (FCanvas) {
    if (BackgroundColor != clWhite) {
      const TBrush saved = FCanvas->GetBrush();
      TBrush brush;
      brush.SetColor(BackgroundColor);
      brush.SetStyle(TBrushStyle::bsSolid);
      FCanvas->SetBrush(brush);
      FCanvas->FillRect(fill);
      FCanvas->SetBrush(saved);
    }
    const int next = Render(*FCanvas, twips, from, EndPos);
    if (next < 0 || (EndPos >= 0 && next > EndPos)) return;
    if (next <= from) return;  // nothing fitted: no later page can take it either
    NewPage();
    from = next;
  }
}

void TkmCustomDocumentEngine::DrawRichText(TRichEdit&, double, double, double, double, int, int, TColor) {}
void TkmCustomDocumentEngine::ExportRichText(const std::string&, double, double, double, double, int, int,
                                             TColor) {}
void TkmCustomDocumentEngine::ExportRichText(TStream&, double, double, double, double, int, int, TColor) {}

}  // namespace km
