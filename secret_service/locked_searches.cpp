#include "secret_service/locked_searches.h"

#include <algorithm>

EntryId LockedSearches::Add(const Client& client, ItemAttributes wanted) {
  const auto theirs =
      std::count_if(searches_.begin(), searches_.end(), [&](const Search& search) { return search.client == client; });
  if (static_cast<size_t>(theirs) >= kMaxPerClient) {
    searches_.erase(std::find_if(searches_.begin(), searches_.end(),
                                 [&](const Search& search) { return search.client == client; }));
  }
  searches_.push_back({client, EntryId::Random(), std::move(wanted)});
  return searches_.back().id;
}

const ItemAttributes* LockedSearches::Find(const Client& client, const EntryId& id) const {
  for (const Search& search : searches_) {
    if (search.client == client && search.id == id) return &search.wanted;
  }
  return nullptr;
}

void LockedSearches::Forget(const Client& client) {
  std::erase_if(searches_, [&](const Search& search) { return search.client == client; });
}
