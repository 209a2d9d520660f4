#include "app/lock_policy.h"

LockPolicy::LockPolicy(const Clock& clock) : clock_(clock), lastInputMs_(clock.NowMs()) {}

void LockPolicy::SetLockAfterSeconds(int seconds) {
  lockAfterSeconds_ = seconds < 0 || seconds > kLongestWaitSeconds ? 0 : seconds;
}

void LockPolicy::NoteInput() { lastInputMs_ = clock_.NowMs(); }

void LockPolicy::SetSafeOpen(bool open) {
  safeOpen_ = open;
  if (open) NoteInput();
}

bool LockPolicy::IdleLockDue() const {
  if (!safeOpen_ || lockAfterSeconds_ == 0) return false;
  return clock_.NowMs() - lastInputMs_ >= static_cast<uint32_t>(lockAfterSeconds_) * 1000u;
}
