#include "desktop/detached_process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace {

// A pipe that closes on exec: the grandchild reports exec failure through
// it, and a clean exec shows up as end of file.
struct ExecReport {
  int read_end = -1;
  int write_end = -1;
  bool Open() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    read_end = fds[0];
    write_end = fds[1];
    return true;
  }
  ~ExecReport() {
    if (read_end >= 0) close(read_end);
    if (write_end >= 0) close(write_end);
  }
};

// Runs in the forked children: only async-signal-safe calls from here on.
[[noreturn]] void RunGrandchild(const char* path, char* const argv[], int report) {
  pid_t pid = fork();
  if (pid != 0) _exit(pid < 0 ? 1 : 0);
  int null_fd = open("/dev/null", O_RDWR);
  if (null_fd >= 0) {
    dup2(null_fd, STDIN_FILENO);
    dup2(null_fd, STDOUT_FILENO);
    dup2(null_fd, STDERR_FILENO);
  }
  setsid();
  execve(path, argv, environ);
  int error = errno;
  ssize_t ignored = write(report, &error, sizeof error);
  (void)ignored;
  _exit(127);
}

}  // namespace

std::string FindOnPath(const std::string& program) {
  if (program.empty()) return {};
  if (program.find('/') != std::string::npos) {
    return access(program.c_str(), X_OK) == 0 ? program : std::string();
  }
  const char* path = std::getenv("PATH");
  const std::string folders = path != nullptr ? path : "/usr/bin:/bin";
  size_t start = 0;
  for (;;) {
    const size_t end = std::min(folders.find(':', start), folders.size());
    // An empty entry means the current folder.
    const std::string folder = end > start ? folders.substr(start, end - start) : std::string(".");
    const std::string candidate = folder + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    if (end == folders.size()) return {};
    start = end + 1;
  }
}

bool StartDetachedProcess(const std::string& program, const std::vector<std::string>& arguments) {
  std::string path = FindOnPath(program);
  if (path.empty()) return false;
  // Everything the children need is built before fork.
  std::vector<std::string> strings;
  strings.push_back(program);
  strings.insert(strings.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& s : strings) argv.push_back(s.data());
  argv.push_back(nullptr);

  ExecReport report;
  if (!report.Open()) return false;
  pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    close(report.read_end);
    RunGrandchild(path.c_str(), argv.data(), report.write_end);
  }
  close(report.write_end);
  report.write_end = -1;
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
  int exec_error = 0;
  ssize_t n;
  do {
    n = read(report.read_end, &exec_error, sizeof exec_error);
  } while (n < 0 && errno == EINTR);
  return n == 0;
}
