#include "safe/safe_line_collector.h"

#include <string.h>

#include <cstdlib>
#include <cstring>

#include "core/heapstring.h"
#include "safe/safe_format.h"

namespace {

enum class LineCheck { kKeep, kDrop, kMalformed };

// Counted in place, so no copies of the secrets are made for checking.
LineCheck CheckLine(const char* line, size_t length) {
  const char* end = line + length;
  const char* field = line;
  int fields = 1;
  bool tooLong = false;
  for (;;) {
    const char* tab = static_cast<const char*>(std::memchr(field, '\t', static_cast<size_t>(end - field)));
    const char* fieldEnd = tab != nullptr ? tab : end;
    tooLong = tooLong || static_cast<size_t>(fieldEnd - field) > kSafeMaxFieldLength;
    if (tab == nullptr) break;
    if (++fields > 3) return LineCheck::kMalformed;
    field = tab + 1;
  }
  if (fields != 3) return LineCheck::kMalformed;
  return tooLong ? LineCheck::kDrop : LineCheck::kKeep;
}

// The next "\r\n" in [from, end), or end.
const char* FindLineBreak(const char* from, const char* end) {
  while (from < end) {
    const char* cr = static_cast<const char*>(std::memchr(from, '\r', static_cast<size_t>(end - from)));
    if (cr == nullptr) break;
    if (cr + 1 < end && cr[1] == '\n') return cr;
    from = cr + 1;
  }
  return end;
}

}  // namespace

SafeLineCollector::SafeLineCollector() { lines_.SetWipeOnRelease(true); }

SafeLineCollector::~SafeLineCollector() {
  if (pending_ != nullptr) explicit_bzero(pending_, pendingCapacity_);
  std::free(pending_);
}

void SafeLineCollector::Start(uint32_t textLength) { textLength_ = textLength; }

void SafeLineCollector::Feed(const char* bytes, size_t length) {
  if (ended_ || failed_) return;
  if (!started_ && textLength_ == kEmptySafeLength && length >= kEmptySafeLength &&
      std::memcmp(bytes, kEmptySafeSentence, kEmptySafeLength) == 0) {
    emptySafe_ = ended_ = true;
    return;
  }
  started_ = true;
  if (const void* nul = std::memchr(bytes, '\0', length)) {
    length = static_cast<size_t>(static_cast<const char*>(nul) - bytes);
    ended_ = true;
  }
  const char* end = bytes + length;
  const char* line = bytes;
  // A "\r\n" split between two chunks.
  if (pendingLength_ > 0 && pending_[pendingLength_ - 1] == '\r' && line < end && *line == '\n') {
    --pendingLength_;
    TakePending();
    ++line;
  }
  while (line < end && !failed_) {
    const char* cut = FindLineBreak(line, end);
    if (cut == end) {
      AppendPending(line, static_cast<size_t>(end - line));
      break;
    }
    if (pendingLength_ > 0) {
      AppendPending(line, static_cast<size_t>(cut - line));
      TakePending();
    } else {
      Take(line, static_cast<size_t>(cut - line));
    }
    line = cut + 2;
  }
}

bool SafeLineCollector::Finish() {
  // The piece after the last separator is always a line, even an empty one.
  if (!emptySafe_) TakePending();
  return !failed_;
}

void SafeLineCollector::Take(const char* line, size_t length) {
  if (failed_) return;
  LineCheck check = CheckLine(line, length);
  if (check == LineCheck::kMalformed) return Fail();
  if (check == LineCheck::kDrop) return;
  char* copy = DupBytes(line, length);
  if (copy == nullptr || lines_.AddOwned(copy) == nullptr) {
    WipeAndFree(copy);
    Fail();
  }
}

void SafeLineCollector::TakePending() {
  Take(pending_ != nullptr ? pending_ : "", pendingLength_);
  if (pending_ != nullptr) explicit_bzero(pending_, pendingLength_);
  pendingLength_ = 0;
}

// Grows by copying, not realloc, so no unwiped copy of a line is left behind.
void SafeLineCollector::AppendPending(const char* bytes, size_t length) {
  if (failed_) return;
  if (pendingLength_ + length > pendingCapacity_) {
    size_t capacity =
        pendingCapacity_ * 2 > pendingLength_ + length ? pendingCapacity_ * 2 : pendingLength_ + length + 256;
    auto* grown = static_cast<char*>(std::malloc(capacity));
    if (grown == nullptr) return Fail();
    if (pending_ != nullptr) {
      std::memcpy(grown, pending_, pendingLength_);
      explicit_bzero(pending_, pendingCapacity_);
      std::free(pending_);
    }
    pending_ = grown;
    pendingCapacity_ = capacity;
  }
  std::memcpy(pending_ + pendingLength_, bytes, length);
  pendingLength_ += length;
}

void SafeLineCollector::Fail() {
  failed_ = true;
  lines_.RemoveAll();
}
