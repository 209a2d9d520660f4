#pragma once

#include <string>

#include "secret_service/access_grants.h"
#include "secret_service/bus_value.h"
#include "secret_service/collection_object.h"
#include "secret_service/collection_signals.h"
#include "secret_service/item_access.h"
#include "secret_service/item_object.h"
#include "secret_service/prompt_object.h"
#include "secret_service/protocol_context.h"
#include "secret_service/secret_asker.h"
#include "secret_service/secret_bus.h"
#include "secret_service/secret_store.h"
#include "secret_service/service_object.h"
#include "secret_service/session_object.h"

// The Secret Service without the bus: every object below
// /org/freedesktop/secrets, one class per kind, reached through one table
// of (kind, interface, member, signature). Arguments are checked against
// the signature before anything is read or changed.
class SecretServiceProtocol {
 public:
  SecretServiceProtocol(SecretBus& bus, SecretAsker& asker, SecretStore& store, AccessGrants& grants);
  // What still waits for the user fails, while everything it needs is here.
  ~SecretServiceProtocol();
  SecretServiceProtocol(const SecretServiceProtocol&) = delete;
  SecretServiceProtocol& operator=(const SecretServiceProtocol&) = delete;

  // Answered through the bus, at once or later.
  void HandleCall(const BusCall& call);
  // What the path names now, for introspection.
  ObjectKind KindOf(const std::string& path) const { return context_.Resolve(path).kind; }
  // After every refresh of the list: the signals, and the prompts and
  // reads that a log-in or lock settles.
  void NoteListChanged();
  // The user's answer to the asker's question.
  void Answer(AccessAnswer answer) { context_.gate.Answer(answer); }
  // The log-in that a prompt asked for closed, the safe open or not.
  void LogInEnded();
  void ForgetClient(const std::string& client) { context_.ForgetClient(client); }
  void SetConfirm(bool on) { context_.SetConfirm(on); }

  struct Objects {
    ServiceObject service;
    CollectionObject collection;
    ItemObject item;
    SessionObject session;
    PromptObject prompt;
  };

 private:
  void HandleProperties(const BusCall& call, const Target& target);
  // The properties of the interface on that target; none for an interface it has not.
  BusProperties PropertiesOf(const Target& target, const std::string& interface) const;

  ProtocolContext context_;
  ItemAccess access_;
  Objects objects_;
  CollectionSignals signals_;
};
