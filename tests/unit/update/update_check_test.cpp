#include "update/update_check.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <functional>
#include <optional>

#include "tests/unit/update/fake_update_view.h"
#include "tests/unit/update/installer_script.h"
#include "tests/unit/update/loopback_server.h"
#include "tests/unit/update/test_key_signer.h"
#include "tests/unit/update/update_sandbox.h"

namespace {

constexpr uint32_t kNow = 1800000000;
constexpr int kWeek = 604800;
constexpr const char* kSigPath = "downloads/update10.sig";
constexpr const char* kExePath = "downloads/update10.exe";

class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.IsRunning());
    settings_.SetSettingString(kUpdateServerSetting.name, server_.Host().c_str());
  }

  void Store(std::optional<int> option, std::optional<int> lastTime) {
    if (option) settings_.SetSettingInt(kUpdateCheckOptionSetting.name, *option);
    if (lastTime) settings_.SetSettingInt(kLastUpdateCheckTimeSetting.name, *lastTime);
  }
  int Stored(const char* name, int absent = -999) {
    int value = absent;
    settings_.GetSettingInt(name, &value, absent);
    return value;
  }
  void Run(bool manual, uint32_t now = kNow, long installerDeadline = kInstallerFetchLimits.deadlineSeconds) {
    UpdateEnvironment environment(settings_, view_);
    environment.now = [now] { return now; };
    environment.installerLimits.deadlineSeconds = installerDeadline;
    environment.exitProcess = [this](int status) { exitStatus_ = status; };
    environment.installerHandOff = handOff_;
    RunUpdateCheck(manual, nullptr, 10, environment);
  }
  bool ServerWasAsked() const { return server_.RequestLog().find(kSigPath) != std::string::npos; }

  // A published update whose installer records how it was started.
  void Publish() {
    TestKeySigner signer;
    ASSERT_TRUE(signer.IsLoaded());
    record_ = sandbox_.Root() + "/installer.args";
    const Bytes installer = RecordingInstaller(record_);
    server_.Put(kExePath, installer);
    server_.Put(kSigPath, signer.SignatureFileFor(installer));
  }

  UpdateSandbox sandbox_;
  TestSettings settings_;
  LoopbackServer server_;
  FakeUpdateView view_;
  std::optional<int> exitStatus_;
  std::string record_;
  bool handOff_ = true;
};

TEST_F(UpdateCheckTest, FollowsTheWeeklySchedule) {
  struct Case {
    const char* name;
    std::optional<int> option, lastTime;
    bool manual;
    uint32_t now;
    bool asks, checks;
    int timeAfter;  // -999 when never written
    int dialogChoice = 0;
    std::optional<int> optionAfter = {};  // unset: the stored option stays
  };
  const int weekAgo = static_cast<int>(kNow) - kWeek;
  const Case cases[] = {
      {"first automatic run starts the clock", {}, {}, false, kNow, false, false, static_cast<int>(kNow)},
      {"first run, option 1, starts the clock", 1, {}, false, kNow, false, false, static_cast<int>(kNow)},
      {"exactly a week asks, then checks", 0, weekAgo, false, kNow, true, true, static_cast<int>(kNow)},
      {"a second short of a week", 0, weekAgo + 1, false, kNow, false, false, weekAgo + 1},
      {"clock set back", 0, static_cast<int>(kNow) + 100, false, kNow, false, false, static_cast<int>(kNow) + 100},
      {"option 1 checks without asking", 1, weekAgo, false, kNow, false, true, static_cast<int>(kNow), 0, 1},
      {"option 1, less than a week", 1, weekAgo + 1, false, kNow, false, false, weekAgo + 1, 0, 1},
      {"option 2 never checks by itself", 2, weekAgo - kWeek, false, kNow, false, false, weekAgo - kWeek, 0, 2},
      {"option 2 still asks on request", 2, static_cast<int>(kNow), true, kNow, true, true, static_cast<int>(kNow), 0,
       2},
      {"option 5 counts as 0", 5, weekAgo, false, kNow, true, true, static_cast<int>(kNow), 0, 5},
      {"option -1 counts as 0", -1, weekAgo, false, kNow, true, true, static_cast<int>(kNow), 0, -1},
      {"on request, time never stored", {}, {}, true, kNow, true, true, static_cast<int>(kNow)},
      {"just once keeps a stored 1", 1, static_cast<int>(kNow), true, kNow, true, true, static_cast<int>(kNow), 0, 1},
      {"choosing 1 stores it", 0, weekAgo, false, kNow, true, true, static_cast<int>(kNow), 1, 1},
      {"choosing 2 stores it and stops", 0, weekAgo, false, kNow, true, false, weekAgo, 2, 2},
      {"a week across 2038", 1, INT_MAX - 100, false, static_cast<uint32_t>(INT_MAX) - 100 + kWeek, false, true,
       static_cast<int>(static_cast<uint32_t>(INT_MAX) - 100 + kWeek), 0, 1},
  };
  for (const Case& c : cases) {
    UpdateSandbox sandbox;
    TestSettings settings;
    LoopbackServer& server = server_;
    settings.SetSettingString(kUpdateServerSetting.name, server.Host().c_str());
    if (c.option) settings.SetSettingInt(kUpdateCheckOptionSetting.name, *c.option);
    if (c.lastTime) settings.SetSettingInt(kLastUpdateCheckTimeSetting.name, *c.lastTime);
    const size_t requestsBefore = server.RequestLog().size();

    FakeUpdateView view;
    view.optionDialogChoice = c.dialogChoice;
    UpdateEnvironment environment(settings, view);
    const uint32_t now = c.now;
    environment.now = [now] { return now; };
    RunUpdateCheck(c.manual, nullptr, 10, environment);

    EXPECT_EQ(view.optionDialogOpenedWith, c.asks ? std::vector<int>{0} : std::vector<int>{}) << c.name;
    EXPECT_EQ(server.RequestLog().size() > requestsBefore, c.checks) << c.name;
    int value = -999;
    settings.GetSettingInt(kLastUpdateCheckTimeSetting.name, &value, -999);
    EXPECT_EQ(value, c.timeAfter) << c.name;
    value = -999;
    settings.GetSettingInt(kUpdateCheckOptionSetting.name, &value, -999);
    EXPECT_EQ(value, c.optionAfter.value_or(c.option.value_or(-999))) << c.name;
  }
}

TEST_F(UpdateCheckTest, ACancelledDialogWritesNothing) {
  Store(0, static_cast<int>(kNow) - kWeek);
  view_.optionDialogAccepts = false;
  Run(false);
  EXPECT_FALSE(ServerWasAsked());
  EXPECT_EQ(Stored(kLastUpdateCheckTimeSetting.name), static_cast<int>(kNow) - kWeek);
  EXPECT_EQ(Stored(kUpdateCheckOptionSetting.name), 0);
}

TEST_F(UpdateCheckTest, OnlyARequestedCheckSaysThereIsNothingNew) {
  // The published update is the installed one.
  TestKeySigner signer;
  ASSERT_TRUE(signer.IsLoaded());
  const Bytes signature = signer.SignatureFileFor({'x'});
  server_.Put(kSigPath, signature);
  WriteBytes(sandbox_.AppDir() + "/current.sig", signature);
  Run(true);
  ASSERT_EQ(view_.boxes.size(), 1u);
  EXPECT_EQ(view_.boxes[0].text, "No new updates are available at this time");
  EXPECT_EQ(view_.boxes[0].caption, "Software is Current");
  EXPECT_EQ(view_.boxes[0].style, kMbOk);

  view_.boxes.clear();
  Store(1, static_cast<int>(kNow) - kWeek);
  Run(false);
  EXPECT_TRUE(view_.boxes.empty());
}

TEST_F(UpdateCheckTest, OnlyARequestedCheckSaysItCouldNotBeMade) {
  // Nothing listens on the discard port of the loopback address.
  settings_.SetSettingString(kUpdateServerSetting.name, "127.0.0.1:9");
  Run(true);
  ASSERT_EQ(view_.boxes.size(), 1u);
  EXPECT_EQ(view_.boxes[0].text, "The check for updates could not be made.\r\nDownload of update failed");
  EXPECT_EQ(view_.boxes[0].caption, "ERROR");
  EXPECT_EQ(view_.boxes[0].style, kMbOk | kMbIconError);

  view_.boxes.clear();
  Store(1, static_cast<int>(kNow) - kWeek);
  Run(false);
  EXPECT_TRUE(view_.boxes.empty());
}

TEST_F(UpdateCheckTest, NoToTheOfferDownloadsNothing) {
  Publish();
  Store(1, static_cast<int>(kNow) - kWeek);
  view_.yesNoAnswer = kIdNo;
  Run(false);
  ASSERT_EQ(view_.boxes.size(), 1u);
  EXPECT_EQ(view_.boxes[0].text, "A new update is available, Would you like to install?");
  EXPECT_EQ(view_.boxes[0].caption, "Install New Update?");
  EXPECT_EQ(view_.boxes[0].style, kMbYesNo);
  EXPECT_EQ(server_.RequestLog().find(kExePath), std::string::npos);
  EXPECT_EQ(Stored(kLastUpdateCheckTimeSetting.name), static_cast<int>(kNow));

  // The next automatic check is a week later.
  Run(false, kNow + kWeek - 1);
  EXPECT_EQ(view_.boxes.size(), 1u);
  Run(false, kNow + kWeek);
  EXPECT_EQ(view_.boxes.size(), 2u);
}

TEST_F(UpdateCheckTest, YesDownloadsStartsTheInstallerAndEnds) {
  Publish();
  view_.yesNoAnswer = kIdYes;
  Run(true);
  ASSERT_EQ(view_.boxes.size(), 1u);
  EXPECT_EQ(exitStatus_, 0);
  EXPECT_EQ(view_.quitsPosted, 1);
  EXPECT_EQ(WaitForRecord(record_).size(), 3u);
}

// A packaged install belongs to the package manager: a found update is only
// announced, whichever way the check started; the portable build offers it,
// downloads it on Yes and hands over to its installer.
TEST_F(UpdateCheckTest, APackagedBuildOnlyAnnouncesAnUpdate) {
  struct Case {
    const char* name;
    bool handOff, manual;
  };
  const Case cases[] = {
      {"portable, on request", true, true},
      {"portable, weekly", true, false},
      {"packaged, on request", false, true},
      {"packaged, weekly", false, false},
  };
  Publish();
  view_.yesNoAnswer = kIdYes;
  for (const Case& c : cases) {
    Store(1, static_cast<int>(kNow) - kWeek);
    view_.boxes.clear();
    exitStatus_.reset();
    const int quitsBefore = view_.quitsPosted;
    const size_t requestsBefore = server_.RequestLog().size();
    handOff_ = c.handOff;
    Run(c.manual);

    ASSERT_EQ(view_.boxes.size(), 1u) << c.name;
    const bool fetched = server_.RequestLog().find(kExePath, requestsBefore) != std::string::npos;
    if (c.handOff) {
      EXPECT_EQ(view_.boxes[0].caption, "Install New Update?") << c.name;
      EXPECT_TRUE(fetched) << c.name;
      EXPECT_EQ(exitStatus_, 0) << c.name;
      EXPECT_EQ(WaitForRecord(record_).size(), 3u) << c.name;
      std::remove(record_.c_str());
    } else {
      EXPECT_EQ(view_.boxes[0].text,
                "A new update is available. Please install it with your package manager, "
                "which installed Quillbox.")
          << c.name;
      EXPECT_EQ(view_.boxes[0].caption, "New Update Available") << c.name;
      EXPECT_EQ(view_.boxes[0].style, kMbOk | kMbIconInformation) << c.name;
      EXPECT_FALSE(fetched) << c.name;
      EXPECT_FALSE(exitStatus_.has_value()) << c.name;
      EXPECT_EQ(view_.quitsPosted, quitsBefore) << c.name;
    }
  }
}

TEST_F(UpdateCheckTest, AFailedDownloadIsShownAsAnError) {
  Publish();
  view_.yesNoAnswer = kIdYes;
  view_.cancelDownloadAtReport = 1;
  Run(true);
  ASSERT_EQ(view_.boxes.size(), 2u);
  EXPECT_EQ(view_.boxes[1].text, "Downloading automatic update failed");
  EXPECT_EQ(view_.boxes[1].caption, "ERROR");
  EXPECT_EQ(view_.boxes[1].style, kMbOk | kMbIconError);

  view_.boxes.clear();
  view_.cancelDownloadAtReport = 0;
  server_.Put(kExePath, {'x'});
  Run(true);
  ASSERT_EQ(view_.boxes.size(), 2u);
  EXPECT_EQ(view_.boxes[1].text, "Signature file does not match installer");
  EXPECT_FALSE(exitStatus_.has_value());

  // A download past its deadline fails like any other.
  view_.boxes.clear();
  server_.SetMode(kExePath, "drip 200 0.5");
  Run(true, kNow, 2);
  ASSERT_EQ(view_.boxes.size(), 2u);
  EXPECT_EQ(view_.boxes[1].text, "Downloading automatic update failed");
  EXPECT_FALSE(exitStatus_.has_value());
}

// While a download dispatches events the menu stays usable; a second check
// started from it must not run a second download over the first one's files.
TEST_F(UpdateCheckTest, ACheckStartedDuringADownloadIsRefused) {
  struct NestingView : FakeUpdateView {
    std::function<void()> nested;
    std::unique_ptr<UpdateProgress> MakeProgress() override {
      struct NestingProgress : RecordingProgress {
        std::function<void()>* nested;
        bool SetProgress(uint32_t position, uint32_t range) override {
          if (reports.empty()) (*nested)();
          return RecordingProgress::SetProgress(position, range);
        }
      };
      auto progress = std::make_unique<NestingProgress>();
      progress->nested = &nested;
      return progress;
    }
  };
  Publish();
  NestingView view;
  view.yesNoAnswer = kIdYes;
  UpdateEnvironment environment(settings_, view);
  environment.exitProcess = [this](int status) { exitStatus_ = status; };
  view.nested = [&] { RunUpdateCheck(true, nullptr, 10, environment); };
  RunUpdateCheck(true, nullptr, 10, environment);
  EXPECT_EQ(view.optionDialogOpenedWith.size(), 1u);
  EXPECT_EQ(exitStatus_, 0);
}

TEST_F(UpdateCheckTest, AnInstallerThatCannotStartIsShownAsAnError) {
  TestKeySigner signer;
  const Bytes notAProgram = {0x7f, 'E', 'L', 'F', 1, 2, 3};
  server_.Put(kExePath, notAProgram);
  server_.Put(kSigPath, signer.SignatureFileFor(notAProgram));
  view_.yesNoAnswer = kIdYes;
  Run(true);
  ASSERT_EQ(view_.boxes.size(), 2u);
  EXPECT_EQ(view_.boxes[1].text, "Failed to execute installer with error code 8");
  EXPECT_EQ(view_.boxes[1].caption, "ERROR");
  EXPECT_FALSE(exitStatus_.has_value());
  EXPECT_EQ(view_.quitsPosted, 0);
}

}  // namespace
