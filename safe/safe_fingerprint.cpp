#include "safe/safe_fingerprint.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "crypto/md5.h"
#include "safe/safe_store.h"

namespace {

int64_t Nanoseconds(const timespec& time) { return int64_t{time.tv_sec} * 1000000000 + time.tv_nsec; }

void CopyIdentity(const struct stat& info, SafeFingerprint& fingerprint) {
  fingerprint.device = info.st_dev;
  fingerprint.inode = info.st_ino;
  fingerprint.size = static_cast<uint64_t>(info.st_size);
  fingerprint.changedNs = Nanoseconds(info.st_ctim);
  fingerprint.modifiedNs = Nanoseconds(info.st_mtim);
}

bool SameIdentity(const struct stat& info, const SafeFingerprint& fingerprint) {
  return fingerprint.known && info.st_dev == fingerprint.device && info.st_ino == fingerprint.inode &&
         static_cast<uint64_t>(info.st_size) == fingerprint.size &&
         Nanoseconds(info.st_ctim) == fingerprint.changedNs && Nanoseconds(info.st_mtim) == fingerprint.modifiedNs;
}

// Digest of everything the descriptor reads, with the identity it had.
bool FingerprintOpenFile(int fd, SafeFingerprint& fingerprint) {
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return false;
  Md5Context md5;
  Md5Init(md5);
  uint8_t buffer[65536];
  off_t offset = 0;
  for (;;) {
    ssize_t n = pread(fd, buffer, sizeof buffer, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    Md5Update(md5, buffer, static_cast<size_t>(n));
    offset += n;
  }
  Md5Final(md5);
  Md5StoreDigest(md5, fingerprint.digest);
  CopyIdentity(info, fingerprint);
  fingerprint.known = true;
  return true;
}

int OpenSafe(const char* userName, bool& missing) {
  missing = false;
  char path[kSafePathCapacity];
  if (!BuildSafePath(userName, path)) return -1;
  int fd;
  do {
    fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  missing = fd < 0 && errno == ENOENT;
  return fd;
}

bool StatSafe(const char* userName, struct stat& info) {
  char path[kSafePathCapacity];
  return BuildSafePath(userName, path) && stat(path, &info) == 0;
}

}  // namespace

bool TakeSafeFingerprint(const char* userName, SafeFingerprint& fingerprint) {
  bool missing;
  int fd = OpenSafe(userName, missing);
  if (fd < 0) return false;
  SafeFingerprint taken;
  bool ok = FingerprintOpenFile(fd, taken);
  close(fd);
  if (ok) fingerprint = taken;
  return ok;
}

SafeDiskState CompareSafeWithDisk(const char* userName, SafeFingerprint& known) {
  struct stat info;
  if (!StatSafe(userName, info)) return errno == ENOENT ? SafeDiskState::kMissing : SafeDiskState::kChanged;
  if (SameIdentity(info, known)) return SafeDiskState::kSame;
  SafeFingerprint now;
  if (!TakeSafeFingerprint(userName, now)) return SafeDiskState::kMissing;
  if (!known.known || std::memcmp(now.digest, known.digest, sizeof now.digest) != 0) {
    return SafeDiskState::kChanged;
  }
  known = now;
  return SafeDiskState::kSame;
}

SafeSnapshotResult LoadSafeSnapshot(const char* userName, const HeldSafeKey& key, EntryList& entries,
                                    SafeFingerprint& fingerprint, SafeLoadResult* why) {
  SafeLoadResult ignored;
  SafeLoadResult& result = why != nullptr ? *why : ignored;
  bool missing;
  int fd = OpenSafe(userName, missing);
  result = SafeLoadResult::kMissing;
  if (fd < 0) return missing ? SafeSnapshotResult::kMissing : SafeSnapshotResult::kDoesNotOpen;
  SafeFingerprint held;
  bool read = FingerprintOpenFile(fd, held);
  EntryList loaded;
  if (read) result = LoadSafeWithResult(userName, key, loaded);
  bool opened = read && result == SafeLoadResult::kLoaded;
  // The held descriptor keeps its inode from being reused, so the same
  // identity afterwards means the load read these very bytes.
  struct stat after;
  struct stat heldNow;
  bool steady = read && StatSafe(userName, after) && SameIdentity(after, held) && fstat(fd, &heldNow) == 0 &&
                SameIdentity(heldNow, held);
  close(fd);
  if (!steady) return SafeSnapshotResult::kUnsettled;
  if (!opened) return SafeSnapshotResult::kDoesNotOpen;
  entries = std::move(loaded);
  fingerprint = held;
  return SafeSnapshotResult::kLoaded;
}

SafeSnapshotResult LoadSafeSnapshotSettled(const char* userName, const HeldSafeKey& key, EntryList& entries,
                                           SafeFingerprint& fingerprint, SafeLoadResult* why) {
  constexpr int kAttempts = 20;
  constexpr auto kPause = std::chrono::milliseconds(50);
  SafeSnapshotResult result = LoadSafeSnapshot(userName, key, entries, fingerprint, why);
  for (int attempt = 1; attempt < kAttempts; ++attempt) {
    if (result != SafeSnapshotResult::kMissing && result != SafeSnapshotResult::kUnsettled) break;
    std::this_thread::sleep_for(kPause);
    result = LoadSafeSnapshot(userName, key, entries, fingerprint, why);
  }
  return result;
}
