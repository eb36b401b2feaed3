#include <gtest/gtest.h>

#include "kmPDFSettings.h"

namespace km {
namespace {

TEST(PDFSettings, Defaults) {
  TkmCompression c;
  EXPECT_TRUE(c.GetEnabled());
  EXPECT_EQ(c.GetLevel(), TkmCompressionLevel::clMaxCompress);
  TkmViewerPreferences v;
  EXPECT_EQ(v.GetPageLayout(), TkmPageLayout::plOneColumn);
  EXPECT_EQ(v.GetPageMode(), TkmPageMode::pmUseNone);
  EXPECT_EQ(v.GetPresentationMode().GetDuration(), 1);
  EXPECT_EQ(v.GetPresentationMode().GetTransitionEffect(), TkmTransitionEffect::teNone);
  TkmPDFEncryptionSettings e;
  EXPECT_FALSE(e.GetEnabled());
  EXPECT_EQ(e.GetLevel(), TkmPDFEncryptionLevel::elRC4_128Bit);
  EXPECT_EQ(e.GetUserPermissions().Count(), 8u);
  EXPECT_TRUE(IsPDFA(TkmPDFVersion::PDFA_VER1B));
  EXPECT_FALSE(IsPDFA(TkmPDFVersion::PDF_VER17));
}

TEST(PDFSettings, DefaultCatalogAndPageEntries) {
  TkmViewerPreferences v;
  EXPECT_EQ(v.CatalogEntries(), "/PageMode/UseNone/PageLayout/OneColumn/ViewerPreferences << >>");
  EXPECT_EQ(v.PageEntries(), "/Dur 1/Trans <</Type/Trans/D 1/S/R >>");
}

TEST(PDFSettings, ViewerPreferenceTexts) {
  using P = TkmViewerPreferences;
  using M = TkmPageMode;
  using L = TkmPageLayout;
  using N = TkmNonFullScreenPageMode;
  struct Case { M mode; L layout; bool flags; N nfs; const char* text; };
  const Case cases[] = {
      {M::pmFullScreen, L::plOneColumn, false, N::nfspmUseThumbs,
       "/PageMode/FullScreen/PageLayout/OneColumn/ViewerPreferences <</NonFullScreenPageMode/UseThumbs >>"},
      {M::pmUseOutlines, L::plSinglePage, false, N::nfspmUseThumbs,
       "/PageMode/UseOutlines/PageLayout/SinglePage/ViewerPreferences << >>"},
      {M::pmUseThumbs, L::plTwoColumnRight, true, N::nfspmUseNone,
       "/PageMode/UseThumbs/PageLayout/TwoColumnRight/ViewerPreferences <</CenterWindow true"
       "/FitWindow true/HideWindowUI true/HideMenubar true/HideToolbar true >>"},
      {M::pmFullScreen, L::plTwoColumnLeft, false, N::nfspmUseNone,
       "/PageMode/FullScreen/PageLayout/TwoColumnLeft/ViewerPreferences <</NonFullScreenPageMode/UseNone >>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(P::GetViewerPreferences(c.mode, c.layout, c.flags, c.flags, c.flags, c.flags,
                                      c.flags, c.nfs),
              c.text);
  }
}

TEST(PDFSettings, TransitionTexts) {
  using T = TkmTransitionEffect;
  struct Case { int dur; T effect; const char* text; };
  const Case cases[] = {
      {3, T::teWipeTopToBottom, "/Dur 3/Trans <</Type/Trans/D 3/S/Wipe/Di 270 >>"},
      {1, T::teSplitHorizontalInward, "/Dur 1/Trans <</Type/Trans/D 1/S/Split/Dm/H/M/I >>"},
      {2, T::teBlindsVertical, "/Dur 2/Trans <</Type/Trans/D 2/S/Blinds/Dm/V >>"},
      {1, T::teBoxOutward, "/Dur 1/Trans <</Type/Trans/D 1/S/Box/M/O >>"},
      {5, T::teDissolve, "/Dur 5/Trans <</Type/Trans/D 5/S/Dissolve >>"},
      {1, T::teGlitterTopLeftToBottomRight, "/Dur 1/Trans <</Type/Trans/D 1/S/Glitter/Di 315 >>"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TkmViewerPreferences::GetTransitionEffectAndDuration(c.dur, c.effect), c.text);
}

TEST(PDFSettings, PresentationModeIsHandedOver) {
  TkmViewerPreferences v;
  auto mode = std::make_unique<TkmPresentationMode>();
  TkmPresentationMode* raw = mode.get();
  raw->SetDuration(4);
  v.SetPresentationMode(std::move(mode));
  EXPECT_EQ(&v.GetPresentationMode(), raw);
  EXPECT_EQ(v.PageEntries(), "/Dur 4/Trans <</Type/Trans/D 4/S/R >>");
  v.SetPresentationMode(nullptr);
  EXPECT_EQ(&v.GetPresentationMode(), raw);
}

}  // namespace
}  // namespace km
