#include "secret_service/bus_value.h"

#include "core/overloaded.h"

BusValue Variant(BusValue inner) { return BusValue{BusVariant{std::make_shared<const BusValue>(std::move(inner))}}; }

std::string SignatureOf(const BusValue& value) {
  return std::visit(Overloaded{
                        [](const OtherBusValue&) { return std::string("?"); },
                        [](bool) { return std::string("b"); },
                        [](uint64_t) { return std::string("t"); },
                        [](const std::string&) { return std::string("s"); },
                        [](const ObjectPath&) { return std::string("o"); },
                        [](const BusBytes&) { return std::string("ay"); },
                        [](const ObjectPaths&) { return std::string("ao"); },
                        [](const ItemAttributes&) { return std::string("a{ss}"); },
                        [](const BusSecret&) { return std::string("(oayays)"); },
                        [](const BusSecrets&) { return std::string("a{o(oayays)}"); },
                        [](const BusProperties&) { return std::string("a{sv}"); },
                        [](const BusVariant&) { return std::string("v"); },
                    },
                    value.value);
}

bool HaveSignature(const std::vector<BusValue>& arguments, std::string_view signature) {
  std::string actual;
  for (const BusValue& argument : arguments) {
    const BusVariant* variant = argument.As<BusVariant>();
    if (variant != nullptr && variant->value == nullptr) return false;
    actual += SignatureOf(argument);
  }
  return actual == signature;
}
