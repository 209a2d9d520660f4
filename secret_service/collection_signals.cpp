#include "secret_service/collection_signals.h"

#include "secret_service/item_attributes.h"
#include "secret_service/object_paths.h"

CollectionSignals::CollectionSignals(ProtocolContext& context)
    : context_(context),
      wasUnlocked_(context.IsUnlocked()),
      shownCollection_(context.Collection()),
      shownItems_(ServedItems()) {}

std::map<EntryId, int64_t> CollectionSignals::ServedItems() const {
  std::map<EntryId, int64_t> items;
  if (!context_.IsUnlocked()) return items;
  for (const Entry& entry : context_.store.Entries()) {
    if (IsServed(entry)) items[entry.id] = entry.modified;
  }
  return items;
}

CollectionSignals::Turn CollectionSignals::Update() {
  const bool unlocked = context_.IsUnlocked();
  const std::string collection = context_.Collection();
  std::map<EntryId, int64_t> items = ServedItems();
  SecretBus& bus = context_.bus;
  const bool sameCollection = collection == shownCollection_;
  if (!sameCollection) {
    if (!shownCollection_.empty()) {
      bus.Emit(kServicePath, kServiceInterface, "CollectionDeleted", {BusValue{ObjectPath{shownCollection_}}});
    }
    if (!collection.empty()) {
      bus.Emit(kServicePath, kServiceInterface, "CollectionCreated", {BusValue{ObjectPath{collection}}});
    }
  } else if (unlocked && wasUnlocked_) {
    EmitItemChanges(collection, items);
  }
  if (sameCollection && unlocked != wasUnlocked_ && !collection.empty()) {
    bus.Emit(kServicePath, kServiceInterface, "CollectionChanged", {BusValue{ObjectPath{collection}}});
  }
  const Turn turn = unlocked == wasUnlocked_ ? Turn::kNone : unlocked ? Turn::kUnlocked : Turn::kLocked;
  wasUnlocked_ = unlocked;
  shownCollection_ = collection;
  shownItems_ = std::move(items);
  return turn;
}

void CollectionSignals::EmitItemChanges(const std::string& collection, const std::map<EntryId, int64_t>& items) {
  // Both lists are sorted by id: one walk finds what came, went and changed.
  auto before = shownItems_.cbegin();
  auto now = items.cbegin();
  const auto emit = [&](const char* name, const EntryId& id) {
    context_.bus.Emit(collection, kCollectionInterface, name, {BusValue{ObjectPath{ItemPath(collection, id)}}});
  };
  while (before != shownItems_.cend() || now != items.cend()) {
    if (now == items.cend() || (before != shownItems_.cend() && before->first < now->first)) {
      emit("ItemDeleted", before->first);
      ++before;
    } else if (before == shownItems_.cend() || now->first < before->first) {
      emit("ItemCreated", now->first);
      ++now;
    } else {
      if (before->second != now->second) emit("ItemChanged", now->first);
      ++before;
      ++now;
    }
  }
}
