// The application. Without arguments it opens the main form. With --headless
// it runs the "PDF" button's flow in the current directory without any
// window: it says where the file was written and never starts a viewer;
// errors go to standard error with a non-zero exit status.
#include <QApplication>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>

#include "Unit1.h"
#include "kmAppComponents.h"
#include "kmShell.h"

namespace {

int RunHeadless() {
  std::string opened;
  // The file the engine would open with the shell is reported instead.
  km::ScopedShellOpener no_viewer([&opened](const std::string& path) {
    opened = path;
    return true;
  });
  try {
    km::TkmAppComponents components;
    components.btn_PDFClick();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "km_export: %s\n", e.what());
    return 1;
  }
  // A missing template writes nothing and reports nothing.
  if (!opened.empty()) std::printf("Wrote %s\n", std::filesystem::absolute(opened).string().c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--headless") == 0) return RunHeadless();
  QApplication app(argc, argv);
  km::TForm1 form;
  form.show();
  return app.exec();
}
