#include "secret_service/gui/secret_bus_types.h"

#include <QDBusMetaType>
#include <string.h>

#include "ui/gui/qt_secret_text.h"
#include "ui/gui/qt_text.h"

void BusSecret::Wipe() {
  // data() would copy a shared buffer and wipe the copy only.
  if (value.isDetached()) explicit_bzero(value.data(), static_cast<size_t>(value.size()));
  value.clear();
}

QDBusArgument& operator<<(QDBusArgument& argument, const BusSecret& secret) {
  argument.beginStructure();
  argument << secret.session << secret.parameters << secret.value << secret.contentType;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, BusSecret& secret) {
  argument.beginStructure();
  argument >> secret.session >> secret.parameters >> secret.value >> secret.contentType;
  argument.endStructure();
  return argument;
}

void RegisterSecretBusTypes() {
  qDBusRegisterMetaType<BusSecret>();
  qDBusRegisterMetaType<BusSecrets>();
  qDBusRegisterMetaType<BusAttributes>();
}

bool AttributesFromBus(const QVariant& variant, ItemAttributes* attributes) {
  if (variant.metaType() != QMetaType::fromType<QDBusArgument>()) return false;
  const QDBusArgument argument = variant.value<QDBusArgument>();
  if (argument.currentSignature() != QLatin1String("a{ss}")) return false;
  BusAttributes map;
  argument >> map;
  attributes->clear();
  attributes->reserve(static_cast<size_t>(map.size()));
  for (auto it = map.cbegin(); it != map.cend(); ++it) {
    attributes->push_back({SecretFromText(it.key()), SecretFromText(it.value())});
  }
  return true;
}

BusAttributes AttributesToBus(const ItemAttributes& attributes) {
  BusAttributes map;
  for (const ItemAttribute& attribute : attributes) {
    map.insert(TextFromBytes(attribute.name.view()), TextFromBytes(attribute.value.view()));
  }
  return map;
}
