#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/executable_path.h"
#include "safe/safe_store.h"
#include "tests/unit/safe/safe_test_dir.h"

namespace {

std::string FixtureBytes() { return ReadHexFixture("fixture.SAFE.hex"); }

const std::vector<std::string> kFixtureLines = {
    "Bank\tjdoe\ts3cr3t!",
    "Mail\tjohn.doe@example.com\tpa\xE4ss",
};

TEST(SafeStore, OpensTheIndependentlyMadeFixture) {
  SafeTestDir dir;
  std::string fixture = FixtureBytes();
  ASSERT_EQ(fixture.size(), 76u);
  WriteTextFile(dir.SafePath("fixture"), fixture);

  EntryList entries;
  EXPECT_FALSE(LoadSafe("fixture", "Password", entries));
  ASSERT_TRUE(LoadSafe("fixture", "password", entries));
  EXPECT_EQ(ToVector(entries), kFixtureLines);

  // Writing the same list back gives the same bytes (its pad bytes are zero).
  ASSERT_TRUE(SaveSafe("copy", "password", entries));
  EXPECT_EQ(ReadTextFile(dir.SafePath("copy")), fixture);
  EntryList reloaded;
  ASSERT_TRUE(LoadSafe("copy", "password", reloaded));
  EXPECT_EQ(ToVector(reloaded), kFixtureLines);
}

TEST(SafeStore, SafeAndTemporaryFilesArePrivate) {
  SafeTestDir dir;
  EntryList entries;
  AddLine(entries, "a\tb\tc");
  ASSERT_TRUE(SaveSafe("private", "pw", entries));
  struct stat info;
  ASSERT_EQ(stat(dir.SafePath("private").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_TRUE(dir.TempFiles().empty());
  ASSERT_EQ(stat((dir.Path() + "tmp/quillbox-" + std::to_string(geteuid())).c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(SafeStore, ReadOnlySafeIsNotReplaced) {
  SafeTestDir dir;
  EntryList entries;
  AddLine(entries, "old\tentry\there");
  ASSERT_TRUE(SaveSafe("locked", "pw", entries));
  std::string before = ReadTextFile(dir.SafePath("locked"));
  chmod(dir.SafePath("locked").c_str(), 0400);
  AddLine(entries, "new\tentry\there");
  EXPECT_FALSE(SaveSafe("locked", "pw", entries));
  EXPECT_EQ(ReadTextFile(dir.SafePath("locked")), before);
  EXPECT_TRUE(dir.TempFiles().empty());
}

TEST(SafeStore, SaveFailsWithoutAPrivateTempDir) {
  SafeTestDir dir;
  std::string shared = dir.Path() + "tmp/quillbox-" + std::to_string(geteuid());
  mkdir(shared.c_str(), 0777);
  chmod(shared.c_str(), 0777);
  EntryList entries;
  EXPECT_FALSE(SaveSafe("user", "pw", entries));
  EXPECT_FALSE(SafeExists("user"));
}

TEST(SafeStore, ExistsAndDelete) {
  SafeTestDir dir;
  EntryList entries;
  EXPECT_FALSE(SafeExists("gone"));
  ASSERT_TRUE(SaveSafe("gone", "pw", entries));
  EXPECT_TRUE(SafeExists("gone"));
  DeleteSafe("gone");
  EXPECT_FALSE(SafeExists("gone"));
  DeleteSafe("gone");  // already gone: nothing to report
}

struct PathCase {
  const char* name;
  std::string executable;  // "" makes the lookup fail
  std::string userName;
  std::string expected;  // "" for a refused name
};

TEST(SafeStore, BuildSafePathPlacesSafesBesideTheExecutable) {
  // Directory, name, ".SAFE" and NUL need dir + name + 6 bytes of 260.
  const std::string dir253 = "/" + std::string(251, 'd') + "/";
  const std::string dir250 = "/" + std::string(248, 'd') + "/";
  const std::vector<PathCase> cases = {
      {"beside the executable", "/opt/quillbox/bin/quillbox", "alice", "/opt/quillbox/bin/alice.SAFE"},
      {"no executable path", "", "alice", "/alice.SAFE"},
      {"exactly fits", dir250 + "quillbox", "abc", dir250 + "abc.SAFE"},
      {"one byte too long", dir250 + "quillbox", "abcd", "/abcd.SAFE"},
      {"long directory", dir253 + "quillbox", "bob", "/bob.SAFE"},
      {"colon is part of a name", "/opt/q:box/quillbox", "alice", "/opt/q:box/alice.SAFE"},
      {"case and emptiness kept", "/opt/quillbox", "", "/opt/.SAFE"},
      {"slash in the name is refused", "/opt/quillbox", "../alice", ""},
      {"too long even for the root", "/opt/quillbox", std::string(260, 'n'), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OverrideExecutablePath(c.executable.c_str());
    char path[kSafePathCapacity];
    EXPECT_EQ(BuildSafePath(c.userName.c_str(), path), !c.expected.empty());
    EXPECT_EQ(std::string(path), c.expected);
  }
  OverrideExecutablePath(nullptr);
}

// A user who keeps the safe elsewhere through a link keeps one safe: saves
// go to the link's target. A link to nothing makes the save fail.
TEST(SafeStore, SavesThroughALinkedSafe) {
  SafeTestDir dir;
  ASSERT_EQ(mkdir((dir.Path() + "synced").c_str(), 0700), 0);
  EntryList entries;
  AddLine(entries, "a\tb\tc");
  ASSERT_EQ(symlink("synced/alice.SAFE", dir.SafePath("alice").c_str()), 0);
  ASSERT_EQ(symlink("synced/nobody.SAFE", dir.SafePath("bob").c_str()), 0);
  WriteTextFile(dir.Path() + "synced/alice.SAFE", "an older safe");
  ASSERT_TRUE(SaveSafe("alice", "pw", entries));
  AddLine(entries, "d\te\tf");
  ASSERT_TRUE(SaveSafe("alice", "pw", entries));

  struct stat info;
  ASSERT_EQ(lstat(dir.SafePath("alice").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EntryList loaded;
  ASSERT_TRUE(LoadSafe("alice", "pw", loaded));
  EXPECT_EQ(ToVector(loaded), ToVector(entries));

  EXPECT_FALSE(SaveSafe("bob", "pw", entries));
  ASSERT_EQ(lstat(dir.SafePath("bob").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
}

}  // namespace
