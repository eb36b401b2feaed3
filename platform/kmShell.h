#pragma once
// Opening a file with the system's default application ("Open" verb).

#include <functional>
#include <string>

namespace km {

// Opens `path` with the desktop's default viewer (xdg-open), without waiting
// for it. Goes through the installed opener when one is set. Returns whether
// the request could be started.
bool ShellOpen(const std::string& path);

// Replaces the opener (tests, headless runs); an empty function restores
// xdg-open. Returns the previous opener.
using TShellOpener = std::function<bool(const std::string& path)>;
TShellOpener SetShellOpener(TShellOpener opener);

// Installs an opener for the lifetime of the object.
class ScopedShellOpener {
 public:
  explicit ScopedShellOpener(TShellOpener opener) : previous_(SetShellOpener(std::move(opener))) {}
  ~ScopedShellOpener() { SetShellOpener(std::move(previous_)); }
  ScopedShellOpener(const ScopedShellOpener&) = delete;
  ScopedShellOpener& operator=(const ScopedShellOpener&) = delete;

 private:
  TShellOpener previous_;
};

}  // namespace km
