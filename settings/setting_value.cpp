#include "settings/setting_value.h"

#include <cstdint>
#include <cstring>

#include "core/byte_order.h"

WHiveValue EncodeSettingString(const char* text) {
  std::string data = text ? text : "";
  data.push_back('\0');
  return {kRegSz, data};
}

WHiveValue EncodeSettingInt(int value) {
  std::string data;
  AppendLittle(&data, static_cast<uint32_t>(value), 4);
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
  // A shorter value is the low bytes of the number.
  uint8_t bytes[4] = {};
  std::memcpy(bytes, value.data.data(), value.data.size());
  *number = static_cast<int>(Load32Le(bytes));
  return true;
}
