#pragma once

#include <string_view>

#include "safe/entry.h"

// The three designed fields of an entry, as the writers name them.
struct EntryFields {
  std::string_view description;
  std::string_view account_user;
  std::string_view password;
};

EntryFields DesignedFieldsOf(const Entry& entry);
