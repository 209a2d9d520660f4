#pragma once

#include <gtest/gtest.h>

#include <string>

// A fresh private directory for one test, removed with its contents after.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& Root() const { return path_; }
  std::string Path(const std::string& name) const;
  // Names of the directory's entries, sorted.
  std::string Listing() const;

 private:
  std::string path_;
};

// Names of any folder's entries, sorted, separated by spaces.
std::string FolderListing(const std::string& folder);
void WriteTextFile(const std::string& path, const std::string& contents);
std::string ReadTextFile(const std::string& path);
unsigned FileMode(const std::string& path);

// Tests that work on files in a fresh directory.
class ScratchDirTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return dir_.Path(name); }
  ScratchDir dir_;
};
