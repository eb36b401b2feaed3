#include "kmBaseComponent.h"

#include <algorithm>

namespace km {

namespace {
void Erase(std::vector<TkmBaseComponent*>& list, TkmBaseComponent* c) {
  list.erase(std::remove(list.begin(), list.end(), c), list.end());
}
}  // namespace

TkmBaseComponent::~TkmBaseComponent() {
  for (TkmBaseComponent* w : FWatched) Erase(w->FObservers, this);
  // Observers may unlink themselves while being told, so work on a copy.
  const std::vector<TkmBaseComponent*> observers = FObservers;
  FObservers.clear();
  for (TkmBaseComponent* o : observers) {
    Erase(o->FWatched, this);
    o->Notification(this);
  }
}

void TkmBaseComponent::FreeNotification(TkmBaseComponent* target) {
  if (!target || target == this) return;
  if (std::find(FWatched.begin(), FWatched.end(), target) != FWatched.end()) return;
  FWatched.push_back(target);
  target->FObservers.push_back(this);
}

void TkmBaseComponent::RemoveFreeNotification(TkmBaseComponent* target) {
  if (!target) return;
  Erase(FWatched, target);
  Erase(target->FObservers, this);
}

}  // namespace km
