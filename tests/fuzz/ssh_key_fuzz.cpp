// Key file text in: reading never crashes, and a key it accepts is whole
// (a type, fields, a public blob that names it) and reads the same again.
// Without a passphrase an encrypted key stops before its key derivation,
// whose rounds the input would otherwise choose.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ssh_agent/ssh_fingerprint.h"
#include "ssh_agent/ssh_private_key.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  SshPrivateKey key;
  if (ParseSshPrivateKey(text, "", &key) != SshKeyFault::kNone) return 0;
  Require(!key.type.empty() && !key.fields.empty() && !key.publicBlob.empty());
  Require(SshFingerprint(key.publicBlob).starts_with("SHA256:"));
  SshPrivateKey again;
  Require(ParseSshPrivateKey(text, "", &again) == SshKeyFault::kNone);
  Require(again.publicBlob == key.publicBlob && again.fields == key.fields && again.comment == key.comment);
  return 0;
}
