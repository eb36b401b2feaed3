#pragma once
// TkmExportInterface: the report-tool-neutral part of an export interface. It
// holds the link to a document engine and decides, at the first and the last
// page of an export, whether the engine's document is begun, continued or
// ended.

#include "kmBaseComponent.h"
#include "kmCstDocEng.h"

namespace km {

class TkmExportInterface : public TkmBaseComponent {
 public:
  TkmExportInterface();
  ~TkmExportInterface() override;

  TkmCustomDocumentEngine* GetEngine() const { return FEngine; }
  // Stores the link (cleared when the engine is destroyed). A hook that
  // SetDoEndDoc put on the previous engine is taken off it first.
  virtual void SetEngine(TkmCustomDocumentEngine* engine);
  bool GetVisible() const { return FVisible; }
  virtual void SetVisible(bool value);
  bool GetDoBeginDoc() const { return FDoBeginDoc; }
  void SetDoBeginDoc(bool value) { FDoBeginDoc = value; }
  bool GetDoEndDoc() const { return FDoEndDoc; }
  // Stores the value. False with a linked engine hooks the engine's
  // OnAfterEndDoc once: the engine's handler is kept and called when the
  // document ends, after which the hook takes itself off and puts the handler
  // back. Setting false again while hooked changes nothing.
  void SetDoEndDoc(bool value);
  bool GetDocStarted() const { return FDocStarted; }
  void SetDocStarted(bool value) { FDocStarted = value; }
  bool GetAlreadyPrepared() const { return FAlreadyPrepared; }
  // True while this interface's hook sits on the engine's OnAfterEndDoc.
  bool IsEndDocHooked() const { return FHooked; }

  // At the first page of an export: begins the engine's document when asked
  // to and none was begun here, else opens a new page when one was;
  // with DoBeginDoc false and no document begun here the engine is not
  // called (its current page is used). The document counts as started.
  void StartDocument();
  // After the last page: with DoEndDoc set, ends the engine's document,
  // which then no longer counts as started; otherwise the document stays
  // open and started, and the next export continues it.
  void EndDocument();
  // The hooked end-of-document event (see SetDoEndDoc).
  void OnEngineEndDoc(TkmCustomDocumentEngine& engine);

 protected:
  void Notification(TkmBaseComponent* component) override;

  bool FVisible = true;
  TkmCustomDocumentEngine* FEngine = nullptr;
  bool FAlreadyPrepared = true;
  bool FDoBeginDoc = true;
  bool FDoEndDoc = true;
  bool FDocStarted = false;
  TkmNotifyEvent FAfterEndDoc;

 private:
  void Unhook();
  bool FHooked = false;
};

}  // namespace km
