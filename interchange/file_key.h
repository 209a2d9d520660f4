#pragma once

#include <cstdint>
#include <optional>

#include "core/secret_text.h"
#include "core/wiping_allocator.h"

// What opens or locks a password-protected file of another program: its
// password and, for the formats that take one, a key file's content.
struct FileKey {
  SecretText password;
  std::optional<WipingBytes> key_file;
};
