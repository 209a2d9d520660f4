#pragma once

#include <QObject>
#include <QTimer>

#include "app/gui/sleep_inhibitor.h"
#include "app/lock_policy.h"

class SessionLockWatcher;

// Tells the main window when to lock: keyboard and mouse input anywhere in
// the application restart the idle time (LockPolicy decides when it is up),
// and a locking desktop session locks at once when the setting says so.
// Sleep counts as a session lock; while a safe is open it holds back sleep
// (a logind delay inhibitor) until the lock has finished.
class LockWatch : public QObject {
  Q_OBJECT

 public:
  LockWatch(int lockAfterSeconds, bool lockOnScreenLock, QObject* parent = nullptr);
  ~LockWatch() override;

  void ApplySettings(int lockAfterSeconds, bool lockOnScreenLock);
  // Told by the window each time a safe opens or closes.
  void SetSafeOpen(bool open);
  bool HoldsBackSleep() const { return sleepInhibitor_.IsHeld(); }

 signals:
  void lockRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Tick();
  void OnSessionLocked();

  SystemClock clock_;
  LockPolicy policy_;
  QTimer ticker_;
  SessionLockWatcher* session_;
  SleepInhibitor sleepInhibitor_;
  bool safeOpen_ = false;
};
