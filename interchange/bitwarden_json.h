#pragma once

#include <string>
#include <string_view>

#include <vector>

#include "safe/entry.h"
#include "interchange/file_key.h"
#include "interchange/foreign_entry.h"

// Bitwarden's unencrypted JSON export: items of type 1 are logins.
bool ReadBitwardenJson(std::string_view text, ForeignFile* file, std::string* error);
bool WriteBitwardenJson(const std::vector<Entry>& entries, std::string* out, std::string* error);

// Its password-protected export ("encrypted" and "passwordProtected" true):
// the same export, encrypted under a key from the file's password.
bool IsProtectedBitwardenJson(std::string_view text);
bool ReadProtectedBitwardenJson(std::string_view text, const FileKey& key, ForeignFile* file, std::string* error);
