#include "safe/safe_text.h"

#include <cstring>

#include "core/heapstring.h"
#include "safe/safe_format.h"

SafeText::~SafeText() { WipeAndFree(joined); }

bool BuildSafeText(const cpStringArray& entries, SafeText& text) {
  if (entries.GetCount() == 0) {
    text.bytes = reinterpret_cast<const uint8_t*>(kEmptySafeSentence);
    text.length = kEmptySafeLength;
    return true;
  }
  text.joined = entries.Join("\r\n");
  if (text.joined == nullptr) return false;
  text.bytes = reinterpret_cast<const uint8_t*>(text.joined);
  text.length = std::strlen(text.joined) + 1;
  // T = padded length + 12 must fit its 32-bit field.
  return RoundUpToBlock(text.length) + kSafeHeaderSize + kSafeTrailerSize <= UINT32_MAX;
}
