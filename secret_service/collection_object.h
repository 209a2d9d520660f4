#pragma once

#include "secret_service/bus_value.h"
#include "secret_service/item_access.h"
#include "secret_service/protocol_context.h"

// The one collection: the safe's served entries.
class CollectionObject {
 public:
  CollectionObject(ProtocolContext& context, ItemAccess& access) : context_(context), access_(access) {}

  void SearchItems(const BusCall& call);
  void CreateItem(const BusCall& call);
  void Delete(const BusCall& call);
  BusProperties Properties() const;

 private:
  ProtocolContext& context_;
  ItemAccess& access_;
};
