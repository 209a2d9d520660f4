#pragma once

#include <string>
#include <string_view>

#include <vector>

#include "safe/entry.h"
#include "interchange/foreign_entry.h"

// KeePass 2 XML, unencrypted, as KeePass and KeePassXC export and import it.
bool ReadKeepassXml(std::string_view text, ForeignFile* file, std::string* error);
// Under one group "Quillbox": each entry in the group its first tag names
// (a tag "Work/VPN" is the group VPN in Work), its other tags as KeePass
// tags, its code as otp and the TimeOtp fields, its custom fields (the
// protected ones, passwords and codes marked ProtectInMemory), times and
// history. An entry imported from KeePass keeps its UUID.
bool WriteKeepassXml(const std::vector<Entry>& entries, std::string* out, std::string* error);
