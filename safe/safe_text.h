#pragma once

#include <cstdint>

#include "core/wiping_allocator.h"
#include "safe/entry.h"
#include "safe/strong_format.h"

// The safe text of an entry list, which the file's format encrypts: for a
// strong safe its records (safe/entry_records.h); for a legacy one the
// lines joined with "\r\n" and a NUL, or the sentence for an empty list.
struct SafeText {
  const uint8_t* bytes = nullptr;
  uint64_t length = 0;
  WipingBytes built;
};

// False when the list does not fit the format: a strong safe's limits, or
// a text too long for either format's length field.
bool BuildSafeText(const EntryList& list, SafeFormat format, SafeText& text);
