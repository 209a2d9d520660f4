#pragma once

#include <cstdint>
#include <span>
#include <string>

// "SHA256:" and the unpadded Base64 of the public key blob's SHA-256, as
// `ssh-keygen -lf` and `ssh-add -l` print it.
std::string SshFingerprint(std::span<const uint8_t> publicBlob);
