#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/quillbox.h"
#include "safe/safe_store.h"
#include "tests/unit/app/fake_view.h"
#include "tests/unit/safe/safe_test_dir.h"

// An application object on a fake view, with safes written and read
// straight through the store beside it.
class AppWithSafes : public ::testing::Test {
 protected:
  using Lines = std::vector<std::string>;

  AppWithSafes() { app.SetView(&view); }

  void Write(const char* user, const char* password, const Lines& lines) {
    EntryList entries;
    Fill(entries, lines);
    ASSERT_TRUE(SaveSafe(user, password, entries));
  }

  Lines Read(const char* user, const char* password = "pw") {
    EntryList entries;
    EXPECT_TRUE(LoadSafe(user, password, entries)) << user;
    return ToVector(entries);
  }

  SafeTestDir dir;
  FakeView view;
  Quillbox app;
};
