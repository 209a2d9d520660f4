#pragma once

#include <string_view>

// The three fields of a loaded entry line (the loader guarantees two tabs).
struct EntryFields {
  std::string_view description;
  std::string_view account_user;
  std::string_view password;
};

EntryFields SplitEntryLine(std::string_view line);
