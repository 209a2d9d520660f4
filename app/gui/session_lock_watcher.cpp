#include "app/gui/session_lock_watcher.h"

#include <unistd.h>

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>

namespace {

struct ScreenSaver {
  const char* path;
  const char* interface;
};

const ScreenSaver kScreenSavers[] = {
    {"/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"},
    {"/ScreenSaver", "org.freedesktop.ScreenSaver"},
    {"/org/gnome/ScreenSaver", "org.gnome.ScreenSaver"},
    {"/org/xfce/ScreenSaver", "org.xfce.ScreenSaver"},
};

constexpr char kLogindService[] = "org.freedesktop.login1";
constexpr char kLogindPath[] = "/org/freedesktop/login1";
constexpr char kLogindManager[] = "org.freedesktop.login1.Manager";
constexpr char kLogindSession[] = "org.freedesktop.login1.Session";
// A bus that does not answer must not hold up the window.
constexpr int kLogindTimeoutMs = 500;

// The logind session of this process: by XDG_SESSION_ID, or by process id
// where that is not set (sway, some display managers).
QString LogindSessionPath(QDBusConnection& bus) {
  QDBusInterface manager(QString::fromLatin1(kLogindService), QString::fromLatin1(kLogindPath),
                         QString::fromLatin1(kLogindManager), bus);
  if (!manager.isValid()) return {};
  manager.setTimeout(kLogindTimeoutMs);
  const QByteArray id = qgetenv("XDG_SESSION_ID");
  QDBusReply<QDBusObjectPath> reply = id.isEmpty()
                                          ? manager.call(QStringLiteral("GetSessionByPID"), static_cast<uint>(getpid()))
                                          : manager.call(QStringLiteral("GetSession"), QString::fromLatin1(id));
  return reply.isValid() ? reply.value().path() : QString();
}

}  // namespace

SessionLockWatcher::SessionLockWatcher(QObject* parent) : QObject(parent) {
  WatchScreenSavers();
  WatchLogind();
}

void SessionLockWatcher::WatchScreenSavers() {
  // Without an address libdbus would start a bus of its own (autolaunch).
  if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  for (const ScreenSaver& saver : kScreenSavers) {
    bus.connect(QString(), QString::fromLatin1(saver.path), QString::fromLatin1(saver.interface),
                QStringLiteral("ActiveChanged"), this, SLOT(OnScreenSaverActiveChanged(bool)));
  }
}

void SessionLockWatcher::WatchLogind() {
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected()) return;
  bus.connect(QString::fromLatin1(kLogindService), QString::fromLatin1(kLogindPath),
              QString::fromLatin1(kLogindManager), QStringLiteral("PrepareForSleep"), this,
              SLOT(OnPrepareForSleep(bool)));
  const QString session = LogindSessionPath(bus);
  if (session.isEmpty()) return;
  bus.connect(QString::fromLatin1(kLogindService), session, QString::fromLatin1(kLogindSession), QStringLiteral("Lock"),
              this, SLOT(OnSessionLock()));
}

void SessionLockWatcher::OnScreenSaverActiveChanged(bool active) {
  if (active) emit sessionLocked();
}

void SessionLockWatcher::OnSessionLock() { emit sessionLocked(); }

void SessionLockWatcher::OnPrepareForSleep(bool sleeping) {
  if (sleeping) emit sessionLocked();
}
