#include "interchange/csv_formats.h"

#include <span>

#include "interchange/csv_reader.h"
#include "interchange/entry_fields.h"
#include "interchange/export_text.h"
#include "core/legacy_text.h"

namespace {

enum class Column {
  kOther,
  kTitle,
  kUserName,
  kPassword,
  kUrl,
  kNotes,
  kGroup,
  kTotp,
  kFields,
  kType,
  kCollections,
  kHttpRealm,
};
// Required columns name a format; optional ones may be missing (older
// versions, other kinds of export); read-only ones are never written.
enum class Use { kRequired, kOptional, kReadOnly };

struct CsvColumn {
  std::string_view header;
  Column meaning;
  Use use;
  std::string_view exported;  // written for every entry in columns the safe has no field for
};

struct CsvLayout {
  const char* format;
  std::span<const CsvColumn> columns;
  bool safe_own;           // bytes as stored, descriptions as written
  bool top_group_in_path;  // the first piece of a group path is the database's top group
};

constexpr Use kRequired = Use::kRequired;
constexpr Use kOptional = Use::kOptional;

constexpr CsvColumn kQuillboxColumns[] = {{"Description", Column::kTitle, kRequired, ""},
                                          {"Username", Column::kUserName, kRequired, ""},
                                          {"Password", Column::kPassword, kRequired, ""}};

constexpr CsvColumn kKeepassxcColumns[] = {
    {"Group", Column::kGroup, kRequired, "Quillbox"},
    {"Title", Column::kTitle, kRequired, ""},
    {"Username", Column::kUserName, kRequired, ""},
    {"Password", Column::kPassword, kRequired, ""},
    {"URL", Column::kUrl, kRequired, ""},
    {"Notes", Column::kNotes, kRequired, ""},
    {"TOTP", Column::kTotp, kOptional, ""},
    {"Icon", Column::kOther, kOptional, "0"},
    {"Last Modified", Column::kOther, kOptional, ""},
    {"Created", Column::kOther, kOptional, ""},
};

// A personal vault's export starts with folder and favorite, an
// organisation's with collections; older clients write no reprompt.
constexpr CsvColumn kBitwardenColumns[] = {
    {"folder", Column::kGroup, kOptional, ""},
    {"favorite", Column::kOther, kOptional, ""},
    {"type", Column::kType, kRequired, "login"},
    {"name", Column::kTitle, kRequired, ""},
    {"notes", Column::kNotes, kOptional, ""},
    {"fields", Column::kFields, kOptional, ""},
    {"reprompt", Column::kOther, kOptional, "0"},
    {"login_uri", Column::kUrl, kRequired, ""},
    {"login_username", Column::kUserName, kRequired, ""},
    {"login_password", Column::kPassword, kRequired, ""},
    {"login_totp", Column::kTotp, kOptional, ""},
    {"collections", Column::kCollections, Use::kReadOnly, ""},
};

constexpr CsvColumn kChromeColumns[] = {
    {"name", Column::kTitle, kRequired, ""},        {"url", Column::kUrl, kRequired, ""},
    {"username", Column::kUserName, kRequired, ""}, {"password", Column::kPassword, kRequired, ""},
    {"note", Column::kNotes, kOptional, ""},
};

constexpr CsvColumn kFirefoxColumns[] = {
    {"url", Column::kUrl, kRequired, ""},
    {"username", Column::kUserName, kRequired, ""},
    {"password", Column::kPassword, kRequired, ""},
    {"httpRealm", Column::kHttpRealm, kRequired, ""},
    {"formActionOrigin", Column::kOther, kOptional, ""},
    {"guid", Column::kOther, kOptional, ""},
    {"timeCreated", Column::kOther, kOptional, ""},
    {"timeLastUsed", Column::kOther, kOptional, ""},
    {"timePasswordChanged", Column::kOther, kOptional, ""},
};

constexpr CsvLayout kQuillboxCsv{"quillbox-csv", kQuillboxColumns, true, false};
constexpr CsvLayout kKeepassxcCsv{"keepassxc-csv", kKeepassxcColumns, false, true};
constexpr CsvLayout kBitwardenCsv{"bitwarden-csv", kBitwardenColumns, false, false};
constexpr CsvLayout kChromeCsv{"chrome-csv", kChromeColumns, false, false};
constexpr CsvLayout kFirefoxCsv{"firefox-csv", kFirefoxColumns, false, false};

constexpr const CsvLayout* kLayouts[] = {&kQuillboxCsv, &kKeepassxcCsv, &kBitwardenCsv, &kChromeCsv, &kFirefoxCsv};

// KeePassXC's own name for the group it moves deleted entries to.
constexpr std::string_view kKeepassxcRecycleBin = "Recycle Bin";
// Firefox's record of the browser's own account, which Firefox leaves out of
// its own list.
constexpr std::string_view kFirefoxAccountsUrl = "chrome://FirefoxAccounts";

// What each field of a header row means in a layout; empty when the header
// is not this layout's: a required column missing or a column named twice.
// Columns the layout does not know are read as nothing.
std::vector<Column> ColumnsOfHeader(const CsvLayout& layout, const CsvReader& header) {
  std::vector<Column> meanings(header.FieldCount(), Column::kOther);
  std::vector<bool> seen(layout.columns.size(), false);
  for (size_t f = 0; f < header.FieldCount(); ++f) {
    for (size_t c = 0; c < layout.columns.size(); ++c) {
      if (header.Field(f) != layout.columns[c].header) continue;
      if (seen[c]) return {};
      seen[c] = true;
      meanings[f] = layout.columns[c].meaning;
    }
  }
  for (size_t c = 0; c < layout.columns.size(); ++c) {
    if (layout.columns[c].use == Use::kRequired && !seen[c]) return {};
  }
  return meanings;
}

std::string RequiredHeaders(const CsvLayout& layout) {
  std::string names;
  for (const CsvColumn& column : layout.columns) {
    if (column.use == Use::kRequired) names += (names.empty() ? "" : ",") + std::string(column.header);
  }
  return names;
}

std::string AtLine(size_t line) { return "line " + std::to_string(line) + ": "; }

// KeePassXC's path starts with the database's top group.
bool InKeepassxcRecycleBin(std::string_view path) {
  size_t slash = path.find('/');
  if (slash == std::string_view::npos) return false;
  std::string_view below = path.substr(slash + 1);
  return below.substr(0, below.find('/')) == kKeepassxcRecycleBin;
}

std::string_view WithoutTopGroup(std::string_view path) {
  size_t slash = path.find('/');
  return slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
}

// Bitwarden keeps custom fields one to a line as "name: value".
size_t CountLines(std::string_view text) {
  size_t lines = 1;
  for (char c : text) lines += c == '\n';
  return lines;
}

// Bitwarden joins a login's collections with commas.
void AddCollections(std::string_view names, ForeignFile* file) {
  while (!names.empty()) {
    size_t comma = names.find(',');
    std::string_view name = names.substr(0, comma);
    if (!name.empty()) file->collections.emplace(name);
    names = comma == std::string_view::npos ? std::string_view() : names.substr(comma + 1);
  }
}

// The value of the first field with that meaning; empty when none.
std::string_view FieldOf(const std::vector<Column>& columns, const CsvReader& row, Column meaning) {
  for (size_t f = 0; f < columns.size(); ++f) {
    if (columns[f] == meaning) return row.Field(f);
  }
  return {};
}

void TakeRecord(const CsvLayout& layout, const std::vector<Column>& columns, const CsvReader& row, ForeignFile* file) {
  std::string_view type = FieldOf(columns, row, Column::kType);
  if (!type.empty() && type != "login") {
    ++file->other_items;
    return;
  }
  std::string_view group = FieldOf(columns, row, Column::kGroup);
  if (layout.top_group_in_path && InKeepassxcRecycleBin(group)) {
    ++file->recycled_items;
    return;
  }
  if (&layout == &kFirefoxCsv && FieldOf(columns, row, Column::kUrl) == kFirefoxAccountsUrl) return;
  ForeignEntry& entry = file->Start(row.Line());
  for (size_t f = 0; f < columns.size(); ++f) {
    std::string_view value = row.Field(f);
    switch (columns[f]) {
      case Column::kTitle:
        entry.title = value;
        break;
      case Column::kUserName:
        entry.user_name = value;
        break;
      case Column::kPassword:
        entry.password = value;
        break;
      case Column::kUrl:
        entry.url = value.substr(0, value.find(','));
        entry.urls += !value.empty();  // Bitwarden joins several with commas: one entry's worth
        break;
      case Column::kNotes:
        entry.notes += !value.empty();
        break;
      case Column::kGroup:
        entry.group = layout.top_group_in_path ? WithoutTopGroup(value) : value;
        break;
      case Column::kTotp:
        entry.totp_secrets += !value.empty();
        break;
      case Column::kFields:
        entry.custom_fields += value.empty() ? 0 : CountLines(value);
        break;
      case Column::kCollections:
        AddCollections(value, file);
        break;
      case Column::kHttpRealm:
        entry.http_realms += !value.empty();
        break;
      case Column::kType:
      case Column::kOther:
        break;
    }
  }
  file->Keep();
}

// A file of another kind given as CSV gets a reason that names its kind,
// not the quoting fault its first line makes.
const char* OtherKindOf(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  size_t start = text.find_first_not_of(" \t\r\n");
  if (start == std::string_view::npos) return nullptr;
  if (text[start] == '<') return "the file looks like XML, not CSV (keepass-xml reads KeePass XML)";
  if (text[start] == '{' || text[start] == '[') {
    return "the file looks like JSON, not CSV (bitwarden-json reads Bitwarden JSON)";
  }
  return nullptr;
}

bool ReadCsv(const CsvLayout& layout, std::string_view text, ForeignFile* file, std::string* error) {
  file->titles_are_descriptions = layout.safe_own;
  if (const char* kind = OtherKindOf(text)) {
    *error = kind;
    return false;
  }
  if (!layout.safe_own) {
    // The safe's own CSV carries whatever bytes the safe holds; other
    // programs write UTF-8, so anything else means a wrong file.
    size_t bad = FindInvalidUtf8(text);
    if (bad < text.size()) {
      size_t line = 1;
      for (size_t i = 0; i < bad; ++i) line += text[i] == '\n';
      *error = AtLine(line) + "the text is not UTF-8";
      return false;
    }
  }
  CsvReader reader(text);
  CsvReader::Error csv_error;
  CsvReader::Step step = reader.Next(&csv_error);
  std::vector<Column> columns;
  if (step == CsvReader::Step::kRecord) columns = ColumnsOfHeader(layout, reader);
  if (step != CsvReader::Step::kMalformed && columns.empty()) {
    *error = "the first line must be a header naming " + RequiredHeaders(layout);
    return false;
  }
  while (step != CsvReader::Step::kMalformed && (step = reader.Next(&csv_error)) == CsvReader::Step::kRecord) {
    if (!file->CountRecord()) {
      *error = kTooManyRecordsMessage;
      return false;
    }
    if (reader.FieldCount() != columns.size()) {
      size_t count = reader.FieldCount();
      file->AddMalformed(reader.Line(), "malformed row: " + std::to_string(count) +
                                            (count == 1 ? " field" : " fields") + " where the header has " +
                                            std::to_string(columns.size()));
      continue;
    }
    TakeRecord(layout, columns, reader, file);
  }
  if (step == CsvReader::Step::kMalformed) {
    *error = AtLine(csv_error.line) + csv_error.message;
    return false;
  }
  return true;
}

bool WriteCsv(const CsvLayout& layout, const std::vector<Entry>& entries, std::string* out) {
  std::vector<std::string_view> names;
  std::vector<const CsvColumn*> written;
  for (const CsvColumn& column : layout.columns) {
    if (column.use == Use::kReadOnly) continue;
    names.push_back(column.header);
    written.push_back(&column);
  }
  ReserveForExport(entries, 64 + names.size() * 16, out);
  AppendCsvRecord(names, out);
  // Fields converted to UTF-8 go through one scratch buffer, reserved once.
  std::string converted;
  converted.reserve(3 * LongestEntryLine(entries));
  std::vector<std::string_view> fields(names.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    EntryFields entry = DesignedFieldsOf(entries[i]);
    converted.clear();
    std::string_view values[3] = {entry.description, entry.account_user, entry.password};
    if (!layout.safe_own) {
      size_t starts[4] = {0, 0, 0, 0};
      for (size_t k = 0; k < 3; ++k) {
        AppendFieldAsUtf8(values[k], &converted);
        starts[k + 1] = converted.size();
      }
      for (size_t k = 0; k < 3; ++k)
        values[k] = std::string_view(converted).substr(starts[k], starts[k + 1] - starts[k]);
    }
    for (size_t f = 0; f < names.size(); ++f) {
      switch (written[f]->meaning) {
        case Column::kTitle:
          fields[f] = values[0];
          break;
        case Column::kUserName:
          fields[f] = values[1];
          break;
        case Column::kPassword:
          fields[f] = values[2];
          break;
        default:
          fields[f] = written[f]->exported;
          break;
      }
    }
    AppendCsvRecord(fields, out);
  }
  WipeString(&converted);
  return true;
}

}  // namespace

bool ReadQuillboxCsv(std::string_view text, ForeignFile* file, std::string* error) {
  return ReadCsv(kQuillboxCsv, text, file, error);
}
bool ReadKeepassxcCsv(std::string_view text, ForeignFile* file, std::string* error) {
  return ReadCsv(kKeepassxcCsv, text, file, error);
}
bool ReadBitwardenCsv(std::string_view text, ForeignFile* file, std::string* error) {
  return ReadCsv(kBitwardenCsv, text, file, error);
}
bool ReadChromeCsv(std::string_view text, ForeignFile* file, std::string* error) {
  return ReadCsv(kChromeCsv, text, file, error);
}
bool ReadFirefoxCsv(std::string_view text, ForeignFile* file, std::string* error) {
  return ReadCsv(kFirefoxCsv, text, file, error);
}

bool WriteQuillboxCsv(const std::vector<Entry>& entries, std::string* out, std::string*) {
  return WriteCsv(kQuillboxCsv, entries, out);
}
bool WriteKeepassxcCsv(const std::vector<Entry>& entries, std::string* out, std::string*) {
  return WriteCsv(kKeepassxcCsv, entries, out);
}
bool WriteBitwardenCsv(const std::vector<Entry>& entries, std::string* out, std::string*) {
  return WriteCsv(kBitwardenCsv, entries, out);
}

const char* CsvFormatOfHeader(std::string_view first_line) {
  CsvReader reader(first_line);
  CsvReader::Error error;
  if (reader.Next(&error) != CsvReader::Step::kRecord) return nullptr;
  for (const CsvLayout* layout : kLayouts) {
    if (!ColumnsOfHeader(*layout, reader).empty()) return layout->format;
  }
  return nullptr;
}
