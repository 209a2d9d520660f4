#include "secret_service/access_grants.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include "core/posixfile.h"
#include "core/whole_file.h"
#include "platform/user_folders.h"

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
// Far beyond any user's grants; a larger file is not read.
constexpr size_t kMaxFileBytes = 4 << 20;

std::string HexOf(const EntryId& id) {
  std::string hex;
  for (const uint8_t byte : id.bytes) {
    hex += kHexDigits[byte >> 4];
    hex += kHexDigits[byte & 0xf];
  }
  return hex;
}

bool IdFromHex(std::string_view hex, EntryId* id) {
  if (hex.size() != 2 * kEntryIdSize) return false;
  auto value = [](char c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1; };
  for (size_t i = 0; i < kEntryIdSize; ++i) {
    const int high = value(hex[2 * i]);
    const int low = value(hex[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    id->bytes[i] = static_cast<uint8_t>(high << 4 | low);
  }
  return true;
}

}  // namespace

AccessGrants::AccessGrants(std::string path) : path_(std::move(path)) { Load(); }

bool AccessGrants::IsAllowed(const EntryId& id, std::string_view executable) const {
  return !executable.empty() && grants_.count({id, std::string(executable)}) != 0;
}

bool AccessGrants::Allow(const EntryId& id, std::string_view executable) {
  if (executable.empty() || executable.find('\n') != std::string_view::npos) return false;
  if (!grants_.insert({id, std::string(executable)}).second) return true;
  return Save();
}

void AccessGrants::Load() {
  if (path_.empty()) return;
  std::string text;
  if (!ReadWholeFile(path_.c_str(), {.maxBytes = kMaxFileBytes, .followLinks = false}, &text)) return;
  std::string_view rest = text;
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    const size_t tab = line.find('\t');
    EntryId id;
    if (tab == std::string_view::npos || tab + 1 == line.size() || !IdFromHex(line.substr(0, tab), &id)) continue;
    grants_.insert({id, std::string(line.substr(tab + 1))});
  }
}

bool AccessGrants::Save() const {
  if (path_.empty()) return false;
  const size_t slash = path_.rfind('/');
  if (slash == std::string::npos || !MakeFolders(path_.substr(0, slash))) return false;
  std::string text;
  for (const auto& [id, executable] : grants_) text += HexOf(id) + "\t" + executable + "\n";
  // A new file renamed over the old: a crash leaves one or the other whole.
  std::string temporary = path_ + ".XXXXXX";
  const int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;
  const bool written = WriteFully(fd, text.data(), text.size()) && fsync(fd) == 0;
  if (close(fd) != 0 || !written || rename(temporary.c_str(), path_.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

std::string AccessGrantsPath() {
  const std::string folder = UserConfigFolder();
  return folder.empty() ? std::string() : folder + "/tarnwell/secret-service-grants";
}
