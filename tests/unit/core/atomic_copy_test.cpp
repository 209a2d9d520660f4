#include "core/atomic_copy.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "scratch_dir.h"

namespace {

using AtomicCopyTest = ScratchDirTest;

TEST_F(AtomicCopyTest, ReplacesDestinationWithNewFile) {
  WriteTextFile(Path("source"), "new contents");
  ASSERT_EQ(chmod(Path("source").c_str(), 0640), 0);
  WriteTextFile(Path("destination"), "old");
  // A reader that opened the old file keeps seeing it whole: the
  // destination is swapped, never rewritten in place.
  const int reader = open(Path("destination").c_str(), O_RDONLY);
  ASSERT_GE(reader, 0);

  ASSERT_TRUE(AtomicCopyFile(Path("source").c_str(), Path("destination").c_str()));
  EXPECT_EQ(ReadTextFile(Path("destination")), "new contents");
  EXPECT_EQ(FileMode(Path("destination")), 0640u);
  EXPECT_EQ(ReadTextFile(Path("source")), "new contents");
  char old[8] = {};
  EXPECT_EQ(read(reader, old, sizeof old), 3);
  EXPECT_STREQ(old, "old");
  close(reader);
  EXPECT_EQ(dir_.Listing(), "destination source");
}

TEST_F(AtomicCopyTest, CreatesMissingDestinationWithSourceMode) {
  WriteTextFile(Path("source"), "");
  ASSERT_EQ(chmod(Path("source").c_str(), 0444), 0);
  ASSERT_TRUE(AtomicCopyFile(Path("source").c_str(), Path("copy").c_str()));
  EXPECT_EQ(ReadTextFile(Path("copy")), "");
  EXPECT_EQ(FileMode(Path("copy")), 0444u);
}

TEST_F(AtomicCopyTest, FailureLeavesDestinationAndDirectoryAsTheyWere) {
  WriteTextFile(Path("source"), "data");
  WriteTextFile(Path("destination"), "untouched");
  ASSERT_EQ(mkdir(Path("folder").c_str(), 0700), 0);
  WriteTextFile(Path("folder/inside"), "");
  const struct {
    std::string source;
    std::string destination;
  } cases[] = {
      {Path("missing"), Path("destination")},
      {Path("folder"), Path("destination")},
      {Path("source"), Path("folder")},
      {Path("source"), Path("no-such-dir/destination")},
      {Path("source"), ""},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(AtomicCopyFile(c.source.c_str(), c.destination.c_str())) << c.source << " -> " << c.destination;
    EXPECT_EQ(ReadTextFile(Path("destination")), "untouched");
    EXPECT_EQ(dir_.Listing(), "destination folder source");
  }
  EXPECT_FALSE(AtomicCopyFile(nullptr, Path("destination").c_str()));
  EXPECT_FALSE(AtomicCopyFile(Path("source").c_str(), nullptr));
}

// A save killed between making its copy and the rename leaves the copy, a
// whole safe that may open under an old password. The next save into that
// folder removes it, but never the copy a running save still holds.
TEST_F(AtomicCopyTest, LeftoverCopiesGoButRunningOnesStay) {
  WriteTextFile(Path("source"), "new");
  WriteTextFile(Path(".quillbox-copy-Ab12Cd"), "old safe");
  WriteTextFile(Path(".quillbox-copy-Held01"), "being written");
  WriteTextFile(Path(".quillbox-copy-notes.txt"), "not ours");
  ASSERT_EQ(mkdir(Path(".quillbox-copy-Folder").c_str(), 0700), 0);
  const int running = open(Path(".quillbox-copy-Held01").c_str(), O_RDONLY);
  ASSERT_GE(running, 0);
  ASSERT_EQ(flock(running, LOCK_EX), 0);

  ASSERT_TRUE(AtomicCopyFile(Path("source").c_str(), Path("destination").c_str()));
  EXPECT_EQ(dir_.Listing(),
            ".quillbox-copy-Folder .quillbox-copy-Held01 .quillbox-copy-notes.txt "
            "destination source");

  close(running);
  RemoveLeftoverCopiesBeside(Path("destination").c_str());
  EXPECT_EQ(dir_.Listing(), ".quillbox-copy-Folder .quillbox-copy-notes.txt destination source");
}

}  // namespace
