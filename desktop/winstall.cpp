#include "desktop/winstall.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "desktop/desktop_entry.h"
#include "core/cpassert.h"
#include "core/posixfile.h"
#include "platform/executable_path.h"
#include "platform/user_folders.h"

namespace {

// Replaces path's contents at once, so the session never reads half an entry.
bool WriteFileAtomically(const std::string& path, const std::string& text) {
  std::string temp = path + ".XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  bool ok = WriteFully(fd, text.data(), text.size()) && fchmod(fd, 0644) == 0;
  ok = (close(fd) == 0) && ok;
  ok = ok && rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) unlink(temp.c_str());
  return ok;
}

}  // namespace

int GetSpecialFolderPath(int folder, char* buffer) {
  if (folder != kCsidlStartup) return 1;
  std::string config = UserConfigFolder();
  if (config.empty()) return 1;
  if (config.back() == '/') config.pop_back();
  std::string path = config + "/autostart";
  if (path.size() + 1 > kStartupPathCapacity) return 1;
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return 0;
}

int GetStartupFolderPath(char* buffer) {
  int result = GetSpecialFolderPath(kCsidlStartup, buffer);
  if (result != 0) buffer[0] = '\0';
  return result;
}

void StripTrailingBackslash(char* text) {
  size_t length = std::strlen(text);
  if (length > 0 && text[length - 1] == '/') text[length - 1] = '\0';
}

bool GetStartupShortcutPath(char* buffer) {
  if (GetStartupFolderPath(buffer) != 0) return false;
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
