#include "app/quillbox.h"

#include "core/product_name.h"
#include "safe/safe_folder.h"
#include "safe/safe_store.h"

#include <string.h>

#include <cstring>

Quillbox::Quillbox() = default;

Quillbox::~Quillbox() {
  if (settingsRead_) WriteExitSettings();
}

const char* Quillbox::GetProductName() const { return kProductName; }

const char* Quillbox::GetVersionText() const { return "2.0"; }

const char* Quillbox::GetVersionKey() const { return "2"; }

const char* Quillbox::GetDisplayName() const { return kProductName; }

void Quillbox::SetView(QuillboxView* view) { view_ = view; }

void Quillbox::ReadStartSettings() {
  ReadSetting(kLastUsernameSetting, userName_);
  ReadSetting(kLastSortSetting, &sortOrder_);
  resideOnTaskbar_ = ReadFlagSetting(kStoreOnTaskbarOnlySetting);
  ReadLiveSettings();
  settingsRead_ = true;
  UseSafeFolderSetting();
}

void Quillbox::ReadLiveSettings() {
  ReadSetting(kClipboardClearSecondsSetting, &clipboardClearSeconds_);
  ReadSetting(kLockAfterSecondsSetting, &lockAfterSeconds_);
  lockOnScreenLock_ = ReadFlagSetting(kLockOnScreenLockSetting);
}

void Quillbox::UseSafeFolderSetting() {
  char folder[kSafeFolderSpec.capacity];
  ReadSetting(kSafeFolderSpec, folder);
  SetSafeFolder(folder);
}

bool Quillbox::ChooseSafeFolder(const char* folder) {
  if (loggedIn_ || folder == nullptr || std::strlen(folder) >= kSafePathCapacity) return false;
  SetSettingString(kSafeFolderSetting, folder);
  SetSafeFolder(folder);
  return true;
}

void Quillbox::WriteExitSettings() {
  SetSettingString(kLastUsernameSetting.name, userName_);
  SetSettingInt(kLastSortSetting.name, sortOrder_);
  SetSettingInt(kStoreOnTaskbarOnlySetting.name, resideOnTaskbar_ ? 1 : 0);
}

void Quillbox::RefreshView() {
  if (view_ != nullptr) view_->RefreshList();
}

int Quillbox::Ask(OwnerWindow owner, const char* text, const char* caption, unsigned style) {
  return view_ != nullptr ? view_->ShowMessageBox(owner, text, caption, style) : kIdCancel;
}

bool Quillbox::RunSlow(const std::function<void()>& work) {
  const uint64_t session = session_;
  ++busy_;
  if (view_ != nullptr) {
    view_->RunBusy(work);
  } else {
    work();
  }
  --busy_;
  return session_ == session;
}
