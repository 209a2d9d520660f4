#include "auto_type/x11/keycode_record.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "core/posixfile.h"
#include "core/whole_file.h"
#include "platform/user_folders.h"

namespace {

constexpr size_t kMaxRecordSize = 4096;

std::string ReadSmallFile(const std::string& path) {
  std::string text;
  ReadWholeFile(path.c_str(), {.maxBytes = kMaxRecordSize, .followLinks = false}, &text);
  return text;
}

}  // namespace

KeycodeRecord KeycodeRecord::ForThisDisplay() {
  const std::string folder = UserRuntimeFolder();
  const char* display = std::getenv("DISPLAY");
  return KeycodeRecord(folder.empty() ? std::string() : folder + "/quillbox/auto-type-keycodes",
                       display != nullptr ? display : "");
}

bool KeycodeRecord::Write(const std::vector<uint8_t>& keycodes) const {
  if (path_.empty() || !MakeFolders(path_.substr(0, path_.rfind('/')))) return false;
  std::string text = "display " + display_ + "\nkeycodes";
  for (uint8_t keycode : keycodes) text += " " + std::to_string(keycode);
  text += "\n";
  const std::string temporary = path_ + ".new";
  unlink(temporary.c_str());
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const bool written = WriteFully(fd, text.data(), text.size()) && fsync(fd) == 0;
  if (close(fd) != 0 || !written || rename(temporary.c_str(), path_.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

std::vector<uint8_t> KeycodeRecord::Read() const {
  std::istringstream lines(ReadSmallFile(path_));
  std::string line;
  if (!std::getline(lines, line) || line != "display " + display_) return {};
  std::vector<uint8_t> keycodes;
  if (!std::getline(lines, line) || line.rfind("keycodes", 0) != 0) return {};
  std::istringstream numbers(line.substr(8));
  int keycode = 0;
  // X keycodes are 8 to 255; anything else is not ours.
  while (numbers >> keycode) {
    if (keycode < 8 || keycode > 255) return {};
    keycodes.push_back(static_cast<uint8_t>(keycode));
  }
  return numbers.eof() ? keycodes : std::vector<uint8_t>{};
}

void KeycodeRecord::Remove() const {
  if (!path_.empty()) unlink(path_.c_str());
}
