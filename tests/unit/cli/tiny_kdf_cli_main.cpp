// quillbox-cli as its tests run it: new and upgraded safes get the smallest
// Argon2id parameters, so the many key derivations of a test run take
// microseconds, exported KeePass databases cheap ones, and QUILLBOX_TEST_TIME (seconds since 1970), when set, is
// the time one-time codes are made for. Only these differ from the shipped
// program.
#include <cstdio>
#include <cstdlib>

#include "cli/cli_main.h"
#include "platform/core_dumps.h"
#include "tests/unit/interchange/cheap_kdbx_settings.h"
#include "tests/unit/safe/safe_test_dir.h"

namespace {

int64_t TestTime() {
  const char* fixed = getenv("QUILLBOX_TEST_TIME");
  return fixed != nullptr ? strtoll(fixed, nullptr, 10) : UtcSeconds();
}

}  // namespace

int main(int argc, char** argv) {
  DisableCoreDumps();
  SetKdbxWriteSettings(CheapKdbxSettings());
  return RunCli(argc, argv, stdout, stderr, kTinySafeParams, TestTime);
}
