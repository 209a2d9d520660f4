#pragma once

#include <string>
#include <sys/types.h>

// The executable a process runs, as /proc shows it; empty when it cannot
// be read (the process ended, or belongs to someone else).
std::string ProcessExecutable(pid_t pid);
