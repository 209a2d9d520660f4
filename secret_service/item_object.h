#pragma once

#include <string>

#include "secret_service/bus_value.h"
#include "secret_service/item_access.h"
#include "secret_service/protocol_context.h"

// A served entry: label = title, secret = password, attributes (see
// item_attributes.h). While locked it shows nothing of its entry.
class ItemObject {
 public:
  ItemObject(ProtocolContext& context, ItemAccess& access) : context_(context), access_(access) {}

  void GetSecret(const BusCall& call, const EntryId& id);
  void SetSecret(const BusCall& call, const EntryId& id);
  void Delete(const BusCall& call, const EntryId& id);
  BusProperties Properties(const EntryId& id) const;
  // Properties.Set: the label and the attributes only.
  void SetProperty(const BusCall& call, const EntryId& id, const std::string& name, const BusValue& value);

 private:
  // False (and IsLocked sent) while locked.
  bool Unlocked(const BusCall& call);

  ProtocolContext& context_;
  ItemAccess& access_;
};
