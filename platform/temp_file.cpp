#include "platform/temp_file.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

bool CreateTempFile(const char* directory, const char* prefix, char* path, size_t capacity) {
  if (directory == nullptr || prefix == nullptr || path == nullptr) return false;
  std::string name = std::string(directory) + prefix + "XXXXXX";
  if (name.size() >= capacity) return false;
  int fd = mkstemp(name.data());  // mkstemp creates the file with mode 0600
  if (fd < 0) return false;
  close(fd);
  std::snprintf(path, capacity, "%s", name.c_str());
  return true;
}
