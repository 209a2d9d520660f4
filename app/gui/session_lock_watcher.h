#pragma once

#include <QObject>
#include <QString>

// Funnels the desktop's "the session is locking" signals into one:
// ActiveChanged(true) of the freedesktop, GNOME and Xfce screen savers on
// the session bus, and logind's Lock of this session and PrepareForSleep(true)
// on the system bus. A missing bus or service is silently left out.
class SessionLockWatcher : public QObject {
  Q_OBJECT

 public:
  explicit SessionLockWatcher(QObject* parent = nullptr);

 signals:
  void sessionLocked();

 private slots:
  void OnScreenSaverActiveChanged(bool active);
  void OnSessionLock();
  void OnPrepareForSleep(bool sleeping);

 private:
  void WatchScreenSavers();
  void WatchLogind();
};
