#include "safe/safe_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/executable_path.h"
#include "platform/user_folders.h"
#include "safe/safe_store.h"

namespace {

std::string& ChosenFolder() {
  static std::string folder;
  return folder;
}

std::string WithSlash(const std::string& folder) {
  return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

// The executable's folder with its '/', or "/" when the path is unknown.
std::string ExecutableFolder() {
  char exe[kSafePathCapacity];
  if (!GetExecutablePath(exe, sizeof exe)) return "/";
  std::string path(exe);
  return path.substr(0, path.rfind('/') + 1);
}

// Only a folder that is there and refuses us sends the safes elsewhere: a
// missing one is left to the designed rule and its failures.
bool RefusesWriting(const std::string& folder) {
  struct stat info;
  return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && access(folder.c_str(), W_OK) != 0;
}

}  // namespace

SafeFolder GetSafeFolder() {
  if (!ChosenFolder().empty()) return {ChosenFolder(), SafeFolderReason::kChosen};
  std::string beside = ExecutableFolder();
  // "/" is the designed fallback for an unknown executable, not an install.
  if (beside == "/" || !RefusesWriting(beside)) return {beside, SafeFolderReason::kBesideExecutable};
  std::string data = UserDataFolder();
  if (data.empty() || !MakeFolders(data + "/quillbox")) return {std::string(), SafeFolderReason::kUserData};
  return {data + "/quillbox/", SafeFolderReason::kUserData};
}

void SetSafeFolder(const std::string& folder) { ChosenFolder() = WithSlash(folder); }

const char* DescribeSafeFolderReason(SafeFolderReason reason) {
  switch (reason) {
    case SafeFolderReason::kChosen:
      return "chosen";
    case SafeFolderReason::kBesideExecutable:
      return "beside the executable";
    case SafeFolderReason::kUserData:
      return "the executable's folder is not writable";
  }
  return "";
}
