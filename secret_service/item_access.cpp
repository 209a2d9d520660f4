#include "secret_service/item_access.h"

#include "safe/field_reference.h"
#include "secret_service/item_attributes.h"
#include "secret_service/object_paths.h"

bool ItemAccess::OpenSecret(const BusCall& call, const BusSecret& secret, SecretText* text) {
  const auto number = SessionNumberFromPath(secret.session.path);
  const SecretSession* session = number ? context_.objects.SessionOf(call.sender, *number) : nullptr;
  if (session == nullptr) {
    context_.bus.Fail(call, kNoSessionError, "No such session");
    return false;
  }
  const std::string_view value = secret.value.view();
  const SessionFault fault =
      session->Unseal(secret.parameters, std::span(reinterpret_cast<const uint8_t*>(value.data()), value.size()), text);
  if (fault != SessionFault::kNone) {
    context_.bus.Fail(call, kInvalidArgsError, "The secret does not open with its session.");
    return false;
  }
  return true;
}

void ItemAccess::Fail(const BusCall& call, AccessOutcome outcome) {
  SecretBus& bus = context_.bus;
  switch (outcome) {
    case AccessOutcome::kAllowed:
      break;
    case AccessOutcome::kDenied:
      bus.Fail(call, kAccessDeniedError, "The user did not allow it.");
      break;
    case AccessOutcome::kGone:
      bus.Fail(call, context_.IsUnlocked() ? kNoSuchObjectError : kIsLockedError, "The item is not there.");
      break;
    case AccessOutcome::kLocked:
      bus.Fail(call, kIsLockedError, "The safe was locked.");
      break;
    case AccessOutcome::kLimited:
      bus.Fail(call, kLimitsExceededError, "Too many requests wait for the user.");
      break;
    case AccessOutcome::kStopped:
      bus.Fail(call, kFailedError, "The Secret Service was turned off.");
      break;
  }
}

void ItemAccess::Write(const BusCall& call, const EntryId& id, AccessKind kind, std::function<void()> write) {
  context_.gate.Request(call.sender, kind, {id},
                        [this, call, write = std::move(write)](AccessOutcome outcome, const std::vector<EntryId>&) {
                          if (outcome == AccessOutcome::kAllowed) {
                            write();
                          } else {
                            Fail(call, outcome);
                          }
                        });
}

const Entry* ItemAccess::StillThere(const BusCall& call, const EntryId& id) {
  const Entry* found = context_.Served(id);
  if (found == nullptr) {
    context_.bus.Fail(call, context_.IsUnlocked() ? kNoSuchObjectError : kIsLockedError, "The item is not there.");
  }
  return found;
}

void ItemAccess::Answer(const BusCall& call, const StoreResult& result, const char* refused, const char* verb,
                        std::vector<BusValue> reply) {
  switch (result.kind) {
    case StoreResult::Kind::kDone:
      context_.bus.Reply(call, std::move(reply));
      break;
    case StoreResult::Kind::kRefused:
      context_.bus.Fail(call, kFailedError, refused);
      break;
    case StoreResult::Kind::kNotSaved:
      context_.bus.Fail(call, kFailedError, std::string(verb) + ", but not yet saved: " + result.why);
      break;
  }
}

void ItemAccess::Change(const BusCall& call, const EntryId& id, std::function<void(Entry&)> change,
                        std::vector<BusValue> reply) {
  Write(call, id, AccessKind::kChange, [this, call, id, change = std::move(change), reply = std::move(reply)] {
    const Entry* found = StillThere(call, id);
    if (found == nullptr) return;
    Entry edited = *found;
    change(edited);
    if (const char* why = context_.store.Check(edited)) {
      context_.bus.Fail(call, kInvalidArgsError, why);
      return;
    }
    Answer(call, context_.store.Replace(id, std::move(edited)), "The item could not be changed.", "Changed", reply);
  });
}

void ItemAccess::Delete(const BusCall& call, const EntryId& id) {
  Write(call, id, AccessKind::kDelete, [this, call, id] {
    if (StillThere(call, id) == nullptr) return;
    Answer(call, context_.store.Delete(id), "The item could not be deleted.", "Deleted",
           {BusValue{ObjectPath{kNoObjectPath}}});
  });
}

void ItemAccess::ReadSecrets(const BusCall& call, std::vector<EntryId> ids, uint64_t session, bool many) {
  if (context_.objects.SessionOf(call.sender, session) == nullptr) {
    context_.bus.Fail(call, kNoSessionError, "No such session");
    return;
  }
  // Locked items, and items not there, are left out (a locked safe has none).
  context_.gate.Request(call.sender, AccessKind::kRead, std::move(ids),
                        [this, call, session, many](AccessOutcome outcome, const std::vector<EntryId>& allowed) {
                          if (outcome == AccessOutcome::kAllowed) {
                            FinishRead(call, allowed, session, many);
                          } else {
                            Fail(call, outcome);
                          }
                        });
}

void ItemAccess::FinishRead(const BusCall& call, const std::vector<EntryId>& ids, uint64_t number, bool many) {
  const SecretSession* session = context_.objects.SessionOf(call.sender, number);
  if (session == nullptr) {
    context_.bus.Fail(call, kNoSessionError, "The session was closed.");
    return;
  }
  // GetSecrets leaves locked items out; GetSecret of one is an error.
  if (!context_.IsUnlocked() && !many) {
    context_.bus.Fail(call, kIsLockedError, "The safe is locked.");
    return;
  }
  BusSecrets secrets;
  for (const EntryId& id : ids) {
    const Entry* entry = context_.Served(id);
    if (entry == nullptr) continue;
    const SecretText password = ResolveFieldReferences(entry->password.view(), context_.store.Entries());
    SealedSecret sealed;
    if (!session->Seal(password.view(), &sealed)) continue;
    BusSecret secret;
    secret.session = ObjectPath{SessionPath(number)};
    secret.parameters = std::move(sealed.parameters);
    secret.value = std::string_view(reinterpret_cast<const char*>(sealed.value.data()), sealed.value.size());
    secret.contentType = kSecretContentType;
    secrets.emplace_back(ObjectPath{context_.PathOf(id)}, std::move(secret));
  }
  if (!many && secrets.empty()) {
    context_.bus.Fail(call, kNoSuchObjectError, "The item is not there.");
    return;
  }
  if (many) {
    context_.bus.Reply(call, {BusValue{std::move(secrets)}});
  } else {
    context_.bus.Reply(call, {BusValue{std::move(secrets.front().second)}});
  }
}
