#include "platform/temp_file.h"

#include <unistd.h>

#include <cstdio>
#include <map>
#include <mutex>
#include <string>

#include "core/held_temp_file.h"

namespace {

// The open descriptors that hold the files made and not yet removed.
std::mutex held_mutex;
std::map<std::string, int>& HeldFiles() {
  static std::map<std::string, int> files;
  return files;
}

}  // namespace

bool CreateTempFile(const char* directory, const char* prefix, char* path, size_t capacity) {
  if (directory == nullptr || prefix == nullptr || path == nullptr) return false;
  std::string folder(directory);
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  // The name the file will get, checked before it is made.
  if ((folder + "/" + prefix + "XXXXXX").size() >= capacity) return false;
  std::string name;
  int fd = CreateHeldTempFile(folder, prefix, name);
  if (fd < 0) return false;
  {
    std::lock_guard<std::mutex> lock(held_mutex);
    HeldFiles()[name] = fd;
  }
  std::snprintf(path, capacity, "%s", name.c_str());
  return true;
}

void RemoveTempFile(const char* path) {
  unlink(path);
  std::lock_guard<std::mutex> lock(held_mutex);
  auto held = HeldFiles().find(path);
  if (held == HeldFiles().end()) return;
  close(held->second);
  HeldFiles().erase(held);
}
