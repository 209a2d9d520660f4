#pragma once

#include <cstdint>

#include "core/cpstringarray.h"

// The safe text of an entry list, NUL included: the lines joined with
// "\r\n", or the sentence for an empty list. Both formats encrypt it.
// Owned (and wiped) here only when it was joined.
struct SafeText {
  const uint8_t* bytes = nullptr;
  uint64_t length = 0;
  char* joined = nullptr;

  SafeText() = default;
  SafeText(const SafeText&) = delete;
  SafeText& operator=(const SafeText&) = delete;
  ~SafeText();
};

// False when memory runs out or the text is too long for the formats.
bool BuildSafeText(const cpStringArray& entries, SafeText& text);
