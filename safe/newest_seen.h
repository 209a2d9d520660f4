#pragma once

#include <cstdint>

#include "safe/entry.h"
#include "safe/held_safe_key.h"

// What this machine last saw of each strong safe, so that an older copy put
// in its place (an old file a sync program delivers, a backup restored) is
// noticed at log-in instead of being taken whole. It is kept on this machine
// only, never beside the safe, where a sync program would carry it along:
// in ${XDG_STATE_HOME:-$HOME/.local/state}/tarnwell/quillbox/newest/, under
// a name made from a hash of the safe's path,
//  - NAME.stamp: the largest version stamp seen (safe/version_stamp.h), as
//    decimal text, read at every log-in;
//  - NAME.SAFE: the file that held it, still sealed, opened only when the
//    file on disk turns out older.

// The largest stamp remembered for the safe at safePath; 0 for none.
int64_t NewestSeenStamp(const char* safePath);

// Remembers the file now at safePath, whose largest stamp is stamp, unless
// a larger one is remembered already. False when it could not be kept.
bool RememberNewestSeen(const char* safePath, int64_t stamp);

// Opens the remembered file under key into list; false when there is none
// or the key does not open it (the password changed since).
bool LoadNewestSeen(const char* safePath, const HeldSafeKey& key, EntryList& list);

// For a safe replaced by a new one of the same name.
void ForgetNewestSeen(const char* safePath);
