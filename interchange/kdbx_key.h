#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/wiping_allocator.h"
#include "interchange/file_key.h"

// The key a key file adds, by KeePass's rules: an XML key file of version
// 1.0 (base64) or 2.0 (hex, its hash checked), 32 raw bytes, 64 hex
// characters, or else the SHA-256 of the whole file. False, with the
// reason, only for a 2.0 key file whose hash does not match.
bool KeyFileKey(std::span<const uint8_t> content, WipingBytes* key, std::string* error);

// SHA-256 over SHA-256(password) and the key file's key. Without a key
// file the password always counts; with one, an empty password counts
// only when with_empty_password says so (KeePass leaves it out, some
// KeePassXC files keep it).
bool CompositeKey(const FileKey& file_key, bool with_empty_password, uint8_t composite[32], std::string* error);
