#pragma once

#include <cstdint>

#include "safe/entry.h"
#include "safe/held_safe_key.h"
#include "safe/safe_load_result.h"

// What a user's safe file held when it was last read or written here: enough
// to tell whether the file on disk still is those bytes. The MD5 digest is a
// change detector, not a defence: whoever can write the file can change the
// safe anyway.
struct SafeFingerprint {
  bool known = false;
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  int64_t changedNs = 0;  // ctime: any write or rename moves it
  int64_t modifiedNs = 0;
  uint8_t digest[16] = {};
};

enum class SafeDiskState {
  kSame,     // the bytes last read or written are still there
  kChanged,  // someone else wrote the file
  kMissing,  // no file, for now (sync programs replace files in steps)
};

// The fingerprint of the user's safe as it is now; false when it cannot be read.
bool TakeSafeFingerprint(const char* userName, SafeFingerprint& fingerprint);

// Compares the disk with known. Only when the file's identity or times moved
// are its bytes read; equal bytes then refresh known's identity, so a touch
// or a copy of the same bytes is not a change.
SafeDiskState CompareSafeWithDisk(const char* userName, SafeFingerprint& known);

enum class SafeSnapshotResult {
  kLoaded,  // entries and fingerprint describe the same bytes
  kMissing,
  kUnsettled,    // the file changed while it was read: read again shortly
  kDoesNotOpen,  // a steady file that this key does not open (e.g. a new password), or damaged
};

// LoadSafe under a held key (no key derivation) that also says which bytes it loaded: the file is held open and
// fingerprinted, loaded, and accepted only when the name still points at that
// same unchanged file. entries changes only on kLoaded. why, when given,
// says why a steady file did not open.
SafeSnapshotResult LoadSafeSnapshot(const char* userName, const HeldSafeKey& key, EntryList& entries,
                                    SafeFingerprint& fingerprint, SafeLoadResult* why = nullptr);

// LoadSafeSnapshot, tried again for about a second while the file is missing
// or unsettled, as while a sync program replaces it.
SafeSnapshotResult LoadSafeSnapshotSettled(const char* userName, const HeldSafeKey& key, EntryList& entries,
                                           SafeFingerprint& fingerprint, SafeLoadResult* why = nullptr);
