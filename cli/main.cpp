#include <cstdio>

#include "cli/cli_main.h"
#include "platform/core_dumps.h"
#include "platform/private_temp_dir.h"
#include "safe/safe_format.h"

int main(int argc, char** argv) {
  // Before any password is read, so a crash never writes one to disk.
  DisableCoreDumps();
  // Safes that killed saves left in the private temp folder.
  RemoveUnheldPrivateTempFiles(kSafeTempPrefix);
  return RunCli(argc, argv, stdout, stderr);
}
