#include "platform/termination_signals.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace {

constexpr int kCaught[] = {SIGTERM, SIGHUP, SIGINT};

int writeEnd = -1;
int readEnd = -1;

void NoteSignal(int number) {
  // Only async-signal-safe calls here, and errno as it was.
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(number);
  // A full pipe already holds a signal for the loop to see.
  (void)!write(writeEnd, &byte, 1);
  errno = saved;
}

}  // namespace

int CatchTerminationSignals() {
  if (readEnd >= 0) return readEnd;
  int ends[2];
  if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
  writeEnd = ends[1];
  readEnd = ends[0];
  struct sigaction action = {};
  action.sa_handler = NoteSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  for (int number : kCaught) {
    // One ignored from the start (nohup, a background job) stays ignored.
    struct sigaction before = {};
    if (sigaction(number, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(number, &action, nullptr);
  }
  return readEnd;
}

int TakeTerminationSignal(int fd) {
  int first = 0;
  unsigned char bytes[16];
  ssize_t got;
  while ((got = read(fd, bytes, sizeof bytes)) > 0 || (got < 0 && errno == EINTR)) {
    if (got > 0 && first == 0) first = bytes[0];
  }
  return first;
}
