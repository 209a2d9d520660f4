#include "platform/executable_path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/unit/core/scratch_dir.h"

namespace {

// An update replaces the running binary; the kernel then names it
// "<path> (deleted)", and an autostart entry or a safe path built from that
// would point at nothing.
TEST(ExecutablePath, ReplacedBinaryKeepsItsPath) {
  ScratchDir scratch;
  const std::string copy = scratch.Path("quillbox");
  std::filesystem::copy_file(EXECUTABLE_PATH_PROBE, copy);
  ASSERT_EQ(chmod(copy.c_str(), 0700), 0);
  FILE* probe = popen((copy + " " + copy).c_str(), "r");
  ASSERT_NE(probe, nullptr);
  char output[512] = {};
  size_t length = fread(output, 1, sizeof output - 1, probe);
  EXPECT_EQ(pclose(probe), 0);
  EXPECT_EQ(std::string(output, length), copy);
  EXPECT_EQ(ReadTextFile(copy), "new build");
}

}  // namespace
