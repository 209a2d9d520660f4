#pragma once

#include <string>
#include <string_view>

#include <vector>

#include "safe/entry.h"
#include "interchange/foreign_entry.h"

// KeePass 2 XML, unencrypted, as KeePass and KeePassXC export and import it.
bool ReadKeepassXml(std::string_view text, ForeignFile* file, std::string* error);
// All entries in one group "Quillbox"; passwords marked ProtectInMemory.
bool WriteKeepassXml(const std::vector<Entry>& entries, std::string* out, std::string* error);
