#pragma once

#include <cstddef>
#include <functional>

#include "safe/entry.h"
#include "safe/held_safe_key.h"
#include "safe/safe_load_result.h"
#include "safe/strong_format.h"

// The safe store: one encrypted ".SAFE" file per user in the safe folder, in
// the legacy or the strong format. Nothing is kept between calls but what
// the caller holds (a HeldSafeKey), and nothing is shown; results say what
// happened.

inline constexpr size_t kSafePathCapacity = 260;

// The user's safe path, "<safe folder><userName>.SAFE" (safe/safe_folder.h),
// into a buffer of kSafePathCapacity bytes. Beside the executable it falls
// back to "/<userName>.SAFE" when the executable's path is unknown or the
// result would be too long. False, with an empty path, for a name holding
// '/', a path too long for a chosen folder, or too long even for "/".
bool BuildSafePath(const char* userName, char* path);

// Whether the user's safe can be opened for reading.
bool SafeExists(const char* userName);

// Removes the user's safe if it can.
void DeleteSafe(const char* userName);

// Encrypts the entries under the held key, in its format (a strong save
// writes version 3, draws a new nonce and derives nothing; a legacy one
// keeps three fields an entry), and replaces the user's safe with them,
// atomically: the file holds the old list or the new one.
bool SaveSafe(const char* userName, const HeldSafeKey& key, const EntryList& entries);

// The same under a bare password, keeping the format of the user's file: a
// strong safe keeps its parameters, and its salt when the password opens it
// (else a new salt: a new password); a legacy safe, or a missing one, is
// written in the legacy format. New
// users get their key from DeriveNewSafeKey instead.
bool SaveSafe(const char* userName, const char* password, const EntryList& entries);

// Reads and checks the user's safe. With verifyOnly the file is only checked
// and entries is left alone; otherwise a verify pass runs first, then a full
// pass replaces entries with the safe's and calls refreshList. Entries read
// from lines (a legacy or version-2 safe) get new ids.
// A wrong password or unreadable file leaves entries untouched; a text that
// breaks its format's layout empties it and fails.
bool LoadSafe(const char* userName, const char* password, EntryList& entries, bool verifyOnly = false,
              const std::function<void()>& refreshList = {});

// LoadSafe that says why a safe did not open: the log-in messages and the
// command line's exit statuses are chosen from it.
SafeLoadResult LoadSafeWithResult(const char* userName, const char* password, EntryList& entries,
                                  bool verifyOnly = false, const std::function<void()>& refreshList = {});
SafeLoadResult LoadSafeWithResult(const char* userName, const HeldSafeKey& key, EntryList& entries,
                                  const std::function<void()>& refreshList = {});

// Opens the user's safe under a key held from an earlier log-in or save, with
// no key derivation: the same checks and results as the password's LoadSafe.
// A strong file whose salt or parameters changed since needs the password.
bool LoadSafe(const char* userName, const HeldSafeKey& key, EntryList& entries,
              const std::function<void()>& refreshList = {});

// The key of the user's safe for the password, by the file's first bytes:
// Argon2id with its salt and parameters for a strong safe (slow by design),
// the password held as it is for a legacy one. Touches nothing but the file
// and key, so it may run on another thread. False for a missing file, a
// damaged strong header or a failed derivation (e.g. out of memory).
bool DeriveKeyForSafe(const char* userName, const char* password, HeldSafeKey& key);

// Why DeriveKeyForSafe gave no key: the file is missing or its strong
// header damaged, else the derivation itself failed.
SafeLoadResult WhyNoKeyForSafe(const char* userName);

// A key for a password being set (new user, password change, upgrade): a
// strong one with a new random salt and these parameters, or a legacy one.
bool DeriveNewSafeKey(const char* password, SafeFormat format, const StrongSafeParams& params, HeldSafeKey& key);

struct SafeInfo {
  SafeFormat format;
  StrongSafeParams params;  // strong safes only
};

// The format of the user's safe and its parameters, from the header alone
// (no password). False when the file cannot be read or its strong header is
// damaged.
bool GetSafeInfo(const char* userName, SafeInfo& info);
