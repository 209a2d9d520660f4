// An import must not overwrite a version of the safe that a sync program
// delivers while it runs.
#include <gtest/gtest.h>
#include <stdio.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "cli_process.h"
#include "safe/safe_folder.h"
#include "safe/safe_lock.h"
#include "safe/safe_store.h"
#include "tests/unit/safe/safe_test_dir.h"
#include "tests/unit/core/scratch_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

// Writes a version of the safe as a sync program does: whole, then renamed over.
void Deliver(const std::string& path, const std::string& bytes) {
  std::string staged = path + ".sync";
  FILE* file = fopen(staged.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  fwrite(bytes.data(), 1, bytes.size(), file);
  fclose(file);
  ASSERT_EQ(rename(staged.c_str(), path.c_str()), 0);
}

std::string SavedBytes(const std::string& folder, const HeldSafeKey& key, const std::vector<std::string>& lines) {
  SetSafeFolder(folder);
  EntryList entries;
  for (const std::string& line : lines) AddLine(entries, line.c_str());
  EXPECT_TRUE(SaveSafe("alice", key, entries));
  return ReadTextFile(folder + "/alice.SAFE");
}

bool Holds(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A key whose derivation takes long enough (about half a second) to leave
// room for a delivery while another derivation runs.
Clock::duration DeriveSlowKey(HeldSafeKey& key) {
  StrongSafeParams params = {1, 32768};
  for (;;) {
    Clock::time_point start = Clock::now();
    EXPECT_TRUE(DeriveNewSafeKey("pw", SafeFormat::kStrong, params, key));
    Clock::duration took = Clock::now() - start;
    if (took > std::chrono::milliseconds(400) || params.iterations * 2 > kStrongMaxIterations) return took;
    params.iterations *= 2;
  }
}

TEST(CliImportRace, VersionsDeliveredWhileImportingAreKept) {
  ScratchDir safes, staging, temp;
  HeldSafeKey key;
  const Clock::duration derivation = DeriveSlowKey(key);
  const std::string path = safes.Path("alice.SAFE");
  Deliver(path, SavedBytes(staging.Root(), key, {"Old\tann\tp1"}));
  const std::string synced = SavedBytes(staging.Root(), key, {"Old\tann\tp1", "Synced\tbob\tp2"});
  const std::string later = SavedBytes(staging.Root(), key, {"Old\tann\tp1", "Synced\tbob\tp2", "Later\tcy\tp3"});
  const std::string csv = temp.Path("import.csv");
  {
    FILE* file = fopen(csv.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fputs("Description,Username,Password\nImported,dee,p4\n", file);
    fclose(file);
  }

  // Another save holds the lock while the import reads the safe; the first
  // version arrives then.
  SetSafeFolder(safes.Root());
  SafeLock held;
  ASSERT_EQ(held.Acquire("alice"), SafeLock::Result::kAcquired);
  CliResult result;
  std::thread import([&] {
    result = RunCliProcess({"--dir", safes.Root(), "--password-stdin", "import", "alice", csv}, "pw\n", temp.Root());
  });
  std::this_thread::sleep_for(derivation + std::chrono::milliseconds(600));
  Deliver(path, synced);
  held.Release();
  // The next arrives a moment later, unless the safe changed meanwhile
  // (a sync program leaves a conflict copy then).
  std::this_thread::sleep_for(derivation * 3 / 2);
  const bool later_delivered = ReadTextFile(path) == synced;
  if (later_delivered) Deliver(path, later);
  import.join();

  EXPECT_EQ(result.status, 0) << result.err;
  EntryList entries;
  ASSERT_TRUE(LoadSafe("alice", key, entries));
  std::vector<std::string> lines = ToVector(entries);
  EXPECT_TRUE(Holds(lines, "Synced\tbob\tp2"));
  EXPECT_TRUE(Holds(lines, "Imported\tdee\tp4"));
  if (later_delivered) {
    EXPECT_TRUE(Holds(lines, "Later\tcy\tp3"));
  }
  SetSafeFolder("");
}

}  // namespace
