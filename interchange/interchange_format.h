#pragma once

#include <span>
#include <string>
#include <string_view>

#include <vector>

#include "safe/entry.h"
#include "interchange/file_key.h"
#include "interchange/foreign_entry.h"

// Reads a whole file's text into records. False with a one-line reason
// (led by the line where it applies) when the file cannot be read at all;
// login records go to the file's sink as they are read; malformed rows are
// counted in the file instead.
using InterchangeReader = bool (*)(std::string_view text, ForeignFile* file, std::string* error);

// Writes the safe's entries, with the fields the format has a place for, into out,
// which the writer reserves once so the passwords are never copied by
// growth. False with a reason when an entry cannot be written.
using InterchangeWriter = bool (*)(const std::vector<Entry>& entries, std::string* out, std::string* error);

// The same for files a password (and perhaps a key file) protects.
using KeyedReader = bool (*)(std::string_view bytes, const FileKey& key, ForeignFile* file, std::string* error);
using KeyedWriter = bool (*)(const std::vector<Entry>& entries, const FileKey& key, std::string* out,
                             std::string* error);

// One format another password manager reads or writes.
struct InterchangeFormat {
  const char* name;         // as --format takes it
  const char* title;        // for file dialogs and summaries
  const char* extension;    // without the dot
  InterchangeReader read;   // null: only protected files
  InterchangeWriter write;  // null: import only, or only protected files
  // Whether a file of this format is protected and needs a key to be read;
  // null: never.
  bool (*is_protected)(std::string_view bytes) = nullptr;
  KeyedReader read_protected = nullptr;
  KeyedWriter write_protected = nullptr;  // export asks for the new key
  bool takes_key_file = false;
  // Whether the format holds KeePass's field references as written (KeePass
  // XML, KDBX); the others get the values the references stand for.
  bool keeps_references = false;
};

// Every format, the safe's own CSV first.
std::span<const InterchangeFormat> InterchangeFormats();
// Null when no format has that name.
const InterchangeFormat* FindInterchangeFormat(std::string_view name);
// The format a file is in, from its signature (KDBX), its first line (CSV
// header), its root element (XML) or its shape (JSON); null when none fits.
const InterchangeFormat* DetectInterchangeFormat(std::string_view text);
// The entries written in a writable format (a protected one under the key),
// references resolved where the format has none.
bool WriteInterchange(const InterchangeFormat& format, const std::vector<Entry>& entries, const FileKey& key,
                      std::string* out, std::string* error);
// "quillbox-csv, keepassxc-csv, ..." for messages.
std::string InterchangeFormatNames(bool writable_only);
