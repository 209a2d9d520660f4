#include "safe/safe_text.h"

#include "safe/entry_records.h"
#include "safe/legacy_lines.h"
#include "safe/safe_format.h"

namespace {

bool BuildLegacyText(const EntryList& list, SafeText& text) {
  if (list.entries.empty()) {
    text.bytes = reinterpret_cast<const uint8_t*>(kEmptySafeSentence);
    text.length = kEmptySafeLength;
    return true;
  }
  SecretText joined;
  for (const Entry& entry : list.entries) {
    if (&entry != &list.entries.front()) joined.Append("\r\n");
    AppendLegacyLine(entry, joined);
  }
  text.built.assign(joined.c_str(), joined.c_str() + joined.size() + 1);
  text.bytes = text.built.data();
  text.length = text.built.size();
  // T = padded length + 12 must fit its 32-bit field.
  return RoundUpToBlock(text.length) + kSafeHeaderSize + kSafeTrailerSize <= UINT32_MAX;
}

}  // namespace

bool BuildSafeText(const EntryList& list, SafeFormat format, SafeText& text) {
  if (format == SafeFormat::kLegacy) return BuildLegacyText(list, text);
  if (CheckEntryListLimits(list) != nullptr) return false;
  EncodeEntryList(list, text.built);
  text.bytes = text.built.data();
  text.length = text.built.size();
  return true;
}
