#pragma once

#include "core/secret_text.h"
#include "safe/strong_format.h"

// The three fields of one entry while the entry dialog edits it, and the
// format of the safe they go into, whose rules the dialog checks them by.
// The texts wipe themselves, as the password is among them.
struct EntryFieldBuffers {
  void Clear();
  bool AllEmpty() const;

  SafeFormat format = SafeFormat::kLegacy;
  SecretText description;
  SecretText userName;
  SecretText password;
};
