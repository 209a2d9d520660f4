#include "secret_service/gui/secret_bus_types.h"

#include <QDBusMetaType>
#include <QDBusVariant>
#include <string.h>

#include "core/overloaded.h"
#include "ui/gui/qt_secret_text.h"
#include "ui/gui/qt_text.h"

namespace {

QDBusObjectPath PathToBus(const ObjectPath& path) { return QDBusObjectPath(QString::fromStdString(path.path)); }

QByteArray BytesToBus(const BusBytes& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

DBusSecret SecretToBus(const BusSecret& secret, std::vector<QByteArray>* secrets) {
  const std::string_view value = secret.value.view();
  DBusSecret bus{PathToBus(secret.session), BytesToBus(secret.parameters),
                 QByteArray(value.data(), static_cast<qsizetype>(value.size())),
                 QString::fromStdString(secret.contentType)};
  secrets->push_back(bus.value);
  return bus;
}

BusValue ArgumentFromBus(const QDBusArgument& argument) {
  const QString signature = argument.currentSignature();
  if (signature == QLatin1String("ao")) {
    QList<QDBusObjectPath> paths;
    argument >> paths;
    ObjectPaths plain;
    for (const QDBusObjectPath& path : paths) plain.push_back({path.path().toStdString()});
    return BusValue{std::move(plain)};
  }
  if (signature == QLatin1String("a{ss}")) {
    DBusAttributes map;
    argument >> map;
    ItemAttributes attributes;
    attributes.reserve(static_cast<size_t>(map.size()));
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
      attributes.push_back({SecretFromText(it.key()), SecretFromText(it.value())});
    }
    return BusValue{std::move(attributes)};
  }
  if (signature == QLatin1String("(oayays)")) {
    DBusSecret secret;
    argument >> secret;
    BusSecret plain{ObjectPath{secret.session.path().toStdString()},
                    BusBytes(secret.parameters.begin(), secret.parameters.end()),
                    SecretText(std::string_view(secret.value.constData(), static_cast<size_t>(secret.value.size()))),
                    secret.contentType.toStdString()};
    WipeBusBytes(secret.value);
    return BusValue{std::move(plain)};
  }
  if (signature == QLatin1String("a{sv}")) {
    QVariantMap map;
    argument >> map;
    BusProperties properties;
    for (auto it = map.cbegin(); it != map.cend(); ++it) properties.push_back({it.key().toStdString(), FromBus(*it)});
    return BusValue{std::move(properties)};
  }
  return BusValue{};
}

}  // namespace

QDBusArgument& operator<<(QDBusArgument& argument, const DBusSecret& secret) {
  argument.beginStructure();
  argument << secret.session << secret.parameters << secret.value << secret.contentType;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusSecret& secret) {
  argument.beginStructure();
  argument >> secret.session >> secret.parameters >> secret.value >> secret.contentType;
  argument.endStructure();
  return argument;
}

void RegisterSecretBusTypes() {
  qDBusRegisterMetaType<DBusSecret>();
  qDBusRegisterMetaType<DBusSecrets>();
  qDBusRegisterMetaType<DBusAttributes>();
}

void WipeBusBytes(QByteArray& bytes) {
  // data() would copy a shared buffer and wipe the copy only.
  if (bytes.isDetached()) explicit_bzero(bytes.data(), static_cast<size_t>(bytes.size()));
  bytes.clear();
}

BusValue FromBus(const QVariant& variant) {
  const QMetaType type = variant.metaType();
  if (type == QMetaType::fromType<bool>()) return BusValue{variant.toBool()};
  if (type == QMetaType::fromType<qulonglong>()) return BusValue{static_cast<uint64_t>(variant.toULongLong())};
  if (type == QMetaType::fromType<QString>()) return BusValue{variant.toString().toStdString()};
  if (type == QMetaType::fromType<QDBusObjectPath>()) {
    return BusValue{ObjectPath{variant.value<QDBusObjectPath>().path().toStdString()}};
  }
  if (type == QMetaType::fromType<QByteArray>()) {
    const QByteArray bytes = variant.toByteArray();
    return BusValue{BusBytes(bytes.begin(), bytes.end())};
  }
  if (type == QMetaType::fromType<QDBusVariant>()) return Variant(FromBus(variant.value<QDBusVariant>().variant()));
  if (type == QMetaType::fromType<QList<QDBusObjectPath>>()) {
    ObjectPaths paths;
    for (const QDBusObjectPath& path : variant.value<QList<QDBusObjectPath>>()) {
      paths.push_back({path.path().toStdString()});
    }
    return BusValue{std::move(paths)};
  }
  if (type == QMetaType::fromType<QDBusArgument>()) return ArgumentFromBus(variant.value<QDBusArgument>());
  return BusValue{};
}

QVariant ToBus(const BusValue& value, std::vector<QByteArray>* secrets) {
  return std::visit(
      Overloaded{
          [](const OtherBusValue&) { return QVariant(); },
          [](bool flag) { return QVariant(flag); },
          [](uint64_t number) { return QVariant::fromValue(static_cast<qulonglong>(number)); },
          [](const std::string& text) { return QVariant(QString::fromStdString(text)); },
          [](const ObjectPath& path) { return QVariant::fromValue(PathToBus(path)); },
          [](const BusBytes& bytes) { return QVariant(BytesToBus(bytes)); },
          [](const ObjectPaths& paths) {
            QList<QDBusObjectPath> list;
            for (const ObjectPath& path : paths) list.append(PathToBus(path));
            return QVariant::fromValue(list);
          },
          [](const ItemAttributes& attributes) {
            DBusAttributes map;
            for (const ItemAttribute& attribute : attributes) {
              map.insert(TextFromBytes(attribute.name.view()), TextFromBytes(attribute.value.view()));
            }
            return QVariant::fromValue(map);
          },
          [&](const BusSecret& secret) { return QVariant::fromValue(SecretToBus(secret, secrets)); },
          [&](const BusSecrets& plain) {
            DBusSecrets map;
            for (const auto& [path, secret] : plain) map.insert(PathToBus(path), SecretToBus(secret, secrets));
            return QVariant::fromValue(map);
          },
          [&](const BusProperties& properties) {
            QVariantMap map;
            for (const BusProperty& property : properties) {
              map.insert(QString::fromStdString(property.name), ToBus(property.value, secrets));
            }
            return QVariant(map);
          },
          [&](const BusVariant& variant) { return QVariant::fromValue(QDBusVariant(ToBus(*variant.value, secrets))); },
      },
      value.value);
}
