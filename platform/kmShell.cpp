#include "kmShell.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <utility>

extern char** environ;

namespace km {

namespace {

TShellOpener& Opener() {
  static TShellOpener opener;
  return opener;
}

// Starts "xdg-open path" detached: an intermediate child starts the opener
// and exits at once, so no zombie is left behind and the caller never waits
// for the viewer.
bool XdgOpen(const std::string& path) {
  pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    std::string program = "xdg-open";
    char* argv[] = {program.data(), const_cast<char*>(path.c_str()), nullptr};
    pid_t viewer = 0;
    int rc = posix_spawnp(&viewer, "xdg-open", nullptr, nullptr, argv, environ);
    _exit(rc == 0 ? 0 : 1);
  }
  int status = 0;
  if (waitpid(child, &status, 0) < 0) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool ShellOpen(const std::string& path) {
  if (Opener()) return Opener()(path);
  return XdgOpen(path);
}

TShellOpener SetShellOpener(TShellOpener opener) { return std::exchange(Opener(), std::move(opener)); }

}  // namespace km
