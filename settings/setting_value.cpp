#include "settings/setting_value.h"

#include <cstdint>
#include <cstring>

WHiveValue EncodeSettingString(const char* text) {
  std::string data = text ? text : "";
  data.push_back('\0');
  return {kRegSz, data};
}

WHiveValue EncodeSettingInt(int value) {
  std::string data(4, '\0');
  uint32_t bits = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) data[i] = static_cast<char>(bits >> (8 * i));
  return {kRegNone, data};
}

bool DecodeSettingString(const WHiveValue& value, char* buffer, size_t capacity) {
  if (capacity == 0 || value.data.size() > capacity) return false;
  std::memcpy(buffer, value.data.data(), value.data.size());
  buffer[value.data.size()] = '\0';
  return true;
}

bool DecodeSettingInt(const WHiveValue& value, int* number) {
  if (value.data.size() > 4) return false;
  uint32_t bits = 0;
  for (size_t i = 0; i < value.data.size(); ++i) {
    bits |= static_cast<uint32_t>(static_cast<unsigned char>(value.data[i])) << (8 * i);
  }
  *number = static_cast<int>(bits);
  return true;
}
