#pragma once

// Why a safe opened or did not, told apart as far as the file allows.
enum class SafeLoadResult {
  kLoaded,
  kMissing,  // no file, or not a regular file that can be read
  // A strong header out of bounds, a record that does not fit the file, or
  // text that is not entry lines.
  kDamaged,
  // The checksum or tag does not match the key, or a strong file's salt or
  // parameters are not the key's; a safe altered inside its encrypted part
  // looks the same.
  kWrongPassword,
  kFailed,  // out of memory, or the key derivation failed
};
