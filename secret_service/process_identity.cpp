#include "secret_service/process_identity.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <charconv>
#include <memory>

namespace {

constexpr size_t kMaxCommandLineBytes = 4096;
constexpr std::string_view kDeleted = " (deleted)";
// Field 22 of /proc/PID/stat, counted from the state (field 3), which
// follows the last ')' of the command name.
constexpr size_t kStartTimeAfterName = 22 - 3;

std::string ProcPath(pid_t pid, const char* leaf) { return "/proc/" + std::to_string(pid) + "/" + leaf; }

// Up to limit bytes of a /proc file; empty when it cannot be read.
std::string ReadProcFile(const std::string& path, size_t limit) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::string text;
  std::array<char, 1024> buffer;
  while (text.size() < limit) {
    const ssize_t got = read(fd, buffer.data(), buffer.size());
    if (got <= 0) break;
    text.append(buffer.data(), static_cast<size_t>(got));
  }
  close(fd);
  if (text.size() > limit) text.resize(limit);
  return text;
}

uint64_t StartTicks(pid_t pid) {
  const std::string stat = ReadProcFile(ProcPath(pid, "stat"), 4096);
  const size_t name_end = stat.rfind(')');
  if (name_end == std::string::npos) return 0;
  std::string_view rest = std::string_view(stat).substr(name_end + 1);
  for (size_t field = 0; field <= kStartTimeAfterName; ++field) {
    const size_t start = rest.find_first_not_of(' ');
    if (start == std::string_view::npos) return 0;
    rest.remove_prefix(start);
    const size_t end = rest.find(' ');
    if (field == kStartTimeAfterName) {
      uint64_t ticks = 0;
      const std::string_view digits = rest.substr(0, end);
      auto [last, error] = std::from_chars(digits.data(), digits.data() + digits.size(), ticks);
      return error == std::errc() && last == digits.data() + digits.size() ? ticks : 0;
    }
    if (end == std::string_view::npos) return 0;
    rest.remove_prefix(end);
  }
  return 0;
}

std::string CommandLine(pid_t pid) {
  std::string text = ReadProcFile(ProcPath(pid, "cmdline"), kMaxCommandLineBytes);
  while (!text.empty() && text.back() == '\0') text.pop_back();
  for (char& c : text) {
    if (c == '\0') c = ' ';
  }
  return text;
}

struct DirClose {
  void operator()(DIR* dir) const { closedir(dir); }
};

}  // namespace

bool IsInterpreter(std::string_view executable) {
  std::string_view name = executable.substr(executable.rfind('/') + 1);
  // python3.11, perl5.36.0, ruby3.1, lua5.4: the version does not matter.
  while (!name.empty() && (std::isdigit(static_cast<unsigned char>(name.back())) || name.back() == '.')) {
    name.remove_suffix(1);
  }
  static constexpr std::string_view kInterpreters[] = {
      "python", "pypy",   "perl",    "sh",   "bash",   "dash", "zsh",       "ksh",     "mksh",    "csh",
      "tcsh",   "fish",   "busybox", "node", "nodejs", "deno", "bun",       "ruby",    "irb",     "php",
      "lua",    "luajit", "tclsh",   "wish", "gjs",    "java", "osascript", "Rscript", "R",       "pwsh",
      "guile",  "gawk",   "awk",     "mawk", "expect", "qjs",  "julia",     "erl",     "escript", "ld-linux-x86-64.so"};
  for (const std::string_view interpreter : kInterpreters) {
    if (name == interpreter) return true;
  }
  return false;
}

ProcessIdentity ReadProcessIdentity(pid_t pid) {
  ProcessIdentity identity;
  identity.pid = pid;
  if (pid <= 0) return identity;
  const std::string exe = ProcPath(pid, "exe");
  std::array<char, 4096> target;
  const ssize_t length = readlink(exe.c_str(), target.data(), target.size());
  if (length <= 0 || static_cast<size_t>(length) >= target.size()) return identity;
  identity.startTicks = StartTicks(pid);
  std::string path(target.data(), static_cast<size_t>(length));
  struct stat running;
  struct stat onDisk;
  if (path.ends_with(kDeleted)) {
    path.resize(path.size() - kDeleted.size());
    identity.executableGone = true;
  } else if (stat(exe.c_str(), &running) != 0 || stat(path.c_str(), &onDisk) != 0 || running.st_dev != onDisk.st_dev ||
             running.st_ino != onDisk.st_ino) {
    identity.executableGone = true;
  }
  identity.executable = std::move(path);
  identity.commandLine = CommandLine(pid);
  identity.interpreter = IsInterpreter(identity.executable);
  return identity;
}

bool HoldsSocket(pid_t pid) {
  if (pid <= 0) return false;
  const std::string folder = ProcPath(pid, "fd");
  std::unique_ptr<DIR, DirClose> dir(opendir(folder.c_str()));
  if (dir == nullptr) return false;
  std::array<char, 64> target;
  while (const dirent* item = readdir(dir.get())) {
    if (item->d_name[0] == '.') continue;
    const std::string link = folder + "/" + item->d_name;
    const ssize_t length = readlink(link.c_str(), target.data(), target.size() - 1);
    if (length > 0 && std::string_view(target.data(), static_cast<size_t>(length)).starts_with("socket:")) {
      return true;
    }
  }
  return false;
}

ProcessIdentity IdentifyClient(pid_t pid, const ProcessIdentity& firstSeen) {
  ProcessIdentity now = ReadProcessIdentity(pid);
  const bool same = firstSeen.pid == pid && firstSeen.startTicks == now.startTicks &&
                    firstSeen.executable == now.executable && now.startTicks != 0;
  if (now.IsKnown() && same && HoldsSocket(pid)) return now;
  ProcessIdentity unknown;
  unknown.pid = pid;
  return unknown;
}
