#include <errno.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "core/heapstring.h"
#include "safe/safe_store.h"

// Changes whose save failed: told at once, kept in the list, tried again at
// every later save, on the window's timer and at log-out, lock and exit, and
// held in guarded memory while their safe is closed. None is dropped unless
// the user says so.

namespace {

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char* text = FormatString(format, args...);
  if (text == nullptr) return format;
  std::string formatted = text;
  FreeString(text);
  return formatted;
}

}  // namespace

std::string Quillbox::SaveFailureText(const char* name) const {
  char path[kSafePathCapacity];
  if (!BuildSafePath(name != nullptr ? name : userName_, path)) return saveError_;
  return std::string(path) + ": " + saveError_;
}

void Quillbox::TakeSaveErrno() { saveError_ = errno != 0 ? strerror(errno) : kSafeNotWrittenReason; }

void Quillbox::NoteSaveResult(CommitResult result) {
  if (result == CommitResult::kSaved) {
    if (failureShown_) ShowStatus(kUnsavedChangesSavedNote);
    failureShown_ = false;
    return;
  }
  if (pending_.empty()) return;
  failureShown_ = true;
  ShowStatus(Format(kUnsavedChangesNote, SaveFailureText().c_str()).c_str());
}

void Quillbox::ReportSaveFailure(OwnerWindow owner, const char* message, const char* caption, const char* name) {
  if (view_ != nullptr) view_->ShowSaveFailure(owner, Format(message, SaveFailureText(name).c_str()).c_str(), caption);
}

bool Quillbox::RetryUnsavedChanges() {
  if (!loggedIn_ || pending_.empty()) return pending_.empty();
  return CommitPending() == CommitResult::kSaved;
}

bool Quillbox::SettleUnsavedChanges(OwnerWindow owner) {
  while (loggedIn_ && !pending_.empty() && CommitPending() != CommitResult::kSaved) {
    std::string question = Format(kUnsavedChangesQuestion, pending_.size(), SaveFailureText().c_str());
    int answer = Ask(owner, question.c_str(), kUnsavedChangesCaption, kMbRetryDiscardCancel | kMbIconWarning);
    if (answer == kIdDiscard) {
      pending_.clear();
      failureShown_ = false;
    } else if (answer != kIdRetry) {
      return false;
    }
  }
  // Held changes wait for their safe's password, which only a log-in gives.
  if (loggedIn_ || held_.empty()) return true;
  size_t count = 0;
  for (const HeldChanges& held : held_) count += held.Count();
  int answer = Ask(owner, Format(kHeldChangesQuestion, count).c_str(), kUnsavedChangesCaption,
                   kMbRetryDiscardCancel | kMbIconWarning);
  if (answer != kIdDiscard) return false;
  held_.clear();
  return true;
}

void Quillbox::HoldPendingChanges() {
  char path[kSafePathCapacity];
  if (pending_.empty() || !BuildSafePath(userName_, path)) return;
  HeldChanges held;
  // Only when memory has run out are they dropped: unsealed they would
  // outlive the lock in the clear, and they must not reach another safe.
  if (held.Hold(path, key_, pending_)) held_.push_back(std::move(held));
  pending_.clear();
}

void Quillbox::TakeHeldChanges(const char* name, const HeldSafeKey& key) {
  char path[kSafePathCapacity];
  if (!BuildSafePath(name, path)) return;
  // Changes sealed under another key (the password was changed elsewhere
  // meanwhile) stay held; the question at exit still counts them.
  for (auto held = held_.begin(); held != held_.end();) {
    held = held->TakeFor(path, key, pending_) ? held_.erase(held) : held + 1;
  }
}

void Quillbox::TakeChangesHeldUnderOldPassword() {
  char path[kSafePathCapacity];
  if (view_ == nullptr || !loggedIn_ || !BuildSafePath(userName_, path)) return;
  const auto isFor = [&path](const HeldChanges& held) { return held.IsFor(path); };
  auto found = std::find_if(held_.begin(), held_.end(), isFor);
  if (found == held_.end()) return;
  // A copy: the list may change while the key is derived.
  const HeldChanges sealed = *found;
  const auto opens = [&](const char* password) {
    HeldSafeKey old;
    bool derived = false;
    if (!RunSlow([&] { derived = sealed.DeriveKeyFor(password, old); }) || !derived) return false;
    HeldChanges::Changes taken;
    for (auto held = held_.begin(); held != held_.end();) {
      held = held->TakeFor(path, old, taken) ? held_.erase(held) : held + 1;
    }
    if (taken.empty()) return false;
    for (auto& change : taken) ApplyChange(std::move(change));
    if (CommitPending() != CommitResult::kSaved) ReportSaveFailure(nullptr);
    return true;
  };
  view_->AskSafePassword(nullptr, userName_, kHeldChangesOldPasswordPrompt, kHeldChangesOldPasswordRefused, opens);
}

void Quillbox::DropHeldChangesOf(const char* name) {
  char path[kSafePathCapacity];
  if (!BuildSafePath(name, path)) return;
  std::erase_if(held_, [&path](const HeldChanges& held) { return held.IsFor(path); });
  if (std::strcmp(name, userName_) == 0) pending_.clear();
}
