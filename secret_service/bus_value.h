#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "core/secret_text.h"
#include "secret_service/item_attributes.h"

// D-Bus values as the protocol sees them: one plain type per signature the
// Secret Service uses. The QtDBus adapter converts to and from the bus.

struct ObjectPath {
  std::string path;
  bool operator==(const ObjectPath&) const = default;
};
using ObjectPaths = std::vector<ObjectPath>;
using BusBytes = std::vector<uint8_t>;

// (oayays): session, parameters (the IV), value, content type.
struct BusSecret {
  ObjectPath session;
  BusBytes parameters;
  SecretText value;
  std::string contentType;
};
// a{o(oayays)}
using BusSecrets = std::vector<std::pair<ObjectPath, BusSecret>>;

struct BusValue;
struct BusProperty;
// a{sv}
using BusProperties = std::vector<BusProperty>;
// v
struct BusVariant {
  std::shared_ptr<const BusValue> value;
};
// A type no call takes: its signature is refused before it is looked at.
struct OtherBusValue {};

struct BusValue {
  std::variant<OtherBusValue, bool, uint64_t, std::string, ObjectPath, BusBytes, ObjectPaths, ItemAttributes, BusSecret,
               BusSecrets, BusProperties, BusVariant>
      value;

  template <typename T>
  const T* As() const {
    return std::get_if<T>(&value);
  }
};

struct BusProperty {
  std::string name;
  BusValue value;
};

BusValue Variant(BusValue inner);
// The signature the adapter gives such a value; "?" for OtherBusValue.
std::string SignatureOf(const BusValue& value);
// The arguments are of exactly that signature, every variant holding a value.
bool HaveSignature(const std::vector<BusValue>& arguments, std::string_view signature);

// A method call as it came: who sent it, to what, and its arguments.
struct BusCall {
  uint64_t serial = 0;  // the adapter's handle, for a reply that comes later
  std::string sender;   // the connection's unique name
  std::string path;
  std::string interface;  // may be empty: then the member alone names the method
  std::string member;
  std::string signature;
  std::vector<BusValue> arguments;
};
