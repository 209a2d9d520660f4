#include "update/update_files.h"

#include <cstring>

#include "platform/private_temp_dir.h"

std::string BuildServerPath(int product, bool qa, const char* extension) {
  std::string path = "downloads/update" + std::to_string(product);
  if (qa) path += "qa";
  return path + extension;
}

bool MakeLocalPath(char* buffer, const char* name) {
  if (!GetPrivateTempDir(buffer, kUpdatePathSize)) return false;
  const size_t directoryLength = std::strlen(buffer);
  const size_t nameLength = std::strlen(name);
  if (directoryLength + nameLength >= kUpdatePathSize) return false;
  std::memcpy(buffer + directoryLength, name, nameLength + 1);
  return true;
}
