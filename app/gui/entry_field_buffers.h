#pragma once

#include <string>

#include "safe/entry.h"
#include "safe/strong_format.h"

// The entry the entry dialog edits, and the format of the safe it goes
// into, whose rules the dialog checks it by. The entry's secrets wipe
// themselves.
struct EntryFieldBuffers {
  void Clear();
  // Nothing typed in any field: the designed "All fields cannot be blank."
  bool AllEmpty() const;

  SafeFormat format = SafeFormat::kLegacy;
  Entry entry;
  // What the dialog says of fields that refer to other entries, or empty.
  std::string referenceNote;
};
