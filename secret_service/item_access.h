#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "safe/entry.h"
#include "secret_service/access_question_text.h"
#include "secret_service/bus_value.h"
#include "secret_service/protocol_context.h"

// Reads and changes of items, each through the gate: it waits while the
// user is asked, and the call is answered when the gate lets it through
// (or why not). Entries are looked up again when the change is made.
class ItemAccess {
 public:
  explicit ItemAccess(ProtocolContext& context) : context_(context) {}

  // The secret a client sent, opened with its session; false with the error sent.
  bool OpenSecret(const BusCall& call, const BusSecret& secret, SecretText* text);
  // GetSecrets (many: every readable one, by path) or GetSecret (one, or an error).
  void ReadSecrets(const BusCall& call, std::vector<EntryId> ids, uint64_t session, bool many);
  // Runs the change once the gate lets the client make it, then answers with reply.
  void Change(const BusCall& call, const EntryId& id, std::function<void(Entry&)> change, std::vector<BusValue> reply);
  void Delete(const BusCall& call, const EntryId& id);
  void Fail(const BusCall& call, AccessOutcome outcome);

 private:
  void Write(const BusCall& call, const EntryId& id, AccessKind kind, std::function<void()> write);
  void FinishRead(const BusCall& call, const std::vector<EntryId>& ids, uint64_t session, bool many);
  // Null after answering a call about an item that went (or a safe that locked).
  const Entry* StillThere(const BusCall& call, const EntryId& id);
  // Answers a store's result: reply when done, else what failed (verb: "Changed", "Deleted").
  void Answer(const BusCall& call, const StoreResult& result, const char* refused, const char* verb,
              std::vector<BusValue> reply);

  ProtocolContext& context_;
};
