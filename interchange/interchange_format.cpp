#include "interchange/interchange_format.h"

#include "interchange/bitwarden_json.h"
#include "interchange/csv_formats.h"
#include "interchange/kdbx.h"
#include "interchange/keepass_xml.h"
#include "safe/field_reference.h"

#include <algorithm>

namespace {

constexpr InterchangeFormat kFormats[] = {
    {"quillbox-csv", "Quillbox CSV", "csv", ReadQuillboxCsv, WriteQuillboxCsv},
    {"keepassxc-csv", "KeePassXC CSV", "csv", ReadKeepassxcCsv, WriteKeepassxcCsv},
    {"keepass-xml", "KeePass XML", "xml", ReadKeepassXml, WriteKeepassXml, nullptr, nullptr, nullptr, false, true},
    {"bitwarden-csv", "Bitwarden CSV", "csv", ReadBitwardenCsv, WriteBitwardenCsv},
    {"bitwarden-json", "Bitwarden JSON", "json", ReadBitwardenJson, WriteBitwardenJson, IsProtectedBitwardenJson,
     ReadProtectedBitwardenJson},
    {"chrome-csv", "Chrome CSV", "csv", ReadChromeCsv, nullptr},
    {"firefox-csv", "Firefox CSV", "csv", ReadFirefoxCsv, nullptr},
    {"kdbx", "KeePass database", "kdbx", nullptr, nullptr, IsKdbx, ReadKdbx, WriteKdbx, true, true},
};

std::string_view SkipByteOrderMarkAndSpace(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  size_t start = text.find_first_not_of(" \t\r\n");
  return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

}  // namespace

std::span<const InterchangeFormat> InterchangeFormats() { return kFormats; }

const InterchangeFormat* FindInterchangeFormat(std::string_view name) {
  for (const InterchangeFormat& format : kFormats) {
    if (name == format.name) return &format;
  }
  return nullptr;
}

const InterchangeFormat* DetectInterchangeFormat(std::string_view text) {
  if (IsKdbx(text)) return FindInterchangeFormat("kdbx");
  std::string_view start = SkipByteOrderMarkAndSpace(text);
  if (start.starts_with('<')) return FindInterchangeFormat("keepass-xml");
  if (start.starts_with('{') || start.starts_with('[')) return FindInterchangeFormat("bitwarden-json");
  // A header names no field that holds a line break, so its first line is
  // it, whichever line end the file uses.
  std::string_view first_line = text.substr(0, text.find_first_of("\r\n"));
  const char* name = CsvFormatOfHeader(first_line);
  return name == nullptr ? nullptr : FindInterchangeFormat(name);
}

bool WriteInterchange(const InterchangeFormat& format, const std::vector<Entry>& entries, const FileKey& key,
                      std::string* out, std::string* error) {
  std::vector<Entry> resolved;
  if (!format.keeps_references && std::any_of(entries.begin(), entries.end(), EntryHasFieldReference)) {
    const FieldReferences references(entries);
    resolved.reserve(entries.size());
    for (const Entry& entry : entries) resolved.push_back(WithFieldReferencesResolved(entry, references));
  }
  const std::vector<Entry>& written = resolved.empty() ? entries : resolved;
  if (format.write_protected != nullptr) return format.write_protected(written, key, out, error);
  if (format.write != nullptr) return format.write(written, out, error);
  *error = std::string(format.title) + " is read only";
  return false;
}

std::string InterchangeFormatNames(bool writable_only) {
  std::string names;
  for (const InterchangeFormat& format : kFormats) {
    if (writable_only && format.write == nullptr && format.write_protected == nullptr) continue;
    names += (names.empty() ? "" : ", ") + std::string(format.name);
  }
  return names;
}
