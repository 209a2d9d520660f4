#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "safe/conflict_copies.h"

namespace {

struct NameCase {
  const char* fileName;
  bool isAlicesCopy;
};

TEST(ConflictCopies, NamesOfTheThreeSyncProgramsAndNothingElse) {
  const std::vector<NameCase> cases = {
      // Syncthing
      {"alice.sync-conflict-20250101-101010-ABCDEF7.SAFE", true},
      {"alice.sync-conflict-20250101-101010-7.SAFE", true},
      {"alice.sync-conflict-2025011-101010-ABCDEF7.SAFE", false},
      {"alice.sync-conflict-20250101-101010-abcdef7.SAFE", false},
      {"alice.sync-conflict-20250101-101010-ABCDEF7.SAFE.tmp", false},
      {".syncthing.alice.SAFE.tmp", false},
      // Nextcloud, also with the account name some versions add
      {"alice (conflicted copy 2025-01-02 101010).SAFE", true},
      {"alice (conflicted copy jdoe 2025-01-02 101010).SAFE", true},
      {"alice (conflicted copy 2025-01-02).SAFE", false},
      // Dropbox, also numbered
      {"alice (Bob's conflicted copy 2025-01-03).SAFE", true},
      {"alice (Bob's MacBook's conflicted copy 2025-01-03 (1)).SAFE", true},
      {"alice (conflicted copy 2025-01-03).SAFE", false},
      // The safe itself, other users, other files
      {"alice.SAFE", false},
      {"alice.SAFE.lock", false},
      {"alice2.sync-conflict-20250101-101010-ABCDEF7.SAFE", false},
      {"Alice.sync-conflict-20250101-101010-ABCDEF7.SAFE", false},
      {"bob (conflicted copy 2025-01-02 101010).SAFE", false},
      {"alice (conflicted copy 2025-01-02 101010).safe", false},
      {"xalice (Bob's conflicted copy 2025-01-03).SAFE", false},
  };
  for (const NameCase& c : cases) {
    EXPECT_EQ(IsConflictCopyName(c.fileName, "alice"), c.isAlicesCopy) << c.fileName;
  }
  EXPECT_FALSE(IsConflictCopyName("al.sync-conflict-20250101-101010-ABCDEF7.SAFE", "alice"));
  EXPECT_TRUE(IsConflictCopyName("al.sync-conflict-20250101-101010-ABCDEF7.SAFE", "al"));
}

}  // namespace
