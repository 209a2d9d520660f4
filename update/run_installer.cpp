#include "update/run_installer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "update/update_error.h"
#include "update/update_files.h"

extern char** environ;

namespace {

constexpr int kFileNotFound = 2;
constexpr int kAccessDenied = 5;
// In the installer: the file itself (a script's interpreter reads it as
// /dev/fd/3) and, until the exec succeeds, the pipe that reports its failure.
constexpr int kInstallerDescriptor = 3;
constexpr int kReportDescriptor = 4;
constexpr int kFirstFreeDescriptor = 10;

int DesignedErrorNumber(int error) {
  if (error == ENOENT) return kFileNotFound;
  if (error == EACCES || error == EPERM) return kAccessDenied;
  return error;
}

std::string StartErrorText(int error) {
  if (error == kFileNotFound) return "Failed to execute installer: file not found";
  if (error == kAccessDenied) return "Failed to execute installer: access denied";
  return "Failed to execute installer with error code " + std::to_string(error);
}

[[noreturn]] void ReportFailure(int report) {
  const int error = errno;
  [[maybe_unused]] const ssize_t ignored = write(report, &error, sizeof error);
  _exit(127);
}

// The forked child: only async-signal-safe calls, as Quillbox has other
// threads. The installer outlives Quillbox: its own session, a clean signal
// mask, and none of Quillbox's descriptors (such as the open safe's lock).
[[noreturn]] void ExecInstaller(int installer, int report, char* const argv[]) {
  sigset_t noSignals;
  sigemptyset(&noSignals);
  sigprocmask(SIG_SETMASK, &noSignals, nullptr);
  setsid();
  const int movedInstaller = fcntl(installer, F_DUPFD, kFirstFreeDescriptor);
  const int movedReport = fcntl(report, F_DUPFD_CLOEXEC, kFirstFreeDescriptor);
  if (movedInstaller < 0 || movedReport < 0) ReportFailure(report);
  if (dup2(movedInstaller, kInstallerDescriptor) < 0 || dup3(movedReport, kReportDescriptor, O_CLOEXEC) < 0) {
    ReportFailure(movedReport);
  }
  close_range(kReportDescriptor + 1, ~0U, 0);
  fexecve(kInstallerDescriptor, argv, environ);
  ReportFailure(kReportDescriptor);
}

}  // namespace

int StartInstaller(int installerFd, const char* installerPath, const char* signaturePath) {
  if (fchmod(installerFd, 0700) != 0) return DesignedErrorNumber(errno);

  std::string silent = "/silent";
  std::string signatureArgument = std::string("/sigfile=") + signaturePath;
  std::string program = installerPath;
  char* argv[] = {program.data(), silent.data(), signatureArgument.data(), nullptr};

  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return DesignedErrorNumber(errno);
  const pid_t pid = fork();
  if (pid == 0) ExecInstaller(installerFd, report[1], argv);
  const int forkError = errno;
  close(report[1]);
  if (pid < 0) {
    close(report[0]);
    return DesignedErrorNumber(forkError);
  }
  // The pipe closes without a word when the exec succeeds.
  int childError = 0;
  ssize_t got;
  do {
    got = read(report[0], &childError, sizeof childError);
  } while (got < 0 && errno == EINTR);
  close(report[0]);
  if (got != static_cast<ssize_t>(sizeof childError)) return 0;
  waitpid(pid, nullptr, 0);
  return DesignedErrorNumber(childError);
}

bool RunUpdateInstaller(const CheckedInstaller& installer, const std::function<void()>& postQuit) {
  char installerPath[kUpdatePathSize];
  char signaturePath[kUpdatePathSize];
  int error = kFileNotFound;
  if (installer.IsOpen() && MakeLocalPath(installerPath, kNewInstallerName) &&
      MakeLocalPath(signaturePath, kNewSignatureName)) {
    error = StartInstaller(installer.Descriptor(), installerPath, signaturePath);
  }
  if (error != 0) {
    UpdateErrorText() = StartErrorText(error);
    return false;
  }
  postQuit();
  return true;
}
