#include "secret_service/access_grants.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

EntryId Id(uint8_t first) {
  EntryId id;
  id.bytes[0] = first;
  return id;
}

class AccessGrantsTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quillbox-grants-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    path_ = folder_ + "/tarnwell/secret-service-grants";
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  std::string FileText() const {
    std::ifstream file(path_);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  std::string folder_;
  std::string path_;
};

TEST_F(AccessGrantsTest, AGrantNamesOneEntryAndOneExecutableAndOutlivesTheRun) {
  {
    AccessGrants grants(path_);
    EXPECT_FALSE(grants.IsAllowed(Id(1), "/usr/bin/secret-tool"));
    ASSERT_TRUE(grants.Allow(Id(1), "/usr/bin/secret-tool"));
    ASSERT_TRUE(grants.Allow(Id(1), "/usr/bin/secret-tool"));
    EXPECT_TRUE(grants.IsAllowed(Id(1), "/usr/bin/secret-tool"));
    EXPECT_FALSE(grants.IsAllowed(Id(2), "/usr/bin/secret-tool"));
    EXPECT_FALSE(grants.IsAllowed(Id(1), "/usr/bin/secret-tool2"));
    EXPECT_FALSE(grants.IsAllowed(Id(1), ""));
  }
  AccessGrants again(path_);
  EXPECT_TRUE(again.IsAllowed(Id(1), "/usr/bin/secret-tool"));
  struct stat info;
  ASSERT_EQ(stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(FileText(), "01000000000000000000000000000000\t/usr/bin/secret-tool\n");
}

TEST_F(AccessGrantsTest, WhatCannotBeWrittenWholeIsNotGranted) {
  AccessGrants grants(path_);
  EXPECT_FALSE(grants.Allow(Id(1), ""));
  // A line break would smuggle a second grant into the file.
  EXPECT_FALSE(grants.Allow(Id(1), "/tmp/x\n01000000000000000000000000000000\t/usr/bin/python3"));
  AccessGrants again(path_);
  EXPECT_FALSE(again.IsAllowed(Id(1), "/usr/bin/python3"));
}

TEST_F(AccessGrantsTest, DamagedLinesAreSkipped) {
  AccessGrants(path_).Allow(Id(3), "/usr/bin/a");
  std::ofstream(path_, std::ios::app) << "zz\t/usr/bin/b\n0100\t/usr/bin/c\n02000000000000000000000000000000\t\n"
                                      << "02000000000000000000000000000000/usr/bin/d\n";
  AccessGrants grants(path_);
  EXPECT_TRUE(grants.IsAllowed(Id(3), "/usr/bin/a"));
  EXPECT_FALSE(grants.IsAllowed(Id(2), ""));
  EXPECT_FALSE(grants.IsAllowed(Id(2), "/usr/bin/d"));
}

// Another program's FIFO in place of the file is no grant and no wait.
TEST_F(AccessGrantsTest, AFifoInPlaceOfTheFileIsNotWaitedOn) {
  ASSERT_EQ(mkdir((folder_ + "/tarnwell").c_str(), 0700), 0);
  ASSERT_EQ(mkfifo(path_.c_str(), 0600), 0);
  AccessGrants grants(path_);
  EXPECT_FALSE(grants.IsAllowed(Id(1), "/usr/bin/a"));
}

}  // namespace
