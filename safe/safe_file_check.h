#pragma once

#include "safe/held_safe_key.h"

// Whether the file at path is a whole safe that opens under the held key
// (a legacy record whose CRC matches, or a strong file whose tag verifies):
// the verify pass of a load, also used by a save to check what it wrote
// before it replaces the user's safe with it.
bool CheckSafeFile(const char* path, const HeldSafeKey& key);
