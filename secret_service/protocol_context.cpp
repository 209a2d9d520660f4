#include "secret_service/protocol_context.h"

#include "secret_service/item_attributes.h"
#include "secret_service/object_paths.h"

ProtocolContext::ProtocolContext(SecretBus& bus, SecretAsker& asker, SecretStore& store, AccessGrants& grants)
    : bus(bus),
      asker(asker),
      store(store),
      gate(
          asker, grants, [this](const EntryId& id) { return Served(id); },
          [this](const AccessGate::Client& client) { return Identify(client); }) {}

std::string ProtocolContext::Collection() const {
  const std::string user = store.UserName();
  return user.empty() ? std::string() : CollectionPath(user);
}

std::string ProtocolContext::PathOf(const EntryId& id) const { return ItemPath(Collection(), id); }

const Entry* ProtocolContext::Served(const EntryId& id) const {
  if (!IsUnlocked()) return nullptr;
  for (const Entry& entry : store.Entries()) {
    if (entry.id == id) return IsServed(entry) ? &entry : nullptr;
  }
  return nullptr;
}

Target ProtocolContext::Resolve(const std::string& path) const {
  Target target;
  const std::string collection = Collection();
  if (path == kServicePath) {
    target.kind = ObjectKind::kService;
  } else if (!collection.empty() && (path == collection || path == kDefaultAliasPath)) {
    target.kind = ObjectKind::kCollection;
  } else if (auto id = collection.empty() ? std::nullopt : ItemIdFromPath(collection, path)) {
    // A locked safe cannot tell which ids it holds: every item path is a locked item then.
    if (!IsUnlocked() || Served(*id) != nullptr) {
      target.kind = ObjectKind::kItem;
      target.id = *id;
    }
  } else if (auto session = SessionNumberFromPath(path); session && objects.HasSession(*session)) {
    target.kind = ObjectKind::kSession;
    target.number = *session;
  } else if (auto prompt = PromptNumberFromPath(path); prompt && objects.HasPrompt(*prompt)) {
    target.kind = ObjectKind::kPrompt;
    target.number = *prompt;
  }
  return target;
}

ObjectPaths ProtocolContext::Unlocked(const std::string& client, const std::vector<std::string>& paths) const {
  ObjectPaths unlocked;
  const std::string collection = Collection();
  const auto add = [&](std::string path) {
    for (const ObjectPath& known : unlocked) {
      if (known.path == path) return;
    }
    unlocked.push_back({std::move(path)});
  };
  for (const std::string& path : paths) {
    const Target target = Resolve(path);
    if (target.kind == ObjectKind::kCollection || target.kind == ObjectKind::kItem) {
      add(path);
    } else if (auto id = collection.empty() ? std::nullopt : ItemIdFromPath(collection, path)) {
      const ItemAttributes* wanted = searches.Find(client, *id);
      if (wanted == nullptr) continue;
      const std::vector<Entry>& entries = store.Entries();
      for (const size_t index : SearchEntries(entries, *wanted)) add(PathOf(entries[index].id));
    }
  }
  return unlocked;
}

void ProtocolContext::SetConfirm(bool on) {
  confirm_ = on;
  gate.SetConfirm(on);
}

void ProtocolContext::NoteClient(const std::string& client) {
  if (firstSeen_.count(client) != 0) return;
  firstSeen_[client] = ReadProcessIdentity(bus.ClientPid(client));
  bus.WatchClient(client);
}

ProcessIdentity ProtocolContext::Identify(const std::string& client) const {
  const auto found = firstSeen_.find(client);
  return found == firstSeen_.end() ? ProcessIdentity() : IdentifyClient(found->second.pid, found->second);
}

void ProtocolContext::ForgetClient(const std::string& client) {
  objects.Forget(client);
  searches.Forget(client);
  firstSeen_.erase(client);
  // Nobody is left to answer to: its questions go, the next client's come.
  gate.ForgetClient(client);
}
