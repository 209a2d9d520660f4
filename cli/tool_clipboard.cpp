#include "cli/tool_clipboard.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "core/posixfile.h"

extern char** environ;

namespace {

bool IsSet(const char* name) {
  const char* value = getenv(name);
  return value != nullptr && *value != '\0';
}

bool OnPath(const char* program) {
  const char* path = getenv("PATH");
  if (path == nullptr) return false;
  std::string folders = path;
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string candidate = folders.substr(start, end - start) + "/" + program;
    if (end > start && access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

// Starts argv with stdin from a pipe (returned in *input) and stdout and
// stderr on /dev/null; -1 when it cannot be started.
pid_t Spawn(const std::vector<std::string>& args, int* input) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[0], STDIN_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int result = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[0]);
  if (result != 0) {
    close(pipeFds[1]);
    return -1;
  }
  *input = pipeFds[1];
  return pid;
}

// wl-copy offers the hint from version 2.2 on, as --sensitive.
bool WlCopyKnowsSensitive() {
  FILE* help = popen("wl-copy --help 2>&1", "r");
  if (help == nullptr) return false;
  char line[256];
  bool found = false;
  while (fgets(line, sizeof line, help) != nullptr) found = found || strstr(line, "--sensitive") != nullptr;
  pclose(help);
  return found;
}

}  // namespace

bool ToolClipboard::Choose(bool waitForClearing) {
  tool_.clear();
  if (IsSet("WAYLAND_DISPLAY") && OnPath("wl-copy")) {
    tool_ = {"wl-copy"};
    if (waitForClearing) tool_.push_back("--foreground");
    carriesHint_ = WlCopyKnowsSensitive();
    if (carriesHint_) tool_.push_back("--sensitive");
  } else if (IsSet("DISPLAY") && waitForClearing && x11_.Connect()) {
    ownX11_ = true;
    carriesHint_ = true;
  } else if (IsSet("DISPLAY") && OnPath("xclip")) {
    // xclip serves a single target, so the hint cannot go along.
    tool_ = {"xclip", "-selection", "clipboard", "-i"};
    carriesHint_ = false;
  }
  return ownX11_ || !tool_.empty();
}

ToolClipboard::~ToolClipboard() {
  if (child_ > 0) waitpid(child_, nullptr, WNOHANG);
}

bool ToolClipboard::PutSecret(const char* text) {
  if (ownX11_) return x11_.Own(text);
  if (tool_.empty()) return false;
  int input = -1;
  const pid_t pid = Spawn(tool_, &input);
  if (pid < 0) return false;
  // The tool may end early (no display); its pipe must not kill us.
  signal(SIGPIPE, SIG_IGN);
  const bool written = WriteFully(input, text, strlen(text));
  close(input);
  if (!written) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return false;
  }
  child_ = pid;
  return true;
}

bool ToolClipboard::Holds(const char*) {
  if (ownX11_) return x11_.Serve();
  if (child_ <= 0) return false;
  if (waitpid(child_, nullptr, WNOHANG) == 0) return true;
  child_ = -1;
  return false;
}

void ToolClipboard::Clear() {
  if (ownX11_) {
    x11_.Release();
    return;
  }
  if (child_ <= 0) return;
  kill(child_, SIGTERM);
  waitpid(child_, nullptr, 0);
  child_ = -1;
}
