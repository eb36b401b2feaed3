#include "kmReportObjects.h"

namespace km {

TfrxComponent::~TfrxComponent() = default;

TfrxComponent::TfrxComponent(const TfrxComponent& other)
    : name_(other.name_),
      left_(other.left_),
      top_(other.top_),
      width_(other.width_),
      height_(other.height_),
      visible_(other.visible_) {}

std::unique_ptr<TfrxComponent> TfrxComponent::Clone() const {
  std::unique_ptr<TfrxComponent> copy = CloneSelf();
  for (const auto& child : objects_) copy->AddObject(child->Clone());
  return copy;
}

double TfrxComponent::GetAbsLeft() const { return left_ + (parent_ ? parent_->GetAbsLeft() : 0.0); }

double TfrxComponent::GetAbsTop() const { return top_ + (parent_ ? parent_->GetAbsTop() : 0.0); }

TfrxComponent& TfrxComponent::AddObject(std::unique_ptr<TfrxComponent> child) {
  child->parent_ = this;
  objects_.push_back(std::move(child));
  return *objects_.back();
}

TfrxComponent* TfrxComponent::FindObject(const std::string& name) const {
  for (const auto& child : objects_) {
    if (child->GetName() == name) return child.get();
    if (TfrxComponent* found = child->FindObject(name)) return found;
  }
  return nullptr;
}

TFont DefaultReportFont() {
  TFont font;
  font.SetPixelsPerInch(static_cast<int>(frxUnitsPerInch));
  font.SetName(u"Arial");
  font.SetHeight(-13);
  font.SetColor(clBlack);
  font.SetCharset(DEFAULT_CHARSET);
  return font;
}

TfrxMemoView::TfrxMemoView() : font_(DefaultReportFont()) {}

std::string TfrxBand::ClassName() const {
  switch (kind_) {
    case TfrxBandKind::bkReportTitle: return "TfrxReportTitle";
    case TfrxBandKind::bkPageHeader: return "TfrxPageHeader";
    case TfrxBandKind::bkMasterData: return "TfrxMasterData";
    case TfrxBandKind::bkPageFooter: return "TfrxPageFooter";
    case TfrxBandKind::bkReportSummary: return "TfrxReportSummary";
    case TfrxBandKind::bkBand: break;
  }
  return "TfrxBand";
}

TfrxReportPage::TfrxReportPage() { SetPaperSize(210, 297); }

void TfrxReportPage::SetPaperSize(double width_mm, double height_mm) {
  paper_width_ = width_mm;
  paper_height_ = height_mm;
  SetWidth(width_mm * frxUnitsPerMM);
  SetHeight(height_mm * frxUnitsPerMM);
}

}  // namespace km
