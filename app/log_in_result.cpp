#include "app/quillbox.h"

LogInResult ToLogInResult(SafeLoadResult why) {
  switch (why) {
    case SafeLoadResult::kMissing:
      return LogInResult::kMissing;
    case SafeLoadResult::kDamaged:
      return LogInResult::kDamaged;
    case SafeLoadResult::kWrongPassword:
      return LogInResult::kWrongPassword;
    case SafeLoadResult::kLoaded:
      return LogInResult::kLoggedIn;
    case SafeLoadResult::kFailed:
      break;
  }
  return LogInResult::kFailed;
}
