#include "update/check_update.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "tests/unit/update/loopback_server.h"
#include "tests/unit/update/test_key_signer.h"
#include "tests/unit/update/update_sandbox.h"
#include "update/update_error.h"

namespace {

const Bytes kInstaller = {'#', '!', '/', 'b', 'i', 'n', '/', 's', 'h', '\n'};
constexpr const char* kSigPath = "downloads/update10.sig";

class CheckUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.IsRunning());
    ASSERT_TRUE(signer_.IsLoaded());
    published_ = signer_.SignatureFileFor(kInstaller);
    ASSERT_EQ(published_.size(), 145u);
  }

  bool Check(bool qa = false) { return CheckUpdateAvailable(server_.Host().c_str(), 10, qa); }
  std::string Error() const { return UpdateErrorText(); }

  UpdateSandbox sandbox_;
  LoopbackServer server_;
  TestKeySigner signer_;
  Bytes published_;
};

TEST_F(CheckUpdateTest, AcceptsASignedUpdateAndKeepsItsSignatureFile) {
  UpdateErrorText() = "stale";
  server_.Put(kSigPath, published_);
  ASSERT_TRUE(Check());
  EXPECT_EQ(Error(), "");
  EXPECT_EQ(ReadBytes(sandbox_.PrivateDir() + "newupdate.sig"), published_);

  // The test channel asks for its own file.
  server_.Put("downloads/update10qa.sig", published_);
  EXPECT_TRUE(Check(true));
  EXPECT_NE(server_.RequestLog().find("/downloads/update10qa.sig"), std::string::npos);
}

TEST_F(CheckUpdateTest, TheInstalledUpdateIsNotOfferedAgain) {
  server_.Put(kSigPath, published_);
  Bytes current = published_;
  WriteBytes(sandbox_.AppDir() + "/current.sig", current);
  UpdateErrorText() = "stale";
  EXPECT_FALSE(Check());
  EXPECT_EQ(Error(), "");

  // One different byte (here in the ignored tail) is another update.
  current.push_back(0);
  WriteBytes(sandbox_.AppDir() + "/current.sig", current);
  EXPECT_TRUE(Check());
}

TEST_F(CheckUpdateTest, RefusesWhatDoesNotVerify) {
  Bytes changedDigest = published_;
  changedDigest[3] ^= 0x40;
  Bytes shortLength = published_;
  shortLength.pop_back();
  struct Case {
    const char* name;
    Bytes file;
    const char* mode;
  };
  const Case cases[] = {
      {"changed digest", changedDigest, ""},
      {"144 bytes claiming 128", shortLength, ""},
      {"empty body", {}, ""},
      {"error page", {'<', 'h', 't', 'm', 'l', '>'}, "status 404"},
  };
  for (const Case& c : cases) {
    server_.Put(kSigPath, c.file);
    if (*c.mode) server_.SetMode(kSigPath, c.mode);
    EXPECT_FALSE(Check()) << c.name;
    EXPECT_EQ(Error(), "Update signature could not be verified") << c.name;
    server_.Remove(kSigPath);
  }
  // Nothing unverified was kept for the download.
  EXPECT_TRUE(ReadBytes(sandbox_.PrivateDir() + "newupdate.sig").empty());
}

TEST_F(CheckUpdateTest, FailsToFetchFromBadServers) {
  for (const char* mode : {"endless", "stall"}) {
    server_.SetMode(kSigPath, mode);
    EXPECT_FALSE(Check()) << mode;
    EXPECT_EQ(Error(), "Download of update failed") << mode;
  }
  EXPECT_FALSE(CheckUpdateAvailable("127.0.0.1:1", 10, false));
  EXPECT_EQ(Error(), "Download of update failed");
}

TEST_F(CheckUpdateTest, RefusesATemporaryFolderOthersCanReach) {
  server_.Put(kSigPath, published_);
  ASSERT_TRUE(Check());
  chmod(sandbox_.PrivateDir().c_str(), 0777);
  EXPECT_FALSE(Check());
  EXPECT_EQ(Error(), "Could not save update signature file");
}

}  // namespace
