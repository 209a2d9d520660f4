#include "app/clipboard_keeper.h"

#include <string.h>

#include "core/heapstring.h"

ClipboardKeeper::ClipboardKeeper(ClipboardPort& port, const Clock& clock) : port_(port), clock_(clock) {}

ClipboardKeeper::~ClipboardKeeper() {
  if (copied_ != nullptr) WipeAndFree(copied_);
}

void ClipboardKeeper::SetClearSeconds(int seconds) {
  clearSeconds_ = seconds < 0 || seconds > kLongestWaitSeconds ? 0 : seconds;
}

bool ClipboardKeeper::Copy(const char* text, CopiedField what, int validSeconds) {
  if (copied_ != nullptr) {
    WipeAndFree(copied_);
    copied_ = nullptr;
  }
  if (text == nullptr || !port_.PutSecret(text)) return false;
  copied_ = DupBytes(text, strlen(text));
  // Without the copy there is nothing to compare against; do not leave the
  // secret behind uncounted.
  if (copied_ == nullptr) {
    port_.Clear();
    return false;
  }
  what_ = what;
  validSeconds_ = validSeconds;
  copiedAtMs_ = clock_.NowMs();
  return true;
}

ClipboardKeeper::Outcome ClipboardKeeper::Tick() {
  if (copied_ == nullptr) return Outcome::kNone;
  if (clearSeconds_ == 0 || SecondsLeft() > 0) return Outcome::kCountingDown;
  return Release();
}

ClipboardKeeper::Outcome ClipboardKeeper::ClearNow() { return copied_ == nullptr ? Outcome::kNone : Release(); }

ClipboardKeeper::Outcome ClipboardKeeper::Release() {
  const bool ours = port_.Holds(copied_);
  if (ours) port_.Clear();
  WipeAndFree(copied_);
  copied_ = nullptr;
  return ours ? Outcome::kCleared : Outcome::kLeftAlone;
}

int ClipboardKeeper::SecondsLeft() const {
  if (copied_ == nullptr || clearSeconds_ == 0) return -1;
  const uint32_t elapsed = clock_.NowMs() - copiedAtMs_;
  const uint32_t total = static_cast<uint32_t>(clearSeconds_) * 1000u;
  if (elapsed >= total) return 0;
  return static_cast<int>((total - elapsed + 999) / 1000);
}

std::string ClipboardKeeper::StatusText() const {
  if (copied_ == nullptr) return {};
  const uint32_t elapsedSeconds = (clock_.NowMs() - copiedAtMs_) / 1000u;
  switch (what_) {
    case CopiedField::kOneTimeCode:
      // The code's own life matters more than the clearing, which follows the usual rule.
      if (elapsedSeconds >= static_cast<uint32_t>(validSeconds_)) return "One-time code copied; no longer valid.";
      return "One-time code copied; valid for " + std::to_string(validSeconds_ - static_cast<int>(elapsedSeconds)) +
             " more seconds.";
    default:
      break;
  }
  std::string text = what_ == CopiedField::kUserName     ? "User name copied"
                     : what_ == CopiedField::kWebAddress ? "Web address copied"
                                                         : "Password copied";
  const int left = SecondsLeft();
  if (left >= 0) text += "; the clipboard is cleared in " + std::to_string(left) + " s";
  return text + ".";
}
