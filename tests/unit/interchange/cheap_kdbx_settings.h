#pragma once

#include "interchange/kdbx.h"

// Databases that test programs write: real KDBX 4 under 1 MiB and two
// passes of Argon2id instead of the product's measured second.
inline KdbxWriteSettings CheapKdbxSettings() {
  KdbxWriteSettings settings;
  settings.argon2_memory_bytes = 1 << 20;
  settings.argon2_iterations = 2;
  return settings;
}
