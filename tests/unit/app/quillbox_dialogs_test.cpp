#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "safe/safe_store.h"
#include "tests/unit/app/fake_view.h"
#include "tests/unit/safe/safe_test_dir.h"

namespace {

// A password that fits the edit field (130 characters) but not a safe (260
// bytes in UTF-8), and one that just fits (259 bytes).
std::string Accented(int count, const std::string& tail = "") {
  std::string text;
  for (int i = 0; i < count; ++i) text += "\xC3\xA9";
  return text + tail;
}
const std::string kTooLong = Accented(130);
const std::string kLongest = Accented(129, "x");

class QuillboxDialogs : public ::testing::Test {
 protected:
  QuillboxDialogs() {
    app.SetView(&view);
    app.SetNewSafeParams(kTinySafeParams);
    EntryList entries;
    AddLine(entries, "a\tb\tc");
    SaveSafe("alice", "pw", entries);
  }

  // The texts of the boxes shown so far.
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& box : view.boxes) texts.push_back(box.text);
    return texts;
  }

  SafeTestDir dir;
  FakeView view;
  Quillbox app;
};

TEST_F(QuillboxDialogs, UserNameRule) {
  struct Case {
    const char* name;
    bool valid;
  };
  const std::vector<Case> cases = {
      {"Alice42", true}, {"", true}, {"a b", false}, {"a_b", false}, {"j\xE4rvi", false}, {"x/y", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    view.boxes.clear();
    EXPECT_EQ(app.IsValidUserName(nullptr, c.name), c.valid);
    if (c.valid) {
      EXPECT_TRUE(view.boxes.empty());
    } else {
      ASSERT_EQ(view.boxes.size(), 1u);
      EXPECT_EQ(view.boxes[0].text, kInvalidUserNameMessage);
      EXPECT_EQ(view.boxes[0].caption, kInvalidUserNameCaption);
      EXPECT_EQ(view.boxes[0].style, kMbOk | kMbIconWarning);
    }
  }
}

TEST_F(QuillboxDialogs, LogInDialogValidatesInOrder) {
  struct Case {
    const char* name;
    const char* password;
    bool closes;
    const char* message;  // null: none
  };
  const std::vector<Case> cases = {
      {"al ice", "pw", false, kInvalidUserNameMessage},
      {"bob", "pw", false, kUserNotFoundMessage},
      {"alice", "wrong", false, kLogInFailedMessage},
      {"broken", "pw", false, kDamagedSafeMessage},
      {"alice", "pw", true, nullptr},
  };
  // A safe cut short is damaged, whatever the password.
  WriteTextFile(dir.SafePath("broken"), "abc");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name + std::string("/") + c.password);
    view.boxes.clear();
    EXPECT_EQ(app.SubmitLogIn(nullptr, c.name, c.password), c.closes);
    EXPECT_EQ(Messages(), c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
    if (c.message != nullptr) {
      EXPECT_EQ(view.boxes[0].style, kMbOk | kMbIconWarning);
    }
  }
  EXPECT_TRUE(app.IsLoggedIn());
}

TEST_F(QuillboxDialogs, CreateUserDialogValidatesInOrder) {
  struct Case {
    const char* name;
    const char* password;
    const char* confirmation;
    bool closes;
    std::vector<std::string> messages;
    bool loggedIn;
  };
  const std::vector<Case> cases = {
      {"bob", "", "", false, {kEmptyPasswordMessage}, false},
      {"bob", "pw", "pW", false, {kPasswordMismatchMessage}, false},
      {"bob", kTooLong.c_str(), kTooLong.c_str(), false, {kPasswordTooLongMessage}, false},
      {"bo b", "pw", "pw", true, {kInvalidUserNameMessage}, false},
      {"alice", "pw2", "pw2", true, {kDeleteUserQuestion}, false},  // answered No
      {"bob", "pw", "pw", true, {}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    view.boxes.clear();
    EXPECT_EQ(app.SubmitCreateUser(nullptr, c.name, c.password, c.confirmation), c.closes);
    EXPECT_EQ(Messages(), c.messages);
    EXPECT_EQ(app.IsLoggedIn(), c.loggedIn);
  }
  EntryList entries;
  EXPECT_TRUE(LoadSafe("alice", "pw", entries));

  view.boxes.clear();
  EXPECT_TRUE(app.SubmitCreateUser(nullptr, "carol", kLongest.c_str(), kLongest.c_str()));
  EXPECT_TRUE(view.boxes.empty());
  EXPECT_TRUE(app.IsLoggedIn());
  EXPECT_TRUE(LoadSafe("carol", kLongest.c_str(), entries));
}

TEST_F(QuillboxDialogs, SetPasswordDialogTestsTheOldPasswordFirst) {
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  struct Case {
    const char* oldPassword;
    const char* newPassword;
    const char* confirmation;
    bool closes;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"wrong", "", "x", false, kOldPasswordIncorrectMessage},
      {"pw", "", "", false, kEmptyPasswordMessage},
      {"pw", "new", "New", false, kPasswordMismatchMessage},
      {"pw", kTooLong.c_str(), kTooLong.c_str(), false, kPasswordTooLongMessage},
      {"pw", "new", "new", true, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.oldPassword + std::string("/") + c.newPassword);
    view.boxes.clear();
    EXPECT_EQ(app.SubmitNewPassword(nullptr, "alice", c.oldPassword, c.newPassword, c.confirmation), c.closes);
    EXPECT_EQ(Messages(), c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
    EXPECT_TRUE(app.IsLoggedIn());
  }
  EntryList entries;
  EXPECT_FALSE(LoadSafe("alice", "pw", entries));
  EXPECT_TRUE(LoadSafe("alice", "new", entries));
  EXPECT_EQ(ToVector(entries), std::vector<std::string>{"a\tb\tc"});
}

}  // namespace
