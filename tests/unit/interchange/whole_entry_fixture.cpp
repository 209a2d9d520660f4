#include "tests/unit/interchange/whole_entry_fixture.h"

#include <gtest/gtest.h>

#include "safe/one_time_code.h"

Entry FullEntry() {
  Entry entry;
  entry.title = "Bank, \"main\" <b>";
  entry.userName = "jdoe";
  entry.password = "pa\"ss,1";
  entry.url = "https://bank.example.com/login?a=1&b=2";
  entry.notes = "line one\nline two, \"quoted\"";
  EXPECT_EQ(NormalizeOneTimeCodeInput("JBSWY3DPEHPK3PXP", entry.totp), nullptr);
  entry.AddTag("Work/VPN");
  entry.AddTag("money");
  entry.SetField("PIN", "1234", true);
  entry.SetField("Branch", "Main Street", false);
  entry.created = kCreated;
  entry.modified = kModified;
  entry.history.push_back({SecretText("older"), kCreated + 100});
  entry.history.push_back({SecretText("old"), kCreated + 200});
  return entry;
}

const Entry* Titled(const std::vector<Entry>& entries, std::string_view title) {
  for (const Entry& entry : entries) {
    if (entry.title == title) return &entry;
  }
  return nullptr;
}

std::vector<std::string> Tags(const Entry& entry) {
  std::vector<std::string> tags;
  for (const SecretText& tag : entry.tags) tags.emplace_back(tag.view());
  return tags;
}
