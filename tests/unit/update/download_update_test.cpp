#include "update/download_update.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "tests/unit/update/installer_script.h"
#include "tests/unit/update/loopback_server.h"
#include "tests/unit/update/recording_progress.h"
#include "tests/unit/update/test_key_signer.h"
#include "tests/unit/update/update_sandbox.h"
#include "update/run_installer.h"
#include "update/update_files.h"
#include "update/update_error.h"

namespace {

constexpr const char* kExePath = "downloads/update10.exe";

class DownloadUpdateTest : public ::testing::TestWithParam<const char*> {
 protected:
  DownloadUpdateTest() : sandbox_(GetParam()) {}

  void SetUp() override {
    ASSERT_TRUE(server_.IsRunning());
    ASSERT_TRUE(signer_.IsLoaded());
    record_ = sandbox_.Root() + "/installer ran";
    installer_ = RecordingInstaller(record_);
    server_.Put(kExePath, installer_);
    Accept(signer_.SignatureFileFor(installer_));
  }

  // What the check leaves behind when it accepts a signature file.
  void Accept(const Bytes& signatureFile) {
    char path[kUpdatePathSize];
    ASSERT_TRUE(MakeLocalPath(path, "newupdate.sig"));  // makes the private folder
    WriteBytes(path, signatureFile);
  }
  bool Download(UpdateProgress* progress = nullptr) {
    return DownloadUpdate(server_.Host().c_str(), 10, progress, false, checked_);
  }
  std::string Error() const { return UpdateErrorText(); }

  UpdateSandbox sandbox_;
  LoopbackServer server_;
  TestKeySigner signer_;
  std::string record_;
  Bytes installer_;
  CheckedInstaller checked_;
};

TEST_P(DownloadUpdateTest, DownloadsChecksAndStartsTheInstaller) {
  RecordingProgress progress;
  ASSERT_TRUE(Download(&progress));
  EXPECT_EQ(Error(), "");
  EXPECT_EQ(ReadBytes(sandbox_.PrivateDir() + "newupdate.exe"), installer_);
  EXPECT_FALSE(progress.reports.empty());

  int quits = 0;
  ASSERT_TRUE(RunUpdateInstaller(checked_, [&quits] { ++quits; }));
  EXPECT_EQ(quits, 1);
  // The signature path is one argument, spaces and all, unquoted. The script
  // is started from its open descriptor, so its interpreter names it
  // /dev/fd/3.
  const std::vector<std::string> expected = {"/dev/fd/3", "/silent",
                                             "/sigfile=" + sandbox_.PrivateDir() + "newupdate.sig"};
  EXPECT_EQ(WaitForRecord(record_), expected);
}

// Whatever is put under the installer's name after its digest was checked,
// the checked file is the one that runs.
TEST_P(DownloadUpdateTest, StartsTheCheckedFileNotWhatIsSwappedIn) {
  struct Case {
    const char* name;
    std::function<void(const std::string& installer, const std::string& impostor)> swap;
  };
  const Case cases[] = {
      {"another file renamed over it",
       [](const std::string& installer, const std::string& impostor) { std::filesystem::rename(impostor, installer); }},
      {"a symlink to another file",
       [](const std::string& installer, const std::string& impostor) {
         std::filesystem::remove(installer);
         std::filesystem::create_symlink(impostor, installer);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(record_);
    ASSERT_TRUE(Download());
    const std::string impostorRecord = sandbox_.Root() + "/impostor ran";
    const std::string impostor = sandbox_.Root() + "/impostor";
    WriteBytes(impostor, RecordingInstaller(impostorRecord));
    std::filesystem::permissions(impostor, std::filesystem::perms::owner_all);
    c.swap(sandbox_.PrivateDir() + "newupdate.exe", impostor);

    ASSERT_TRUE(RunUpdateInstaller(checked_, [] {}));
    EXPECT_EQ(WaitForRecord(record_).size(), 3u);
    EXPECT_FALSE(std::filesystem::exists(impostorRecord));
  }
}

INSTANTIATE_TEST_SUITE_P(TemporaryFolders, DownloadUpdateTest, ::testing::Values("tmp", "temp with spaces"));

class DownloadRefusalTest : public DownloadUpdateTest {};
INSTANTIATE_TEST_SUITE_P(Plain, DownloadRefusalTest, ::testing::Values("tmp"));

TEST_P(DownloadRefusalTest, RefusesAnInstallerThatIsNotTheSignedOne) {
  const Bytes page = {'<', 'h', '1', '>', 'g', 'o', 'n', 'e'};
  server_.Put(kExePath, page);
  server_.SetMode(kExePath, "status 404");
  EXPECT_FALSE(Download());
  EXPECT_EQ(Error(), "Signature file does not match installer");
  // The page was saved under the installer's name, and nothing started it.
  EXPECT_EQ(ReadBytes(sandbox_.PrivateDir() + "newupdate.exe"), page);
}

TEST_P(DownloadRefusalTest, TheTestChannelFetchesItsOwnInstaller) {
  server_.Remove(kExePath);
  server_.Put("downloads/update10qa.exe", installer_);
  EXPECT_TRUE(DownloadUpdate(server_.Host().c_str(), 10, nullptr, true, checked_));
  EXPECT_NE(server_.RequestLog().find("\"/downloads/update10qa.exe\""), std::string::npos);
}

TEST_P(DownloadRefusalTest, NeedsTheAcceptedSignatureFile) {
  const Bytes full = signer_.SignatureFileFor(installer_);
  struct Case {
    const char* name;
    bool present;
    size_t keep;
    const char* error;
  };
  const Case cases[] = {
      {"deleted", false, 0, "Could not read signature file"},
      {"15 bytes", true, 15, "Invalid signature file; too short"},
      {"16 matching bytes", true, 16, ""},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(sandbox_.PrivateDir() + "newupdate.sig");
    if (c.present) Accept(Bytes(full.begin(), full.begin() + static_cast<long>(c.keep)));
    EXPECT_EQ(Download(), *c.error == '\0') << c.name;
    EXPECT_EQ(Error(), c.error) << c.name;
  }
}

TEST_P(DownloadRefusalTest, ACancelOrFailedFetchLeavesNoText) {
  UpdateErrorText() = "stale";
  RecordingProgress cancelling(1);
  EXPECT_FALSE(Download(&cancelling));
  EXPECT_EQ(Error(), "");
  UpdateErrorText() = "stale";
  EXPECT_FALSE(DownloadUpdate("127.0.0.1:1", 10, nullptr, false, checked_));
  EXPECT_EQ(Error(), "");
}

TEST_P(DownloadRefusalTest, ReportsWhyTheInstallerDidNotStart) {
  int quits = 0;
  auto postQuit = [&quits] { ++quits; };
  EXPECT_FALSE(RunUpdateInstaller(checked_, postQuit));  // nothing downloaded yet
  EXPECT_EQ(Error(), "Failed to execute installer: file not found");
  // A refused installer is not held either.
  server_.Put(kExePath, {'x'});
  EXPECT_FALSE(Download());
  UpdateErrorText().clear();
  EXPECT_FALSE(RunUpdateInstaller(checked_, postQuit));
  EXPECT_EQ(Error(), "Failed to execute installer: file not found");
  EXPECT_EQ(quits, 0);

  struct Case {
    const char* name;
    std::function<int(const std::string& path)> open;
    int error;
  };
  const Case cases[] = {
      {"not a program",
       [](const std::string& path) {
         WriteBytes(path, {0x7f, 'E', 'L', 'F', 0, 0, 0});
         return open(path.c_str(), O_RDONLY | O_CLOEXEC);
       },
       8},  // ENOEXEC
      {"a folder, which not even root may execute",
       [](const std::string& path) {
         std::filesystem::create_directory(path);
         return open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
       },
       5},
  };
  for (const Case& c : cases) {
    const std::string path = sandbox_.Root() + "/" + c.name;
    const int fd = c.open(path);
    ASSERT_GE(fd, 0) << c.name;
    EXPECT_EQ(StartInstaller(fd, path.c_str(), "/nowhere"), c.error) << c.name;
    close(fd);
  }
}

}  // namespace
