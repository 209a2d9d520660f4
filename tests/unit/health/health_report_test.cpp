#include "health/health_report.h"

#include <gtest/gtest.h>

#include <map>

#include "health/breach_list.h"
#include "health/report_exclusion.h"
#include "tests/unit/core/scratch_dir.h"
#include "tests/unit/health/breach_file.h"

namespace {

constexpr int64_t kDay = 86400;
constexpr int64_t kNow = 1'800'000'000;

Entry MakeEntry(const char* title, const char* password, int64_t modified) {
  Entry entry;
  entry.title = title;
  entry.userName = "someone";
  entry.password = password;
  entry.created = modified;
  entry.modified = modified;
  return entry;
}

// The rows by title, for checks that do not depend on the order.
std::map<std::string, EntryHealth> ByTitle(const std::vector<Entry>& entries, const HealthReport& report) {
  std::map<std::string, EntryHealth> rows;
  for (const EntryHealth& row : report.rows) rows[std::string(entries[row.entryIndex].title.view())] = row;
  return rows;
}

TEST(HealthReport, ReuseFollowsEditsAndExclusion) {
  const char* shared = "Tr0ub4dor&3-shared";
  std::vector<Entry> entries = {MakeEntry("a", shared, kNow), MakeEntry("b", shared, kNow),
                                MakeEntry("c", shared, kNow), MakeEntry("d", "unique-Xq7#pL2vR9", kNow),
                                MakeEntry("note", "", kNow)};
  auto rows = ByTitle(entries, MakeHealthReport(entries, kNow, nullptr));
  EXPECT_EQ(rows.size(), 4u);  // no password: nothing to report
  EXPECT_EQ(rows["a"].reused, 2);
  EXPECT_EQ(rows["c"].reused, 2);
  EXPECT_EQ(rows["d"].reused, 0);

  // c changes away: its old password in the history is no reuse.
  entries[2].ChangePassword("another-Kd8$wq1Zt", kNow);
  // d is excluded, yet a's and b's password still sits in d.
  entries[3].ChangePassword(shared, kNow);
  EXPECT_TRUE(SetExcludedFromReports(entries[3], true));
  EXPECT_FALSE(SetExcludedFromReports(entries[3], true));
  rows = ByTitle(entries, MakeHealthReport(entries, kNow, nullptr));
  EXPECT_EQ(rows.count("d"), 0u);
  EXPECT_EQ(rows["a"].reused, 2);
  EXPECT_EQ(rows["c"].reused, 0);

  EXPECT_TRUE(SetExcludedFromReports(entries[3], false));
  EXPECT_EQ(entries[3].FindField(kExcludeFromReportsField), nullptr);
  entries[3].SetField(kExcludeFromReportsField, "false", false);
  EXPECT_EQ(ByTitle(entries, MakeHealthReport(entries, kNow, nullptr)).count("d"), 1u);
}

TEST(HealthReport, AgeCountsFromThePasswordsOwnChange) {
  std::vector<Entry> entries = {MakeEntry("untouched", "x", kNow - 400 * kDay),
                                MakeEntry("changed", "old", kNow - 400 * kDay), MakeEntry("unknown", "y", 0),
                                MakeEntry("future", "z", kNow + kDay)};
  entries[1].ChangePassword("new", kNow - 30 * kDay);
  // A later edit of another field moves the modified time, not the age.
  entries[1].notes = "moved house";
  entries[1].MarkModified(kNow - 2 * kDay);
  auto rows = ByTitle(entries, MakeHealthReport(entries, kNow, nullptr));
  EXPECT_EQ(rows["untouched"].ageDays, 400);
  EXPECT_EQ(rows["changed"].ageDays, 30);
  EXPECT_EQ(rows["unknown"].ageDays, -1);
  EXPECT_EQ(rows["future"].ageDays, 0);
  EXPECT_TRUE(NeedsAttention(rows["untouched"]));
}

TEST(HealthReport, WorstFirstAndWhatNeedsAttention) {
  ScratchDir dir;
  std::string path = dir.Path("pwned.txt");
  WriteTextFile(path, BreachFileText(SortedBreachLines({"breached-but-Long-9x!Qz"}, 50)));
  BreachList breaches;
  ASSERT_EQ(breaches.Open(path), "");
  std::vector<Entry> entries = {
      MakeEntry("fine", "correct-Horse-battery-staple-77-Qz", kNow),
      MakeEntry("weak", "secret", kNow),
      MakeEntry("breached", "breached-but-Long-9x!Qz", kNow),
      MakeEntry("old", "Vq9#mTz2-LpX8!rKw4-yHs", kNow - 500 * kDay),
      MakeEntry("reused1", "Ab3$kLm9-Pq2!xYz7-Rt5", kNow),
      MakeEntry("reused2", "Ab3$kLm9-Pq2!xYz7-Rt5", kNow),
  };
  HealthReport report = MakeHealthReport(entries, kNow, &breaches);
  EXPECT_EQ(report.breachError, "");
  std::vector<std::string> order;
  for (const EntryHealth& row : report.rows) order.emplace_back(entries[row.entryIndex].title.view());
  EXPECT_EQ(order, (std::vector<std::string>{"breached", "weak", "reused1", "reused2", "old", "fine"}));
  auto rows = ByTitle(entries, report);
  EXPECT_EQ(rows["breached"].breached, 1000);
  EXPECT_EQ(rows["fine"].breached, 0);
  for (const char* title : {"breached", "weak", "reused1", "old"}) EXPECT_TRUE(NeedsAttention(rows[title])) << title;
  EXPECT_FALSE(NeedsAttention(rows["fine"]));

  EXPECT_EQ(MakeHealthReport(entries, kNow, nullptr).rows[0].breached, -1);
}

TEST(HealthReport, ABreachListFailingMidwayLeavesTheRestOfTheReport) {
  ScratchDir dir;
  std::vector<std::string> passwords;
  for (int i = 0; i < 200; ++i) passwords.push_back("pw" + std::to_string(i));
  std::string text = BreachFileText(SortedBreachLines(passwords, 6000));
  // Every password's line damaged: the sample meets a few, a look-up the rest.
  for (const std::string& password : passwords) text[text.find(Sha1Hex(password) + ":") + 40] = ';';
  std::vector<Entry> entries;
  for (const std::string& password : passwords) entries.push_back(MakeEntry("t", password.c_str(), kNow));
  std::string path = dir.Path("pwned.txt");
  WriteTextFile(path, text);
  BreachList breaches;
  std::string openError = breaches.Open(path);
  HealthReport report = MakeHealthReport(entries, kNow, &breaches);
  EXPECT_EQ(report.rows.size(), entries.size());
  for (const EntryHealth& row : report.rows) EXPECT_EQ(row.breached, -1);
  EXPECT_NE((openError + report.breachError).find("is not HASH:COUNT"), std::string::npos);
}

}  // namespace
