#include "settings/app_file_path.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/executable_path.h"
#include "tests/unit/core/scratch_dir.h"

namespace {

class AppFilePathTest : public ::testing::Test {
 protected:
  void TearDown() override { OverrideExecutablePath(nullptr); }
};

TEST_F(AppFilePathTest, NamesFilesBesideTheExecutable) {
  const std::string longFolder = "/" + std::string(240, 'd') + "/";
  struct Case {
    const char* what;
    std::string executable;  // "" makes the lookup fail
    std::string name;
    std::string expected;
  };
  const Case cases[] = {
      {"beside the executable", "/opt/quillbox/quillbox", "alice.SAFE", "/opt/quillbox/alice.SAFE"},
      {"unknown executable path", "", "current.sig", "/current.sig"},
      {"path ending in a separator", "/opt/quillbox/", "a", "/opt/quillbox/a"},
      {"backslash and colon are ordinary characters", "/opt/my:app\\x/quillbox", "a.SAFE", "/opt/my:app\\x/a.SAFE"},
      // The longest path kept is 258 characters.
      {"result of 258 characters fits", longFolder + "exe", std::string(258 - 242, 'n'),
       longFolder + std::string(258 - 242, 'n')},
      {"one character more falls back to the root", longFolder + "exe", std::string(259 - 242, 'n'),
       "/" + std::string(259 - 242, 'n')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OverrideExecutablePath(c.executable.c_str());
    char buffer[kAppFilePathSize];
    ASSERT_EQ(GetAppFilePath(c.name.c_str(), buffer, false), buffer);
    EXPECT_EQ(std::string(buffer), c.expected);
  }
}

TEST_F(AppFilePathTest, MustExistNeedsAReadableFile) {
  ScratchDir dir;
  WriteTextFile(dir.Path("current.sig"), "x");
  OverrideExecutablePath(dir.Path("quillbox").c_str());
  char buffer[kAppFilePathSize];
  EXPECT_EQ(GetAppFilePath("current.sig", buffer, true), buffer);
  EXPECT_EQ(std::string(buffer), dir.Path("current.sig"));
  EXPECT_EQ(GetAppFilePath("missing.sig", buffer, true), nullptr);
}

TEST_F(AppFilePathTest, NameThatCannotFitAnywhereGivesNothing) {
  OverrideExecutablePath("/opt/q/quillbox");
  char buffer[kAppFilePathSize];
  const std::string tooLong(259, 'n');
  EXPECT_EQ(GetAppFilePath(tooLong.c_str(), buffer, false), nullptr);
  const std::string longest(258, 'n');
  EXPECT_EQ(GetAppFilePath(longest.c_str(), buffer, false), buffer);
  EXPECT_EQ(std::string(buffer), "/" + longest);
}

}  // namespace
