#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QMap>
#include <QString>
#include <QVariant>
#include <vector>

#include "secret_service/bus_value.h"

// The Secret Service's values as QtDBus carries them, and the conversions
// between them and the protocol's plain values.

// The (oayays) structure: session, parameters, value, content type.
struct DBusSecret {
  QDBusObjectPath session;
  QByteArray parameters;
  QByteArray value;
  QString contentType;
};
Q_DECLARE_METATYPE(DBusSecret)

using DBusSecrets = QMap<QDBusObjectPath, DBusSecret>;
using DBusAttributes = QMap<QString, QString>;

QDBusArgument& operator<<(QDBusArgument& argument, const DBusSecret& secret);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusSecret& secret);

// Once, before the first message.
void RegisterSecretBusTypes();

// A message's argument as the protocol sees it; OtherBusValue for a type it takes nowhere.
BusValue FromBus(const QVariant& variant);
// For a message; every secret's bytes are also added to secrets, to be
// wiped once the message is gone.
QVariant ToBus(const BusValue& value, std::vector<QByteArray>* secrets);
// A secret's bytes zeroed in place, when no other copy shares them.
void WipeBusBytes(QByteArray& bytes);
