#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/executable_path.h"
#include "safe/safe_folder.h"
#include "safe/safe_store.h"
#include "tests/unit/core/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

// Nobody may write to the executable's folder below; root may write
// anywhere, so the check runs as an ordinary user then.
constexpr uid_t kNobody = 65534;

struct FolderResult {
  std::string path;
  SafeFolderReason reason;
};

// GetSafeFolder in a child process that is not root, reported back as text.
FolderResult FolderAsOrdinaryUser() {
  int channel[2];
  if (pipe(channel) != 0) return {"pipe failed", SafeFolderReason::kChosen};
  pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(2);
    SafeFolder folder = GetSafeFolder();
    std::string report = std::to_string(static_cast<int>(folder.reason)) + folder.path;
    ssize_t ignored = write(channel[1], report.data(), report.size());
    (void)ignored;
    _exit(0);
  }
  close(channel[1]);
  std::string report;
  char buffer[512];
  ssize_t n;
  while ((n = read(channel[0], buffer, sizeof buffer)) > 0) report.append(buffer, static_cast<size_t>(n));
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (report.empty()) return {"no report", SafeFolderReason::kChosen};
  return {report.substr(1), static_cast<SafeFolderReason>(report[0] - '0')};
}

class SafeFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The child that drops to nobody must reach the folders.
    fs::permissions(scratch.Root(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::create_directory(scratch.Path("bin"));
    fs::create_directory(scratch.Path("data"));
    if (geteuid() == 0) {
      ASSERT_EQ(chown(scratch.Path("data").c_str(), kNobody, kNobody), 0);
    }
    oldData_ = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    setenv("XDG_DATA_HOME", scratch.Path("data").c_str(), 1);
  }

  void TearDown() override {
    OverrideExecutablePath(nullptr);
    SetSafeFolder("");
    if (oldData_.empty()) {
      unsetenv("XDG_DATA_HOME");
    } else {
      setenv("XDG_DATA_HOME", oldData_.c_str(), 1);
    }
  }

  ScratchDir scratch;
  std::string oldData_;
};

TEST_F(SafeFolderTest, WritableExecutableFolderKeepsSafesBesideIt) {
  OverrideExecutablePath(scratch.Path("bin/quillbox").c_str());
  SafeFolder folder = GetSafeFolder();
  EXPECT_EQ(folder.path, scratch.Path("bin/"));
  EXPECT_EQ(folder.reason, SafeFolderReason::kBesideExecutable);
  // Folders that are not there, and an unknown executable, keep the designed rule.
  OverrideExecutablePath("/no/such/folder/quillbox");
  EXPECT_EQ(GetSafeFolder().path, "/no/such/folder/");
  OverrideExecutablePath("");
  EXPECT_EQ(GetSafeFolder().path, "/");
  EXPECT_FALSE(fs::exists(scratch.Path("data/quillbox")));
}

TEST_F(SafeFolderTest, ReadOnlyExecutableFolderPutsSafesInTheUsersDataFolder) {
  fs::permissions(scratch.Path("bin"), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_exec |
                                           fs::perms::others_read | fs::perms::others_exec);
  OverrideExecutablePath(scratch.Path("bin/quillbox").c_str());
  FolderResult result = FolderAsOrdinaryUser();
  EXPECT_EQ(result.path, scratch.Path("data/quillbox/"));
  EXPECT_EQ(result.reason, SafeFolderReason::kUserData);
  struct stat info;
  ASSERT_EQ(stat(scratch.Path("data/quillbox").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0700u);
  // A chosen folder wins over both rules.
  SetSafeFolder(scratch.Path("chosen"));
  EXPECT_EQ(FolderAsOrdinaryUser().path, scratch.Path("chosen/"));
}

TEST_F(SafeFolderTest, ChosenFolderHoldsEverySafePath) {
  OverrideExecutablePath(scratch.Path("bin/quillbox").c_str());
  SetSafeFolder(scratch.Path("synced"));
  EXPECT_EQ(GetSafeFolder().reason, SafeFolderReason::kChosen);
  char path[kSafePathCapacity];
  ASSERT_TRUE(BuildSafePath("alice", path));
  EXPECT_EQ(std::string(path), scratch.Path("synced/alice.SAFE"));
  // Too long for a chosen folder is refused rather than moved to "/".
  SetSafeFolder("/" + std::string(250, 'd'));
  EXPECT_FALSE(BuildSafePath("alice", path));
  SetSafeFolder("");
  ASSERT_TRUE(BuildSafePath("alice", path));
  EXPECT_EQ(std::string(path), scratch.Path("bin/alice.SAFE"));
}

}  // namespace
