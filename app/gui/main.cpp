#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/gui/application_start.h"
#include "app/quillbox.h"
#include "platform/core_dumps.h"
#include "platform/private_temp_dir.h"
#include "safe/safe_format.h"

namespace {

// The one application object: built before main and destroyed after it,
// when it writes the start settings back.
Quillbox theApp;

bool HasDisplay() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (platform && *platform) || (x11 && *x11) || (wayland && *wayland);
}

}  // namespace

int main(int argc, char** argv) {
  DisableCoreDumps();
  // Safes that killed saves left in the private temp folder.
  RemoveUnheldPrivateTempFiles(kSafeTempPrefix);
  if (!HasDisplay()) {
    std::fputs("quillbox: no graphical display found; in a terminal use quillbox-cli instead\n", stderr);
    return 1;
  }
  QApplication application(argc, argv);
  InitApplication(theApp);
  return RunApplication(theApp);
}
