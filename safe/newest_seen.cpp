#include "safe/newest_seen.h"

#include <fcntl.h>
#include <sodium.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <charconv>
#include <string>

#include "crypto/sodium_init.h"
#include "platform/replace_file.h"
#include "platform/user_folders.h"
#include "safe/strong_record.h"

namespace {

constexpr size_t kNameHashSize = 16;
constexpr size_t kStampTextCapacity = 32;

// The folder and name, without an extension; empty without a state folder.
std::string BasePath(const char* safePath) {
  std::string folder = UserStateFolder();
  if (folder.empty() || !InitSodium()) return {};
  uint8_t hash[kNameHashSize];
  crypto_generichash(hash, sizeof hash, reinterpret_cast<const uint8_t*>(safePath), strlen(safePath), nullptr, 0);
  char hex[2 * kNameHashSize + 1];
  sodium_bin2hex(hex, sizeof hex, hash, sizeof hash);
  return folder + "/tarnwell/quillbox/newest/" + hex;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('/')); }

bool WriteStamp(const std::string& path, int64_t stamp) {
  char text[kStampTextCapacity];
  auto [end, error] = std::to_chars(text, text + sizeof text, stamp);
  const std::string temporary = path + ".new";
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  const size_t length = static_cast<size_t>(end - text);
  bool written = write(fd, text, length) == static_cast<ssize_t>(length) && fsync(fd) == 0;
  written = close(fd) == 0 && written;
  if (written && rename(temporary.c_str(), path.c_str()) == 0) return true;
  unlink(temporary.c_str());
  return false;
}

}  // namespace

int64_t NewestSeenStamp(const char* safePath) {
  const std::string base = BasePath(safePath);
  if (base.empty()) return 0;
  int fd = open((base + ".stamp").c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return 0;
  char text[kStampTextCapacity];
  ssize_t length = read(fd, text, sizeof text);
  close(fd);
  int64_t stamp = 0;
  if (length <= 0 || std::from_chars(text, text + length, stamp).ec != std::errc()) return 0;
  return stamp;
}

bool RememberNewestSeen(const char* safePath, int64_t stamp) {
  const std::string base = BasePath(safePath);
  if (base.empty() || !MakeFolders(FolderOf(base))) return false;
  if (stamp < NewestSeenStamp(safePath)) return true;
  // The copy first: a stamp never names a file older than itself.
  return ReplaceFileWithCopy(safePath, (base + ".SAFE").c_str()) && WriteStamp(base + ".stamp", stamp);
}

bool LoadNewestSeen(const char* safePath, const HeldSafeKey& key, EntryList& list) {
  const std::string base = BasePath(safePath);
  return !base.empty() && key.GetFormat() == SafeFormat::kStrong &&
         ReadStrongSafeFile((base + ".SAFE").c_str(), key, &list) == SafeLoadResult::kLoaded;
}

void ForgetNewestSeen(const char* safePath) {
  const std::string base = BasePath(safePath);
  if (base.empty()) return;
  unlink((base + ".stamp").c_str());
  unlink((base + ".SAFE").c_str());
}
