#pragma once

#include <string>
#include <string_view>

#include "core/cpstringarray.h"
#include "interchange/foreign_entry.h"

// KeePass 2 XML, unencrypted, as KeePass and KeePassXC export and import it.
bool ReadKeepassXml(std::string_view text, ForeignFile* file, std::string* error);
// All entries in one group "Quillbox"; passwords marked ProtectInMemory.
bool WriteKeepassXml(const cpStringArray& entries, std::string* out, std::string* error);
