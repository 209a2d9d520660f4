#include "interchange/csv_formats.h"

#include <span>

#include "interchange/csv_table.h"
#include "interchange/entry_fields.h"
#include "interchange/export_text.h"
#include "interchange/utf8_text.h"

namespace {

enum class Column { kOther, kTitle, kUserName, kPassword, kUrl, kNotes, kGroup, kTotp, kFields, kType };

struct CsvColumn {
  std::string_view header;
  Column meaning;
  std::string_view exported;  // written for every entry in columns the safe has no field for
};

// A header may stop after min_columns (older versions of the program).
struct CsvLayout {
  const char* format;
  std::span<const CsvColumn> columns;
  size_t min_columns;
  bool safe_own;           // bytes as stored, descriptions as written
  bool top_group_in_path;  // the first piece of a group path is the database's top group
};

constexpr CsvColumn kQuillboxColumns[] = {
    {"Description", Column::kTitle, ""}, {"Username", Column::kUserName, ""}, {"Password", Column::kPassword, ""}};

constexpr CsvColumn kKeepassxcColumns[] = {
    {"Group", Column::kGroup, "Quillbox"}, {"Title", Column::kTitle, ""}, {"Username", Column::kUserName, ""},
    {"Password", Column::kPassword, ""},   {"URL", Column::kUrl, ""},     {"Notes", Column::kNotes, ""},
    {"TOTP", Column::kTotp, ""},           {"Icon", Column::kOther, "0"}, {"Last Modified", Column::kOther, ""},
    {"Created", Column::kOther, ""},
};

constexpr CsvColumn kBitwardenColumns[] = {
    {"folder", Column::kGroup, ""},
    {"favorite", Column::kOther, ""},
    {"type", Column::kType, "login"},
    {"name", Column::kTitle, ""},
    {"notes", Column::kNotes, ""},
    {"fields", Column::kFields, ""},
    {"reprompt", Column::kOther, "0"},
    {"login_uri", Column::kUrl, ""},
    {"login_username", Column::kUserName, ""},
    {"login_password", Column::kPassword, ""},
    {"login_totp", Column::kTotp, ""},
};

constexpr CsvColumn kChromeColumns[] = {
    {"name", Column::kTitle, ""},        {"url", Column::kUrl, ""},    {"username", Column::kUserName, ""},
    {"password", Column::kPassword, ""}, {"note", Column::kNotes, ""},
};

constexpr CsvColumn kFirefoxColumns[] = {
    {"url", Column::kUrl, ""},
    {"username", Column::kUserName, ""},
    {"password", Column::kPassword, ""},
    {"httpRealm", Column::kOther, ""},
    {"formActionOrigin", Column::kOther, ""},
    {"guid", Column::kOther, ""},
    {"timeCreated", Column::kOther, ""},
    {"timeLastUsed", Column::kOther, ""},
    {"timePasswordChanged", Column::kOther, ""},
};

constexpr CsvLayout kQuillboxCsv{"quillbox-csv", kQuillboxColumns, 3, true, false};
constexpr CsvLayout kKeepassxcCsv{"keepassxc-csv", kKeepassxcColumns, 6, false, true};
constexpr CsvLayout kBitwardenCsv{"bitwarden-csv", kBitwardenColumns, 11, false, false};
constexpr CsvLayout kChromeCsv{"chrome-csv", kChromeColumns, 4, false, false};
constexpr CsvLayout kFirefoxCsv{"firefox-csv", kFirefoxColumns, 9, false, false};

constexpr const CsvLayout* kLayouts[] = {&kQuillboxCsv, &kKeepassxcCsv, &kBitwardenCsv, &kChromeCsv, &kFirefoxCsv};

// How many of the layout's columns the header row names, in order; 0 when
// it is not this layout's header.
size_t HeaderColumns(const CsvLayout& layout, const CsvTable& table) {
  if (table.RecordCount() == 0) return 0;
  size_t count = table.FieldCount(0);
  if (count < layout.min_columns || count > layout.columns.size()) return 0;
  for (size_t f = 0; f < count; ++f) {
    if (table.Field(0, f) != layout.columns[f].header) return 0;
  }
  return count;
}

std::string AtLine(size_t line) { return "line " + std::to_string(line) + ": "; }

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

void TakeRecord(const CsvLayout& layout, const CsvTable& table, size_t r, ForeignFile* file) {
  bool login = true;
  for (size_t f = 0; f < table.FieldCount(r); ++f) {
    if (layout.columns[f].meaning == Column::kType) {
      std::string_view type = table.Field(r, f);
      login = type.empty() || type == "login";
    }
  }
  if (!login) {
    ++file->other_items;
    return;
  }
  ForeignEntry& entry = file->Add(table.RecordLine(r));
  for (size_t f = 0; f < table.FieldCount(r); ++f) {
    std::string_view value = table.Field(r, f);
    switch (layout.columns[f].meaning) {
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
      case Column::kType:
      case Column::kOther:
        break;
    }
  }
}

bool ReadCsv(const CsvLayout& layout, std::string_view text, ForeignFile* file, std::string* error) {
  file->titles_are_descriptions = layout.safe_own;
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
  CsvTable table;
  CsvTable::Error csv_error;
  if (!table.Parse(text, &csv_error)) {
    *error = AtLine(csv_error.line) + csv_error.message;
    return false;
  }
  size_t columns = HeaderColumns(layout, table);
  if (columns == 0) {
    std::string header;
    for (size_t f = 0; f < layout.min_columns; ++f) {
      header += (f > 0 ? "," : "") + std::string(layout.columns[f].header);
    }
    *error = "the first line must be " + header;
    return false;
  }
  for (size_t r = 1; r < table.RecordCount(); ++r) {
    if (table.FieldCount(r) != columns) {
      file->problems.push_back({table.RecordLine(r), "a row needs " + std::to_string(columns) + " fields"});
      continue;
    }
    TakeRecord(layout, table, r, file);
  }
  return true;
}

bool WriteCsv(const CsvLayout& layout, const cpStringArray& entries, std::string* out) {
  std::vector<std::string_view> names;
  for (const CsvColumn& column : layout.columns) names.push_back(column.header);
  ReserveForExport(entries, 64 + names.size() * 16, out);
  AppendCsvRecord(names, out);
  // Fields converted to UTF-8 go through one scratch buffer, reserved once.
  std::string converted;
  converted.reserve(3 * LongestEntryLine(entries));
  std::vector<std::string_view> fields(layout.columns.size());
  for (uint32_t i = 0; i < entries.GetCount(); ++i) {
    EntryFields entry = SplitEntryLine(entries.GetAt(i));
    converted.clear();
    std::string_view values[3] = {entry.description, entry.account_user, entry.password};
    if (!layout.safe_own) {
      size_t starts[4] = {0, 0, 0, 0};
      for (size_t k = 0; k < 3; ++k) {
        AppendAsUtf8(values[k], &converted);
        starts[k + 1] = converted.size();
      }
      for (size_t k = 0; k < 3; ++k)
        values[k] = std::string_view(converted).substr(starts[k], starts[k + 1] - starts[k]);
    }
    for (size_t f = 0; f < layout.columns.size(); ++f) {
      switch (layout.columns[f].meaning) {
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
          fields[f] = layout.columns[f].exported;
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

bool WriteQuillboxCsv(const cpStringArray& entries, std::string* out, std::string*) {
  return WriteCsv(kQuillboxCsv, entries, out);
}
bool WriteKeepassxcCsv(const cpStringArray& entries, std::string* out, std::string*) {
  return WriteCsv(kKeepassxcCsv, entries, out);
}
bool WriteBitwardenCsv(const cpStringArray& entries, std::string* out, std::string*) {
  return WriteCsv(kBitwardenCsv, entries, out);
}

const char* CsvFormatOfHeader(std::string_view first_line) {
  CsvTable table;
  CsvTable::Error error;
  if (!table.Parse(first_line, &error)) return nullptr;
  for (const CsvLayout* layout : kLayouts) {
    if (HeaderColumns(*layout, table) != 0) return layout->format;
  }
  return nullptr;
}
