#include "bench/bench_entries.h"

#include <string>

EntryList MakeBenchEntries(int count) {
  EntryList list;
  list.entries.reserve(count);
  for (int i = 0; i < count; ++i) {
    Entry& entry = list.entries.emplace_back();
    entry.id = EntryId::Random();
    std::string n = std::to_string(i);
    entry.title = "Site " + n;
    entry.userName = "user" + n + "@example.com";
    entry.password = "pw-" + n + "-Xq7!kLm2";
    entry.url = "https://login.site" + n + ".example.com/";
    entry.notes = "Recovery codes " + n + ": 1234-5678 9012-3456\nSecurity question: first pet";
    entry.AddTag(i % 2 == 0 ? "Work" : "Home");
    if (i % 5 == 0) entry.AddTag("Finance/Banks");
    entry.created = 1700000000 + i;
    entry.modified = 1760000000 + i;
  }
  return list;
}
