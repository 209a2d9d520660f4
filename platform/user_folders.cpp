#include "platform/user_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (IsAbsolute(home)) return home;
  std::vector<char> scratch(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, scratch.data(), scratch.size(), &found) == 0 && found != nullptr &&
      IsAbsolute(found->pw_dir)) {
    return found->pw_dir;
  }
  return {};
}

std::string ParentOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// $variable when it is absolute, else the folder under the home folder.
std::string XdgFolder(const char* variable, const char* underHome) {
  const char* folder = std::getenv(variable);
  if (IsAbsolute(folder)) return folder;
  std::string home = HomeFolder();
  return home.empty() ? std::string() : home + underHome;
}

}  // namespace

std::string UserConfigFolder() { return XdgFolder("XDG_CONFIG_HOME", "/.config"); }

std::string UserDataFolder() { return XdgFolder("XDG_DATA_HOME", "/.local/share"); }

std::string UserStateFolder() { return XdgFolder("XDG_STATE_HOME", "/.local/state"); }

std::string UserRuntimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  return IsAbsolute(runtime) ? runtime : UserStateFolder();
}

bool MakeFolders(const std::string& folder) {
  struct stat info;
  if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  if (errno != ENOENT) return false;
  std::string parent = ParentOf(folder);
  if (parent != folder && !MakeFolders(parent)) return false;
  return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}
