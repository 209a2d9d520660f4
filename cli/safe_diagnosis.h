#pragma once

#include "cli/exit_status.h"
#include "core/cpstringarray.h"

// Why a safe did not open, told apart as far as the file allows: missing,
// damaged (its record does not fit the file, its strong header is out of
// bounds, or it decrypts to lines that are not entries) or a wrong password
// (the checksum or tag does not match; a safe altered inside its encrypted
// part looks the same).
struct SafeOpenResult {
  ExitStatus status;
  const char* message;  // null on success
};

// Loads the user's safe into entries without locking or writing anything.
SafeOpenResult LoadSafeForCli(const char* user_name, const char* password, cpStringArray& entries);

// The reason a safe that exists would not open with this password.
SafeOpenResult DiagnoseSafe(const char* user_name, const char* password);

inline constexpr char kDamagedSafeMessage[] = "User could not be logged on.\r\nThe safe file is damaged";
