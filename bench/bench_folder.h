#pragma once

#include <string>

// Safes and the private temp directory of a benchmark live in a folder of
// their own, removed afterwards.
class BenchFolder {
 public:
  BenchFolder();
  ~BenchFolder();
  BenchFolder(const BenchFolder&) = delete;
  BenchFolder& operator=(const BenchFolder&) = delete;

  std::string SafePath() const { return path_ + "/bench.SAFE"; }

 private:
  std::string path_;
};
