// quillbox-cli as its tests run it: new and upgraded safes get the smallest
// Argon2id parameters, so the many key derivations of a test run take
// microseconds. Only the parameters differ from the shipped program.
#include <cstdio>

#include "cli/cli_main.h"
#include "platform/core_dumps.h"
#include "tests/unit/safe/safe_test_dir.h"

int main(int argc, char** argv) {
  DisableCoreDumps();
  return RunCli(argc, argv, stdout, stderr, kTinySafeParams);
}
