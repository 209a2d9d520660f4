// Another program's export in (the format is FUZZ_FORMAT, or when that is
// empty the CSV format the input's first byte picks): reading never
// crashes, whatever is read makes only entries the safe can hold, and those
// entries written in the same format, where it can be written, read back
// unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "interchange/import_file.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

std::vector<std::string> Lines(ImportPlan& plan) {
  std::vector<std::string> lines;
  for (const Entry& entry : plan.Entries()) {
    lines.push_back(std::string(entry.title.view()) + "\t" + std::string(entry.userName.view()) + "\t" +
                    std::string(entry.password.view()));
  }
  return lines;
}

void RequireStorable(const std::string& line) {
  size_t tabs = 0, field = 0;
  for (char c : line) {
    Require(c != '\r' && c != '\n');
    if (c == '\t') {
      ++tabs;
      field = 0;
    } else {
      Require(++field <= 259);
    }
  }
  Require(tabs == 2);
}

constexpr const char* kCsvFormats[] = {"quillbox-csv", "keepassxc-csv", "bitwarden-csv", "chrome-csv", "firefox-csv"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  const char* format_name = FUZZ_FORMAT;
  if (*format_name == '\0') {
    if (text.empty()) return 0;
    format_name = kCsvFormats[static_cast<unsigned char>(text[0]) % std::size(kCsvFormats)];
    text.remove_prefix(1);
  }
  // A legacy safe's rules, the strictest an import meets.
  ImportPlan plan(SafeFormat::kLegacy);
  std::string error;
  if (!PlanImportText(text, format_name, &plan, &error)) {
    Require(!error.empty() && error.find('\n') == std::string::npos);
    return 0;
  }
  std::vector<std::string> lines = Lines(plan);
  for (const std::string& line : lines) RequireStorable(line);

  const InterchangeFormat* format = FindInterchangeFormat(format_name);
  std::string written;
  // XML cannot carry most control characters at all; the writer says so.
  if (format->write == nullptr || !format->write(plan.Entries(), &written, &error)) return 0;
  ImportPlan reread(SafeFormat::kLegacy);
  Require(PlanImportText(written, format_name, &reread, &error));
  Require(Lines(reread) == lines);
  return 0;
}
