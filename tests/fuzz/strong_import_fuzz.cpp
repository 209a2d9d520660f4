// Another program's export in, planned into a strong safe, which keeps the
// whole entry: the input's first byte picks the format, the rest is the
// file. Reading never crashes, every entry fits the strong format's limits,
// and a one-time code kept as the code is canonical and makes codes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "interchange/import_file.h"
#include "interchange/keepass_one_time_code.h"
#include "safe/one_time_code.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// The formats read from text; a KDBX file needs its password first.
std::vector<const InterchangeFormat*> TextFormats() {
  std::vector<const InterchangeFormat*> formats;
  for (const InterchangeFormat& format : InterchangeFormats()) {
    if (format.read != nullptr) formats.push_back(&format);
  }
  return formats;
}

void CheckEntry(const Entry& entry) {
  Require(CheckEntryLimits(entry) == nullptr);
  if (entry.totp.empty()) return;
  SecretText again;
  Require(NormalizeOneTimeCodeInput(entry.totp.view(), again) == nullptr && again == entry.totp);
  TotpCode code;
  Require(CurrentOneTimeCode(entry.totp.view(), 1111111109, code) == nullptr);
  // The fields the code came in are gone once it is read.
  for (const CustomField& field : entry.fields) Require(!IsKeePassOneTimeCodeField(field.name.view()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<const InterchangeFormat*> formats = TextFormats();
  if (size == 0) return 0;
  const InterchangeFormat* format = formats[data[0] % formats.size()];
  std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

  ImportPlan plan(SafeFormat::kStrong);
  std::string error;
  if (!PlanImportText(text, format->name, &plan, &error)) {
    Require(!error.empty() && error.find('\n') == std::string::npos);
    return 0;
  }
  for (const Entry& entry : plan.Entries()) CheckEntry(entry);
  return 0;
}
