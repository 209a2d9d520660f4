#include "secret_service/item_object.h"

#include <algorithm>

#include "secret_service/item_attributes.h"
#include "secret_service/object_paths.h"

bool ItemObject::Unlocked(const BusCall& call) {
  if (context_.IsUnlocked()) return true;
  context_.bus.Fail(call, kIsLockedError, "The safe is locked.");
  return false;
}

void ItemObject::GetSecret(const BusCall& call, const EntryId& id) {
  if (!Unlocked(call)) return;
  const auto session = SessionNumberFromPath(call.arguments[0].As<ObjectPath>()->path);
  access_.ReadSecrets(call, {id}, session.value_or(0), false);
}

void ItemObject::SetSecret(const BusCall& call, const EntryId& id) {
  if (!Unlocked(call)) return;
  SecretText text;
  if (!access_.OpenSecret(call, *call.arguments[0].As<BusSecret>(), &text)) return;
  access_.Change(call, id, [text](Entry& edited) { edited.password = text; }, {});
}

void ItemObject::Delete(const BusCall& call, const EntryId& id) {
  if (Unlocked(call)) access_.Delete(call, id);
}

BusProperties ItemObject::Properties(const EntryId& id) const {
  const Entry* entry = context_.Served(id);
  const auto time = [](int64_t seconds) { return BusValue{static_cast<uint64_t>(std::max<int64_t>(seconds, 0))}; };
  return {{"Locked", BusValue{entry == nullptr}},
          {"Attributes", BusValue{entry ? AttributesOf(*entry) : ItemAttributes()}},
          {"Label", BusValue{entry ? std::string(entry->title.view()) : std::string()}},
          {"Created", time(entry ? entry->created : 0)},
          {"Modified", time(entry ? entry->modified : 0)}};
}

void ItemObject::SetProperty(const BusCall& call, const EntryId& id, const std::string& name, const BusValue& value) {
  if (!Unlocked(call)) return;
  if (name == "Label") {
    const std::string* label = value.As<std::string>();
    if (label == nullptr) {
      context_.bus.Fail(call, kInvalidArgsError, "The label is a string.");
      return;
    }
    const SecretText title(*label);
    access_.Change(call, id, [title](Entry& edited) { edited.title = title; }, {});
    return;
  }
  const ItemAttributes* attributes = value.As<ItemAttributes>();
  if (attributes == nullptr) {
    context_.bus.Fail(call, kInvalidArgsError, "Attributes are a{ss}.");
    return;
  }
  if (const char* why = CheckClientAttributes(*attributes)) {
    context_.bus.Fail(call, kInvalidArgsError, why);
    return;
  }
  access_.Change(call, id, [wanted = *attributes](Entry& edited) { ApplyAttributes(wanted, &edited); }, {});
}
