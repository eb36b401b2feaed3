#pragma once
// TkmDocSettings: one set of document settings shared by several engines.
// Linking an engine copies the shared values into it; afterwards each change
// of a shared value reaches every linked engine whose own value still equals
// the shared value before the change.

#include <functional>
#include <memory>
#include <vector>

#include "kmBaseComponent.h"
#include "kmDocSettings.h"

namespace km {

class TGraphic;

class TkmDocSettings : public TkmBaseComponent {
 public:
  TkmDocSettings();
  ~TkmDocSettings() override;

  TColor GetBackgroundColor() const { return FBackgroundColor; }
  void SetBackgroundColor(TColor v);
  // Nil when there is no picture.
  const TGraphic* GetBackgroundImage() const { return FBackgroundImage.get(); }
  // Passed to every linked engine unconditionally.
  void SetBackgroundImage(const TGraphic* v);
  TkmBackgroundDisplayType GetBackgroundImageDisplayType() const { return FBackgroundImageDisplayType; }
  void SetBackgroundImageDisplayType(TkmBackgroundDisplayType v);
  TkmUnitType GetMeasurementUnit() const { return FMeasurementUnit; }
  // Also sets the factor of the shared Page.
  void SetMeasurementUnit(TkmUnitType v);

  TkmDocInfo& GetDocInfo() { return *FDocInfo; }
  TkmPageSettings& GetPage() { return *FPage; }
  TkmPreferences& GetPreferences() { return *FPreferences; }

  // Called by an engine's Settings setter.
  void AddEngineToList(TkmCustomDocumentEngine* engine);
  void RemoveEngineFromList(TkmCustomDocumentEngine* engine);
  const std::vector<TkmCustomDocumentEngine*>& GetEngines() const { return FEngines; }

  // Used by the owned settings objects: applies `change` to each linked
  // engine's object of that kind.
  void PassOnPage(const std::function<void(TkmPageSettings&)>& change);
  void PassOnPreferences(const std::function<void(TkmPreferences&)>& change);
  void PassOnDocInfo(const std::function<void(TkmDocInfo&)>& change);

 private:
  TColor FBackgroundColor = clWhite;
  std::unique_ptr<TGraphic> FBackgroundImage;
  TkmBackgroundDisplayType FBackgroundImageDisplayType = TkmBackgroundDisplayType::dtCenter;
  TkmUnitType FMeasurementUnit = TkmUnitType::muPixels;
  std::unique_ptr<TkmDocInfo> FDocInfo;
  std::unique_ptr<TkmPageSettings> FPage;
  std::unique_ptr<TkmPreferences> FPreferences;
  std::vector<TkmCustomDocumentEngine*> FEngines;
};

}  // namespace km
