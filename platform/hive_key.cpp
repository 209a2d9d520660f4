#include "platform/hive_key.h"

#include "platform/hive_file.h"
#include "platform/hive_text.h"

long WHiveKey::Open(WHive hive, const std::string& subKey) {
  std::string path = HiveFilePath(hive);
  if (path.empty()) return kHivePathNotFound;
  std::string keyPath = HiveKeyPath(hive, subKey);

  long status = PrepareHiveForWriting(path);
  if (status != kHiveSuccess) return status;
  std::string text;
  status = ReadHiveText(path, &text);
  if (status != kHiveSuccess) return status;
  if (!WHiveDocument::TextHasKey(text, keyPath)) {
    status = UpdateHiveFile(path, [&](WHiveDocument& latest) { return latest.AddKey(keyPath); });
    if (status != kHiveSuccess) return status;
  }
  filePath_ = path;
  keyPath_ = keyPath;
  return kHiveSuccess;
}

long WHiveKey::Close() {
  filePath_.clear();
  keyPath_.clear();
  return kHiveSuccess;
}

long WHiveKey::Query(const std::string& name, WHiveValue* value) const {
  if (!IsOpen()) return kHiveAccessDenied;
  WHiveDocument document;
  long status = LoadHiveFile(filePath_, &document);
  if (status != kHiveSuccess) return status;
  return document.FindValue(keyPath_, name, value) ? kHiveSuccess : kHiveFileNotFound;
}

long WHiveKey::Set(const std::string& name, const WHiveValue& value) {
  std::string line;
  if (!IsOpen()) return kHiveAccessDenied;
  if (!FormatHiveValueLine(name, value, &line)) return kHiveInvalidParameter;
  return UpdateHiveFile(filePath_, [&](WHiveDocument& document) {
    WHiveValue current;
    if (document.FindValue(keyPath_, name, &current) && current == value) return false;
    return document.SetValue(keyPath_, name, value);
  });
}
