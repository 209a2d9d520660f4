#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/wiping_allocator.h"
#include "interchange/file_key.h"
#include "interchange/kdbx_cipher.h"
#include "interchange/kdbx_inner_stream.h"
#include "interchange/kdbx_key_derivation.h"

// A KDBX file opened down to its XML: what ReadKdbx hands the KeePass XML
// reader, with what its header said.
struct KdbxContent {
  uint16_t major = 0;
  uint16_t minor = 0;
  KdbxCipher cipher = KdbxCipher::kAes256Cbc;
  KdbxKdf kdf;
  size_t binaries = 0;  // attachments in the inner header
  WipingBytes payload;  // decrypted and inflated
  size_t xml_offset = 0;
  KdbxInnerStream stream;  // at the first protected value

  std::span<const uint8_t> Xml() const { return std::span<const uint8_t>(payload).subspan(xml_offset); }
};

// Every check of ReadKdbx, the key tried as it does; false with the same
// reasons.
bool OpenKdbx(std::string_view bytes, const FileKey& key, const KdbxWorkLimits& limits, KdbxContent* content,
              std::string* error);
