// A KeePass database in, opened with the seeds' password under tiny work
// limits so that each input costs microseconds: reading never crashes,
// refuses with one line, and whatever it reads makes entries the safe can
// hold. The seeds are whole databases (KDBX 4 with Argon2id over 32 KiB,
// ChaCha20 and AES; KDBX 3.1 with 100 AES-KDF rounds) with that password.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "interchange/import_plan.h"
#include "interchange/kdbx.h"

namespace {

constexpr KdbxWorkLimits kFuzzLimits = {64 << 10, 128 << 10, 1000};

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const FileKey key{SecretText("fuzz-pw"), std::nullopt};
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  ImportPlan plan(SafeFormat::kStrong);
  ForeignFile file(&plan);
  std::string error;
  if (!ReadKdbxWithin(bytes, key, kFuzzLimits, &file, &error)) {
    Require(!error.empty() && error.find('\n') == std::string::npos);
    return 0;
  }
  plan.Finish(file, "kdbx");
  for (const Entry& entry : plan.Entries()) Require(CheckEntryLimits(entry) == nullptr);
  return 0;
}
