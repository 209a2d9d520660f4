#include "cli/file_key_input.h"

#include "interchange/key_file_bytes.h"

namespace {

constexpr char kDatabasePasswordPrompt[] = "Database password: ";
constexpr char kFilePasswordPrompt[] = "File password: ";
constexpr char kNewDatabasePasswordPrompt[] = "New database password: ";
constexpr char kConfirmDatabasePasswordPrompt[] = "Confirm database password: ";

ExitStatus ReadKeyFile(CliSession& session, FileKey* key) {
  const std::string& path = session.arguments().key_file;
  if (path.empty()) return kExitOk;
  std::string error;
  key->key_file.emplace();
  if (ReadKeyFileBytes(path, &*key->key_file, &error)) return kExitOk;
  key->key_file.reset();
  return session.Fail(kExitBadArguments, error);
}

std::string KeyFileFormatNames() {
  std::string names;
  for (const InterchangeFormat& format : InterchangeFormats()) {
    if (format.takes_key_file) names += (names.empty() ? "" : ", ") + std::string(format.name);
  }
  return names;
}

}  // namespace

ExitStatus CheckKeyFileOption(CliSession& session, bool takes_key_file, const char* format_name) {
  if (session.arguments().key_file.empty() || takes_key_file) return kExitOk;
  return session.Fail(kExitBadArguments, std::string("--key-file is only for ") + KeyFileFormatNames() + "; " +
                                             format_name + " takes no key file");
}

ExitStatus ReadImportFileKey(CliSession& session, ImportKey need, FileKey* key) {
  const char* prompt = need == ImportKey::kPasswordOrKeyFile ? kDatabasePasswordPrompt : kFilePasswordPrompt;
  TypedSecret password;
  std::string error;
  if (!session.input().ReadPassword(prompt, &password, &error)) return session.Fail(kExitBadArguments, error);
  key->password = password.view();
  return ReadKeyFile(session, key);
}

ExitStatus ReadExportFileKey(CliSession& session, FileKey* key) {
  bool with_key_file = !session.arguments().key_file.empty();
  TypedSecret password;
  std::string error;
  if (!session.input().ReadNewFilePassword(kNewDatabasePasswordPrompt, kConfirmDatabasePasswordPrompt, with_key_file,
                                           &password, &error)) {
    return session.Fail(kExitBadArguments, error);
  }
  key->password = password.view();
  return ReadKeyFile(session, key);
}
