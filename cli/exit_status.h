#pragma once

// The process exit statuses of quillbox-cli; scripts rely on them.
enum ExitStatus : int {
  kExitOk = 0,
  kExitFailure = 1,       // anything not listed below, e.g. a failed write
  kExitBadArguments = 2,  // usage, user-name rule, field rules, passwords
  kExitMissingSafe = 3,
  kExitWrongPassword = 4,
  kExitDamagedSafe = 5,
  kExitLockedSafe = 6,
};

// What each status means, for --help and the manual page.
struct ExitStatusRow {
  ExitStatus status;
  const char* meaning;
};

inline constexpr ExitStatusRow kExitStatusRows[] = {
    {kExitOk, "done"},
    {kExitFailure,
     "another failure, such as a save that did not reach the file; the safe is as it was (report: an entry needs "
     "attention or the breach list failed)"},
    {kExitBadArguments, "bad arguments or input"},
    {kExitMissingSafe, "the safe is missing"},
    {kExitWrongPassword, "wrong password"},
    {kExitDamagedSafe, "the safe is damaged"},
    {kExitLockedSafe,
     "another save (the desktop program's or another quillbox-cli's) held the safe's lock past a short wait; the "
     "safe is as it was"},
};
