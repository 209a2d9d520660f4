#include "platform/termination_signals.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The child's exit status, or 1000 + the signal that ended it.
int RunChild(void (*body)()) {
  pid_t child = fork();
  if (child == 0) {
    body();
    _exit(0);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return -1;
  return WIFSIGNALED(status) ? 1000 + WTERMSIG(status) : WEXITSTATUS(status);
}

int theSignal = 0;

// Caught once and told through the pipe; the second one of the same kind
// takes its default action and ends the child.
void CatchTwice() {
  signal(theSignal, SIG_DFL);
  int fd = CatchTerminationSignals();
  if (fd < 0 || CatchTerminationSignals() != fd || TakeTerminationSignal(fd) != 0) _exit(10);
  raise(theSignal);
  if (TakeTerminationSignal(fd) != theSignal || TakeTerminationSignal(fd) != 0) _exit(11);
  raise(theSignal);
  _exit(12);
}

void IgnoredStaysIgnored() {
  signal(theSignal, SIG_IGN);
  int fd = CatchTerminationSignals();
  raise(theSignal);
  if (fd < 0 || TakeTerminationSignal(fd) != 0) _exit(13);
}

TEST(TerminationSignals, EachIsToldThroughThePipeOnceThenEndsTheProcess) {
  for (int number : {SIGTERM, SIGHUP, SIGINT}) {
    theSignal = number;
    EXPECT_EQ(RunChild(CatchTwice), 1000 + number) << "signal " << number;
    EXPECT_EQ(RunChild(IgnoredStaysIgnored), 0) << "signal " << number;
  }
}

}  // namespace
