#pragma once
// Settings objects and enumerations of the PDF engine: compression, viewer
// preferences with page transitions, and the encryption settings.

#include <memory>
#include <string>

#include "kmSet.h"

namespace km {

enum class TkmPDFVersion { PDF_VER14, PDF_VER15, PDF_VER16, PDF_VER17, PDFA_VER1B, PDFA_VER2B, PDFA_VER3B };
enum class TkmCompressionLevel { clFastest, clNormal, clMaxCompress };
enum class TkmPDFFontEncoding {
  feWinAnsiEncoding, feMacRomanEncoding, feMacExpertEncoding, feStandardEncoding, fePDFDocEncoding
};
enum class TkmTTFontEmbedding { etfNone, etfFull, etfSubset };
enum class TkmLineJoinStyle { ljsMiter, ljsRound, ljsBevel };
enum class TkmLineCapStyle { lcsFlat, lcsRound, lcsSquare };

// True for the three PDF/A versions.
inline bool IsPDFA(TkmPDFVersion v) { return v >= TkmPDFVersion::PDFA_VER1B; }

// Flate compression of the streams the engine writes.
class TkmCompression {
 public:
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool v) { FEnabled = v; }
  TkmCompressionLevel GetLevel() const { return FLevel; }
  void SetLevel(TkmCompressionLevel v) { FLevel = v; }

 private:
  bool FEnabled = true;
  TkmCompressionLevel FLevel = TkmCompressionLevel::clMaxCompress;
};

enum class TkmPageLayout { plSinglePage, plOneColumn, plTwoColumnLeft, plTwoColumnRight };
enum class TkmPageMode { pmUseNone, pmUseOutlines, pmUseThumbs, pmFullScreen };
enum class TkmNonFullScreenPageMode { nfspmUseNone, nfspmUseOutlines, nfspmUseThumbs };
enum class TkmTransitionEffect {
  teNone, teSplitHorizontalInward, teSplitHorizontalOutward, teSplitVerticalInward,
  teSplitVerticalOutward, teBlindsHorizontal, teBlindsVertical, teBoxInward, teBoxOutward,
  teWipeLeftToRight, teWipeBottomToTop, teWipeRightToLeft, teWipeTopToBottom, teDissolve,
  teGlitterLeftToRight, teGlitterTopToBottom, teGlitterTopLeftToBottomRight
};

// The page transition every page dictionary carries.
class TkmPresentationMode {
 public:
  int GetDuration() const { return FDuration; }
  void SetDuration(int v) { FDuration = v; }
  TkmTransitionEffect GetTransitionEffect() const { return FTransitionEffect; }
  void SetTransitionEffect(TkmTransitionEffect v) { FTransitionEffect = v; }

 private:
  int FDuration = 1;
  TkmTransitionEffect FTransitionEffect = TkmTransitionEffect::teNone;
};

// Catalog entries that tell a viewer how to open the document.
class TkmViewerPreferences {
 public:
  TkmViewerPreferences();
  ~TkmViewerPreferences();
  TkmViewerPreferences(const TkmViewerPreferences&) = delete;
  TkmViewerPreferences& operator=(const TkmViewerPreferences&) = delete;

  TkmPageLayout GetPageLayout() const { return FPageLayout; }
  void SetPageLayout(TkmPageLayout v) { FPageLayout = v; }
  TkmPageMode GetPageMode() const { return FPageMode; }
  void SetPageMode(TkmPageMode v) { FPageMode = v; }
  bool GetHideToolBar() const { return FHideToolBar; }
  void SetHideToolBar(bool v) { FHideToolBar = v; }
  bool GetHideMenuBar() const { return FHideMenuBar; }
  void SetHideMenuBar(bool v) { FHideMenuBar = v; }
  bool GetHideWindowUI() const { return FHideWindowUI; }
  void SetHideWindowUI(bool v) { FHideWindowUI = v; }
  bool GetFitWindow() const { return FFitWindow; }
  void SetFitWindow(bool v) { FFitWindow = v; }
  bool GetCenterWindow() const { return FCenterWindow; }
  void SetCenterWindow(bool v) { FCenterWindow = v; }
  TkmNonFullScreenPageMode GetNonFullScreenPageMode() const { return FNonFullScreenPageMode; }
  void SetNonFullScreenPageMode(TkmNonFullScreenPageMode v) { FNonFullScreenPageMode = v; }
  // The presentation mode is owned; setting one hands it over (the previous
  // one is discarded). A null value is ignored.
  TkmPresentationMode& GetPresentationMode() { return *FPresentationMode; }
  void SetPresentationMode(std::unique_ptr<TkmPresentationMode> v);

  // "/PageMode.../PageLayout.../ViewerPreferences << ... >>" for the catalog.
  static std::string GetViewerPreferences(TkmPageMode pageMode, TkmPageLayout pageLayout,
                                          bool centerWindow, bool fitWindow, bool hideWindowUI,
                                          bool hideMenuBar, bool hideToolBar,
                                          TkmNonFullScreenPageMode nonFullScreenPageMode);
  // "/Dur d/Trans <</Type/Trans/D d/S... >>" for every page dictionary.
  static std::string GetTransitionEffectAndDuration(int duration, TkmTransitionEffect effect);

  // The two texts above for this object's values.
  std::string CatalogEntries() const;
  std::string PageEntries() const;

 private:
  TkmPageLayout FPageLayout = TkmPageLayout::plOneColumn;
  TkmPageMode FPageMode = TkmPageMode::pmUseNone;
  bool FHideToolBar = false;
  bool FHideMenuBar = false;
  bool FHideWindowUI = false;
  bool FFitWindow = false;
  bool FCenterWindow = false;
  TkmNonFullScreenPageMode FNonFullScreenPageMode = TkmNonFullScreenPageMode::nfspmUseNone;
  std::unique_ptr<TkmPresentationMode> FPresentationMode;
};

enum class TkmPDFEncryptionLevel { elRC4_40Bit, elRC4_128Bit };
enum class TkmUserPermissionsType {
  AllowCopy, AllowModify, AllowPrint, AllowAnnotation, AllowFormFill, AllowAccessibility,
  AllowDocAssembly, AllowHighResPrint
};
using TkmUserPermissions = Set<TkmUserPermissionsType, 8>;

// The standard security handler's settings. The handler itself (keys, RC4,
// the encryption dictionary) is not part of this engine layer yet.
class TkmPDFEncryptionSettings {
 public:
  TkmPDFEncryptionSettings();
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool v) { FEnabled = v; }
  TkmPDFEncryptionLevel GetLevel() const { return FLevel; }
  void SetLevel(TkmPDFEncryptionLevel v) { FLevel = v; }
  const std::string& GetOwnerPassword() const { return FOwnerPassword; }
  void SetOwnerPassword(const std::string& v) { FOwnerPassword = v; }
  const std::string& GetUserPassword() const { return FUserPassword; }
  void SetUserPassword(const std::string& v) { FUserPassword = v; }
  TkmUserPermissions GetUserPermissions() const { return FUserPermissions; }
  void SetUserPermissions(TkmUserPermissions v) { FUserPermissions = v; }

 private:
  bool FEnabled = false;
  TkmPDFEncryptionLevel FLevel = TkmPDFEncryptionLevel::elRC4_128Bit;
  std::string FOwnerPassword;
  std::string FUserPassword;
  TkmUserPermissions FUserPermissions;
};

}  // namespace km
