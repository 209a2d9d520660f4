#include "tests/unit/update/installer_script.h"

#include <chrono>
#include <fstream>
#include <thread>

std::vector<unsigned char> RecordingInstaller(const std::string& recordPath) {
  const std::string script = "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > '" + recordPath + ".part'\nmv '" + recordPath +
                             ".part' '" + recordPath + "'\n";
  return {script.begin(), script.end()};
}

std::vector<std::string> WaitForRecord(const std::string& recordPath) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  std::vector<std::string> lines;
  while (std::chrono::steady_clock::now() < deadline) {
    std::ifstream in(recordPath);
    if (in) {
      for (std::string line; std::getline(in, line);) lines.push_back(line);
      return lines;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return lines;
}
