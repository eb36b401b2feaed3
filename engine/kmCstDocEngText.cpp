// Text recording, measuring, text boxes and the base text encoders.
//
// Every recording call converts its position like the shape calls (native
// position plus the band origin), makes one text item with copies of the
// current font, brush, effects, rotation and alignment, appends it and
// stores its measured width and alignment anchors. Nothing is drawn here:
// output engines read the items in their EncodeText.

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "kmCstDocEng.h"
#include "kmMath.h"

namespace km {

namespace {

constexpr double kDegreesToRadians = std::numbers::pi / 180.0;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Length of the character (one or two code units) that starts at i.
std::size_t CharLength(const std::u16string& s, std::size_t i) {
  return i + 1 < s.size() && IsHighSurrogate(s[i]) && IsLowSurrogate(s[i + 1]) ? 2 : 1;
}

std::u16string WithoutLeadingBlanks(const std::u16string& s) {
  const std::size_t first = s.find_first_not_of(u' ');
  return first == std::u16string::npos ? std::u16string() : s.substr(first);
}

// A wrapped line as a text item shows it: without its line break.
std::u16string ShownLine(const std::u16string& line) { return RemoveTerminalCRLF(line); }

}  // namespace

// ---------------------------------------------------------------------------
// Measuring

void TkmCustomDocumentEngine::SetTextMetrics(std::shared_ptr<const IkmTextMetrics> Value) {
  FTextMetrics = Value ? std::move(Value) : DefaultTextMetrics();
}

TkmSize TkmCustomDocumentEngine::TextSize(const std::u16string& Text, const TFont& Font) {
  if (Text.empty()) return TkmSize{1, FTextMetrics->TextExtent(u" ", Font).cy};
  return FTextMetrics->TextExtent(RemoveTerminalCRLF(Text), Font);
}

TkmSize TkmCustomDocumentEngine::TextSizeW(const std::u16string& Text, const TFont& Font) const {
  return FTextMetrics->TextExtent(Text, Font);
}

double TkmCustomDocumentEngine::TextWidth(const std::u16string& Text) {
  if (Text.empty()) return 0;
  return TextSize(Text, FFont).cx / NativeXPos(1);
}

double TkmCustomDocumentEngine::TextHeight(const std::u16string& Text) {
  return TextSize(Text, FFont).cy / NativeYPos(1);
}

// ---------------------------------------------------------------------------
// Recording helpers

bool TkmCustomDocumentEngine::CanRecordText() const {
  return FIsDocumentStarted && FCapabilities.Contains(TkmCapabilityKind::ckText) &&
         FItemsToRender.Contains(TkmItemsToRenderKind::irText);
}

std::unique_ptr<TkmTextItem> TkmCustomDocumentEngine::NewTextItem(double x, double y,
                                                                  const std::u16string& line) const {
  auto item = std::make_unique<TkmTextItem>();
  item->SetX(x);
  item->SetY(y);
  item->SetFont(FFont);
  item->SetBrush(FBrush);
  item->SetTextEffects(*FTextEffects);
  item->SetRotationAngle(FTextRotationAngle);
  item->SetAlignment(FTextAlignment);
  item->GetLines().Add(line);
  return item;
}

void TkmCustomDocumentEngine::MeasureTextAnchor(TkmTextItem& item) {
  const double w = TextSize(item.GetLines().Get(0), item.GetFont()).cx;
  item.SetWidthOfTheText(w);
  const double x = item.GetX();
  item.SetCenterAndRightAlignTextPos(
      TkmIntPoint{static_cast<int>(Round(x + w / 2)), static_cast<int>(Round(x + w))});
}

void TkmCustomDocumentEngine::AddTextItem(std::unique_ptr<TkmTextItem> item) {
  TkmTextItem& recorded = *item;
  AddDocumentItem(std::move(item));
  MeasureTextAnchor(recorded);
}

// ---------------------------------------------------------------------------
// Recording operations

void TkmCustomDocumentEngine::TextOut(double X, double Y, const std::u16string& Text) {
  if (!CanRecordText()) return;
  auto item = NewTextItem(NativeXPos(X) + FBandRect.Left, NativeYPos(Y) + FBandRect.Top, Text);
  item->SetBiDiMode(FBiDiMode);
  AddTextItem(std::move(item));
}

// Wraps at the right edge of the band: the first line from x, the following
// lines from the band's left edge, all in native units.
void TkmCustomDocumentEngine::TextOut(double X, double Y, const std::u16string& Text, bool WrapAtMargin) {
  if (!WrapAtMargin) {
    TextOut(X, Y, Text);
    return;
  }
  if (!CanRecordText()) return;
  const double x = NativeXPos(X) + FBandRect.Left;
  double y = NativeYPos(Y) + FBandRect.Top;
  const double lineWidth = FBandRect.Right - FBandRect.Left;
  std::vector<std::u16string> lines;
  WrapTextIntoLines(Text, lineWidth, FBandRect.Right - x, lines, false, FFont);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    auto item = NewTextItem(i == 0 ? x : FBandRect.Left, y, ShownLine(lines[i]));
    item->SetBiDiMode(FBiDiMode);
    y += TextSize(lines[i], FFont).cy;
    AddTextItem(std::move(item));
  }
}

// The clip rectangle is given in the same coordinates as X and Y, so it
// takes the band origin too.
void TkmCustomDocumentEngine::TextRect(const TkmRect& Rect, double X, double Y, const std::u16string& Text) {
  if (!CanRecordText()) return;
  auto item = NewTextItem(NativeXPos(X) + FBandRect.Left, NativeYPos(Y) + FBandRect.Top, Text);
  const TkmRect clip = NativeRect(Rect);
  item->SetIsClipRect(true);
  item->SetClipRect(kmRect(clip.Left + FBandRect.Left, clip.Top + FBandRect.Top, clip.Right + FBandRect.Left,
                           clip.Bottom + FBandRect.Top));
  AddTextItem(std::move(item));
}

void TkmCustomDocumentEngine::TextOutV(double X, double Y, const std::u16string& Text, bool TopDown) {
  if (!CanRecordText()) return;
  const double h = TextHeight(Text);
  const double a = FTextRotationAngle * kDegreesToRadians;
  const double dx = h * std::sin(a), dy = h * std::cos(a);
  for (std::size_t i = 0; i < Text.size();) {
    const std::size_t n = CharLength(Text, i);
    TextOut(X, Y, Text.substr(i, n));
    i += n;
    X += TopDown ? dx : -dx;
    Y += TopDown ? dy : -dy;
  }
}

void TkmCustomDocumentEngine::SetTextRotation(int Angle) { FTextRotationAngle = Angle % 360; }
void TkmCustomDocumentEngine::SetTextAlignment(TkmHAlignment Alignment) { FTextAlignment = Alignment; }

void TkmCustomDocumentEngine::TextBox(const TkmRect& TextRect, const std::u16string& Text, TkmHAlignment HAlignment,
                                      TkmVAlignment VAlignment) {
  if (!CanRecordText()) return;
  TkmRect r = NativeRect(TextRect);
  r.Left += FBandRect.Left;
  r.Top += FBandRect.Top;
  r.Right = std::min(r.Right + FBandRect.Left, FBandRect.Right);
  r.Bottom = std::min(r.Bottom + FBandRect.Top, FBandRect.Bottom);
  auto box = std::make_unique<TkmTextBoxItem>();
  box->SetX(r.Left);
  box->SetY(r.Top);
  box->SetFont(FFont);
  box->SetBrush(FBrush);
  box->SetTextEffects(*FTextEffects);
  box->SetRotationAngle(FTextRotationAngle);
  box->SetAlignment(FTextAlignment);
  box->SetPen(FPen);
  box->SetFrame(*FFrame);
  box->SetBoxWidth(r.Right - r.Left);
  box->SetBoxHeight(r.Bottom - r.Top);
  box->SetHAlign(HAlignment);
  box->SetVAlign(VAlignment);
  const TkmRect& margin = box->GetFrame().NativeInternalMargin();
  const double width = box->GetBoxWidth() - margin.Left - margin.Right;
  WrapTextIntoLines(ReplacePlaceHolders(Text, false), width, width, box->GetLines(), false, FFont);
  AddTextItem(std::move(box));
}

// ---------------------------------------------------------------------------
// Text boxes at encoding time

// The background goes first so that it does not cover the inner half of the
// frame lines; the item's own pen and brush stay as recorded.
void TkmCustomDocumentEngine::EncodeTextBox(TkmTextBoxItem& AObject) {
  const double X = AObject.GetX(), Y = AObject.GetY();
  const double W = AObject.GetBoxWidth(), H = AObject.GetBoxHeight();
  if (AObject.GetBrush().GetStyle() != TBrushStyle::bsClear) {
    TPen noOutline;
    noOutline.SetStyle(TPenStyle::psClear);
    EncodeRect(X, Y, X + W, Y + H, noOutline, &AObject.GetBrush());
  }
  const TkmFrame& frame = AObject.GetFrame();
  const TPen& pen = AObject.GetPen();
  if (frame.GetIsLeft()) EncodeLine(X, Y, X, Y + H, pen);
  if (frame.GetIsTop()) EncodeLine(X, Y, X + W, Y, pen);
  if (frame.GetIsRight()) EncodeLine(X + W, Y, X + W, Y + H, pen);
  if (frame.GetIsBottom()) EncodeLine(X, Y + H, X + W, Y + H, pen);
  ProcessTextRect(AObject, AObject.GetHAlign(), AObject.GetVAlign(), W, H, frame.NativeInternalMargin(), false);
}

void TkmCustomDocumentEngine::ProcessTextRect(TkmTextItem& ATextItem, TkmHAlignment HAlign, TkmVAlignment VAlign,
                                              double MaxWidth, double MaxHeight, const TkmRect& Margin,
                                              bool AFillBackground) {
  const TFont& font = ATextItem.GetFont();
  TkmTextItem temp;
  temp.SetFont(font);
  temp.SetBrush(ATextItem.GetBrush());
  if (!AFillBackground) temp.GetBrush().SetStyle(TBrushStyle::bsClear);
  temp.SetTextEffects(ATextItem.GetTextEffects());
  temp.SetRotationAngle(ATextItem.GetRotationAngle());
  temp.SetAlignment(ATextItem.GetAlignment());

  TWideStrings& lines = ATextItem.GetLines();
  const double lineH = TextSize(u"W", font).cy;
  const double avail = MaxHeight - Margin.Top - Margin.Bottom;
  long long n = lineH > 0 ? Round(avail / lineH) : lines.Count();
  n = std::clamp<long long>(n, 0, lines.Count());

  double y = ATextItem.GetY() + Margin.Top;
  if (VAlign == TkmVAlignment::vaCenter) y = ATextItem.GetY() + (avail - static_cast<double>(n) * lineH) / 2;
  if (VAlign == TkmVAlignment::vaBottom) y = ATextItem.GetY() + avail - static_cast<double>(n) * lineH;
  const double width = MaxWidth - Margin.Left - Margin.Right;
  const int last = lines.Count() - 1;
  for (int i = 0; i < n; ++i) {
    const std::u16string recorded = WithoutLeadingBlanks(lines.Get(i));
    lines.Put(i, recorded);
    std::u16string line = ShownLine(recorded);
    const double w = TextSize(line, font).cx;
    double x = ATextItem.GetX() + Margin.Left;
    if (HAlign == TkmHAlignment::haRight) x += width - w;
    if (HAlign == TkmHAlignment::haCenter) x += (width - w) / 2;
    // A line that ends its paragraph (hard break) is not stretched, like the last line.
    const bool hardBreak = line.size() != recorded.size();
    if (HAlign == TkmHAlignment::haJustify && i != last && !hardBreak) {
      line = GetJustifiedText(line, width, [this, &font](const std::u16string& s) {
        return static_cast<double>(TextSize(s, font).cx);
      });
    }
    temp.GetLines().Clear();
    temp.GetLines().Add(line);
    temp.SetX(x);
    temp.SetY(y);
    MeasureTextAnchor(temp);
    EncodeText(temp);
    y += TextSize(line, font).cy;
  }
}

// ---------------------------------------------------------------------------
// Base text encoder and clipping

void TkmCustomDocumentEngine::EncodeText(TkmTextItem& AObject) {
  TWideStrings& lines = AObject.GetLines();
  const std::u16string recorded = lines.Get(0);
  lines.Put(0, ReplacePlaceHolders(recorded, true));
  double x = 0;
  VisibleTextPart(AObject, lines.Get(0), x);
  lines.Put(0, recorded);
}

std::u16string TkmCustomDocumentEngine::VisibleTextPart(const TkmTextItem& Item, const std::u16string& Line,
                                                        double& X) {
  X = Item.GetX();
  if (!Item.GetIsClipRect()) return Line;
  const TkmRect& clip = Item.GetClipRect();
  const TFont& font = Item.GetFont();
  const double h = TextSize(Line, font).cy;
  if (Item.GetY() < clip.Top || Item.GetY() + h / 2 > clip.Bottom || Item.GetX() > clip.Right) return {};
  auto prefixWidth = [&](std::size_t n) { return n == 0 ? 0.0 : static_cast<double>(TextSizeW(Line.substr(0, n), font).cx); };
  // Characters that start left of the clip are dropped.
  std::size_t first = 0;
  while (first < Line.size() && Item.GetX() + prefixWidth(first) < clip.Left) first += CharLength(Line, first);
  // Characters that end right of the clip (less one unit) are dropped.
  std::size_t end = first;
  while (end < Line.size()) {
    const std::size_t next = end + CharLength(Line, end);
    if (Item.GetX() + prefixWidth(next) > clip.Right - 1) break;
    end = next;
  }
  X = Item.GetX() + prefixWidth(first);
  return Line.substr(first, end - first);
}

// Sorts by Y, then, within one line step of the previous item, by X. Lists
// that hold anything but text items are left as they are.
void TkmCustomDocumentEngine::AdjustTextItemList(TkmItemList& AList) {
  for (const auto& item : AList) {
    if (!dynamic_cast<const TkmTextItem*>(item.get())) return;
  }
  auto text = [](const std::unique_ptr<TkmDocumentItem>& item) { return static_cast<TkmTextItem*>(item.get()); };
  std::stable_sort(AList.begin(), AList.end(),
                   [&](const auto& a, const auto& b) { return text(a)->GetY() < text(b)->GetY(); });
  std::size_t groupStart = 0;
  for (std::size_t i = 1; i <= AList.size(); ++i) {
    bool sameLine = false;
    if (i < AList.size()) {
      TkmTextItem* previous = text(AList[i - 1]);
      const double step = TextSize(previous->GetLines().Get(0), previous->GetFont()).cy;
      sameLine = text(AList[i])->GetY() - previous->GetY() < step;
    }
    if (sameLine) continue;
    std::stable_sort(AList.begin() + static_cast<std::ptrdiff_t>(groupStart),
                     AList.begin() + static_cast<std::ptrdiff_t>(i),
                     [&](const auto& a, const auto& b) { return text(a)->GetX() < text(b)->GetX(); });
    groupStart = i;
  }
}

}  // namespace km
