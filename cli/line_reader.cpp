#include "cli/line_reader.h"

#include <errno.h>
#include <signal.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include <iterator>

#include "core/posixfile.h"

namespace {

// The terminal being read with echo off; the signal handler restores it.
int g_terminal_fd = -1;
termios g_saved_settings;
termios g_hidden_settings;

constexpr int kHandledSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};
struct sigaction g_previous_actions[sizeof(kHandledSignals) / sizeof(int)];

void InstallHandler(int signal_number);

void RestoreTerminalAndRedeliver(int signal_number) {
  int saved_errno = errno;
  tcsetattr(g_terminal_fd, TCSANOW, &g_saved_settings);
  struct sigaction default_action = {};
  default_action.sa_handler = SIG_DFL;
  sigaction(signal_number, &default_action, nullptr);
  sigset_t just_this;
  sigemptyset(&just_this);
  sigaddset(&just_this, signal_number);
  sigprocmask(SIG_UNBLOCK, &just_this, nullptr);
  raise(signal_number);
  // Only a stop signal comes back here, once the process is continued.
  InstallHandler(signal_number);
  tcsetattr(g_terminal_fd, TCSANOW, &g_hidden_settings);
  errno = saved_errno;
}

void InstallHandler(int signal_number) {
  struct sigaction action = {};
  action.sa_handler = RestoreTerminalAndRedeliver;
  sigemptyset(&action.sa_mask);
  sigaction(signal_number, &action, nullptr);
}

}  // namespace

LineResult ReadSecretLine(int fd, TypedSecret* line) {
  line->Clear();
  bool too_long = false;
  bool read_any = false;
  bool failed = false;
  char c = '\0';
  for (;;) {
    ssize_t n = read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      failed = true;
      break;
    }
    if (n == 0) break;
    read_any = true;
    if (c == '\n') break;
    if (!too_long && !line->Append(c)) too_long = true;
  }
  explicit_bzero(&c, sizeof(c));
  if (failed) {
    line->Clear();
    return LineResult::kError;
  }
  if (!read_any) return LineResult::kEndOfInput;
  if (too_long) {
    line->Clear();
    return LineResult::kTooLong;
  }
  if (line->size() > 0 && line->c_str()[line->size() - 1] == '\r') {
    line->TrimLast();
  }
  return LineResult::kOk;
}

LineResult ReadSecretRest(int fd, TypedSecret* text) {
  text->Clear();
  char chunk[4096];
  // What did not fit: only the final line break may.
  char overflow[2];
  size_t overflow_size = 0;
  LineResult result = LineResult::kOk;
  while (result == LineResult::kOk) {
    ssize_t n = read(fd, chunk, sizeof(chunk));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) result = LineResult::kError;
    if (n <= 0) break;
    for (ssize_t i = 0; i < n && result == LineResult::kOk; ++i) {
      if (overflow_size == 0 && text->Append(chunk[i])) continue;
      if (overflow_size == sizeof(overflow))
        result = LineResult::kTooLong;
      else
        overflow[overflow_size++] = chunk[i];
    }
  }
  // The line break to drop: none, its "\n" in overflow, or all of it there.
  std::string_view tail(overflow, overflow_size);
  bool break_in_text = tail.empty() && text->view().ends_with('\n');
  bool cr_in_text = tail == "\n" || break_in_text;
  if (result == LineResult::kOk && !tail.empty() && tail != "\n" && tail != "\r\n") result = LineResult::kTooLong;
  explicit_bzero(chunk, sizeof(chunk));
  explicit_bzero(overflow, sizeof(overflow));
  if (result != LineResult::kOk) {
    text->Clear();
    return result;
  }
  if (break_in_text) text->TrimLast();
  if (cr_in_text && text->view().ends_with('\r')) text->TrimLast();
  return LineResult::kOk;
}

LineResult ReadHiddenLine(int terminal_fd, const char* prompt, TypedSecret* line) {
  if (tcgetattr(terminal_fd, &g_saved_settings) != 0) return LineResult::kError;
  g_hidden_settings = g_saved_settings;
  g_hidden_settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL);
  g_terminal_fd = terminal_fd;

  // Handlers go in before echo goes off, so no window leaves it off.
  sigset_t handled, previous_mask;
  sigemptyset(&handled);
  for (int s : kHandledSignals) sigaddset(&handled, s);
  sigprocmask(SIG_BLOCK, &handled, &previous_mask);
  for (size_t i = 0; i < std::size(kHandledSignals); ++i) {
    sigaction(kHandledSignals[i], nullptr, &g_previous_actions[i]);
    InstallHandler(kHandledSignals[i]);
  }
  // Echo goes off (dropping type-ahead) before the prompt shows, so nothing
  // typed in answer to the prompt is lost.
  bool hidden = tcsetattr(terminal_fd, TCSAFLUSH, &g_hidden_settings) == 0;
  sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
  WriteFully(terminal_fd, prompt, strlen(prompt));

  LineResult result = hidden ? ReadSecretLine(terminal_fd, line) : LineResult::kError;

  sigprocmask(SIG_BLOCK, &handled, nullptr);
  tcsetattr(terminal_fd, TCSANOW, &g_saved_settings);
  for (size_t i = 0; i < std::size(kHandledSignals); ++i) {
    sigaction(kHandledSignals[i], &g_previous_actions[i], nullptr);
  }
  g_terminal_fd = -1;
  sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
  WriteFully(terminal_fd, "\n", 1);
  return result;
}
