#include "core/filehelpers.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "scratch_dir.h"

namespace {

using FileHelpersTest = ScratchDirTest;

TEST_F(FileHelpersTest, FileExists) {
  WriteTextFile(Path("file"), "x");
  WriteTextFile(Path("empty"), "");
  ASSERT_EQ(mkdir(Path("folder").c_str(), 0700), 0);
  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
  const struct {
    const char* path;
    bool exists;
  } cases[] = {
      {nullptr, false},   {"", false},       {"file", true}, {"empty", true},
      {"missing", false}, {"folder", false}, {"fifo", true},  // opened without waiting for a writer
  };
  for (const auto& c : cases) {
    const std::string path = c.path == nullptr || *c.path == '\0' ? std::string() : Path(c.path);
    const char* argument = c.path == nullptr ? nullptr : path.c_str();
    EXPECT_EQ(FileExists(argument), c.exists) << (c.path ? c.path : "(null)");
  }
}

TEST_F(FileHelpersTest, WritesDirectlyOrThroughTemporary) {
  for (bool throughTemporary : {false, true}) {
    const std::string path = Path(throughTemporary ? "via-tmp" : "direct");
    WriteTextFile(path, "a much longer previous content");
    ASSERT_TRUE(WriteBytesToFile(path.c_str(), "new\0bytes", 9, throughTemporary));
    EXPECT_EQ(ReadTextFile(path), std::string("new\0bytes", 9));
  }
  ASSERT_TRUE(WriteBytesToFile(Path("zero").c_str(), nullptr, 0, true));
  EXPECT_EQ(ReadTextFile(Path("zero")), "");
  EXPECT_EQ(dir_.Listing(), "direct via-tmp zero");
}

TEST_F(FileHelpersTest, TemporaryReplacesReadOnlyDestination) {
  const std::string path = Path("user.SAFE");
  WriteTextFile(path, "old");
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  ASSERT_TRUE(WriteBytesToFile(path.c_str(), "new", 3, true));
  EXPECT_EQ(ReadTextFile(path), "new");
  EXPECT_NE(FileMode(path) & S_IWUSR, 0u);
  EXPECT_EQ(dir_.Listing(), "user.SAFE");
}

TEST_F(FileHelpersTest, DirectWriteRefusesReadOnlyFile) {
  const std::string path = Path("locked");
  WriteTextFile(path, "old");
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  EXPECT_FALSE(WriteBytesToFile(path.c_str(), "new", 3, false));
  EXPECT_EQ(ReadTextFile(path), "old");
}

// A file-size limit makes the kernel accept only part of the bytes, then
// refuse the rest: the write must fail and leave nothing half-written.
TEST_F(FileHelpersTest, ShortWriteLeavesNoPartialFile) {
  WriteTextFile(Path("existing"), "intact");
  const std::string big(256 * 1024, 'x');
  rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* previousHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 64 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool direct = WriteBytesToFile(Path("new").c_str(), big.data(), big.size(), false);
  const bool replaced = WriteBytesToFile(Path("existing").c_str(), big.data(), big.size(), true);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previousHandler);

  EXPECT_FALSE(direct);
  EXPECT_FALSE(replaced);
  EXPECT_EQ(ReadTextFile(Path("existing")), "intact");
  EXPECT_EQ(dir_.Listing(), "existing");
}

TEST_F(FileHelpersTest, FailedReplacementIsReported) {
  ASSERT_EQ(mkdir(Path("folder").c_str(), 0700), 0);
  EXPECT_FALSE(WriteBytesToFile(Path("folder").c_str(), "x", 1, true));
  EXPECT_FALSE(WriteBytesToFile(Path("no-such-dir/file").c_str(), "x", 1, true));
  EXPECT_FALSE(WriteBytesToFile(nullptr, "x", 1, false));
  EXPECT_FALSE(WriteBytesToFile("", "x", 1, false));
  EXPECT_EQ(dir_.Listing(), "folder");
}

// Writing opens like reading does: a FIFO without a reader must not hang the
// caller, nothing is ever written into a pipe or device, and a planted link
// is not followed, neither at the path nor at its ".tmp" file.
TEST_F(FileHelpersTest, WritesOnlyRegularFilesAndFollowsNoLink) {
  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo(Path("sig.tmp").c_str(), 0600), 0);
  // In a child, so a hang ends with the alarm instead of the test run.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(20);
    const bool written =
        WriteBytesToFile(Path("fifo").c_str(), "x", 1, false) || WriteBytesToFile(Path("sig").c_str(), "x", 1, true);
    _exit(written ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;

  // With a reader the open itself would succeed; the bytes must not go in.
  const int reader = open(Path("fifo").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_FALSE(WriteBytesToFile(Path("fifo").c_str(), "x", 1, false));
  char byte;
  EXPECT_LE(read(reader, &byte, 1), 0);
  close(reader);

  WriteTextFile(Path("target"), "kept");
  ASSERT_EQ(symlink(Path("target").c_str(), Path("link").c_str()), 0);
  ASSERT_EQ(symlink(Path("target").c_str(), Path("other.tmp").c_str()), 0);
  EXPECT_FALSE(WriteBytesToFile(Path("link").c_str(), "new", 3, false));
  EXPECT_FALSE(WriteBytesToFile(Path("other").c_str(), "new", 3, true));
  EXPECT_EQ(ReadTextFile(Path("target")), "kept");
}

TEST_F(FileHelpersTest, CopyOverFileMovesSourceOntoDestination) {
  WriteTextFile(Path("source"), "fresh");
  ASSERT_EQ(chmod(Path("source").c_str(), 0400), 0);
  WriteTextFile(Path("target"), "stale");
  ASSERT_EQ(chmod(Path("target").c_str(), 0444), 0);
  EXPECT_TRUE(CopyOverFile(Path("source").c_str(), Path("target").c_str()));
  EXPECT_EQ(ReadTextFile(Path("target")), "fresh");
  EXPECT_EQ(FileMode(Path("target")), 0400u);
  EXPECT_EQ(dir_.Listing(), "target");
}

TEST_F(FileHelpersTest, CopyOverFileOntoItselfKeepsTheFile) {
  WriteTextFile(Path("same"), "keep me");
  EXPECT_TRUE(CopyOverFile(Path("same").c_str(), Path("same").c_str()));
  EXPECT_TRUE(CopyOverFile(Path("same").c_str(), (dir_.Path(".") + "/same").c_str()));
  EXPECT_EQ(ReadTextFile(Path("same")), "keep me");
}

TEST(FileNamePartTest, Cases) {
  const struct {
    const char* path;
    const char* name;
  } cases[] = {
      {"C:\\Program Files\\Quillbox\\jo.SAFE", "jo.SAFE"},
      {"/opt/quillbox/jo.SAFE", "jo.SAFE"},
      {"C:name", "name"},
      {"dir\\", ""},
      {"dir/", ""},
      {"C:\\", ""},
      {"", ""},
      {"plain", "plain"},
      {"mixed/a\\b:c", "c"},
  };
  for (const auto& c : cases) EXPECT_STREQ(FileNamePart(c.path), c.name) << c.path;
  const char* path = "/x/y";
  EXPECT_EQ(FileNamePart(path), path + 3);
  EXPECT_EQ(FileNamePart(static_cast<const char*>(nullptr)), nullptr);
}

}  // namespace
