#pragma once

#include <cstdint>

#include "safe/entry.h"

// Version stamps order the versions of an entry and its deletion across
// copies of a safe: an entry's modified time and a tombstone's deletedAt.
// They form a hybrid logical clock in seconds: a change made here is stamped
// with the clock, or one past the largest stamp this machine has seen for
// the safe when that is later. A copy whose clock ran ahead pulls every
// later stamp past its own, so it cannot outrank the changes made after it
// was seen; the stamps stay those seconds, so older readers and the times
// shown keep their meaning. docs/safe-format.md says how they compare.

// The largest stamp in the list; 0 for an empty one.
int64_t LargestStamp(const EntryList& list);

// The stamp of a change made now, after largestSeen.
int64_t NextStamp(int64_t largestSeen, int64_t now);
