#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "safe/entry.h"
#include "secret_service/protocol_context.h"

// What clients were last shown of the collection, and the signals that
// tell them what changed since: CollectionCreated, -Deleted and -Changed
// (locked or not) on the service; ItemCreated, -Deleted and -Changed on
// the collection.
class CollectionSignals {
 public:
  explicit CollectionSignals(ProtocolContext& context);

  enum class Turn { kNone, kUnlocked, kLocked };
  // After every refresh of the list; says whether the safe opened or locked since.
  Turn Update();

 private:
  std::map<EntryId, int64_t> ServedItems() const;  // id -> modified
  void EmitItemChanges(const std::string& collection, const std::map<EntryId, int64_t>& items);

  ProtocolContext& context_;
  bool wasUnlocked_ = false;
  std::string shownCollection_;
  std::map<EntryId, int64_t> shownItems_;
};
