#include "interchange/key_file_bytes.h"

#include <string.h>

#include "core/whole_file.h"

namespace {

std::string Reason(const FileReadResult& result) {
  switch (result.status) {
    case FileReadStatus::kNotAFile:
      return "not a regular file";
    case FileReadStatus::kTooLarge:
      return "larger than a key file can be (16 MiB)";
    case FileReadStatus::kOutOfMemory:
      return strerror(ENOMEM);
    default:
      return strerror(result.error);
  }
}

}  // namespace

bool ReadKeyFileBytes(const std::string& path, WipingBytes* bytes, std::string* error) {
  const FileReadResult read = ReadWholeFile(path.c_str(), {.maxBytes = kMaxKeyFileBytes}, bytes);
  if (read && !bytes->empty()) return true;
  WipingBytes().swap(*bytes);
  *error = "key file " + path + ": " + (read ? std::string("the file is empty") : Reason(read));
  return false;
}
