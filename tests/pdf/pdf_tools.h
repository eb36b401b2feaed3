#pragma once
// Running the independent PDF readers (qpdf, poppler, pdf-audit) from tests.

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace km::testing {

struct CommandResult {
  int ExitCode = -1;
  std::string Output;  // standard output and standard error together
};

// Runs a shell command and collects its output.
CommandResult RunCommand(const std::string& command);

// Quotes a path for the shell.
std::string ShellQuote(const std::string& text);

// Fails the calling test loudly when a program the test relies on is missing.
bool HaveProgram(const std::string& name);

// A fresh, empty folder under the build tree for one test's files.
std::string MakeScratchDir(const std::string& name);

// The value of a "Key: value" line of pdfinfo's output, trimmed; empty when absent.
std::string PdfInfoField(const std::string& pdfinfoOutput, const std::string& key);

std::string ReadWholeFile(const std::string& path);

// Sets or clears SOURCE_DATE_EPOCH for one scope.
class ScopedEpoch {
 public:
  explicit ScopedEpoch(const char* value) {
    if (const char* old = std::getenv("SOURCE_DATE_EPOCH")) old_ = old;
    if (value) setenv("SOURCE_DATE_EPOCH", value, 1); else unsetenv("SOURCE_DATE_EPOCH");
  }
  ~ScopedEpoch() {
    if (old_) setenv("SOURCE_DATE_EPOCH", old_->c_str(), 1); else unsetenv("SOURCE_DATE_EPOCH");
  }

 private:
  std::optional<std::string> old_;
};

}  // namespace km::testing
