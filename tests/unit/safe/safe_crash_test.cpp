#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "safe/safe_lock.h"
#include "safe/safe_store.h"
#include "tests/unit/safe/safe_test_dir.h"

namespace {

void FillBulk(EntryList& entries, const std::string& tag, int count) {
  std::string filler(250, tag[0]);
  for (int i = 0; i < count; ++i) AddLine(entries, (tag + "\t" + std::to_string(i) + "\t" + filler).c_str());
}

// A child saves the two lists (each over two chunks) in turn until it is
// killed; whenever that happens, the safe must still load as one of them.
// A copy a killed save left beside the safe is gone after the next save, so
// in the end the folder holds the safe and its lock file only.
TEST(SafeCrash, KilledSaveLeavesTheOldOrTheNewSafe) {
  SafeTestDir dir;
  EntryList first;
  FillBulk(first, "first", 10000);
  EntryList second;
  FillBulk(second, "second", 9000);
  const auto firstLines = ToVector(first);
  const auto secondLines = ToVector(second);

  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(SaveSafe("user", "pw", first));
  auto saveTime = std::chrono::steady_clock::now() - start;

  constexpr int kKills = 40;
  int seenFirst = 0;
  int seenSecond = 0;
  for (int kill = 0; kill < kKills; ++kill) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (;;) {
        SaveSafe("user", "pw", second);
        SaveSafe("user", "pw", first);
      }
    }
    // Spread the kills over one cycle of both saves.
    std::this_thread::sleep_for(saveTime * 2 * kill / kKills);
    ::kill(child, SIGKILL);
    int status;
    waitpid(child, &status, 0);

    EntryList loaded;
    ASSERT_TRUE(LoadSafe("user", "pw", loaded)) << "after kill " << kill;
    auto lines = ToVector(loaded);
    ASSERT_TRUE(lines == firstLines || lines == secondLines) << "after kill " << kill;
    (lines == firstLines ? seenFirst : seenSecond)++;
  }
  SafeLock lock;
  ASSERT_EQ(lock.Acquire("user"), SafeLock::Result::kAcquired);
  ASSERT_TRUE(SaveSafe("user", "pw", first));
  EXPECT_EQ(dir.Listing(), "tmp user.SAFE user.SAFE.lock");
  RecordProperty("loads_as_first", seenFirst);
  RecordProperty("loads_as_second", seenSecond);
}

}  // namespace
