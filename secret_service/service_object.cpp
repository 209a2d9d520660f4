#include "secret_service/service_object.h"

#include <algorithm>

#include "secret_service/item_attributes.h"
#include "secret_service/object_paths.h"

namespace {

constexpr char kDefaultAlias[] = "default";

BusValue NoObject() { return BusValue{ObjectPath{kNoObjectPath}}; }

}  // namespace

void ServiceObject::OpenSession(const BusCall& call) {
  const std::string& algorithm = *call.arguments[0].As<std::string>();
  // Secrets in the clear over the bus are for a user who lets every program read them anyway.
  if (context_.Confirms() && algorithm == kPlainAlgorithm) {
    context_.bus.Fail(call, kNotSupportedError, "Plain sessions are refused while reads are confirmed.");
    return;
  }
  const BusValue& input = *call.arguments[1].As<BusVariant>()->value;
  BusBytes clientKey;
  if (algorithm != kPlainAlgorithm) {
    const BusBytes* bytes = input.As<BusBytes>();
    if (bytes == nullptr) {
      context_.bus.Fail(call, kInvalidArgsError, "The session's input must be a byte array.");
      return;
    }
    clientKey = *bytes;
  }
  std::vector<uint8_t> ours;
  SessionFault fault = SessionFault::kNone;
  auto crypto = SecretSession::Open(algorithm, clientKey, &ours, &fault);
  if (crypto == nullptr) {
    if (fault == SessionFault::kUnsupportedAlgorithm) {
      context_.bus.Fail(call, kNotSupportedError, "Unknown algorithm");
    } else if (fault == SessionFault::kBadInput) {
      context_.bus.Fail(call, kInvalidArgsError, "Not a public key of the group");
    } else {
      context_.bus.Fail(call, kFailedError, "No session could be opened");
    }
    return;
  }
  const auto number = context_.objects.AddSession(call.sender, std::move(crypto));
  if (!number) {
    context_.bus.Fail(call, kLimitsExceededError, "Too many open sessions.");
    return;
  }
  context_.bus.WatchClient(call.sender);
  BusValue output = algorithm == kPlainAlgorithm ? BusValue{std::string()} : BusValue{std::move(ours)};
  context_.bus.Reply(call, {Variant(std::move(output)), BusValue{ObjectPath{SessionPath(*number)}}});
}

void ServiceObject::CreateCollection(const BusCall& call) {
  // The one collection is the safe; a client asking for one gets it.
  const std::string collection = context_.Collection();
  context_.bus.Reply(call, {collection.empty() ? NoObject() : BusValue{ObjectPath{collection}}, NoObject()});
}

void ServiceObject::SearchItems(const BusCall& call) {
  const ItemAttributes& wanted = *call.arguments[0].As<ItemAttributes>();
  ObjectPaths unlocked;
  ObjectPaths locked;
  if (context_.IsUnlocked()) {
    const std::vector<Entry>& entries = context_.store.Entries();
    for (const size_t index : SearchEntries(entries, wanted)) unlocked.push_back({context_.PathOf(entries[index].id)});
  } else if (!context_.Collection().empty()) {
    // The entries are sealed: a stand-in, which Unlock turns into the matches.
    locked.push_back({context_.PathOf(context_.searches.Add(call.sender, wanted))});
    context_.bus.WatchClient(call.sender);
  }
  context_.bus.Reply(call, {BusValue{std::move(unlocked)}, BusValue{std::move(locked)}});
}

std::vector<std::string> ServiceObject::OurLockables(const ObjectPaths& paths) const {
  std::vector<std::string> ours;
  for (const ObjectPath& path : paths) {
    const ObjectKind kind = context_.Resolve(path.path).kind;
    if (kind == ObjectKind::kCollection || kind == ObjectKind::kItem) ours.push_back(path.path);
  }
  return ours;
}

void ServiceObject::Unlock(const BusCall& call) {
  const ObjectPaths& asked = *call.arguments[0].As<ObjectPaths>();
  if (context_.IsUnlocked()) {
    std::vector<std::string> paths;
    for (const ObjectPath& path : asked) paths.push_back(path.path);
    context_.bus.Reply(call, {BusValue{context_.Unlocked(call.sender, paths)}, NoObject()});
    return;
  }
  std::vector<std::string> ours = OurLockables(asked);
  if (ours.empty()) {
    context_.bus.Reply(call, {BusValue{ObjectPaths()}, NoObject()});
    return;
  }
  const auto number = context_.objects.AddPrompt(call.sender, std::move(ours));
  if (!number) {
    context_.bus.Fail(call, kLimitsExceededError, "Too many open prompts.");
    return;
  }
  context_.bus.WatchClient(call.sender);
  context_.bus.Reply(call, {BusValue{ObjectPaths()}, BusValue{ObjectPath{PromptPath(*number)}}});
}

void ServiceObject::Lock(const BusCall& call) {
  const std::vector<std::string> ours = OurLockables(*call.arguments[0].As<ObjectPaths>());
  // The safe is one lock: any of its objects locks it all, as the window's command does.
  if (!ours.empty() && context_.IsUnlocked()) context_.store.Lock();
  ObjectPaths locked;
  for (const std::string& path : ours) locked.push_back({path});
  context_.bus.Reply(call, {BusValue{std::move(locked)}, NoObject()});
}

void ServiceObject::GetSecrets(const BusCall& call) {
  const auto session = SessionNumberFromPath(call.arguments[1].As<ObjectPath>()->path);
  std::vector<EntryId> ids;
  const std::string collection = context_.Collection();
  for (const ObjectPath& path : *call.arguments[0].As<ObjectPaths>()) {
    // Items that are not there, or not ours, are left out.
    auto id = collection.empty() ? std::nullopt : ItemIdFromPath(collection, path.path);
    if (id && std::find(ids.begin(), ids.end(), *id) == ids.end()) ids.push_back(*id);
  }
  access_.ReadSecrets(call, std::move(ids), session.value_or(0), true);
}

void ServiceObject::ReadAlias(const BusCall& call) {
  const std::string collection = context_.Collection();
  const bool known = *call.arguments[0].As<std::string>() == kDefaultAlias && !collection.empty();
  context_.bus.Reply(call, {known ? BusValue{ObjectPath{collection}} : NoObject()});
}

void ServiceObject::SetAlias(const BusCall& call) {
  // One collection: "default" names it already, and nothing else can.
  if (*call.arguments[0].As<std::string>() == kDefaultAlias &&
      call.arguments[1].As<ObjectPath>()->path == context_.Collection()) {
    context_.bus.Reply(call, {});
  } else {
    context_.bus.Fail(call, kNotSupportedError, "Only \"default\" names the open safe's collection.");
  }
}

BusProperties ServiceObject::Properties() const {
  ObjectPaths collections;
  const std::string collection = context_.Collection();
  if (!collection.empty()) collections.push_back({collection});
  return {{"Collections", BusValue{std::move(collections)}}};
}
