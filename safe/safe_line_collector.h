#pragma once

#include <cstddef>
#include <cstdint>

#include "core/cpstringarray.h"

// Turns a safe's text into entry lines while it is decrypted, chunk by
// chunk, so the whole plaintext is never held at once. The text ends at its
// first NUL (or after its L bytes); lines end at "\r\n" and are checked as
// they complete: a field over 260 characters drops its line, anything but
// three fields spoils the whole text. Partial lines are wiped when dropped.
class SafeLineCollector {
 public:
  SafeLineCollector();
  ~SafeLineCollector();
  SafeLineCollector(const SafeLineCollector&) = delete;
  SafeLineCollector& operator=(const SafeLineCollector&) = delete;

  // The text's stored length L, before the first Feed.
  void Start(uint32_t textLength);
  // The next plaintext bytes, pad bytes left out.
  void Feed(const char* bytes, size_t length);
  // Ends the text. False when a line was malformed or memory ran out.
  bool Finish();
  // The accepted lines; the array wipes its items when they are released.
  cpStringArray& Lines() { return lines_; }

 private:
  void Take(const char* line, size_t length);
  void TakePending();
  void AppendPending(const char* bytes, size_t length);
  void Fail();

  cpStringArray lines_;
  char* pending_ = nullptr;
  size_t pendingLength_ = 0;
  size_t pendingCapacity_ = 0;
  uint32_t textLength_ = 0;
  bool started_ = false;  // some text has been fed
  bool ended_ = false;    // the NUL was seen, or the text is the empty-safe sentence
  bool emptySafe_ = false;
  bool failed_ = false;
};
