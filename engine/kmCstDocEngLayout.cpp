// Paragraphs and tables.
//
// Not built yet: the paragraph and table operations record nothing and their
// encoders lay nothing out.

#include "kmCstDocEng.h"

namespace km {

void TkmCustomDocumentEngine::TextOut(int, const std::u16string&) {}
double TkmCustomDocumentEngine::TextOut(const std::u16string&) { return 0; }
void TkmCustomDocumentEngine::BeginPara() {}
void TkmCustomDocumentEngine::EndPara() {}
TkmColumnList* TkmCustomDocumentEngine::BeginTable(double, double, int) { return nullptr; }
double TkmCustomDocumentEngine::NewRow(double) { return -1 / FNativeConversionFactor; }
double TkmCustomDocumentEngine::NewRow() { return -1 / FNativeConversionFactor; }
void TkmCustomDocumentEngine::EndTable() {}
void TkmCustomDocumentEngine::EncodeParagraph(TkmParagraphItem&) {}
void TkmCustomDocumentEngine::EncodeTable(TkmTableItem&) {}

}  // namespace km
