#include "app/clipboard_keeper.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/unit/app/fake_clock.h"

namespace {

// A clipboard that another program may take over at any time.
class FakeClipboard : public ClipboardPort {
 public:
  bool PutSecret(const char* text) override {
    content = text;
    secret = true;
    ++puts;
    return true;
  }
  bool Holds(const char* text) override { return content == text; }
  void Clear() override {
    content.clear();
    ++clears;
  }
  void CopiedElsewhere(const std::string& text) {
    content = text;
    secret = false;
  }

  std::string content;
  bool secret = false;
  int puts = 0;
  int clears = 0;
};

class ClipboardKeeperTest : public ::testing::Test {
 protected:
  FakeClock clock;
  FakeClipboard clipboard;
  ClipboardKeeper keeper{clipboard, clock};
};

// A one-time code tells its own remaining life, and is cleared by the same rule.
TEST_F(ClipboardKeeperTest, OneTimeCodeCountsItsValidityDown) {
  keeper.SetClearSeconds(30);
  ASSERT_TRUE(keeper.Copy("123456", CopiedField::kOneTimeCode, 17));
  EXPECT_TRUE(clipboard.secret);
  EXPECT_EQ(keeper.StatusText(), "One-time code copied; valid for 17 more seconds.");
  clock.Advance(5000);
  EXPECT_EQ(keeper.Tick(), ClipboardKeeper::Outcome::kCountingDown);
  EXPECT_EQ(keeper.StatusText(), "One-time code copied; valid for 12 more seconds.");
  clock.Advance(12000);
  EXPECT_EQ(keeper.StatusText(), "One-time code copied; no longer valid.");
  clock.Advance(13000);
  EXPECT_EQ(keeper.Tick(), ClipboardKeeper::Outcome::kCleared);
  ASSERT_TRUE(keeper.Copy("https://example.org", CopiedField::kWebAddress));
  EXPECT_EQ(keeper.StatusText(), "Web address copied; the clipboard is cleared in 30 s.");
}

TEST_F(ClipboardKeeperTest, ClearsWhenTheTimeIsUpAndCountsDownMeanwhile) {
  keeper.SetClearSeconds(15);
  ASSERT_TRUE(keeper.Copy("s3cret", CopiedField::kPassword));
  EXPECT_EQ(clipboard.content, "s3cret");
  EXPECT_TRUE(clipboard.secret);
  EXPECT_EQ(keeper.StatusText(), "Password copied; the clipboard is cleared in 15 s.");
  clock.Advance(14001);
  EXPECT_EQ(keeper.Tick(), ClipboardKeeper::Outcome::kCountingDown);
  EXPECT_EQ(keeper.SecondsLeft(), 1);
  EXPECT_EQ(clipboard.content, "s3cret");
  clock.Advance(999);
  EXPECT_EQ(keeper.Tick(), ClipboardKeeper::Outcome::kCleared);
  EXPECT_EQ(clipboard.content, "");
  EXPECT_FALSE(keeper.IsHolding());
  EXPECT_EQ(keeper.StatusText(), "");
  EXPECT_EQ(keeper.Tick(), ClipboardKeeper::Outcome::kNone);
  EXPECT_EQ(clipboard.clears, 1);
}

TEST_F(ClipboardKeeperTest, WhatTheUserCopiedSinceIsLeftAlone) {
  keeper.SetClearSeconds(2);
  ASSERT_TRUE(keeper.Copy("jdoe", CopiedField::kUserName));
  EXPECT_EQ(keeper.StatusText(), "User name copied; the clipboard is cleared in 2 s.");
  clipboard.CopiedElsewhere("a note");
  clock.Advance(3000);
  EXPECT_EQ(keeper.Tick(), ClipboardKeeper::Outcome::kLeftAlone);
  EXPECT_EQ(clipboard.content, "a note");
  EXPECT_EQ(clipboard.clears, 0);
}

TEST_F(ClipboardKeeperTest, ZeroSecondsKeepsTheCopyUntilTheSafeCloses) {
  keeper.SetClearSeconds(0);
  ASSERT_TRUE(keeper.Copy("s3cret", CopiedField::kPassword));
  EXPECT_EQ(keeper.StatusText(), "Password copied.");
  clock.Advance(3600 * 1000);
  EXPECT_EQ(keeper.Tick(), ClipboardKeeper::Outcome::kCountingDown);
  EXPECT_EQ(clipboard.content, "s3cret");
  EXPECT_EQ(keeper.ClearNow(), ClipboardKeeper::Outcome::kCleared);
  EXPECT_EQ(clipboard.content, "");
}

TEST_F(ClipboardKeeperTest, ANewCopyRestartsTheCountdownAndOnlyTheLatestIsCleared) {
  keeper.SetClearSeconds(10);
  ASSERT_TRUE(keeper.Copy("first", CopiedField::kPassword));
  clock.Advance(8000);
  ASSERT_TRUE(keeper.Copy("second", CopiedField::kUserName));
  clock.Advance(8000);
  EXPECT_EQ(keeper.Tick(), ClipboardKeeper::Outcome::kCountingDown);
  EXPECT_EQ(clipboard.content, "second");
  clock.Advance(2000);
  EXPECT_EQ(keeper.Tick(), ClipboardKeeper::Outcome::kCleared);
  EXPECT_EQ(clipboard.content, "");
}

TEST_F(ClipboardKeeperTest, ClearingAtLockFollowsTheSameRule) {
  ASSERT_TRUE(keeper.Copy("s3cret", CopiedField::kPassword));
  clipboard.CopiedElsewhere("mine");
  EXPECT_EQ(keeper.ClearNow(), ClipboardKeeper::Outcome::kLeftAlone);
  EXPECT_EQ(clipboard.content, "mine");
  EXPECT_EQ(keeper.ClearNow(), ClipboardKeeper::Outcome::kNone);
}

}  // namespace
