#pragma once

#include <cstddef>
#include <span>

// Every setting the application reads, once: its name, kind, default and
// limits. The application reads its start settings through these rows and
// `quillbox-cli settings` lists them all, so the two cannot drift apart.

enum class SettingKind { kText, kNumber, kFlag };

struct SettingSpec {
  const char* name;
  SettingKind kind;
  int defaultNumber;         // numbers and flags
  size_t capacity;           // text: the buffer it is read into, terminator included
  const char* defaultShown;  // how the default is told to people; null: the number
};

// Capacities of the log-in state and a folder path, terminator included.
inline constexpr size_t kUserNameCapacity = 30;
inline constexpr size_t kSettingPathCapacity = 260;

inline constexpr int kDefaultClipboardClearSeconds = 15;
inline constexpr int kDefaultLockAfterSeconds = 300;

inline constexpr SettingSpec kLastUsernameSetting = {"Last_Username", SettingKind::kText, 0, kUserNameCapacity, "\"\""};
inline constexpr SettingSpec kLastSortSetting = {"Last_Sort", SettingKind::kNumber, 2, 0, nullptr};
inline constexpr SettingSpec kStoreOnTaskbarOnlySetting = {"Store_On_Taskbar_Only", SettingKind::kFlag, 0, 0, nullptr};
inline constexpr SettingSpec kSafeFolderSpec = {"Safe_Folder", SettingKind::kText, 0, kSettingPathCapacity, "\"\""};
inline constexpr SettingSpec kClipboardClearSecondsSetting = {"Clipboard_Clear_Seconds", SettingKind::kNumber,
                                                              kDefaultClipboardClearSeconds, 0, nullptr};
inline constexpr SettingSpec kLockAfterSecondsSetting = {"Lock_After_Seconds", SettingKind::kNumber,
                                                         kDefaultLockAfterSeconds, 0, nullptr};
// The list's columns beyond the designed three that the user chose to see:
// 1 "Web Address", 2 "Tags", 4 "Modified", added up.
inline constexpr SettingSpec kExtraColumnsSetting = {"Extra_Columns", SettingKind::kNumber, 0, 0, nullptr};
// Auto-type: the global shortcut as Qt writes key sequences ("" for none)
// and the pause between typed keys.
inline constexpr char kDefaultAutoTypeShortcut[] = "Ctrl+Alt+A";
inline constexpr SettingSpec kAutoTypeShortcutSetting = {"Auto_Type_Shortcut", SettingKind::kText, 0, 64,
                                                         "\"Ctrl+Alt+A\""};
inline constexpr SettingSpec kAutoTypeDelaySetting = {"Auto_Type_Delay_Ms", SettingKind::kNumber, 25, 0, nullptr};
// The breach list the password health report checks against; empty: none.
inline constexpr SettingSpec kBreachListFileSetting = {"Breach_List_File", SettingKind::kText, 0, 4096, "\"\""};
inline constexpr SettingSpec kLockOnScreenLockSetting = {"Lock_On_Screen_Lock", SettingKind::kFlag, 1, 0, nullptr};

// The whole catalogue, in the order `quillbox-cli settings` lists it.
std::span<const SettingSpec> SettingCatalogue();
