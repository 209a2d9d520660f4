#pragma once

#include "secret_service/bus_value.h"
#include "secret_service/item_access.h"
#include "secret_service/protocol_context.h"

// /org/freedesktop/secrets: sessions, searches, locking and reading across
// the one collection.
class ServiceObject {
 public:
  ServiceObject(ProtocolContext& context, ItemAccess& access) : context_(context), access_(access) {}

  void OpenSession(const BusCall& call);
  void CreateCollection(const BusCall& call);
  void SearchItems(const BusCall& call);
  void Unlock(const BusCall& call);
  void Lock(const BusCall& call);
  void GetSecrets(const BusCall& call);
  void ReadAlias(const BusCall& call);
  void SetAlias(const BusCall& call);
  BusProperties Properties() const;

 private:
  // The collection and item paths among those a Lock or Unlock names.
  std::vector<std::string> OurLockables(const ObjectPaths& paths) const;

  ProtocolContext& context_;
  ItemAccess& access_;
};
