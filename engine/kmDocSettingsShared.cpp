#include "kmDocSettingsShared.h"

#include <algorithm>

#include "kmCstDocEng.h"

namespace km {

TkmDocSettings::TkmDocSettings()
    : FDocInfo(std::make_unique<TkmDocInfo>()),
      FPage(std::make_unique<TkmPageSettings>()),
      FPreferences(std::make_unique<TkmPreferences>()) {
  FDocInfo->SetSharedOwner(this);
  FPage->SetSharedOwner(this);
  FPreferences->SetSharedOwner(this);
  FPage->SetNativeFactor(CalculateNativeUnitFactor(FMeasurementUnit));
}

// Linked engines watch this component and clear their reference when it goes.
TkmDocSettings::~TkmDocSettings() = default;

void TkmDocSettings::AddEngineToList(TkmCustomDocumentEngine* engine) {
  if (engine && std::find(FEngines.begin(), FEngines.end(), engine) == FEngines.end()) FEngines.push_back(engine);
}

void TkmDocSettings::RemoveEngineFromList(TkmCustomDocumentEngine* engine) {
  FEngines.erase(std::remove(FEngines.begin(), FEngines.end(), engine), FEngines.end());
}

void TkmDocSettings::PassOnPage(const std::function<void(TkmPageSettings&)>& change) {
  for (TkmCustomDocumentEngine* e : FEngines) change(e->GetPage());
}

void TkmDocSettings::PassOnPreferences(const std::function<void(TkmPreferences&)>& change) {
  for (TkmCustomDocumentEngine* e : FEngines) change(e->GetPreferences());
}

void TkmDocSettings::PassOnDocInfo(const std::function<void(TkmDocInfo&)>& change) {
  for (TkmCustomDocumentEngine* e : FEngines) change(e->GetDocInfo());
}

void TkmDocSettings::SetBackgroundColor(TColor v) {
  for (TkmCustomDocumentEngine* e : FEngines)
    if (e->GetBackgroundColor() == FBackgroundColor) e->SetBackgroundColor(v);
  FBackgroundColor = v;
}

void TkmDocSettings::SetBackgroundImage(const TGraphic* v) {
  FBackgroundImage = v ? v->Clone() : nullptr;
  for (TkmCustomDocumentEngine* e : FEngines) e->SetBackgroundImage(FBackgroundImage.get());
}

void TkmDocSettings::SetBackgroundImageDisplayType(TkmBackgroundDisplayType v) {
  for (TkmCustomDocumentEngine* e : FEngines)
    if (e->GetBackgroundImageDisplayType() == FBackgroundImageDisplayType) e->SetBackgroundImageDisplayType(v);
  FBackgroundImageDisplayType = v;
}

void TkmDocSettings::SetMeasurementUnit(TkmUnitType v) {
  for (TkmCustomDocumentEngine* e : FEngines)
    if (e->GetMeasurementUnit() == FMeasurementUnit) e->SetMeasurementUnit(v);
  FMeasurementUnit = v;
  FPage->SetNativeFactor(CalculateNativeUnitFactor(v));
}

}  // namespace km
