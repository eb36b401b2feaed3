// Interprets arbitrary bytes as an enhanced metafile into the items of a page:
// the reader and every record handler must stay in bounds, and no item may
// receive a non-finite coordinate.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

#include "kmCstDocEng.h"
#include "kmMetafileProcessor.h"

namespace {

km::TkmCustomDocumentEngine& Engine() {
  static km::TkmCustomDocumentEngine* engine = [] {
    static km::TkmCustomDocumentEngine e;
    e.GetPreferences().SetShowSetupDialog(false);
    e.GetPreferences().SetOpenAfterCreate(false);
    e.BeginDoc();
    return &e;
  }();
  return *engine;
}

void CheckPoint(const km::TkmPoint& p) {
  if (!std::isfinite(p.X) || !std::isfinite(p.Y)) __builtin_trap();
}

void CheckItems(const km::TkmItemList& items) {
  for (const auto& item : items) {
    if (auto* s = dynamic_cast<const km::TkmShapeItem*>(item.get())) {
      for (const auto& p : s->GetPoints()) CheckPoint(p);
    } else if (auto* pp = dynamic_cast<const km::TkmPolyPolygonItem*>(item.get())) {
      for (const auto& p : pp->GetPointArray()) CheckPoint(p);
    } else if (auto* ps = dynamic_cast<const km::TkmPolyShapeItem*>(item.get())) {
      for (const auto& shape : ps->GetShapes())
        for (const auto& p : shape->GetPoints()) CheckPoint(p);
    } else if (auto* pd = dynamic_cast<const km::TkmPolyDrawItem*>(item.get())) {
      for (const auto& p : pd->GetPoints()) CheckPoint(p);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  km::TkmCustomDocumentEngine& e = Engine();
  // Both the screen resolution and the report flow's four times as much.
  const int res = size % 2 ? 384 : 96;
  e.SetInputXRes(res);
  e.SetInputYRes(res);
  km::TkmItemList* list = e.GetCurrentDocumentItemList();
  if (!list) __builtin_trap();
  {
    km::TkmMetafileProcessor processor(e);
    processor.Execute(std::span<const std::uint8_t>(data, size), 3.5, 7.25);
  }
  CheckItems(*list);
  list->clear();
  e.SetMetafileAsImage(false);
  return 0;
}
