#include <algorithm>
#include <cstring>
#include <memory>

#include "app/clock.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "safe/entry_field_rules.h"
#include "safe/entry_merge.h"
#include "safe/safe_store.h"
#include "safe/version_stamp.h"

const char* Quillbox::CheckEntryFields(const char* description, const char* userName, const char* password) const {
  if (description == nullptr || userName == nullptr || password == nullptr) return kEntryFieldSeparatorMessage;
  return CheckDesignedFields(OpenSafeFormat(), description, userName, password);
}

EntryMatch Quillbox::OpenSafeMatch() const {
  return key_.GetFormat() == SafeFormat::kStrong ? EntryMatch::kById : EntryMatch::kByFields;
}

bool Quillbox::AddEntry(const char* description, const char* userName, const char* password) {
  if (description == nullptr || userName == nullptr || password == nullptr) return false;
  Entry entry;
  entry.title = description;
  entry.userName = userName;
  entry.password = password;
  return AddEntry(std::move(entry));
}

bool Quillbox::EditEntry(int index, const char* description, const char* userName, const char* password) {
  const Entry* shown = GetEntry(index);
  if (shown == nullptr || description == nullptr || userName == nullptr || password == nullptr) return false;
  // Every field the caller does not name stays as it is.
  Entry edited = *shown;
  edited.title = description;
  edited.userName = userName;
  edited.password = password;
  return EditEntry(index, std::move(edited));
}

int64_t Quillbox::StampNow() const { return NextStamp(std::max(LargestStamp(entries_), newestSeen_), UtcSeconds()); }

uint32_t Quillbox::PlaceOf(const Entry& shown) const {
  const std::vector<Entry>& entries = entries_.entries;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].id == shown.id) return static_cast<uint32_t>(i);
  }
  // A legacy safe's ids are new at every reload; its entries are their fields.
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].SameLegacyFields(shown)) return static_cast<uint32_t>(i);
  }
  return 0;
}

bool Quillbox::AddEntry(Entry entry) {
  if (!loggedIn_ || CheckEntry(entry) != nullptr) return false;
  auto change = std::make_unique<EntryChange>();
  change->madeAt = StampNow();
  entry.id = EntryId::Random();
  entry.created = UtcSeconds();
  entry.modified = change->madeAt;
  entry.history.clear();
  change->Add(entry);
  return MakeChange(std::move(change));
}

bool Quillbox::EditEntry(const Entry& shown, Entry edited) {
  if (!loggedIn_ || CheckEntry(edited) != nullptr) return false;
  auto change = std::make_unique<EntryChange>();
  change->isEdit = true;
  change->madeAt = StampNow();
  change->Remove(PlaceOf(shown), shown);
  SecretText password = edited.password;
  edited.id = shown.id;
  edited.created = shown.created;
  edited.modified = shown.modified;
  edited.history = shown.history;
  edited.password = shown.password;
  edited.ChangePassword(password.view(), change->madeAt);
  edited.MarkModified(change->madeAt);
  change->Add(edited);
  return MakeChange(std::move(change));
}

bool Quillbox::EditEntry(int index, Entry edited) {
  const Entry* shown = GetEntry(index);
  // A copy: the change replaces the entry it points to.
  return shown != nullptr && EditEntry(Entry(*shown), std::move(edited));
}

bool Quillbox::AppendEntries(std::vector<Entry>& entries) {
  if (!loggedIn_) return false;
  auto change = std::make_unique<EntryChange>();
  change->madeAt = StampNow();
  const int64_t now = UtcSeconds();
  for (Entry& entry : entries) {
    if (entry.id.IsZero()) entry.id = EntryId::Random();
    if (entry.created == 0) entry.created = now;
    // A time ahead of this import (another program's clock, a time at the
    // end of the range) would pull every later stamp of the safe past it.
    if (entry.modified == 0 || entry.modified > change->madeAt) entry.modified = change->madeAt;
    change->Add(entry);
  }
  // An import may update entries an earlier import of the same source made
  // (same id): their versions now are put back if the save fails.
  std::vector<EntryId> ids;
  for (const Entry& entry : change->added) ids.push_back(entry.id);
  std::sort(ids.begin(), ids.end());
  std::vector<Entry> updated;
  for (const Entry& entry : entries_.entries) {
    if (std::binary_search(ids.begin(), ids.end(), entry.id)) updated.push_back(entry);
  }
  const EntryChange* made = change.get();
  if (!ApplyChange(std::move(change))) return false;
  if (CommitPending() == CommitResult::kSaved) return true;
  // An import that could not be saved is not kept for a later save: the
  // user was told nothing was imported.
  if (!pending_.empty() && pending_.back().get() == made) pending_.pop_back();
  // Taken out by id and without tombstones: they never reached the file;
  // an updated entry gets its earlier version back, in its place.
  std::sort(updated.begin(), updated.end(), [](const Entry& a, const Entry& b) { return a.id < b.id; });
  auto earlier = [&](const EntryId& id) {
    auto found = std::lower_bound(updated.begin(), updated.end(), id,
                                  [](const Entry& old, const EntryId& wanted) { return old.id < wanted; });
    return found != updated.end() && found->id == id ? found : updated.end();
  };
  for (Entry& entry : entries_.entries) {
    auto old = earlier(entry.id);
    if (old != updated.end()) entry = *old;
  }
  std::erase_if(entries_.entries, [&](const Entry& entry) {
    return std::binary_search(ids.begin(), ids.end(), entry.id) && earlier(entry.id) == updated.end();
  });
  RefreshView();
  if (pending_.empty() && failureShown_) {
    failureShown_ = false;
    ShowStatus("");
  }
  return false;
}

void Quillbox::DeleteSelectedEntries(OwnerWindow owner) {
  if (!loggedIn_ || view_ == nullptr) return;
  const int rows = view_->GetRowCount();
  std::vector<Entry> selected;
  for (int row = 0; row < rows; ++row) {
    if (!view_->IsRowSelected(row)) continue;
    int index;
    // A row that cannot be read, or names no entry, stops the whole deletion.
    const Entry* entry = view_->GetRowEntryIndex(row, index) ? GetEntry(index) : nullptr;
    if (entry == nullptr) return;
    selected.push_back(*entry);
  }
  if (selected.empty()) return;
  // What was selected when asked goes, wherever the list moved meanwhile.
  if (Ask(owner, kDeleteEntriesQuestion, kDeleteEntriesCaption, kMbYesNo | kMbIconWarning) != kIdYes) {
    return;
  }
  DeleteEntries(selected);
}

bool Quillbox::DeleteEntry(int index) {
  const Entry* entry = GetEntry(index);
  return entry != nullptr && DeleteEntries({*entry});
}

bool Quillbox::DeleteEntries(const std::vector<Entry>& shown) {
  if (!loggedIn_ || shown.empty()) return false;
  auto change = std::make_unique<EntryChange>();
  change->madeAt = StampNow();
  for (const Entry& entry : shown) change->Remove(PlaceOf(entry), entry);
  return MakeChange(std::move(change));
}

const Entry* Quillbox::GetEntry(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= entries_.entries.size()) return nullptr;
  return &entries_.entries[static_cast<size_t>(index)];
}

const Entry* Quillbox::FindEntry(const EntryId& id) const {
  auto found = std::find_if(entries_.entries.begin(), entries_.entries.end(),
                            [&id](const Entry& entry) { return entry.id == id; });
  return found == entries_.entries.end() ? nullptr : &*found;
}
