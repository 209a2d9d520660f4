#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "safe/safe_store.h"
#include "tests/unit/app/fake_view.h"
#include "tests/unit/safe/safe_test_dir.h"

namespace {

// 130 characters, 260 bytes in UTF-8.
const std::string kTooLongInUtf8 = [] {
  std::string text;
  for (int i = 0; i < 130; ++i) text += "\xC3\xA9";
  return text;
}();

using Lines = std::vector<std::string>;

class QuillboxEntries : public ::testing::Test {
 protected:
  QuillboxEntries() { app.SetView(&view); }

  void OpenSafeWith(const Lines& lines) {
    EntryList entries;
    Fill(entries, lines);
    ASSERT_TRUE(SaveSafe("alice", "pw", entries));
    ASSERT_TRUE(app.LogIn("alice", "pw"));
  }

  Lines SafeLines() {
    EntryList entries;
    EXPECT_TRUE(LoadSafe("alice", "pw", entries));
    return ToVector(entries);
  }

  SafeTestDir dir;
  FakeView view;
  Quillbox app;
};

TEST_F(QuillboxEntries, AddAndEditSaveAtOnce) {
  EXPECT_FALSE(app.AddEntry("d", "u", "p"));  // no safe open
  OpenSafeWith({"a\tb\tc"});
  int refreshes = view.refreshes;
  std::string longest(259, 'x');
  ASSERT_TRUE(app.AddEntry("Bank", "", longest.c_str()));
  EXPECT_EQ(view.refreshes, refreshes + 1);
  EXPECT_EQ(SafeLines(), (Lines{"a\tb\tc", "Bank\t\t" + longest}));
  ASSERT_TRUE(app.EditEntry(0, "A", "B", "C"));
  EXPECT_EQ(SafeLines(), (Lines{"A\tB\tC", "Bank\t\t" + longest}));
  EXPECT_FALSE(app.EditEntry(2, "x", "y", "z"));
  EXPECT_FALSE(app.EditEntry(-1, "x", "y", "z"));
  EXPECT_TRUE(app.LastSaveSucceeded());
}

TEST_F(QuillboxEntries, FieldsThatWouldBreakTheSafeAreRefused) {
  OpenSafeWith({"a\tb\tc"});
  struct Case {
    std::string description, userName, password;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"tab\there", "u", "p", kEntryFieldSeparatorMessage},
      {"d", "line\r\nbreak", "p", kEntryFieldSeparatorMessage},
      {"d", "u", "carriage\rreturn", kEntryFieldSeparatorMessage},
      {"d", "u", "line\nfeed", kEntryFieldSeparatorMessage},
      {std::string(260, 'x'), "u", "p", kEntryFieldTooLongMessage},
      {"d", "u", kTooLongInUtf8, kEntryFieldTooLongMessage},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const char* d = c.description.c_str();
    const char* u = c.userName.c_str();
    const char* p = c.password.c_str();
    EXPECT_STREQ(app.CheckEntryFields(d, u, p), c.message);
    EXPECT_FALSE(app.AddEntry(d, u, p));
    EXPECT_FALSE(app.EditEntry(0, d, u, p));
  }
  EXPECT_EQ(app.CheckEntryFields("", "", std::string(259, 'x').c_str()), nullptr);
  // 130 characters are refused, so the message must not promise 259 characters.
  EXPECT_NE(std::string(kEntryFieldTooLongMessage).find("259 bytes"), std::string::npos);
  EXPECT_EQ(SafeLines(), Lines{"a\tb\tc"});
}

TEST_F(QuillboxEntries, DeletesMarkedEntriesFromTheTopIndexDown) {
  OpenSafeWith({"e0\tu\tp", "e1\tu\tp", "e2\tu\tp", "e3\tu\tp", "e4\tu\tp"});
  // Rows in display order: entries 4, 0, 3, 1, 2; rows 0, 2 and 4 selected.
  view.rows = {{4, true}, {0, false}, {3, true}, {1, false}, {2, true}};

  view.answers = {kIdNo};
  app.DeleteSelectedEntries(nullptr);
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].text, kDeleteEntriesQuestion);
  EXPECT_EQ(view.boxes[0].caption, kDeleteEntriesCaption);
  EXPECT_EQ(view.boxes[0].style, kMbYesNo | kMbIconWarning);
  EXPECT_EQ(app.GetEntries().size(), 5u);

  view.answers = {kIdYes};
  app.DeleteSelectedEntries(nullptr);
  EXPECT_EQ(ToVector(app.GetEntries()), (Lines{"e0\tu\tp", "e1\tu\tp"}));
  EXPECT_EQ(SafeLines(), (Lines{"e0\tu\tp", "e1\tu\tp"}));

  // Deleting every entry stores the empty safe.
  view.rows = {{0, true}, {1, true}};
  view.answers = {kIdYes};
  app.DeleteSelectedEntries(nullptr);
  EXPECT_TRUE(SafeLines().empty());
}

TEST_F(QuillboxEntries, DeleteAsksNothingWithoutSelectionAndStopsOnABadRow) {
  OpenSafeWith({"e0\tu\tp", "e1\tu\tp"});
  view.rows = {{0, false}, {1, false}};
  app.DeleteSelectedEntries(nullptr);
  EXPECT_TRUE(view.boxes.empty());

  for (int badIndex : {FakeView::kUnreadableRow, 2}) {
    view.rows = {{0, true}, {badIndex, true}};
    view.answers = {kIdYes};
    app.DeleteSelectedEntries(nullptr);
    EXPECT_EQ(SafeLines(), (Lines{"e0\tu\tp", "e1\tu\tp"}));
  }
}

TEST_F(QuillboxEntries, GetEntryGivesTheWholeEntry) {
  // The loader accepts 260 characters; nothing is cut on the way to a dialog.
  std::string long260(260, 'L');
  OpenSafeWith({"d\tu\tp", "\t\t", "a\t" + long260 + "\tc"});
  EXPECT_EQ(app.GetEntry(0)->userName, "u");
  EXPECT_EQ(app.GetEntry(1)->title, "");
  EXPECT_EQ(app.GetEntry(2)->userName, long260);
  EXPECT_EQ(app.GetEntry(3), nullptr);
  EXPECT_EQ(app.GetEntry(-1), nullptr);
}

TEST_F(QuillboxEntries, AStrongSafeTakesAnyTextWithoutNulUpToItsLimit) {
  EntryList none;
  HeldSafeKey key;
  ASSERT_TRUE(DeriveNewSafeKey("pw", SafeFormat::kStrong, kTinySafeParams, key));
  ASSERT_TRUE(SaveSafe("alice", key, none));
  ASSERT_TRUE(app.LogIn("alice", "pw"));
  const std::string longest(64 * 1024, 'x');
  ASSERT_TRUE(app.AddEntry("tab\there", "line\r\nbreak", longest.c_str()));
  EXPECT_EQ(SafeLines(), Lines{"tab\there\tline\r\nbreak\t" + longest});
  const std::string over(64 * 1024 + 1, 'x');
  EXPECT_STREQ(app.CheckEntryFields(over.c_str(), "", ""), kEntryTextTooLongMessage);
  EXPECT_FALSE(app.AddEntry(over.c_str(), "", ""));
  EXPECT_EQ(SafeLines().size(), 1u);
}

}  // namespace
