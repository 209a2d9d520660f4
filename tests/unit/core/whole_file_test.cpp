#include "core/whole_file.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <thread>

#include "core/posixfile.h"
#include "core/wiping_allocator.h"
#include "scratch_dir.h"

namespace {

using WholeFileTest = ScratchDirTest;

FileReadOptions Capped(size_t maxBytes) { return {.maxBytes = maxBytes}; }

TEST_F(WholeFileTest, KeepsEveryByte) {
  const std::string bytes("line\r\n\0\xff end", 12);
  WriteTextFile(Path("data"), bytes);
  WriteTextFile(Path("empty"), "");
  std::string read = "previous";
  ASSERT_TRUE(ReadWholeFile(Path("data").c_str(), Capped(12), &read));
  EXPECT_EQ(read, bytes);
  WipingBytes empty = {1, 2, 3};
  ASSERT_TRUE(ReadWholeFile(Path("empty").c_str(), Capped(12), &empty));
  EXPECT_TRUE(empty.empty());
}

TEST_F(WholeFileTest, RefusesWhatItShouldNotRead) {
  WriteTextFile(Path("data"), "thirteen byte");
  ASSERT_EQ(mkdir(Path("folder").c_str(), 0700), 0);
  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);  // refused without waiting for a writer
  ASSERT_EQ(symlink(Path("data").c_str(), Path("link").c_str()), 0);
  const struct {
    const char* name;
    FileReadOptions options;
    FileReadStatus status;
  } cases[] = {
      {"missing", Capped(100), FileReadStatus::kCannotOpen},
      {"folder", Capped(100), FileReadStatus::kNotAFile},
      {"folder", {.maxBytes = 100, .streams = true}, FileReadStatus::kNotAFile},
      {"fifo", Capped(100), FileReadStatus::kNotAFile},
      {"data", Capped(12), FileReadStatus::kTooLarge},
      {"link", {.maxBytes = 100, .followLinks = false}, FileReadStatus::kCannotOpen},
      {"link", Capped(100), FileReadStatus::kRead},
  };
  for (const auto& c : cases) {
    std::string read = "kept";
    const FileReadResult result = ReadWholeFile(Path(c.name).c_str(), c.options, &read);
    EXPECT_EQ(result.status, c.status) << c.name;
    EXPECT_EQ(read, c.status == FileReadStatus::kRead ? "thirteen byte" : "") << c.name;
  }
  std::string read;
  EXPECT_EQ(ReadWholeFile("", Capped(100), &read).status, FileReadStatus::kCannotOpen);
}

// A stream has no size to check beforehand: it is read up to the cap.
TEST(WholeFile, ReadsAStreamUpToTheCap) {
  const std::string sent(200000, 's');
  for (size_t cap : {sent.size(), sent.size() - 1}) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    uint64_t size = 1;
    EXPECT_EQ(CheckForReading(ends[0], Capped(cap), &size).status, FileReadStatus::kNotAFile);
    ASSERT_TRUE(CheckForReading(ends[0], {.maxBytes = cap, .streams = true}, &size));
    EXPECT_EQ(size, 0u);
    std::thread writer([&] {
      EXPECT_TRUE(WriteFully(ends[1], sent.data(), sent.size()));
      close(ends[1]);
    });
    std::string read;
    const FileReadResult result = ReadToEnd(ends[0], size, cap, &read);
    writer.join();
    close(ends[0]);
    EXPECT_EQ(result.status, cap == sent.size() ? FileReadStatus::kRead : FileReadStatus::kTooLarge);
    EXPECT_EQ(read, cap == sent.size() ? sent : "");
  }
}

}  // namespace
