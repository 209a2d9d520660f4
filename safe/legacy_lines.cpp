#include "safe/legacy_lines.h"

void AppendEntriesFromLines(const cpStringArray& lines, std::vector<Entry>& entries) {
  const size_t first = entries.size();
  entries.reserve(first + lines.GetCount());
  for (uint32_t i = 0; i < lines.GetCount(); ++i) {
    std::string_view line = lines.GetAt(i);
    size_t firstTab = line.find('\t');
    size_t secondTab = line.find('\t', firstTab + 1);
    Entry& entry = entries.emplace_back();
    entry.title = line.substr(0, firstTab);
    entry.userName = line.substr(firstTab + 1, secondTab - firstTab - 1);
    entry.password = line.substr(secondTab + 1);
  }
  AssignMissingIds(std::span<Entry>(entries).subspan(first));
}

void AppendLegacyLine(const Entry& entry, SecretText& line) {
  line.Append(entry.title.view());
  line.Append("\t");
  line.Append(entry.userName.view());
  line.Append("\t");
  line.Append(entry.password.view());
}
