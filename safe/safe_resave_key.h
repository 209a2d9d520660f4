#pragma once

#include "safe/held_safe_key.h"

// The key a save under a bare password uses, so that the safe keeps its
// format: for a strong file, Argon2id with its parameters, and its salt when
// the password opens it, else a new one; for a legacy file, or none, the
// legacy key. False for a damaged strong
// header or a failed derivation.
bool DeriveKeyForResave(const char* userName, const char* password, HeldSafeKey& key);
