#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

struct SettingSpec;

// `quillbox-cli settings`: prints where the two hives are and, for every
// setting the application uses, its effective value and where it came from
// ("machine", "user" or "default"), resolved exactly as the application
// resolves it. Reads only: no key or file is created. settingsKeyName is
// the application's key path below a hive (WReg::SettingsKeyName after
// start-up). Returns the process exit status: 0, or 1 when the key path is
// empty or the output cannot be written.
int RunSettingsCommand(const char* settingsKeyName, FILE* out);

// A text setting as the application would read it, found the same
// read-only way: quillbox-cli never creates a hive to read one.
std::string PeekSettingText(const char* settingsKeyName, const SettingSpec& setting);
