#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "ssh_agent/ssh_private_key.h"
#include "ssh_agent/ssh_wire.h"

// The key types Quillbox hands to an agent, each with the fields the agent
// takes and the public blob that names the key. Numbers are unsigned
// big-endian magnitudes. Each sets key->type, ->fields and ->publicBlob.
SshKeyFault BuildEd25519Key(std::span<const uint8_t> publicKey, std::span<const uint8_t> privateKey,
                            SshPrivateKey* key);
// curve: "nistp256", "nistp384" or "nistp521"; point uncompressed.
SshKeyFault BuildEcdsaKey(std::string_view curve, std::span<const uint8_t> point, std::span<const uint8_t> scalar,
                          SshPrivateKey* key);
struct RsaNumbers {
  std::span<const uint8_t> n, e, d, iqmp, p, q;
};
SshKeyFault BuildRsaKey(const RsaNumbers& numbers, SshPrivateKey* key);

// One key's fields of the given type as OpenSSH's private section holds
// them (and the agent takes them).
SshKeyFault ReadSshKeyFields(std::string_view type, WireReader& reader, SshPrivateKey* key);
