#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "safe/entry.h"
#include "secret_service/access_gate.h"
#include "secret_service/access_grants.h"
#include "secret_service/bus_value.h"
#include "secret_service/client_objects.h"
#include "secret_service/locked_searches.h"
#include "secret_service/process_identity.h"
#include "secret_service/secret_asker.h"
#include "secret_service/secret_bus.h"
#include "secret_service/secret_store.h"

enum class ObjectKind { kNone, kService, kCollection, kItem, kSession, kPrompt };

// The object a path names.
struct Target {
  ObjectKind kind = ObjectKind::kNone;
  EntryId id;           // items
  uint64_t number = 0;  // sessions and prompts
};

// What every object kind shares: the bus, the asker and the safe; the
// clients' sessions, prompts and locked searches, who they are, and the
// gate their reads and changes pass. The collection (the safe, also under
// the "default" alias) exists as soon as a user is chosen, locked until
// log-in; its items are the served entries, the others no objects at all.
class ProtocolContext {
 public:
  ProtocolContext(SecretBus& bus, SecretAsker& asker, SecretStore& store, AccessGrants& grants);
  ProtocolContext(const ProtocolContext&) = delete;
  ProtocolContext& operator=(const ProtocolContext&) = delete;

  // Empty when no user is chosen: then there is no collection.
  std::string Collection() const;
  std::string PathOf(const EntryId& id) const;
  bool IsUnlocked() const { return store.IsUnlocked(); }
  // The served entry of that id; null when there is none, or while locked.
  const Entry* Served(const EntryId& id) const;
  Target Resolve(const std::string& path) const;
  // The objects an Unlock of these paths opens, now that the safe is open:
  // the collection, the served items, and for a stand-in of the client's
  // locked searches the items that match it.
  ObjectPaths Unlocked(const std::string& client, const std::vector<std::string>& paths) const;

  // "Secret_Service_Confirm": reads, and changes to entries the client did
  // not create, ask the user first; a plain session is refused.
  void SetConfirm(bool on);
  bool Confirms() const { return confirm_; }
  // The process behind a client's connection, recorded at its first call
  // and checked again whenever it is named to the user.
  void NoteClient(const std::string& client);
  ProcessIdentity Identify(const std::string& client) const;
  void ForgetClient(const std::string& client);

  SecretBus& bus;
  SecretAsker& asker;
  SecretStore& store;
  ClientObjects objects;
  LockedSearches searches;
  AccessGate gate;

 private:
  bool confirm_ = true;
  std::map<std::string, ProcessIdentity> firstSeen_;
};
