#include "update/download_update.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "crypto/md5.h"
#include "update/update_error.h"
#include "update/update_files.h"
#include "update/update_folder.h"
#include "update/update_signature.h"

namespace {
constexpr const char* kNotSaved = "Could not save update installer to file";
constexpr const char* kSignatureUnreadable = "Could not read signature file";
constexpr const char* kSignatureTooShort = "Invalid signature file; too short";
constexpr const char* kDigestMismatch = "Signature file does not match installer";

constexpr size_t kReadBlock = 64 * 1024;

// The MD5 digest of everything fd holds, read from its start.
bool HashFile(int fd, uint8_t digest[kMd5DigestSize]) {
  Md5Context context;
  Md5Init(context);
  unsigned char block[kReadBlock];
  for (;;) {
    const ssize_t got = read(fd, block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    Md5Update(context, block, static_cast<size_t>(got));
  }
  Md5Final(context);
  Md5StoreDigest(context, digest);
  return true;
}

}  // namespace

bool DownloadUpdate(const char* host, int product, UpdateProgress* progress, bool qa, CheckedInstaller& installer,
                    const FetchLimits& limits) {
  cpString& error = UpdateErrorText();
  error.clear();
  installer.Adopt(-1);

  cpBuffer downloaded;
  uint32_t errorCode = 0;
  const std::string path = BuildServerPath(product, qa, kInstallerExtension);
  if (!HttpFetch(downloaded, host, path.c_str(), errorCode, progress, limits)) {
    return false;
  }

  // The digest is taken from the file as it lies on disk, through the
  // descriptor that will start it.
  const UpdateFolder folder;
  const int fd = folder.WriteFile(kNewInstallerName, downloaded) ? folder.OpenForReading(kNewInstallerName) : -1;
  uint8_t digest[kMd5DigestSize];
  if (fd < 0 || !HashFile(fd, digest)) {
    if (fd >= 0) close(fd);
    error = kNotSaved;
    return false;
  }
  installer.Adopt(fd);

  cpBuffer signature;
  if (!folder.ReadFile(kNewSignatureName, signature)) {
    error = kSignatureUnreadable;
  } else if (signature.GetSize() < kSignatureDigestSize) {
    error = kSignatureTooShort;
  } else if (std::memcmp(signature.GetData(), digest, kSignatureDigestSize) != 0) {
    error = kDigestMismatch;
  } else {
    return true;
  }
  installer.Adopt(-1);
  return false;
}
