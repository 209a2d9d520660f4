#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "safe/entry.h"
#include "secret_service/item_attributes.h"

// Searches made while the safe is locked. Which entries match cannot be
// known then (they are in the sealed safe), so each search gets a stand-in:
// a locked item whose id no entry has. Unlocking it answers with the items
// that match once the safe is open, which is how a client that looks a
// secret up while locked gets it after the log-in. A stand-in belongs to
// the client that searched.
class LockedSearches {
 public:
  using Client = std::string;  // a connection's unique bus name

  // Beyond these a client's oldest is forgotten.
  static constexpr size_t kMaxPerClient = 16;

  EntryId Add(const Client& client, ItemAttributes wanted);
  // What the client searched for under that stand-in; null for any other id.
  const ItemAttributes* Find(const Client& client, const EntryId& id) const;
  void Forget(const Client& client);

 private:
  struct Search {
    Client client;
    EntryId id;
    ItemAttributes wanted;
  };

  std::deque<Search> searches_;
};
