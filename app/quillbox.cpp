#include "app/quillbox.h"

#include "safe/safe_folder.h"
#include "safe/safe_store.h"

#include <string.h>

#include <cstring>

Quillbox::Quillbox() { entries_.SetWipeOnRelease(true); }

Quillbox::~Quillbox() {
  if (settingsRead_) WriteExitSettings();
}

const char* Quillbox::GetProductName() const { return "Tarnwell Quillbox"; }

const char* Quillbox::GetVersionText() const { return "2.0"; }

const char* Quillbox::GetVersionKey() const { return "2"; }

const char* Quillbox::GetDisplayName() const { return "Tarnwell Quillbox"; }

void Quillbox::SetView(QuillboxView* view) { view_ = view; }

void Quillbox::ReadStartSettings() {
  GetSettingString("Last_Username", userName_, kUserNameCapacity - 1, "");
  GetSettingInt("Last_Sort", &sortOrder_, 2);
  resideOnTaskbar_ = GetSettingBool("Store_On_Taskbar_Only", false);
  GetSettingInt("Clipboard_Clear_Seconds", &clipboardClearSeconds_, kDefaultClipboardClearSeconds);
  GetSettingInt("Lock_After_Seconds", &lockAfterSeconds_, kDefaultLockAfterSeconds);
  lockOnScreenLock_ = GetSettingBool("Lock_On_Screen_Lock", true);
  settingsRead_ = true;
  UseSafeFolderSetting();
}

void Quillbox::UseSafeFolderSetting() {
  char folder[kSafePathCapacity];
  GetSettingString(kSafeFolderSetting, folder, sizeof folder - 1, "");
  SetSafeFolder(folder);
}

bool Quillbox::ChooseSafeFolder(const char* folder) {
  if (loggedIn_ || folder == nullptr || std::strlen(folder) >= kSafePathCapacity) return false;
  SetSettingString(kSafeFolderSetting, folder);
  SetSafeFolder(folder);
  return true;
}

void Quillbox::WriteExitSettings() {
  SetSettingString("Last_Username", userName_);
  SetSettingInt("Last_Sort", sortOrder_);
  SetSettingInt("Store_On_Taskbar_Only", resideOnTaskbar_ ? 1 : 0);
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
