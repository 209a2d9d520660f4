#include "tests/unit/desktop/wait_for_file.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/unit/core/scratch_dir.h"

std::string WaitForFileText(const std::string& path) {
  for (int i = 0; i < 200 && !std::filesystem::exists(path); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return ReadTextFile(path);
}
