#pragma once
// A private font directory for tests: symbolic links to a fixed set of Debian
// fonts plus the small fonts that tests/data/fonts/make_test_fonts.py writes,
// so catalogue results do not depend on what the machine has installed. Also a
// runner for the system Python, which tests use with fontTools as an oracle.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

namespace km::test {

inline const char* const kDebianFonts[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Italic.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-BoldItalic.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf",
    "/usr/share/fonts/truetype/noto/NotoSansDevanagari-Regular.ttf",
    "/usr/share/fonts/truetype/noto/NotoSansThai-Regular.ttf",
    "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc",
};

// Runs /usr/bin/python3 with the script on standard input; returns its
// standard output. Fails the test when the interpreter exits non-zero.
inline std::string RunPython(const std::string& script) {
  std::filesystem::path file = std::filesystem::temp_directory_path() /
                               ("km_oracle_" + std::to_string(::getpid()) + ".py");
  {
    FILE* f = std::fopen(file.c_str(), "w");
    if (f == nullptr) {
      ADD_FAILURE() << "cannot write " << file;
      return {};
    }
    std::fputs(script.c_str(), f);
    std::fclose(f);
  }
  std::string command = "/usr/bin/python3 " + file.string();
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  if (pipe == nullptr) {
    ADD_FAILURE() << "cannot run " << command;
    return out;
  }
  std::array<char, 4096> buffer;
  std::size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
  int status = ::pclose(pipe);
  std::filesystem::remove(file);
  EXPECT_EQ(status, 0) << "python oracle failed:\n" << script;
  return out;
}

// The private font directory, made once per test binary and removed at exit.
class TestFontDir {
 public:
  static const std::string& Path() {
    static TestFontDir dir;
    return dir.path_;
  }
  // Path of one font inside the directory, by file name.
  static std::string File(const std::string& name) { return Path() + "/" + name; }

 private:
  TestFontDir() {
    char templ[] = "/tmp/km_fonts_XXXXXX";
    const char* made = ::mkdtemp(templ);
    if (made == nullptr) {
      ADD_FAILURE() << "mkdtemp failed";
      return;
    }
    path_ = made;
    for (const char* font : kDebianFonts) {
      std::filesystem::path source(font);
      if (!std::filesystem::exists(source)) {
        ADD_FAILURE() << "test font missing (install the packages of dev.sh): " << font;
        continue;
      }
      std::filesystem::create_symlink(source, std::filesystem::path(path_) / source.filename());
    }
    std::string script = std::string(KM_SOURCE_DIR) + "/tests/data/fonts/make_test_fonts.py";
    std::string command = "/usr/bin/python3 " + script + " " + path_;
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << "cannot make the test fonts: " << command;
  }
  ~TestFontDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }

  std::string path_;
};

}  // namespace km::test
