#include "pdf_tools.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/wait.h>

namespace km::testing {

CommandResult RunCommand(const std::string& command) {
  CommandResult r;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return r;
  std::array<char, 4096> buf{};
  std::size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) r.Output.append(buf.data(), n);
  const int status = pclose(pipe);
  r.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string ShellQuote(const std::string& text) {
  std::string q = "'";
  for (char c : text) {
    if (c == '\'') q += "'\\''"; else q += c;
  }
  return q + "'";
}

bool HaveProgram(const std::string& name) {
  return RunCommand("command -v " + ShellQuote(name)).ExitCode == 0;
}

std::string MakeScratchDir(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::path(KM_BINARY_DIR) / "test-output" / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

std::string PdfInfoField(const std::string& out, const std::string& key) {
  std::istringstream lines(out);
  std::string line;
  const std::string prefix = key + ":";
  while (std::getline(lines, line)) {
    if (line.rfind(prefix, 0) != 0) continue;
    std::string v = line.substr(prefix.size());
    const auto b = v.find_first_not_of(' ');
    const auto e = v.find_last_not_of(" \r");
    return b == std::string::npos ? std::string() : v.substr(b, e - b + 1);
  }
  return {};
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace km::testing
