#include "desktop/winstall.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "desktop/desktop_entry.h"
#include "core/cpassert.h"
#include "platform/executable_path.h"

namespace {

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

// $HOME, or the password database's home when HOME is unset or relative.
std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (IsAbsolute(home)) return home;
  std::vector<char> scratch(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, scratch.data(), scratch.size(), &found) == 0 &&
      found != nullptr && IsAbsolute(found->pw_dir)) {
    return found->pw_dir;
  }
  return {};
}

// ${XDG_CONFIG_HOME:-$HOME/.config}; a relative XDG_CONFIG_HOME is ignored.
std::string ConfigFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (IsAbsolute(config)) return config;
  std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/.config";
}

// mkdir -p with 0700 for the folders it creates.
bool MakeFolders(const std::string& folder) {
  for (size_t slash = folder.find('/', 1); ; slash = folder.find('/', slash + 1)) {
    std::string part = folder.substr(0, slash);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) return true;
  }
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Replaces path's contents at once, so the session never reads half an entry.
bool WriteFileAtomically(const std::string& path, const std::string& text) {
  std::string temp = path + ".XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  bool ok = WriteAll(fd, text) && fchmod(fd, 0644) == 0;
  ok = (close(fd) == 0) && ok;
  ok = ok && rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) unlink(temp.c_str());
  return ok;
}

}  // namespace

int GetSpecialFolderPath(int folder, char* buffer) {
  if (folder != kCsidlStartup) return 1;
  std::string config = ConfigFolder();
  if (config.empty()) return 1;
  if (config.back() == '/') config.pop_back();
  std::string path = config + "/autostart";
  if (path.size() + 1 > kStartupPathCapacity) return 1;
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return 0;
}

int GetStartupFolderPath(char* buffer) {
  int result = GetSpecialFolderPath(kCsidlStartup, buffer);
  if (result != 0) std::strcpy(buffer, kFallbackStartupFolder);
  return result;
}

void StripTrailingBackslash(char* text) {
  size_t length = std::strlen(text);
  if (length > 0 && text[length - 1] == '/') text[length - 1] = '\0';
}

bool GetStartupShortcutPath(char* buffer) {
  GetStartupFolderPath(buffer);  // the fallback folder serves as well
  StripTrailingBackslash(buffer);
  size_t needed = std::strlen(buffer) + 1 + std::strlen(kStartupShortcutName) + 1;
  if (needed > kStartupPathCapacity) return false;
  std::strcat(buffer, "/");
  std::strcat(buffer, kStartupShortcutName);
  return true;
}

void CreateShortcut(const char* link, const char* program) {
  CP_ASSERT("WInstall", link && program);
  std::string path = link;
  size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash))) return;
  WriteFileAtomically(path, BuildAutostartEntry(program));
}

bool StartupShortcutExists() {
  char path[kStartupPathCapacity];
  if (!GetStartupShortcutPath(path)) return false;
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

void ApplyRunAtStartup(bool on) {
  char link[kStartupPathCapacity];
  if (!GetStartupShortcutPath(link)) return;
  if (!on) {
    unlink(link);
    return;
  }
  char program[kStartupPathCapacity];
  if (!GetExecutablePath(program, sizeof program)) return;
  CreateShortcut(link, program);
}
