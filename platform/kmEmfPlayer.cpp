#include "kmEmfPlayer.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <variant>
#include <vector>

#include "kmBitmap.h"
#include "kmEmfReader.h"
#include "kmEmfTypes.h"
#include "kmException.h"

namespace km {

using namespace emf;

namespace {

struct MetaMapping {
  TMapMode MapMode = MM_TEXT;
  TPoint WindowOrg, ViewportOrg;
  TSize WindowExt{1, 1}, ViewportExt{1, 1};
  TXForm XForm;
};

using TObject = std::variant<std::monostate, TPen, TBrush, TFont>;

class Player {
 public:
  Player(TCanvas& canvas, const TEmfHeader& header, const TRect& dest) : c_(canvas) {
    ppi_x_ = Resolution(header.Device.cx, header.Millimeters.cx, header.Micrometers.cx);
    ppi_y_ = Resolution(header.Device.cy, header.Millimeters.cy, header.Micrometers.cy);
    // The frame (0.01 mm) in the metafile's device pixels; the bounds when the frame is empty.
    // Rounded to whole pixels: the frame stands for a pixel size, and the
    // 0.01 mm units would otherwise stretch the picture by a fraction of a pixel.
    double fl = std::nearbyint(header.Frame.Left * ppi_x_ / 2540.0);
    double ft = std::nearbyint(header.Frame.Top * ppi_y_ / 2540.0);
    double fr = std::nearbyint(header.Frame.Right * ppi_x_ / 2540.0);
    double fb = std::nearbyint(header.Frame.Bottom * ppi_y_ / 2540.0);
    if (fr - fl <= 0 || fb - ft <= 0) {
      fl = header.Bounds.Left, ft = header.Bounds.Top;
      fr = header.Bounds.Right + 1.0, fb = header.Bounds.Bottom + 1.0;
    }
    double sx = fr - fl > 0 ? dest.Width() / (fr - fl) : 1.0;
    double sy = fb - ft > 0 ? dest.Height() / (fb - ft) : 1.0;
    base_ = TXForm{static_cast<float>(sx), 0, 0, static_cast<float>(sy), static_cast<float>(dest.Left - fl * sx),
                   static_cast<float>(dest.Top - ft * sy)};
    outer_ = c_.GetWorldTransform();
    start_depth_ = c_.SaveDC();
    // The metafile starts with the default objects and modes.
    c_.SetPen(TPen{});
    c_.SetBrush(TBrush{});
    TFont font;
    font.SetHeight(-12);
    font.SetColor(clBlack);
    c_.SetFont(font);
    c_.SetTextColor(clBlack);
    c_.SetBkColor(clWhite);
    c_.SetBkMode(OPAQUE);
    c_.SetTextAlign(TA_LEFT | TA_TOP);
    c_.SetPolyFillMode(ALTERNATE);
    ApplyMapping();
  }

  ~Player() { c_.RestoreDC(start_depth_); }

  void Play(const TEmfRecord& r);

 private:
  static double Resolution(int device, int mm, int um) {
    if (um > 0 && device > 0) return device * 25400.0 / um;
    if (mm > 0 && device > 0) return device * 25.4 / mm;
    return 96.0;
  }

  void PageScale(double& sx, double& sy) const {
    switch (m_.MapMode) {
      case MM_LOMETRIC: sx = ppi_x_ / 254.0; sy = -ppi_y_ / 254.0; return;
      case MM_HIMETRIC: sx = ppi_x_ / 2540.0; sy = -ppi_y_ / 2540.0; return;
      case MM_LOENGLISH: sx = ppi_x_ / 100.0; sy = -ppi_y_ / 100.0; return;
      case MM_HIENGLISH: sx = ppi_x_ / 1000.0; sy = -ppi_y_ / 1000.0; return;
      case MM_TWIPS: sx = ppi_x_ / 1440.0; sy = -ppi_y_ / 1440.0; return;
      case MM_ISOTROPIC:
      case MM_ANISOTROPIC: {
        sx = m_.WindowExt.cx ? static_cast<double>(m_.ViewportExt.cx) / m_.WindowExt.cx : 1.0;
        sy = m_.WindowExt.cy ? static_cast<double>(m_.ViewportExt.cy) / m_.WindowExt.cy : 1.0;
        if (m_.MapMode == MM_ISOTROPIC) {
          double m = std::min(std::fabs(sx), std::fabs(sy));
          sx = std::copysign(m, sx);
          sy = std::copysign(m, sy);
        }
        return;
      }
      default: sx = 1; sy = 1;
    }
  }

  // The metafile's logical-to-device mapping followed by the frame-to-dest
  // mapping and the canvas's own world transform, as one world transform.
  void ApplyMapping() {
    double sx, sy;
    PageScale(sx, sy);
    TXForm page{static_cast<float>(sx), 0, 0, static_cast<float>(sy),
                static_cast<float>(m_.ViewportOrg.X - m_.WindowOrg.X * sx),
                static_cast<float>(m_.ViewportOrg.Y - m_.WindowOrg.Y * sy)};
    c_.SetWorldTransform(TXForm::Combine(TXForm::Combine(TXForm::Combine(m_.XForm, page), base_), outer_));
  }

  // Device-unit rectangles (regions) go through the frame mapping only.
  template <typename F>
  void InDeviceUnits(F&& f) {
    c_.SetWorldTransform(TXForm::Combine(base_, outer_));
    f();
    ApplyMapping();
  }

  void Store(std::uint32_t index, TObject obj) {
    if (index == 0 || index > 0xFFFF) return;
    objects_[index] = std::move(obj);
  }

  void Select(std::uint32_t index);
  void CreatePen(const ByteReader& b, bool extended);
  void CreateBrush(const ByteReader& b);
  void CreateFont(const ByteReader& b);
  std::vector<TPoint> Points(const ByteReader& b, std::size_t count_off, std::size_t points_off, bool small);
  void PolyPoly(const ByteReader& b, bool small, bool polygon);
  void Text(const ByteReader& b, bool wide);
  void StretchDib(const ByteReader& b);
  void BitBlt(const ByteReader& b, std::uint32_t type);
  void SetDibToDevice(const ByteReader& b);
  void FillRegion(const ByteReader& b);
  void SelectClipRegion(const ByteReader& b);
  bool LoadDib(const ByteReader& b, std::size_t off_bmi, std::size_t cb_bmi, std::size_t off_bits, std::size_t cb_bits,
               TBitmap& out);

  TCanvas& c_;
  double ppi_x_ = 96, ppi_y_ = 96;
  TXForm base_, outer_;
  int start_depth_ = 0;
  MetaMapping m_;
  std::vector<MetaMapping> saved_;
  std::map<std::uint32_t, TObject> objects_;
};

TPoint Pt(const ByteReader& b, std::size_t off) { return {b.I32(off), b.I32(off + 4)}; }

// Sums of untrusted record values, in 64 bits and pulled into a range whose
// widths and heights still fit the canvas's 32-bit arithmetic.
std::int32_t Coord(std::int64_t v) {
  constexpr std::int64_t kLimit = std::int64_t{1} << 28;
  return static_cast<std::int32_t>(std::clamp(v, -kLimit, kLimit));
}
TRect Span(std::int64_t x, std::int64_t y, std::int64_t cx, std::int64_t cy) {
  return {Coord(x), Coord(y), Coord(x + cx), Coord(y + cy)};
}
// A source rectangle of a DIB whose y counts from the bottom row.
TRect BottomUpSpan(std::int64_t height, std::int64_t xs, std::int64_t ys, std::int64_t cx, std::int64_t cy) {
  return {Coord(xs), Coord(height - ys - cy), Coord(xs + cx), Coord(height - ys)};
}

void Player::Select(std::uint32_t index) {
  if (index & STOCK_OBJECT) {
    switch (index & ~STOCK_OBJECT) {
      case 0: { TBrush br; br.SetColor(clWhite); c_.SetBrush(br); break; }
      case 1: { TBrush br; br.SetColor(0xC0C0C0); c_.SetBrush(br); break; }
      case 2: { TBrush br; br.SetColor(0x808080); c_.SetBrush(br); break; }
      case 3: { TBrush br; br.SetColor(0x404040); c_.SetBrush(br); break; }
      case 4: { TBrush br; br.SetColor(clBlack); c_.SetBrush(br); break; }
      case 5: { TBrush br; br.SetStyle(TBrushStyle::bsClear); c_.SetBrush(br); break; }
      case 6: { TPen p; p.SetColor(clWhite); c_.SetPen(p); break; }
      case 7: c_.SetPen(TPen{}); break;
      case 8: { TPen p; p.SetStyle(TPenStyle::psClear); c_.SetPen(p); break; }
      case 10: case 11: case 12: case 13: case 14: case 16: case 17: {
        TFont f;
        f.SetHeight(-12);
        c_.SetFont(f);
        break;
      }
      default: break;
    }
    return;
  }
  auto it = objects_.find(index);
  if (it == objects_.end()) return;
  if (auto* p = std::get_if<TPen>(&it->second)) c_.SetPen(*p);
  else if (auto* br = std::get_if<TBrush>(&it->second)) c_.SetBrush(*br);
  else if (auto* f = std::get_if<TFont>(&it->second)) c_.SetFont(*f);
}

TPenStyle PenStyleOf(std::uint32_t code) {
  switch (code & 0xF) {
    case 1: return TPenStyle::psDash;
    case 2: return TPenStyle::psDot;
    case 3: return TPenStyle::psDashDot;
    case 4: return TPenStyle::psDashDotDot;
    case 5: return TPenStyle::psClear;
    case 6: return TPenStyle::psInsideFrame;
    default: return TPenStyle::psSolid;
  }
}

void Player::CreatePen(const ByteReader& b, bool extended) {
  TPen p;
  if (extended) {
    // EMR_EXTCREATEPEN: ihPen, offBmi, cbBmi, offBits, cbBits, then LOGPEN_EX.
    std::uint32_t style = b.U32(28);
    p.SetStyle(PenStyleOf(style));
    p.SetWidth(static_cast<int>(std::min<std::uint32_t>(b.U32(32), 1 << 20)));
    p.SetColor(b.U32(40) & 0xFFFFFF);
    // A cosmetic pen is one device pixel whatever its recorded width.
    if ((style & 0xF0000) == 0) p.SetWidth(0);
  } else {
    p.SetStyle(PenStyleOf(b.U32(12)));
    p.SetWidth(std::clamp(b.I32(16), 0, 1 << 20));
    p.SetColor(b.U32(24) & 0xFFFFFF);
  }
  Store(b.U32(8), p);
}

void Player::CreateBrush(const ByteReader& b) {
  TBrush br;
  std::uint32_t style = b.U32(12);
  br.SetColor(b.U32(16) & 0xFFFFFF);
  if (style == 1) br.SetStyle(TBrushStyle::bsClear);
  else if (style == 2) {
    std::uint32_t hatch = b.U32(20);
    if (hatch <= 5) br.SetStyle(static_cast<TBrushStyle>(static_cast<int>(TBrushStyle::bsHorizontal) + hatch));
  }
  Store(b.U32(8), br);
}

void Player::CreateFont(const ByteReader& b) {
  TFont f;
  f.SetHeight(b.I32(12));
  f.SetOrientation(b.I32(20));
  TFontStyles st;
  if (b.I32(28) >= 600) st.Include(TFontStyle::fsBold);
  if (b.U8(32)) st.Include(TFontStyle::fsItalic);
  if (b.U8(33)) st.Include(TFontStyle::fsUnderline);
  if (b.U8(34)) st.Include(TFontStyle::fsStrikeOut);
  f.SetStyle(st);
  f.SetCharset(b.U8(35));
  std::u16string name;
  for (std::size_t i = 0; i < 32; ++i) {
    char16_t ch = b.U16(40 + 2 * i);
    if (ch == 0) break;
    name.push_back(ch);
  }
  f.SetName(name);
  Store(b.U32(8), f);
}

std::vector<TPoint> Player::Points(const ByteReader& b, std::size_t count_off, std::size_t points_off, bool small) {
  std::uint32_t n = b.U32(count_off);
  std::size_t unit = small ? 4 : 8;
  if (!b.Has(points_off, static_cast<std::size_t>(n) * unit)) throw EReadError("point count exceeds the record");
  std::vector<TPoint> pts(n);
  for (std::uint32_t i = 0; i < n; ++i) {
    std::size_t o = points_off + i * unit;
    pts[i] = small ? TPoint{b.I16(o), b.I16(o + 2)} : Pt(b, o);
  }
  return pts;
}

void Player::PolyPoly(const ByteReader& b, bool small, bool polygon) {
  std::uint32_t n = b.U32(24), total = b.U32(28);
  if (!b.Has(32, static_cast<std::size_t>(n) * 4)) throw EReadError("polygon count exceeds the record");
  std::vector<std::int32_t> counts(n);
  std::uint64_t sum = 0;
  for (std::uint32_t i = 0; i < n; ++i) {
    counts[i] = b.I32(32 + 4 * i);
    if (counts[i] < 0) return;
    sum += static_cast<std::uint32_t>(counts[i]);
  }
  if (sum != total) return;
  std::size_t poff = 32 + static_cast<std::size_t>(n) * 4, unit = small ? 4 : 8;
  if (!b.Has(poff, static_cast<std::size_t>(total) * unit)) throw EReadError("point count exceeds the record");
  std::vector<TPoint> pts(total);
  for (std::uint32_t i = 0; i < total; ++i) {
    std::size_t o = poff + i * unit;
    pts[i] = small ? TPoint{b.I16(o), b.I16(o + 2)} : Pt(b, o);
  }
  if (polygon) {
    c_.PolyPolygon(pts, counts);
    return;
  }
  std::size_t at = 0;
  for (std::int32_t cnt : counts) {
    c_.Polyline(std::span<const TPoint>(pts).subspan(at, static_cast<std::size_t>(cnt)));
    at += static_cast<std::size_t>(cnt);
  }
}

void Player::Text(const ByteReader& b, bool wide) {
  // EMR_EXTTEXTOUT: bounds, iGraphicsMode, exScale, eyScale, then EMRTEXT at 36.
  TPoint ref = Pt(b, 36);
  std::uint32_t n = b.U32(44), off_string = b.U32(48), options = b.U32(52), off_dx = b.U32(72);
  TRect rect{b.I32(56), b.I32(60), b.I32(64), b.I32(68)};
  if (n > b.Size()) throw EReadError("character count exceeds the record");
  std::u16string text;
  text.reserve(n);
  for (std::uint32_t i = 0; i < n; ++i)
    text.push_back(wide ? b.U16(off_string + 2 * i) : static_cast<char16_t>(b.U8(off_string + i)));
  std::vector<std::int32_t> dx;
  if (off_dx != 0 && b.Has(off_dx, static_cast<std::size_t>(n) * 4)) {
    dx.resize(n);
    for (std::uint32_t i = 0; i < n; ++i) dx[i] = b.I32(off_dx + 4 * i);
  }
  bool has_rect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
  c_.ExtTextOut(ref.X, ref.Y, options & (ETO_OPAQUE | ETO_CLIPPED), has_rect ? &rect : nullptr, text, dx);
}

bool Player::LoadDib(const ByteReader& b, std::size_t off_bmi, std::size_t cb_bmi, std::size_t off_bits,
                     std::size_t cb_bits, TBitmap& out) {
  if (cb_bmi == 0 || cb_bits == 0) return false;
  try {
    out.LoadFromDib(b.Slice(off_bmi, cb_bmi), b.Slice(off_bits, cb_bits));
  } catch (const EInvalidGraphic&) {
    return false;
  }
  return true;
}

void Player::StretchDib(const ByteReader& b) {
  std::int32_t x = b.I32(24), y = b.I32(28), xs = b.I32(32), ys = b.I32(36), cxs = b.I32(40), cys = b.I32(44);
  std::uint32_t rop = b.U32(68);
  std::int32_t cx = b.I32(72), cy = b.I32(76);
  TBitmap bmp;
  if (!LoadDib(b, b.U32(48), b.U32(52), b.U32(56), b.U32(60), bmp)) return;
  // ySrc counts from the bottom row of the DIB.
  c_.StretchBitmap(Span(x, y, cx, cy), bmp, BottomUpSpan(bmp.GetHeight(), xs, ys, cxs, cys), rop);
}

void Player::BitBlt(const ByteReader& b, std::uint32_t type) {
  // EMR_BITBLT and EMR_STRETCHBLT share the layout up to cbBitsSrc; STRETCHBLT adds cxSrc, cySrc.
  std::int32_t x = b.I32(24), y = b.I32(28), cx = b.I32(32), cy = b.I32(36);
  std::uint32_t rop = b.U32(40);
  std::int32_t xs = b.I32(44), ys = b.I32(48);
  std::uint32_t off_bmi = b.U32(84), cb_bmi = b.U32(88), off_bits = b.U32(92), cb_bits = b.U32(96);
  TBitmap bmp;
  if (cb_bmi == 0 || cb_bits == 0) {
    // A blit without a source paints the brush (or a constant) over the rectangle.
    TBrush keep = c_.GetBrush();
    if (rop == BLACKNESS || rop == WHITENESS) {
      TBrush br;
      br.SetColor(rop == BLACKNESS ? clBlack : clWhite);
      c_.SetBrush(br);
    }
    if (rop == PATCOPY || rop == BLACKNESS || rop == WHITENESS) c_.FillRect(Span(x, y, cx, cy));
    c_.SetBrush(keep);
    return;
  }
  if (!LoadDib(b, off_bmi, cb_bmi, off_bits, cb_bits, bmp)) return;
  std::int32_t cxs = cx, cys = cy;
  if (type == EMR_STRETCHBLT) {
    cxs = b.I32(100);
    cys = b.I32(104);
  }
  c_.StretchBitmap(Span(x, y, cx, cy), bmp, Span(xs, ys, cxs, cys), rop);
}

void Player::SetDibToDevice(const ByteReader& b) {
  std::int32_t x = b.I32(24), y = b.I32(28), xs = b.I32(32), ys = b.I32(36), cx = b.I32(40), cy = b.I32(44);
  TBitmap bmp;
  if (!LoadDib(b, b.U32(48), b.U32(52), b.U32(56), b.U32(60), bmp)) return;
  const TRect src = BottomUpSpan(bmp.GetHeight(), xs, ys, cx, cy);
  InDeviceUnits([&] { c_.StretchBitmap(Span(x, y, cx, cy), bmp, src, SRCCOPY); });
}

// Region data: RGNDATAHEADER (dwSize, iType, nCount, nRgnSize, rcBound) then nCount RECTLs.
static std::vector<TRect> RegionRects(const ByteReader& b, std::size_t off, std::size_t size) {
  ByteReader r = b.Sub(off, size);
  std::uint32_t n = r.U32(8);
  if (!r.Has(32, static_cast<std::size_t>(n) * 16)) throw EReadError("region count exceeds the record");
  std::vector<TRect> rects(n);
  for (std::uint32_t i = 0; i < n; ++i) {
    std::size_t o = 32 + 16 * i;
    rects[i] = {r.I32(o), r.I32(o + 4), r.I32(o + 8), r.I32(o + 12)};
  }
  return rects;
}

void Player::FillRegion(const ByteReader& b) {
  // EMR_FILLRGN: bounds, cbRgnData, ihBrush, RgnData.
  std::uint32_t cb = b.U32(24), brush = b.U32(28);
  auto rects = RegionRects(b, 32, cb);
  TBrush keep = c_.GetBrush();
  Select(brush);
  InDeviceUnits([&] {
    for (const TRect& r : rects) c_.FillRect(r);
  });
  c_.SetBrush(keep);
}

void Player::SelectClipRegion(const ByteReader& b) {
  std::uint32_t cb = b.U32(8), mode = b.U32(12);
  if (cb == 0) {
    if (mode == RGN_COPY) c_.ResetClip();
    return;
  }
  auto rects = RegionRects(b, 16, cb);
  if (rects.empty()) return;
  // The clip is kept as rectangles: a region becomes its bounding box.
  TRect box = rects[0];
  for (const TRect& r : rects) {
    box.Left = std::min(box.Left, r.Left), box.Top = std::min(box.Top, r.Top);
    box.Right = std::max(box.Right, r.Right), box.Bottom = std::max(box.Bottom, r.Bottom);
  }
  InDeviceUnits([&] {
    if (mode == RGN_COPY) c_.ResetClip();
    if (mode == RGN_COPY || mode == RGN_AND) c_.IntersectClipRect(box);
  });
}

void Player::Play(const TEmfRecord& rec) {
  ByteReader b = rec.Reader();
  switch (rec.Type) {
    case EMR_POLYGON: c_.Polygon(Points(b, 24, 28, false)); break;
    case EMR_POLYGON16: c_.Polygon(Points(b, 24, 28, true)); break;
    case EMR_POLYLINE: c_.Polyline(Points(b, 24, 28, false)); break;
    case EMR_POLYLINE16: c_.Polyline(Points(b, 24, 28, true)); break;
    case EMR_POLYBEZIER: c_.PolyBezier(Points(b, 24, 28, false)); break;
    case EMR_POLYBEZIER16: c_.PolyBezier(Points(b, 24, 28, true)); break;
    case EMR_POLYLINETO:
    case EMR_POLYLINETO16:
    case EMR_POLYBEZIERTO:
    case EMR_POLYBEZIERTO16: {
      bool small = rec.Type == EMR_POLYLINETO16 || rec.Type == EMR_POLYBEZIERTO16;
      auto pts = Points(b, 24, 28, small);
      if (pts.empty()) break;
      pts.insert(pts.begin(), c_.GetPenPos());
      if (rec.Type == EMR_POLYLINETO || rec.Type == EMR_POLYLINETO16) c_.Polyline(pts);
      else c_.PolyBezier(pts);
      c_.MoveTo(pts.back().X, pts.back().Y);
      break;
    }
    case EMR_POLYPOLYLINE: PolyPoly(b, false, false); break;
    case EMR_POLYPOLYLINE16: PolyPoly(b, true, false); break;
    case EMR_POLYPOLYGON: PolyPoly(b, false, true); break;
    case EMR_POLYPOLYGON16: PolyPoly(b, true, true); break;
    case EMR_MOVETOEX: c_.MoveTo(b.I32(8), b.I32(12)); break;
    case EMR_LINETO: c_.LineTo(b.I32(8), b.I32(12)); break;
    case EMR_RECTANGLE: c_.Rectangle(b.I32(8), b.I32(12), b.I32(16), b.I32(20)); break;
    case EMR_ELLIPSE: c_.Ellipse(b.I32(8), b.I32(12), b.I32(16), b.I32(20)); break;
    case EMR_ROUNDRECT: c_.RoundRect(b.I32(8), b.I32(12), b.I32(16), b.I32(20), b.I32(24), b.I32(28)); break;
    case EMR_ARC:
    case EMR_CHORD:
    case EMR_PIE: {
      int v[8];
      for (int i = 0; i < 8; ++i) v[i] = b.I32(8 + 4 * i);
      if (rec.Type == EMR_ARC) c_.Arc(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
      else if (rec.Type == EMR_CHORD) c_.Chord(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
      else c_.Pie(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
      break;
    }
    case EMR_SETPIXELV: c_.SetPixel(b.I32(8), b.I32(12), b.U32(16) & 0xFFFFFF); break;
    case EMR_BEGINPATH: c_.BeginPath(); break;
    case EMR_ENDPATH: c_.EndPath(); break;
    case EMR_CLOSEFIGURE: c_.CloseFigure(); break;
    case EMR_ABORTPATH: c_.AbortPath(); break;
    case EMR_FILLPATH: c_.FillPath(); break;
    case EMR_STROKEPATH: c_.StrokePath(); break;
    case EMR_STROKEANDFILLPATH: c_.StrokeAndFillPath(); break;
    case EMR_SELECTCLIPPATH: c_.SelectClipPath(); break;
    case EMR_SETBKMODE: c_.SetBkMode(b.U32(8) == TRANSPARENT ? TRANSPARENT : OPAQUE); break;
    case EMR_SETBKCOLOR: c_.SetBkColor(b.U32(8) & 0xFFFFFF); break;
    case EMR_SETTEXTCOLOR: c_.SetTextColor(b.U32(8) & 0xFFFFFF); break;
    case EMR_SETTEXTALIGN: c_.SetTextAlign(b.U32(8)); break;
    case EMR_SETPOLYFILLMODE: c_.SetPolyFillMode(b.U32(8) == WINDING ? WINDING : ALTERNATE); break;
    case EMR_SETROP2: c_.SetROP2(b.U32(8)); break;
    case EMR_SETSTRETCHBLTMODE: c_.SetStretchBltMode(b.U32(8)); break;
    case EMR_SETMAPMODE: {
      std::uint32_t mode = b.U32(8);
      if (mode >= MM_TEXT && mode <= MM_ANISOTROPIC) m_.MapMode = static_cast<TMapMode>(mode);
      ApplyMapping();
      break;
    }
    case EMR_SETWINDOWORGEX: m_.WindowOrg = Pt(b, 8); ApplyMapping(); break;
    case EMR_SETVIEWPORTORGEX: m_.ViewportOrg = Pt(b, 8); ApplyMapping(); break;
    case EMR_SETWINDOWEXTEX:
    case EMR_SETVIEWPORTEXTEX: {
      TSize s{b.I32(8), b.I32(12)};
      if (s.cx == 0 || s.cy == 0) break;
      (rec.Type == EMR_SETWINDOWEXTEX ? m_.WindowExt : m_.ViewportExt) = s;
      ApplyMapping();
      break;
    }
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX: {
      std::int32_t xn = b.I32(8), xd = b.I32(12), yn = b.I32(16), yd = b.I32(20);
      if (xd == 0 || yd == 0) break;
      TSize& s = rec.Type == EMR_SCALEWINDOWEXTEX ? m_.WindowExt : m_.ViewportExt;
      TSize n{static_cast<std::int32_t>(static_cast<std::int64_t>(s.cx) * xn / xd),
              static_cast<std::int32_t>(static_cast<std::int64_t>(s.cy) * yn / yd)};
      if (n.cx != 0 && n.cy != 0) s = n;
      ApplyMapping();
      break;
    }
    case EMR_SETWORLDTRANSFORM:
    case EMR_MODIFYWORLDTRANSFORM: {
      TXForm x{b.F32(8), b.F32(12), b.F32(16), b.F32(20), b.F32(24), b.F32(28)};
      for (float v : {x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy})
        if (!std::isfinite(v)) return;
      if (rec.Type == EMR_SETWORLDTRANSFORM) m_.XForm = x;
      else {
        std::uint32_t mode = b.U32(32);
        if (mode == MWT_IDENTITY) m_.XForm = TXForm{};
        else if (mode == MWT_LEFTMULTIPLY) m_.XForm = TXForm::Combine(x, m_.XForm);
        else if (mode == MWT_RIGHTMULTIPLY) m_.XForm = TXForm::Combine(m_.XForm, x);
        else m_.XForm = x;
      }
      ApplyMapping();
      break;
    }
    case EMR_SAVEDC:
      saved_.push_back(m_);
      c_.SaveDC();
      break;
    case EMR_RESTOREDC: {
      std::int32_t rel = b.I32(8);
      int n = static_cast<int>(saved_.size());
      if (rel >= 0 || -rel > n) break;
      int index = n + rel;
      m_ = saved_[static_cast<std::size_t>(index)];
      saved_.resize(static_cast<std::size_t>(index));
      c_.RestoreDC(start_depth_ + index + 1);
      ApplyMapping();
      break;
    }
    case EMR_INTERSECTCLIPRECT: c_.IntersectClipRect(TRect{b.I32(8), b.I32(12), b.I32(16), b.I32(20)}); break;
    case EMR_EXTSELECTCLIPRGN: SelectClipRegion(b); break;
    case EMR_CREATEPEN: CreatePen(b, false); break;
    case EMR_EXTCREATEPEN: CreatePen(b, true); break;
    case EMR_CREATEBRUSHINDIRECT: CreateBrush(b); break;
    case EMR_CREATEMONOBRUSH:
    case EMR_CREATEDIBPATTERNBRUSHPT: {
      // Pattern brushes are drawn as a mid-gray solid brush.
      TBrush br;
      br.SetColor(0x808080);
      Store(b.U32(8), br);
      break;
    }
    case EMR_EXTCREATEFONTINDIRECTW: CreateFont(b); break;
    case EMR_SELECTOBJECT: Select(b.U32(8)); break;
    case EMR_DELETEOBJECT: objects_.erase(b.U32(8)); break;
    case EMR_EXTTEXTOUTW: Text(b, true); break;
    case EMR_EXTTEXTOUTA: Text(b, false); break;
    case EMR_STRETCHDIBITS: StretchDib(b); break;
    case EMR_BITBLT:
    case EMR_STRETCHBLT: BitBlt(b, rec.Type); break;
    case EMR_SETDIBITSTODEVICE: SetDibToDevice(b); break;
    case EMR_FILLRGN: FillRegion(b); break;
    default: break;  // records without a drawing effect here
  }
}

}  // namespace

TEmfPlayResult PlayEnhMetaFile(TCanvas& canvas, std::span<const std::uint8_t> emf, const TRect& dest) {
  TEmfPlayResult result;
  TEmfReader reader(emf);
  TEmfRecord rec;
  if (!reader.Next(rec)) return result;
  TEmfHeader header = ParseEmfHeader(rec);
  ++result.RecordsPlayed;
  Player player(canvas, header, dest);
  while (reader.Next(rec)) {
    ++result.RecordsPlayed;
    try {
      player.Play(rec);
    } catch (const EReadError&) {
      ++result.RecordsSkipped;
    }
  }
  result.Complete = reader.Status() == TEmfReadStatus::rsComplete;
  return result;
}

}  // namespace km
