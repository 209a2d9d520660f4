#pragma once

#include <QObject>
#include <QTimer>

#include "app/lock_policy.h"

class SessionLockWatcher;

// Tells the main window when to lock: keyboard and mouse input anywhere in
// the application restart the idle time (LockPolicy decides when it is up),
// and a locking desktop session locks at once when the setting says so.
class LockWatch : public QObject {
  Q_OBJECT

 public:
  LockWatch(int lockAfterSeconds, bool lockOnScreenLock, QObject* parent = nullptr);
  ~LockWatch() override;

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
};
