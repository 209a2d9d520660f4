#include "update/update_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <iterator>
#include <vector>

#include "tests/unit/update/update_sandbox.h"

namespace {

namespace fs = std::filesystem;

bool Write(const UpdateFolder& folder, const char* name, const char* text) {
  cpBuffer buffer;
  buffer.SetSize(static_cast<uint32_t>(std::strlen(text)));
  std::memcpy(buffer.GetData(), text, buffer.GetSize());
  return folder.WriteFile(name, buffer);
}

// Once checked and opened, the folder is the one written to, whatever is put
// under its path later.
TEST(UpdateFolderTest, KeepsToTheFolderItChecked) {
  UpdateSandbox sandbox;
  const UpdateFolder folder;
  ASSERT_TRUE(folder.IsOpen());
  const std::string path = sandbox.PrivateDir().substr(0, sandbox.PrivateDir().size() - 1);
  const std::string moved = sandbox.Root() + "/moved";
  const std::string planted = sandbox.Root() + "/planted";
  fs::rename(path, moved);
  fs::create_directory(planted);
  fs::create_directory_symlink(planted, path);

  ASSERT_TRUE(Write(folder, "newupdate.sig", "signature"));
  EXPECT_EQ(ReadBytes(moved + "/newupdate.sig"),
            std::vector<unsigned char>({'s', 'i', 'g', 'n', 'a', 't', 'u', 'r', 'e'}));
  EXPECT_TRUE(fs::is_empty(planted));
  // Only the file itself is left: no half-written sibling.
  EXPECT_EQ(std::distance(fs::directory_iterator(moved), fs::directory_iterator()), 1);

  // A folder that fails the check is not opened at all.
  EXPECT_FALSE(UpdateFolder().IsOpen());
}

TEST(UpdateFolderTest, ReadsOnlyRegularFilesAndNeverFollowsALink) {
  UpdateSandbox sandbox;
  const UpdateFolder folder;
  ASSERT_TRUE(Write(folder, "newupdate.sig", "abc"));
  cpBuffer read;
  ASSERT_TRUE(folder.ReadFile("newupdate.sig", read));
  EXPECT_EQ(read.GetSize(), 3u);

  const std::string dir = sandbox.PrivateDir();
  fs::create_symlink(dir + "newupdate.sig", dir + "link");
  ASSERT_EQ(mkfifo((dir + "fifo").c_str(), 0600), 0);  // would block an ordinary open
  fs::create_directory(dir + "folder");
  for (const char* name : {"link", "fifo", "folder", "missing"}) {
    EXPECT_EQ(folder.OpenForReading(name), -1) << name;
    EXPECT_FALSE(folder.ReadFile(name, read)) << name;
  }
}

}  // namespace
