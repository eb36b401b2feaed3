// Preparation: a template page becomes a prepared page whose objects lie
// flat at page-absolute positions, the page background view first.
#include "kmReport.h"

namespace km {
namespace {

// The view that carries the page's colour, frame and background picture over
// the area inside the margins.
std::unique_ptr<TfrxComponent> PageBackground(const TfrxReportPage& page) {
  auto view = std::make_unique<TfrxPictureView>();
  view->SetName(std::string(frxPageBackgroundName));
  view->SetLeft(page.GetLeftMargin() * frxUnitsPerMM);
  view->SetTop(page.GetTopMargin() * frxUnitsPerMM);
  view->SetWidth((page.GetPaperWidth() - page.GetLeftMargin() - page.GetRightMargin()) * frxUnitsPerMM);
  view->SetHeight((page.GetPaperHeight() - page.GetTopMargin() - page.GetBottomMargin()) * frxUnitsPerMM);
  view->SetColor(page.GetColor());
  view->SetFrame(page.GetFrame());
  view->GetPicture().SetGraphic(page.GetBackPicture().GetGraphicPtr());
  return view;
}

// Copies the visible objects under source onto target, each at its absolute
// position; a band is followed by its own objects.
void Flatten(const TfrxComponent& source, TfrxComponent& target) {
  for (const auto& child : source.GetObjects()) {
    if (!child->GetVisible()) continue;
    std::unique_ptr<TfrxComponent> copy = child->Clone();
    copy->ClearObjects();
    copy->SetLeft(child->GetAbsLeft());
    copy->SetTop(child->GetAbsTop());
    target.AddObject(std::move(copy));
    Flatten(*child, target);
  }
}

}  // namespace

std::unique_ptr<TfrxReportPage> PreparePage(const TfrxReportPage& page) {
  std::unique_ptr<TfrxComponent> copy = page.Clone();
  copy->ClearObjects();
  std::unique_ptr<TfrxReportPage> prepared(static_cast<TfrxReportPage*>(copy.release()));
  prepared->AddObject(PageBackground(page));
  Flatten(page, *prepared);
  return prepared;
}

}  // namespace km
