#pragma once

#include <QDBusUnixFileDescriptor>

// A logind delay inhibitor for sleep: while it is held, logind waits (up to
// its InhibitDelayMaxSec) after announcing PrepareForSleep(true), so the
// open safe can be locked before memory is suspended or written to a
// hibernation image. A missing system bus or logind is ignored.
class SleepInhibitor {
 public:
  // Asks logind for the inhibitor unless it is held already.
  void Take();
  // Lets sleep go ahead: closing the descriptor ends the inhibitor.
  void Release() { fd_ = QDBusUnixFileDescriptor(); }
  bool IsHeld() const { return fd_.isValid(); }

 private:
  QDBusUnixFileDescriptor fd_;
};
