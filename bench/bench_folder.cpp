#include "bench/bench_folder.h"

#include <cstdlib>
#include <filesystem>

#include "platform/executable_path.h"

BenchFolder::BenchFolder() {
  char pattern[] = "/tmp/quillbox-bench-XXXXXX";
  path_ = mkdtemp(pattern);
  std::filesystem::create_directory(path_ + "/tmp");
  setenv("TMPDIR", (path_ + "/tmp").c_str(), 1);
  OverrideExecutablePath((path_ + "/quillbox").c_str());
}

BenchFolder::~BenchFolder() { std::filesystem::remove_all(path_); }
