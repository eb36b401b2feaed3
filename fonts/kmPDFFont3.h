#pragma once
// PDF font resources. Every distinct face the PDF engine draws text with is one
// TkmPDFFont: it measures the face once, records the characters or glyphs the
// document uses, and when the document is finished writes the objects that
// describe it:
//  - a simple TrueType font (feWinAnsi): one-byte codes 32..255 in the WinAnsi
//    encoding, 224 widths, a font descriptor;
//  - a composite font (feCID): a Type0 font with the Identity-H (horizontal)
//    or Identity-V (vertical) encoding over a CIDFontType2 descendant whose
//    CIDs are glyph indices, with a /W array of the glyphs used, a font
//    descriptor and a ToUnicode map;
// and, when embedding is on, the TrueType font file: whole, or a subset that
// keeps the outlines of the glyphs used (kmTrueTypeSubset.h).
//
// How the PDF text writer uses it (through TkmCustomPDFEngine::AddFontRun,
// which chooses or creates the resource for a run):
//   1. a shaped run (TkmRunInfo::ScriptProcessingRequired) uses a composite
//      resource and writes its glyph indices as two-byte codes; AddUsedGlyphs
//      records them with the run's text and cluster map;
//   2. an unshaped run uses a simple resource and writes its characters as
//      Windows-1252 bytes; AddUsedCharacters records them;
//   3. the resource's position i in the engine's font table is its resource
//      name "/F" + i; GetWidthsList/GetFontInfo give the widths for placing text.
// Widths and heights are in thousandths of the em (glyph space).

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "kmFontCatalog.h"
#include "kmGlyphInfo.h"
#include "kmGraphicsValues.h"
#include "kmPDFObjectWriter.h"
#include "kmPDFSettings.h"
#include "kmStreams.h"
#include "kmTrueType.h"

namespace km {

// The kind of font resource.
enum class TkmFontEncoding { feWinAnsi, feCID };
// The kind of face; only ftTrueType faces get font objects and font files.
enum class TkmFontType { ftTrueType, ftType1, ftStdType1 };

struct TkmFontBBox {
  int Left = -250;
  int Top = -200;
  int Right = 1000;
  int Bottom = 900;
};

// The measured face, in thousandths of the em (a measurement at 1000 points).
struct TkmPDFFontInfo {
  int FfiFontObjRef = 0;
  // Advance widths of U+0020..U+00FF; index 0 is U+0020.
  double FfiWidths[224] = {};
  int FfiFlags = 0;
  TkmFontBBox FfiFontBBox;
  double FfiAscent = 800;
  double FfiDescent = -200;
  double FfiCapHeight = 700;
  int FfiAvgWidth = 576;
  int FfiMaxWidth = 576;
  int FfiStemH = 0;
  int FfiStemV = 0;
  int FfiItalicAngle = 0;
  int FfiFontWeight = 400;
  TkmFontType FfiType = TkmFontType::ftTrueType;
  bool FfiIsFixedPitch = false;

  double Width(char16_t c) const { return c >= 32 && c <= 255 ? FfiWidths[c - 32] : 0; }
};

// What a font resource needs of the PDF engine to write its objects.
struct TkmPDFFontOutput {
  TkmPDFObjectWriter* Writer = nullptr;  // not owned
  TkmTTFontEmbedding Embedding = TkmTTFontEmbedding::etfNone;
  // The family is in the engine's FontEmbedExcludeList: never embedded.
  bool Excluded = false;
  bool Compressed = false;
  TkmCompressionLevel Level = TkmCompressionLevel::clNormal;
  // The engine's encryption hooks (WritePDFString, WritePDFStream) for an
  // object number; empty ones leave the bytes unchanged.
  std::function<std::string(const std::string&, int)> EncryptString;
  std::function<void(TMemoryStream&, std::int64_t, int)> EncryptStream;
  // Whole font files written so far, by font file and face index: resources
  // of one face (simple and composite, horizontal and vertical) that embed
  // the whole face share one font file object. Null: every resource writes
  // its own.
  std::map<std::pair<std::string, int>, int>* WholeFontFiles = nullptr;
};

// The subset tag of the n-th subset font of a file (from 0): "WYOIAS" for the
// first, then other six-letter tags, so two subsets never share a name.
std::string SubsetTag(int n);

// A PDF name's text: characters outside '!'..'~' and the delimiters
// ( ) < > [ ] { } / % and '#' become "#" and two hexadecimal digits (UTF-8
// bytes for characters beyond ASCII).
std::string ConvertDelimiters(const std::u16string& name);

class TkmPDFFont {
 public:
  // Makes the resource: copies AFont, measures its face, sets the base font
  // name, the encoding kind (feCID when AIsCID), Subset = ASubset and
  // IsIdentityH = true. A family without TrueType outlines is measured and
  // embedded through the TrueType face that stands in for it ("Arial"), so no
  // other outline format is ever written as a TrueType font file. With
  // ACharset the font's character set is checked against the family's; a
  // default set becomes the family's only set when it has one.
  TkmPDFFont(const TFont& AFont, int AFontObjRef, bool AIsCID, bool ASubset, bool ACharset,
             const FontCatalog& ACatalog = FontCatalog::Default());

  const TFont& GetFont() const { return FFont; }
  const TkmPDFFontInfo& GetFontInfo() const { return FFontInfo; }
  const std::string& GetBaseFont() const { return FBaseFont; }
  TkmFontEncoding GetFontEncoding() const { return FFontEncoding; }
  bool GetSubset() const { return FSubset; }
  bool GetIsIdentityH() const { return FIsIdentityH; }
  void SetIsIdentityH(bool v) { FIsIdentityH = v; }
  // The family whose face is measured and embedded, its font file and the
  // face's index in it (empty and 0 when no face could be opened).
  const std::u16string& GetFaceFamily() const { return FFaceFamily; }
  std::string GetFontFile() const { return FFace ? FFace->GetPath() : std::string(); }
  int GetFaceIndex() const { return FFace ? FFace->GetIndex() : 0; }

  // Glyphs recorded, in order of first use, with the text each stands for and
  // its width (composite resources); for a simple subset resource the face's
  // whole Unicode map (GetCharCodes holds one character per entry).
  const std::vector<std::uint16_t>& GetCID() const { return FCID; }
  const std::vector<std::u16string>& GetCharCodes() const { return FCharCode; }
  const std::vector<int>& GetWidthsList() const { return FWidths; }
  // Glyph indices a subset keeps (besides glyph 0 and composite parts).
  const std::set<std::uint16_t>& GetUsedGlyphs() const { return FUsedGlyphs; }
  const std::u16string& GetIncludedCharCode() const { return FIncludedCharCode; }
  std::uint32_t GetFirstGlyph() const { return FFirstGlyph; }
  std::uint32_t GetLastGlyph() const { return FLastGlyph; }
  // The text of the last ToUnicode map produced.
  const std::string& GetPDFCMap() const { return FPDFCMap; }

  // Same family (case-sensitive), bold, italic, encoding kind and direction.
  // Size and the other styles are not compared: one resource serves every size.
  bool IsEqual(const TFont& AFont, TkmFontEncoding AEncoding, bool AIsIdentityH) const;
  // Same family (case-sensitive), bold and italic (form-field fonts).
  bool IsEqual(const TFont& AFont) const;

  // Records the glyphs of a shaped run. AText is the run's text, AGlyphList its
  // glyphs in visual order (AdvWidth in pixels of the 1000-point font),
  // ALogClust the cluster map of the analysis (per code unit, the first glyph
  // of its cluster). Each glyph not yet recorded is appended with the text of
  // its cluster part: glyphs and characters of a cluster pair in logical order,
  // the last glyph of a cluster taking the characters left over (a ligature
  // stands for all of its characters). Without a cluster map that fits the
  // text, glyph j pairs with character j (n - 1 - j for RTL, n the glyph
  // count) while that lies inside the text. Nothing is ever read past AText.
  void AddUsedGlyphs(const std::u16string& AText, const TkmGlyphInfoList& AGlyphList, bool RTL,
                     const TkmWordArray* ALogClust = nullptr);
  // Records the characters of an unshaped run (subset resources only): each
  // character other than a space, once, and the glyph the face maps it to.
  void AddUsedCharacters(const std::u16string& AText);

  // True when the resource's objects include a font file: embedding is on, the
  // family is not excluded, the face is TrueType and its data can be read.
  bool WillEmbed(const TkmPDFFontOutput& AOutput) const;

  // ---- Object texts -----------------------------------------------------------
  // The Type0 font dictionary body (ends in CR LF). ATag is the subset tag or empty.
  std::string GetType0FontDictionary(int AFontNo, int AUnicodeObjRef, int ADesFontObjRef,
                                     const std::string& ATag) const;
  // The CIDFontType2 dictionary ("<<...>>"); Registry and AOrdering are the
  // (possibly encrypted) bytes of the two strings.
  std::string GetCIDFontDictionary(int AFontDescriptorRef, const std::string& Registry, const std::string& AOrdering,
                                   const std::string& ATag) const;
  // The content of the /W array: each glyph followed by "[" width "]".
  std::string GetWidths() const;
  // The composite font descriptor (ends in CR LF); AFontFile2Obj 0: no font file.
  std::string GetFontDescriptor(int AFontFile2Obj, const std::string& ATag) const;
  // The simple font dictionary and descriptor (end in CR LF).
  std::string GetSimpleFontDictionary(int AFontNo, int AFontDescriptorRef, const std::string& ATag) const;
  std::string GetSimpleFontDescriptor(int AFontFile2Obj, const std::string& ATag) const;
  // The ToUnicode map: code space <0000>..<FFFF>, bfchar blocks of at most 100
  // entries, each glyph to the UTF-16 (surrogate pairs included) of its text;
  // glyphs that stand for no text are left out. Also kept as GetPDFCMap.
  std::string GetCMap();
  static std::string GetCIDFontRegistryEntry() { return "Adobe"; }
  static std::string GetCIDFontOrderingEntry() { return "Identity"; }

  // ---- Font files -------------------------------------------------------------
  // The face as a single TrueType font file (a face of a collection is written
  // alone: an embedded font file cannot hold a collection); empty when the
  // face has no TrueType outlines or cannot be read.
  std::vector<std::uint8_t> GetFontFile2() const;
  // A subset keeping the glyphs used (and glyph 0 and every component of a
  // kept composite glyph); the whole font file when a subset cannot be made or
  // is not smaller. *AIsSubset tells which.
  std::vector<std::uint8_t> GetFontFile2Subset(bool* AIsSubset = nullptr) const;

  // ---- Glyph-to-character table --------------------------------------------
  // Builds the table of the face's character map ((3,1), else the last (3,0)
  // subtable, format 4): one entry per code of every segment. Nothing is built
  // when the face lacks 'cmap', 'head', 'hhea' or 'hmtx'. For text given as
  // glyph indices (metafile text); the table stays in the resource.
  void CreateTTFGlyphs();
  const std::vector<TkmCharGlyph>& GetGlyphCharTable() const { return FGlyphCharTable; }
  // The character of the first table entry with that glyph; 0 when none has it.
  char16_t GetCharOfGlyph(std::uint16_t AGlyph) const;

  // Writes every object of the resource (AFontNo: its position in the font
  // table). ASubsetCount counts the subset fonts written so far in the file
  // and grows by one when this resource writes one; its tag is SubsetTag of
  // the count before. A face that is not TrueType writes nothing.
  void WriteObjects(const TkmPDFFontOutput& AOutput, int AFontNo, int& ASubsetCount);

 private:
  void FillFontMetrics(const FontCatalog& ACatalog, bool ACharset);
  void SetBaseFont();
  void GetFontCMapDetails();
  void RecordGlyph(std::uint16_t AGlyph, std::u16string AText, int AWidth);
  std::string FontFileObject(const TkmPDFFontOutput& AOutput, const std::vector<std::uint8_t>& AData, int AObjNo,
                             int ALengthObjNo) const;
  void WriteStream(const TkmPDFFontOutput& AOutput, const std::string& ADict, TMemoryStream& AData, int AObjNo,
                   int ALengthObjNo) const;

  TFont FFont;
  TkmPDFFontInfo FFontInfo;
  std::string FBaseFont;
  TkmFontEncoding FFontEncoding = TkmFontEncoding::feWinAnsi;
  bool FSubset = false;
  bool FIsIdentityH = true;
  std::u16string FFaceFamily;
  std::shared_ptr<const FontFace> FFace;  // null when no face could be opened

  std::vector<std::uint16_t> FCID;
  std::vector<std::u16string> FCharCode;
  std::vector<int> FWidths;
  std::u16string FIncludedCharCode;
  std::set<std::uint16_t> FUsedGlyphs;
  std::uint32_t FFirstGlyph = 0x7FFFFFFF;
  std::uint32_t FLastGlyph = 0;
  std::string FPDFCMap;
  std::vector<TkmCharGlyph> FGlyphCharTable;
};

}  // namespace km
