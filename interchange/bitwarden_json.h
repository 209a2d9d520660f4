#pragma once

#include <string>
#include <string_view>

#include <vector>

#include "safe/entry.h"
#include "interchange/foreign_entry.h"

// Bitwarden's unencrypted JSON export: items of type 1 are logins.
bool ReadBitwardenJson(std::string_view text, ForeignFile* file, std::string* error);
bool WriteBitwardenJson(const std::vector<Entry>& entries, std::string* out, std::string* error);
