#include "cli_process.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

void AppendAvailable(int fd, std::string* out, bool* open) {
  char buffer[4096];
  ssize_t n = read(fd, buffer, sizeof buffer);
  if (n > 0) {
    out->append(buffer, static_cast<size_t>(n));
  } else {
    *open = false;
  }
}

}  // namespace

CliResult RunCliProcess(const std::vector<std::string>& args, const std::string& input, const std::string& temp_dir,
                        const char* program) {
  int in[2], out[2], err[2];
  if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) posix_spawn_file_actions_addclose(&actions, fd);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // The test ignores SIGPIPE (the binary may exit before reading its input);
  // the binary gets the default back.
  signal(SIGPIPE, SIG_IGN);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF);

  std::vector<std::string> argv_text = {program};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argv_text) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<std::string> env_text = {"TMPDIR=" + temp_dir};
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::string(*e).rfind("TMPDIR=", 0) != 0) env_text.emplace_back(*e);
  }
  std::vector<char*> envp;
  for (std::string& e : env_text) envp.push_back(e.data());
  envp.push_back(nullptr);

  pid_t pid = -1;
  int spawned = posix_spawn(&pid, program, &actions, &attributes, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(in[0]);
  close(out[1]);
  close(err[1]);
  CliResult result;
  if (spawned == 0) {
    // The binary reads its input before it writes much, so writing it all
    // first cannot block for good. Short when the binary exits before
    // reading everything, which is fine.
    if (write(in[1], input.data(), input.size()) < 0) {}
  }
  close(in[1]);
  bool out_open = true, err_open = true;
  while (spawned == 0 && (out_open || err_open)) {
    pollfd fds[2] = {{out_open ? out[0] : -1, POLLIN, 0}, {err_open ? err[0] : -1, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) break;
    if (fds[0].revents != 0) AppendAvailable(out[0], &result.out, &out_open);
    if (fds[1].revents != 0) AppendAvailable(err[0], &result.err, &err_open);
  }
  close(out[0]);
  close(err[0]);
  int status = 0;
  if (spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.status = WEXITSTATUS(status);
  return result;
}

std::string DesignedLines(const std::string& shown) {
  size_t end = 0;
  for (int line = 0; line < 3; ++line) {
    end = shown.find('\n', end);
    if (end == std::string::npos) return shown;
    ++end;
  }
  return shown.substr(0, end);
}
