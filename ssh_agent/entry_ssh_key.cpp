#include "ssh_agent/entry_ssh_key.h"

#include <fcntl.h>
#include <string.h>
#include <unistd.h>

#include <charconv>

namespace {

constexpr char kYes[] = "yes";
constexpr char kNo[] = "no";

bool FieldIsYes(const Entry& entry, const char* name, bool fallback) {
  const CustomField* field = entry.FindField(name);
  return field == nullptr ? fallback : field->value == kYes;
}

}  // namespace

KeyFileRead ReadSshKeyFile(const char* path, SecretText* text) {
  int file = open(path, O_RDONLY | O_CLOEXEC);
  if (file < 0) return KeyFileRead::kUnreadable;
  char buffer[4096];
  ssize_t got = 0;
  while ((got = read(file, buffer, sizeof buffer)) > 0 && text->size() <= kMaxSshKeyFileBytes) {
    text->Append({buffer, static_cast<size_t>(got)});
  }
  explicit_bzero(buffer, sizeof buffer);
  close(file);
  if (got < 0) return KeyFileRead::kUnreadable;
  return text->size() > kMaxSshKeyFileBytes ? KeyFileRead::kTooLarge : KeyFileRead::kRead;
}

bool HasSshKey(const Entry& entry) {
  const CustomField* field = entry.FindField(kSshKeyField);
  return field != nullptr && !field->value.empty();
}

EntrySshOptions ReadSshOptions(const Entry& entry) {
  EntrySshOptions options;
  options.addAtLogIn = FieldIsYes(entry, kSshAddAtLogInField, true);
  options.askBeforeUse = FieldIsYes(entry, kSshAskBeforeUseField, false);
  if (const CustomField* field = entry.FindField(kSshRemoveAfterField)) {
    std::string_view text = field->value.view();
    uint32_t seconds = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error == std::errc() && end == text.data() + text.size() && seconds <= kMaxSshKeyLifetimeSeconds) {
      options.removeAfterSeconds = seconds;
    }
  }
  return options;
}

void WriteSshOptions(Entry& entry, const EntrySshOptions& options) {
  entry.SetField(kSshAddAtLogInField, options.addAtLogIn ? kYes : kNo, false);
  entry.SetField(kSshRemoveAfterField, std::to_string(options.removeAfterSeconds), false);
  entry.SetField(kSshAskBeforeUseField, options.askBeforeUse ? kYes : kNo, false);
}

SshKeyFault ReadEntrySshKey(const Entry& entry, SshPrivateKey* key) {
  const CustomField* field = entry.FindField(kSshKeyField);
  if (field == nullptr || field->value.empty()) return SshKeyFault::kNotAKey;
  SshKeyFault fault = ParseSshPrivateKey(field->value.view(), entry.password.view(), key);
  if (fault == SshKeyFault::kNone && key->comment.empty()) key->comment = entry.title.view();
  return fault;
}

SshKeyFault PutSshKey(Entry& entry, std::string_view keyText, SshPrivateKey* key) {
  if (keyText.size() > kMaxSshKeyFileBytes) return SshKeyFault::kNotAKey;
  SshKeyFault fault = ParseSshPrivateKey(keyText, entry.password.view(), key);
  if (fault != SshKeyFault::kNone) return fault;
  bool first = !HasSshKey(entry);
  entry.SetField(kSshKeyField, keyText, true);
  if (first) WriteSshOptions(entry, ReadSshOptions(entry));
  if (key->comment.empty()) key->comment = entry.title.view();
  return SshKeyFault::kNone;
}

std::string EntryMessage(const Entry& entry, std::string_view what) {
  return "Entry \"" + std::string(entry.title.view()) + "\": " + std::string(what);
}

std::string SshKeyFaultMessage(const Entry& entry, SshKeyFault fault) {
  return EntryMessage(entry, "the SSH key " + std::string(DescribeSshKeyFault(fault)) + ".");
}
