#pragma once

// The process exit statuses of quillbox-cli; scripts rely on them.
enum ExitStatus : int {
  kExitOk = 0,
  kExitFailure = 1,       // anything not listed below, e.g. a failed write
  kExitBadArguments = 2,  // usage, user-name rule, field rules, passwords
  kExitMissingSafe = 3,
  kExitWrongPassword = 4,
  kExitDamagedSafe = 5,
  kExitLockedSafe = 6,  // open in the desktop application
};
