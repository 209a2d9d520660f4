#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "safe/entry.h"
#include "ssh_agent/ssh_private_key.h"

// An entry's SSH key and how it goes to the agent, kept as custom fields so
// that every format and front end that carries an entry carries them: the
// key's text (protected) and three options.
inline constexpr char kSshKeyField[] = "SSH Key";
inline constexpr char kSshAddAtLogInField[] = "SSH Add At Log-In";          // "yes" or "no"
inline constexpr char kSshRemoveAfterField[] = "SSH Remove After Seconds";  // 0: not before lock
inline constexpr char kSshAskBeforeUseField[] = "SSH Ask Before Use";       // "yes" or "no"

// More than any private key needs; the text is read whole into the entry.
inline constexpr size_t kMaxSshKeyFileBytes = 64 * 1024;
// A lifetime the agent protocol can carry, and a person can mean.
inline constexpr uint32_t kMaxSshKeyLifetimeSeconds = 365u * 24 * 3600;

enum class KeyFileRead { kRead, kUnreadable, kTooLarge };
// The whole key file at path, refused past kMaxSshKeyFileBytes.
KeyFileRead ReadSshKeyFile(const char* path, SecretText* text);

struct EntrySshOptions {
  bool addAtLogIn = true;
  uint32_t removeAfterSeconds = 0;
  bool askBeforeUse = false;
};

bool HasSshKey(const Entry& entry);
EntrySshOptions ReadSshOptions(const Entry& entry);
void WriteSshOptions(Entry& entry, const EntrySshOptions& options);

// The entry's key, opened with the entry's password when it has a
// passphrase; a key without a comment takes the entry's title.
SshKeyFault ReadEntrySshKey(const Entry& entry, SshPrivateKey* key);
// Puts the key text into entry once it opens with the entry's password;
// a first key gets the default options. The entry is unchanged on a fault.
SshKeyFault PutSshKey(Entry& entry, std::string_view keyText, SshPrivateKey* key);

// "Entry \"Title\": the SSH key is damaged."
std::string SshKeyFaultMessage(const Entry& entry, SshKeyFault fault);
// "Entry \"Title\": " and what, for messages about one entry.
std::string EntryMessage(const Entry& entry, std::string_view what);
