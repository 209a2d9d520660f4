#include "secret_service/secret_service_protocol.h"

#include <string_view>

namespace {

using Objects = SecretServiceProtocol::Objects;
using Handler = void (*)(Objects&, const BusCall&, const Target&);

struct Method {
  ObjectKind kind;
  const char* interface;
  const char* member;
  const char* signature;
  Handler handle;
};

// Every method of every object kind. Properties are answered for any kind.
constexpr Method kMethods[] = {
    {ObjectKind::kService, kServiceInterface, "OpenSession", "sv",
     [](Objects& o, const BusCall& c, const Target&) { o.service.OpenSession(c); }},
    {ObjectKind::kService, kServiceInterface, "CreateCollection", "a{sv}s",
     [](Objects& o, const BusCall& c, const Target&) { o.service.CreateCollection(c); }},
    {ObjectKind::kService, kServiceInterface, "SearchItems", "a{ss}",
     [](Objects& o, const BusCall& c, const Target&) { o.service.SearchItems(c); }},
    {ObjectKind::kService, kServiceInterface, "Unlock", "ao",
     [](Objects& o, const BusCall& c, const Target&) { o.service.Unlock(c); }},
    {ObjectKind::kService, kServiceInterface, "Lock", "ao",
     [](Objects& o, const BusCall& c, const Target&) { o.service.Lock(c); }},
    {ObjectKind::kService, kServiceInterface, "GetSecrets", "aoo",
     [](Objects& o, const BusCall& c, const Target&) { o.service.GetSecrets(c); }},
    {ObjectKind::kService, kServiceInterface, "ReadAlias", "s",
     [](Objects& o, const BusCall& c, const Target&) { o.service.ReadAlias(c); }},
    {ObjectKind::kService, kServiceInterface, "SetAlias", "so",
     [](Objects& o, const BusCall& c, const Target&) { o.service.SetAlias(c); }},
    {ObjectKind::kCollection, kCollectionInterface, "SearchItems", "a{ss}",
     [](Objects& o, const BusCall& c, const Target&) { o.collection.SearchItems(c); }},
    {ObjectKind::kCollection, kCollectionInterface, "CreateItem", "a{sv}(oayays)b",
     [](Objects& o, const BusCall& c, const Target&) { o.collection.CreateItem(c); }},
    {ObjectKind::kCollection, kCollectionInterface, "Delete", "",
     [](Objects& o, const BusCall& c, const Target&) { o.collection.Delete(c); }},
    {ObjectKind::kItem, kItemInterface, "GetSecret", "o",
     [](Objects& o, const BusCall& c, const Target& t) { o.item.GetSecret(c, t.id); }},
    {ObjectKind::kItem, kItemInterface, "SetSecret", "(oayays)",
     [](Objects& o, const BusCall& c, const Target& t) { o.item.SetSecret(c, t.id); }},
    {ObjectKind::kItem, kItemInterface, "Delete", "",
     [](Objects& o, const BusCall& c, const Target& t) { o.item.Delete(c, t.id); }},
    {ObjectKind::kSession, kSessionInterface, "Close", "",
     [](Objects& o, const BusCall& c, const Target& t) { o.session.Close(c, t.number); }},
    {ObjectKind::kPrompt, kPromptInterface, "Prompt", "s",
     [](Objects& o, const BusCall& c, const Target& t) { o.prompt.Prompt(c, t.number); }},
    {ObjectKind::kPrompt, kPromptInterface, "Dismiss", "",
     [](Objects& o, const BusCall& c, const Target& t) { o.prompt.Dismiss(c, t.number); }},
};

const char* KindName(ObjectKind kind) {
  switch (kind) {
    case ObjectKind::kService:
      return "the service";
    case ObjectKind::kCollection:
      return "a collection";
    case ObjectKind::kItem:
      return "an item";
    case ObjectKind::kSession:
      return "a session";
    case ObjectKind::kPrompt:
      return "a prompt";
    case ObjectKind::kNone:
      break;
  }
  return "nothing";
}

// A call may leave the interface out: then its member alone names the method.
bool Names(const BusCall& call, const char* interface, const char* member) {
  return call.member == member && (call.interface.empty() || call.interface == interface);
}

}  // namespace

SecretServiceProtocol::SecretServiceProtocol(SecretBus& bus, SecretAsker& asker, SecretStore& store,
                                             AccessGrants& grants)
    : context_(bus, asker, store, grants),
      access_(context_),
      objects_{{context_, access_},
               {context_, access_},
               {context_, access_},
               SessionObject(context_),
               PromptObject(context_)},
      signals_(context_) {}

SecretServiceProtocol::~SecretServiceProtocol() { context_.gate.EndAll(AccessOutcome::kStopped); }

void SecretServiceProtocol::HandleCall(const BusCall& call) {
  SecretBus& bus = context_.bus;
  if (context_.Confirms()) context_.NoteClient(call.sender);
  const Target target = context_.Resolve(call.path);
  if (target.kind == ObjectKind::kNone) {
    bus.Fail(call, kNoSuchObjectError, "No such object: " + call.path);
    return;
  }
  if (call.interface == kPropertiesInterface) {
    HandleProperties(call, target);
    return;
  }
  for (const Method& method : kMethods) {
    if (method.kind != target.kind || !Names(call, method.interface, method.member)) continue;
    if (call.signature != method.signature || !HaveSignature(call.arguments, method.signature)) {
      bus.Fail(call, kInvalidArgsError,
               call.member + " takes (" + method.signature + "), not (" + call.signature + ")");
      return;
    }
    method.handle(objects_, call, target);
    return;
  }
  bus.Fail(call, kUnknownMethodError, "No method " + call.member + " on " + KindName(target.kind));
}

BusProperties SecretServiceProtocol::PropertiesOf(const Target& target, const std::string& interface) const {
  if (target.kind == ObjectKind::kService && interface == kServiceInterface) return objects_.service.Properties();
  if (target.kind == ObjectKind::kCollection && interface == kCollectionInterface) {
    return objects_.collection.Properties();
  }
  if (target.kind == ObjectKind::kItem && interface == kItemInterface) return objects_.item.Properties(target.id);
  return {};
}

void SecretServiceProtocol::HandleProperties(const BusCall& call, const Target& target) {
  SecretBus& bus = context_.bus;
  const auto expect = [&](std::string_view signature) {
    if (call.signature == signature && HaveSignature(call.arguments, signature)) return true;
    bus.Fail(call, kInvalidArgsError,
             call.member + " takes (" + std::string(signature) + "), not (" + call.signature + ")");
    return false;
  };
  if (call.member == "GetAll") {
    if (!expect("s")) return;
    bus.Reply(call, {BusValue{PropertiesOf(target, *call.arguments[0].As<std::string>())}});
  } else if (call.member == "Get") {
    if (!expect("ss")) return;
    const std::string& interface = *call.arguments[0].As<std::string>();
    const std::string& name = *call.arguments[1].As<std::string>();
    for (BusProperty& property : PropertiesOf(target, interface)) {
      if (property.name != name) continue;
      bus.Reply(call, {Variant(std::move(property.value))});
      return;
    }
    bus.Fail(call, kUnknownPropertyError, "No property " + interface + "." + name);
  } else if (call.member == "Set") {
    if (!expect("ssv")) return;
    const std::string& interface = *call.arguments[0].As<std::string>();
    const std::string& name = *call.arguments[1].As<std::string>();
    if (target.kind != ObjectKind::kItem || interface != kItemInterface || (name != "Label" && name != "Attributes")) {
      bus.Fail(call, kAccessDeniedError, interface + "." + name + " cannot be set");
      return;
    }
    objects_.item.SetProperty(call, target.id, name, *call.arguments[2].As<BusVariant>()->value);
  } else {
    bus.Fail(call, kUnknownMethodError, "No method " + call.member);
  }
}

void SecretServiceProtocol::NoteListChanged() {
  switch (signals_.Update()) {
    case CollectionSignals::Turn::kUnlocked:
      objects_.prompt.CompleteStarted(true);
      break;
    case CollectionSignals::Turn::kLocked:
      context_.gate.EndAll(AccessOutcome::kLocked);
      break;
    case CollectionSignals::Turn::kNone:
      break;
  }
}

void SecretServiceProtocol::LogInEnded() {
  // Opened: the list's refresh completes them, with what they unlocked.
  if (!context_.IsUnlocked()) objects_.prompt.CompleteStarted(false);
}
