#include "app/gui/lock_watch.h"

#include <QCoreApplication>
#include <QEvent>

#include "app/gui/session_lock_watcher.h"

namespace {

constexpr int kTickMs = 1000;

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::Wheel:
      return true;
    default:
      return false;
  }
}

}  // namespace

LockWatch::LockWatch(int lockAfterSeconds, bool lockOnScreenLock, QObject* parent)
    : QObject(parent), policy_(clock_), session_(new SessionLockWatcher(this)) {
  policy_.SetLockAfterSeconds(lockAfterSeconds);
  policy_.SetLockOnScreenLock(lockOnScreenLock);
  QCoreApplication::instance()->installEventFilter(this);
  ticker_.setInterval(kTickMs);
  connect(&ticker_, &QTimer::timeout, this, &LockWatch::Tick);
  ticker_.start();
  connect(session_, &SessionLockWatcher::sessionLocked, this, &LockWatch::OnSessionLocked);
}

LockWatch::~LockWatch() { QCoreApplication::instance()->removeEventFilter(this); }

void LockWatch::ApplySettings(int lockAfterSeconds, bool lockOnScreenLock) {
  policy_.SetLockAfterSeconds(lockAfterSeconds);
  policy_.SetLockOnScreenLock(lockOnScreenLock);
}

bool LockWatch::eventFilter(QObject* watched, QEvent* event) {
  if (IsUserInput(event->type())) policy_.NoteInput();
  return QObject::eventFilter(watched, event);
}

void LockWatch::Tick() {
  if (!policy_.IdleLockDue()) return;
  // Counted afresh from here, so a window left locked is not asked again each second.
  policy_.NoteInput();
  emit lockRequested();
}

void LockWatch::SetSafeOpen(bool open) {
  safeOpen_ = open;
  policy_.SetSafeOpen(open);
  // Without locking on a session lock there is nothing to wait for.
  if (open && policy_.LocksWithSession()) {
    sleepInhibitor_.Take();
  } else if (!open) {
    // Once the lock's remaining steps (clipboard, dialogs) are done too.
    QTimer::singleShot(0, this, [this] {
      if (!safeOpen_) sleepInhibitor_.Release();
    });
  }
}

void LockWatch::OnSessionLocked() {
  if (policy_.LocksWithSession()) emit lockRequested();
}
