#include "safe/held_safe_key.h"
#include "safe/safe_file_check.h"
#include "safe/safe_resave_key.h"
#include "safe/safe_store.h"
#include "safe/strong_record.h"

namespace {

SafeFileKind ProbeUserSafe(const char* userName, StrongSafeHeader& header) {
  char path[kSafePathCapacity];
  return BuildSafePath(userName, path) ? ProbeSafeFile(path, header) : SafeFileKind::kUnreadable;
}

}  // namespace

bool GetSafeInfo(const char* userName, SafeInfo& info) {
  StrongSafeHeader header;
  switch (ProbeUserSafe(userName, header)) {
    case SafeFileKind::kLegacy:
      info = {SafeFormat::kLegacy, {}};
      return true;
    case SafeFileKind::kStrong:
      info = {SafeFormat::kStrong, header.params};
      return true;
    case SafeFileKind::kUnreadable:
    case SafeFileKind::kDamagedStrong:
      break;
  }
  return false;
}

bool DeriveKeyForSafe(const char* userName, const char* password, HeldSafeKey& key) {
  key.Wipe();
  StrongSafeHeader header;
  switch (ProbeUserSafe(userName, header)) {
    case SafeFileKind::kLegacy:
      return key.HoldLegacyPassword(password);
    case SafeFileKind::kStrong:
      return key.DeriveStrong(password, header.params, header.salt);
    case SafeFileKind::kUnreadable:
    case SafeFileKind::kDamagedStrong:
      break;
  }
  return false;
}

SafeLoadResult WhyNoKeyForSafe(const char* userName) {
  StrongSafeHeader header;
  switch (ProbeUserSafe(userName, header)) {
    case SafeFileKind::kUnreadable:
      return SafeLoadResult::kMissing;
    case SafeFileKind::kDamagedStrong:
      return SafeLoadResult::kDamaged;
    case SafeFileKind::kLegacy:
    case SafeFileKind::kStrong:
      break;
  }
  return SafeLoadResult::kFailed;
}

bool DeriveNewSafeKey(const char* password, SafeFormat format, const StrongSafeParams& params, HeldSafeKey& key) {
  if (format == SafeFormat::kLegacy) return key.HoldLegacyPassword(password);
  return key.DeriveStrongWithNewSalt(password, params);
}

bool DeriveKeyForResave(const char* userName, const char* password, HeldSafeKey& key) {
  StrongSafeHeader header;
  char path[kSafePathCapacity];
  switch (ProbeUserSafe(userName, header)) {
    case SafeFileKind::kStrong:
      // The file's own password keeps its salt, as any save of an open safe
      // does; another password is a new one, with a new salt.
      if (!key.DeriveStrong(password, header.params, header.salt)) return false;
      if (BuildSafePath(userName, path) && CheckSafeFile(path, key)) return true;
      return key.DeriveStrongWithNewSalt(password, header.params);
    case SafeFileKind::kDamagedStrong:
      return false;
    case SafeFileKind::kLegacy:
    case SafeFileKind::kUnreadable:
      break;
  }
  return key.HoldLegacyPassword(password);
}
