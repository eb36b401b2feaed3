// TkmCustomPDFEngine: the page background, the hatch and background
// patterns, and the transparency graphics states.

#include <algorithm>

#include "kmCstPDFEng.h"
#include "kmGraphic.h"
#include "kmNumFormat.h"
#include "kmScreen.h"
#include "kmUtils3.h"

namespace km {

// ---- Graphics-state tags --------------------------------------------------------

// The minimal-standard Lehmer generator: a full cycle over 1..2^31 - 2, so
// no value repeats before two billion tags.
void TkmGStateTagGenerator::Reset() { FState = 1; }

std::int32_t TkmGStateTagGenerator::Next() {
  FState = static_cast<std::uint32_t>((static_cast<std::uint64_t>(FState) * 48271u) % 2147483647u);
  return static_cast<std::int32_t>(FState);
}

std::string TkmCustomPDFEngine::SetGState(int AValue) {
  const int opacity = std::clamp(AValue, 0, 100);
  const std::string tag = "/GS" + std::to_string(FGStateTags.Next());
  const int obj = GetNewObjNo();
  FPDGStateList.emplace_back(tag, obj);
  const std::string v = FormatShortest(opacity / 100.0);
  WriteObj("/Type\r\n/ExtGState\r\n/ca " + v + "\r\n" + "/CA " + v + "\r\n", obj, true);
  return tag + " gs";
}

// ---- Hatch patterns -------------------------------------------------------------

namespace {

struct HatchKind {
  TBrushStyle style;
  const char* name;
  const char* content;
};

constexpr HatchKind kHatches[] = {
    {TBrushStyle::bsHorizontal, "PH", "2 J 2 j 0.3 w 0 2.5 m 5 2.5 l S"},
    {TBrushStyle::bsVertical, "PV", "2 J 2 j 0.3 w 2.5 0 m 2.5 5 l S"},
    {TBrushStyle::bsFDiagonal, "PFD", "2 J 2 j 0.3 w 0 2.5 m 2.5 0 l 5 2.5 m 2.5 5 l S"},
    {TBrushStyle::bsBDiagonal, "PBD", "2 J 2 j 0.3 w 0 2.5 m 2.5 5 l 2.5 0 m 5 2.5 l S"},
    {TBrushStyle::bsCross, "PC", "2 J 2 j 0.3 w 0 2.5 m 5 2.5 l 2.5 0 m 2.5 5 l S"},
    {TBrushStyle::bsDiagCross, "PDC", "2 J 2 j 0.3 w 2.5 0 m 5 2.5 l 2.5 5 l 0 2.5 l s"},
};

constexpr const char* kBackgroundPattern = "PI";

}  // namespace

std::string TkmCustomPDFEngine::GetPattern(TBrushStyle AStyle) {
  for (const HatchKind& h : kHatches) {
    if (h.style != AStyle) continue;
    const bool known = std::any_of(FPattern.begin(), FPattern.end(), [&](const auto& e) { return e.first == h.name; });
    if (!known) FPattern.emplace_back(h.name, GetNewObjNo());
    return h.name;
  }
  return {};
}

void TkmCustomPDFEngine::RegisterBackgroundPattern() {
  if (FBGImageObj >= 0) FPattern.emplace_back(kBackgroundPattern, GetNewObjNo());
}

std::string TkmCustomPDFEngine::PatternContent(const std::string& name) const {
  for (const HatchKind& h : kHatches)
    if (name == h.name) return h.content;
  return "\r\nq\r\n" + NumToStr(FBGTileWidth) + " 0 0 " + NumToStr(FBGTileHeight) + " 0 0 " + "cm" + "\r\n" +
         kBackgroundImageName + " Do" + "\r\n" + "Q";
}

std::string TkmCustomPDFEngine::PatternDictionary(const std::string& name) const {
  if (name != kBackgroundPattern)
    return "/Type /Pattern\r\n/Resources << /ProcSet [/PDF ] >>\r\n/PatternType 1\r\n/PaintType 2\r\n"
           "/TilingType 1\r\n/BBox [0 0 5 5]\r\n/XStep 5\r\n/YStep 5\r\n";
  return std::string("/Type/Pattern/PatternType 1/PaintType 1/Resources << /ProcSet [/PDF /ImageC] /XObject << ") +
         kBackgroundImageName + " " + MakeObjRef(FBGImageObj) + " >> " + "\r\n" + ">>" + "/TilingType 1" +
         "/BBox [0 0 " + NumToStr(FBGTileWidth) + " " + NumToStr(FBGTileHeight) + "]" + "/Matrix [1 0 0 1 " +
         NumToStr(FBGLeft) + " " + NumToStr(FBGTop) + "]" + "/XStep " + NumToStr(FBGTileWidth) + "/YStep " +
         NumToStr(FBGTileHeight);
}

void TkmCustomPDFEngine::WritePatternObjects() {
  const bool compressed = GetCompression().GetEnabled();
  for (const auto& [name, obj] : FPattern) {
    TMemoryStream content;
    content.WriteString(PatternContent(name));
    TMemoryStream data;
    const std::int64_t length = CompressStream(content, data, compressed, GetCompression().GetLevel());
    std::string dict = PatternDictionary(name);
    int lengthObj = 0;
    if (compressed) {
      lengthObj = GetNewObjNo();
      dict += "/Length\r\n" + MakeObjRef(lengthObj) + "/Filter/FlateDecode";
    } else {
      dict += "/Length " + std::to_string(length) + "\r\n";
    }
    // Both forms carry a line break, so the writer frames them as a dictionary.
    if (dict.find("\r\n") == std::string::npos) dict += "\r\n";
    WriteObj(dict, obj, false);
    FWriter.Write("stream\r\n");
    WritePDFStream(data, length, obj, 0);
    FWriter.Write(std::string_view(reinterpret_cast<const char*>(data.Memory()), static_cast<std::size_t>(length)));
    FWriter.Write("\r\nendstream\r\nendobj\r\n");
    if (compressed) WriteObj(std::to_string(length), lengthObj, true);
  }
}

// ---- Page background ------------------------------------------------------------

int TkmCustomPDFEngine::WriteBackgroundImageObject(const TGraphic&) { return -1; }

void TkmCustomPDFEngine::PlaceBackgroundPicture(double W, double H, double w, double h) {
  using D = TkmBackgroundDisplayType;
  const D type = GetBackgroundImageDisplayType();
  // A picture larger than the page is shrunk with its own proportions; tiles
  // keep the picture's size and repeat.
  if (type != D::dtTile && w > 0 && h > 0) {
    const double scale = std::min({1.0, W / w, H / h});
    w *= scale;
    h *= scale;
  }
  double t = 0, l = 0;
  if (type == D::dtCenterLeft || type == D::dtCenter || type == D::dtCenterRight) t = H / 2 - h / 2;
  if (type == D::dtTopLeft || type == D::dtTopCenter || type == D::dtTopRight) t = H - h;
  if (type == D::dtTopCenter || type == D::dtCenter || type == D::dtBottomCenter) l = W / 2 - w / 2;
  if (type == D::dtTopRight || type == D::dtCenterRight || type == D::dtBottomRight) l = W - w;
  FBGLeft = std::max(0.0, l);
  FBGTop = std::max(0.0, t);
  FBGTileWidth = std::max(0.0, w);
  FBGTileHeight = std::max(0.0, h);
}

void TkmCustomPDFEngine::WritePageBackground() {
  const auto index = static_cast<std::size_t>(GetCurrentPage() - 1);
  const TkmPageInfo* info = index < FPageList.size() ? FPageList[index].get() : nullptr;
  const double W = info ? info->FWidth : 0, H = info ? info->FHeight : 0;
  // The content runs under the page's "cm" scale of CPixelsPerInch / InputRes:
  // the background's user-space numbers are scaled back so it covers the page.
  const double fx = GetInputXRes() / CPixelsPerInch, fy = GetInputYRes() / CPixelsPerInch;
  std::string text;
  if (GetBackgroundColor() != clNone)
    text += GetCSForFill(ColorToPDFColor(GetBackgroundColor())) + " n " + "0.0000 0.0000 " + NumToStr(W * fx) + " " +
            NumToStr(H * fy) + " re f " + "\r\n";
  const TGraphic* picture = GetBackgroundImage();
  if (picture != nullptr && !picture->Empty()) {
    // The picture object is written once, on the first page encoded.
    if (FBGImageObj < 0) FBGImageObj = WriteBackgroundImageObject(*picture);
    if (FBGImageObj >= 0) {
      PlaceBackgroundPicture(W, H, picture->GetWidth(), picture->GetHeight());
      const bool tiled = GetBackgroundImageDisplayType() == TkmBackgroundDisplayType::dtTile;
      const double rw = tiled ? W : FBGTileWidth, rh = tiled ? H : FBGTileHeight;
      text += "/CSP cs /" + std::string(kBackgroundPattern) + " scn n " + NumToStr(FBGLeft * fx) + " " +
              NumToStr(FBGTop * fy) + " " + NumToStr(rw * fx) + " " + NumToStr(rh * fy) + " re f";
    }
  }
  AppendContent("\r\nq\r\n" + text + "\r\n" + "Q ");
}

}  // namespace km
