// Rich text drawn onto the page's recording canvas.
//
// Not built yet: drawing needs the platform's rich-text renderer (render a
// character range into a rectangle, report the first character that did not
// fit). Until it exists these calls draw nothing.

#include "kmCstDocEng.h"

namespace km {

void TkmCustomDocumentEngine::DrawRichText(TRichEdit&, double, double, double, double, int, int, TColor) {}
void TkmCustomDocumentEngine::ExportRichText(const std::string&, double, double, double, double, int, int,
                                             TColor) {}
void TkmCustomDocumentEngine::ExportRichText(TStream&, double, double, double, double, int, int, TColor) {}

}  // namespace km
