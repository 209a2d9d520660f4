#pragma once

#include <string>
#include <vector>

#include "secret_service/secret_store.h"

class MainWindow;
class Quillbox;

// The Secret Service's way into the window's open safe: the entries as
// the list holds them, each change through Quillbox's own entry
// operations, as the window's are.
class WindowSecretStore : public SecretStore {
 public:
  WindowSecretStore(Quillbox& app, MainWindow& window) : app_(app), window_(window) {}

  bool IsUnlocked() const override;
  std::string UserName() const override;
  const std::vector<Entry>& Entries() const override;
  const char* Check(const Entry& entry) const override;
  StoreResult Add(Entry entry, EntryId* added) override;
  StoreResult Replace(const EntryId& id, Entry edited) override;
  StoreResult Delete(const EntryId& id) override;
  void Lock() override;

 private:
  const Entry* Find(const EntryId& id) const;
  // Done, or made but not saved.
  StoreResult Saved() const;

  Quillbox& app_;
  MainWindow& window_;
};
