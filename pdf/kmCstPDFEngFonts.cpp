// TkmCustomPDFEngine: the font table. Text runs find or create their font
// resources here; Finish lists them in the shared resources and writes their
// objects.

#include "kmCstPDFEng.h"

#include <map>
#include <utility>

#include "kmFontCatalog.h"
#include "kmGlyphInfo.h"
#include "kmPDFFont3.h"

namespace km {

namespace {

bool IsVerticalRun(const std::u16string& family, const std::u16string& text) {
  return !family.empty() && family[0] == u'@' && !text.empty() && text[0] >= 0x4E00 && text[0] <= 0x9FFF;
}

}  // namespace

TkmMapFont& TkmCustomPDFEngine::GetMapFont() {
  if (!FMapFont) FMapFont = std::make_unique<TkmMapFont>();
  return *FMapFont;
}

bool TkmCustomPDFEngine::IsFontEmbedExcluded(const std::u16string& AFamily) const {
  for (const std::u16string& name : FFontEmbedExcludeList) {
    if (SameFamilyName(name, AFamily)) return true;
  }
  return false;
}

int TkmCustomPDFEngine::GetPDFFont(const TFont& AFont, bool AIsCID, bool AIsIdentityH) {
  const TkmFontEncoding encoding = AIsCID ? TkmFontEncoding::feCID : TkmFontEncoding::feWinAnsi;
  for (std::size_t i = 0; i < FFontTable.size(); ++i) {
    if (FFontTable[i]->IsEqual(AFont, encoding, AIsIdentityH)) return static_cast<int>(i);
  }
  const bool subset = GetPreferences().GetEmbedTrueTypeFonts() == TkmTTFontEmbedding::etfSubset &&
                      !IsFontEmbedExcluded(AFont.GetName());
  auto font = std::make_unique<TkmPDFFont>(AFont, GetNewObjNo(), AIsCID, subset, true);
  font->SetIsIdentityH(AIsIdentityH);
  FFontTable.push_back(std::move(font));
  return static_cast<int>(FFontTable.size()) - 1;
}

int TkmCustomPDFEngine::AddFontRun(const TFont& AFont, const std::u16string& AText,
                                   const TkmGlyphInfoList* AGlyphList, const TkmRunInfo& ARunInfo,
                                   const std::vector<std::uint16_t>* ALogClust) {
  TFont font = AFont;
  if (!ARunInfo.MappedFontName.empty()) font.SetName(ARunInfo.MappedFontName);
  const bool cid = ARunInfo.ScriptProcessingRequired;
  const bool horizontal = !(cid && IsVerticalRun(font.GetName(), AText));
  const int index = GetPDFFont(font, cid, horizontal);
  TkmPDFFont& resource = *FFontTable[static_cast<std::size_t>(index)];
  if (cid) {
    if (AGlyphList != nullptr) {
      resource.AddUsedGlyphs(AText, *AGlyphList, ARunInfo.GlyphType.Contains(TkmGlyphType::gdRTL), ALogClust);
    }
  } else {
    resource.AddUsedCharacters(AText);
  }
  return index;
}

std::string TkmCustomPDFEngine::GetFontResources() {
  if (FFontTable.empty()) return {};
  std::string s = "/Font <<";
  for (std::size_t i = 0; i < FFontTable.size(); ++i) {
    s += "/F" + std::to_string(i) + " " + MakeObjRef(FFontTable[i]->GetFontInfo().FfiFontObjRef) + " ";
  }
  return s + ">>\r\n";
}

void TkmCustomPDFEngine::WriteFontObjects() {
  TkmPDFFontOutput out;
  out.Writer = &FWriter;
  out.Embedding = GetPreferences().GetEmbedTrueTypeFonts();
  out.Compressed = FCompression->GetEnabled();
  out.Level = FCompression->GetLevel();
  out.EncryptString = [this](const std::string& s, int obj) { return WritePDFString(s, obj, 0); };
  out.EncryptStream = [this](TMemoryStream& data, std::int64_t size, int obj) { WritePDFStream(data, size, obj, 0); };
  std::map<std::pair<std::string, int>, int> whole_files;
  out.WholeFontFiles = &whole_files;
  int subsets = 0;
  for (std::size_t i = 0; i < FFontTable.size(); ++i) {
    out.Excluded = IsFontEmbedExcluded(FFontTable[i]->GetFont().GetName());
    FFontTable[i]->WriteObjects(out, static_cast<int>(i), subsets);
  }
}

}  // namespace km
