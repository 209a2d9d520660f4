#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QMap>
#include <QString>
#include <QVariant>

#include "secret_service/item_attributes.h"

// The D-Bus names and types of the Secret Service, and conversions between
// them and the Qt-free model.

inline constexpr char kSecretsBusName[] = "org.freedesktop.secrets";
inline constexpr char kServiceInterface[] = "org.freedesktop.Secret.Service";
inline constexpr char kCollectionInterface[] = "org.freedesktop.Secret.Collection";
inline constexpr char kItemInterface[] = "org.freedesktop.Secret.Item";
inline constexpr char kSessionInterface[] = "org.freedesktop.Secret.Session";
inline constexpr char kPromptInterface[] = "org.freedesktop.Secret.Prompt";
inline constexpr char kPropertiesInterface[] = "org.freedesktop.DBus.Properties";
inline constexpr char kIntrospectableInterface[] = "org.freedesktop.DBus.Introspectable";

inline constexpr char kIsLockedError[] = "org.freedesktop.Secret.Error.IsLocked";
inline constexpr char kNoSessionError[] = "org.freedesktop.Secret.Error.NoSession";
inline constexpr char kNoSuchObjectError[] = "org.freedesktop.Secret.Error.NoSuchObject";
inline constexpr char kInvalidArgsError[] = "org.freedesktop.DBus.Error.InvalidArgs";
inline constexpr char kUnknownMethodError[] = "org.freedesktop.DBus.Error.UnknownMethod";
inline constexpr char kUnknownPropertyError[] = "org.freedesktop.DBus.Error.UnknownProperty";
inline constexpr char kNotSupportedError[] = "org.freedesktop.DBus.Error.NotSupported";
inline constexpr char kAccessDeniedError[] = "org.freedesktop.DBus.Error.AccessDenied";
inline constexpr char kFailedError[] = "org.freedesktop.DBus.Error.Failed";
inline constexpr char kLimitsExceededError[] = "org.freedesktop.DBus.Error.LimitsExceeded";

// The (oayays) structure: session, parameters, value, content type.
struct BusSecret {
  QDBusObjectPath session;
  QByteArray parameters;
  QByteArray value;
  QString contentType;

  // The value may be a secret: zeroed in place before it goes.
  void Wipe();
};
Q_DECLARE_METATYPE(BusSecret)

using BusSecrets = QMap<QDBusObjectPath, BusSecret>;
using BusAttributes = QMap<QString, QString>;

QDBusArgument& operator<<(QDBusArgument& argument, const BusSecret& secret);
const QDBusArgument& operator>>(const QDBusArgument& argument, BusSecret& secret);

// Once, before the first message.
void RegisterSecretBusTypes();

// A variant from the bus holding exactly a{ss}; false for any other type.
bool AttributesFromBus(const QVariant& variant, ItemAttributes* attributes);
BusAttributes AttributesToBus(const ItemAttributes& attributes);
