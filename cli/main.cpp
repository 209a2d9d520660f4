#include <cstdio>

#include "cli/cli_main.h"
#include "platform/core_dumps.h"

int main(int argc, char** argv) {
  // Before any password is read, so a crash never writes one to disk.
  DisableCoreDumps();
  return RunCli(argc, argv, stdout, stderr);
}
