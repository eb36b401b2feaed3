#pragma once
// Running the independent PDF readers (qpdf, poppler, pdf-audit) from tests.

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

}  // namespace km::testing
