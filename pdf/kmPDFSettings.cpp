#include "kmPDFSettings.h"

namespace km {

TkmViewerPreferences::TkmViewerPreferences()
    : FPresentationMode(std::make_unique<TkmPresentationMode>()) {}

TkmViewerPreferences::~TkmViewerPreferences() = default;

void TkmViewerPreferences::SetPresentationMode(std::unique_ptr<TkmPresentationMode> v) {
  if (v) FPresentationMode = std::move(v);
}

namespace {

const char* PageModeName(TkmPageMode m) {
  switch (m) {
    case TkmPageMode::pmUseOutlines: return "/UseOutlines";
    case TkmPageMode::pmUseThumbs: return "/UseThumbs";
    case TkmPageMode::pmFullScreen: return "/FullScreen";
    case TkmPageMode::pmUseNone: break;
  }
  return "/UseNone";
}

const char* PageLayoutName(TkmPageLayout l) {
  switch (l) {
    case TkmPageLayout::plSinglePage: return "/SinglePage";
    case TkmPageLayout::plTwoColumnLeft: return "/TwoColumnLeft";
    case TkmPageLayout::plTwoColumnRight: return "/TwoColumnRight";
    case TkmPageLayout::plOneColumn: break;
  }
  return "/OneColumn";
}

const char* NonFullScreenName(TkmNonFullScreenPageMode m) {
  switch (m) {
    case TkmNonFullScreenPageMode::nfspmUseOutlines: return "/UseOutlines";
    case TkmNonFullScreenPageMode::nfspmUseThumbs: return "/UseThumbs";
    case TkmNonFullScreenPageMode::nfspmUseNone: break;
  }
  return "/UseNone";
}

// The /S entry of a transition and the keys that refine it.
const char* EffectEntry(TkmTransitionEffect e) {
  using T = TkmTransitionEffect;
  switch (e) {
    case T::teNone: return "/R";
    case T::teSplitHorizontalInward: return "/Split/Dm/H/M/I";
    case T::teSplitHorizontalOutward: return "/Split/Dm/H/M/O";
    case T::teSplitVerticalInward: return "/Split/Dm/V/M/I";
    case T::teSplitVerticalOutward: return "/Split/Dm/V/M/O";
    case T::teBlindsHorizontal: return "/Blinds/Dm/H";
    case T::teBlindsVertical: return "/Blinds/Dm/V";
    case T::teBoxInward: return "/Box/M/I";
    case T::teBoxOutward: return "/Box/M/O";
    case T::teWipeLeftToRight: return "/Wipe/Di 0";
    case T::teWipeBottomToTop: return "/Wipe/Di 90";
    case T::teWipeRightToLeft: return "/Wipe/Di 180";
    case T::teWipeTopToBottom: return "/Wipe/Di 270";
    case T::teDissolve: return "/Dissolve";
    case T::teGlitterLeftToRight: return "/Glitter/Di 0";
    case T::teGlitterTopToBottom: return "/Glitter/Di 270";
    case T::teGlitterTopLeftToBottomRight: return "/Glitter/Di 315";
  }
  return "/R";
}

}  // namespace

std::string TkmViewerPreferences::GetViewerPreferences(
    TkmPageMode pageMode, TkmPageLayout pageLayout, bool centerWindow, bool fitWindow,
    bool hideWindowUI, bool hideMenuBar, bool hideToolBar,
    TkmNonFullScreenPageMode nonFullScreenPageMode) {
  std::string s = std::string("/PageMode") + PageModeName(pageMode) + "/PageLayout" +
                  PageLayoutName(pageLayout) + "/ViewerPreferences <<";
  if (centerWindow) s += "/CenterWindow true";
  if (fitWindow) s += "/FitWindow true";
  if (hideWindowUI) s += "/HideWindowUI true";
  if (hideMenuBar) s += "/HideMenubar true";
  if (hideToolBar) s += "/HideToolbar true";
  if (pageMode == TkmPageMode::pmFullScreen)
    s += std::string("/NonFullScreenPageMode") + NonFullScreenName(nonFullScreenPageMode);
  return s + " >>";
}

std::string TkmViewerPreferences::GetTransitionEffectAndDuration(int duration,
                                                                 TkmTransitionEffect effect) {
  const std::string d = std::to_string(duration);
  return "/Dur " + d + "/Trans <</Type/Trans/D " + d + "/S" + EffectEntry(effect) + " >>";
}

std::string TkmViewerPreferences::CatalogEntries() const {
  return GetViewerPreferences(FPageMode, FPageLayout, FCenterWindow, FFitWindow, FHideWindowUI,
                              FHideMenuBar, FHideToolBar, FNonFullScreenPageMode);
}

std::string TkmViewerPreferences::PageEntries() const {
  return GetTransitionEffectAndDuration(FPresentationMode->GetDuration(),
                                        FPresentationMode->GetTransitionEffect());
}

TkmPDFEncryptionSettings::TkmPDFEncryptionSettings() {
  for (int i = 0; i < 8; ++i) FUserPermissions.Include(static_cast<TkmUserPermissionsType>(i));
}

}  // namespace km
