#include "update/run_installer.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "update/update_error.h"
#include "update/update_files.h"

extern char** environ;

namespace {

constexpr int kFileNotFound = 2;
constexpr int kAccessDenied = 5;

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

}  // namespace

int StartInstaller(const char* installerPath, const char* signaturePath) {
  if (chmod(installerPath, 0700) != 0) return DesignedErrorNumber(errno);

  std::string silent = "/silent";
  std::string signatureArgument = std::string("/sigfile=") + signaturePath;
  std::string program = installerPath;
  char* argv[] = {program.data(), silent.data(), signatureArgument.data(), nullptr};

  // The installer outlives Quillbox: its own session, a clean signal mask, and
  // none of Quillbox's descriptors (such as the open safe's lock).
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_t actions;
  posix_spawnattr_init(&attributes);
  posix_spawn_file_actions_init(&actions);
  sigset_t noSignals;
  sigemptyset(&noSignals);
  posix_spawnattr_setsigmask(&attributes, &noSignals);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);

  pid_t pid = 0;
  const int result = posix_spawn(&pid, installerPath, &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  return result == 0 ? 0 : DesignedErrorNumber(result);
}

bool RunUpdateInstaller(const std::function<void()>& postQuit) {
  char installerPath[kUpdatePathSize];
  char signaturePath[kUpdatePathSize];
  int error = kFileNotFound;
  if (MakeLocalPath(installerPath, kNewInstallerName) &&
      MakeLocalPath(signaturePath, kNewSignatureName)) {
    error = StartInstaller(installerPath, signaturePath);
  }
  if (error != 0) {
    UpdateErrorText() = StartErrorText(error);
    return false;
  }
  postQuit();
  return true;
}
