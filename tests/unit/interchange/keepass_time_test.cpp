#include "interchange/keepass_time.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "safe/entry.h"

TEST(KeepassTime, ReadTimesStayWithinYearsOneTo9999) {
  struct Case {
    const char* text;
    int64_t seconds;
  } cases[] = {
      {"yCzE3Q4AAAA=", 1714566600},  // 2024-05-01T12:30:00Z
      {"2024-05-01T12:30:00Z", 1714566600},
      {"AAAAAAAAAAA=", kEarliestEntryTime},
      {"fziGd0kAAAA=", kLatestEntryTime},
      {"gDiGd0kAAAA=", kLatestEntryTime},  // one second past the end of 9999
      {"//aRdw4AAIA=", kLatestEntryTime},  // the top bit set: negative when taken as signed
      {"/////////38=", kLatestEntryTime},
      {"//////////8=", kLatestEntryTime},
      {"0000-01-01T00:00:00Z", kEarliestEntryTime},
      {"9999-12-31T23:59:59Z", kLatestEntryTime},
      {"not a time", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadKeepassTime(c.text), c.seconds) << c.text;
}

TEST(KeepassTime, WrittenTimesAreClampedNotWrapped) {
  struct Case {
    int64_t seconds;
    int64_t readBack;
  } cases[] = {
      {1714566600, 1714566600},
      {INT64_MAX, kLatestEntryTime},
      {INT64_MIN, kEarliestEntryTime},
      {kLatestEntryTime + 5, kLatestEntryTime},
  };
  for (const Case& c : cases) {
    std::string text;
    AppendKdbxTime(c.seconds, &text);
    EXPECT_EQ(ReadKeepassTime(text), c.readBack) << c.seconds;
  }
}
