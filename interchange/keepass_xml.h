#pragma once

#include <string>
#include <string_view>

#include <vector>

#include "safe/entry.h"
#include "interchange/foreign_entry.h"
#include "interchange/protected_value_stream.h"

// KeePass 2 XML, unencrypted, as KeePass and KeePassXC export and import it.
bool ReadKeepassXml(std::string_view text, ForeignFile* file, std::string* error);
// Under one group "Quillbox": each entry in the group its first tag names
// (a tag "Work/VPN" is the group VPN in Work), its other tags as KeePass
// tags, its code as otp and the TimeOtp fields, its custom fields (the
// protected ones, passwords and codes marked ProtectInMemory), times and
// history. An entry imported from KeePass keeps its UUID.
bool WriteKeepassXml(const std::vector<Entry>& entries, std::string* out, std::string* error);

// The XML inside a KDBX file: protected values are XORed with the file's
// inner stream, in the order they stand. Version 4 files also write their
// times as base64 seconds since year 1.
bool ReadKdbxXml(std::string_view xml, ProtectedValueStream& stream, ForeignFile* file, std::string* error);
bool WriteKdbxXml(const std::vector<Entry>& entries, ProtectedValueStream& stream, std::string* out,
                  std::string* error);
