#include "secret_service/collection_object.h"

#include <algorithm>

#include "secret_service/item_attributes.h"
#include "secret_service/object_paths.h"

namespace {

constexpr char kLabelProperty[] = "org.freedesktop.Secret.Item.Label";
constexpr char kAttributesProperty[] = "org.freedesktop.Secret.Item.Attributes";

}  // namespace

void CollectionObject::SearchItems(const BusCall& call) {
  ObjectPaths found;
  // Its one list holds unlocked items: a locked collection's client unlocks it first.
  if (context_.IsUnlocked()) {
    const std::vector<Entry>& entries = context_.store.Entries();
    for (const size_t index : SearchEntries(entries, *call.arguments[0].As<ItemAttributes>())) {
      found.push_back({context_.PathOf(entries[index].id)});
    }
  }
  context_.bus.Reply(call, {BusValue{std::move(found)}});
}

void CollectionObject::CreateItem(const BusCall& call) {
  if (!context_.IsUnlocked()) {
    context_.bus.Fail(call, kIsLockedError, "The safe is locked.");
    return;
  }
  std::string label;
  ItemAttributes attributes;
  for (const BusProperty& property : *call.arguments[0].As<BusProperties>()) {
    if (property.name == kLabelProperty) {
      const std::string* text = property.value.As<std::string>();
      if (text == nullptr) {
        context_.bus.Fail(call, kInvalidArgsError, "The label is a string.");
        return;
      }
      label = *text;
    } else if (property.name == kAttributesProperty) {
      const ItemAttributes* given = property.value.As<ItemAttributes>();
      if (given == nullptr) {
        context_.bus.Fail(call, kInvalidArgsError, "Attributes are a{ss}.");
        return;
      }
      attributes = *given;
    }
  }
  if (const char* why = CheckClientAttributes(attributes)) {
    context_.bus.Fail(call, kInvalidArgsError, why);
    return;
  }
  SecretText text;
  if (!access_.OpenSecret(call, *call.arguments[1].As<BusSecret>(), &text)) return;
  const SecretText title(label);
  const bool replace = *call.arguments[2].As<bool>();
  const std::vector<Entry>& entries = context_.store.Entries();
  if (const auto same = replace ? FindSameItem(entries, attributes) : std::nullopt) {
    const EntryId id = entries[*same].id;
    // The entry keeps what clients cannot see: notes, tags, protected fields, history.
    access_.Change(call, id,
                   [attributes, title, text](Entry& edited) {
                     ApplyAttributes(attributes, &edited);
                     edited.title = title;
                     edited.password = text;
                   },
                   {BusValue{ObjectPath{context_.PathOf(id)}}, BusValue{ObjectPath{kNoObjectPath}}});
    return;
  }
  Entry entry = NewItemEntry(title.view(), attributes, text.view());
  if (const char* why = context_.store.Check(entry)) {
    context_.bus.Fail(call, kInvalidArgsError, why);
    return;
  }
  EntryId added;
  const StoreResult result = context_.store.Add(std::move(entry), &added);
  if (result.kind == StoreResult::Kind::kRefused) {
    context_.bus.Fail(call, kFailedError, "The item could not be stored.");
  } else if (result.kind == StoreResult::Kind::kNotSaved) {
    context_.bus.Fail(call, kFailedError, "Stored, but not yet saved: " + result.why);
  } else {
    context_.gate.NoteCreated(call.sender, added);
    context_.bus.Reply(call, {BusValue{ObjectPath{context_.PathOf(added)}}, BusValue{ObjectPath{kNoObjectPath}}});
  }
}

void CollectionObject::Delete(const BusCall& call) {
  context_.bus.Fail(call, kNotSupportedError, "The safe is deleted in Quillbox, not by other programs.");
}

BusProperties CollectionObject::Properties() const {
  ObjectPaths items;
  uint64_t created = 0;
  uint64_t modified = 0;
  if (context_.IsUnlocked()) {
    for (const Entry& entry : context_.store.Entries()) {
      if (!IsServed(entry)) continue;
      items.push_back({context_.PathOf(entry.id)});
      const auto entryCreated = static_cast<uint64_t>(std::max<int64_t>(entry.created, 0));
      if (created == 0 || entryCreated < created) created = entryCreated;
      modified = std::max(modified, static_cast<uint64_t>(std::max<int64_t>(entry.modified, 0)));
    }
  }
  return {{"Items", BusValue{std::move(items)}},
          {"Label", BusValue{context_.store.UserName()}},
          {"Locked", BusValue{!context_.IsUnlocked()}},
          {"Created", BusValue{created}},
          {"Modified", BusValue{modified}}};
}
