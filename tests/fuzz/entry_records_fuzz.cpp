// Any text either is refused or reads as a list that writes back as the same
// list, and whose bytes read back as themselves.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "safe/entry_records.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  EntryList list;
  if (!DecodeEntryList(data, size, list)) return 0;
  WipingBytes written;
  EncodeEntryList(list, written);
  EntryList again;
  if (!DecodeEntryList(written.data(), written.size(), again) || !(again == list)) abort();
  WipingBytes rewritten;
  EncodeEntryList(again, rewritten);
  if (rewritten != written) abort();
  return 0;
}
