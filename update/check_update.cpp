#include "update/check_update.h"

#include "settings/app_file_path.h"
#include "update/update_error.h"
#include "update/update_files.h"
#include "update/update_folder.h"
#include "update/update_signature.h"

namespace {
constexpr const char* kFetchFailed = "Download of update failed";
constexpr const char* kNotVerified = "Update signature could not be verified";
constexpr const char* kNotSaved = "Could not save update signature file";
}  // namespace

bool CheckUpdateAvailable(const char* host, int product, bool qa, const FetchLimits& limits) {
  cpString& error = UpdateErrorText();
  error.clear();

  cpBuffer published;
  uint32_t errorCode = 0;
  const std::string path = BuildServerPath(product, qa, kSignatureExtension);
  if (!HttpFetch(published, host, path.c_str(), errorCode, nullptr, limits)) {
    error = kFetchFailed;
    return false;
  }

  char localPath[kUpdatePathSize];
  cpBuffer installed;
  if (GetAppFilePath(kCurrentSignatureName, localPath, false) != nullptr && installed.LoadFromFile(localPath) &&
      installed.Equals(published)) {
    return false;
  }

  if (!VerifyUpdateSignature(published.GetData(), published.GetSize())) {
    error = kNotVerified;
    return false;
  }
  if (!UpdateFolder().WriteFile(kNewSignatureName, published)) {
    error = kNotSaved;
    return false;
  }
  return true;
}
