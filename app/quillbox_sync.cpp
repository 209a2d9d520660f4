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
#include "safe/safe_lock.h"
#include "safe/safe_store.h"

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

void Quillbox::SelectedLines(cpStringArray& lines) {
  lines.SetWipeOnRelease(true);
  if (view_ == nullptr) return;
  int rows = view_->GetRowCount();
  for (int row = 0; row < rows; ++row) {
    int index;
    if (!view_->IsRowSelected(row) || !view_->GetRowEntryIndex(row, index) || index < 0) continue;
    if (const char* line = entries_.GetAt(static_cast<uint32_t>(index))) lines.Add(line);
  }
}

void Quillbox::ReselectLines(const cpStringArray& lines) {
  if (view_ == nullptr || lines.GetCount() == 0) return;
  // One selected row per selected line; equal lines are taken in order.
  std::unordered_map<std::string_view, int> wanted;
  for (uint32_t i = 0; i < lines.GetCount(); ++i) ++wanted[lines.GetAt(i)];
  std::vector<uint32_t> indexes;
  for (uint32_t i = 0; i < entries_.GetCount(); ++i) {
    auto found = wanted.find(entries_.GetAt(i));
    if (found == wanted.end() || found->second == 0) continue;
    --found->second;
    indexes.push_back(i);
  }
  view_->SelectEntryIndexes(indexes);
}

void Quillbox::TakeNewerList(cpStringArray& newer, const SafeFingerprint& fingerprint) {
  bool editKeptAsNew = false;
  for (const auto& change : pending_) {
    editKeptAsNew |= ApplyEntryChange(newer, *change) == EntryChangeOutcome::kEditAddedAsNew;
  }
  cpStringArray selected;
  SelectedLines(selected);
  entries_.Swap(newer);
  known_ = fingerprint;
  RefreshView();
  ReselectLines(selected);
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
  if (ApplyEntryChange(entries_, *change) == EntryChangeOutcome::kFailed) return false;
  pending_.push_back(std::move(change));
  RefreshView();
  return true;
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
    cpStringArray newer;
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
  cpStringArray newer;
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
  TakeNewerList(newer, fingerprint);
  // Changes that could not be saved before go into the newer file now.
  if (!pending_.empty()) CommitPending();
  return DiskPickUp::kReloaded;
}

// Copies of this safe share its salt, so the held key opens them with no key
// derivation; one made apart, or still legacy, needs the password. A copy
// whose header asks for more Argon2id work than the safe's own is never
// derived: a damaged or hostile copy could cost minutes at every log-in.
Quillbox::CopyOpening Quillbox::OpenConflictCopy(const char* name, const char* password, cpStringArray& copy) {
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
  std::vector<std::unique_ptr<cpStringArray>> copies;
  for (const std::string& name : names) {
    // Told once; not opened again on every look.
    if (std::find(reportedCopies_.begin(), reportedCopies_.end(), name) != reportedCopies_.end()) continue;
    char path[kSafePathCapacity];
    if (!BuildSafePath(name.c_str(), path) ||
        std::find(costlyCopies_.begin(), costlyCopies_.end(), path) != costlyCopies_.end()) {
      continue;
    }
    auto copy = std::make_unique<cpStringArray>();
    copy->SetWipeOnRelease(true);
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
    cpStringArray selected;
    SelectedLines(selected);
    for (const auto& copy : copies) merge.entries += AddMissingEntries(entries_, *copy);
    if (merge.entries > 0) {
      auto change = std::make_unique<EntryChange>();
      // The entries that came in, as one change, so a newer file gets them too.
      for (uint32_t i = entries_.GetCount() - static_cast<uint32_t>(merge.entries); i < entries_.GetCount(); ++i) {
        change->Add(entries_.GetAt(i));
      }
      pending_.push_back(std::move(change));
      RefreshView();
      ReselectLines(selected);
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
  HoldPendingChanges();
  ++session_;
  SetLoggedInMenu(false);
  entries_.RemoveAll();
  RefreshView();
  key_.Wipe();
  loggedIn_ = false;
  known_ = SafeFingerprint();
  reportedCopies_.clear();
}
