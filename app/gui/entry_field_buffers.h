#pragma once

#include "app/quillbox.h"

// The three fields of one entry while the entry dialog edits it; wiped when
// emptied and when released, as the password is among them.
struct EntryFieldBuffers {
  EntryFieldBuffers() = default;
  EntryFieldBuffers(const EntryFieldBuffers&) = delete;
  EntryFieldBuffers& operator=(const EntryFieldBuffers&) = delete;
  ~EntryFieldBuffers();

  void Clear();
  bool AllEmpty() const;

  char description[kEntryFieldCapacity] = {};
  char userName[kEntryFieldCapacity] = {};
  char password[kEntryFieldCapacity] = {};
};
