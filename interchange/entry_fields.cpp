#include "interchange/entry_fields.h"

EntryFields SplitEntryLine(std::string_view line) {
  std::string_view parts[3];
  for (std::string_view& part : parts) {
    size_t tab = line.find('\t');
    part = line.substr(0, tab);
    line = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
  }
  return {parts[0], parts[1], parts[2]};
}
