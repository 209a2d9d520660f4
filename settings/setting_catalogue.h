#pragma once

#include <cstddef>
#include <span>

// Every setting the application reads, once: its name, kind, default and
// limits. The application reads its start settings through these rows and
// `quillbox-cli settings` lists them all, so the two cannot drift apart.

enum class SettingKind { kText, kNumber, kFlag };

// Where File > "&Settings..." and the help page show a setting; kKept ones
// are the program's own memory (placement, sort, update bookkeeping).
enum class SettingGroup { kKept, kClipboardAndLock, kAutoType, kSecretService, kSafeFolder, kBreachList };

struct SettingSpec {
  const char* name;
  SettingKind kind;
  int defaultNumber;         // numbers and flags
  size_t capacity;           // text: the buffer it is read into, terminator included
  const char* defaultShown;  // how the default is told to people; null: the number
  SettingGroup group = SettingGroup::kKept;
  const char* label = nullptr;  // what it does, as the dialog and the help page say it
  int minimum = 0;              // numbers: the range the program honours
  int maximum = 0;
};

// Capacities of the log-in state and a folder path, terminator included.
inline constexpr size_t kUserNameCapacity = 30;
inline constexpr size_t kSettingPathCapacity = 260;

inline constexpr int kDefaultClipboardClearSeconds = 15;
inline constexpr int kDefaultLockAfterSeconds = 300;

inline constexpr SettingSpec kLastUsernameSetting = {"Last_Username", SettingKind::kText, 0, kUserNameCapacity, "\"\""};
inline constexpr SettingSpec kLastSortSetting = {"Last_Sort", SettingKind::kNumber, 2, 0, nullptr};
inline constexpr SettingSpec kStoreOnTaskbarOnlySetting = {"Store_On_Taskbar_Only", SettingKind::kFlag, 0, 0, nullptr};
inline constexpr SettingSpec kSafeFolderSpec = {
    "Safe_Folder",
    SettingKind::kText,
    0,
    kSettingPathCapacity,
    "\"\"",
    SettingGroup::kSafeFolder,
    "The folder that holds the safes; empty: beside the program, or ~/.local/share/quillbox when installed."};
// The main window's placement and its list's column widths are kept under
// these base names with WReg's suffixes ("_x", "_y", "_dx", "_dy"; "_col0"...).
inline constexpr char kWindowPlacementBaseName[] = "Main_Window_Dim";
inline constexpr char kColumnWidthsBaseName[] = "Main_Listview_Dim";
// The update check's standing choice (0 ask, 1 check without asking, 2 never
// check automatically), the time of the last check and the test channel flag.
inline constexpr SettingSpec kUpdateCheckOptionSetting = {"Update_Check_Option", SettingKind::kNumber, 0, 0, nullptr};
inline constexpr SettingSpec kLastUpdateCheckTimeSetting = {"Last_Update_Check_Time", SettingKind::kNumber, 0, 0,
                                                            nullptr};
inline constexpr SettingSpec kQaModeSetting = {"qamode", SettingKind::kFlag, 0, 0, nullptr};
// Replaces the update server ("host" or "host:port"), for mirrors and tests.
inline constexpr SettingSpec kUpdateServerSetting = {"Update_Server", SettingKind::kText, 0, 256, "(built-in server)"};
// Waits past this are "never" in practice: the millisecond counters would overflow.
inline constexpr int kLongestWaitSeconds = 2000000;
inline constexpr SettingSpec kClipboardClearSecondsSetting = {
    "Clipboard_Clear_Seconds",
    SettingKind::kNumber,
    kDefaultClipboardClearSeconds,
    0,
    nullptr,
    SettingGroup::kClipboardAndLock,
    "Seconds until a copied field is cleared from the clipboard; 0: only when the safe closes.",
    0,
    kLongestWaitSeconds};
inline constexpr SettingSpec kLockAfterSecondsSetting = {"Lock_After_Seconds",
                                                         SettingKind::kNumber,
                                                         kDefaultLockAfterSeconds,
                                                         0,
                                                         nullptr,
                                                         SettingGroup::kClipboardAndLock,
                                                         "Seconds without use before the safe locks; 0: never.",
                                                         0,
                                                         kLongestWaitSeconds};
// The list's columns beyond the designed three that the user chose to see:
// 1 "Web Address", 2 "Tags", 4 "Modified", added up.
inline constexpr SettingSpec kExtraColumnsSetting = {"Extra_Columns", SettingKind::kNumber, 0, 0, nullptr};
// Auto-type: the global shortcut as Qt writes key sequences ("" for none)
// and the pause between typed keys.
inline constexpr char kDefaultAutoTypeShortcut[] = "Ctrl+Alt+A";
inline constexpr SettingSpec kAutoTypeShortcutSetting = {
    "Auto_Type_Shortcut",
    SettingKind::kText,
    0,
    64,
    "\"Ctrl+Alt+A\"",
    SettingGroup::kAutoType,
    "The key that types into the window in front, such as Ctrl+Alt+A; empty: none."};
inline constexpr int kMaxAutoTypeDelayMs = 1000;
inline constexpr SettingSpec kAutoTypeDelaySetting = {"Auto_Type_Delay_Ms",
                                                      SettingKind::kNumber,
                                                      25,
                                                      0,
                                                      nullptr,
                                                      SettingGroup::kAutoType,
                                                      "Milliseconds between typed keys.",
                                                      0,
                                                      kMaxAutoTypeDelayMs};
// The breach list the password health report checks against; empty: none.
inline constexpr SettingSpec kBreachListFileSetting = {
    "Breach_List_File",
    SettingKind::kText,
    0,
    4096,
    "\"\"",
    SettingGroup::kBreachList,
    "The Pwned Passwords file (SHA-1, HASH:COUNT lines, sorted) the health report checks; empty: none."};
inline constexpr SettingSpec kLockOnScreenLockSetting = {"Lock_On_Screen_Lock",
                                                         SettingKind::kFlag,
                                                         1,
                                                         0,
                                                         nullptr,
                                                         SettingGroup::kClipboardAndLock,
                                                         "Lock the safe when the desktop locks its screen or sleeps."};
// Serving the open safe on the session bus as org.freedesktop.secrets, and
// asking before a program reads an entry the first time.
inline constexpr SettingSpec kSecretServiceSetting = {
    "Secret_Service",
    SettingKind::kFlag,
    0,
    0,
    nullptr,
    SettingGroup::kSecretService,
    "Serve the entries tagged Secret Service to other programs on the session bus."};
inline constexpr SettingSpec kSecretServiceConfirmSetting = {
    "Secret_Service_Confirm",
    SettingKind::kFlag,
    1,
    0,
    nullptr,
    SettingGroup::kSecretService,
    "Ask before a program reads an entry, or changes or deletes one it did not store."};

// The whole catalogue, in the order `quillbox-cli settings` lists it.
std::span<const SettingSpec> SettingCatalogue();

// A group's heading, as the dialog and the help page show it.
const char* SettingGroupTitle(SettingGroup group);
