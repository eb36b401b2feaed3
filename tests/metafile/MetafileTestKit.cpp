#include "MetafileTestKit.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "kmByteReader.h"
#include "kmEmfTypes.h"

namespace km::test {

using namespace km::emf;

EmfBuilder& EmfBuilder::Rec(std::uint32_t type, std::initializer_list<std::int64_t> words) {
  return Rec(type, std::vector<std::int64_t>(words));
}

EmfBuilder& EmfBuilder::Rec(std::uint32_t type, const std::vector<std::int64_t>& words) {
  ByteWriter w(body_);
  w.U32(type);
  w.U32(static_cast<std::uint32_t>(8 + 4 * words.size()));
  for (std::int64_t v : words) w.U32(static_cast<std::uint32_t>(v));
  ++records_;
  return *this;
}

EmfBuilder& EmfBuilder::Poly16(std::uint32_t type, std::initializer_list<std::int16_t> xy) {
  ByteWriter w(body_);
  const std::uint32_t count = static_cast<std::uint32_t>(xy.size() / 2);
  w.U32(type);
  w.U32(28 + 4 * count);
  for (int i = 0; i < 4; ++i) w.I32(0);
  w.U32(count);
  for (std::int16_t v : xy) w.I16(v);
  ++records_;
  return *this;
}

EmfBuilder& EmfBuilder::Lying(std::uint32_t type, std::uint32_t size, std::initializer_list<std::int64_t> words) {
  ByteWriter w(body_);
  w.U32(type);
  w.U32(size);
  std::size_t written = 8;
  for (std::int64_t v : words) {
    w.U32(static_cast<std::uint32_t>(v));
    written += 4;
  }
  if (size > written) w.Zeros(size - written);
  ++records_;
  return *this;
}

std::vector<std::uint8_t> EmfBuilder::Bytes(bool eof) const {
  std::vector<std::uint8_t> out;
  ByteWriter w(out);
  w.U32(EMR_HEADER);
  w.U32(88);
  for (int i = 0; i < 4; ++i) w.I32(0);  // bounds
  for (std::int32_t v : {frame_.Left, frame_.Top, frame_.Right, frame_.Bottom}) w.I32(v);
  w.U32(ENHMETA_SIGNATURE);
  w.U32(0x10000);
  w.U32(0);  // bytes, patched below
  w.U32(records_ + (eof ? 2 : 1));
  w.U16(handles_);
  w.U16(0);
  w.U32(0);  // description
  w.U32(0);
  w.U32(0);  // palette entries
  w.I32(1920);  // reference device: 1920 x 1440 pixels on 508 x 381 mm (96 per inch)
  w.I32(1440);
  w.I32(508);
  w.I32(381);
  w.Bytes(body_);
  if (eof) {
    w.U32(EMR_EOF);
    w.U32(20);
    w.U32(0);
    w.U32(16);
    w.U32(20);
  }
  w.PatchU32(48, static_cast<std::uint32_t>(out.size()));
  return out;
}

std::int64_t F(float f) {
  std::uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

std::vector<std::int64_t> RegionWords(const std::vector<TRect>& rects) {
  TRect bound = rects.empty() ? TRect{} : rects.front();
  for (const TRect& r : rects) {
    bound.Left = std::min(bound.Left, r.Left);
    bound.Top = std::min(bound.Top, r.Top);
    bound.Right = std::max(bound.Right, r.Right);
    bound.Bottom = std::max(bound.Bottom, r.Bottom);
  }
  std::vector<std::int64_t> words = {32, 1, static_cast<std::int64_t>(rects.size()),
                                     static_cast<std::int64_t>(rects.size() * 16), bound.Left, bound.Top,
                                     bound.Right, bound.Bottom};
  for (const TRect& r : rects) words.insert(words.end(), {r.Left, r.Top, r.Right, r.Bottom});
  return words;
}

std::vector<std::uint8_t> RecordOnCanvas(const std::function<void(TMetafileCanvas&)>& draw, int width,
                                         int height) {
  TMetafile mf;
  mf.SetWidth(width);
  mf.SetHeight(height);
  {
    TMetafileCanvas canvas(mf);
    draw(canvas);
  }
  return mf.Data();
}

ItemsFixture::ItemsFixture(int inputRes) {
  Engine.SetInputXRes(inputRes);
  Engine.SetInputYRes(inputRes);
  Engine.SetMeasurementUnit(TkmUnitType::muPixels);
  Engine.SetReferencePoint(TkmReferencePoint::rpPage);
  Engine.SetFileName(dir_.File("items"));
  Engine.BeginDoc();
}

ItemsFixture::~ItemsFixture() {
  if (Engine.GetIsDocumentStarted()) Engine.EndDoc();
}

std::vector<std::string> ItemsFixture::Run(const std::vector<std::uint8_t>& emf, double x, double y) {
  TkmItemList& list = Items();
  const std::size_t before = list.size();
  TkmMetafileProcessor processor(Engine);
  LastResult = processor.Execute(emf, x, y);
  std::vector<std::string> lines;
  for (std::size_t i = before; i < list.size(); ++i) lines.push_back(Describe(*list[i]));
  return lines;
}

namespace {

std::string Num(double v) {
  if (!std::isfinite(v)) return "nan";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  std::string s = buf;
  s.erase(s.find_last_not_of('0') + 1);
  if (s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  return s;
}

std::string Hex(std::uint32_t c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%06X", c & 0xFFFFFF);
  return buf;
}

std::string Points(const std::vector<TkmPoint>& points) {
  std::string s;
  for (const TkmPoint& p : points) s += " " + Num(p.X) + "," + Num(p.Y);
  return s;
}

const char* ShapeName(TkmShapeType t) {
  static const char* names[] = {"Line", "Rectangle", "RoundRect", "Ellipse", "Polygon",
                                "PolyLine", "Arc", "Chord", "Pie", "PolyBezier"};
  return names[static_cast<int>(t)];
}

const char* PathName(TkmPathOperation op) {
  static const char* names[] = {"Begin", "End", "CloseFigure", "Abort", "Fill", "StrokeAndFill", "Stroke",
                                "SelectClip"};
  return names[static_cast<int>(op)];
}

bool Closed(TkmShapeType t) {
  return t == TkmShapeType::stRectangle || t == TkmShapeType::stRoundRect || t == TkmShapeType::stEllipse ||
         t == TkmShapeType::stPolygon || t == TkmShapeType::stChord || t == TkmShapeType::stPie;
}

std::string Rect(const TkmIntRect& r) {
  return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
         std::to_string(r.Bottom);
}

}  // namespace

std::string DescribePen(const TPen& pen) {
  static const char* styles[] = {"", "/dash", "/dot", "/dashdot", "/dashdotdot", "/clear", "/inside", "/user", "/alt"};
  return "P" + Hex(pen.GetColor()) + "/" + std::to_string(pen.GetWidth()) + styles[static_cast<int>(pen.GetStyle())];
}

std::string DescribeBrush(const TBrush& brush) {
  static const char* styles[] = {"", "/clear", "/horz", "/vert", "/fdiag", "/bdiag", "/cross", "/dcross"};
  return "B" + Hex(brush.GetColor()) + styles[static_cast<int>(brush.GetStyle())];
}

std::string Describe(const TkmDocumentItem& item) {
  if (auto* s = dynamic_cast<const TkmShapeItem*>(&item)) {
    std::string out = ShapeName(s->GetShapeType()) + Points(s->GetPoints()) + " " + DescribePen(s->GetPen());
    if (Closed(s->GetShapeType()) && s->GetBrush()) out += " " + DescribeBrush(*s->GetBrush());
    return out;
  }
  if (auto* ps = dynamic_cast<const TkmPolyShapeItem*>(&item)) {
    std::string out = "PolyShape";
    for (const auto& shape : ps->GetShapes()) out += " [" + Describe(*shape) + "]";
    return out;
  }
  if (auto* pp = dynamic_cast<const TkmPolyPolygonItem*>(&item)) {
    std::string out = "PolyPolygon";
    for (int n : pp->GetNoPoints()) out += " " + std::to_string(n);
    out += " :" + Points(pp->GetPointArray()) + (pp->GetFillAlternate() ? " alternate" : " winding");
    return out;
  }
  if (auto* pd = dynamic_cast<const TkmPolyDrawItem*>(&item)) {
    std::string out = "PolyDraw" + Points(pd->GetPoints()) + " ops";
    for (std::uint8_t op : pd->GetOperations()) out += " " + std::to_string(op);
    return out;
  }
  if (auto* path = dynamic_cast<const TkmPathItem*>(&item)) {
    std::string out = std::string("Path ") + PathName(path->GetPathOperation());
    if (path->GetPathOperation() == TkmPathOperation::poSelectClipPath) out += " mode" + std::to_string(path->GetMode());
    if (path->GetPathOperation() == TkmPathOperation::poFillPath ||
        path->GetPathOperation() == TkmPathOperation::poStrokeAndFillPath)
      out += path->GetFillAlternate() ? " alternate" : " winding";
    return out;
  }
  if (auto* clip = dynamic_cast<const TkmClipItem*>(&item)) {
    std::string out = "Clip";
    if (clip->GetRestore()) out += " restore";
    for (int i = 0; i < clip->GetNoRects(); ++i) out += " " + Rect(clip->GetRects(i));
    if (!clip->GetRestore()) out += " mode" + std::to_string(clip->GetMode());
    if (clip->GetFromInsert()) out += " insert";
    return out;
  }
  if (auto* eof = dynamic_cast<const TkmEOFItem*>(&item)) return eof->GetStatus() ? "EOF" : "EOF open";
  return "Other";
}

}  // namespace km::test
