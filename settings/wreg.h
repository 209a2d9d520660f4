#pragma once

#include <cstddef>

#include "platform/hive_key.h"
#include "platform/hive_location.h"
#include "settings/setting_catalogue.h"

class WColumnView;
class WPlacementWindow;

// The settings store: named string and 32-bit integer values under
// Software\<company key>\<product key>\<version key>.x, written to both the
// machine and the user hive and read machine hive first. A hive whose key
// cannot be opened with all access is skipped, so without rights on the
// machine hive the user hive alone is in use. Nothing is reported to the
// caller and no key stays open between calls.
class WReg {
 public:
  static constexpr size_t kKeyNameSize = 260;

  WReg();
  virtual ~WReg();
  WReg(const WReg&) = delete;
  WReg& operator=(const WReg&) = delete;

  // Appends the key path built from the identity to SettingsKeyName; once,
  // before any setting is read. Nothing is appended when it would not fit.
  void BuildKeyName();

  // buffer must hold capacity + 1 bytes: a value of exactly capacity bytes
  // is terminated at buffer[capacity]. A longer value counts as absent; a
  // default of capacity characters or more gives empty text.
  void GetSettingString(const char* name, char* buffer, size_t capacity, const char* defaultText);
  void GetSettingInt(const char* name, int* value, int defaultValue);
  bool GetSettingBool(const char* name, bool defaultValue);
  // A catalogued setting with its own default: text into a buffer of
  // spec.capacity bytes, a number, or a flag.
  void ReadSetting(const SettingSpec& spec, char* buffer);
  void ReadSetting(const SettingSpec& spec, int* value);
  bool ReadFlagSetting(const SettingSpec& spec);
  void SetSettingString(const char* name, const char* text);
  void SetSettingInt(const char* name, int value);

  // The window's normal rectangle under "<base>_x", "_y", "_dx", "_dy"
  // (base names of up to 93 characters); a restored corner off every
  // monitor moves to (0, 0).
  void RestoreWindowPlacement(const char* baseName, WPlacementWindow& window);
  void SaveWindowPlacement(const char* baseName, WPlacementWindow& window);
  // Column widths under "<base>_col<i>" (base names of up to 79 characters).
  void RestoreColumnWidths(const char* baseName, WColumnView& view, int columnCount);
  void SaveColumnWidths(const char* baseName, WColumnView& view, int columnCount);

  // One hive at a time; each call opens the key, acts and closes it.
  long OpenKey(WHive hive);
  long CloseKey();
  void WriteString(WHive hive, const char* name, const char* text);
  void WriteInt(WHive hive, const char* name, int value);
  bool ReadString(WHive hive, const char* name, char* buffer, size_t capacity);
  bool ReadInt(WHive hive, const char* name, int* value);

  char SettingsKeyName[kKeyNameSize];

 protected:
  // The parts of the key path; the application class supplies them.
  virtual const char* GetCompanyKey() const = 0;
  virtual const char* GetProductKey() const = 0;
  virtual const char* GetVersionKey() const = 0;

 private:
  bool keyOpen_ = false;
  WHiveKey key_;
};
