// Replaces its own binary on disk, as an upgrade does while the program
// runs, then prints the path GetExecutablePath gives.
#include <cstdio>

#include "core/filehelpers.h"
#include "platform/executable_path.h"

int main(int argc, char** argv) {
  if (argc != 2 || !WriteBytesToFile(argv[1], "new build", 9, true)) return 2;
  char path[260];
  if (!GetExecutablePath(path, sizeof path)) return 1;
  std::fputs(path, stdout);
  return 0;
}
