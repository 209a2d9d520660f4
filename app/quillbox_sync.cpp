#include <errno.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "safe/conflict_copies.h"
#include "safe/merge_by_id.h"
#include "safe/newest_seen.h"
#include "safe/safe_lock.h"
#include "safe/safe_store.h"
#include "safe/version_stamp.h"

// A safe may change under the open window: quillbox-cli, or a sync program
// bringing another computer's version. Nothing here overwrites a file that
// is newer than what was last read or written: it is loaded first and the
// unsaved changes are applied to it. The remembered fingerprint moves only
// once the newer file really is the list.

namespace {

constexpr int kUnopenableLooks = 4;  // with the window's pause, about two seconds

std::string ConflictMergeNote(const ConflictMerge& merge) {
  std::string note;
  if (merge.copies > 0) {
    note = "Merged " + std::to_string(merge.copies) + (merge.copies == 1 ? " conflict copy: " : " conflict copies: ") +
           std::to_string(merge.entries) + (merge.entries == 1 ? " entry" : " entries") + " came in.";
  }
  for (const std::string& name : merge.refused) {
    note += (note.empty() ? "" : " ") + name + " does not open with this password and was left alone.";
  }
  for (const std::string& name : merge.tooCostly) {
    note += (note.empty() ? "" : " ") + name + kCostlyCopyNote;
  }
  return note;
}

}  // namespace

void Quillbox::ShowStatus(const char* text) {
  if (view_ != nullptr) view_->ShowStatus(text);
}

std::vector<Entry> Quillbox::SelectedEntries() const {
  std::vector<Entry> selected;
  if (view_ == nullptr) return selected;
  int rows = view_->GetRowCount();
  for (int row = 0; row < rows; ++row) {
    int index;
    if (!view_->IsRowSelected(row) || !view_->GetRowEntryIndex(row, index) || index < 0) continue;
    if (static_cast<size_t>(index) < entries_.entries.size()) selected.push_back(entries_.entries[index]);
  }
  return selected;
}

void Quillbox::Reselect(const std::vector<Entry>& selected) {
  if (view_ == nullptr || selected.empty()) return;
  // One selected row per selected entry: the same id in a strong safe; in a
  // legacy one the same three fields, equal entries taken in order.
  std::vector<bool> taken(selected.size(), false);
  std::vector<uint32_t> indexes;
  const bool byId = OpenSafeMatch() == EntryMatch::kById;
  for (size_t i = 0; i < entries_.entries.size(); ++i) {
    const Entry& entry = entries_.entries[i];
    for (size_t k = 0; k < selected.size(); ++k) {
      if (taken[k] || !(byId ? selected[k].id == entry.id : selected[k].SameLegacyFields(entry))) continue;
      taken[k] = true;
      indexes.push_back(static_cast<uint32_t>(i));
      break;
    }
  }
  view_->SelectEntryIndexes(indexes);
}

void Quillbox::TakeNewerList(EntryList& newer, const SafeFingerprint& fingerprint) {
  // A strong safe's open list, deletions included, merges into the file by
  // id: an older copy put back by a sync program brings back nothing this
  // window deleted. The unsaved changes then go on top, as for a legacy
  // safe; they are all that is left of the list after a lock or log-in.
  if (OpenSafeMatch() == EntryMatch::kById) MergeEntryLists(newer, entries_);
  bool editKeptAsNew = false;
  for (const auto& change : pending_) {
    editKeptAsNew |= ApplyEntryChange(newer, *change, OpenSafeMatch()) == EntryChangeOutcome::kEditAddedAsNew;
  }
  std::vector<Entry> selected = SelectedEntries();
  entries_ = std::move(newer);
  known_ = fingerprint;
  RefreshView();
  Reselect(selected);
  if (editKeptAsNew) {
    ShowStatus(kEditAddedAsNewNote);
  } else {
    ShowStatus(pending_.empty() ? kSafeReloadedNote : kChangeMergedNote);
  }
}

bool Quillbox::MakeChange(std::unique_ptr<EntryChange> change) {
  if (!ApplyChange(std::move(change))) return false;
  // The change is made either way: shown, kept and saved by a later save.
  if (CommitPending() != CommitResult::kSaved) ReportSaveFailure(nullptr);
  return true;
}

bool Quillbox::ApplyChange(std::unique_ptr<EntryChange> change) {
  EntryChangeOutcome outcome = ApplyEntryChange(entries_, *change, OpenSafeMatch());
  if (outcome == EntryChangeOutcome::kFailed) return false;
  pending_.push_back(std::move(change));
  RefreshView();
  if (outcome == EntryChangeOutcome::kEditAddedAsNew) ShowStatus(kEditAddedAsNewNote);
  return true;
}

void Quillbox::NoteNewestSeen(int64_t fileStamp, bool savedHere) {
  char path[kSafePathCapacity];
  if (OpenSafeMatch() != EntryMatch::kById || !BuildSafePath(userName_, path)) return;
  // A file only read is copied when it is newer; one saved here is copied
  // at equal stamps too, since a new password changes the file, not them.
  // Not kept (no state folder, a full disk): the next save tries again.
  const bool newer = savedHere ? fileStamp >= newestSeen_ : fileStamp > newestSeen_ || newestSeen_ == 0;
  if (newer) RememberNewestSeen(path, fileStamp);
  newestSeen_ = std::max(newestSeen_, fileStamp);
}

void Quillbox::MergeNewestSeen(int64_t fileStamp) {
  char path[kSafePathCapacity];
  if (OpenSafeMatch() != EntryMatch::kById || fileStamp >= newestSeen_ || !BuildSafePath(userName_, path)) return;
  EntryList newest;
  if (!LoadNewestSeen(path, key_, newest)) {
    ShowStatus(kOlderSafeNotMergedNote);
    return;
  }
  // As one change, so that it also reaches a file newer still at the save.
  auto change = std::make_unique<EntryChange>();
  change->added = std::move(newest.entries);
  change->deleted = std::move(newest.tombstones);
  ShowStatus(ApplyChange(std::move(change)) ? kOlderSafeMergedNote : kOlderSafeNotMergedNote);
}

Quillbox::CommitResult Quillbox::CommitPending(const HeldSafeKey* newKey) {
  CommitResult result = WritePending(newKey);
  NoteSaveResult(result);
  return result;
}

Quillbox::CommitResult Quillbox::WritePending(const HeldSafeKey* newKey) {
  lastSaveBlocked_ = false;
  SafeLock lock;
  if (lock.AcquireWaiting(userName_) == SafeLock::Result::kHeldElsewhere) {
    lastSaveSucceeded_ = false;
    lastSaveBlocked_ = true;
    saveError_ = kSafeBusyReason;
    return CommitResult::kLockBusy;
  }
  SafeDiskState disk = CompareSafeWithDisk(userName_, known_);
  if (disk != SafeDiskState::kSame) {
    EntryList newer;
    SafeFingerprint fingerprint;
    // A file gone for good is written anew from the open list.
    switch (LoadSafeSnapshotSettled(userName_, key_, newer, fingerprint)) {
      case SafeSnapshotResult::kLoaded:
        TakeNewerList(newer, fingerprint);
        break;
      case SafeSnapshotResult::kMissing:
        break;
      case SafeSnapshotResult::kUnsettled:
      case SafeSnapshotResult::kDoesNotOpen:
        lastSaveSucceeded_ = false;
        saveError_ = kSafeChangedReason;
        return CommitResult::kDoesNotOpen;
    }
  }
  errno = 0;
  lastSaveSucceeded_ = SaveSafe(userName_, newKey != nullptr ? *newKey : key_, entries_);
  if (!lastSaveSucceeded_) {
    TakeSaveErrno();
    return CommitResult::kSaveFailed;
  }
  // Under the lock, so no cooperating writer slips in; a sync program does
  // not replace a file it saw change since it last looked.
  if (!TakeSafeFingerprint(userName_, known_)) known_ = SafeFingerprint();
  pending_.clear();
  NoteNewestSeen(LargestStamp(entries_), true);
  return CommitResult::kSaved;
}

DiskPickUp Quillbox::PickUpDiskChange() {
  if (!loggedIn_) return DiskPickUp::kUnchanged;
  switch (CompareSafeWithDisk(userName_, known_)) {
    case SafeDiskState::kSame:
      unopenableLooks_ = 0;
      return DiskPickUp::kUnchanged;
    case SafeDiskState::kMissing:
      return DiskPickUp::kRetrySoon;
    case SafeDiskState::kChanged:
      break;
  }
  EntryList newer;
  SafeFingerprint fingerprint;
  switch (LoadSafeSnapshot(userName_, key_, newer, fingerprint)) {
    case SafeSnapshotResult::kLoaded:
      break;
    case SafeSnapshotResult::kMissing:
    case SafeSnapshotResult::kUnsettled:
      return DiskPickUp::kRetrySoon;
    case SafeSnapshotResult::kDoesNotOpen:
      // Half-written by a program that writes in place looks the same for a moment.
      if (++unopenableLooks_ < kUnopenableLooks) return DiskPickUp::kRetrySoon;
      unopenableLooks_ = 0;
      ShowStatus(kSafeNoLongerOpensNote);
      return DiskPickUp::kNoLongerOpens;
  }
  unopenableLooks_ = 0;
  const int64_t fileStamp = LargestStamp(newer);
  const bool older = OpenSafeMatch() == EntryMatch::kById && fileStamp < newestSeen_;
  TakeNewerList(newer, fingerprint);
  // Changes that could not be saved before go into the newer file now; an
  // older file put back gets what the list held beyond it.
  if (older) ShowStatus(kOlderSafeMergedNote);
  if (!pending_.empty() || older) {
    CommitPending();
  } else {
    NoteNewestSeen(fileStamp, false);
  }
  return DiskPickUp::kReloaded;
}

// Copies of this safe share its salt, so the held key opens them with no key
// derivation; one made apart, or still legacy, needs the password. A copy
// whose header asks for more Argon2id work than the safe's own is never
// derived: a damaged or hostile copy could cost minutes at every log-in.
Quillbox::CopyOpening Quillbox::OpenConflictCopy(const char* name, const char* password, EntryList& copy) {
  if (LoadSafe(name, key_, copy)) return CopyOpening::kOpened;
  if (password == nullptr) return CopyOpening::kDoesNotOpen;
  SafeInfo info;
  const StrongSafeParams& own = key_.GetFormat() == SafeFormat::kStrong ? key_.GetParams() : newSafeParams_;
  if (GetSafeInfo(name, info) && info.format == SafeFormat::kStrong &&
      uint64_t{info.params.iterations} * info.params.memoryKiB > uint64_t{own.iterations} * own.memoryKiB) {
    return CopyOpening::kTooCostly;
  }
  HeldSafeKey key;
  bool derived = false;
  bool sameSafe = RunSlow([&] { derived = DeriveKeyForSafe(name, password, key); });
  return sameSafe && derived && LoadSafe(name, key, copy) ? CopyOpening::kOpened : CopyOpening::kDoesNotOpen;
}

ConflictMerge Quillbox::MergeConflictCopies(const char* password) {
  ConflictMerge merge;
  if (!loggedIn_) return merge;
  const uint64_t session = session_;
  std::vector<std::string> names = FindConflictCopies(userName_);
  std::vector<std::string> opened;
  std::vector<std::unique_ptr<EntryList>> copies;
  for (const std::string& name : names) {
    // Told once; not opened again on every look.
    if (std::find(reportedCopies_.begin(), reportedCopies_.end(), name) != reportedCopies_.end()) continue;
    char path[kSafePathCapacity];
    if (!BuildSafePath(name.c_str(), path) ||
        std::find(costlyCopies_.begin(), costlyCopies_.end(), path) != costlyCopies_.end()) {
      continue;
    }
    auto copy = std::make_unique<EntryList>();
    switch (OpenConflictCopy(name.c_str(), password, *copy)) {
      case CopyOpening::kOpened:
        opened.push_back(name);
        copies.push_back(std::move(copy));
        break;
      case CopyOpening::kDoesNotOpen:
        reportedCopies_.push_back(name);
        merge.refused.push_back(name + ".SAFE");
        break;
      case CopyOpening::kTooCostly:
        costlyCopies_.push_back(path);
        merge.tooCostly.push_back(name + ".SAFE");
        break;
    }
  }
  // A key derivation for a copy let the window run: a lock or another
  // log-in meanwhile ends this merge with nothing shown or written.
  if (session_ != session || !loggedIn_) {
    ConflictMerge abandoned;
    abandoned.saved = false;
    return abandoned;
  }
  if (!copies.empty()) {
    // Into the newest list: pick up the file first, and let the save below
    // run the same check under the lock.
    if (PickUpDiskChange() == DiskPickUp::kNoLongerOpens) {
      merge.saved = false;
      return merge;
    }
    std::vector<Entry> selected = SelectedEntries();
    const EntryMatch match = OpenSafeMatch();
    // By id the copies come in as one list, each id once.
    EntryList combined;
    if (match == EntryMatch::kById) {
      for (const auto& copy : copies) MergeEntryLists(combined, *copy);
      merge.entries = AddMissingEntries(entries_, combined, match);
    } else {
      for (const auto& copy : copies) merge.entries += AddMissingEntries(entries_, *copy, match);
    }
    if (merge.entries > 0) {
      // What came in, as one change, so a newer file gets it too: by id the
      // combined copies, which merge by the same rules there; by fields the
      // entries added here.
      auto change = std::make_unique<EntryChange>();
      if (match == EntryMatch::kById) {
        change->added = std::move(combined.entries);
        change->deleted = std::move(combined.tombstones);
      } else {
        for (size_t i = entries_.entries.size() - merge.entries; i < entries_.entries.size(); ++i) {
          change->Add(entries_.entries[i]);
        }
      }
      pending_.push_back(std::move(change));
      RefreshView();
      Reselect(selected);
    }
    // A copy goes only once every entry it brought is in the file: also
    // when an earlier look brought them in and their save failed.
    if (!pending_.empty()) merge.saved = CommitPending() == CommitResult::kSaved;
    if (merge.saved) {
      for (const std::string& name : opened) {
        char path[kSafePathCapacity];
        if (BuildSafePath(name.c_str(), path) && unlink(path) == 0) ++merge.copies;
      }
    }
  }
  if (merge.copies > 0 || !merge.refused.empty() || !merge.tooCostly.empty()) {
    ShowStatus(ConflictMergeNote(merge).c_str());
  }
  return merge;
}

void Quillbox::CloseSafeUnsaved() {
  if (loggedIn_ && sessionListener_ != nullptr) sessionListener_->SafeClosing();
  HoldPendingChanges();
  ++session_;
  SetLoggedInMenu(false);
  entries_ = EntryList();
  RefreshView();
  key_.Wipe();
  loggedIn_ = false;
  known_ = SafeFingerprint();
  newestSeen_ = 0;
  reportedCopies_.clear();
}
