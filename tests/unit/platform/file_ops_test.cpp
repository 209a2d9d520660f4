#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>
#include <string>

#include "platform/core_dumps.h"
#include "platform/replace_file.h"
#include "platform/temp_file.h"
#include "tests/unit/core/scratch_dir.h"

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(TempFile, UniquePrivateFilesWithThePrefix) {
  ScratchDir scratch;
  std::string directory = scratch.Path("");
  std::set<std::string> names;
  for (int i = 0; i < 20; ++i) {
    char path[260];
    ASSERT_TRUE(CreateTempFile(directory.c_str(), "tulvane", path, sizeof path));
    std::string name(path);
    EXPECT_EQ(name.rfind(directory + "tulvane", 0), 0u) << name;
    EXPECT_EQ(FileMode(name), 0600u);
    EXPECT_TRUE(names.insert(name).second);
  }
  char path[260];
  EXPECT_FALSE(CreateTempFile(directory.c_str(), "tulvane", path, 8));
  EXPECT_FALSE(CreateTempFile(scratch.Path("missing/").c_str(), "tulvane", path, sizeof path));
}

TEST(ReplaceFile, ReplacesOrCreatesButNeverAReadOnlyFile) {
  ScratchDir scratch;
  std::string source = scratch.Path("source");
  std::string target = scratch.Path("target");
  WriteTextFile(source, "new contents");
  chmod(source.c_str(), 0600);

  ASSERT_TRUE(ReplaceFileWithCopy(source.c_str(), target.c_str()));  // created
  EXPECT_EQ(ReadTextFile(target), "new contents");
  EXPECT_EQ(FileMode(target), 0600u);

  WriteTextFile(target, "old contents");
  ASSERT_TRUE(ReplaceFileWithCopy(source.c_str(), target.c_str()));
  EXPECT_EQ(ReadTextFile(target), "new contents");

  // Root could write it anyway; the owner-write bit is what counts.
  WriteTextFile(target, "read-only contents");
  chmod(target.c_str(), 0444);
  EXPECT_FALSE(ReplaceFileWithCopy(source.c_str(), target.c_str()));
  EXPECT_EQ(ReadTextFile(target), "read-only contents");

  EXPECT_FALSE(ReplaceFileWithCopy(scratch.Path("missing").c_str(), scratch.Path("other").c_str()));
  EXPECT_EQ(FileMode(scratch.Path("other")), 0u);
}

// A safe kept elsewhere through a link: the link stays and its target gets
// the new contents, replaced atomically in the target's own folder.
TEST(ReplaceFile, ReplacesTheTargetOfALinkAndKeepsTheLink) {
  ScratchDir scratch;
  ASSERT_EQ(mkdir(scratch.Path("here").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(scratch.Path("elsewhere").c_str(), 0700), 0);
  std::string source = scratch.Path("source");
  WriteTextFile(source, "new contents");
  WriteTextFile(scratch.Path("elsewhere/real"), "old contents");
  ASSERT_EQ(symlink("../elsewhere/real", scratch.Path("here/hop").c_str()), 0);
  std::string link = scratch.Path("here/user.SAFE");
  ASSERT_EQ(symlink("hop", link.c_str()), 0);

  ASSERT_TRUE(ReplaceFileWithCopy(source.c_str(), link.c_str()));
  struct stat info;
  ASSERT_EQ(lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(ReadTextFile(scratch.Path("elsewhere/real")), "new contents");
  EXPECT_EQ(ReadTextFile(link), "new contents");
  EXPECT_EQ(scratch.Listing(), "elsewhere here source");
  EXPECT_EQ(FolderListing(scratch.Path("elsewhere")), "real");
  EXPECT_EQ(FolderListing(scratch.Path("here")), "hop user.SAFE");

  // A read-only target is refused through the link as well.
  chmod(scratch.Path("elsewhere/real").c_str(), 0444);
  WriteTextFile(source, "newer contents");
  EXPECT_FALSE(ReplaceFileWithCopy(source.c_str(), link.c_str()));
  EXPECT_EQ(ReadTextFile(link), "new contents");
}

TEST(ReplaceFile, DanglingOrLoopingLinkFailsAndStays) {
  ScratchDir scratch;
  std::string source = scratch.Path("source");
  WriteTextFile(source, "new contents");
  ASSERT_EQ(symlink("gone", scratch.Path("dangling").c_str()), 0);
  ASSERT_EQ(symlink("loop", scratch.Path("loop").c_str()), 0);
  for (const char* name : {"dangling", "loop"}) {
    std::string link = scratch.Path(name);
    EXPECT_FALSE(ReplaceFileWithCopy(source.c_str(), link.c_str())) << name;
    struct stat info;
    ASSERT_EQ(lstat(link.c_str(), &info), 0) << name;
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << name;
  }
  EXPECT_EQ(scratch.Listing(), "dangling loop source");
}

TEST(CoreDumps, OffAfterTheCall) {
  // In a child, so the test runner itself keeps its settings.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    bool ok = DisableCoreDumps();
    struct rlimit limit;
    getrlimit(RLIMIT_CORE, &limit);
    _exit(ok && limit.rlim_cur == 0 && limit.rlim_max == 0 && prctl(PR_GET_DUMPABLE) == 0 ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
