#include "interchange/csv_formats.h"

#include <algorithm>
#include <cstdint>
#include <span>

#include "interchange/csv_reader.h"
#include "interchange/export_text.h"
#include "interchange/import_plan.h"
#include "interchange/utc_time.h"
#include "core/legacy_text.h"
#include "core/utf8.h"

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
  kTags,
  kCreated,  // UTC time as text
  kModified,
  kCreatedMs,  // milliseconds since 1970
  kModifiedMs,
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

// The three designed columns, then (optional, so a file of three still
// reads) the web address, notes, one-time code URI, tags one to a line and
// the creation and modification times in UTC.
constexpr CsvColumn kQuillboxColumns[] = {
    {"Description", Column::kTitle, kRequired, ""}, {"Username", Column::kUserName, kRequired, ""},
    {"Password", Column::kPassword, kRequired, ""}, {"URL", Column::kUrl, kOptional, ""},
    {"Notes", Column::kNotes, kOptional, ""},       {"TOTP", Column::kTotp, kOptional, ""},
    {"Tags", Column::kTags, kOptional, ""},         {"Created", Column::kCreated, kOptional, ""},
    {"Modified", Column::kModified, kOptional, ""}};

constexpr CsvColumn kKeepassxcColumns[] = {
    {"Group", Column::kGroup, kRequired, "Quillbox"},
    {"Title", Column::kTitle, kRequired, ""},
    {"Username", Column::kUserName, kRequired, ""},
    {"Password", Column::kPassword, kRequired, ""},
    {"URL", Column::kUrl, kRequired, ""},
    {"Notes", Column::kNotes, kRequired, ""},
    {"TOTP", Column::kTotp, kOptional, ""},
    {"Icon", Column::kOther, kOptional, "0"},
    {"Last Modified", Column::kModified, kOptional, ""},
    {"Created", Column::kCreated, kOptional, ""},
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
    {"timeCreated", Column::kCreatedMs, kOptional, ""},
    {"timeLastUsed", Column::kOther, kOptional, ""},
    {"timePasswordChanged", Column::kModifiedMs, kOptional, ""},
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

// Bitwarden's "name: value" lines as custom fields.
void TakeFieldLines(std::string_view lines, Entry* kept) {
  while (!lines.empty()) {
    size_t end = lines.find('\n');
    std::string_view line = lines.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    size_t colon = line.find(": ");
    std::string_view name = line.substr(0, colon);
    std::string_view value = colon == std::string_view::npos ? std::string_view() : line.substr(colon + 2);
    if (!name.empty() && kept->fields.size() < kMaxCustomFields && kept->FindField(name) == nullptr) {
      kept->fields.push_back({SecretText(name), SecretText(value), false});
    }
    lines = end == std::string_view::npos ? std::string_view() : lines.substr(end + 1);
  }
}

void TakeTagLines(std::string_view lines, Entry* kept) {
  while (!lines.empty()) {
    size_t end = lines.find('\n');
    std::string_view tag = lines.substr(0, end);
    if (!tag.empty()) kept->AddTag(tag);
    lines = end == std::string_view::npos ? std::string_view() : lines.substr(end + 1);
  }
}

int64_t MillisecondsAsSeconds(std::string_view text) {
  int64_t ms = 0;
  for (char c : text) {
    if (c < '0' || c > '9' || ms > INT64_MAX / 100) return 0;
    ms = ms * 10 + (c - '0');
  }
  return ClampEntryTime(ms / 1000);
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
        entry.kept.url = value;
        entry.urls += !value.empty();  // Bitwarden joins several with commas: one entry's worth
        break;
      case Column::kNotes:
        entry.notes += !value.empty();
        entry.kept.notes = value;
        break;
      case Column::kTags:
        TakeTagLines(value, &entry.kept);
        entry.tags += entry.kept.tags.size();
        break;
      case Column::kCreated:
        entry.kept.created = ParseUtcTime(value);
        break;
      case Column::kModified:
        entry.kept.modified = ParseUtcTime(value);
        break;
      case Column::kCreatedMs:
        entry.kept.created = MillisecondsAsSeconds(value);
        break;
      case Column::kModifiedMs:
        entry.kept.modified = MillisecondsAsSeconds(value);
        break;
      case Column::kGroup:
        entry.group = layout.top_group_in_path ? WithoutTopGroup(value) : value;
        break;
      case Column::kTotp:
        entry.totp_secrets += !value.empty();
        entry.kept.totp = value;
        break;
      case Column::kFields:
        entry.custom_fields += value.empty() ? 0 : CountLines(value);
        TakeFieldLines(value, &entry.kept);
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

// The texts of one entry a CSV row is made of, as the layout writes them:
// bytes as stored for the safe's own CSV, else UTF-8.
class CsvRowTexts {
 public:
  CsvRowTexts(const CsvLayout& layout, const std::vector<Entry>& entries) : layout_(layout) {
    converted_.reserve(6 * LongestEntryLine(entries) + 64);
  }
  ~CsvRowTexts() { WipeString(&converted_); }

  // The value of each column, views into this object until the next row.
  void Make(const Entry& entry, const std::vector<const CsvColumn*>& written, std::vector<std::string_view>* fields) {
    converted_.clear();
    std::vector<std::pair<size_t, size_t>> spans(written.size());
    for (size_t f = 0; f < written.size(); ++f) {
      size_t start = converted_.size();
      AddColumn(entry, *written[f]);
      spans[f] = {start, converted_.size() - start};
    }
    for (size_t f = 0; f < written.size(); ++f) {
      (*fields)[f] = std::string_view(converted_).substr(spans[f].first, spans[f].second);
    }
  }

 private:
  void Add(std::string_view text) {
    if (layout_.safe_own) {
      converted_.append(text);
    } else {
      AppendFieldAsUtf8(text, &converted_);
    }
  }

  void AddColumn(const Entry& entry, const CsvColumn& column) {
    switch (column.meaning) {
      case Column::kTitle:
        return Add(entry.title.view());
      case Column::kUserName:
        return Add(entry.userName.view());
      case Column::kPassword:
        return Add(entry.password.view());
      case Column::kUrl:
        return Add(entry.url.view());
      case Column::kNotes:
        return Add(entry.notes.view());
      case Column::kTotp:
        return Add(entry.totp.view());
      case Column::kGroup:
        // The first tag is the group, as in a KeePass XML export.
        if (entry.tags.empty()) return Add(column.exported);
        if (layout_.top_group_in_path) Add("Quillbox/");
        return Add(entry.tags[0].view());
      case Column::kTags:
        for (size_t t = 0; t < entry.tags.size(); ++t) {
          if (t > 0) converted_.push_back('\n');
          Add(entry.tags[t].view());
        }
        return;
      case Column::kFields: {
        bool first = true;
        for (const CustomField& field : entry.fields) {
          if (field.name == kSourceIdField) continue;
          if (!first) converted_.push_back('\n');
          first = false;
          Add(field.name.view());
          converted_.append(": ");
          Add(field.value.view());
        }
        return;
      }
      case Column::kCreated:
        if (entry.created != 0) converted_.append(FormatUtcTime(entry.created));
        return;
      case Column::kModified:
        if (entry.modified != 0) converted_.append(FormatUtcTime(entry.modified));
        return;
      default:
        return Add(column.exported);
    }
  }

  const CsvLayout& layout_;
  std::string converted_;
};

// The safe's own CSV of entries with only the three designed fields is the
// designed three-column file.
bool OnlyDesignedFields(const std::vector<Entry>& entries) {
  return std::all_of(entries.begin(), entries.end(), [](const Entry& entry) {
    return entry.url.empty() && entry.notes.empty() && entry.totp.empty() && entry.tags.empty();
  });
}

bool WriteCsv(const CsvLayout& layout, const std::vector<Entry>& entries, std::string* out) {
  std::vector<std::string_view> names;
  std::vector<const CsvColumn*> written;
  bool designed_only = layout.safe_own && OnlyDesignedFields(entries);
  for (const CsvColumn& column : layout.columns) {
    if (column.use == Use::kReadOnly || (designed_only && column.use != kRequired)) continue;
    names.push_back(column.header);
    written.push_back(&column);
  }
  ReserveForExport(entries, 64 + names.size() * 16, out);
  AppendCsvRecord(names, out);
  CsvRowTexts texts(layout, entries);
  std::vector<std::string_view> fields(names.size());
  for (const Entry& entry : entries) {
    texts.Make(entry, written, &fields);
    AppendCsvRecord(fields, out);
  }
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
