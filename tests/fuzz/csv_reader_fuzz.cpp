// CSV text in: reading never crashes, and whatever is read comes back field
// for field after being written out again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "interchange/csv_reader.h"

namespace {

using Records = std::vector<std::vector<std::string>>;

void Require(bool condition) {
  if (!condition) std::abort();
}

// The records of text; false when it is malformed.
bool Read(std::string_view text, Records* records) {
  CsvReader reader(text);
  CsvReader::Error error;
  CsvReader::Step step;
  while ((step = reader.Next(&error)) == CsvReader::Step::kRecord) {
    records->emplace_back();
    for (size_t field = 0; field < reader.FieldCount(); ++field) records->back().emplace_back(reader.Field(field));
  }
  return step == CsvReader::Step::kEnd;
}

// A lone empty field is written as an empty line, which a reader skips.
bool WritesAsEmptyLine(const std::vector<std::string>& fields) { return fields.size() == 1 && fields[0].empty(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Records records;
  if (!Read(std::string_view(reinterpret_cast<const char*>(data), size), &records)) return 0;

  Records kept;
  std::string written;
  for (const std::vector<std::string>& fields : records) {
    if (WritesAsEmptyLine(fields)) continue;
    AppendCsvRecord(std::vector<std::string_view>(fields.begin(), fields.end()), &written);
    kept.push_back(fields);
  }
  // A byte order mark at the very start is skipped on reading.
  if (std::string_view(written).starts_with("\xEF\xBB\xBF")) return 0;

  Records reread;
  Require(Read(written, &reread));
  Require(reread == kept);
  return 0;
}
