#pragma once

#include <string>
#include <string_view>

#include <vector>

#include "safe/entry.h"
#include "interchange/foreign_entry.h"

// The comma-separated formats differ only in their columns; each has a
// reader and (where the other program imports it) a writer here.
bool ReadQuillboxCsv(std::string_view text, ForeignFile* file, std::string* error);
bool ReadKeepassxcCsv(std::string_view text, ForeignFile* file, std::string* error);
bool ReadBitwardenCsv(std::string_view text, ForeignFile* file, std::string* error);
bool ReadChromeCsv(std::string_view text, ForeignFile* file, std::string* error);
bool ReadFirefoxCsv(std::string_view text, ForeignFile* file, std::string* error);

bool WriteQuillboxCsv(const std::vector<Entry>& entries, std::string* out, std::string* error);
bool WriteKeepassxcCsv(const std::vector<Entry>& entries, std::string* out, std::string* error);
bool WriteBitwardenCsv(const std::vector<Entry>& entries, std::string* out, std::string* error);

// Which CSV format a header line names; null when none.
const char* CsvFormatOfHeader(std::string_view first_line);

inline constexpr char kQuillboxCsvHeader[] = "Description,Username,Password";
