// Hive text in, three properties out: parsing never fails or crashes and
// formats back byte for byte; a value set into any document reads back
// as set; and any value line the store accepts survives its own formatting.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/hive_document.h"
#include "platform/hive_text.h"

namespace {

const char kKey[] = "HKEY_CURRENT_USER\\Software\\tarnwell\\Tarnwell Quillbox\\2.x";

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckValueLine(std::string_view line) {
  std::string name;
  WHiveValue value;
  if (!ParseHiveValueLine(line, &name, &value)) return;
  std::string formatted;
  if (!FormatHiveValueLine(name, value, &formatted)) return;
  std::string nameAgain;
  WHiveValue valueAgain;
  Require(ParseHiveValueLine(formatted, &nameAgain, &valueAgain));
  Require(nameAgain == name && valueAgain == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  WHiveDocument document;
  document.Parse(text);
  Require(document.Format() == text);

  WHiveValue found;
  document.FindValue(kKey, "Last_Username", &found);

  // The input's first bytes become the value's bytes, so strings with
  // quotes, backslashes and line breaks are all tried.
  WHiveValue value{size > 0 ? data[0] % 5u : 1u, std::string(text.substr(0, 64))};
  Require(document.SetValue(kKey, "Fuzz", value));
  WHiveDocument reread;
  reread.Parse(document.Format());
  WHiveValue readBack;
  Require(reread.FindValue(kKey, "Fuzz", &readBack) && readBack == value);

  CheckValueLine(text.substr(0, text.find('\n')));
  return 0;
}
