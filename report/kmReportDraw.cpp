// Views painting themselves on a platform canvas.
#include <algorithm>
#include <cmath>
#include <memory>

#include "kmFontCatalog.h"
#include "kmFontMetrics.h"
#include "kmGraphic.h"
#include "kmReportObjects.h"
#include "kmRichText.h"

namespace km {
namespace {

int Round(double v) { return static_cast<int>(std::nearbyint(v)); }

TPenStyle PenStyleOf(TfrxFrameStyle style) {
  switch (style) {
    case TfrxFrameStyle::fsDash: return TPenStyle::psDash;
    case TfrxFrameStyle::fsDot: return TPenStyle::psDot;
    case TfrxFrameStyle::fsDashDot: return TPenStyle::psDashDot;
    case TfrxFrameStyle::fsDashDotDot: return TPenStyle::psDashDotDot;
    case TfrxFrameStyle::fsSolid:
    case TfrxFrameStyle::fsDouble: break;
  }
  return TPenStyle::psSolid;
}

// The pen width of a frame at a scale: halves to even, at least one pixel.
int FramePenWidth(const TfrxFrame& frame, double scale) { return std::max(1, Round(frame.Width * scale)); }

void SelectFramePen(TCanvas& canvas, const TfrxFrame& frame, double scale) {
  TPen pen;
  pen.SetColor(frame.Color);
  pen.SetWidth(FramePenWidth(frame, scale));
  pen.SetStyle(PenStyleOf(frame.Style));
  canvas.SetPen(pen);
}

void Line(TCanvas& canvas, int x1, int y1, int x2, int y2) {
  canvas.MoveTo(x1, y1);
  canvas.LineTo(x2, y2);
}

// One line of memo text: characters [First, End) of the text, of which the
// painted ones end at DrawEnd (line ends and trailing spaces are not painted).
struct TMemoLine {
  std::size_t First = 0, DrawEnd = 0;
  bool EndsParagraph = true;
  int Width = 0;
};

std::vector<TMemoLine> BreakMemoText(const std::u16string& text, const std::vector<std::int32_t>& adv, int width,
                                     bool wordWrap) {
  std::vector<TMemoLine> lines;
  const std::size_t n = text.size();
  std::size_t pos = 0;
  do {
    // Spaces always fit; a word that does not fit moves to the next line, or
    // is broken between characters when it is alone on its line.
    std::size_t end = pos, last_space = std::u16string::npos;
    int x = 0;
    bool wrapped = false;
    for (; end < n && text[end] != u'\r' && text[end] != u'\n'; ++end) {
      bool space = text[end] == u' ';
      if (wordWrap && !space && end > pos && x + adv[end] > width) {
        wrapped = true;
        break;
      }
      x += adv[end];
      if (space) last_space = end;
    }
    std::size_t next = end;
    if (wrapped && last_space != std::u16string::npos) end = next = last_space + 1;
    if (!wrapped && end < n) next += (text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n') ? 2 : 1;
    std::size_t draw_end = end;
    while (draw_end > pos && text[draw_end - 1] == u' ') --draw_end;
    TMemoLine line{pos, draw_end, !wrapped, 0};
    for (std::size_t i = pos; i < draw_end; ++i) line.Width += adv[i];
    lines.push_back(line);
    pos = next;
  } while (pos < n);
  return lines;
}

}  // namespace

TfrxDrawBox TfrxView::DrawBox(double scaleX, double scaleY, double offsetX, double offsetY) const {
  const double l = GetAbsLeft(), t = GetAbsTop();
  TfrxDrawBox box;
  box.Box = {Round(l * scaleX + offsetX), Round(t * scaleY + offsetY), Round((l + GetWidth()) * scaleX + offsetX),
             Round((t + GetHeight()) * scaleY + offsetY)};
  box.ScaleX = scaleX;
  box.ScaleY = scaleY;
  return box;
}

void TfrxView::Draw(TCanvas& canvas, double scaleX, double scaleY, double offsetX, double offsetY) const {
  TfrxDrawBox box = DrawBox(scaleX, scaleY, offsetX, offsetY);
  DrawFill(canvas, box.Box);
  DrawContent(canvas, box);
  DrawFrame(canvas, box);
}

void TfrxView::DrawContent(TCanvas&, const TfrxDrawBox&) const {}

void TfrxView::DrawFill(TCanvas& canvas, const TRect& box) const {
  if (GetColor() == clNone || box.IsEmpty()) return;
  TBrush brush;
  brush.SetColor(GetColor());
  canvas.SetBrush(brush);
  canvas.FillRect(box);
}

void TfrxView::DrawFrame(TCanvas& canvas, const TfrxDrawBox& box) const {
  const TfrxFrame& f = GetFrame();
  if (f.Typ.Empty()) return;
  SelectFramePen(canvas, f, box.ScaleX);
  const TRect& r = box.Box;
  auto sides = [&](int in) {
    if (f.Typ.Contains(TfrxFrameType::ftTop)) Line(canvas, r.Left, r.Top + in, r.Right, r.Top + in);
    if (f.Typ.Contains(TfrxFrameType::ftBottom)) Line(canvas, r.Left, r.Bottom - in, r.Right, r.Bottom - in);
    if (f.Typ.Contains(TfrxFrameType::ftLeft)) Line(canvas, r.Left + in, r.Top, r.Left + in, r.Bottom);
    if (f.Typ.Contains(TfrxFrameType::ftRight)) Line(canvas, r.Right - in, r.Top, r.Right - in, r.Bottom);
  };
  sides(0);
  // A double frame: a second line inside the first, two pen widths in.
  if (f.Style == TfrxFrameStyle::fsDouble) sides(2 * FramePenWidth(f, box.ScaleX));
}

void TfrxMemoView::DrawContent(TCanvas& canvas, const TfrxDrawBox& box) const {
  if (GetText().empty()) return;
  TFont font = GetFont();
  font.SetHeight(Round(font.GetHeight() * box.ScaleY));
  if (font.GetHeight() == 0) return;
  std::unique_ptr<FontInstance> measured = FontCatalog::Default().CreateFont(font);
  const TRect inner{box.Box.Left + Round(GetGapX() * box.ScaleX), box.Box.Top + Round(GetGapY() * box.ScaleY),
                    box.Box.Right - Round(GetGapX() * box.ScaleX), box.Box.Bottom - Round(GetGapY() * box.ScaleY)};

  const TFont saved_font = canvas.GetFont();
  const TColor saved_color = canvas.GetTextColor();
  const TBkMode saved_mode = canvas.GetBkMode();
  const std::uint32_t saved_align = canvas.GetTextAlign();
  canvas.SetFont(font);
  std::vector<std::int32_t> adv =
      measured ? CharAdvances(*measured, GetText()) : canvas.TextAdvances(GetText());
  int line_height = measured ? measured->GetTextMetrics().tmHeight : std::abs(font.GetHeight());
  std::vector<TMemoLine> lines = BreakMemoText(GetText(), adv, inner.Width(), GetWordWrap());
  std::size_t shown = 1;
  while (shown < lines.size() && static_cast<int>(shown + 1) * line_height <= inner.Height()) ++shown;
  lines.resize(std::min(lines.size(), shown));

  const int total = static_cast<int>(lines.size()) * line_height;
  int y = inner.Top;
  if (GetVAlign() == TfrxVAlign::vaBottom) y = inner.Bottom - total;
  else if (GetVAlign() == TfrxVAlign::vaCenter) y = inner.Top + (inner.Height() - total) / 2;

  canvas.SetTextColor(font.GetColor());
  canvas.SetBkMode(TRANSPARENT);
  canvas.SetTextAlign(TA_LEFT | TA_TOP);
  for (const TMemoLine& line : lines) {
    std::u16string text = GetText().substr(line.First, line.DrawEnd - line.First);
    std::vector<std::int32_t> a(adv.begin() + static_cast<std::ptrdiff_t>(line.First),
                                adv.begin() + static_cast<std::ptrdiff_t>(line.DrawEnd));
    int room = inner.Width() - line.Width;
    int x = inner.Left;
    if (GetHAlign() == TfrxHAlign::haRight) x += room;
    else if (GetHAlign() == TfrxHAlign::haCenter) x += room / 2;
    else if (GetHAlign() == TfrxHAlign::haBlock && !line.EndsParagraph && room > 0) {
      // Justified: the room is shared out over the spaces of the line.
      int spaces = static_cast<int>(std::count(text.begin(), text.end(), u' '));
      for (std::size_t i = 0, k = 0; i < text.size() && spaces > 0; ++i)
        if (text[i] == u' ') {
          a[i] += room * static_cast<int>(k + 1) / spaces - room * static_cast<int>(k) / spaces;
          ++k;
        }
    }
    if (!text.empty()) canvas.ExtTextOut(x, y, 0, nullptr, text, a);
    y += line_height;
  }
  canvas.SetFont(saved_font);
  canvas.SetTextColor(saved_color);
  canvas.SetBkMode(saved_mode);
  canvas.SetTextAlign(saved_align);
}

void TfrxRichView::DrawContent(TCanvas& canvas, const TfrxDrawBox& box) const {
  TRichText doc = TRichText::FromRtf(GetRichText());
  TRichFormatRange range;
  range.Rect = {box.Box.Left + Round(GetGapX() * box.ScaleX), box.Box.Top + Round(GetGapY() * box.ScaleY),
                box.Box.Right - Round(GetGapX() * box.ScaleX), box.Box.Bottom - Round(GetGapY() * box.ScaleY)};
  range.UnitsPerInch = frxUnitsPerInch * box.ScaleY;
  FormatRange(doc, &canvas, range);
}

void TfrxPictureView::DrawContent(TCanvas& canvas, const TfrxDrawBox& box) const {
  const TGraphic* graphic = GetPicture().GetGraphic();
  if (!graphic || graphic->Empty() || box.Box.IsEmpty()) return;
  canvas.StretchDraw(box.Box, *graphic);
}

void TfrxLineView::Draw(TCanvas& canvas, double scaleX, double scaleY, double offsetX, double offsetY) const {
  TfrxDrawBox box = DrawBox(scaleX, scaleY, offsetX, offsetY);
  SelectFramePen(canvas, GetFrame(), scaleX);
  Line(canvas, box.Box.Left, box.Box.Top, box.Box.Right, box.Box.Bottom);
}

void TfrxShapeView::Draw(TCanvas& canvas, double scaleX, double scaleY, double offsetX, double offsetY) const {
  TfrxDrawBox box = DrawBox(scaleX, scaleY, offsetX, offsetY);
  const TRect& r = box.Box;
  SelectFramePen(canvas, GetFrame(), scaleX);
  TBrush brush;
  if (GetColor() == clNone) {
    brush.SetStyle(TBrushStyle::bsClear);
  } else {
    brush.SetColor(GetColor());
  }
  canvas.SetBrush(brush);
  switch (GetShape()) {
    case TfrxShapeKind::skRectangle: canvas.Rectangle(r.Left, r.Top, r.Right, r.Bottom); break;
    case TfrxShapeKind::skRoundRectangle: {
      int curve = GetCurve() > 0 ? Round(GetCurve() * scaleX) : std::min(r.Width(), r.Height()) / 4;
      canvas.RoundRect(r.Left, r.Top, r.Right, r.Bottom, curve, curve);
      break;
    }
    case TfrxShapeKind::skEllipse: canvas.Ellipse(r.Left, r.Top, r.Right, r.Bottom); break;
  }
}

}  // namespace km
