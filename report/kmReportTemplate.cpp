#include "kmReportTemplate.h"

#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "kmBitmap.h"
#include "kmCodePage.h"
#include "kmEmfReader.h"
#include "kmJpegImage.h"
#include "kmMetafile.h"
#include "kmPngImage.h"
#include "kmReportErrors.h"
#include "kmRichText.h"

namespace km {
namespace {

// Limits that keep every value drawable: about ten metres of report units.
constexpr double kMaxPosition = 1.0e6;
constexpr double kMaxFrameWidth = 1000.0;
constexpr int kMaxFontHeight = 4096;
constexpr double kMaxPaperMM = 10000.0;

struct PaperEntry {
  int code;
  double width_mm;
  double height_mm;
};

// The usual printer paper codes.
constexpr PaperEntry kPapers[] = {
    {1, 215.9, 279.4},  // Letter
    {5, 215.9, 355.6},  // Legal
    {8, 297, 420},      // A3
    {9, 210, 297},      // A4
    {11, 148, 210},     // A5
};
constexpr int kCustomPaper = 256;

struct NamedColor {
  std::string_view name;
  TColor color;
};

constexpr NamedColor kColorNames[] = {
    {"clBlack", clBlack},   {"clMaroon", clMaroon},   {"clGreen", clGreen},   {"clOlive", clOlive},
    {"clNavy", clNavy},     {"clPurple", clPurple},   {"clTeal", clTeal},     {"clGray", clGray},
    {"clSilver", clSilver}, {"clRed", clRed},         {"clLime", clLime},     {"clYellow", clYellow},
    {"clBlue", clBlue},     {"clFuchsia", clFuchsia}, {"clAqua", clAqua},     {"clWhite", clWhite},
    {"clNone", clNone},     {"clBtnFace", clBtnFace}, {"clWindow", clWindow}, {"clWindowText", clWindowText},
};

template <typename E>
struct EnumName {
  std::string_view name;
  E value;
};

constexpr EnumName<TfrxFrameStyle> kFrameStyles[] = {
    {"fsSolid", TfrxFrameStyle::fsSolid}, {"fsDash", TfrxFrameStyle::fsDash},
    {"fsDot", TfrxFrameStyle::fsDot},     {"fsDashDot", TfrxFrameStyle::fsDashDot},
    {"fsDashDotDot", TfrxFrameStyle::fsDashDotDot}, {"fsDouble", TfrxFrameStyle::fsDouble}};
constexpr EnumName<TfrxHAlign> kHAligns[] = {{"haLeft", TfrxHAlign::haLeft},
                                             {"haRight", TfrxHAlign::haRight},
                                             {"haCenter", TfrxHAlign::haCenter},
                                             {"haBlock", TfrxHAlign::haBlock}};
constexpr EnumName<TfrxVAlign> kVAligns[] = {
    {"vaTop", TfrxVAlign::vaTop}, {"vaBottom", TfrxVAlign::vaBottom}, {"vaCenter", TfrxVAlign::vaCenter}};
constexpr EnumName<TfrxShapeKind> kShapes[] = {{"skRectangle", TfrxShapeKind::skRectangle},
                                               {"skRoundRectangle", TfrxShapeKind::skRoundRectangle},
                                               {"skEllipse", TfrxShapeKind::skEllipse}};
constexpr EnumName<TPrinterOrientation> kOrientations[] = {{"poPortrait", TPrinterOrientation::poPortrait},
                                                           {"poLandscape", TPrinterOrientation::poLandscape}};
constexpr EnumName<TfrxFrameType> kFrameTypes[] = {{"ftLeft", TfrxFrameType::ftLeft},
                                                   {"ftRight", TfrxFrameType::ftRight},
                                                   {"ftTop", TfrxFrameType::ftTop},
                                                   {"ftBottom", TfrxFrameType::ftBottom}};
constexpr EnumName<TFontStyle> kFontStyles[] = {{"fsBold", TFontStyle::fsBold},
                                                {"fsItalic", TFontStyle::fsItalic},
                                                {"fsUnderline", TFontStyle::fsUnderline},
                                                {"fsStrikeOut", TFontStyle::fsStrikeOut}};
constexpr EnumName<TfrxBandKind> kBands[] = {{"TfrxBand", TfrxBandKind::bkBand},
                                             {"TfrxReportTitle", TfrxBandKind::bkReportTitle},
                                             {"TfrxPageHeader", TfrxBandKind::bkPageHeader},
                                             {"TfrxMasterData", TfrxBandKind::bkMasterData},
                                             {"TfrxPageFooter", TfrxBandKind::bkPageFooter},
                                             {"TfrxReportSummary", TfrxBandKind::bkReportSummary}};

std::string_view Trim(std::string_view s) {
  const char* ws = " \t\r\n";
  std::size_t b = s.find_first_not_of(ws);
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(ws) - b + 1);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

// Splits "a, b" or "[a, b]" into trimmed items; empty items are dropped.
std::vector<std::string_view> SplitList(std::string_view s) {
  s = Trim(s);
  if (s.size() >= 2 && s.front() == '[' && s.back() == ']') s = s.substr(1, s.size() - 2);
  std::vector<std::string_view> items;
  while (!s.empty()) {
    std::size_t comma = s.find(',');
    std::string_view item = Trim(s.substr(0, comma));
    if (!item.empty()) items.push_back(item);
    if (comma == std::string_view::npos) break;
    s = s.substr(comma + 1);
  }
  return items;
}

template <typename E, std::size_t N>
std::string ListNames(const EnumName<E> (&names)[N]) {
  std::string list;
  for (const auto& n : names) {
    if (!list.empty()) list += ", ";
    list += n.name;
  }
  return list;
}

class TemplateReader {
 public:
  TemplateReader(std::string_view xml, std::string source) : buffer_(xml), source_(std::move(source)) {}

  std::vector<std::unique_ptr<TfrxPage>> Read() {
    // In-place parsing keeps attribute values inside buffer_, so that an
    // error can name the line of the attribute itself.
    unsigned options = pugi::parse_default & ~pugi::parse_wconv_attribute;
    pugi::xml_parse_result result =
        doc_.load_buffer_inplace(buffer_.data(), buffer_.size(), options, pugi::encoding_utf8);
    if (!result) Fail(static_cast<std::size_t>(result.offset), std::string("malformed XML: ") + result.description());
    pugi::xml_node root = doc_.document_element();
    if (!root) Fail(0, "the template has no root element");
    if (std::string_view(root.name()) != "TfrxReport")
      Fail(root, std::string("the root element is <") + root.name() + ">, expected <TfrxReport>");

    std::vector<std::unique_ptr<TfrxPage>> pages;
    for (pugi::xml_node node : root.children()) {
      if (node.type() != pugi::node_element) continue;
      std::string_view name = node.name();
      if (name == "TfrxReportPage") pages.push_back(ReadReportPage(node));
      else if (name == "TfrxDataPage") pages.push_back(ReadDataPage(node));
    }
    return pages;
  }

 private:
  // ---- Errors and positions.

  int LineOf(std::size_t offset) const {
    offset = std::min(offset, buffer_.size());
    return 1 + static_cast<int>(std::count(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
  }

  [[noreturn]] void Fail(std::size_t offset, const std::string& what) const {
    throw EfrxTemplateError(source_, LineOf(offset), what);
  }

  std::size_t OffsetOf(const pugi::xml_node& node) const {
    std::ptrdiff_t off = node.offset_debug();
    return off < 0 ? 0 : static_cast<std::size_t>(off);
  }

  std::size_t OffsetOf(const pugi::xml_attribute& attr, const pugi::xml_node& node) const {
    const char* v = attr.value();
    if (v >= buffer_.data() && v < buffer_.data() + buffer_.size()) return static_cast<std::size_t>(v - buffer_.data());
    return OffsetOf(node);
  }

  static std::string Describe(const pugi::xml_node& node) {
    std::string d = node.name();
    if (const char* name = node.attribute("Name").value(); *name) d += std::string(" \"") + name + "\"";
    return d;
  }

  [[noreturn]] void Fail(const pugi::xml_node& node, const std::string& what) const {
    Fail(OffsetOf(node), what);
  }

  [[noreturn]] void FailAttr(const pugi::xml_node& node, const pugi::xml_attribute& attr, const std::string& what) const {
    Fail(OffsetOf(attr, node), Describe(node) + ": attribute " + attr.name() + ": " + what);
  }

  // ---- Attribute values.

  pugi::xml_attribute Required(const pugi::xml_node& node, const char* name) const {
    pugi::xml_attribute attr = node.attribute(name);
    if (!attr) Fail(node, Describe(node) + ": missing attribute " + name);
    return attr;
  }

  double ParseNumber(const pugi::xml_node& node, const pugi::xml_attribute& attr) const {
    std::string_view text = Trim(attr.value());
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
      FailAttr(node, attr, "\"" + std::string(attr.value()) + "\" is not a number");
    if (!std::isfinite(value)) FailAttr(node, attr, "\"" + std::string(attr.value()) + "\" is not a finite number");
    return value;
  }

  static std::string NumberText(double v) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, end) : std::string("?");
  }

  double CheckRange(const pugi::xml_node& node, const pugi::xml_attribute& attr, double value, double lo,
                    double hi) const {
    if (lo == 0 && value < 0) FailAttr(node, attr, NumberText(value) + " must not be negative");
    if (value < lo || value > hi)
      FailAttr(node, attr, NumberText(value) + " is out of range (" + NumberText(lo) + " to " + NumberText(hi) + ")");
    return value;
  }

  double Number(const pugi::xml_node& node, const char* name, double lo, double hi, double fallback) const {
    pugi::xml_attribute attr = node.attribute(name);
    if (!attr) return fallback;
    return CheckRange(node, attr, ParseNumber(node, attr), lo, hi);
  }

  double RequiredNumber(const pugi::xml_node& node, const char* name, double lo, double hi) const {
    pugi::xml_attribute attr = Required(node, name);
    return CheckRange(node, attr, ParseNumber(node, attr), lo, hi);
  }

  int Integer(const pugi::xml_node& node, const pugi::xml_attribute& attr, long long lo, long long hi) const {
    std::string_view text = Trim(attr.value());
    long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
      FailAttr(node, attr, "\"" + std::string(attr.value()) + "\" is not an integer");
    if (value < lo || value > hi)
      FailAttr(node, attr, std::to_string(value) + " is out of range (" + std::to_string(lo) + " to " +
                               std::to_string(hi) + ")");
    return static_cast<int>(value);
  }

  bool Boolean(const pugi::xml_node& node, const char* name, bool fallback) const {
    pugi::xml_attribute attr = node.attribute(name);
    if (!attr) return fallback;
    std::string_view text = Trim(attr.value());
    if (EqualsNoCase(text, "true") || text == "1") return true;
    if (EqualsNoCase(text, "false") || text == "0") return false;
    FailAttr(node, attr, "\"" + std::string(attr.value()) + "\" is not True or False");
  }

  template <typename E, std::size_t N>
  E Enum(const pugi::xml_node& node, const pugi::xml_attribute& attr, std::string_view text,
         const EnumName<E> (&names)[N]) const {
    for (const auto& n : names)
      if (n.name == text) return n.value;
    FailAttr(node, attr, "\"" + std::string(text) + "\" is not one of " + ListNames(names));
  }

  template <typename E, std::size_t N>
  E Enum(const pugi::xml_node& node, const char* name, const EnumName<E> (&names)[N], E fallback) const {
    pugi::xml_attribute attr = node.attribute(name);
    if (!attr) return fallback;
    return Enum(node, attr, Trim(attr.value()), names);
  }

  // A set given as a list of enumerator names or as its bit mask.
  template <typename E, std::size_t N>
  Set<E, N> SetValue(const pugi::xml_node& node, const char* name, const EnumName<E> (&names)[N],
                     Set<E, N> fallback) const {
    pugi::xml_attribute attr = node.attribute(name);
    if (!attr) return fallback;
    std::string_view text = Trim(attr.value());
    if (!text.empty() && text.front() >= '0' && text.front() <= '9')
      return Set<E, N>::FromBits(static_cast<unsigned>(Integer(node, attr, 0, (1 << N) - 1)));
    Set<E, N> result;
    for (std::string_view item : SplitList(text)) result.Include(Enum(node, attr, item, names));
    return result;
  }

  TColor Color(const pugi::xml_node& node, const char* name, TColor fallback) const {
    pugi::xml_attribute attr = node.attribute(name);
    if (!attr) return fallback;
    std::string_view text = Trim(attr.value());
    for (const auto& c : kColorNames)
      if (EqualsNoCase(c.name, text)) return c.color;
    if (text.size() == 7 && text.front() == '#') {
      unsigned rgb = 0;
      auto [end, ec] = std::from_chars(text.data() + 1, text.data() + text.size(), rgb, 16);
      if (ec == std::errc() && end == text.data() + text.size())
        return RGB(static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                   static_cast<std::uint8_t>(rgb));
      FailAttr(node, attr, "\"" + std::string(text) + "\" is not a colour");
    }
    long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < INT32_MIN ||
        value > UINT32_MAX)
      FailAttr(node, attr, "\"" + std::string(text) + "\" is not a colour");
    TColor color = static_cast<TColor>(static_cast<std::uint32_t>(value));
    bool plain = color <= 0xFFFFFFu;
    bool system = IsSystemColor(color) && (color & 0xFFFFFFu) < COLOR_COUNT;
    if (!plain && !system && color != clNone && color != clDefault)
      FailAttr(node, attr, "\"" + std::string(text) + "\" is not a colour");
    return color;
  }

  std::u16string Text(const pugi::xml_node& node, const char* name) const {
    return Utf8ToWide(node.attribute(name).value());
  }

  // ---- Objects.

  void ReadBox(const pugi::xml_node& node, TfrxComponent& c) const {
    c.SetName(node.attribute("Name").value());
    c.SetLeft(RequiredNumber(node, "Left", -kMaxPosition, kMaxPosition));
    c.SetTop(RequiredNumber(node, "Top", -kMaxPosition, kMaxPosition));
    c.SetWidth(RequiredNumber(node, "Width", 0, kMaxPosition));
    c.SetHeight(RequiredNumber(node, "Height", 0, kMaxPosition));
    c.SetVisible(Boolean(node, "Visible", true));
  }

  TfrxFrame ReadFrame(const pugi::xml_node& node, const TfrxFrame& fallback) const {
    TfrxFrame f;
    f.Typ = SetValue(node, "Frame.Typ", kFrameTypes, fallback.Typ);
    f.Width = Number(node, "Frame.Width", 0, kMaxFrameWidth, fallback.Width);
    f.Color = Color(node, "Frame.Color", fallback.Color);
    f.Style = Enum(node, "Frame.Style", kFrameStyles, fallback.Style);
    return f;
  }

  void ReadView(const pugi::xml_node& node, TfrxView& v) const {
    ReadBox(node, v);
    v.SetFrame(ReadFrame(node, v.GetFrame()));
    v.SetColor(Color(node, "Color", v.GetColor()));
  }

  TFont ReadFont(const pugi::xml_node& node, TFont font) const {
    if (pugi::xml_attribute a = node.attribute("Font.Name")) {
      if (Trim(a.value()).empty()) FailAttr(node, a, "a font needs a name");
      font.SetName(Utf8ToWide(a.value()));
    }
    pugi::xml_attribute height = node.attribute("Font.Height");
    pugi::xml_attribute size = node.attribute("Font.Size");
    if (height && size) FailAttr(node, size, "give Font.Height or Font.Size, not both");
    if (height) font.SetHeight(Integer(node, height, -kMaxFontHeight, kMaxFontHeight));
    if (size) {
      double points = CheckRange(node, size, ParseNumber(node, size), 1, kMaxFontHeight * 72.0 / 96.0);
      font.SetHeight(-static_cast<int>(std::nearbyint(points * frxUnitsPerInch / 72.0)));
    }
    font.SetStyle(SetValue(node, "Font.Style", kFontStyles, font.GetStyle()));
    font.SetColor(Color(node, "Font.Color", font.GetColor()));
    if (pugi::xml_attribute a = node.attribute("Font.Charset"))
      font.SetCharset(static_cast<TFontCharset>(Integer(node, a, 0, 255)));
    return font;
  }

  std::unique_ptr<TfrxComponent> ReadMemo(const pugi::xml_node& node) const {
    auto memo = std::make_unique<TfrxMemoView>();
    ReadView(node, *memo);
    memo->SetText(Text(node, "Text"));
    memo->SetFont(ReadFont(node, memo->GetFont()));
    memo->SetHAlign(Enum(node, "HAlign", kHAligns, memo->GetHAlign()));
    memo->SetVAlign(Enum(node, "VAlign", kVAligns, memo->GetVAlign()));
    memo->SetGapX(Number(node, "GapX", 0, kMaxPosition, memo->GetGapX()));
    memo->SetGapY(Number(node, "GapY", 0, kMaxPosition, memo->GetGapY()));
    memo->SetWordWrap(Boolean(node, "WordWrap", memo->GetWordWrap()));
    return memo;
  }

  std::unique_ptr<TfrxComponent> ReadRich(const pugi::xml_node& node) const {
    auto rich = std::make_unique<TfrxRichView>();
    ReadView(node, *rich);
    // RTF is 8-bit text; what XML carries as Unicode goes back to Windows-1252.
    pugi::xml_attribute rtf = node.attribute("RichText");
    rich->SetRichText(WideToAnsi(Utf8ToWide(rtf.value())));
    // Text the renderer could not read is refused here, where the file and
    // line can be named, rather than when the view is painted.
    try {
      TRichText::FromRtf(rich->GetRichText());
    } catch (const ERichTextError& e) {
      FailAttr(node, rtf, e.what());
    }
    rich->SetGapX(Number(node, "GapX", 0, kMaxPosition, rich->GetGapX()));
    rich->SetGapY(Number(node, "GapY", 0, kMaxPosition, rich->GetGapY()));
    return rich;
  }

  std::unique_ptr<TfrxComponent> ReadLine(const pugi::xml_node& node) const {
    auto line = std::make_unique<TfrxLineView>();
    ReadView(node, *line);
    return line;
  }

  std::unique_ptr<TfrxComponent> ReadShape(const pugi::xml_node& node) const {
    auto shape = std::make_unique<TfrxShapeView>();
    ReadView(node, *shape);
    shape->SetShape(Enum(node, "Shape", kShapes, shape->GetShape()));
    shape->SetCurve(Number(node, "Curve", 0, kMaxPosition, shape->GetCurve()));
    return shape;
  }

  // Picture data: hexadecimal digits of a BMP, PNG or JPEG file or of an
  // enhanced metafile,
  // white space allowed; null when the attribute is absent or empty.
  std::shared_ptr<const TGraphic> Picture(const pugi::xml_node& node, const char* name) const {
    pugi::xml_attribute attr = node.attribute(name);
    if (!attr) return nullptr;
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (const char* p = attr.value(); *p; ++p) {
      const char c = *p;
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
      int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (v < 0) FailAttr(node, attr, std::string("'") + c + "' is not a hexadecimal digit");
      if (high < 0) {
        high = v;
      } else {
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + v));
        high = -1;
      }
    }
    if (high >= 0) FailAttr(node, attr, "the picture data has an odd number of hexadecimal digits");
    if (bytes.empty()) return nullptr;
    std::shared_ptr<TGraphic> graphic;
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
      graphic = std::make_shared<TBitmap>();
    } else if (LooksLikeEmf(bytes)) {
      graphic = std::make_shared<TMetafile>();
    } else if (bytes.size() >= 8 && bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' && bytes[3] == 'G') {
      graphic = std::make_shared<TPngImage>();
    } else if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
      graphic = std::make_shared<TJPEGImage>();
    } else {
      FailAttr(node, attr, "the data is not a BMP, PNG or JPEG picture or an enhanced metafile");
    }
    try {
      graphic->LoadFromBytes(bytes);
    } catch (const EkmError& e) {
      FailAttr(node, attr, e.what());
    }
    return graphic;
  }

  std::unique_ptr<TfrxComponent> ReadPicture(const pugi::xml_node& node) const {
    auto picture = std::make_unique<TfrxPictureView>();
    ReadView(node, *picture);
    picture->GetPicture().SetGraphic(Picture(node, "Picture"));
    return picture;
  }

  // A view element, or null when the element is not a view.
  std::unique_ptr<TfrxComponent> ReadObject(const pugi::xml_node& node) const {
    std::string_view name = node.name();
    if (name == "TfrxMemoView") return ReadMemo(node);
    if (name == "TfrxRichView") return ReadRich(node);
    if (name == "TfrxLineView") return ReadLine(node);
    if (name == "TfrxShapeView") return ReadShape(node);
    if (name == "TfrxPictureView") return ReadPicture(node);
    return nullptr;
  }

  std::optional<TfrxBandKind> BandKind(std::string_view name) const {
    for (const auto& b : kBands)
      if (b.name == name) return b.value;
    return std::nullopt;
  }

  std::unique_ptr<TfrxComponent> ReadBand(const pugi::xml_node& node, TfrxBandKind kind) const {
    auto band = std::make_unique<TfrxBand>(kind);
    ReadBox(node, *band);
    for (pugi::xml_node child : node.children()) {
      if (child.type() != pugi::node_element) continue;
      if (BandKind(child.name())) Fail(child, Describe(child) + ": a band cannot hold another band");
      if (auto view = ReadObject(child)) band->AddObject(std::move(view));
    }
    return band;
  }

  // ---- Pages.

  void ReadPaper(const pugi::xml_node& node, TfrxReportPage& page) const {
    pugi::xml_attribute code_attr = node.attribute("PaperSize");
    int code = code_attr ? Integer(node, code_attr, 1, 0xFFFF) : kCustomPaper;
    double width = 0, height = 0;
    const PaperEntry* known = nullptr;
    for (const auto& p : kPapers)
      if (p.code == code) known = &p;
    if (known) {
      width = known->width_mm;
      height = known->height_mm;
    }
    bool has_w = !node.attribute("PaperWidth").empty(), has_h = !node.attribute("PaperHeight").empty();
    if (!known && !(has_w && has_h)) {
      if (code_attr && code != kCustomPaper)
        FailAttr(node, code_attr, std::to_string(code) + " is not a known paper size; give PaperWidth and PaperHeight");
      Fail(node, Describe(node) + ": missing attribute " + (has_w ? "PaperHeight" : "PaperWidth"));
    }
    width = Number(node, "PaperWidth", 1, kMaxPaperMM, width);
    height = Number(node, "PaperHeight", 1, kMaxPaperMM, height);
    TPrinterOrientation orientation = Enum(node, "Orientation", kOrientations, TPrinterOrientation::poPortrait);
    if (orientation == TPrinterOrientation::poLandscape) std::swap(width, height);
    page.SetPaperSizeCode(code);
    page.SetOrientation(orientation);
    page.SetPaperSize(width, height);
  }

  void ReadMargins(const pugi::xml_node& node, TfrxReportPage& page) const {
    double w = page.GetPaperWidth(), h = page.GetPaperHeight();
    page.SetLeftMargin(Number(node, "LeftMargin", 0, w, page.GetLeftMargin()));
    page.SetRightMargin(Number(node, "RightMargin", 0, w, page.GetRightMargin()));
    page.SetTopMargin(Number(node, "TopMargin", 0, h, page.GetTopMargin()));
    page.SetBottomMargin(Number(node, "BottomMargin", 0, h, page.GetBottomMargin()));
    if (page.GetLeftMargin() + page.GetRightMargin() >= w)
      Fail(node, Describe(node) + ": the left and right margins leave no room on the paper");
    if (page.GetTopMargin() + page.GetBottomMargin() >= h)
      Fail(node, Describe(node) + ": the top and bottom margins leave no room on the paper");
  }

  std::unique_ptr<TfrxPage> ReadReportPage(const pugi::xml_node& node) const {
    auto page = std::make_unique<TfrxReportPage>();
    page->SetName(node.attribute("Name").value());
    ReadPaper(node, *page);
    ReadMargins(node, *page);
    page->SetColor(Color(node, "Color", page->GetColor()));
    page->SetFrame(ReadFrame(node, page->GetFrame()));
    page->GetBackPicture().SetGraphic(Picture(node, "BackPicture"));
    for (pugi::xml_node child : node.children()) {
      if (child.type() != pugi::node_element) continue;
      if (auto kind = BandKind(child.name())) page->AddObject(ReadBand(child, *kind));
      else if (auto view = ReadObject(child)) page->AddObject(std::move(view));
    }
    return page;
  }

  std::unique_ptr<TfrxPage> ReadDataPage(const pugi::xml_node& node) const {
    auto page = std::make_unique<TfrxDataPage>();
    page->SetName(node.attribute("Name").value());
    page->SetWidth(Number(node, "Width", 0, kMaxPosition, 1000));
    page->SetHeight(Number(node, "Height", 0, kMaxPosition, 1000));
    return page;
  }

  std::string buffer_;
  std::string source_;
  pugi::xml_document doc_;
};

}  // namespace

std::vector<std::unique_ptr<TfrxPage>> ReadReportTemplate(std::string_view xml, const std::string& source) {
  return TemplateReader(xml, source).Read();
}

}  // namespace km
