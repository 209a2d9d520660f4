#include "platform/private_temp_dir.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "platform/temp_file.h"
#include "tests/unit/core/scratch_dir.h"

namespace {

class ScopedTmpDir {
 public:
  explicit ScopedTmpDir(const std::string& value) {
    if (const char* old = std::getenv("TMPDIR")) old_ = old;
    setenv("TMPDIR", value.c_str(), 1);
  }
  ~ScopedTmpDir() {
    if (old_.empty()) {
      unsetenv("TMPDIR");
    } else {
      setenv("TMPDIR", old_.c_str(), 1);
    }
  }

 private:
  std::string old_;
};

std::string PrivateName() { return "quillbox-" + std::to_string(geteuid()); }

TEST(PrivateTempDir, CreatedPrivateWithTrailingSlash) {
  ScratchDir scratch;
  ScopedTmpDir tmp(scratch.Path("") + "/");
  char buffer[260];
  ASSERT_TRUE(GetPrivateTempDir(buffer, sizeof buffer));
  EXPECT_EQ(std::string(buffer), scratch.Path(PrivateName()) + "/");
  EXPECT_EQ(FileMode(scratch.Path(PrivateName())), 0700u);
  // A second call finds the same folder.
  ASSERT_TRUE(GetPrivateTempDir(buffer, sizeof buffer));
  EXPECT_FALSE(GetPrivateTempDir(buffer, 10));

  // The descriptor reaches that folder.
  const int fd = OpenPrivateTempDir();
  ASSERT_GE(fd, 0);
  struct stat opened, named;
  ASSERT_EQ(fstat(fd, &opened), 0);
  ASSERT_EQ(stat(buffer, &named), 0);
  EXPECT_EQ(opened.st_ino, named.st_ino);
  close(fd);
}

TEST(PrivateTempDir, RefusesFoldersOthersCouldReach) {
  struct Case {
    const char* name;
    // False when this case cannot be set up here.
    std::function<bool(const std::string& path)> plant;
  };
  const std::vector<Case> cases = {
      {"symlink to a private folder",
       [](const std::string& path) {
         mkdir((path + "-real").c_str(), 0700);
         return symlink((path + "-real").c_str(), path.c_str()) == 0;
       }},
      {"group readable",
       [](const std::string& path) { return mkdir(path.c_str(), 0700) == 0 && chmod(path.c_str(), 0750) == 0; }},
      {"world writable",
       [](const std::string& path) { return mkdir(path.c_str(), 0700) == 0 && chmod(path.c_str(), 0703) == 0; }},
      {"owned by someone else",  // only root can give a folder away
       [](const std::string& path) {
         return mkdir(path.c_str(), 0700) == 0 && chown(path.c_str(), 65534, 65534) == 0;
       }},
      {"a plain file", [](const std::string& path) { return close(creat(path.c_str(), 0600)) == 0; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir scratch;
    ScopedTmpDir tmp(scratch.Path(""));
    if (!c.plant(scratch.Path(PrivateName()))) continue;
    char buffer[260];
    EXPECT_FALSE(GetPrivateTempDir(buffer, sizeof buffer));
    EXPECT_EQ(OpenPrivateTempDir(), -1);
  }
}

TEST(PrivateTempDir, DefaultsToTmp) {
  ScopedTmpDir tmp("");
  char buffer[260];
  ASSERT_TRUE(GetPrivateTempDir(buffer, sizeof buffer));
  EXPECT_EQ(std::string(buffer), "/tmp/" + PrivateName() + "/");
}

// A save killed before it removed its temporary file leaves a whole safe in
// the private folder. The sweep each program runs at start removes it, but
// never the file of a save still running, nor files that are not a save's.
TEST(PrivateTempDir, SweepRemovesWhatKilledSavesLeftButNotRunningOnes) {
  ScratchDir scratch;
  ScopedTmpDir tmp(scratch.Path(""));
  char folder[260];
  ASSERT_TRUE(GetPrivateTempDir(folder, sizeof folder));
  char running[260];
  ASSERT_TRUE(CreateTempFile(folder, "tulvane", running, sizeof running));
  const pid_t killed = fork();
  if (killed == 0) {
    char left[260];
    _exit(CreateTempFile(folder, "tulvane", left, sizeof left) ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(killed, &status, 0), killed);
  ASSERT_EQ(status, 0);
  WriteTextFile(std::string(folder) + "tulvane-notes.txt", "not a save's");
  WriteTextFile(std::string(folder) + "update.bin", "an update's");
  ASSERT_EQ(FolderListing(folder).size(),
            std::string("tulvaneXXXXXX tulvaneXXXXXX tulvane-notes.txt update.bin").size());

  RemoveUnheldPrivateTempFiles("tulvane");
  struct stat info;
  EXPECT_EQ(stat(running, &info), 0) << "a running save's file stays";
  EXPECT_EQ(FolderListing(folder).size(), std::string("tulvaneXXXXXX tulvane-notes.txt update.bin").size());

  RemoveTempFile(running);
  RemoveUnheldPrivateTempFiles("tulvane");
  EXPECT_EQ(FolderListing(folder), "tulvane-notes.txt update.bin");
}

}  // namespace
