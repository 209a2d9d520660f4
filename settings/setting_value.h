#pragma once

#include <cstddef>

#include "platform/hive_value.h"

// How settings are kept as registry values: strings as REG_SZ with their
// terminating zero byte, integers as type 0 with 4 bytes, least
// significant first.
WHiveValue EncodeSettingString(const char* text);
WHiveValue EncodeSettingInt(int value);

// Like the registry query into a buffer of capacity bytes: a value larger
// than capacity is not read; otherwise its bytes are copied and terminated
// at buffer[size] (buffer holds capacity + 1 bytes). The type is not looked at.
bool DecodeSettingString(const WHiveValue& value, char* buffer, size_t capacity);
// Up to 4 bytes, least significant first; data shorter than 4 bytes counts
// as its number rather than leaving stale upper bytes. The type is not
// looked at.
bool DecodeSettingInt(const WHiveValue& value, int* number);
