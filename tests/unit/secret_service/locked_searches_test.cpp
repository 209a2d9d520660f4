#include "secret_service/locked_searches.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

ItemAttributes Wanted(const char* value) { return {{SecretText("service"), SecretText(value)}}; }

TEST(LockedSearches, AStandInIsItsClientsAndEachClientKeepsABoundedNumber) {
  LockedSearches searches;
  const EntryId mine = searches.Add(":1.1", Wanted("git"));
  ASSERT_NE(searches.Find(":1.1", mine), nullptr);
  EXPECT_EQ(searches.Find(":1.1", mine)->at(0).value, "git");
  EXPECT_EQ(searches.Find(":1.2", mine), nullptr);
  const EntryId theirs = searches.Add(":1.2", Wanted("mail"));
  std::vector<EntryId> more;
  for (size_t i = 1; i < LockedSearches::kMaxPerClient; ++i) more.push_back(searches.Add(":1.1", Wanted("x")));
  EXPECT_NE(searches.Find(":1.1", mine), nullptr);
  // One more: the client's oldest goes, nobody else's.
  searches.Add(":1.1", Wanted("y"));
  EXPECT_EQ(searches.Find(":1.1", mine), nullptr);
  EXPECT_NE(searches.Find(":1.1", more.front()), nullptr);
  EXPECT_NE(searches.Find(":1.2", theirs), nullptr);
  searches.Forget(":1.2");
  EXPECT_EQ(searches.Find(":1.2", theirs), nullptr);
}

}  // namespace
