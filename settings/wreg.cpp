#include "settings/wreg.h"

#include <cstdio>
#include <cstring>

#include "settings/setting_value.h"

namespace {

// As with the registry, no name means the key's default value.
std::string ValueName(const char* name) { return name ? name : ""; }

}  // namespace

WReg::WReg() { SettingsKeyName[0] = '\0'; }

WReg::~WReg() = default;

void WReg::BuildKeyName() {
  char path[kKeyNameSize];
  int length =
      std::snprintf(path, sizeof path, "Software\\%s\\%s\\%s.x", GetCompanyKey(), GetProductKey(), GetVersionKey());
  size_t used = std::strlen(SettingsKeyName);
  // A path cut short would name some other key; append none instead.
  if (length < 0 || used + static_cast<size_t>(length) >= kKeyNameSize) return;
  std::memcpy(SettingsKeyName + used, path, static_cast<size_t>(length) + 1);
}

long WReg::OpenKey(WHive hive) {
  if (keyOpen_) return kHiveSuccess;
  long status = key_.Open(hive, SettingsKeyName);
  if (status == kHiveSuccess) keyOpen_ = true;
  return status;
}

long WReg::CloseKey() {
  if (!keyOpen_) return kHiveSuccess;
  keyOpen_ = false;
  return key_.Close();
}

void WReg::WriteString(WHive hive, const char* name, const char* text) {
  OpenKey(hive);
  if (keyOpen_) key_.Set(ValueName(name), EncodeSettingString(text));
  CloseKey();
}

void WReg::WriteInt(WHive hive, const char* name, int value) {
  OpenKey(hive);
  if (keyOpen_) key_.Set(ValueName(name), EncodeSettingInt(value));
  CloseKey();
}

bool WReg::ReadString(WHive hive, const char* name, char* buffer, size_t capacity) {
  if (capacity == 0) return false;
  bool read = false;
  OpenKey(hive);
  WHiveValue value;
  if (keyOpen_ && key_.Query(ValueName(name), &value) == kHiveSuccess)
    read = DecodeSettingString(value, buffer, capacity);
  CloseKey();
  return read;
}

bool WReg::ReadInt(WHive hive, const char* name, int* value) {
  bool read = false;
  OpenKey(hive);
  WHiveValue stored;
  if (keyOpen_ && key_.Query(ValueName(name), &stored) == kHiveSuccess) read = DecodeSettingInt(stored, value);
  CloseKey();
  return read;
}

void WReg::GetSettingString(const char* name, char* buffer, size_t capacity, const char* defaultText) {
  if (ReadString(WHive::LocalMachine, name, buffer, capacity)) return;
  if (ReadString(WHive::CurrentUser, name, buffer, capacity)) return;
  if (defaultText == nullptr || std::strlen(defaultText) >= capacity) {
    buffer[0] = '\0';
  } else {
    std::memcpy(buffer, defaultText, std::strlen(defaultText) + 1);
  }
}

void WReg::GetSettingInt(const char* name, int* value, int defaultValue) {
  if (ReadInt(WHive::LocalMachine, name, value)) return;
  if (ReadInt(WHive::CurrentUser, name, value)) return;
  *value = defaultValue;
}

bool WReg::GetSettingBool(const char* name, bool defaultValue) {
  int value = 0;
  GetSettingInt(name, &value, defaultValue ? 1 : 0);
  return value != 0;
}

void WReg::ReadSetting(const SettingSpec& spec, char* buffer) {
  GetSettingString(spec.name, buffer, spec.capacity - 1, "");
}

void WReg::ReadSetting(const SettingSpec& spec, int* value) { GetSettingInt(spec.name, value, spec.defaultNumber); }

bool WReg::ReadFlagSetting(const SettingSpec& spec) { return GetSettingBool(spec.name, spec.defaultNumber != 0); }

void WReg::SetSettingString(const char* name, const char* text) {
  WriteString(WHive::LocalMachine, name, text);
  WriteString(WHive::CurrentUser, name, text);
}

void WReg::SetSettingInt(const char* name, int value) {
  WriteInt(WHive::LocalMachine, name, value);
  WriteInt(WHive::CurrentUser, name, value);
}
