#include "cli/settings_command.h"

#include <unistd.h>

#include <string>

#include "secret_service/secrets_owner.h"
#include "platform/hive_file.h"
#include "platform/hive_key.h"
#include "platform/hive_location.h"
#include "settings/setting_catalogue.h"
#include "settings/setting_value.h"

namespace {

struct Hive {
  WHive hive;
  const char* label;
  std::string path;
  bool used = false;  // the application opens its key with all access
  WHiveDocument document;
};

// Loads the hive when the application would use it; returns the note shown
// after its path.
const char* LoadHive(Hive* hive) {
  hive->path = HiveFilePath(hive->hive);
  if (hive->path.empty()) return " (no folder can be named)";
  if (access(hive->path.c_str(), F_OK) != 0) return " (not created yet)";
  hive->used =
      CheckHiveWritable(hive->path) == kHiveSuccess && LoadHiveFile(hive->path, &hive->document) == kHiveSuccess;
  return hive->used ? "" : " (not writable here, so not used)";
}

// Stored text may hold anything; keep control bytes off the terminal.
std::string Printable(const char* text) {
  std::string shown = "\"";
  for (const char* p = text; *p; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c < 0x20 || c == 0x7f || c == '"' || c == '\\') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      shown += escaped;
    } else {
      shown += static_cast<char>(c);
    }
  }
  return shown + "\"";
}

// The value as the application would read it from this hive, or false.
bool Decode(const SettingSpec& setting, const WHiveValue& value, std::string* shown) {
  if (setting.kind == SettingKind::kText) {
    std::string buffer(setting.capacity, '\0');
    if (!DecodeSettingString(value, buffer.data(), setting.capacity - 1)) return false;
    *shown = Printable(buffer.c_str());
    return true;
  }
  int number = 0;
  if (!DecodeSettingInt(value, &number)) return false;
  *shown = std::to_string(number);
  if (setting.kind == SettingKind::kFlag) *shown += number != 0 ? " (on)" : " (off)";
  return true;
}

std::string DefaultShown(const SettingSpec& setting) {
  if (setting.defaultShown != nullptr) return setting.defaultShown;
  std::string shown = std::to_string(setting.defaultNumber);
  if (setting.kind == SettingKind::kFlag) shown += setting.defaultNumber != 0 ? " (on)" : " (off)";
  return shown;
}

}  // namespace

int RunSettingsCommand(const char* settingsKeyName, FILE* out) {
  if (settingsKeyName == nullptr || settingsKeyName[0] == '\0') {
    std::fprintf(out, "settings: the application's settings key is not known\n");
    return 1;
  }
  Hive hives[] = {{WHive::LocalMachine, "machine", {}, false, {}}, {WHive::CurrentUser, "user", {}, false, {}}};
  std::fprintf(out, "Settings key: %s\n", settingsKeyName);
  for (Hive& hive : hives) {
    const char* note = LoadHive(&hive);
    std::fprintf(out, "%-8s hive: %s%s\n", hive.label, hive.path.c_str(), note);
  }
  std::fprintf(out, "\n%-24s %-24s %s\n", "NAME", "VALUE", "FROM");
  for (const SettingSpec& setting : SettingCatalogue()) {
    std::string shown = DefaultShown(setting);
    const char* from = "default";
    for (const Hive& hive : hives) {
      WHiveValue value;
      if (hive.used && hive.document.FindValue(HiveKeyPath(hive.hive, settingsKeyName), setting.name, &value) &&
          Decode(setting, value, &shown)) {
        from = hive.label;
        break;
      }
    }
    std::fprintf(out, "%-24s %-24s %s\n", setting.name, shown.c_str(), from);
  }
  std::fprintf(out, "\nSecret Service (org.freedesktop.secrets) served by: %s\n", SecretsOwnerText().c_str());
  return std::fflush(out) == 0 && !std::ferror(out) ? 0 : 1;
}

std::string PeekSettingText(const char* settingsKeyName, const SettingSpec& setting) {
  Hive hives[] = {{WHive::LocalMachine, "machine", {}, false, {}}, {WHive::CurrentUser, "user", {}, false, {}}};
  for (Hive& hive : hives) {
    LoadHive(&hive);
    WHiveValue value;
    if (!hive.used || !hive.document.FindValue(HiveKeyPath(hive.hive, settingsKeyName), setting.name, &value)) {
      continue;
    }
    std::string buffer(setting.capacity, '\0');
    if (DecodeSettingString(value, buffer.data(), setting.capacity - 1)) return buffer.c_str();
  }
  return {};
}
