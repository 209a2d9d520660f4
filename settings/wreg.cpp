#include "settings/wreg.h"

#include <cstdio>
#include <cstring>

WReg::WReg()
{
    SettingsKeyName[0] = '\0';
}

WReg::~WReg() = default;

void WReg::BuildKeyName()
{
    char path[kKeyNameSize];
    int length = std::snprintf(path, sizeof path, "Software\\%s\\%s\\%s.x",
                               GetCompanyKey(), GetProductKey(), GetVersionKey());
    size_t used = std::strlen(SettingsKeyName);
    // A path cut short would name some other key; append none instead.
    if (length < 0 || used + static_cast<size_t>(length) >= kKeyNameSize) return;
    std::memcpy(SettingsKeyName + used, path, static_cast<size_t>(length) + 1);
}

long WReg::OpenKey(WHive hive)
{
    if (keyOpen_) return kHiveSuccess;
    long status = key_.Open(hive, SettingsKeyName);
    if (status == kHiveSuccess) keyOpen_ = true;
    return status;
}

long WReg::CloseKey()
{
    if (!keyOpen_) return kHiveSuccess;
    keyOpen_ = false;
    return key_.Close();
}

void WReg::WriteString(WHive hive, const char* name, const char* text)
{
    OpenKey(hive);
    if (keyOpen_) {
        std::string data = text ? text : "";
        WHiveValue value{kRegSz, data.append(1, '\0')};
        key_.Set(name, value);
    }
    CloseKey();
}

void WReg::WriteInt(WHive hive, const char* name, int value)
{
    OpenKey(hive);
    if (keyOpen_) {
        WHiveValue stored{kRegNone, std::string(4, '\0')};
        uint32_t bits = static_cast<uint32_t>(value);
        for (int i = 0; i < 4; ++i) stored.data[i] = static_cast<char>(bits >> (8 * i));
        key_.Set(name, stored);
    }
    CloseKey();
}

bool WReg::ReadString(WHive hive, const char* name, char* buffer, size_t capacity)
{
    if (capacity == 0) return false;
    bool read = false;
    OpenKey(hive);
    WHiveValue value;
    // Like the registry call, a value larger than the buffer is not read.
    if (keyOpen_ && key_.Query(name, &value) == kHiveSuccess && value.data.size() <= capacity) {
        std::memcpy(buffer, value.data.data(), value.data.size());
        buffer[value.data.size()] = '\0';
        read = true;
    }
    CloseKey();
    return read;
}

bool WReg::ReadInt(WHive hive, const char* name, int* value)
{
    bool read = false;
    OpenKey(hive);
    WHiveValue stored;
    if (keyOpen_ && key_.Query(name, &stored) == kHiveSuccess && stored.data.size() <= 4) {
        // Shorter data counts as its little-endian number rather than
        // leaving the caller's upper bytes as they were.
        uint32_t bits = 0;
        for (size_t i = 0; i < stored.data.size(); ++i) {
            bits |= static_cast<uint32_t>(static_cast<unsigned char>(stored.data[i])) << (8 * i);
        }
        *value = static_cast<int>(bits);
        read = true;
    }
    CloseKey();
    return read;
}

void WReg::GetSettingString(const char* name, char* buffer, size_t capacity, const char* defaultText)
{
    if (ReadString(WHive::LocalMachine, name, buffer, capacity)) return;
    if (ReadString(WHive::CurrentUser, name, buffer, capacity)) return;
    if (defaultText == nullptr || std::strlen(defaultText) >= capacity) {
        buffer[0] = '\0';
    } else {
        std::memcpy(buffer, defaultText, std::strlen(defaultText) + 1);
    }
}

void WReg::GetSettingInt(const char* name, int* value, int defaultValue)
{
    if (ReadInt(WHive::LocalMachine, name, value)) return;
    if (ReadInt(WHive::CurrentUser, name, value)) return;
    *value = defaultValue;
}

bool WReg::GetSettingBool(const char* name, bool defaultValue)
{
    int value = 0;
    GetSettingInt(name, &value, defaultValue ? 1 : 0);
    return value != 0;
}

void WReg::SetSettingString(const char* name, const char* text)
{
    WriteString(WHive::LocalMachine, name, text);
    WriteString(WHive::CurrentUser, name, text);
}

void WReg::SetSettingInt(const char* name, int value)
{
    WriteInt(WHive::LocalMachine, name, value);
    WriteInt(WHive::CurrentUser, name, value);
}
