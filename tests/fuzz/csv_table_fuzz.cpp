// CSV text in: parsing never crashes, and whatever parses comes back field
// for field after being written out again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "interchange/csv_table.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

std::vector<std::string_view> Fields(const CsvTable& table, size_t record) {
  std::vector<std::string_view> fields;
  for (size_t field = 0; field < table.FieldCount(record); ++field) fields.push_back(table.Field(record, field));
  return fields;
}

// A lone empty field is written as an empty line, which a reader skips.
bool WritesAsEmptyLine(const std::vector<std::string_view>& fields) { return fields.size() == 1 && fields[0].empty(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CsvTable table;
  CsvTable::Error error;
  if (!table.Parse(std::string_view(reinterpret_cast<const char*>(data), size), &error)) return 0;

  std::vector<std::vector<std::string_view>> kept;
  std::string written;
  for (size_t record = 0; record < table.RecordCount(); ++record) {
    std::vector<std::string_view> fields = Fields(table, record);
    if (WritesAsEmptyLine(fields)) continue;
    AppendCsvRecord(fields, &written);
    kept.push_back(fields);
  }
  // A byte order mark at the very start is skipped on reading.
  if (std::string_view(written).starts_with("\xEF\xBB\xBF")) return 0;

  CsvTable reread;
  Require(reread.Parse(written, &error));
  Require(reread.RecordCount() == kept.size());
  for (size_t record = 0; record < kept.size(); ++record) Require(Fields(reread, record) == kept[record]);
  return 0;
}
