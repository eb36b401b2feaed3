#include "kmDocItems.h"

#include <algorithm>
#include <cmath>

namespace km {

void TkmTextItem::SetTextEffects(const TkmTextEffects& v) {
  FTextEffects.SetTextRenderMode(v.GetTextRenderMode());
  FTextEffects.SetTextRise(v.GetTextRise());
  FTextEffects.SetOpacity(v.GetOpacity());
}

void TkmTextItem::SetIsClipRect(bool v) {
  FIsClipRect = v;
  if (!v) FClipRect = TkmRect{};
}

// ---------------------------------------------------------------------------

TkmImageItem::TkmImageItem() : FSettings(std::make_unique<TkmImageSettings>()) {
  FDisplayRect = kmRect(FX, FY, FX + FWidth, FY + FHeight);
}

TkmImageItem::TkmImageItem(const TkmRect& r) : TkmImageItem() {
  FX = std::min(r.Left, r.Right);
  FY = std::min(r.Top, r.Bottom);
  FWidth = std::abs(r.Right - r.Left);
  FHeight = std::abs(r.Bottom - r.Top);
  FDisplayRect = kmRect(FX, FY, FX + FWidth, FY + FHeight);
}

TkmImageStream::TkmImageStream() : FStream(std::make_unique<TMemoryStream>()) {}
TkmImageStream::TkmImageStream(const TkmRect& rect)
    : TkmImageItem(rect), FStream(std::make_unique<TMemoryStream>()) {}
TkmImageStream::~TkmImageStream() = default;

// ---------------------------------------------------------------------------

TkmShapeItem::TkmShapeItem(bool IsFill, TkmShapeType ShapeType) : FShapeType(ShapeType) {
  if (IsFill) FBrush.emplace();
}

void TkmShapeItem::SetPoints(std::span<const TkmPoint> points) {
  FPoints.assign(points.begin(), points.end());
  FNoPoints = static_cast<int>(FPoints.size());
}

void TkmShapeItem::SetBrush(const TBrush& v) {
  if (FBrush) FBrush->Assign(v);
}

void TkmPolyPolygonItem::SetNoPoints() { FNoPoints.assign(static_cast<std::size_t>(std::max(FNoPoly, 0)) + 1, 0); }

void TkmPolyPolygonItem::SetPoints() {
  const int total = FNoPoints.empty() ? 0 : std::max(FNoPoints[0], 0);
  FPoints.assign(static_cast<std::size_t>(total), TkmPoint{});
}

TkmPoint TkmPolyPolygonItem::GetPoints(int position) const {
  // Checked against the point array, which is what the index addresses.
  if (position < 0 || static_cast<std::size_t>(position) >= FPoints.size()) return TkmPoint{};
  return FPoints[static_cast<std::size_t>(position)];
}

void TkmPolyDrawItem::SetPoints() {
  const auto n = static_cast<std::size_t>(std::max(FNoPoints, 0));
  FOperations.assign(n, 0);
  FPoints.assign(n, TkmPoint{});
}

void TkmClipItem::SetRects(int count) {
  FNoRects = std::max(count, 0);
  FClipRects.assign(static_cast<std::size_t>(FNoRects), TkmIntRect{});
}

TkmIntRect TkmClipItem::GetRects(int position) const {
  if (position < 0 || position >= static_cast<int>(FClipRects.size())) return TkmIntRect{};
  return FClipRects[static_cast<std::size_t>(position)];
}

void TkmClipItem::PutRect(int position, const TkmIntRect& r) {
  if (position < 0 || position >= static_cast<int>(FClipRects.size())) return;
  FClipRects[static_cast<std::size_t>(position)] = r;
}

// ---------------------------------------------------------------------------

TkmParagraphItem::TkmParagraphItem() { FParaRunList.push_back(std::make_unique<TkmParaRun>()); }

void TkmColumn::SetWidth(double v) {
  FWidth = v;
  if (FOnchange) FOnchange(v);
}

TkmTableItem::TkmTableItem(int NoColumns, TkmCustomDocumentEngine* engine)
    : FParent(engine), FColCount(std::max(NoColumns, 0)) {
  for (int i = 0; i < FColCount; ++i) {
    auto column = std::make_unique<TkmColumn>();
    // The table watches width changes; the handler leaves the value as it is.
    column->SetOnChange([](double) {});
    FColumns.push_back(std::move(column));
  }
}

double TkmTableItem::CalculateRowHeight() const {
  double height = FSettings.GetEnableTitle() ? FSettings.NativeTitleHeight() : 0.0;
  for (int i = 0; i <= FRowCount && i < static_cast<int>(FRowHeights.size()); ++i)
    height += FRowHeights[static_cast<std::size_t>(i)];
  return height;
}

TkmColumn* TkmTableItem::GetColumns(int index) const {
  if (index < 0 || index >= FColCount) return nullptr;
  return FColumns[static_cast<std::size_t>(index)].get();
}

void TkmTableItem::SetColumns(int index, const TkmColumn& column) {
  TkmColumn* target = GetColumns(index);
  if (!target) return;
  target->SetWidth(column.GetWidth());
  target->SetAlignment(column.GetAlignment());
  target->SetTitle(column.GetTitle());
}

TkmColumnList& TkmTableItem::GetColumnsList() {
  for (auto& c : FColumns) c->SetWidth(FSettings.NativeColumnWidth());
  return FColumns;
}

TkmItemList* TkmTableItem::GetRowItemsList(int index) {
  if (index < 0 || index >= static_cast<int>(FRowItemsList.size())) return nullptr;
  return FRowItemsList[static_cast<std::size_t>(index)].get();
}

}  // namespace km
