#include "settings/app_file_path.h"

#include <cstdio>
#include <cstring>

#include "platform/executable_path.h"

char* GetAppFilePath(const char* fileName, char* buffer, bool mustExist) {
  if (!GetExecutablePath(buffer, kAppFilePathSize)) std::strcpy(buffer, "/");
  // Only '/' separates folders here: '\\' and ':' are ordinary characters
  // in Linux file names.
  char* slash = std::strrchr(buffer, '/');
  char* filePart = slash ? slash + 1 : buffer;
  size_t folderLength = static_cast<size_t>(filePart - buffer);
  size_t nameLength = std::strlen(fileName);
  if (folderLength + nameLength + 1 >= kAppFilePathSize) {
    int length = std::snprintf(buffer, kAppFilePathSize, "/%s", fileName);
    if (length < 0 || static_cast<size_t>(length) >= kAppFilePathSize) return nullptr;
  } else {
    std::memcpy(filePart, fileName, nameLength + 1);
  }
  if (!mustExist) return buffer;
  FILE* file = std::fopen(buffer, "rb");
  if (file == nullptr) return nullptr;
  std::fclose(file);
  return buffer;
}
