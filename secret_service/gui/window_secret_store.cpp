#include "secret_service/gui/window_secret_store.h"

#include <set>

#include "app/gui/main_window.h"
#include "app/quillbox.h"

bool WindowSecretStore::IsUnlocked() const { return app_.IsLoggedIn(); }

std::string WindowSecretStore::UserName() const {
  const char* user = app_.GetUserName();
  return user == nullptr ? std::string() : std::string(user);
}

const std::vector<Entry>& WindowSecretStore::Entries() const {
  static const std::vector<Entry> kNone;
  return app_.IsLoggedIn() ? app_.GetEntries() : kNone;
}

const char* WindowSecretStore::Check(const Entry& entry) const { return app_.CheckEntry(entry); }

const Entry* WindowSecretStore::Find(const EntryId& id) const {
  for (const Entry& entry : Entries()) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

StoreResult WindowSecretStore::Saved() const {
  if (app_.LastSaveSucceeded()) return {};
  return {StoreResult::Kind::kNotSaved, app_.LastSaveError()};
}

StoreResult WindowSecretStore::Add(Entry entry, EntryId* added) {
  std::set<EntryId> before;
  for (const Entry& existing : Entries()) before.insert(existing.id);
  if (!app_.AddEntry(std::move(entry))) return {StoreResult::Kind::kRefused, {}};
  for (const Entry& now : Entries()) {
    if (before.count(now.id) != 0) continue;
    *added = now.id;
    return Saved();
  }
  return {StoreResult::Kind::kRefused, {}};
}

StoreResult WindowSecretStore::Replace(const EntryId& id, Entry edited) {
  const Entry* found = Find(id);
  if (found == nullptr) return {StoreResult::Kind::kRefused, {}};
  // A copy: the edit replaces the entry in the list.
  const Entry shown = *found;
  if (!app_.EditEntry(shown, std::move(edited))) return {StoreResult::Kind::kRefused, {}};
  return Saved();
}

StoreResult WindowSecretStore::Delete(const EntryId& id) {
  const Entry* found = Find(id);
  if (found == nullptr || !app_.DeleteEntries({*found})) return {StoreResult::Kind::kRefused, {}};
  return Saved();
}

void WindowSecretStore::Lock() { window_.LockSafe(); }
