#pragma once
// TkmBaseComponent: the pack's component base. Besides the two published
// string properties About and Version (which always read as empty), it keeps
// the component library's free notification: a component that references
// another asks to be told when that one is destroyed and clears its reference.

#include <string>
#include <vector>

namespace km {

class TkmBaseComponent {
 public:
  TkmBaseComponent() = default;
  virtual ~TkmBaseComponent();
  TkmBaseComponent(const TkmBaseComponent&) = delete;
  TkmBaseComponent& operator=(const TkmBaseComponent&) = delete;

  std::string GetAbout() const { return {}; }
  void SetAbout(const std::string&) {}
  std::string GetVersion() const { return {}; }
  void SetVersion(const std::string&) {}

  // From now on, this->Notification(target) is called when target is destroyed.
  void FreeNotification(TkmBaseComponent* target);
  // Stops the notification asked for with FreeNotification.
  void RemoveFreeNotification(TkmBaseComponent* target);

 protected:
  // A component this one watches is being destroyed.
  virtual void Notification(TkmBaseComponent* /*component*/) {}

 private:
  std::vector<TkmBaseComponent*> FObservers;  // told when this one dies
  std::vector<TkmBaseComponent*> FWatched;    // components this one watches
};

}  // namespace km
