#include "settings/setting_catalogue.h"

namespace {

// The window's placement rows: WReg forms these names from the base names.
constexpr SettingSpec kCatalogue[] = {
    kLastUsernameSetting,
    kLastSortSetting,
    kStoreOnTaskbarOnlySetting,
    {"Main_Window_Dim_x", SettingKind::kNumber, 0, 0, "(window's own)"},
    {"Main_Window_Dim_y", SettingKind::kNumber, 0, 0, "(window's own)"},
    {"Main_Window_Dim_dx", SettingKind::kNumber, 0, 0, "(window's own)"},
    {"Main_Window_Dim_dy", SettingKind::kNumber, 0, 0, "(window's own)"},
    {"Main_Listview_Dim_col0", SettingKind::kNumber, 0, 0, "(column's own)"},
    {"Main_Listview_Dim_col1", SettingKind::kNumber, 0, 0, "(column's own)"},
    {"Main_Listview_Dim_col2", SettingKind::kNumber, 0, 0, "(column's own)"},
    kExtraColumnsSetting,
    kUpdateCheckOptionSetting,
    kLastUpdateCheckTimeSetting,
    kQaModeSetting,
    kUpdateServerSetting,
    kSafeFolderSpec,
    kClipboardClearSecondsSetting,
    kLockAfterSecondsSetting,
    kLockOnScreenLockSetting,
    kAutoTypeShortcutSetting,
    kAutoTypeDelaySetting,
    kBreachListFileSetting,
    kSecretServiceSetting,
    kSecretServiceConfirmSetting,
};

}  // namespace

std::span<const SettingSpec> SettingCatalogue() { return kCatalogue; }

const char* SettingGroupTitle(SettingGroup group) {
  switch (group) {
    case SettingGroup::kClipboardAndLock:
      return "Clipboard and lock";
    case SettingGroup::kAutoType:
      return "Auto-type";
    case SettingGroup::kSecretService:
      return "Secret Service";
    case SettingGroup::kSafeFolder:
      return "Safe folder";
    case SettingGroup::kBreachList:
      return "Breach list";
    case SettingGroup::kKept:
      break;
  }
  return "Kept by the program";
}
