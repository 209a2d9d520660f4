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

}  // namespace

std::string UserConfigFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (IsAbsolute(config)) return config;
  std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/.config";
}

std::string UserDataFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (IsAbsolute(data)) return data;
  std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/.local/share";
}

std::string UserStateFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (IsAbsolute(state)) return state;
  std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/.local/state";
}

bool MakeFolders(const std::string& folder) {
  struct stat info;
  if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  if (errno != ENOENT) return false;
  std::string parent = ParentOf(folder);
  if (parent != folder && !MakeFolders(parent)) return false;
  return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}
