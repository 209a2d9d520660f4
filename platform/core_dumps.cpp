#include "platform/core_dumps.h"

#include <sys/prctl.h>
#include <sys/resource.h>

bool DisableCoreDumps() {
  struct rlimit none = {0, 0};
  bool limited = setrlimit(RLIMIT_CORE, &none) == 0;
  // Not dumpable also keeps other processes of the same user from ptrace.
  bool undumpable = prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0;
  return limited && undumpable;
}
