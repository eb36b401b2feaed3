#include "kmXportIntf.h"

#include <utility>

namespace km {

TkmExportInterface::TkmExportInterface() = default;

TkmExportInterface::~TkmExportInterface() { Unhook(); }

void TkmExportInterface::SetEngine(TkmCustomDocumentEngine* engine) {
  if (engine == FEngine) return;
  Unhook();
  if (FEngine) RemoveFreeNotification(FEngine);
  FEngine = engine;
  if (FEngine) FreeNotification(FEngine);
}

void TkmExportInterface::SetVisible(bool value) { FVisible = value; }

void TkmExportInterface::SetDoEndDoc(bool value) {
  FDoEndDoc = value;
  // Hooking twice would save the hook itself as the caller's handler: the
  // hook would then call itself and the caller's handler would be lost.
  if (value || !FEngine || FHooked) return;
  FAfterEndDoc = FEngine->OnAfterEndDoc;
  FEngine->OnAfterEndDoc = [this](TkmCustomDocumentEngine& engine) { OnEngineEndDoc(engine); };
  FHooked = true;
}

void TkmExportInterface::OnEngineEndDoc(TkmCustomDocumentEngine& engine) {
  TkmNotifyEvent saved = FAfterEndDoc;
  if (saved) saved(engine);
  FDocStarted = false;
  FAfterEndDoc = nullptr;
  FHooked = false;
  // This replaces the running hook; nothing after it may touch the hook.
  engine.OnAfterEndDoc = std::move(saved);
}

void TkmExportInterface::Unhook() {
  if (!FHooked) return;
  FHooked = false;
  if (FEngine) FEngine->OnAfterEndDoc = std::move(FAfterEndDoc);
  FAfterEndDoc = nullptr;
}

void TkmExportInterface::StartDocument() {
  if (FEngine && FDoBeginDoc && !FDocStarted) {
    FEngine->BeginDoc();
  } else if (FEngine && FDocStarted) {
    FEngine->NewPage();
  }
  FDocStarted = true;
}

void TkmExportInterface::EndDocument() {
  // A document left open (DoEndDoc false) stays started, so that the next
  // export appends to it with NewPage; it ends when the caller ends it (the
  // hook clears the flag then). Cleared before EndDoc, so that a failing
  // EndDoc leaves no document counted as started.
  if (!FDoEndDoc) return;
  FDocStarted = false;
  if (FEngine) FEngine->EndDoc();
}

void TkmExportInterface::Notification(TkmBaseComponent* component) {
  if (FEngine && component == static_cast<TkmBaseComponent*>(FEngine)) {
    // The engine is going: its handler slot goes with it.
    FEngine = nullptr;
    FHooked = false;
    FAfterEndDoc = nullptr;
  }
}

}  // namespace km
