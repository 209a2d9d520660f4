#pragma once

#include "app/clock.h"
#include "settings/setting_catalogue.h"

// When an open safe locks by itself: after "Lock_After_Seconds" without
// keyboard or mouse input in Quillbox's windows (0: never), and when the
// desktop session locks while "Lock_On_Screen_Lock" is set. The window
// reports input and session locks; this decides.
class LockPolicy {
 public:
  explicit LockPolicy(const Clock& clock);

  void SetLockAfterSeconds(int seconds);
  void SetLockOnScreenLock(bool on) { lockOnScreenLock_ = on; }

  // Keyboard or mouse input.
  void NoteInput();
  // Idle time counts only while a safe is open, and from its opening: the
  // key derivation of a slow log-in is not time the user was away.
  void SetSafeOpen(bool open);
  bool IdleLockDue() const;
  // Whether a locked session screen should lock the safe.
  bool LocksWithSession() const { return lockOnScreenLock_; }

 private:
  const Clock& clock_;
  int lockAfterSeconds_ = kDefaultLockAfterSeconds;
  bool lockOnScreenLock_ = true;
  bool safeOpen_ = false;
  uint32_t lastInputMs_;
};
