#include "update/download_update.h"

#include <cstring>

#include "crypto/cpmd5.h"
#include "update/update_error.h"
#include "update/update_files.h"
#include "update/update_signature.h"

namespace {
constexpr const char* kNotSaved = "Could not save update installer to file";
constexpr const char* kSignatureUnreadable = "Could not read signature file";
constexpr const char* kSignatureTooShort = "Invalid signature file; too short";
constexpr const char* kDigestMismatch = "Signature file does not match installer";
}  // namespace

bool DownloadUpdate(const char* host, int product, UpdateProgress* progress, bool qa) {
  cpString& error = UpdateErrorText();
  error.clear();

  cpBuffer installer;
  uint32_t errorCode = 0;
  const std::string path = BuildServerPath(product, qa, kInstallerExtension);
  if (!HttpFetch(installer, host, path.c_str(), errorCode, progress, kInstallerFetchLimits)) {
    return false;
  }

  char localPath[kUpdatePathSize];
  if (!MakeLocalPath(localPath, kNewInstallerName) || !installer.SaveToFile(localPath, true)) {
    error = kNotSaved;
    return false;
  }
  cpMd5 digest;
  digest.Hash(installer);

  cpBuffer signature;
  if (!MakeLocalPath(localPath, kNewSignatureName) || !signature.LoadFromFile(localPath)) {
    error = kSignatureUnreadable;
    return false;
  }
  if (signature.GetSize() < kSignatureDigestSize) {
    error = kSignatureTooShort;
    return false;
  }
  if (std::memcmp(signature.GetData(), digest.GetData(), kSignatureDigestSize) != 0) {
    error = kDigestMismatch;
    return false;
  }
  return true;
}
