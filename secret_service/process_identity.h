#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>

// A process as the system knows it, read from /proc: what the user is shown
// before a program may read or change an entry, and what a grant names.
struct ProcessIdentity {
  pid_t pid = 0;
  uint64_t startTicks = 0;      // /proc/PID/stat's start time: a reused pid has another
  std::string executable;       // empty: not known
  std::string commandLine;      // the arguments, joined by spaces
  bool executableGone = false;  // deleted or replaced on disk since it started
  bool interpreter = false;     // runs whatever script it is given

  bool IsKnown() const { return !executable.empty(); }
  // "Allow Always" names an executable: one that runs any script, or whose
  // file is no longer the one running, would grant more than was asked.
  bool CanBeRemembered() const { return IsKnown() && !executableGone && !interpreter; }
};

// Empty executable when the process has ended or is not ours to read.
ProcessIdentity ReadProcessIdentity(pid_t pid);
// python3.11, perl, sh, node, ruby and their kind, by the executable's name.
bool IsInterpreter(std::string_view executable);
// A bus client holds its connection's socket; a process that holds none
// (its connection was forked away before it ran another program) is not
// the client the bus names.
bool HoldsSocket(pid_t pid);

// Who a bus client is now. The bus tells the pid that connected (dbus 1.14
// gives no pidfd), so the process behind it is taken as the client only
// while it is the same process first seen for that connection (same start
// time and executable: not a reused pid, not another program exec'd since)
// and it still holds a socket. Otherwise only the pid is known.
ProcessIdentity IdentifyClient(pid_t pid, const ProcessIdentity& firstSeen);
