#include "app/gui/sleep_inhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>

#include "core/product_name.h"

namespace {

constexpr char kLogindService[] = "org.freedesktop.login1";
constexpr char kLogindPath[] = "/org/freedesktop/login1";
constexpr char kLogindManager[] = "org.freedesktop.login1.Manager";
// A bus that does not answer must not hold up the log-in.
constexpr int kLogindTimeoutMs = 500;

}  // namespace

void SleepInhibitor::Take() {
  if (IsHeld()) return;
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected()) return;
  QDBusMessage call =
      QDBusMessage::createMethodCall(QString::fromLatin1(kLogindService), QString::fromLatin1(kLogindPath),
                                     QString::fromLatin1(kLogindManager), QStringLiteral("Inhibit"));
  call << QStringLiteral("sleep") << QString::fromLatin1(kProductName)
       << QStringLiteral("Locking the open safe before sleep") << QStringLiteral("delay");
  const QDBusReply<QDBusUnixFileDescriptor> reply = bus.call(call, QDBus::Block, kLogindTimeoutMs);
  if (reply.isValid()) fd_ = reply.value();
}
